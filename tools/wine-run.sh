#!/bin/sh
# Runs one Windows executable under Wine: the emulator CTest uses for the windows build.
# tools/wine-session.sh sets up the prefix, wineserver and display for a whole run; alone, this
# starts such a session around itself.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
# Wine's own errors stay on: when a program fails to start, they are all there is to read.
export WINEDEBUG="${WINEDEBUG:--all,err+all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
    exec "$root/tools/wine-session.sh" "$0" "$@"
fi

out_file=$(mktemp)
status_file=$(mktemp)
trap 'rm -f "$out_file" "$status_file"' EXIT
trap 'exit 130' INT TERM

# Output goes through as it comes; a copy of standard output tells whether the program printed
# anything at all.
attempt() {
    { wine "$@"; echo $? >"$status_file"; } | tee "$out_file"
    status=$(cat "$status_file")
}

attempt "$@"
# Now and then Wine ends a new process at once, before the program's own code has printed a line
# (seen once in hundreds of runs, with nothing on either stream). Such a run tested nothing: say so
# and start the program once more. A program that printed anything is never started again.
if [ "$status" -ne 0 ] && [ ! -s "$out_file" ]; then
    echo "wine-run: $1 ended with status $status before printing anything; starting it again" >&2
    attempt "$@"
fi
[ "$status" -eq 0 ] || echo "wine-run: $1 ended with status $status" >&2
exit "$status"
