#!/bin/bash
# Another program (HOLDER, shared for reading only or with nobody) holds the
# exchange file, as a virus scanner does, while PROGRAM turns
# fill_ex01_ab_along_x's input into its result: held 1 s, the run waits and
# ends with status 0 and the result; held past the program's 5 s wait, status
# -1, the result in JWC_TEMP.104, soon after the wait. Each run keeps the host
# contract (DRAFTHOST --check). RUN_PREFIX goes in front of both (Wine).
#
#   lock_test.sh PROGRAM HOLDER
set -u
prog=$(realpath -s "$1") holder=$(realpath -s "$2")
[ -f "$holder" ] || { echo "FAIL: no holder at $holder"; exit 1; }
ex=$(cd "$(dirname "$0")/../e2e/cases/fill_ex01_ab_along_x" && pwd)
fail=0
# hold MS SHARE STATUS: hold, run, check the status and the two files
hold() {
  local ms=$1 share=$2 want=$3 d st took hp
  d=$(mktemp -d)
  mkdir "$d/run"
  cp "$ex/in/JWC_TEMP.TXT" "$d/run/"
  # A start of Wine that runs nothing (the holder gone or silent for 30 s
  # without its marker) is Wine's, not the program's: it is tried again, and
  # after three such starts the case is left out, said so.
  for ((try = 1; try <= 3; try++)); do
    (cd "$d/run" && exec ${RUN_PREFIX:-} "$holder" JWC_TEMP.TXT "$ms" ../held $share </dev/null >/dev/null 2>&1) &
    hp=$!
    for ((i = 0; i < 600; i++)); do
      [ -e "$d/held" ] || ! kill -0 $hp 2>/dev/null && break
      sleep 0.05
    done
    [ -e "$d/held" ] && break
    kill $hp 2>/dev/null; wait $hp; rm -f "$d/held"
  done
  if [ ! -e "$d/held" ]; then
    echo "left out: held ${ms} ms (${share:-shared for reading}): Wine did not start the holder in 3 tries"
    rm -rf "$d"; return
  fi
  start=$(date +%s%N)
  (cd "$d/run" && exec ${RUN_PREFIX:-} "$prog" /ZAB </dev/null >/dev/null 2>"$d/err")
  st=$?
  took=$((($(date +%s%N) - start) / 1000000))
  wait $hp
  echo "held ${ms} ms (${share:-shared for reading}): status $st after $took ms"
  "$DRAFTHOST" --check "$d/run" --status $st --stderr "$d/err" "$ex/in/JWC_TEMP.TXT" -- "$prog" /ZAB >"$d/report" ||
    { grep -E '^problem' "$d/report"; echo "FAIL: the host contract broken"; fail=1; }
  if [ "$want" = 0 ]; then
    [ $st = 0 ] && cmp -s "$d/run/JWC_TEMP.TXT" "$ex/out/JWC_TEMP.TXT" ||
      { echo "FAIL: expected status 0 and the result"; fail=1; }
  else
    [ $st = 255 ] && cmp -s "$d/run/JWC_TEMP.104" "$ex/out/JWC_TEMP.TXT" ||
      { echo "FAIL: expected status -1 and the result in JWC_TEMP.104"; cat "$d/err"; fail=1; }
    [ $took -ge 5000 ] && [ $took -le 6500 ] || { echo "FAIL: expected to end between 5 s and 6.5 s"; fail=1; }
  fi
  rm -rf "$d"
}
hold 1000 "" 0
hold 1000 exclusive 0
hold 7000 "" 255
exit $fail
