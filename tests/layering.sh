#!/usr/bin/env bash
# Keeps the layers: code in a folder includes only from its own layer and the
# layers below it (.ui custom-widget headers count as includes). Lowest first;
# folders on one line form one layer.
# Usage: layering.sh [source root]
set -u
root=${1:-"$(dirname "$0")/.."}
layers=(
    "platform"
    "core"
    "widgets"
    "sensor buttons macro settings lighting"
    "mainwindow"
    "app"
)

declare -A tier
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do
        tier[$folder]=$i
    done
done

pattern='(#include "|<header>)([A-Za-z0-9_]+)/'
bad=0
for folder in "${!tier[@]}"; do
    [ -d "$root/$folder" ] || continue
    while IFS= read -r hit; do
        [[ $hit =~ $pattern ]] || continue
        target=${BASH_REMATCH[2]}
        if [ -z "${tier[$target]+set}" ]; then
            echo "unknown layer '$target': ${hit#"$root/"}"
            bad=1
        elif [ "${tier[$target]}" -gt "${tier[$folder]}" ]; then
            echo "$folder reaches up to $target: ${hit#"$root/"}"
            bad=1
        fi
    done < <(grep -rnE "$pattern" --include='*.h' --include='*.cpp' --include='*.ui' "$root/$folder")
done
[ "$bad" -eq 0 ] && echo "layering: every include stays in its layer or below"
exit "$bad"
