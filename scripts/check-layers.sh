#!/usr/bin/env bash
# Fails when a source file includes a header of a higher layer. The layers, lowest first:
# platform, caches, core, movegen, eval, search, book, frontend, tools (programs of their own
# built from the front end's pieces). A file may include its own layer and those below; a lower
# layer reaches up only through what a front end installs.
# Usage: check-layers.sh [SRC_DIR]
set -u
src=${1:-$(dirname "$0")/../src}
layers=(platform caches core movegen eval search book frontend tools)
rank_of() {
    local i
    for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
    echo -1
}
status=0
for dir in "$src"/*/; do
    layer=$(basename "$dir")
    own=$(rank_of "$layer")
    if [ "$own" -lt 0 ]; then
        echo "$layer: a folder that is no layer"
        status=1
        continue
    fi
    while IFS=: read -r file line text; do
        target=$(sed -E 's/^#include "([a-z_]+)\/.*/\1/' <<<"$text")
        if [ "$(rank_of "$target")" -gt "$own" ]; then
            echo "$file:$line: $layer includes the higher layer $target: $text"
            status=1
        fi
    done < <(grep -rnE '^#include "[a-z_]+/' "$dir")
done
[ $status -eq 0 ] && echo "every include looks down"
exit $status
