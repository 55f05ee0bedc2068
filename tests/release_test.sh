#!/bin/bash
# The release rebuilt and the Linux install checked (docs/testing.md lists
# every check): 1. two clean copies of the tree, built one after the other at
# different paths, give the same bytes; 2. the install from the first copy's
# Linux build; 3. its release zip; 4. its Debian package. All in
# build-release-test/, removed when all passed.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tests/win/wine_setup.sh"
work=$top/build-release-test
rm -rf "$work"
mkdir -p "$work"
fail=0
bad() { echo "FAIL: $*"; fail=1; }

SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct) || { echo "release test: needs a git clone"; exit 1; }
export SOURCE_DATE_EPOCH
artefacts="dist/SHA256SUMS dist/linetext-*-win32.zip build-win-i686/linetext.exe build-win-x86_64/linetext.exe build/linetext"
artefacts="$artefacts build/linetext.1.gz build/changelog.gz build/pkg/linetext_*.deb"

build_copy() {  # DIR: a copy of the tree there, built
  local src=$1 start=$SECONDS
  mkdir -p "$src"
  (cd "$top" && git ls-files -z -co --exclude-standard | while IFS= read -r -d '' f; do
     [ -e "$f" ] && printf '%s\0' "$f"; done | tar --null -T - -c) | tar -x -C "$src" || return 1
  # The README's Linux build, without the tests (nothing of them is shipped)
  { cmake -S "$src" -B "$src/build" -DLINETEXT_TESTS=OFF && cmake --build "$src/build" -j2; } >"$src.log" 2>&1 &&
    bash "$src/tools/release.sh" >>"$src.log" 2>&1 &&
    { cmake -S "$src" -B "$src/build-win-x86_64" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release && cmake --build "$src/build-win-x86_64" -j2 --target linetext; } >>"$src.log" 2>&1 &&
    (cd "$src/build" && cpack -G DEB -B "$src/build/pkg") >>"$src.log" 2>&1 ||
    { tail -20 "$src.log"; return 1; }
  echo "built $src in $((SECONDS - start)) s"
}
build_copy "$work/one/linetext" || exit 1
build_copy "$work/copy-two/linetext" || exit 1
for f in $artefacts; do
  a=$(cd "$work/one/linetext" && echo $f)
  cmp "$work/one/linetext/$a" "$work/copy-two/linetext/$a" && echo "same bytes: $a ($(wc -c < "$work/one/linetext/$a") bytes)" ||
    bad "two builds differ: $a"
done
grep -q -F "$work" "$work/one/linetext/build/linetext" && bad "the build path is in build/linetext"
# No test target without the tests, also where an earlier configure had them.
targets() { cmake --build "$1" --target help | grep -i test; }
t=$(targets "$work/one/linetext/build") && bad "test targets in a build without the tests: $t"
r=$work/reconfigured
{ cmake -S "$work/one/linetext" -B "$r" -DLINETEXT_TESTS=ON && cmake -S "$work/one/linetext" -B "$r" -DLINETEXT_TESTS=OFF; } >/dev/null ||
  bad "cmake -DLINETEXT_TESTS=ON, then OFF"
t=$(targets "$r") && bad "test targets after re-configuring without the tests: $t"

