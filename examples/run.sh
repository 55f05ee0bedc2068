#!/bin/bash
# Builds linetext and its host stand-in drafthost, and runs linetext the way
# the host does: in a fresh temporary directory holding a copy of the example
# exchange file. Shows the records it hands back, checks them against the
# host contract, and draws the result into build/preview.svg (open it in any
# web browser).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
echo "examples/run.sh: building linetext and drafthost in build/ (the first time: about 20 s of compiling)"
cmake -S "$top" -B "$top/build" >/dev/null
cmake --build "$top/build" -j2 --target linetext drafthost >/dev/null
echo "examples/run.sh: running build/linetext /Z=+ /M2.5 /L0.5 /K6 on examples/JWC_TEMP.TXT through drafthost"
"$top/build/tools/drafthost/drafthost" --svg "$top/build/preview.svg" "$top/examples/JWC_TEMP.TXT" -- \
  "$top/build/linetext" /Z=+ /M2.5 /L0.5 /K6
echo "examples/run.sh: the drawing is in build/preview.svg: open it in any web browser"
