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

# win_path PATH: the absolute PATH as a Windows program under Wine takes it
# (Wine's drive Z: is the Unix root).
win_path() { echo "Z:${1//\//\\}"; }

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

# i386_emulator: the emulator that runs 32-bit programs in the kernel's
# place, printed: the interpreter of an enabled binfmt_misc entry for i386 ELF
# files (tools/install_deps.sh registers QEMU's where the kernel runs none).
# Fails when there is none: 32-bit programs then run natively, or not at all.
i386_emulator() {
  local f
  for f in /proc/sys/fs/binfmt_misc/*; do
    [ "$(head -n 1 "$f" 2>/dev/null)" = enabled ] && grep -q '^magic 7f454c460101.*0300$' "$f" &&
      sed -n 's/^interpreter //p' "$f" && return 0
  done
  return 1
}

# wine_how: sets i686_how, how the 32-bit Wine runs here: "natively", or
# "emulated by EMULATOR" (i386_emulator), and then makes it affordable, once
# WINEPREFIX_x86_64 is set:
# - Without a preloader (Debian ships none) the 32-bit Wine reserves the
#   space above 2 GB 64 KB at a time, and under QEMU 7.2 each try fails: one
#   minute of every start. QEMU_RESERVED_VA gives the program 2 GB, what a
#   32-bit Windows program has (linetext.exe is not large-address-aware), and
#   16 MB above for the emulator's stack of 8 MB, which QEMU_STACK_SIZE fixes
#   whatever `ulimit -s` says: a start then takes about 3 s.
# - The i686 runs go in the 64-bit prefix (WINEPREFIX_i686 set to
#   WINEPREFIX_x86_64), where the .exe runs as on 64-bit Windows (WoW64),
#   beside Wine's services, which are 64-bit and run natively; in a 32-bit
#   prefix every service would be emulated too (a prefix of 1 min to make,
#   and 20 s more on the first start after each server start).
wine_how() {
  local e
  i686_how=natively
  e=$(i386_emulator) || return 0
  i686_how="emulated by $e"
  export QEMU_RESERVED_VA=0x81000000 QEMU_STACK_SIZE=8388608
  WINEPREFIX_i686=$WINEPREFIX_x86_64
}
# emulated ARCH: whether ARCH's Wine runs emulated (wine_how).
emulated() { [ "$1" = i686 ] && [ "$i686_how" != natively ]; }

# wine_prefix ARCH LOADER PREFIX WINESERVER: the prefix made when missing
# (32-bit for i686: made before a server is started for it, which would make
# it 64-bit), without Mono and Gecko, which the tests do not use (hundreds of
# megabytes, or a try to fetch them); then one Wine server for it, kept 30 s
# past its last client, started with nothing of ours open. A 64-bit prefix
# made when 32-bit programs could not run lacks their DLLs (syswow64), which
# WoW64 runs need: it is made again once they can.
wine_prefix() {
  local winearch=win64
  [ "$1" = i686 ] && winearch=win32
  [ "$1" = x86_64 ] && [ -f "$3/system.reg" ] && [ ! -f "$3/drive_c/windows/syswow64/kernel32.dll" ] &&
    wine_starts "$WINE_i686" && rm -rf "$3"
  if [ ! -f "$3/system.reg" ]; then
    WINEDLLOVERRIDES="mscoree=;mshtml=" WINEARCH=$winearch WINEPREFIX=$3 "$2" wineboot --init \
      </dev/null >/dev/null 2>&1 || return 1
  fi
  WINEPREFIX=$3 "$4" -p30 </dev/null >/dev/null 2>&1
  return 0
}
