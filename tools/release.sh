#!/bin/bash
# Makes the release: linetext.exe cross-built for 32-bit Windows (the users'
# platform) with the project's version in its version resource, packed with
# the licence, the guide for Windows users (English and Japanese) and the
# example exchange file into dist/linetext-VERSION-win32.zip, and
# dist/SHA256SUMS beside it (sha256sum's format: check with
# "sha256sum -c SHA256SUMS" in dist). Needs g++-mingw-w64-i686. Prints the
# zip's path.
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
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake").zip
mkdir -p "$top/dist"
rm -f "$top/dist"/linetext-*win32.zip "$top/dist/SHA256SUMS"
cp "$build/release/$name" "$top/dist/"
(cd "$top/dist" && sha256sum "$name" > SHA256SUMS)
echo "$top/dist/$name"
