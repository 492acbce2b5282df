#!/bin/sh
# Runs one Windows executable under Wine: the emulator CTest uses for the windows build.
# tools/wine-session.sh sets up the prefix, wineserver and display for a whole run; alone, this
# falls back to the repository's prefix and a private X server per call.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
    exec "$root/tools/wine-session.sh" wine "$@"
fi
exec wine "$@"
