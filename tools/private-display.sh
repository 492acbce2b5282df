#!/bin/sh
# Runs a command in a Wine session of its own on a private Xvfb that lets the display mode change:
# started at 1920x1200 and kept alive between clients (-noreset, without which added modes
# vanish), with a 1024x768 mode added through xrandr. The developer's display is never used, even
# when DISPLAY is set, and the session has a prefix of its own, so no other run sees the switch.
# Everything started here is stopped on the way out.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)

display_file=$(mktemp)
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -f "$display_file"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

Xvfb -displayfd 3 -noreset -screen 0 1920x1200x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
tries=0
while [ ! -s "$display_file" ] && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
if [ ! -s "$display_file" ]; then
    echo "private-display: Xvfb did not start" >&2
    exit 1
fi
DISPLAY=":$(head -n 1 "$display_file")"
export DISPLAY

output=$(xrandr 2>/dev/null | sed -n 's/^\([^ ]*\) connected.*/\1/p' | head -n 1)
if [ -z "$output" ] ||
    ! xrandr --newmode qm1024x768 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync ||
    ! xrandr --addmode "$output" qm1024x768; then
    echo "private-display: could not add a 1024x768 mode (is x11-xserver-utils installed?)" >&2
    exit 1
fi

export WINEPREFIX="$root/build/wineprefix-displays"
export QM_PRIVATE_DISPLAY=1
"$root/tools/wine-session.sh" "$@"
