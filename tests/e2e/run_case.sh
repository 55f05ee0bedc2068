#!/bin/bash
# Runs end-to-end cases the way the host runs the program: each in a fresh
# directory holding the case's input files, with the case's arguments, started
# by drafthost (tools/drafthost), which checks the host contract. The one
# runner of a case folder: the end-to-end suite, the random cases and the
# cross-build comparison all go through it.
#
#   run_case.sh PROGRAM CASE_DIR [DRAFTHOST]
#     compares the exit status, standard output and error and the exact set
#     of files left, byte for byte, with the case's.
#   run_case.sh --results OUT PROGRAM CASE_DIR...
#     compares nothing: leaves each run in OUT/NAME: dir/, status, stdout,
#     stderr, and with drafthost its report, host_err and host_status (0 the
#     contract kept, 3 broken, anything else drafthost's own failure).
#
# DRAFTHOST defaults to $DRAFTHOST, else build/tools/drafthost/drafthost;
# DRAFTHOST=none runs the program directly, stdin on /dev/null, for at most
# 120 s, no contract checked.
#
# A case folder holds, each part optional:
#   in/ out/  the files before the run, and exactly those expected after it
#   args      the arguments, one per line
#   status    the exit status (0); stdout, stderr the console output (empty)
#   setup     bash run in the directory before the run, EXPECT the folder of
#             expected files: for large inputs, links, unreadable files
#   run_as    a user id to run as, with its group (setpriv), for what root is
#             never refused; such a case is posix_only
#   drawing   the host's drawing's name, where several spellings are there
#   no_stdin  the program starts with its standard input closed
#   env       NAME=VALUE lines added to the program's environment: a locale,
#             in which the program may convert its arguments (so the fills
#             are not measured against them)
#
# RUN_PREFIX goes in front of the program (an emulator, its prefix exported by
# the caller). CONSOLE=skip leaves out the console comparisons, CONSOLE=nocr
# takes the CRs out. ARGS_ICONV=FROM:TO converts the arguments for an emulator
# that re-encodes the command line. BLESS=1 writes the run into the case (not
# a run that breaks the host contract).
#
# Status when comparing: 0 passed; 2 failed with the directory as prepared or
# an error of the emulator's own ("wine:", "err:"), as a start that ran
# nothing looks (the caller may run it again); 1 any other failure. A failing
# case's lines begin "FAIL [NAME]:".
set -u
mode=compare
[ "${1:-}" = --results ] && { mode=results out=$(mkdir -p "$2" && cd "$2" && pwd) && shift 2 || exit 1; }
prog=$1; case $prog in */*) prog=$(realpath -s "$prog") ;; esac
host=${DRAFTHOST:-$(cd "$(dirname "$0")/../.." && pwd)/build/tools/drafthost/drafthost}
[ $mode = compare ] && host=${3:-$host}
[ "$host" = none ] || [ -x "$host" ] || { echo "drafthost not found at $host: build it (target drafthost) or set DRAFTHOST"; exit 1; }

# Every entry with its kind, size, time, link target and bytes' sum: the same
# after the run means the run touched nothing.
snapshot() { (cd "$o/dir" && find . -printf '%p %y %s %T@ %l\n' -type f -exec cksum {} + 2>/dev/null | LC_ALL=C sort); }

# run CASE_DIR: the case run in $o/dir, its results beside it; sets status
# (empty when unknown), host_rc, and in compare mode prepared.
run() {
  local c=$1 args=() as=() vars=() p=$prog host_args
  mkdir -p "$o/dir"
  [ -d "$c/in" ] && cp -a "$c/in/." "$o/dir/"
  [ ! -f "$c/args" ] || mapfile -t args < <(
    if [ -n "${ARGS_ICONV:-}" ]; then iconv -f "${ARGS_ICONV%%:*}" -t "${ARGS_ICONV#*:}" "$c/args"; else cat "$c/args"; fi)
  if [ -f "$c/setup" ]; then
    mkdir -p "$o/expect"
    (cd "$o/dir" && EXPECT="$o/expect" bash "$c/setup") || { echo "setup failed"; exit 1; }
  fi
  [ ! -f "$c/env" ] || mapfile -t vars <"$c/env"
  [ $mode = compare ] && prepared=$(snapshot)
  if [ -f "$c/run_as" ]; then
    # a copy of the program that the user can reach, wherever the build is
    cp "$prog" "$o/prog" && chmod 755 "$o" "$o/prog" && p=$o/prog
    as=(setpriv --reuid="$(cat "$c/run_as")" --regid="$(cat "$c/run_as")" --clear-groups)
  fi
  if [ "$host" = none ]; then
    (cd "$o/dir" || exit
     if [ -f "$c/no_stdin" ]; then exec <&-; else exec </dev/null; fi
     exec env "${vars[@]}" timeout 120 ${RUN_PREFIX:-} "${as[@]}" "$p" "${args[@]}" >"$o/stdout" 2>"$o/stderr")
    status=$? host_rc=0
  else
    host_args=(--dir "$o/dir" --stdout "$o/stdout" --stderr "$o/stderr")
    [ -f "$c/drawing" ] && host_args+=(--name "$(cat "$c/drawing")")
    [ -f "$c/no_stdin" ] && host_args+=(--no-stdin)
    # arguments converted for the emulator, or in the case's locale, are not those the program sees
    [ -n "${ARGS_ICONV:-}" ] || [ -f "$c/env" ] && host_args+=(--args-reencoded)
    env "${vars[@]}" "$host" "${host_args[@]}" -- ${RUN_PREFIX:-} "${as[@]}" "$p" "${args[@]}" >"$o/report" 2>"$o/host_err"
    host_rc=$? status=
    echo $host_rc > "$o/host_status"
    # the program's status, from the report's first line
    read -r first < "$o/report"
    case $first in
      "exit status: killed by signal "*) n=${first#exit status: killed by signal }; status=$((128 + ${n%% *})) ;;
      "exit status: "[0-9]*) n=${first#exit status: }; status=${n%%[!0-9]*} ;;
    esac
  fi
  [ "${CONSOLE:-}" = nocr ] && LC_ALL=C sed -i 's/\r//g' "$o/stdout" "$o/stderr"
  [ -z "$status" ] || echo "$status" > "$o/status"
}

if [ $mode = results ]; then
  for c in "${@:2}"; do c=$(realpath -s "$c") && o=$out/${c##*/} && run "$c"; done
  exit 0
