#!/bin/sh
# Runs a command inside one Wine session: one prefix (created once), one persistent wineserver and,
# when there is no display, one private Xvfb. Everything started here is stopped on the way out.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all,err+all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

xvfb_pid=
display_file=
cleanup() {
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    [ -n "$display_file" ] && rm -f "$display_file"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    tries=0
    while [ ! -s "$display_file" ] && [ $tries -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if [ ! -s "$display_file" ]; then
        echo "wine-session: Xvfb did not start" >&2
        exit 1
    fi
    DISPLAY=":$(head -n 1 "$display_file")"
    export DISPLAY
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
