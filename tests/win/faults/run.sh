#!/bin/bash
# The fault injection under Wine: FAULT_SHARES drivers (2) share the runs of
# tests/faults/driver.cpp side by side, then its self-test. BUILD_DIR is a
# Windows cross build with linetext_faults and faults_driver built; RUN_PREFIX
# goes in front of each program (Wine). The last line sums the drivers':
# "windows faults: N runs over C calls, V violated".
#
#   run.sh BUILD_DIR
set -u
b=$(cd "$1" && pwd)
prog=$b/tests/win/faults/linetext_faults.exe
driver=$b/tests/win/faults/faults_driver.exe
. "$(dirname "$0")/../wine_setup.sh"
work=$b/faults-work
rm -rf "$work" && mkdir -p "$work" || exit 1
start=$SECONDS
shares=${FAULT_SHARES:-2}
fail=0
pids=()
for ((k = 0; k < shares; k++)); do
  ${RUN_PREFIX:-} "$driver" "$(win_path "$prog")" "$(win_path "$work/$k")" $k/$shares </dev/null >"$work/$k.log" 2>&1 &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || fail=1; done
tr -d '\r' <"$work/0.log" | grep -E ': clean run status'
cat "$work"/*.log | tr -d '\r' | grep -E '^VIOLATED|^cannot|^usage|^[^ ]*: no count' | head -50
echo "endings:"
cat "$work"/?.log | tr -d '\r' | sed -n 's/^ *\([0-9][0-9]*\)  \(.*\)/\1\t\2/p' |
  awk -F'\t' '{ n[$2] += $1 } END { for (e in n) printf "  %5d  %s\n", n[e], e }' | sort -k2
read -r runs calls violated done < <(cat "$work"/?.log | tr -d '\r' |
  sed -n 's/^faults: \([0-9]*\) runs over \([0-9]*\) calls, \([0-9]*\) violated$/\1 \2 \3/p' |
  awk '{ r += $1; if ($2 > c) c = $2; v += $3; k++ } END { print r + 0, c + 0, v + 0, k + 0 }')
# the two failures of the pass that no other test reaches, as the driver names them
mapfile -t expected < <(tr -d '\r' <"$work/0.log" | sed -n 's/^expected ending: //p')
[ ${#expected[@]} = 2 ] || { echo "FAIL: the driver named ${#expected[@]} expected endings, not 2"; fail=1; }
for m in "${expected[@]}"; do
  cat "$work"/?.log | tr -d '\r' | sed -n 's/^ *[0-9][0-9]*  //p' | grep -q -x -F -e "$m" ||
    { echo "FAIL: no run ended with \"$m\""; fail=1; }
done
[ "$done" = "$shares" ] || { echo "FAIL: $((shares - done)) of $shares drivers did not finish"; fail=1; }
echo "drivers: $((SECONDS - start)) s"

FAULT_BROKEN=1 ${RUN_PREFIX:-} "$driver" "$(win_path "$prog")" "$(win_path "$work/self")" </dev/null 2>&1 | tr -d '\r' >"$work/self.log"
grep '^self-test' "$work/self.log"
grep -q '^self-test: the broken build was caught on every case' "$work/self.log" || { echo "FAIL: self-test"; fail=1; }

echo "windows faults: $((SECONDS - start)) s"
echo "windows faults: ${runs:-0} runs over ${calls:-0} calls, ${violated:-0} violated"
[ $fail = 0 ] && [ "${violated:-1}" = 0 ]
