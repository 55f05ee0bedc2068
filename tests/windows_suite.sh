#!/bin/bash
# Cross-builds linetext.exe for 32-bit and 64-bit Windows, checks their
# headers, and runs each under Wine through the end-to-end cases, the
# runtime's wildcard expansion, the lock test, under one of them the fault
# injection, and last the cross-build comparison (tests/cross_diff.sh).
# docs/testing.md says more: the prefixes, the locale, what is left out where.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tests/win/wine_setup.sh"
export WINEDEBUG=-all
fail=0
for arch in i686 x86_64; do
  b=$top/build-win-$arch
  win_build "$top" $arch linetext || exit 1
  console $arch "$b/linetext.exe" || fail=1
  # The lock test's holder, a program of our own
  $arch-w64-mingw32-g++-win32 -O2 -Wall -Wextra -Werror -static -o "$b/hold_file.exe" "$top/tests/win/hold_file.cpp" ||
    { echo "FAIL: $arch hold_file.exe"; fail=1; }
done

# The Wine loader and prefix of each build, for the checks below and the
# scripts they call; WINE_ARCHES, the builds that run here.
export WINE_i686 WINE_x86_64
export WINEPREFIX_i686=$top/build-win-i686/wineprefix WINEPREFIX_x86_64=$top/build-win-x86_64/wineprefix
# How the i686 .exe runs: natively, or through the emulator that
# tools/install_deps.sh registers where the kernel runs no 32-bit programs;
# there every start costs seconds, and it runs in the 64-bit prefix
# (wine_how in wine_setup.sh, docs/testing.md).
wine_how
WINE_ARCHES=
# A build whose Wine cannot run here is left out with the cause, in a banner
# and in build-win-ARCH/left_out for run_all's table. On CI only the 32-bit
# Wine may be missing (a mirror without i386, a kernel without 32-bit support).
for arch in i686 x86_64; do
  loader=WINE_$arch cause=
  rm -f "$top/build-win-$arch/left_out"
  if emulated $arch && ! { [ -x "$WINE_x86_64" ] && wine_starts "$WINE_x86_64"; }; then
    cause="$i686_how, it runs in the 64-bit Wine's prefix: no 64-bit Wine ($WINE_x86_64): apt-get install -y wine64"
  elif [ -x "${!loader}" ] && wine_starts "${!loader}"; then
    WINE_ARCHES="$WINE_ARCHES $arch"
  elif [ -x "${!loader}" ] && emulated $arch; then
    cause="${!loader} cannot start, $i686_how"
  elif [ -x "${!loader}" ]; then
    cause="${!loader} cannot start: this kernel runs no 32-bit programs, and no emulator is registered for them (tools/install_deps.sh registers one, as root, until the next boot; or boot with ia32_emulation=on)"
  elif [ $arch = i686 ]; then
    cause="no 32-bit Wine (${!loader}): wine32:i386 is not installed (tools/install_deps.sh installs it, or says why not)"
  else
    cause="no 64-bit Wine (${!loader}): apt-get install -y wine64"
    [ "${CI:-}" = true ] && echo "FAIL: $cause" && fail=1
  fi
  if [ -n "$cause" ]; then
    echo "$cause" >"$top/build-win-$arch/left_out"
    rule================================================================================
    printf '%s\n' "$rule" "LEFT OUT: the $arch .exe is built and checked but not run under Wine:" "  $cause" "$rule"
  fi
