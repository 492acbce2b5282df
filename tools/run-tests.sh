#!/bin/sh
# Checks the sources' formatting, runs the host suite and the windows suite; ends with one line
# "N passed, N failed" over everything that ran, the formatting check counting as one. The windows
# suite runs in three Wine sessions side by side, each with a prefix, a server and a display of its
# own, so their desktops, temporary folders and registries never meet.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
mkdir -p build
host_log=build/host-tests.log
# About a third of the time each: the fault drills and hand-edited files, the program's own tests,
# and the rest. The contract tests share the settings file beside the test programs, so they all
# stay in the last.
drills='^(FaultDrill|StoreFault|HandEdited|DisplayChange)'
programs='^(Program|Wine/ProgramAtScale|AdministratorsRunValue|ElevatedCopy|TrayWindowFailure)'
windows_logs="build/windows-drills.log build/windows-programs.log build/windows-tests.log"

tools/check-format.sh
format_status=$?

ctest --preset host -j2 2>&1 | tee "$host_log"
host_status=$?
# Listing the tests once first runs the test programs' discovery, which the sessions then read
# instead of all writing it at once.
tools/wine-session.sh ctest --preset windows -N >/dev/null 2>&1
WINEPREFIX="$root/build/wineprefix-drills" \
    tools/wine-session.sh ctest --preset windows -R "$drills" >build/windows-drills.log 2>&1 &
drills_pid=$!
WINEPREFIX="$root/build/wineprefix-programs" \
    tools/wine-session.sh ctest --preset windows -R "$programs" >build/windows-programs.log 2>&1 &
programs_pid=$!
tools/wine-session.sh ctest --preset windows -E "$drills|$programs" >build/windows-tests.log 2>&1
wait "$drills_pid" "$programs_pid"
cat $windows_logs

# ctest closes with "NN% tests passed, F tests failed out of T".
total() {
    sed -n 's/.* \([0-9][0-9]*\) tests\{0,1\} failed out of \([0-9][0-9]*\).*/\1 \2/p' "$1" | tail -n 1
}
passed=0
failed=0
if [ "$format_status" -eq 0 ]; then
    passed=1
else
    failed=1
fi
for log in "$host_log" $windows_logs; do
    set -- $(total "$log")
    if [ $# -eq 2 ]; then
        failed=$((failed + $1))
        passed=$((passed + $2 - $1))
    else
        echo "run-tests: no summary in $log" >&2
        failed=$((failed + 1))
    fi
done
echo
[ "$format_status" -eq 0 ] || echo "run-tests: sources not formatted (tools/check-format.sh)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
