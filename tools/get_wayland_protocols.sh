#!/bin/sh
# Fetches the wlroots protocols' XML that no Debian binary package ships, from the Debian source
# package of wlroots (the compositor library sway is built on), for velta2-wayland's build
# (wayland/CMakeLists.txt) and its tests: layer-shell (the saver's and the wallpaper's
# surfaces) and the virtual pointer (the tests' pointer movement on a compositor without a
# pointer device). Run as root on Debian 12 the first
# time; safe to run again: it downloads only when a file is missing.
#
#   tools/get_wayland_protocols.sh [DIRECTORY]     (default: ~/.cache/velta2/wayland-protocols)
set -eu

dir=${1:-${HOME}/.cache/velta2/wayland-protocols}
files="wlr-layer-shell-unstable-v1.xml wlr-virtual-pointer-unstable-v1.xml"

mkdir -p "$dir"
missing=
for xml in $files; do
    [ -s "$dir/$xml" ] || missing="$missing $xml"
done
if [ -z "$missing" ]; then
    echo "wlroots protocols already in $dir"
    exit 0
fi
# The deb-src entry and the source download work as for the Ogg Vorbis sources.
"$(dirname "$0")/get_vorbis_sources.sh" --source-list-only

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source --download-only wlroots >/dev/null 2>&1) ||
    { echo "$0: cannot download the wlroots source package" >&2; exit 1; }
for xml in $missing; do
    for tarball in "$work"/wlroots_*.orig.tar.*; do
        tar -xf "$tarball" -C "$work" --wildcards "*/protocol/$xml" 2>/dev/null || true
    done
    found=$(find "$work" -name "$xml" | head -n 1)
    [ -n "$found" ] || { echo "$0: the wlroots sources carry no $xml" >&2; exit 1; }
    cp "$found" "$dir/$xml"
    echo "$dir/$xml"
done
