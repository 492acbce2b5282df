#!/bin/sh
# Runs a command with QM_PROTECTED_FOLDER naming a folder that holds a copy of the program and takes
# no new file, as Program Files does for a standard user: marked immutable (chattr +i), or else a
# read-only bind mount. Both take root; where neither works the variable stays unset and the tests
# that need it say so and skip. The mark or mount is undone, and the folder removed, on every way
# out.
#
# Usage: tools/protected-folder.sh <quillmarsh.exe> <command> [arguments...]
set -u
program=$1
shift
folder=$(mktemp -d "$(dirname "$program")/qm-protected-XXXXXX") || exit 1
undo=
cleanup() {
    case $undo in
    chattr) chattr -i "$folder" ;;
    mount) umount "$folder" ;;
    esac
    rm -rf "$folder"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cp "$program" "$folder/quillmarsh.exe" || exit 1
if chattr +i "$folder" 2>/dev/null; then
    undo=chattr
elif mount --bind "$folder" "$folder" 2>/dev/null; then
    undo=mount
    mount -o remount,bind,ro "$folder" 2>/dev/null || { umount "$folder"; undo=; }
fi
if [ -n "$undo" ]; then
    # Wine hands the environment to its programs; the test reads the path on drive Z:.
    export QM_PROTECTED_FOLDER="$folder"
fi
"$@"
