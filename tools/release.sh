#!/bin/bash
# Makes the release: linetext.exe cross-built for 32-bit Windows (the users'
# platform), with README.md and LICENSE, in one zip, dist/linetext-win32.zip.
# Needs g++-mingw-w64-i686. Prints the zip's path.
#
#   tools/release.sh [BUILD_DIR]      (default build-win-i686)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-win-i686}
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null
rm -rf "$build/release"
cpack --config "$build/CPackConfig.cmake" -B "$build/release" >/dev/null
mkdir -p "$top/dist"
cp "$build/release/linetext-win32.zip" "$top/dist/"
echo "$top/dist/linetext-win32.zip"
