#!/bin/bash
# Builds the pass fuzzer (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, needs clang and its runtime:
# `apt-get install -y clang libclang-rt-14-dev` on Debian 12) and fuzzes for
# the given number of seconds, one fuzzing process per CPU. Prints the
# executions and the findings; exits non-zero on any finding.
#
#   bash fuzz/run.sh SECONDS
#
# FUZZ_BUILD_DIR (default build-fuzz), FUZZ_WORKERS (default: the number of
# CPUs) and CXX (default clang++) may be set. The corpus grows in
# fuzz/corpus-work/ (not committed), seeded from fuzz/corpus/; a finding is
# written to fuzz/findings/ and can be replayed with
#   build-fuzz/pass_fuzzer fuzz/findings/crash-...
set -u
seconds=${1:?usage: fuzz/run.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
workers=${FUZZ_WORKERS:-$(nproc)}
cxx=${CXX:-clang++}
command -v "$cxx" >/dev/null || { echo "fuzz: $cxx not found (apt-get install -y clang libclang-rt-14-dev)"; exit 2; }

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null || exit 2
cmake --build "$build" --target pass_fuzzer -j"$workers" >/dev/null || { echo "fuzz: build failed"; exit 2; }

corpus=$here/corpus-work findings=$here/findings logs=$(mktemp -d) seeds=$here/corpus
trap 'rm -rf "$logs"' EXIT
mkdir -p "$corpus" "$findings"
before=$(ls -A "$findings" | wc -l)
start=$(date +%s)
pids=()
for ((w = 0; w < workers; w++)); do
  "$build/pass_fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
      -dict="$here/records.dict" -artifact_prefix="$findings/" -print_final_stats=1 -seed=$((start + w)) \
      "$corpus" $seeds > "$logs/$w.log" 2>&1 &
  pids+=($!)
done
fail=0
for p in "${pids[@]}"; do wait "$p" || fail=1; done
took=$(( $(date +%s) - start ))

execs=0
for ((w = 0; w < workers; w++)); do
  n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$w.log" | tail -1)
  execs=$((execs + ${n:-0}))
done
found=$(( $(ls -A "$findings" | wc -l) - before ))
echo "fuzz pass_fuzzer: $execs executions in ${took} s ($workers processes, $(ls "$corpus" | wc -l) inputs in the corpus), findings: $found"
if [ "$fail" != 0 ] || [ "$found" != 0 ]; then
  for ((w = 0; w < workers; w++)); do
    grep -q -E 'ERROR|SUMMARY|linetext fuzz:|deadly signal|Test unit written' "$logs/$w.log" && {
      echo "--- process $w"; grep -A40 -E 'ERROR|linetext fuzz:|deadly signal' "$logs/$w.log" | head -60; }
  done
  echo "fuzz: FAILED (findings in $findings)"
  exit 1
fi
