#!/bin/sh
# `make run`: the program under Wine beside the stand-in desktop filled with sample icons, started
# from build/run/ so its settings file lands there. With a display it stays in the tray until the
# person chooses Exit, and the stand-in desktop closes with it. Without one it runs on a private
# Xvfb as a short scripted tour through its own commands, leaves screenshots in build/run/, prints
# the settings file and ends by itself.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/windows/bin"
out="$root/build/run"

if [ "${1:-}" = "--inside" ]; then
    # Inside the Wine session.
    exe=$(winepath -w "$out/quillmarsh.exe")
    if [ "$2" = "stay" ]; then
        wine "$bin/program-tour.exe" --stay "$exe"
    else
        wine "$bin/program-tour.exe" --tour "$exe" "$(winepath -w "$out")"
    fi
    status=$?
    echo "run: the settings file $out/Quillmarsh.ini:"
    tr -d '\r' <"$out/Quillmarsh.ini" 2>/dev/null
    exit $status
fi

mkdir -p "$out"
cp "$bin/quillmarsh.exe" "$out/quillmarsh.exe" || exit 1
if [ -n "${DISPLAY:-}" ]; then
    exec "$root/tools/wine-session.sh" "$0" --inside stay
fi
# The tour starts from a clean slate, so what it prints is its own doing.
rm -f "$out/Quillmarsh.ini" "$out"/*.png
"$root/tools/wine-session.sh" "$0" --inside tour
status=$?
echo "run: screenshots in $out:"
ls "$out"/*.png 2>/dev/null
exit $status
