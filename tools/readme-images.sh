#!/bin/sh
# `make readme-images`: the README's pictures of the tray menu, the About box and Manage
# Arrangements, taken by the
# scripted tour of `make run` (always the tour, on a private Xvfb, even where there is a display)
# and copied from build/run/ into docs/images/, stripped of metadata and reduced to a palette so
# that they stay small in the repository.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
run="$root/build/run"
images="$root/docs/images"

DISPLAY= "$root/tools/run-program.sh" || exit 1
mkdir -p "$images" || exit 1
# The menu open at Restore, and the About box and Manage Arrangements at 100 %.
for pair in "3-menu-alone.png menu.png" "8-about-at-100.png about.png" \
    "9-arrangements-at-100.png arrangements.png"; do
    set -- $pair
    if [ ! -f "$run/$1" ]; then
        echo "readme-images: the tour left no $1 in $run" >&2
        exit 1
    fi
    convert "$run/$1" -strip -colors 64 "PNG8:$images/$2" || exit 1
    echo "readme-images: $images/$2 ($(wc -c <"$images/$2") bytes)"
done
