#!/bin/sh
# Checks that every quoted include in the product's folders runs downward through the layers:
#
#   base <- ini <- desktop <- store <- ui <- app
#
# A folder may include its own files and those of any folder to its left. desktop/ and store/ build
# into one library (CDesktopLayout's members live in both), but store/ builds on desktop/ and never
# the other way. platform/ (the one way into Win32) and res/ (resource ids) stand beside the layers:
# every folder may include them, and they include only themselves. Anything else (tests/, tools/,
# bench/, a folder this list does not know) is out of reach of the product.
#
# The CMake libraries link in the same order; static libraries alone cannot catch an upward include,
# since every include is written from the repository's root.
#
# Usage: tools/check-includes.sh [--graph] [root]
#   Prints each include that runs the wrong way with its file and line, and fails if there is one.
#   --graph also prints the include graph by folder, one "from -> to (count)" line per arrow.
set -u
graph=0
if [ "${1:-}" = "--graph" ]; then
    graph=1
    shift
fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

layers="base ini desktop store ui app"
beside="platform res"

folders=""
for folder in $layers $beside; do
    [ -d "$folder" ] && folders="$folders $folder"
done
if [ -z "$folders" ]; then
    echo "check-includes: no product folders under $root" >&2
    exit 2
fi

# grep prints "file:line:text"; -I leaves the images and icons alone.
# shellcheck disable=SC2086
grep -rnI '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' $folders |
    awk -v layers="$layers" -v beside="$beside" -v graph="$graph" '
    BEGIN {
        n = split(layers, names, " ")
        for (i = 1; i <= n; i++)
            rank[names[i]] = i
        m = split(beside, leaves, " ")
        for (i = 1; i <= m; i++)
            leaf[leaves[i]] = 1
    }
    {
        first = index($0, ":")
        file = substr($0, 1, first - 1)
        rest = substr($0, first + 1)
        second = index(rest, ":")
        line = substr(rest, 1, second - 1)
        text = substr(rest, second + 1)
        sub(/^[^"]*"/, "", text)
        sub(/".*$/, "", text)
        target = text

        from = file
        sub(/\/.*$/, "", from)
        directory = file
        sub(/\/[^\/]*$/, "", directory)
        # A name without a folder is one beside the including file (the resource script).
        if (index(target, "/") == 0) {
            if (system("test -f \"" directory "/" target "\"") == 0)
                to = from
            else
                to = "(root)"
        } else {
            to = target
            sub(/\/.*$/, "", to)
        }
        includes++
        arrows[from " -> " to]++

        why = ""
        if (to == from || (to in leaf))
            why = ""
        else if (from in leaf)
            why = from "/ stands beside the layers and includes only itself"
        else if (!(to in rank))
            why = to "/ is not a product folder"
        else if (rank[to] > rank[from])
            why = to "/ lies above " from "/"
        if (why != "") {
            printf "%s:%s: includes \"%s\": %s\n", file, line, target, why
            wrong++
        }
    }
    END {
        if (graph)
            for (arrow in arrows)
                printf "%s (%d)\n", arrow, arrows[arrow] | "sort"
        close("sort")
        if (wrong) {
            printf "check-includes: %d of %d includes run upward or sideways\n", wrong, includes
            exit 1
        }
        printf "check-includes: all %d includes run downward\n", includes
    }'
