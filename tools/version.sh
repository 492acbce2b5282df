#!/bin/sh
# Prints the program's version as the version record in res/QuillMarsh.rc holds it, such as
# 1.0.0.1: the one place the version is written. The record says it four times (FILEVERSION,
# PRODUCTVERSION and the "FileVersion" and "ProductVersion" strings); a record whose four do not
# agree, or that lacks one, prints nothing and fails, so no download is named after half a bump.
# Usage: tools/version.sh [resource script]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
script="${1:-$root/res/QuillMarsh.rc}"
if [ ! -r "$script" ]; then
    echo "version: cannot read $script" >&2
    exit 1
fi

# FILEVERSION 1, 0, 0, 1 -> 1.0.0.1
numbers() {
    tr -d '\r' <"$script" |
        sed -n "s/^[[:space:]]*$1[[:space:]][[:space:]]*\([0-9][0-9, ]*[0-9]\)[[:space:]]*$/\1/p" |
        tr -d ' ' | tr ',' '.'
}
# VALUE "FileVersion", "1.0.0.1" -> 1.0.0.1
text() {
    tr -d '\r' <"$script" |
        sed -n "s/^[[:space:]]*VALUE[[:space:]]*\"$1\",[[:space:]]*\"\([^\"]*\)\".*/\1/p"
}

file_version=$(numbers FILEVERSION)
product_version=$(numbers PRODUCTVERSION)
file_text=$(text FileVersion)
product_text=$(text ProductVersion)

case "$file_version" in
[0-9]*.[0-9]*.[0-9]*.[0-9]*) ;;
*)
    echo "version: no FILEVERSION of four numbers in $script" >&2
    exit 1
    ;;
esac
for other in "$product_version" "$file_text" "$product_text"; do
    if [ "$other" != "$file_version" ]; then
        echo "version: $script disagrees with itself: FILEVERSION $file_version," \
            "PRODUCTVERSION ${product_version:-(none)}, \"FileVersion\" ${file_text:-(none)}," \
            "\"ProductVersion\" ${product_text:-(none)}" >&2
        exit 1
    fi
done
echo "$file_version"
