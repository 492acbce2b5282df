#!/bin/sh
# Runs the benchmarks: the settings engine on the host (time, and instructions under callgrind),
# then capture and apply against the stand-in desktop, then the footprint of the running program,
# then its start over a file of many snapshots, each in one Wine session. BENCH_ROUNDS sets the
# rounds of the desktop benchmark (5 by default), FOOTPRINT_OPENINGS the menu openings of the
# footprint benchmark (1000), STARTUP_TICKS the autosaves timed after the start (3). Prints
# everything; nothing is asserted.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds="${BENCH_ROUNDS:-5}"
settings=build/bench/bench/settings_bench
data=build/bench/data
rm -rf "$data"
mkdir -p "$data"

echo "== machine"
echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
    "$(free -g | awk '/^Mem:/ {print $2}') GB; $(uname -sr); $(wine --version 2>/dev/null || true)"

echo "== settings engine (host, Release, no sanitizers)"
"$settings" "$data" prepare
"$settings" "$data" time 15

# Instructions of one call, counted from the function's entry to its return (callees included).
instructions() {
    out="$data/callgrind.$1.out"
    valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$2" \
        "$settings" "$data" once "$1" >/dev/null 2>&1
    sed -n 's/^summary: *//p' "$out"
}
load=$(instructions load '*CDesktopLayout::LoadSettings*')
save=$(instructions save '*CDesktopLayout::SaveSettings*')
read_floor=$(instructions read-floor '*ReadFloor*')
write_floor=$(instructions write-floor '*WriteFloor*')
durable_floor=$(instructions durable-floor '*DurableFloor*')
echo "instructions (callgrind): LoadSettings $load, read floor $read_floor;" \
    "SaveSettings $save, write floor $write_floor, durable floor $durable_floor"
awk -v l="$load" -v r="$read_floor" -v s="$save" -v w="$write_floor" -v d="$durable_floor" \
    'BEGIN { printf "  load / read floor %.2f;  save / write floor %.2f;  save / durable floor %.2f\n",
             l / r, s / w, s / d }'

echo "== desktop (Wine, stand-in desktop)"
tools/wine-session.sh wine build/windows/bin/desktop_bench.exe "$rounds"

echo "== footprint (Wine): quillmarsh.exe's size, and the running program over ${FOOTPRINT_OPENINGS:-1000} menu openings"
tools/wine-session.sh wine build/windows/bin/footprint_bench.exe "${FOOTPRINT_OPENINGS:-1000}"

echo "== start-up (Wine): quillmarsh.exe over a settings file of 40,000 snapshots"
tools/wine-session.sh wine build/windows/bin/startup_bench.exe "${STARTUP_TICKS:-3}"
