#!/bin/bash
# Fails when a source under src/ includes a folder that is not below its own.
#
#   check_layers.sh LAYERS.txt SRC_DIR
#
# LAYERS.txt has one line per layer, bottom first: "folder: used folders".
# A layer may include itself, the layers it uses and, through them, theirs.
set -euo pipefail
layers_file=$1 src=$2

declare -A uses below
folders=()
while IFS= read -r line; do
  folder=${line%%:*}
  folders+=("$folder")
  uses[$folder]=${line#*:}
done <"$layers_file"

# The layers below each one, in declaration order so each one's are known.
for folder in "${folders[@]}"; do
  set=" "
  for used in ${uses[$folder]}; do set+="$used ${below[$used]} "; done
  below[$folder]=$set
done

# The layer an included path belongs to: the longest folder that starts it.
layer_of() {
  local path=$1 best=""
  for folder in "${folders[@]}"; do
    if [[ $path == "$folder"/* && ${#folder} -gt ${#best} ]]; then best=$folder; fi
  done
  echo "$best"
}

status=0
for folder in "${folders[@]}"; do
  while IFS=: read -r file line text; do
    included=$(sed -E 's/^[[:space:]]*#include "([^"]+)".*/\1/' <<<"$text")
    target=$(layer_of "$included")
    [ -z "$target" ] || [ "$target" = "$folder" ] && continue
    if [[ ${below[$folder]} != *" $target "* ]]; then
      echo "$file:$line: $folder includes $included, but $target is not below $folder" >&2
      status=1
    fi
  done < <(grep -nH '^[[:space:]]*#include "' "$src/$folder"/*.h "$src/$folder"/*.cpp 2>/dev/null || true)
done
exit $status
