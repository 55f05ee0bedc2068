#!/bin/bash
# Builds linetext and runs it the way the host does: in a fresh temporary
# directory holding a copy of the example exchange file, then shows the
# records it hands back.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" -DLINETEXT_TESTS=OFF >/dev/null
cmake --build "$top/build" -j2 --target linetext >/dev/null
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$top/examples/JWC_TEMP.TXT" "$dir/"
cd "$dir"
set +e
"$top/build/linetext" /Z=+ /M2.5 /L0.5 /K6
status=$?
set -e
echo "exit status: $status"
echo "--- JWC_TEMP.TXT as the host reads it back:"
tr -d '\r' < JWC_TEMP.TXT
