#!/usr/bin/env bash
# Fails when a source file includes a header from a folder above its own, or from a folder
# beside it that is not its own. Layers, bottom up: base; forms; records and settings;
# drill; shell; the command-line programs and main.cpp stand on what they need.
set -euo pipefail
cd "$(dirname "$0")/.."
rank() {
    case $1 in
        base) echo 0 ;;
        forms) echo 1 ;;
        records | settings) echo 2 ;;
        drill) echo 3 ;;
        shell) echo 4 ;;
        *) echo 9 ;;
    esac
}
bad=0
for file in base/* forms/* records/* settings/* drill/* shell/*; do
    case $file in *.cpp | *.h) ;; *) continue ;; esac
    folder=${file%%/*}
    while read -r included; do
        other=${included%%/*}
        [ "$other" = "$folder" ] && continue
        if [ "$(rank "$other")" -ge "$(rank "$folder")" ]; then
            echo "$file includes $included: $other is not below $folder"
            bad=1
        fi
    done < <(sed -n 's/^#include "\([a-z]*\/[^"]*\)".*/\1/p' "$file")
done
[ "$bad" -eq 0 ] && echo "layering: every include points down"
exit "$bad"
