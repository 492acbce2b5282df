#!/bin/sh
# Installs the Debian packages the builds and tests need, when run as root and any is missing.
set -u
packages="cmake make g++ libgtest-dev googletest clang g++-mingw-w64-x86-64-posix
binutils-mingw-w64-x86-64 wine wine64 xvfb x11-xserver-utils imagemagick valgrind zip unzip
clang-format-16"
missing=
for package in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)
    case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" != 0 ]; then
    echo "install-deps: missing packages:$missing (run as root to install them)" >&2
    exit 0
fi
# With their recommendations: Wine draws text with the fonts and X render libraries it recommends,
# and the pixel tests were written against that.
echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq && apt-get install -y -qq $missing >/dev/null
