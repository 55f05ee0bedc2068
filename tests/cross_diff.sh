#!/bin/bash
# Cross-build comparison (docs/testing.md): random cases of tests/crossgen.cpp
# run through the Linux build and each .exe under Wine must leave the same
# bytes. A difference prints the case's seed and the command that runs it again.
# Where an emulator runs the 32-bit Wine, the i686 cases run in a few
# processes of tests/win/batch_runner.cpp, built beside the i686 .exe from its
# library and flags, rather than in a Wine start each.
#
#   tests/cross_diff.sh [CASES [SEED]]
#
# The environment's settings, their defaults below: CROSS_DIR holds the
# prefixes, the locale and the last run's cases (work/); what is missing is
# built or made; without JA_LOCPATH's locale, cases with non-ASCII arguments
# are left out (a failure on CI).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tests/win/wine_setup.sh"

cases=${1:-${CROSS_CASES:-1000}}
seed=${2:-${CROSS_SEED:-1}}
jobs=${CROSS_JOBS:-2}
arches=${CROSS_ARCHES:-i686 x86_64}
dir=${CROSS_DIR:-$top/build-cross}
linux=${LINUX_EXE:-$top/build/linetext}
crossgen=${CROSSGEN:-$top/build/tests/crossgen}
export WINEDEBUG=-all
start=$(date +%s)
mkdir -p "$dir" || exit 1
dir=$(cd "$dir" && pwd)

[ -x "$linux" ] && [ -x "$crossgen" ] || { cmake -S "$top" -B "$top/build" -DLINETEXT_WERROR=ON >/dev/null &&
  cmake --build "$top/build" -j2 --target linetext crossgen >/dev/null; } || exit 1
for arch in $arches; do
  v=EXE_$arch && [ -n "${!v:-}" ] && continue
  [ -f "$top/build-win-$arch/linetext.exe" ] || win_build "$top" $arch linetext || exit 1
  printf -v "$v" %s "$top/build-win-$arch/linetext.exe"
done
WINEPREFIX_i686=${WINEPREFIX_i686:-$dir/wine-i686}
WINEPREFIX_x86_64=${WINEPREFIX_x86_64:-$dir/wine-x86_64}
wine_how

# The Japanese locale, compiled into a folder of our own.
locpath=${JA_LOCPATH:-$dir/locale}
japanese=
ja_locale "$locpath" && japanese=ja_JP.UTF-8

