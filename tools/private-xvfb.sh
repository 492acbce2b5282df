# Sourced by the scripts that need a display of their own. start_private_xvfb ARGS... starts Xvfb
# with ARGS on a free display number, exports DISPLAY and sets xvfb_pid; stop_private_xvfb stops it.
start_private_xvfb() {
    xvfb_display_file=$(mktemp)
    Xvfb -displayfd 3 "$@" -nolisten tcp 3>"$xvfb_display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    tries=0
    while [ ! -s "$xvfb_display_file" ] && [ $tries -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if [ ! -s "$xvfb_display_file" ]; then
        rm -f "$xvfb_display_file"
        echo "$(basename "$0"): Xvfb did not start" >&2
        return 1
    fi
    DISPLAY=":$(head -n 1 "$xvfb_display_file")"
    export DISPLAY
    rm -f "$xvfb_display_file"
}

# Stops the Xvfb that start_private_xvfb started, if any.
stop_private_xvfb() {
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=
    fi
}
