#!/bin/sh
# Runs a command inside one Wine session: one prefix (created once), one persistent wineserver and,
# when there is no display, one private Xvfb. Everything started here is stopped on the way out.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all,err+all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

. "$root/tools/private-xvfb.sh"
xvfb_pid=
cleanup() {
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    stop_private_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
    start_private_xvfb -screen 0 1280x1024x24 || exit 1
fi

mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# A persistent server keeps each test process's start-up short. Wine's own services (explorer's
# desktop, rpcss, ...) start with the first program and inherit its output: start them here, on
# /dev/null, so no caller's pipe stays open after its program has ended.
wineserver -p >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
# A program that crashes must end at once and fail its test, not wait in winedbg for a person: a
# debugger that cannot be started makes Wine terminate the process.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
    /t REG_SZ /d no-debugger /f </dev/null >/dev/null 2>&1

"$@"
