#!/bin/bash
# Builds everything with warnings as errors and runs every test: the native
# unit and end-to-end suites, then the Windows builds and the end-to-end cases
# under Wine. On CI (CI=true) every suite must run; elsewhere the Windows
# suite is left out when the cross compilers or Wine are not installed.
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
