#!/bin/sh
# Checks the sources' formatting, runs the host suite and, inside one Wine session, the windows
# suite; ends with one line "N passed, N failed" over everything that ran, the formatting check
# counting as one.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
mkdir -p build
host_log=build/host-tests.log
windows_log=build/windows-tests.log

tools/check-format.sh
format_status=$?

ctest --preset host -j2 2>&1 | tee "$host_log"
host_status=$?
tools/wine-session.sh ctest --preset windows 2>&1 | tee "$windows_log"
windows_status=$?

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
for log in "$host_log" "$windows_log"; do
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
