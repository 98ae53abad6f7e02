#!/bin/sh
# Fetches the layer-shell protocol's XML (wlr-layer-shell-unstable-v1.xml), which no Debian
# binary package ships, from a Debian source package that carries it (swaybg's, sway's or that
# of wlroots, the compositor library sway is built on: the first the archive serves), for
# velta2-wayland's build
# (wayland/CMakeLists.txt). Run as root on Debian 12 the first time; safe to run again: it
# downloads only when the file is missing.
#
#   tools/get_wayland_protocols.sh [DIRECTORY]     (default: ~/.cache/velta2/wayland-protocols)
set -eu

dir=${1:-${HOME}/.cache/velta2/wayland-protocols}
xml=wlr-layer-shell-unstable-v1.xml

mkdir -p "$dir"
if [ -s "$dir/$xml" ]; then
    echo "layer-shell protocol already in $dir"
    exit 0
fi
# The deb-src entry and the source download work as for the Ogg Vorbis sources.
"$(dirname "$0")/get_vorbis_sources.sh" --source-list-only

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
found=
for package in swaybg sway wlroots; do
    (cd "$work" && apt-get source --download-only $package >/dev/null 2>&1) || continue
    for tarball in "$work"/${package}_*.orig.tar.*; do
        tar -xf "$tarball" -C "$work" --wildcards "*/$xml" 2>/dev/null || true
    done
    found=$(find "$work" -name "$xml" | head -n 1)
    [ -n "$found" ] && break
done
[ -n "$found" ] || { echo "$0: no source package gave $xml" >&2; exit 1; }
cp "$found" "$dir/$xml"
echo "$dir/$xml"
