#!/bin/bash
# The include rules that docs/design.md's map states, for the style suite:
# src/'s folders are floors, from the bottom up in the list below; a file
# includes only from its own floor and the floors below it, and only
# platform/ includes an OS header (any angle include but a C++ library header
# such as <cstring>). Prints each include that breaks them as FILE:LINE and
# exits 1.
set -u
cd "$(dirname "$0")/.."
floors=(platform state output fill input run)
bad=0
for dir in src/*/; do
  dir=${dir#src/} dir=${dir%/}
  [[ " ${floors[*]} " == *" $dir "* ]] || { echo "src/$dir/: a folder that is no floor of the map (tools/check_layers.sh, docs/design.md)"; bad=1; }
done
for ((k = 0; k < ${#floors[@]}; k++)); do
  below=" ${floors[*]:0:k+1} " floor=${floors[k]}
  while IFS=: read -r file line text; do
    if [[ $text =~ \#include\ *\"([^/\"]*)/ ]]; then
      [[ $below == *" ${BASH_REMATCH[1]} "* ]] && continue
      echo "$file:$line: $floor/ includes from ${BASH_REMATCH[1]}/, which is no floor below it: $text"
    elif [[ $floor != platform && $text =~ \#include\ *\<([^>]*)\> ]]; then
      [[ ${BASH_REMATCH[1]} =~ ^[a-z_]+$ ]] && continue
      echo "$file:$line: an OS header outside platform/: $text"
    else
      continue
    fi
    bad=1
  done < <(grep -rn '^ *# *include' "src/$floor")
done
exit $bad
