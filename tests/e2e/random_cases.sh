#!/bin/bash
# Random cases of the cross-build comparison's generator (tests/crossgen.cpp),
# each run by drafthost, which checks the host contract on it: the ending, the
# files, the message, every record, and every fill measured against its line
# (a character that fits by a hair, or one that overshoots, shows).
#
#   random_cases.sh PROGRAM DRAFTHOST CROSSGEN COUNT SEED
set -u
prog=$1 host=$2 gen=$3 count=$4 seed=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$gen" "$work/cases" "$seed" "$count" >/dev/null || exit 1
bad=0
for c in "$work/cases"/*; do
  mkdir "$work/run"
  cp -a "$c/in/." "$work/run/"
  mapfile -t args <"$c/args"
  if ! "$host" --dir "$work/run" --stdout /dev/null --stderr "$work/err" -- "$prog" "${args[@]}" >"$work/report" 2>&1; then
    bad=$((bad + 1))
    echo "FAIL [seed $(basename "$c")]: $(grep -E '^(problem|drafthost)' "$work/report" | head -3)"
  fi
  rm -rf "$work/run"
done
echo "random cases: $count from seed $seed, $bad break the host contract"
[ $bad = 0 ]
