#!/bin/sh
# `make run`: the stand-in desktop, filled with sample icons, under Wine. With a display it stays
# until its window is closed; without one it runs on a private Xvfb, saves a screenshot and ends.
# The tray program itself joins it here once it is built.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/windows/bin"
out="$root/build/run"

layout="Recycle Bin;20;10;My Computer;20;80;Documents;20;150;Projects;100;10;Notes.txt;100;80;"
layout="${layout}Budget 2026.xlsx;100;150;Photos;180;10;Readme.md;180;80;"

if [ "${1:-}" = "--tour" ]; then
    # Inside the Wine session on the private display.
    mkdir -p "$out"
    wine "$bin/standin-desktop.exe" --layout "$layout" &
    desktop=$!
    sleep 3
    if import -window root "$out/desktop.png" 2>/dev/null; then
        echo "run: screenshot of the desktop in $out/desktop.png"
    fi
    kill "$desktop" 2>/dev/null
    wait "$desktop" 2>/dev/null
    exit 0
fi

if [ -n "${DISPLAY:-}" ]; then
    exec "$root/tools/wine-session.sh" wine "$bin/standin-desktop.exe" --layout "$layout"
fi
exec "$root/tools/wine-session.sh" "$0" --tour
