#!/bin/bash
# Benchmark of the main job against the I/O floor measured in the same run.
#
#   bash bench/run.sh [-r REPS] [-n "1000 10000 150000"] [-s "a b c"] [-w DIR]
#                     [-p PROGRAM]... [-i]
#
# Builds linetext, benchgen and benchtime in Release (in $BUILD_DIR, default
# /tmp/build-bench), then, for every shape (see bench/gen.cpp) and line count:
#
#   run    linetext /Z<pattern> /M5 /L1 /K1 at debug level 0 in a fresh
#          directory holding only JWC_TEMP.TXT, copied in just before the run
#          (untimed), as the host writes it just before it starts the
#          program; timed from fork to exit by benchtime, which also gives
#          the peak resident memory (getrusage of the child).
#   floor  what the job cannot avoid, on the same file system, in a fresh
#          directory: the input copied twice (the counting copy and the pass
#          both read it; the copy writes it) and the result's bytes written
#          once, by one "cp in.1 in.2 result DIR/" (in.1 and in.2 are hard
#          links to the input): one process, as the job is one process.
#   +sync  the floor plus "sync DIR/result" less the start of a process
#          ("true"): the job makes its result durable (fsync) before it takes
#          the host's file's place.
#
# Runs and floors are interleaved, REPS of each (default 7), and the table
# gives medians. Times are wall times; MB is 10^6 bytes. Work files go under
# DIR (default: a new directory in ${TMPDIR:-/tmp}) and are removed at the end.
#
# -p times the given linetext binary instead of the one built here; given
# more than once, the programs run in turn within each repetition (so that
# the machine's load falls on all alike), must write the same bytes, and a
# second table gives each one's median against the first's and the floor's
# (ratio). -i adds the
# instructions each program executes on each input (valgrind's callgrind),
# which, unlike wall time, do not depend on the machine's load.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-/tmp/build-bench}
reps=7
sizes="1000 10000 150000"
shapes="a b c"
work=""
progs=() count=0
while getopts "r:n:s:w:p:i" o; do
  case $o in
    r) reps=$OPTARG ;;
    n) sizes=$OPTARG ;;
    s) shapes=$OPTARG ;;
    w) work=$OPTARG ;;
    p) progs+=("$(realpath "$OPTARG")") ;;
    i) count=1 ;;
    *) echo "usage: $0 [-r REPS] [-n SIZES] [-s SHAPES] [-w DIR] [-p PROGRAM]... [-i]" >&2; exit 2 ;;
  esac
