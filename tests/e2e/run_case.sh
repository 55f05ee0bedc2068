#!/bin/bash
# Runs one end-to-end case the way the host runs the program: in a fresh
# directory holding the case's input files, with the case's arguments, started
# by drafthost (tools/drafthost), which checks the ending, the files left and
# every returned record against the host contract. Then compares, byte for
# byte, the exit status, standard output, standard error and the exact set of
# files left in the directory with their contents.
#
#   run_case.sh PROGRAM CASE_DIR [DRAFTHOST]
#
# DRAFTHOST defaults to $DRAFTHOST, else to the native build's
# build/tools/drafthost/drafthost.
#
# A case folder holds:
#   in/      files put into the directory before the run (may be absent)
#   out/     exactly the files expected after the run
#   args     the arguments, one per line (absent: none)
#   status   the expected exit status (absent: 0)
#   stdout   expected standard output (absent: empty)
#   stderr   expected standard error (absent: empty)
#   setup    optional bash script run in the directory before the run, with
#            EXPECT set to the folder of expected files, for what files cannot
#            hold (large inputs, symbolic links, unreadable files)
#   run_as   a numeric user id: the program runs as that user and its group
#            (setpriv), for what root is never refused (a read-only
#            directory, an unreadable file); such a case is posix_only
#   drawing  the name of the host's drawing, for a directory holding the
#            exchange file's name in several cases (absent: the one there is,
#            or none)
#   no_stdin the program starts with its standard input closed (a host that
#            gives it none), so that its first file takes descriptor 0
#
# RUN_PREFIX, when set, is put in front of the program (for example an
# emulator: the Wine loader, with the prefix in WINEPREFIX as the caller
# exports it); CONSOLE=skip leaves out the two console comparisons.
# ARGS_ICONV=FROM:TO converts the arguments with iconv before the run (an
# emulator that re-encodes the command line may need them in its own charset).
# BLESS=1 writes what the run produced into the case instead of comparing (not
# for a run that breaks the host contract).
#
# Exit status: 0 the case passed; 2 it failed with the directory exactly as
# prepared or with an error of the emulator's own on standard error ("wine:"
# or "err:"), which is what a start of the emulator that ran nothing looks
# like (the caller may run such a case once more); 1 any other failure. A
# failing case's lines begin "FAIL [NAME]:" and it shows the program's
# standard error.
set -u
prog=$1; case $prog in /*) ;; */*) prog=$(cd "$(dirname "$prog")" && pwd)/$(basename "$prog") ;; esac
case_dir=$(cd "$2" && pwd)
host=${3:-${DRAFTHOST:-$(cd "$(dirname "$0")/../.." && pwd)/build/tools/drafthost/drafthost}}
[ -x "$host" ] || { echo "drafthost not found at $host: build it (target drafthost) or set DRAFTHOST"; exit 1; }
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/run" "$work/expect"
[ -d "$case_dir/in" ] && cp -a "$case_dir/in/." "$work/run/"
[ -d "$case_dir/out" ] && cp -a "$case_dir/out/." "$work/expect/"
args=()
if [ -f "$case_dir/args" ]; then
  if [ -n "${ARGS_ICONV:-}" ]; then
    mapfile -t args < <(iconv -f "${ARGS_ICONV%%:*}" -t "${ARGS_ICONV#*:}" "$case_dir/args")
  else
    mapfile -t args < "$case_dir/args"
  fi
fi
if [ -f "$case_dir/setup" ]; then
  (cd "$work/run" && EXPECT="$work/expect" bash "$case_dir/setup") || { echo "setup failed"; exit 1; }
fi
# Every entry with its kind, size, time, link target and bytes' sum: the same
# after the run means the run touched nothing.
snapshot() { (cd "$work/run" && find . -printf '%p %y %s %T@ %l\n' -type f -exec cksum {} + 2>/dev/null | LC_ALL=C sort); }
prepared=$(snapshot)

as=()
if [ -f "$case_dir/run_as" ]; then
  # a copy of the program that the user can reach, wherever the build is
  id=$(cat "$case_dir/run_as")
  cp "$prog" "$work/prog" && chmod 755 "$work" "$work/prog" && prog=$work/prog
  as=(setpriv --reuid="$id" --regid="$id" --clear-groups)
