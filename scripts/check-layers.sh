#!/usr/bin/env bash
# Fails when a source file under src/ includes a header of a folder above its own or
# beside it: a folder uses only the folders below it (the layers of DESIGN.md). Each
# folder's CMake link line must name exactly the program's folders its files include.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each folder's layer, from the bottom.
declare -A layer=(
  [platform]=0 [lib]=1 [db]=2 [widgets]=3 [jobdb]=3 [backup]=4 [reports]=4
  [ftp]=5 [schedule]=6 [jobs]=6 [tools]=7 [app]=8
)

status=0
while IFS= read -r file; do
  folder=${file#src/}
  folder=${folder%%/*}
  [[ $folder == "$file" || $folder == *.* ]] && continue # files at the top of src/
  own=${layer[$folder]:-}
  if [[ -z $own ]]; then
    echo "$file: folder src/$folder has no layer in scripts/check-layers.sh"
    status=1
    continue
  fi
  while IFS=: read -r line used; do
    [[ $used == "$folder" ]] && continue
    theirs=${layer[$used]:-}
    [[ -z $theirs ]] && continue # not one of the program's folders
    if ((theirs >= own)); then
      echo "$file:$line: src/$folder (layer $own) includes src/$used (layer $theirs)"
      status=1
    fi
  done < <(grep -noE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$file" |
             sed -E 's/^([0-9]+):.*"([a-z]+)\/$/\1:\2/')
done < <(find src -name '*.cpp' -o -name '*.h' | sort)

# The link line of each folder against the folders its files include.
for dir in src/*/; do
  folder=$(basename "$dir")
  [[ -f $dir/CMakeLists.txt ]] || continue
  linked=$(tr '\n' ' ' <"$dir/CMakeLists.txt" |
             grep -oE "target_link_libraries\(bkp_$folder [^)]*\)" |
             grep -oE 'bkp_[a-z]+' | sed 's/^bkp_//' | grep -vx "$folder" | sort -u || true)
  included=$(grep -rhoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$dir" |
               sed -E 's/.*"([a-z]+)\/$/\1/' | grep -vx "$folder" |
               while read -r used; do [[ -n ${layer[$used]:-} ]] && echo "$used"; done |
               sort -u || true)
  if [[ $linked != "$included" ]]; then
    echo "src/$folder/CMakeLists.txt links {$(echo $linked)} but its files include {$(echo $included)}"
    status=1
  fi
done

if ((status == 0)); then
  echo "layers: every include of src/ points to a folder below its own, as the link lines say"
fi
exit $status
