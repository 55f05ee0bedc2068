#!/bin/bash
# Builds everything with warnings as errors and runs every test: the native
# unit, end-to-end and fault-injection suites (all through ctest), then the
# Windows builds and the end-to-end cases under Wine, then the whole suite
# again built with AddressSanitizer and UndefinedBehaviorSanitizer, and a
# one-minute fuzzing run that must end without a finding. On CI (CI=true)
# every suite must run; elsewhere the Windows suite is left out when the cross
# compilers or Wine are not installed, and the sanitizer suite and the fuzzing
# run when clang and its fuzzing runtime are not.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DLINETEXT_WERROR=ON -DLINETEXT_TESTS=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
if [ "${CI:-}" = true ] || { command -v x86_64-w64-mingw32-g++-win32 >/dev/null && [ -x /usr/lib/wine/wine64 ]; }; then
  bash "$top/tests/windows_suite.sh"
else
  echo "Windows suite left out: install g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 to run it"
fi
if [ "${CI:-}" = true ] || ls "$(clang++ -print-resource-dir 2>/dev/null)"/lib/linux/libclang_rt.fuzzer-*.a >/dev/null 2>&1; then
  bash "$top/tests/sanitize.sh"
  bash "$top/fuzz/run.sh" 60
else
  echo "Sanitizer suite and fuzzing left out: install clang libclang-rt-14-dev to run them"
fi
