#!/bin/bash
# Formats every tracked C++ file with the style in .clang-format (clang-format
# 14, Debian's clang-format package). With --check, changes nothing and exits 1
# when a file is not formatted. Generated files are left as their generator
# writes them.
set -eu
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '^src/fill/trig_tables\.h$')
if [ "${1:-}" = --check ]; then
  bad=0
  for f in "${files[@]}"; do
    clang-format --style=file "$f" | cmp -s - "$f" || { echo "not formatted: $f"; bad=1; }
  done
  exit $bad
fi
clang-format --style=file -i "${files[@]}"