# 2. Install into a prefix
b=$work/one/linetext/build p=$work/prefix
cmake --install "$b" --prefix "$p" >/dev/null || bad "cmake --install"
got=$(cd "$p" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
want="./bin/linetext ./share/doc/linetext/changelog.gz ./share/doc/linetext/copyright ./share/doc/linetext/examples/JWC_TEMP.TXT"
want="$want ./share/doc/linetext/exchange-file.md ./share/man/man1/linetext.1.gz "
[ "$got" = "$want" ] || bad "installed: $got"
readelf -S "$p/bin/linetext" | grep -q '\.symtab' && bad "bin/linetext is not stripped"
# The linters read the page as installed, uncompressed.
page=$work/linetext.1
gzip -dc "$p/share/man/man1/linetext.1.gz" >"$page" || bad "share/man/man1/linetext.1.gz is no gzip file"
linted=
if command -v mandoc >/dev/null; then
  out=$(mandoc -Tlint -Wall "$page" 2>&1) || [ -n "$out" ] || out="mandoc failed"
  [ -z "$out" ] || bad "mandoc -Tlint: $out"
  linted="mandoc"
fi
if command -v groff >/dev/null; then
  out=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$out" ] || bad "groff -man -ww -z: $out"
  linted="$linted groff"
fi
[ -n "$linted" ] || { echo "no mandoc nor groff: the manual page is not linted"; [ "${CI:-}" = true ] && fail=1; }
if command -v man >/dev/null; then
  out=$(MANWIDTH=80 man -l "$p/share/man/man1/linetext.1.gz" 2>&1 >"$work/man.txt")
  [ -z "$out" ] || bad "man -l: $out"
  grep -q 'EXIT STATUS' "$work/man.txt" || bad "man -l shows no EXIT STATUS"
else
  echo "no man (apt-get install -y man-db): the page is not rendered"; [ "${CI:-}" = true ] && fail=1
fi
# The page's first example is pasted into a shell, its second is what it prints.
example() {  # N: the Nth .EX block of the page, its escapes undone
  awk -v n="$1" '/^\.EX/ { k++; on = (k == n); next } /^\.EE/ { on = 0 } on' "$page" |
    sed -e 's/\\-/-/g' -e "s/\\\\(aq/'/g" -e 's/\\e/\\/g'
}
printed=$(cd "$work" && TMPDIR=$work PATH=$p/bin:$PATH bash -c "$(example 1)" 2>&1)
[ "$printed" = "$(example 2)" ] || bad "the page's example prints otherwise:"$'\n'"$printed"

# 3. The zip, as a Windows user gets it (the Japanese guide's byte-order mark
# is what Notepad reads as UTF-8).
release_zip() (
  no() { bad "$*"; exit 1; }
  dist=$work/one/linetext/dist
  zip=$(echo "$dist"/linetext-*-win32.zip)
  version=$(sed -n 's/^project(linetext VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")
  [ "$(basename "$zip")" = "linetext-$version-win32.zip" ] || no "zip $zip is not named for version $version"
  [ "$(cat "$dist/SHA256SUMS")" = "$(cd "$dist" && sha256sum "linetext-$version-win32.zip")" ] &&
    (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || no "SHA256SUMS does not match the zip alone"
  names=$(cmake -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
  [ "$names" = "LICENSE README-en.txt README-ja.txt examples/JWC_TEMP.TXT linetext.exe " ] || no "zip holds: $names"
  t=$work/zip && mkdir -p "$t" && (cd "$t" && cmake -E tar xf "$zip") || exit 1
  cmp -s "$t/examples/JWC_TEMP.TXT" "$top/examples/JWC_TEMP.TXT" && cmp -s "$t/LICENSE" "$top/LICENSE" ||
    no "zip's example or licence differs"
  for g in "$t/README-en.txt" "$t/README-ja.txt"; do
    ! LC_ALL=C grep -q -v $'\r$' "$g" && [ "$(tail -c 2 "$g" | od -An -tx1)" = " 0d 0a" ] &&
      grep -q "linetext-$version-win32.zip" "$g" || no "$(basename "$g"): not all lines end in CR LF, or no version"
  done
  LC_ALL=C grep -q '[^ -~]' <(tr -d '\r' < "$t/README-en.txt") && no "README-en.txt is not ASCII"
  [ "$(head -c 3 "$t/README-ja.txt" | od -An -tx1)" = " ef bb bf" ] && iconv -f UTF-8 -t UTF-8 "$t/README-ja.txt" >/dev/null ||
    no "README-ja.txt is not UTF-8 with a byte-order mark"
  console i686 "$t/linetext.exe" >/dev/null || no "zip's linetext.exe is no 32-bit console program on KERNEL32 and msvcrt alone"
  # FileVersion and ProductVersion strings (UTF-16), then the fixed FILEVERSION
  # after the signature 0xFEEF04BD: minor, major, build, patch (16-bit words).
  v=$(i686-w64-mingw32-strings -el "$t/linetext.exe" | grep -A1 -x -E 'FileVersion|ProductVersion' | grep -v -x -E 'FileVersion|ProductVersion|--' | sort -u)
  off=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$t/linetext.exe" | head -1 | cut -d: -f1)
  set -- $(od -An -tu2 -j $((${off:-0} + 8)) -N 8 "$t/linetext.exe")
  [ "$v" = "$version" ] && [ -n "$off" ] && [ "${2:-}.${1:-}.${4:-}" = "$version" ] ||
    no "version resource: strings '$v', fixed ${2:-}.${1:-}.${4:-}, wanted $version"
  echo "release: $(basename "$zip") ($(wc -c < "$zip") bytes), version $version in the .exe, SHA256SUMS matches"
)
release_zip || fail=1

# 4. The Debian package
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$b/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$b/pkg/linetext_${version}_$arch.deb
if [ -f "$deb" ]; then
  got=$(dpkg-deb -c "$deb" | awk '{ print $1, $6 }' | LC_ALL=C sort | tr '\n' ' ')
  want=$(printf '%s\n' "-rwxr-xr-x ./usr/bin/linetext" "-rw-r--r-- ./usr/share/"{doc/linetext/{changelog.gz,copyright,examples/JWC_TEMP.TXT,exchange-file.md},lintian/overrides/linetext,man/man1/linetext.1.gz} \
    "drwxr-xr-x ./usr/"{,bin/,share/{,doc/{,linetext/{,examples/}},lintian/{,overrides/},man/{,man1/}}} | LC_ALL=C sort | tr '\n' ' ')
  [ "$got" = "$want" ] || bad "the package holds: $got"
  first=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/linetext/changelog.gz | gzip -dc | head -1)
  case $first in "linetext ($version) "*) ;; *) bad "the changelog's last entry is not version $version: $first" ;; esac
  # Every tag that stays is overridden, with its reason in the override file;
  # lintian's scratch folder (which it does not always remove) is inside ours.
  if command -v lintian >/dev/null; then
    mkdir -p "$work/lintian"
    out=$(TMPDIR=$work/lintian lintian --fail-on error,warning --info "$deb" 2>&1) && ok=1 || ok=0
    out=$(printf '%s\n' "$out" | grep -v '^running with root privileges')
    if [ $ok = 0 ] || printf '%s\n' "$out" | grep -qE '^(E|W): |unused-override|mismatched-override'; then
      bad "lintian:"$'\n'"$out"
    else
      echo "lintian: no error, no warning (overrides: packaging/lintian-overrides)"
    fi
  else
    echo "no lintian (apt-get install -y lintian): the package is not checked"; [ "${CI:-}" = true ] && fail=1
  fi
  # dpkg in a root of its own: the machine's package database is not touched.
  r=$work/root
  mkdir -p "$r/var/lib/dpkg/info" "$r/var/lib/dpkg/updates" && : > "$r/var/lib/dpkg/status"
  dpkg=(dpkg --root="$r" --log=/dev/null --path-include='*' --force-script-chrootless)
  [ "$(id -u)" = 0 ] || dpkg=(fakeroot "${dpkg[@]}" --force-not-root)
  if "${dpkg[@]}" -i "$deb" >"$work/dpkg.log" 2>&1; then
    [ -x "$r/usr/bin/linetext" ] || bad "dpkg -i: no usr/bin/linetext"
    man -M "$r/usr/share/man" -w linetext >/dev/null 2>&1 || bad "man does not find linetext in the package's root"
    "${dpkg[@]}" -r linetext >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; bad "dpkg -r"; }
    left=$(cd "$r" && find . -mindepth 1 -not -path './var' -not -path './var/lib' -not -path './var/lib/dpkg*')
    [ -z "$left" ] || bad "dpkg -r left: $left"
  else
    cat "$work/dpkg.log"; bad "dpkg -i"
  fi
else
  bad "no package $deb"
fi

[ $fail = 0 ] && rm -rf "$work" && echo "release test: passed" && exit 0
echo "release test: FAILED (files in $work)"
exit 1
