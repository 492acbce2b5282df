#!/bin/sh
# The download `make dist` builds, checked from the outside: named for the version record, holding
# exactly the program, the README and the LICENSE, the program byte for byte and the texts as
# written with Windows line ends; a zip left from before is replaced, not added to; and a version
# record that disagrees with itself names no download.
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

entries=$(unzip -Z1 "$zip_file" | LC_ALL=C sort | tr '\n' ' ')
[ "$entries" = "LICENSE README.md quillmarsh.exe " ] || fail "zip holds: $entries"

unzip -p "$zip_file" quillmarsh.exe | cmp -s - "$exe" || fail "quillmarsh.exe differs from $exe"
for text in README.md LICENSE; do
    unzip -p "$zip_file" "$text" >"$scratch/$text"
    tr -d '\r' <"$scratch/$text" | cmp -s - "$root/$text" || fail "$text differs from the repository's"
    lines=$(wc -l <"$root/$text")
    crlf=$(grep -c "$(printf '\r')\$" "$scratch/$text")
    [ "$crlf" -eq "$lines" ] || fail "$text: $crlf of $lines lines end in CR LF"
done

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
echo "check-dist: quillmarsh-$version.zip holds LICENSE, README.md and quillmarsh.exe as built"