work=$dir/work
rm -rf "$work" && mkdir -p "$work" || exit 1
"$crossgen" "$work/cases" "$seed" "$cases" || exit 1
left_out=0
if [ -z "$japanese" ]; then
  for c in "$work/cases"/*; do
    if LC_ALL=C grep -q '[^ -~]' "$c/args"; then rm -rf "$c"; left_out=$((left_out + 1)); fi
  done
  echo "cross_diff: no ja_JP.UTF-8 locale (apt-get install -y locales): $left_out cases with Shift-JIS arguments left out"
  [ "${CI:-}" = true ] && exit 1
fi
mapfile -t list < <(ls "$work/cases" | sort -n)
n=${#list[@]}
batch=$(( (n + jobs * 8 - 1) / (jobs * 8) ))
batch=$(( batch < 1 ? 1 : batch > 50 ? 50 : batch ))

# Each case straight, not through drafthost: the same bytes are what is checked.
run_cases() {  # NAME EXE PREFIX ICONV [VAR=VALUE...] < CASE NAMES: in parallel batches
  sed "s#^#$work/cases/#" |
    env "${@:5}" DRAFTHOST=none CONSOLE=nocr RUN_PREFIX="$3" ARGS_ICONV="$4" \
    xargs -d '\n' -P "$jobs" -n "$batch" bash "$top/tests/e2e/run_case.sh" --results "$work/$1" "$2"
}
# The same results, run by the runner built beside EXE: the cases shared out
# to $jobs processes, each run in a copy of its in/, the arguments read as
# they are (no Wine command line, so no ICONV), the CRs taken out after.
run_batch() {  # NAME EXE PREFIX ICONV [VAR=VALUE...] < CASE NAMES
  local k n names
  mapfile -t names
  for n in "${names[@]}"; do mkdir -p "$work/$1/$n" && cp -a "$work/cases/$n/in" "$work/$1/$n/dir"; done
  for ((k = 0; k < jobs; k++)); do
    printf '%s\n' "${names[@]}" | awk -v k=$k -v j="$jobs" 'NR % j == k' >"$work/$1.list$k"
    env "${@:5}" timeout 900 "$3" "${2%/*}/tests/win/batch_runner.exe" "$(win_path "$work/cases")" \
      "$(win_path "$work/$1")" "$(win_path "$work/$1.list$k")" </dev/null &
  done
  wait
  find "$work/$1" -mindepth 2 -maxdepth 2 \( -name stdout -o -name stderr \) -exec sed -i 's/\r//g' {} +
}

t0=$(date +%s)
printf '%s\n' "${list[@]}" | run_cases linux "$linux" "" ""
echo "cross_diff: $n cases (seeds $seed to $((seed + cases - 1))) through $linux in $(( $(date +%s) - t0 )) s"

fail=0
for arch in $arches; do
  exe_var=EXE_$arch wine_var=WINE_$arch prefix_var=WINEPREFIX_$arch
  exe=${!exe_var} wine=${!wine_var}
  export WINEPREFIX=${!prefix_var}
  [ -x "$wine" ] || { echo "FAIL: no Wine loader $wine for $arch (apt-get install -y wine64 wine32:i386)"; fail=1; continue; }
  wine_starts "$wine" || { echo "FAIL: $wine cannot start on this kernel (see tests/win/wine_setup.sh)"; fail=1; continue; }
  how=natively run=run_cases maker=("$arch" "$wine")
  if emulated $arch; then
    # in the 64-bit prefix (wine_how), which the 64-bit Wine makes
    how="$i686_how, in $jobs runner processes" run=run_batch maker=(x86_64 "$WINE_x86_64")
    cmake --build "${exe%/*}" --target batch_runner >/dev/null || { echo "FAIL: no batch_runner beside $exe"; fail=1; continue; }
  fi
  wine_prefix "${maker[@]}" "$WINEPREFIX" "$wineserver"
  env=() iconv=
  [ -z "$japanese" ] || env=(LOCPATH="$locpath" LC_ALL=$japanese) iconv=CP932:UTF-8
  t0=$(date +%s)
  printf '%s\n' "${list[@]}" | $run "$arch" "$exe" "$wine" "$iconv" "${env[@]}"
  secs=$(( $(date +%s) - t0 ))
  # A differing case runs once more: a start of Wine that failed under
  # load (seen: status 1, nothing run, once in some thousand runs) does not
  # come again, a difference of the builds does. The first run is kept.
  differing() {
    diff -rq "$work/linux" "$work/$arch" 2>&1 |
      sed -n "s#^Files $work/linux/\([0-9]*\)/.*#\1#p; s#^Only in $work/[a-z0-9_]*/\([0-9]*\).*#\1#p; s#^Only in $work/[a-z0-9_]*: \([0-9]*\)\$#\1#p" | sort -un
  }
  mapfile -t first < <(differing)
  if [ ${#first[@]} -gt 0 ]; then
    mkdir -p "$work/$arch.first"
    for s in "${first[@]}"; do mv "$work/$arch/$s" "$work/$arch.first/"; done
    printf '%s\n' "${first[@]}" | $run "$arch" "$exe" "$wine" "$iconv" "${env[@]}"
  fi
  mapfile -t bad < <(differing)
  echo "cross_diff: $arch: $n cases in $secs s ($how), ${#bad[@]} differ from the Linux build"
  [ ${#first[@]} = ${#bad[@]} ] ||
    echo "  $(( ${#first[@]} - ${#bad[@]} )) differed once and agreed when run again (first runs in $work/$arch.first)"
  for s in "${bad[@]:0:20}"; do
    echo "  case seed $s differs; again: CROSS_ARCHES=$arch bash tests/cross_diff.sh 1 $s  (files in $work/$arch/$s)"
    diff -r "$work/linux/$s" "$work/$arch/$s" 2>&1 | head -6 | cut -c1-200 | sed 's/^/    /'
  done
  [ ${#bad[@]} -le 20 ] || echo "  ... and $(( ${#bad[@]} - 20 )) more"
  [ ${#bad[@]} = 0 ] || fail=1
done
echo "cross_diff: done in $(( $(date +%s) - start )) s"
exit $fail
