#!/bin/sh
# `make dist`: what a user downloads, one zip named for the version record (tools/version.sh)
# holding the program, the user's guide ("Read Me.txt", from docs/) and the LICENSE side by side,
# with no folder: the program keeps its settings file beside itself, wherever the user unpacks it.
# The two texts get Windows line ends, so Notepad shows them as written. The repository's README is
# the developers' and stays out. Prints the zip's path.
# Usage: tools/make-dist.sh [program [output folder]]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
exe="${1:-$root/build/windows/bin/quillmarsh.exe}"
out="${2:-$root/build/dist}"

version=$("$root/tools/version.sh") || exit 1
if [ ! -f "$exe" ]; then
    echo "dist: no program at $exe (make windows builds it)" >&2
    exit 1
fi
mkdir -p "$out" || exit 1
zip_file="$out/quillmarsh-$version.zip"

# zip adds to an archive that exists, so each one is made afresh under a scratch name and only a
# whole one takes the final name.
stage=$(mktemp -d) || exit 1
trap 'rm -rf "$stage"' EXIT
cp -p "$exe" "$stage/quillmarsh.exe" &&
    cp -p "$root/docs/Read Me.txt" "$root/LICENSE" "$stage/" || exit 1
(
    cd "$stage" &&
        zip -q -X quillmarsh.zip quillmarsh.exe &&
        zip -q -X -l quillmarsh.zip "Read Me.txt" LICENSE
) || exit 1
mv -f "$stage/quillmarsh.zip" "$zip_file" || exit 1
echo "$zip_file"
