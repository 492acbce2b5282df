#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer against the host simulation and runs each for
# FUZZ_SECONDS (60 by default), starting from its committed seed corpus tests/fuzz/corpus/<target>:
#   ini       the INI reader and writer (tests/fuzz/IniFuzz.cpp)
#   layout    ParseLayout of any bytes, then ApplyLayout on the simulated desktop (LayoutFuzz.cpp)
#   settings  LoadSettings of any file, SaveSettings, and a second load equal to the first
#             (SettingsFuzz.cpp)
#   reader    the INI reader with its fast path for plain lines and without it: one document
#             (ReaderFuzz.cpp)
# FUZZ_TARGETS picks some of them. New inputs stay under build/fuzz/corpus-<target>; a failing
# input is saved as build/fuzz/<target>-crash-*. Ends with one line per target.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
seconds="${FUZZ_SECONDS:-60}"
targets="${FUZZ_TARGETS:-ini layout settings reader}"
out=build/fuzz
mkdir -p "$out"

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j2 || exit 1

summary=
status=0
for target in $targets; do
    binary="$out/tests/fuzz/${target}_fuzz"
    if [ ! -x "$binary" ]; then
        echo "fuzz: unknown target $target" >&2
        exit 2
    fi
    mkdir -p "$out/corpus-$target"
    log="$out/$target.log"
    "$binary" -max_total_time="$seconds" -max_len=20000 -timeout=10 \
        -artifact_prefix="$out/$target-" -print_final_stats=1 \
        "$out/corpus-$target" "tests/fuzz/corpus/$target" 2>&1 | tee "$log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if grep -q "^==[0-9]*==ERROR\|^SUMMARY: \|deadly signal\|Fuzz: " "$log"; then
        summary="$summary
$target: FAILED after ${runs:-?} runs, see $log"
        status=1
    else
        summary="$summary
$target: ${runs:-?} runs in ${seconds} s, no findings"
    fi
done
echo "$summary"
exit $status
