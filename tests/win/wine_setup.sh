# Sourced by the Windows suite, the cross-build comparison and the release
# suite: the Windows builds and what Wine needs before it runs anything, kept
# inside the build tree.

# Debian's Wine loaders, and its server itself: the wrapper script would add
# -p0, a server that ends with its last client.
: "${WINE_i686:=/usr/lib/wine/wine}" "${WINE_x86_64:=/usr/lib/wine/wine64}"
wineserver=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver32

# win_build TOP ARCH TARGET...: the targets of the ARCH .exe's build, in
# TOP/build-win-ARCH (Release, warnings as errors).
win_build() {
  cmake -S "$1" -B "$1/build-win-$2" -DCMAKE_TOOLCHAIN_FILE="$1/cmake/mingw-$2.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DLINETEXT_WERROR=ON >/dev/null && cmake --build "$1/build-win-$2" -j2 --target "${@:3}" >/dev/null
}

# console ARCH EXE: fails unless EXE is a PE32 (i686) or PE32+ console
# program needing KERNEL32 and msvcrt alone
console() {
  local head dlls magic=$([ "$1" = i686 ] && echo "(PE32)" || echo "(PE32+)")
  head=$("$1-w64-mingw32-objdump" -p "$2")
  dlls=$(echo "$head" | sed -n 's/.*DLL Name: //p' | sort | tr '\n' ' ')
  echo "$head" | grep -q "^Magic.*$magic" || { echo "FAIL: $1 exe is not $magic"; return 1; }
  echo "$head" | grep -q "Subsystem.*(Windows CUI)" || { echo "FAIL: $1 exe is no console program"; return 1; }
  [ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || { echo "FAIL: $1 exe needs DLLs: $dlls"; return 1; }
  echo "$1: $magic console program, DLLs: $dlls"
}

# ja_locale DIR: ja_JP.UTF-8 compiled from Debian's locales package into DIR,
# for LOCPATH, when it is not there yet. Fails when it cannot be made.
ja_locale() {
  if [ ! -f "$1/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$1" && localedef --no-archive -i ja_JP -f UTF-8 "$1/ja_JP.UTF-8" >/dev/null 2>&1
  fi
  [ -f "$1/ja_JP.UTF-8/LC_CTYPE" ]
}

# wine_starts LOADER: 0 when the Wine loader runs here; an installed 32-bit
# Wine cannot start on a kernel that runs no 32-bit programs.
wine_starts() {
  "$1" --version </dev/null >/dev/null 2>&1
}

# wine_prefix ARCH LOADER PREFIX WINESERVER: the prefix made when missing
# (32-bit for i686: made before a server is started for it, which would make
# it 64-bit), without Mono and Gecko, which the tests do not use (hundreds of
# megabytes, or a try to fetch them); then one Wine server for it, kept 30 s
# past its last client, started with nothing of ours open.
wine_prefix() {
  local winearch=win64
  [ "$1" = i686 ] && winearch=win32
  if [ ! -f "$3/system.reg" ]; then
    WINEDLLOVERRIDES="mscoree=;mshtml=" WINEARCH=$winearch WINEPREFIX=$3 "$2" wineboot --init \
      </dev/null >/dev/null 2>&1 || return 1
  fi
  WINEPREFIX=$3 "$4" -p30 </dev/null >/dev/null 2>&1
  return 0
}
