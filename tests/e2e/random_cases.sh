#!/bin/bash
# Random cases of tests/crossgen.cpp, each run by drafthost (run_case.sh),
# which checks the host contract: the ending, the files, the message, every
# record, and every fill measured against its line.
#
#   random_cases.sh PROGRAM DRAFTHOST CROSSGEN COUNT SEED
set -u
prog=$1 host=$2 gen=$3 count=$4 seed=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$gen" "$work/cases" "$seed" "$count" >/dev/null || exit 1
DRAFTHOST=$host bash "$(dirname "$0")/run_case.sh" --results "$work/runs" "$prog" "$work/cases"/* || exit 1
bad=0
for r in "$work/runs"/*; do
  [ "$(<"$r/host_status")" = 0 ] && continue
  bad=$((bad + 1))
  echo "FAIL [seed ${r##*/}]: $(cat "$r/report" "$r/host_err" | grep -E '^(problem|drafthost)' | head -3)"
done
echo "random cases: $count from seed $seed, $bad break the host contract"
[ $bad = 0 ]
