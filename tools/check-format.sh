#!/bin/sh
# Checks every C and C++ source of the repository against .clang-format with clang-format-16
# (the first Debian clang-format that knows InsertBraces); with --fix, formats them in place.
# Sources are the files git tracks (none of build/); outside a git checkout, every such file
# under the root but build/. Ends with status 0 only when every file is formatted.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 2
format=clang-format-16

fix=0
case "${1:-}" in
"") ;;
--fix) fix=1 ;;
*)
    echo "usage: tools/check-format.sh [--fix]" >&2
    exit 2
    ;;
esac

if ! command -v "$format" >/dev/null 2>&1; then
    echo "check-format: $format not found; tools/install-deps.sh installs it (as root)" >&2
    exit 2
fi

# A style file the tool cannot read would otherwise show as every file unformatted.
if ! "$format" --style=file --dump-config </dev/null >/dev/null; then
    echo "check-format: $format cannot read .clang-format" >&2
    exit 2
fi

list=$(mktemp) || exit 2
trap 'rm -f "$list"' EXIT
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' >"$list"
else
    find . -path ./build -prune -o -path ./.git -prune -o -type f \
        \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) \
        -print | sed 's|^\./||' | sort >"$list"
fi
count=$(wc -l <"$list")
if [ "$count" -eq 0 ]; then
    echo "check-format: no sources found" >&2
    exit 2
fi

if [ "$fix" -eq 1 ]; then
    tr '\n' '\0' <"$list" | xargs -0 "$format" -i || exit 1
    echo "check-format: formatted $count files"
    exit 0
fi
# One line per file that needs formatting; clang-format reports each difference as an error
# "FILE:LINE:COLUMN: error: code should be clang-formatted".
report=$(tr '\n' '\0' <"$list" | xargs -0 "$format" --dry-run --Werror 2>&1 >/dev/null)
status=$?
unformatted=$(printf '%s\n' "$report" | sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' |
    sort -u)
if [ -n "$unformatted" ]; then
    printf '%s\n' "$unformatted" | sed 's/^/check-format: not formatted: /'
    echo "check-format: $(printf '%s\n' "$unformatted" | wc -l) of $count files need formatting" \
        "(tools/check-format.sh --fix)"
    exit 1
fi
if [ "$status" -ne 0 ]; then
    printf '%s\n' "$report" >&2
    echo "check-format: $format failed" >&2
    exit 1
fi
echo "check-format: $count files formatted"
