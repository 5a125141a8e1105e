#!/usr/bin/env bash
# Fails when a folder of src/ includes a folder of a higher layer, or one it does not know.
# The stack, bottom first: what a folder may include is its own layer and those below.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A rank=([platform]=0 [analysis]=1 [output]=2 [job]=3 [preview]=4 [draw]=5 [cli]=6 [app]=6)
status=0
while IFS= read -r line; do
    file=${line%%:*}
    included=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"${line#*:}")
    folder=$(cut -d/ -f2 <<<"$file")
    if [[ -z ${rank[$folder]+x} ]]; then
        echo "$file: folder src/$folder/ has no layer; add it to scripts/check-layers.sh" >&2
        status=1
    elif [[ -z ${rank[$included]+x} ]]; then
        echo "$file: includes $included/, which has no layer" >&2
        status=1
    elif [[ $included != "$folder" && ${rank[$included]} -ge ${rank[$folder]} ]]; then
        echo "$file: src/$folder/ must not include $included/ (same or higher layer)" >&2
        status=1
    fi
done < <(grep -rHE '^#include "[^/"]+/' src --include='*.h' --include='*.cpp' --include='*.inl')
exit $status
