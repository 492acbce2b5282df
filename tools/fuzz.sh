#!/bin/sh
# Builds the INI fuzz target with clang and libFuzzer against the host stand-in and runs it for
# FUZZ_SECONDS (60 by default), starting from the committed seed corpus. New inputs the fuzzer
# finds stay under build/fuzz; a crashing input is saved there as crash-*.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds="${FUZZ_SECONDS:-60}"
out=build/fuzz
mkdir -p "$out/corpus-ini"

clang++ -std=c++17 -g -O1 -Wall -Wextra -Wshadow -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I. \
    ini/AtomicFile.cpp ini/IniFile.cpp ini/IniReader.cpp ini/IniWriter.cpp \
    platform/host/HostDialogs.cpp tests/fuzz/IniFuzz.cpp \
    -o "$out/ini_fuzz"

"$out/ini_fuzz" -max_total_time="$seconds" -max_len=20000 -timeout=10 \
    -artifact_prefix="$out/" -print_final_stats=1 \
    "$out/corpus-ini" tests/fuzz/corpus/ini
