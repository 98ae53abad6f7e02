#!/bin/sh
# Installs the Debian packages that building and testing Velta II need, and fetches the Ogg
# Vorbis source packages. As root it installs what is missing; otherwise it names the missing
# packages and fails.
set -eu

PACKAGES="
cmake make gcc
mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32 libz-mingw-w64 patchelf python3-pefile
wine wine64
xvfb xauth x11-utils xdotool
imagemagick python3-pil python3-pytest
pulseaudio pulseaudio-utils sox vorbis-tools dpkg-dev patch
googletest nsis apitrace faketime
clang libclang-rt-14-dev libvorbis-dev
g++ pkg-config libx11-dev libxrandr-dev libgl-dev libglu1-mesa-dev libpulse-dev libegl-dev libegl-mesa0
xscreensaver xscreensaver-gl
emscripten chromium python3-websocket firefox-esr webkit2gtk-driver
libwayland-dev wayland-protocols libegl-dev libxkbcommon-dev
sway grim wtype swayidle weston
"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages:$missing" >&2
        echo "Install them as root: apt-get install$missing" >&2
        exit 1
    fi
    echo "Installing:$missing"
    # A mirror in the middle of a sync fails an update now and then: try again a little later.
    for try in 1 2 3; do
        apt-get -o DPkg::Lock::Timeout=600 update -q && break
        [ "$try" -eq 3 ] && exit 1
        sleep 20
    done
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
        --no-install-recommends $missing
fi

# Debian's libogg and libvorbis sources, which the build cross-compiles into the saver.
"$(dirname "$0")/get_vorbis_sources.sh"
# The wlroots protocols of velta2-wayland and its tests, from Debian's wlroots sources.
"$(dirname "$0")/get_wayland_protocols.sh"
# The 32-bit Wine of the 32-bit saver's tests, from Debian's i386 packages.
"$(dirname "$0")/get_wine32.sh"
