#!/bin/sh
# tools/check-includes.sh against small trees of its own: a tree whose includes all run downward
# passes, and each kind of wrong include, put alone into that tree, fails naming its file and line.
# Usage: check-includes-test.sh <path of check-includes.sh>
set -u
check=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Every kind of include the layers allow.
make_tree() {
    rm -rf "$scratch/tree"
    for folder in base ini desktop store ui app platform platform/host res tests; do
        mkdir -p "$scratch/tree/$folder"
    done
    cd "$scratch/tree" || exit 1
    printf '#include "platform/win32.h"\n' >base/PtrList.h
    printf '#include "base/PtrList.h"\n#include "ini/IniFile.h"\n' >ini/IniFile.cpp
    printf '#include "ini/IniFile.h"\n#  include "base/PtrList.h"\n' >desktop/DesktopLayout.h
    printf '#include "desktop/DesktopLayout.h"\n// #include "ui/TrayWindow.h"\n' >store/Store.cpp
    printf '#include "store/LayoutSnapshot.h"\n#include "res/ResourceIds.h"\n' >ui/TrayWindow.cpp
    printf '#include "ui/TrayWindow.h"\n#include "base/ErrorBox.h"\n' >app/Main.cpp
    printf '#include "platform/host/HostWin32.h"\n' >platform/win32.h
    printf '#include "platform/win32.h"\n' >platform/host/HostShell.cpp
    printf '#define IDI_APP 1\n' >res/ResourceIds.h
    printf '#include "ResourceIds.h"\n' >res/QuillMarsh.rc
    printf '#include "app/Main.h"\n' >tests/AnyTest.cpp
    cd - >/dev/null || exit 1
}

make_tree
sh "$check" "$scratch/tree" >"$scratch/out" 2>&1 || fail "a tree of downward includes: $(cat "$scratch/out")"

# expect_caught <file> <include line> <why, as printed>
expect_caught() {
    make_tree
    printf '\n%s\n' "$2" >>"$scratch/tree/$1"
    if sh "$check" "$scratch/tree" >"$scratch/out" 2>&1; then
        fail "$1 with '$2' passed"
        return
    fi
    grep -q "^$1:[0-9][0-9]*: includes .*$3" "$scratch/out" ||
        fail "$1 with '$2': no line naming it and '$3' in: $(cat "$scratch/out")"
    [ "$(grep -c ': includes ' "$scratch/out")" -eq 1 ] ||
        fail "$1 with '$2': not exactly one fault in: $(cat "$scratch/out")"
}

expect_caught ini/IniFile.cpp '#include "desktop/DesktopLayout.h"' 'desktop/ lies above ini/'
expect_caught base/PtrList.h '#include "app/Main.h"' 'app/ lies above base/'
expect_caught desktop/DesktopLayout.h '#include "store/LayoutSnapshot.h"' 'store/ lies above desktop/'
expect_caught ui/TrayWindow.cpp '#include "app/Main.h"' 'app/ lies above ui/'
expect_caught store/Store.cpp '#include "tests/AnyTest.h"' 'tests/ is not a product folder'
expect_caught app/Main.cpp '#include "Helper.h"' 'is not a product folder'
expect_caught platform/host/HostShell.cpp '#include "base/PtrList.h"' 'platform/ stands beside'
expect_caught res/QuillMarsh.rc '#include "ui/TrayWindow.h"' 'res/ stands beside'

if [ "$failures" -ne 0 ]; then
    echo "check-includes-test: $failures failed"
    exit 1
fi
echo "check-includes-test: every wrong include caught"
