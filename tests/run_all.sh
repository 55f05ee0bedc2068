#!/bin/bash
# Builds everything with warnings as errors and runs every test: the native
# unit, end-to-end and fault-injection suites (all through ctest), then the
# Windows builds and the end-to-end cases under Wine, then the whole suite
# again built with AddressSanitizer and UndefinedBehaviorSanitizer, and a
# one-minute fuzzing run that must end without a finding. On CI (CI=true)
# every suite must run; elsewhere the Windows suite is left out when the cross
# compilers or Wine are not installed (with one of the two Wines, the suite
# runs the build that it can and says what to install for the other), and the
# sanitizer suite and the fuzzing run when clang and its fuzzing runtime are
# not. The C++ files must be formatted as .clang-format says (tools/format.sh).
#
# It says first which suites it runs, then a line when each starts and when it
# ends, with the seconds it took and the seconds since the start.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
t0=$(date +%s)

# Each suite is one command or an && chain: a function run as an if's
# condition does not stop at a failing command under set -e.
native() {
  cmake -S "$top" -B "$build" -DLINETEXT_WERROR=ON -DLINETEXT_TESTS=ON &&
    cmake --build "$build" -j2 &&
    ctest --test-dir "$build" --output-on-failure -j2
}
windows() { bash "$top/tests/windows_suite.sh"; }
sanitizers() { bash "$top/tests/sanitize.sh"; }
fuzzing() { bash "$top/fuzz/run.sh" 60; }
style() { bash "$top/tools/format.sh" --check; }

suites=(native)
# The style file is read by clang-format 14 (Debian 12's); another version may
# lay out the same code otherwise.
if [ "${CI:-}" = true ] || clang-format --version 2>/dev/null | grep -q 'version 14\.'; then
  suites+=(style)
else
  echo "run_all: style check left out: install clang-format (version 14) to run it"
fi
if [ "${CI:-}" = true ] || { command -v i686-w64-mingw32-g++-win32 >/dev/null &&
     command -v x86_64-w64-mingw32-g++-win32 >/dev/null && { [ -x /usr/lib/wine/wine64 ] || [ -x /usr/lib/wine/wine ]; }; }; then
  suites+=(windows)
else
  echo "run_all: Windows suite left out: install g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64, and for the 32-bit .exe"
  echo "run_all:   dpkg --add-architecture i386 && apt-get update && apt-get install -y wine32:i386"
fi
if [ "${CI:-}" = true ] || ls "$(clang++ -print-resource-dir 2>/dev/null)"/lib/linux/libclang_rt.fuzzer-*.a >/dev/null 2>&1; then
  suites+=(sanitizers fuzzing)
else
  echo "run_all: sanitizer suite and fuzzing left out: install clang libclang-rt-14-dev to run them"
fi
echo "run_all: suites to run: ${suites[*]}"

k=0
for s in "${suites[@]}"; do
  k=$((k + 1))
  t=$(date +%s)
  echo "run_all: [$k/${#suites[@]}] $s: start ($((t - t0)) s since the start)"
  if ! "$s"; then
    echo "run_all: [$k/${#suites[@]}] $s: FAILED after $(($(date +%s) - t)) s"
    exit 1
  fi
  echo "run_all: [$k/${#suites[@]}] $s: passed in $(($(date +%s) - t)) s ($(($(date +%s) - t0)) s since the start)"
done
echo "run_all: all ${#suites[@]} suites passed in $(($(date +%s) - t0)) s"