fi

case_dir=$(cd "$2" && pwd)
o=$(mktemp -d)
trap 'chmod -R u+w "$o" 2>/dev/null; rm -rf "$o"' EXIT
mkdir "$o/expect"
[ -d "$case_dir/out" ] && cp -a "$case_dir/out/." "$o/expect/"
run "$case_dir"
# drafthost: 0 contract kept, 3 broken, anything else its own failure
if [ $host_rc != 0 ] && [ $host_rc != 3 ]; then
  echo "drafthost failed ($host_rc):"; cat "$o/host_err"; echo "case: $case_dir"; exit 1
fi
[ -n "$status" ] || { echo "drafthost report without an exit status: $first"; exit 1; }
contract() { grep -E '^(problem|verdict):' "$o/report"; }

if [ "${BLESS:-}" = 1 ]; then
  if [ $host_rc = 3 ]; then contract; echo "not blessed: the run breaks the host contract"; exit 1; fi
  rm -rf "$case_dir/out" && mkdir "$case_dir/out" && cp -a "$o/dir/." "$case_dir/out/"
  [ "$status" = 0 ] && rm -f "$case_dir/status" || echo "$status" > "$case_dir/status"
  for s in stdout stderr; do rm -f "$case_dir/$s" && [ ! -s "$o/$s" ] || cp "$o/$s" "$case_dir/$s"; done
  echo "blessed $case_dir"
  exit 0
fi

name=$(basename "$case_dir")
fail=0
bad() { echo "FAIL [$name]: $*"; fail=1; }

[ $host_rc = 0 ] || { bad "host contract broken"; contract; }

want_status=$(cat "$case_dir/status" 2>/dev/null || echo 0)
[ "$status" = "$want_status" ] || bad "exit status $status, expected $want_status"

if [ "${CONSOLE:-}" != skip ]; then
  for s in stdout stderr; do
    want=$case_dir/$s && [ -f "$want" ] || want=/dev/null
    cmp -s "$want" "$o/$s" || { bad "$s differs"; diff <(od -c "$want") <(od -c "$o/$s") | head -20; }
  done
fi

# The files left, byte for byte, links as links
if ! d=$(LC_ALL=C diff -r -q --no-dereference "$o/expect" "$o/dir" 2>&1); then
  bad "the files left differ from the expected: ${d//$o\//}"
  echo "$d" | sed -n 's/^Files \(.*\) and \(.*\) differ$/\1\t\2/p' | while IFS=$'\t' read -r w g; do
    diff <(od -c "$w") <(od -c "$g") | head -20
  done
fi

[ $fail = 0 ] && { echo "ok"; exit 0; }
echo "case: $case_dir"
[ -s "$o/stderr" ] && echo "the program's standard error:" && head -c 2000 "$o/stderr" | cat -v | head -20 | sed 's/^/  /'
if [ "$(snapshot)" = "$prepared" ] || grep -q -E '^wine: |err:' "$o/stderr"; then
  echo "the run left the directory as prepared, or the emulator reported an error: maybe it never ran"
  exit 2
fi
exit 1