done
export WINE_ARCHES=${WINE_ARCHES# }
# The fault injection (some 700 starts) runs under one build, the shipped
# 32-bit one where it runs natively: both compile the same platform layer.
faults_arch=
for arch in $WINE_ARCHES; do
  emulated $arch && continue
  faults_arch=$arch && break
done
[ -z "$faults_arch" ] || win_build "$top" "$faults_arch" linetext_faults faults_driver || exit 1

# Our temporary folders and Wine's (which it does not always remove), removed with the servers.
export TMPDIR=$top/build-win-tmp
rm -rf "$TMPDIR" && mkdir -p "$TMPDIR"

# One Wine server per prefix for the whole suite, ended with it.
end_servers() {
  for arch in $WINE_ARCHES; do p=WINEPREFIX_$arch && WINEPREFIX=${!p} "$wineserver" -k </dev/null >/dev/null 2>&1; done
  rm -rf "$TMPDIR"
}
trap end_servers EXIT
# (the two prefixes are made side by side: a new one takes half a minute;
# an emulated i686 .exe has none of its own)
for arch in $WINE_ARCHES; do
  emulated $arch && continue
  loader=WINE_$arch p=WINEPREFIX_$arch
  { wine_prefix $arch "${!loader}" "${!p}" "$wineserver" || echo "FAIL: $arch Wine prefix ${!p} cannot be made"; } \
    >"$TMPDIR/prefix-$arch.log" 2>&1 &
done
wait
grep -hs FAIL "$TMPDIR"/prefix-*.log && fail=1
rm -f "$TMPDIR"/prefix-*.log

# The cases are run through drafthost, a native program: the native build's,
# or one built here on its own when there is none.
export DRAFTHOST=${DRAFTHOST:-$top/build/tools/drafthost/drafthost}
if [ ! -x "$DRAFTHOST" ]; then
  DRAFTHOST=$top/build-drafthost/drafthost
  { cmake -S "$top/tools/drafthost" -B "$top/build-drafthost" -DDRAFTHOST_TESTS=OFF >/dev/null &&
    cmake --build "$top/build-drafthost" -j2 >/dev/null; } || exit 1
fi
# The Japanese locale in a folder of the suite's own, for the runs that need it.
japanese=ja_JP.UTF-8
locales=$top/build-win-locale
if ! ja_locale "$locales"; then
  echo "no $japanese locale made in $locales (apt-get install -y locales): cases with Shift-JIS arguments left out"
  japanese=
  [ "${CI:-}" = true ] && fail=1
fi

passed=0 failed=0 skipped=0
# A check's output goes through a file, not a pipe, which a Wine server
# started by one of its runs would keep open.
check() {  # LABEL COMMAND...: one more check, counted with the cases
  local log r
  log=$(mktemp)
  if "${@:2}" >"$log" 2>&1 </dev/null; then passed=$((passed + 1)) r="$1: ok"; else failed=$((failed + 1)) r="FAIL: $1"; fi
  cat "$log" && rm -f "$log" && echo "$r"
}

# Wildcards: the runtime replaces an argument holding * or ? by the names of
# the matching files, and passes one that matches nothing as written. A file
# named like an option ('-' or '$' first) and matched by a pattern becomes that
# option, and the files left tell which argument arrived. (Wine expands a
# quoted pattern too, where Windows does not: quoting is not checked here.)
# Run straight: drafthost would read the arguments as given, not as expanded.
cases=$top/tests/e2e/cases
wild() {  # INPUT EXPECTED_DIR NAMED_FILE|- ARG...: a case of these: status 0 and the files left compared
  local c st
  c=$(mktemp -d)/wildcard
  mkdir -p "$c/in" && cp "$1" "$c/in/JWC_TEMP.TXT" && cp -a "$2" "$c/out" && printf '%s\n' "${@:4}" >"$c/args"
  [ "$3" = - ] || { : >"$c/in/$3"; : >"$c/out/$3"; }
  DRAFTHOST=none CONSOLE=skip RUN_PREFIX=$wine bash "$top/tests/e2e/run_case.sh" "$exe" "$c"
  st=$?
  rm -rf "${c%/wildcard}"
  return $st
}

# An emulated i686 .exe (some 4 s a start) runs these cases alone, the others
# counted as skipped, and no lock test: the example as the host runs it,
# numbers read and written, Shift-JIS arguments, the console's messages, and
# the statuses of the hand-off (0, 1, 255, the name's case changed). The
# cross-build comparison runs its code on 500 random cases in two processes;
# the x86_64 .exe runs every case.
emulated_cases=(run_shipped_example fill_points_near_double_range_ends reader_number_spellings_level3
  opt_odd_numbers_accepted fill_ex06_two_byte_then_a_L10 opt_pattern_of_20000_bytes_cut_inside_a_character
  opt_illegal_letters run_help_alone_touches_nothing run_missing_exchange_file limit_150001_lines_refused
  fault_working_copy_cannot_be_created name_lower_case)
for c in "${emulated_cases[@]}"; do [ -d "$cases/$c" ] || { echo "FAIL: emulated_cases names no case: $c"; fail=1; }; done

# Everything run under Wine, for one build: in the build's prefix, its
# output in build-win-ARCH/suite.log, its counts in build-win-ARCH/suite.counts.
run_arch() {  # ARCH
  local arch=$1 c env out p=WINEPREFIX_$1 loader=WINE_$1 start=$SECONDS
  export WINEPREFIX=${!p}
  wine=${!loader} exe=$top/build-win-$arch/linetext.exe
  passed=0 failed=0 skipped=0 restarted=0
  for c in "$cases"/*/; do
    c=${c%/} env=()
    if emulated $arch && [[ " ${emulated_cases[*]} " != *" ${c##*/} "* ]]; then
      skipped=$((skipped + 1))
      continue
    fi
    # Left out: posix_only cases (the file says why), and arguments that are
    # no valid Shift-JIS: Wine re-encodes the command line from the locale's
    # charset, so Shift-JIS goes in UTF-8 under a Japanese UTF-8 locale.
    LC_ALL=C grep -qs '[^ -~]' "$c/args" && env=(LOCPATH=$locales LANG=$japanese LC_ALL=$japanese ARGS_ICONV=CP932:UTF-8)
    if [ -f "$c/posix_only" ] || { [ ${#env[@]} != 0 ] && ! { [ -n "$japanese" ] && iconv -f CP932 -t UTF-8 "$c/args" >/dev/null 2>&1; }; }; then
      skipped=$((skipped + 1))
      continue
    fi
    # A case that failed as if the .exe never ran (run_case.sh's status 2) runs
    # once more: a start of Wine that ran nothing does not come again, a fault
    # of the program does. Passing then, it is counted apart, its first run shown.
    for try in 1 2; do
      out=$(env "${env[@]}" RUN_PREFIX=$wine CONSOLE=nocr timeout 120 bash "$top/tests/e2e/run_case.sh" "$exe" "$c" 2>&1)
      st=$?
      [ $st = 2 ] && [ $try = 1 ] || break
      echo "$out" | sed "s/^/first run: /"
    done
    [ $st = 0 ] && [ $try = 2 ] && restarted=$((restarted + 1)) && echo "$(basename "$c"): passed when run again"
    if [ $st = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "$out"; fi
  done
  echo "end-to-end cases: $passed passed ($restarted of them when run again, the first start having run nothing)," \
    "$failed failed, $skipped skipped$(emulated $arch && echo " (emulated: emulated_cases alone)") ($((SECONDS - start)) s)"

  local ab=$cases/fill_ex01_ab_along_x star
  # -Z* with a file "-ZAB" there: the pattern text AB
  check "wildcard * gives the matching file's name" wild "$ab/in/JWC_TEMP.TXT" "$ab/out" -ZAB '-Z*'
  # $T? with a file "$T2" there: debug level 2, the input kept, the trace in JWC_TEMP.104
  check "wildcard ? gives the matching file's name" wild "$ab/in/JWC_TEMP.TXT" "$cases/fill_ex01_level2_trace/out" '$T2' /ZAB '$T?'
  # -Z* with no such file: the pattern text * itself, as wide as A or B
  star=$(mktemp -d)
  sed 's/"ABABAB\r$/"******\r/' "$ab/out/JWC_TEMP.TXT" > "$star/JWC_TEMP.TXT"
  check "wildcard matching nothing arrives as written" wild "$ab/in/JWC_TEMP.TXT" "$star" - '-Z*'
  rm -rf "$star"

  # Another program holding the exchange file for a moment (under emulation the
  # program's start outlasts the holding: nothing would be tested)
  if emulated $arch; then
    echo "lock test: not run emulated (the x86_64 .exe runs it)"
  else
    check "lock test under Wine" env RUN_PREFIX="$wine" timeout 300 bash "$top/tests/win/lock_test.sh" "$exe" \
      "$top/build-win-$arch/hold_file.exe"
  fi

  # Every Win32 call of the platform layer failed in turn (tests/win/faults)
  [ $arch = "$faults_arch" ] &&
    check "fault injection under Wine" env RUN_PREFIX="$wine" timeout 600 bash "$top/tests/win/faults/run.sh" \
      "$top/build-win-$arch"

  echo "$passed $failed $skipped" > "$top/build-win-$arch/suite.counts"
  echo "$arch: $((SECONDS - start)) s"
}
for arch in $WINE_ARCHES; do
  rm -f "$top/build-win-$arch/suite.counts"
  run_arch $arch >"$top/build-win-$arch/suite.log" 2>&1 </dev/null &
done
wait
for arch in $WINE_ARCHES; do
  echo "== $arch .exe under Wine$([ $arch = i686 ] && echo ", $i686_how")"
  cat "$top/build-win-$arch/suite.log"
  read -r p f s < "$top/build-win-$arch/suite.counts" &&
    passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s)) || { echo "FAIL: $arch runs did not finish"; fail=1; }
done

# Checks over both builds at once (no WINEPREFIX set here): random cases
# through the Linux build and both .exe leave the same bytes (500 by default).
check "cross-build comparison" env CROSS_CASES="${CROSS_CASES:-500}" EXE_i686="$top/build-win-i686/linetext.exe" \
  EXE_x86_64="$top/build-win-x86_64/linetext.exe" JA_LOCPATH="$locales" CROSS_ARCHES="$WINE_ARCHES" \
  bash "$top/tests/cross_diff.sh"

left_out=
for arch in i686 x86_64; do
  [ -f "$top/build-win-$arch/left_out" ] && left_out="$left_out; the $arch .exe not run: $(cat "$top/build-win-$arch/left_out")"
done
[[ " $WINE_ARCHES " == *" i686 "* ]] && left_out="; the i686 .exe ran $i686_how$left_out"
echo "windows: $passed passed, $failed failed, $skipped skipped$left_out"
[ $fail = 0 ] && [ $failed = 0 ]