fi

host_args=(--dir "$work/run" --stdout "$work/stdout" --stderr "$work/stderr")
[ -f "$case_dir/drawing" ] && host_args+=(--name "$(cat "$case_dir/drawing")")
[ -f "$case_dir/no_stdin" ] && host_args+=(--no-stdin)
# arguments converted for the emulator are not those the program sees
[ -n "${ARGS_ICONV:-}" ] && host_args+=(--args-reencoded)
"$host" "${host_args[@]}" -- ${RUN_PREFIX:-} "${as[@]}" "$prog" "${args[@]}" >"$work/report" 2>"$work/host_err"
host_rc=$?
# drafthost: 0 contract kept, 3 broken, anything else its own failure
if [ $host_rc != 0 ] && [ $host_rc != 3 ]; then
  echo "drafthost failed ($host_rc):"; cat "$work/host_err"; echo "case: $case_dir"; exit 1
fi
# the program's status, from the report's first line
first=$(head -n 1 "$work/report")
case $first in
  "exit status: killed by signal "*) n=${first#exit status: killed by signal }; status=$((128 + ${n%% *})) ;;
  "exit status: "[0-9]*) n=${first#exit status: }; status=${n%%[!0-9]*} ;;
  *) echo "drafthost report without an exit status: $first"; exit 1 ;;
esac
contract() { grep -E '^(problem|verdict):' "$work/report"; }

if [ "${BLESS:-}" = 1 ]; then
  if [ $host_rc = 3 ]; then contract; echo "not blessed: the run breaks the host contract"; exit 1; fi
  rm -rf "$case_dir/out" && mkdir "$case_dir/out" && cp -a "$work/run/." "$case_dir/out/"
  [ "$status" = 0 ] && rm -f "$case_dir/status" || echo "$status" > "$case_dir/status"
  for s in stdout stderr; do
    if [ -s "$work/$s" ]; then cp "$work/$s" "$case_dir/$s"; else rm -f "$case_dir/$s"; fi
  done
  echo "blessed $case_dir"
  exit 0
fi

name=$(basename "$case_dir")
fail=0
bad() { echo "FAIL [$name]: $*"; fail=1; }

[ $host_rc = 0 ] || { bad "host contract broken"; contract; }

want_status=0
[ -f "$case_dir/status" ] && want_status=$(cat "$case_dir/status")
[ "$status" = "$want_status" ] || bad "exit status $status, expected $want_status"

if [ "${CONSOLE:-}" != skip ]; then
  for s in stdout stderr; do
    want=/dev/null
    [ -f "$case_dir/$s" ] && want="$case_dir/$s"
    if ! cmp -s "$want" "$work/$s"; then
      bad "$s differs"
      diff <(od -c "$want") <(od -c "$work/$s") | head -20
    fi
  done
fi

got_names=$(cd "$work/run" && ls -A | LC_ALL=C sort)
want_names=$(cd "$work/expect" && ls -A | LC_ALL=C sort)
[ "$got_names" = "$want_names" ] || bad "files left: [$(echo $got_names)], expected [$(echo $want_names)]"

for f in $want_names; do
  g="$work/run/$f" w="$work/expect/$f"
  [ -e "$g" ] || [ -L "$g" ] || continue
  if [ -L "$w" ] || [ -L "$g" ]; then
    [ "$(readlink "$w")" = "$(readlink "$g")" ] || bad "$f: link differs"
  elif [ -d "$w" ] || [ -d "$g" ]; then
    [ -d "$w" ] && [ -d "$g" ] || bad "$f: directory expected on both sides"
  elif ! cmp -s "$w" "$g"; then
    bad "$f differs"
    diff <(od -c "$w") <(od -c "$g") | head -20
  fi
done

[ $fail = 0 ] && { echo "ok"; exit 0; }
echo "case: $case_dir"
if [ -s "$work/stderr" ]; then
  echo "the program's standard error:"
  head -c 2000 "$work/stderr" | cat -v | head -20 | sed 's/^/  /'
fi
if [ "$(snapshot)" = "$prepared" ] || grep -q -E '^wine: |err:' "$work/stderr"; then
  echo "the run left the directory as prepared, or the emulator reported an error: maybe it never ran"
  exit 2
fi
exit 1