done

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLINETEXT_TESTS=OFF >/dev/null
targets="benchgen benchtime"
[ ${#progs[@]} -gt 0 ] || { targets+=" linetext"; progs=("$build/linetext"); }
cmake --build "$build" -j2 --target $targets >/dev/null
prog=${progs[0]} gen=$build/bench/benchgen timer=$build/bench/benchtime

if [ -n "$work" ]; then mkdir -p "$work"; work=$(mktemp -d "$work/linetext-bench.XXXXXX")
else work=$(mktemp -d "${TMPDIR:-/tmp}/linetext-bench.XXXXXX"); fi
trap 'rm -rf "$work"' EXIT

# The pattern: "テキスト" (text) in Shift-JIS and a hyphen.
pattern=$'\x83\x65\x83\x4c\x83\x58\x83\x67-'
args=("/Z$pattern" /M5 /L1 /K1)

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
maxof() { sort -n | tail -n 1; }
fresh() { local d; d=$(mktemp -d "$work/d.XXXXXX"); echo "$d"; }

# One timed command: prints "<us> <rss KiB>", fails on a non-zero status.
timed() {
  local r; r=$("$timer" "$@")
  set -- $r
  [ "$3" = 0 ] || { echo "command failed with status $3" >&2; exit 1; }
  echo "$1 $2"
}

echo "machine: $(nproc) cores, $(uname -sr), $(df -T "$work" | awk 'NR == 2 {print $2}') at $work"
echo "command: linetext /Z<pattern> /M5 /L1 /K1, the pattern being \"テキスト-\" in Shift-JIS; reps: $reps (medians)"
echo
printf '| %-5s | %6s | %8s | %8s | %9s | %7s | %8s | %8s | %9s | %7s | %10s | %7s |\n' \
  shape lines "in MB" "out MB" "time ms" "in MB/s" "out MB/s" "peak KiB" "floor ms" ratio "+sync ms" ratio
printf '|%s|\n' "-------|--------|----------|----------|-----------|---------|----------|----------|-----------|---------|------------|---------"
summary="" starts=() others=""
for shape in $shapes; do
  for n in $sizes; do
    input=$work/in.$shape.$n
    "$gen" "$shape" "$n" > "$input"
    # An untimed run gives the result whose bytes the floor writes.
    d=$(fresh); cp "$input" "$d/JWC_TEMP.TXT"
    (cd "$d" && "$prog" "${args[@]}" >/dev/null)
    result=$work/out.$shape.$n
    mv "$d/JWC_TEMP.TXT" "$result"; rm -rf "$d"
    sync "$input" "$result"
    times=() rss=() floors=() syncs=() each=()
    for ((k = 0; k < reps; k++)); do
      for ((i = 0; i < ${#progs[@]}; i++)); do
        d=$(fresh); cp "$input" "$d/JWC_TEMP.TXT"
        set -- $(timed -C "$d" -o /dev/null -- "${progs[i]}" "${args[@]}")
        [ "$i" -gt 0 ] || times+=("$1") rss+=("$2")
        each[i]="${each[i]:-} $1"
        cmp -s "$d/JWC_TEMP.TXT" "$result" || { echo "run $k of ${progs[i]} on $shape/$n gave a different result" >&2; exit 1; }
        rm -rf "$d"
      done

      d=$(fresh)
      ln "$input" "$d/in.1"; ln "$input" "$d/in.2"; ln "$result" "$d/result"; mkdir "$d/copy"
      set -- $(timed -- cp "$d/in.1" "$d/in.2" "$d/result" "$d/copy/"); f=$1
      set -- $(timed -- sync "$d/copy/result"); s=$1
      set -- $(timed -- true); s=$((s - $1)) starts+=("$1")
      floors+=("$f") syncs+=("$((f + s))")
      rm -rf "$d"
    done
    t=$(printf '%s\n' "${times[@]}" | median)
    fl=$(printf '%s\n' "${floors[@]}" | median)
    fs=$(printf '%s\n' "${syncs[@]}" | median)
    peak=$(printf '%s\n' "${rss[@]}" | maxof)
    inb=$(stat -c %s "$input") outb=$(stat -c %s "$result")
    awk -v s="$shape" -v n="$n" -v ib="$inb" -v ob="$outb" -v t="$t" -v p="$peak" -v fl="$fl" -v fs="$fs" 'BEGIN {
      printf "| %-5s | %6d | %8.2f | %8.2f | %9.2f | %7.0f | %8.0f | %8d | %9.2f | %7.2f | %10.2f | %7.2f |\n",
        s, n, ib / 1e6, ob / 1e6, t / 1e3, ib / t, ob / t, p, fl / 1e3, t / fl, fs / 1e3, t / fs }'
    summary+="$shape $n $t $peak $fl $fs"$'\n'
    for ((i = 0; i < ${#progs[@]}; i++)); do
      ir=""
      if [ "$count" = 1 ]; then
        d=$(fresh); cp "$input" "$d/JWC_TEMP.TXT"
        ir=$(cd "$d" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "${progs[i]}" "${args[@]}" 2>&1 >/dev/null |
             awk '/Collected :/ {print $NF}')
        rm -rf "$d"
      fi
      others+="$shape $n $((i + 1)) $(printf '%s\n' ${each[i]} | median) ${ir:--} $fl"$'\n'
    done
  done
done

echo
echo "process start (\"true\"), median of all: $(printf '%s\n' "${starts[@]}" | median | awk '{printf "%.2f", $1 / 1e3}') ms"

if [ ${#progs[@]} -gt 1 ] || [ "$count" = 1 ]; then
  echo
  for ((i = 0; i < ${#progs[@]}; i++)); do echo "program $((i + 1)): ${progs[i]}"; done
  echo
  printf '| %-5s | %6s | %7s | %9s | %8s | %7s | %13s | %8s |\n' shape lines program "time ms" "vs 1" ratio instructions "vs 1"
  printf '|%s|\n' "-------|--------|---------|-----------|----------|---------|---------------|----------"
  printf '%s' "$others" | awk '
    $3 == 1 { t1 = $4; i1 = $5 }
    { printf "| %-5s | %6d | %7d | %9.2f | %8.3f | %7.2f | %13s | %8s |\n", $1, $2, $3, $4 / 1e3, $4 / t1, $4 / $6, $5,
        $5 == "-" ? "-" : sprintf("%.3f", $5 / i1) }'
fi

# The three checks, from the figures above: the time at 150000 lines against
# its floor (shape a at most 4 times, shape c at most 2 times); linear growth
# (150000 lines take at most 15 times as long as 10000 lines, with 10 percent
# for noise: a superlinear term would show here); peak memory the same, within
# 256 KiB, for 1000 and 150000 lines.
echo
printf '%s' "$summary" | awk '
  function verdict(ok) { return ok ? "pass" : "FAIL" }
  { t[$1, $2] = $3; m[$1, $2] = $4; fl[$1, $2] = $5; fs[$1, $2] = $6; sh[$1] = 1 }
  END {
    for (s in sh) {
      if ((s, 150000) in t) {
        r = t[s, 150000] / fl[s, 150000]
        bound = s == "a" ? 4 : s == "c" ? 2 : 0
        printf "shape %s, floor:  %.2f x the floor, %.2f x the floor with sync at 150000 lines", s, r, t[s, 150000] / fs[s, 150000]
        if (bound) printf " (at most %d: %s)", bound, verdict(r <= bound)
        printf "\n"
      }
      if ((s, 10000) in t && (s, 150000) in t) {
        g = t[s, 150000] / t[s, 10000]
        printf "shape %s, growth: 150000 lines take %.2f x the time of 10000 (15 is linear); %.0f ns/line at 10000, %.0f ns/line at 150000: %s\n",
          s, g, t[s, 10000] * 1000 / 10000, t[s, 150000] * 1000 / 150000, verdict(g <= 15 * 1.1)
      }
      if ((s, 1000) in t && (s, 150000) in t) {
        d = m[s, 150000] - m[s, 1000]
        printf "shape %s, memory: peak %d KiB at 1000 lines, %d KiB at 150000 lines, difference %d KiB: %s\n",
          s, m[s, 1000], m[s, 150000], d, verdict(d < 256 && d > -256)
      }
    }
  }' | sort
