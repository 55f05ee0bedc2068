#!/bin/bash
# Makes the release: linetext.exe cross-built for 32-bit Windows (the users'
# platform) with the project's version in its version resource, installed
# with the licence, the guide for Windows users (English and Japanese) and
# the example exchange file, and zipped into dist/linetext-VERSION-win32.zip,
# with dist/SHA256SUMS beside it (sha256sum's format: check with
# "sha256sum -c SHA256SUMS" in dist). Needs g++-mingw-w64-i686 and zip.
# Prints the zip's path.
#
#   tools/release.sh [BUILD_DIR]      (default build-win-i686)
#
# The same commit gives the same bytes, wherever and whenever it is built:
# the .exe carries no build path and no time, and the zip holds its files in
# name order, each with the commit's time (SOURCE_DATE_EPOCH, taken from git
# when not set), fixed permissions and no owner or access times.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-win-i686}
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct 2>/dev/null) || {
    echo "release: not a git clone: set SOURCE_DATE_EPOCH to the commit's time (git log -1 --format=%ct)" >&2
    exit 1
  }
fi
export SOURCE_DATE_EPOCH
command -v zip >/dev/null || { echo "release: zip is missing (apt-get install -y zip)" >&2; exit 1; }
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target linetext >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=linetext-$version-win32.zip
stage=$build/release
rm -rf "$stage"
cmake --install "$build" --prefix "$stage/files" --strip >/dev/null
find "$stage/files" -type f -exec chmod 644 {} +
chmod 755 "$stage/files/linetext.exe"
find "$stage/files" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
# -X: no owner and no extra times; the DOS time is local time, so UTC.
(cd "$stage/files" && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
   TZ=UTC zip -X -D -q "$stage/$name" -@)
mkdir -p "$top/dist"
rm -f "$top/dist"/linetext-*win32.zip "$top/dist/SHA256SUMS"
cp "$stage/$name" "$top/dist/"
(cd "$top/dist" && sha256sum "$name" > SHA256SUMS)
echo "$top/dist/$name"
