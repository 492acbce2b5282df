#!/bin/sh
# Runs a command in a Wine session of its own on a private Xvfb that lets the display mode change:
# started at 1920x1200 and kept alive between clients (-noreset, without which added modes
# vanish), with a 1024x768 mode added through xrandr. The developer's display is never used, even
# when DISPLAY is set, and the session has a prefix of its own, so no other run sees the switch.
# Everything started here is stopped on the way out.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)

. "$root/tools/private-xvfb.sh"
xvfb_pid=
cleanup() {
    stop_private_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_private_xvfb -noreset -screen 0 1920x1200x24 || exit 1

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
