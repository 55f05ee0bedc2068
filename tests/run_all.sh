#!/bin/bash
# Builds everything with warnings as errors and runs every suite, as CI does
# (docs/testing.md: what each checks, what it shows, what is left out where
# its tools are missing; on CI, CI=true, every suite must run).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
logs=$build/logs
t0=$SECONDS

# Each suite is one command or an && chain.
native() {
  cmake -S "$top" -B "$build" -DLINETEXT_WERROR=ON -DLINETEXT_TESTS=ON &&
    cmake --build "$build" -j2 &&
    ctest --test-dir "$build" --output-on-failure -j2
}
windows() { bash "$top/tests/windows_suite.sh"; }
release() { bash "$top/tests/release_test.sh"; }
sanitizers() { bash "$top/tests/sanitize.sh"; }
fuzzing() { bash "$top/fuzz/run.sh" 30; }
style() { bash "$top/tools/check_layers.sh" && bash "$top/tools/format.sh" --check; }

suites=(native)
# The style file is read by clang-format 14 (Debian 12's); another version may
# lay out the same code otherwise.
if [ "${CI:-}" = true ] || clang-format --version 2>/dev/null | grep -q 'version 14\.'; then
  suites+=(style)
else
  echo "run_all: style check left out: install clang-format (version 14) to run it"
fi
if [ "${CI:-}" = true ] || { command -v i686-w64-mingw32-g++-win32 >/dev/null &&
     command -v x86_64-w64-mingw32-g++-win32 >/dev/null && { [ -x /usr/lib/wine/wine64 ] || [ -x /usr/lib/wine/wine ]; }; }; then
  suites+=(windows)
  if [ "${CI:-}" = true ] || command -v zip >/dev/null; then
    suites+=(release)
  else
    echo "run_all: release suite left out: install zip (and mandoc or groff, man-db) to run it"
  fi
else
  echo "run_all: Windows and release suites left out: install g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64, and for the 32-bit .exe"
  echo "run_all:   dpkg --add-architecture i386 && apt-get update && apt-get install -y wine32:i386"
fi
if [ "${CI:-}" = true ] || ls "$(clang++ -print-resource-dir 2>/dev/null)"/lib/linux/libclang_rt.fuzzer-*.a >/dev/null 2>&1; then
  suites+=(sanitizers fuzzing)
else
  echo "run_all: sanitizer suite and fuzzing left out: install clang libclang-rt-14-dev to run them"
fi
echo "run_all: suites to run: ${suites[*]} (each one's output in ${logs#$top/}/SUITE.log)"

# The tests' temporary folders stay in the build tree, and go with the run.
mkdir -p "$logs" "$build/tmp"
export TMPDIR=$build/tmp
trap 'rm -rf "$build/tmp"' EXIT

k=0 passed=0 failed=0 table=()
for s in "${suites[@]}"; do
  k=$((k + 1))
  t=$SECONDS
  log=$logs/$s.log
  echo "run_all: [$k/${#suites[@]}] $s ..."
  "$s" >"$log" 2>&1 </dev/null &
  pid=$!
  # A line every 30 s while it runs, with the log's last line.
  next=$((t + 30))
  while kill -0 $pid 2>/dev/null; do
    sleep 1
    if [ $SECONDS -ge $next ]; then
      echo "run_all:   $s running for $((SECONDS - t)) s; last: $(tail -n 1 "$log" 2>/dev/null | tr -d '\r' | cut -c1-100)"
      next=$((next + 30))
    fi
  done
  printf 'run_all: [%d/%d] %-10s ' $k ${#suites[@]} "$s"
  if wait $pid; then
    result=passed passed=$((passed + 1))
    echo "passed in $((SECONDS - t)) s"
  else
    result=FAILED failed=$((failed + 1))
    echo "FAILED after $((SECONDS - t)) s; its log: $log"
    [ "${CI:-}" = true ] && echo "----- $log" && cat "$log"
    # Every failing case with its first lines: the lines that say FAIL (each
    # names its case), ctest's list of failed tests, then the log's end.
    echo "----- what failed in $log"
    tr -d '\r' <"$log" | grep -E 'FAIL|VIOLATED|\(Failed\)|Error [0-9]|error:' | awk '{ n[$0]++ } n[$0] == 1' | head -n 60
    echo "----- the end of $log"
    tail -n 15 "$log"
    echo "-----"
  fi
  table+=("$(printf '%-12s %-8s %6d' "$s" $result $((SECONDS - t)))")
  # A Windows build whose Wine cannot run here: its row, and why.
  for f in "$top"/build-win-*/left_out; do
    [ $s = windows ] && [ -f "$f" ] || continue
    arch=${f%/left_out} arch=${arch##*build-win-}
    echo "run_all:   LEFT OUT: the $arch .exe was not run: $(cat "$f")"
    table+=("$(printf '%-12s %-8s %6s  %s' " $arch.exe" "left out" - "$(cat "$f")")")
  done
  # A suite cleans up after itself: what it left is named, then removed.
  left=$(ls -A "$TMPDIR")
  if [ -n "$left" ]; then
    echo "run_all:   $s left in the temporary folder: $(echo $left | cut -c1-200)"
    rm -rf "${TMPDIR:?}"/* "${TMPDIR:?}"/.[!.]* 2>/dev/null
  fi
  # The native build is what the later suites use; without it they cannot run.
  if [ "$s" = native ] && [ $result = FAILED ]; then
    for s in "${suites[@]:1}"; do table+=("$(printf '%-12s %-8s %6s' "$s" "not run" -)"); done
    break
  fi
done

echo "run_all: suite        result   seconds"
for row in "${table[@]}"; do echo "run_all: $row"; done
echo "run_all: $(printf '%-12s %-8s %6d' total "" $((SECONDS - t0)))"
echo "run_all: $passed passed, $failed failed"
[ $failed = 0 ] && [ $passed = ${#suites[@]} ]
