#!/bin/bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer
# (every report fatal) in a build directory of its own, SANITIZE_BUILD_DIR
# (build-sanitize), with CXX (g++), and runs the program's tests there: the
# unit tests, the end-to-end and the random cases run the instrumented code.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SANITIZE_BUILD_DIR:-$top/build-sanitize}
# Warnings are no errors here (GCC's instrumentation raises false
# maybe-uninitialized ones in the standard library); -O1 with debug
# information: reports name their lines, at a fair speed.
flags="-O1 -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -Wno-maybe-uninitialized"
cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER="${CXX:-g++}" -DCMAKE_BUILD_TYPE=Debug \
      -DLINETEXT_WERROR=OFF -DLINETEXT_TESTS=ON -DDRAFTHOST_TESTS=OFF \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
# drafthost's own tests and the benchmarks run in the ordinary build.
cmake --build "$build" -j"$(nproc)" --target linetext unit_tests drafthost crossgen
# A report ends the process with status 86, which no test expects; its text
# on standard error also fails every end-to-end comparison.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=86:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=86
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
echo "sanitizer suite: passed"
