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
echo "examples/run.sh: what came back: the comments and the bz and cn records as they were, a text-size (cn0)"
echo "  and text (ch) pair for each text record of the file (this example has none: a file with k of them"
echo "  gives k + 1 pairs), the final pair, which lays the text from point 1 to point 2, and last the"
echo "  attributes as they were (cn0, lg, ly, lt, lc, pn)"
echo "examples/run.sh: the drawing is in build/preview.svg: open it in any web browser"
