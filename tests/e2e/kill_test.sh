#!/bin/bash
# Kills the program (SIGKILL) at random moments of runs on a large exchange
# file and checks, after each kill, what the host contract promises of a kill
# (drafthost --check): "JWC_TEMP.TXT" holds byte for byte either the host's
# input or the complete result, never a partial file, and nothing else is left
# but the working copy.
# Every other kill falls in the last part of the run or a little after it,
# where the working copy is flushed and takes the exchange file's place. The
# summary tells how many kills hit the running process. At every fifth kill point
# that left the input, the program is run again in the same directory, over
# what the killed run left behind, and must hand back the complete result.
#
#   kill_test.sh PROGRAM [KILLS] [SEED]
#
# DRAFTHOST defaults to the native build's build/tools/drafthost/drafthost.
# RUN_PREFIX, when set, is put in front of the program: the Wine loader for
# the Windows build, with the Wine prefix in WINEPREFIX as the caller exports
# it. The loader runs the .exe in its own process, which is the one killed;
# the Wine server and its service processes are shared by every run and left
# running.
set -u
prog=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
host=${DRAFTHOST:-$(cd "$(dirname "$0")/../.." && pwd)/build/tools/drafthost/drafthost}
kills=${2:-40}
RANDOM=${3:-12345}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Two indicated points and 150000 text records that each fill to the
# 250-byte bound: about 50 MB of output.
{
  printf 'hp1 0 0\r\nhp2 1000 0\r\n'
  yes 'ch 0 0 1 0 "t' | head -n 149998 | sed 's/$/\r/'
} > "$work/input"

# The reference result, and the usual length of a run: the shortest of three.
took_us=
for t in 1 2 3; do
  rm -rf "$work/ref" && mkdir "$work/ref" && cp "$work/input" "$work/ref/JWC_TEMP.TXT"
  start=$(date +%s%N)
  (cd "$work/ref" && exec ${RUN_PREFIX:-} "$prog" /ZAB) || { echo "reference run failed"; exit 1; }
  us=$(( ($(date +%s%N) - start) / 1000 ))
  [ -z "$took_us" ] || [ "$us" -lt "$took_us" ] && took_us=$us
done
echo "reference run: $took_us us, result $(stat -c %s "$work/ref/JWC_TEMP.TXT") bytes"

input_seen=0 result_seen=0 partial=0 rerun_bad=0 hit=0 working=0
for ((k = 0; k < kills; k++)); do
  d="$work/run$k"
  mkdir "$d" && cp "$work/input" "$d/JWC_TEMP.TXT"
  # a moment anywhere in the run, a little past its usual end included; or
  # one from 70 to 160 percent of its usual length
  r=$((RANDOM * 32768 + RANDOM))
  if ((k % 2 == 0)); then
    delay_us=$((r % (took_us + took_us / 10 + 1)))
  else
    delay_us=$((took_us * 7 / 10 + r % (took_us * 9 / 10 + 1)))
  fi
  (cd "$d" && exec ${RUN_PREFIX:-} "$prog" /ZAB) &
  pid=$!
  sleep "$(printf "%d.%06d" $((delay_us / 1000000)) $((delay_us % 1000000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  [ $? = 137 ] && hit=$((hit + 1))
  [ -e "$d/JWC_TEMP.104" ] && working=$((working + 1))
  if ! "$host" --check "$d" --killed --result "$work/ref/JWC_TEMP.TXT" "$work/input" -- "$prog" /ZAB >"$work/report"; then
    partial=$((partial + 1))
    echo "after a kill at ${delay_us} us: $(grep '^problem' "$work/report" | head -3)"
  elif cmp -s "$d/JWC_TEMP.TXT" "$work/input"; then
    input_seen=$((input_seen + 1))
    if ((input_seen % 5 == 1)) && { ! (cd "$d" && exec ${RUN_PREFIX:-} "$prog" /ZAB) || ! cmp -s "$d/JWC_TEMP.TXT" "$work/ref/JWC_TEMP.TXT" || [ -e "$d/JWC_TEMP.104" ]; }; then
      rerun_bad=$((rerun_bad + 1))
      echo "the run after a kill at ${delay_us} us did not hand back the complete result"
    fi
  else
    result_seen=$((result_seen + 1))
  fi
  rm -rf "$d"
done
echo "kill points: $kills ($hit hit the running process, $working of them with its working copy begun), input intact: $input_seen, complete result: $result_seen, contract broken: $partial, runs after a kill: $(( (input_seen + 4) / 5 )), failed: $rerun_bad"
[ "$partial" = 0 ] && [ "$rerun_bad" = 0 ]
