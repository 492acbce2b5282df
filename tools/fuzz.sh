#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer against the host stand-in and runs each for
# FUZZ_SECONDS (60 by default), starting from its committed seed corpus tests/fuzz/corpus/<target>:
#   ini       the INI reader and writer (tests/fuzz/IniFuzz.cpp)
#   layout    ParseLayout of any bytes, then ApplyLayout on the simulated desktop (LayoutFuzz.cpp)
#   settings  LoadSettings of any file, SaveSettings, and a second load equal to the first
#             (SettingsFuzz.cpp)
# FUZZ_TARGETS picks some of them. New inputs stay under build/fuzz/corpus-<target>; a failing
# input is saved as build/fuzz/<target>-crash-*. Ends with one line per target.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
seconds="${FUZZ_SECONDS:-60}"
targets="${FUZZ_TARGETS:-ini layout settings}"
out=build/fuzz
mkdir -p "$out/obj"

flags="-std=c++17 -g -O1 -Wall -Wextra -Wshadow -Werror -fno-sanitize-recover=undefined -I."
core="app/PtrList.cpp desktop/DesktopLayout.cpp desktop/LayoutApply.cpp desktop/LayoutText.cpp
desktop/ListViewAccess.cpp ini/AtomicFile.cpp ini/IniFile.cpp ini/IniReader.cpp ini/IniWriter.cpp
store/SettingsFile.cpp store/SnapshotStore.cpp store/StartWithWindows.cpp
platform/host/HostDialogs.cpp platform/host/HostRegistry.cpp platform/host/HostShell.cpp"

# The core once, instrumented for the fuzzer; each target links it.
objects=
for source in $core; do
    object="$out/obj/$(echo "$source" | tr / _).o"
    objects="$objects $object"
    if [ ! -f "$object" ] || [ "$source" -nt "$object" ]; then
        clang++ $flags -fsanitize=fuzzer-no-link,address,undefined -c "$source" -o "$object" ||
            exit 1
    fi
done

summary=
status=0
for target in $targets; do
    case "$target" in
    ini) source=tests/fuzz/IniFuzz.cpp ;;
    layout) source=tests/fuzz/LayoutFuzz.cpp ;;
    settings) source=tests/fuzz/SettingsFuzz.cpp ;;
    *) echo "fuzz: unknown target $target" >&2; exit 2 ;;
    esac
    clang++ $flags -fsanitize=fuzzer,address,undefined $objects "$source" -o "$out/${target}_fuzz" ||
        exit 1
    mkdir -p "$out/corpus-$target"
    log="$out/$target.log"
    "$out/${target}_fuzz" -max_total_time="$seconds" -max_len=20000 -timeout=10 \
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
