#!/bin/bash
# The Windows build under every failing Win32 call: win_faults_driver
# (driver.cpp) runs the fault-injection build (shim.cpp) once per fault, all in
# one Wine session, and checks each run from outside; FAULT_SHARES drivers
# (default 2) share the runs side by side. Then a few runs are checked from
# here with the shell's own tools: a failed second move of the case change
# (the host's file back under its own name, the run complete), both it and its
# way back failing for good (the input under the intermediate name, status -1
# and the message, as docs/exchange-file.md says), a file held for good (the
# wait costs no real time in this build), and a kill in the middle of the
# output.
#
#   run.sh BUILD_DIR
#
# BUILD_DIR is a Windows cross build in which the targets linetext_faults and
# win_faults_driver are built. RUN_PREFIX is put in front of each program
# (the Wine loader, with WINEPREFIX exported). The last line is the drivers'
# "windows faults: N runs over C calls, V violated": the runs and violations
# summed, the calls as the first driver counts them (it alone also holds a
# file for the wait's own call).
set -u
b=$(cd "$1" && pwd)
prog=$b/tests/win/faults/linetext_faults.exe
driver=$b/tests/win/faults/win_faults_driver.exe
top=$(cd "$(dirname "$0")/../../.." && pwd)
win() { echo "Z:${1//\//\\}"; }  # Wine's drive Z: is the Unix root
work=$b/faults-work
rm -rf "$work" && mkdir -p "$work" || exit 1
start=$SECONDS
shares=${FAULT_SHARES:-2}
fail=0
pids=()
for ((k = 0; k < shares; k++)); do
  ${RUN_PREFIX:-} "$driver" "$(win "$prog")" "$(win "$work/$k")" $k/$shares </dev/null >"$work/$k.log" 2>&1 &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || fail=1; done
tr -d '\r' <"$work/0.log" | grep -E '^[^ ]*.*: clean run status'
cat "$work"/*.log | tr -d '\r' | grep -E '^VIOLATED|^cannot|^usage'
echo "endings:"
cat "$work"/*.log | tr -d '\r' | sed -n 's/^ *\([0-9][0-9]*\)  \(.*\)/\1\t\2/p' |
  awk -F'\t' '{ n[$2] += $1 } END { for (e in n) printf "  %5d  %s\n", n[e], e }' | sort -k2
totals=$(cat "$work"/*.log | tr -d '\r' | sed -n 's/^windows faults: \([0-9]*\) runs over \([0-9]*\) calls, \([0-9]*\) violated$/\1 \2 \3/p' |
  awk '{ r += $1; if ($2 > c) c = $2; v += $3; k++ } END { print r + 0, c + 0, v + 0, k + 0 }')
read -r runs calls violated done <<<"$totals"
[ "$done" = "$shares" ] || { echo "FAIL: $((shares - done)) of $shares drivers did not finish"; fail=1; }
echo "drivers: $((SECONDS - start)) s"

# One run of the fault-injection build checked from here: in a fresh
# directory holding INPUT under NAME, with the FAULT_ variables given.
# Sets st, d (the directory) and log (the faults injected).
one() {  # INPUT NAME VAR=VALUE...
  local input=$1 name=$2
  shift 2
  d=$work/one
  rm -rf "$d" "$work/log" && mkdir "$d" && cp "$input" "$d/$name"
  (cd "$d" && exec env "$@" FAULT_LOG="$(win "$work/log")" ${RUN_PREFIX:-} "$prog" /ZAB </dev/null >/dev/null 2>"$work/err")
  st=$?
  log=$(cat "$work/log" 2>/dev/null | tr -d '\r')
}
ok() { echo "ok: $1"; }
bad() { echo "FAIL: $1 (status $st, files: $(ls -A "$d" | tr '\n' ' '), faults: $log)"; fail=1; }
ex=$top/tests/e2e/cases/fill_ex01_ab_along_x
in=$ex/in/JWC_TEMP.TXT out=$ex/out/JWC_TEMP.TXT
step="MoveFileExA JWC_TEMP.TXT.~case JWC_TEMP.TXT"
# The lower-case name: under Wine the first move keeps the old spelling, the
# second goes to the intermediate name, the third back to JWC_TEMP.TXT.
what="the second move of the case change failing once: the run completes, the result under the host's name"
one "$in" jwc_temp.txt FAULT_CALL=MoveFileExA FAULT_N=3 FAULT_MODE=once FAULT_ERROR=64
[ "$log" = "$step" ] && [ $st = 0 ] && [ "$(ls -A "$d")" = jwc_temp.txt ] && cmp -s "$d/jwc_temp.txt" "$out" && ok "$what" || bad "$what"
what="the second move and its way back failing for good: status -1, the input under JWC_TEMP.TXT.~case"
one "$in" jwc_temp.txt FAULT_CALL=MoveFileExA FAULT_N=3 FAULT_MODE=from FAULT_ERROR=64
[ "${log%%$'\n'*}" = "$step" ] && [ $st = 255 ] && [ "$(tr -d '\r' <"$work/err")" = "Cannot open file: JWC_TEMP.TXT " ] &&
  [ "$(ls -A "$d")" = JWC_TEMP.TXT.~case ] && cmp -s "$d/JWC_TEMP.TXT.~case" "$in" && ok "$what" || bad "$what"
what="the exchange file held for good: status -1, the input as written"
one "$in" JWC_TEMP.TXT FAULT_CALL=CreateFileA FAULT_N=1 FAULT_MODE=from FAULT_ERROR=32
[ $st = 255 ] && [ "$(tr -d '\r' <"$work/err")" = "Cannot open file: JWC_TEMP.TXT " ] && [ "$(ls -A "$d")" = JWC_TEMP.TXT ] &&
  cmp -s "$d/JWC_TEMP.TXT" "$in" && ok "$what" || bad "$what"
what="killed after the working copy's first write: the input as written"
one "$in" JWC_TEMP.TXT FAULT_CALL=WriteFile FAULT_N=2 FAULT_MODE=kill_after
[ $st = 137 ] && cmp -s "$d/JWC_TEMP.TXT" "$in" && ok "$what" || bad "$what"

echo "windows faults: $((SECONDS - start)) s"
echo "windows faults: ${runs:-0} runs over ${calls:-0} calls, ${violated:-0} violated"
[ $fail = 0 ] && [ "${violated:-1}" = 0 ]
