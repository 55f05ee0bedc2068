#!/bin/bash
# Cross-builds linetext.exe for 32-bit Windows (the users' target) and 64-bit
# Windows, checks that both are console programs needing no DLLs beyond
# Windows' own, and runs the end-to-end cases against the 64-bit .exe under
# Wine, comparing files and exit statuses byte for byte (Wine's console output
# is not compared: it adds CRs).
#
# Not run under Wine: cases marked posix_only (the reason is in the file), and
# cases whose arguments hold non-ASCII bytes (Wine re-encodes the command line).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all
fail=0
for arch in i686 x86_64; do
  b=$top/build-win-$arch
  cmake -S "$top" -B "$b" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DLINETEXT_WERROR=ON >/dev/null || exit 1
  cmake --build "$b" -j2 >/dev/null || exit 1
  objdump=$arch-w64-mingw32-objdump
  want_magic=$([ $arch = i686 ] && echo "(PE32)" || echo "(PE32+)")
  head=$($objdump -p "$b/linetext.exe")
  dlls=$(echo "$head" | sed -n 's/.*DLL Name: //p' | sort | tr '\n' ' ')
  echo "$head" | grep -q "^Magic.*$want_magic" || { echo "FAIL: $arch exe is not $want_magic"; fail=1; }
  echo "$head" | grep -q "Subsystem.*(Windows CUI)" || { echo "FAIL: $arch exe is no console program"; fail=1; }
  [ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || { echo "FAIL: $arch exe needs DLLs: $dlls"; fail=1; }
  echo "$arch: $want_magic console program, DLLs: $dlls"
done

"$wine" wineboot --init >/dev/null 2>&1
exe=$top/build-win-x86_64/linetext.exe
passed=0 failed=0 skipped=0
for c in "$top"/tests/e2e/cases/*/; do
  c=${c%/}
  if [ -f "$c/posix_only" ] || { [ -f "$c/args" ] && LC_ALL=C grep -q '[^ -~]' "$c/args"; }; then
    skipped=$((skipped + 1))
    continue
  fi
  if out=$(RUN_PREFIX=$wine CONSOLE=skip timeout 120 bash "$top/tests/e2e/run_case.sh" "$exe" "$c" 2>&1); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "$out"
  fi
done
echo "windows: $passed passed, $failed failed, $skipped skipped"
[ $fail = 0 ] && [ $failed = 0 ]
