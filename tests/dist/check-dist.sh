#!/bin/sh
# The download `make dist` builds, checked from the outside: named for the version record, holding
# exactly the program, the user's guide and the LICENSE, the program byte for byte and the texts
# as written with Windows line ends; the guide names every command of the tray menu and every
# "Error" message the program can show; a zip left from before is replaced, not added to; and a
# version record that disagrees with itself names no download.
# Usage: tests/dist/check-dist.sh program scratch-folder
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
exe="$1"
scratch="$2"
failures=0
fail() {
    echo "check-dist: $*" >&2
    failures=$((failures + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch/out" || exit 1
version=$("$root/tools/version.sh") || exit 1
zip_file="$scratch/out/quillmarsh-$version.zip"

# A zip from an earlier build with an entry that no longer belongs.
echo stale >"$scratch/stale.txt"
(cd "$scratch" && zip -q stale.zip stale.txt) && mv "$scratch/stale.zip" "$zip_file"

printed=$("$root/tools/make-dist.sh" "$exe" "$scratch/out") || fail "make-dist failed"
[ "$printed" = "$zip_file" ] || fail "make-dist printed '$printed', not $zip_file"
made=$(ls "$scratch/out")
[ "$made" = "quillmarsh-$version.zip" ] || fail "output folder holds: $made"

entries=$(unzip -Z1 "$zip_file" | LC_ALL=C sort | tr '\n' '|')
[ "$entries" = "LICENSE|Read Me.txt|quillmarsh.exe|" ] || fail "zip holds: $entries"

unzip -p "$zip_file" quillmarsh.exe | cmp -s - "$exe" || fail "quillmarsh.exe differs from $exe"
for text in "docs/Read Me.txt" LICENSE; do
    name=$(basename "$text")
    unzip -p "$zip_file" "$name" >"$scratch/$name"
    tr -d '\r' <"$scratch/$name" | cmp -s - "$root/$text" || fail "$name differs from $text"
    lines=$(wc -l <"$root/$text")
    crlf=$(grep -c "$(printf '\r')\$" "$scratch/$name")
    [ "$crlf" -eq "$lines" ] || fail "$name: $crlf of $lines lines end in CR LF"
done

# Every command of the menu resource, and every message of the table of boxes, by its own words.
guide="$root/docs/Read Me.txt"
sed -n 's/^ *\(MENUITEM\|POPUP\) "\([^"]*\)".*/\2/p' "$root/res/QuillMarsh.rc" |
    grep -v -x -e MainMenu -e '<none>' >"$scratch/commands"
[ "$(wc -l <"$scratch/commands")" -ge 12 ] || fail "found only $(wc -l <"$scratch/commands") menu texts"
while IFS= read -r command; do
    grep -q -F -- "$command" "$guide" || fail "the guide does not name the command $command"
done <"$scratch/commands"
sed -n 's/^| "\([^"]*\)" |.*/\1/p' "$root/docs/kept-on-purpose.md" >"$scratch/messages"
[ "$(wc -l <"$scratch/messages")" -ge 9 ] || fail "found only $(wc -l <"$scratch/messages") messages"
while IFS= read -r message; do
    grep -q -F -- "\"$message\"" "$guide" || fail "the guide does not name the message $message"
done <"$scratch/messages"

# The four statements of the version must agree.
sed 's/^\(PRODUCTVERSION [0-9, ]*\)[0-9]$/\19/' "$root/res/QuillMarsh.rc" >"$scratch/bumped.rc"
if "$root/tools/version.sh" "$scratch/bumped.rc" >/dev/null 2>&1; then
    fail "version.sh took a record whose PRODUCTVERSION disagrees with the rest"
fi
"$root/tools/version.sh" "$root/res/QuillMarsh.rc" | grep -qx '[0-9]*\.[0-9]*\.[0-9]*\.[0-9]*' ||
    fail "version.sh gives no version of four numbers"

rm -rf "$scratch"
if [ "$failures" -ne 0 ]; then
    echo "check-dist: $failures failed" >&2
    exit 1
fi
echo "check-dist: quillmarsh-$version.zip holds LICENSE, Read Me.txt and quillmarsh.exe as built"
