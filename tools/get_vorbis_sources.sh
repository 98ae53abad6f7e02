#!/bin/sh
# Fetches Debian's source packages of libogg and libvorbis into a directory, for the cross
# build of the Ogg Vorbis decoder (cmake/vorbis.cmake). Run as root on Debian 12; safe to run
# again: it adds the source-package line and downloads only when something is missing.
#
#   tools/get_vorbis_sources.sh [DIRECTORY]     (default: ~/.cache/velta2/vorbis-src)
#   tools/get_vorbis_sources.sh --source-list-only   (only the deb-src entry, for other fetches)
set -eu

source_list_only=false
if [ "${1:-}" = --source-list-only ]; then
    source_list_only=true
    shift
fi
dir=${1:-${HOME}/.cache/velta2/vorbis-src}
packages="libogg libvorbis"

have_sources() {
    for p in $packages; do
        ls "$dir"/${p}_*.dsc >/dev/null 2>&1 || return 1
        ls "$dir"/${p}_*.orig.tar.* >/dev/null 2>&1 || return 1
    done
}

mkdir -p "$dir"
if have_sources && ! $source_list_only; then
    echo "Ogg Vorbis sources already in $dir"
    exit 0
fi

if [ "$(id -u)" != 0 ]; then
    echo "$0: run as root (it adds an apt source line and runs apt-get update)" >&2
    exit 1
fi

# Source packages need a deb-src entry; derive it from the machine's own apt source so that
# no mirror address is written here.
src_list=/etc/apt/sources.list.d/debian-src.sources
if $source_list_only && [ -f "$src_list" ]; then
    exit 0
fi
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    if [ ! -f /etc/apt/sources.list.d/debian.sources ]; then
        echo "$0: no /etc/apt/sources.list.d/debian.sources to derive a deb-src entry from" >&2
        exit 1
    fi
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src_list"
fi
apt-get update -qq
$source_list_only && exit 0

cd "$dir"
apt-get source --download-only $packages
have_sources || { echo "$0: download incomplete in $dir" >&2; exit 1; }
ls "$dir"/*.dsc
