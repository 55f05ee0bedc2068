#!/bin/bash
# Builds everything with warnings as errors and runs every test.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DLINETEXT_WERROR=ON -DLINETEXT_TESTS=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
