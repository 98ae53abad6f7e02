#!/bin/sh
# Makes a 32-bit Wine that runs from a private folder, for the tests of the 32-bit saver: Debian's
# i386 packages of Wine, Mesa and the PulseAudio client, fetched with package lists of their own
# and unpacked into a root of their own, so that the machine's own packages and architectures stay
# as they are. Where the kernel runs no 32-bit programs (IA-32 emulation off), the 32-bit Wine runs
# under QEMU's user-mode emulator, from Debian's backports (Debian 12's own QEMU 7.2 lacks the
# fixed no-replace mappings Wine reserves its address space with, and takes minutes per process).
# Safe to run again: it does nothing once the root is complete.
#
#   tools/get_wine32.sh [DIRECTORY]     (default: ~/.cache/velta2/wine32)
#
# DIRECTORY/bin/wine then runs Wine as on a Debian system with both the 32-bit and the 64-bit Wine
# installed, with the machine's 64-bit wineserver: WINEARCH=win32 makes a prefix of 32-bit Windows,
# win64 one of 64-bit Windows that also runs 32-bit programs.
set -eu

dir=${1:-${HOME}/.cache/velta2/wine32}
root=$dir/root
# The 32-bit Wine and what it draws and plays through, and the tests' OpenGL recorder (apitrace's
# i386 wrapper) for the 32-bit saver's recorded runs.
packages="wine32 libwine libgl1 libgl1-mesa-dri libglx-mesa0 libpulse0 libasound2-plugins
apitrace-tracers"

if [ -f "$root/.complete" ]; then
    echo "32-bit Wine already in $root"
    exit 0
fi
for tool in apt-get dpkg patchelf /usr/lib/wine/wineserver64 /usr/lib/wine/wine64; do
    command -v $tool >/dev/null || { echo "$0: $tool is missing (tools/install_deps.sh)" >&2; exit 1; }
done
zlib=/usr/i686-w64-mingw32/lib/zlib1.dll
[ -f "$zlib" ] || { echo "$0: $zlib is missing (Debian package libz-mingw-w64)" >&2; exit 1; }
. /etc/os-release

# apt with lists, cache and an empty package status of its own (ARCH SOURCES_DIR): no package of
# the machine's is installed, removed or changed.
private_apt() {
    conf=$dir/apt-$1/apt.conf
    mkdir -p "$dir/apt-$1/lists/partial" "$dir/apt-$1/cache"
    : >"$dir/apt-$1/status"
    cat >"$conf" <<EOF
APT::Architecture "$1";
APT::Architectures { "$1"; };
Dir::State::Lists "$dir/apt-$1/lists";
Dir::State::status "$dir/apt-$1/status";
Dir::Cache "$dir/apt-$1/cache";
Dir::Etc::SourceParts "$2";
Acquire::Languages "none";
Acquire::IndexTargets::deb-src::Sources::DefaultEnabled "false";
APT::Sandbox::User "$(id -un)";
EOF
    echo "$conf"
}

# The i386 packages from the machine's own sources. The security archive's i386 index fails to
# download now and then (a size mismatch while its mirror syncs); the main archive's index is
# enough, so a failed update is not an end.
export APT_CONFIG
APT_CONFIG=$(private_apt i386 /etc/apt/sources.list.d)
apt-get -q update || echo "$0: some i386 package lists could not be fetched; going on"
list=$(/usr/bin/python3 "$(dirname "$0")/wine32_closure.py" $packages)
echo "Fetching $(echo "$list" | wc -l) i386 packages into $dir/debs"
rm -rf "$dir/debs" "$root"
mkdir -p "$dir/debs" "$root"
(cd "$dir/debs" && apt-get -q download $list)
for deb in "$dir"/debs/*.deb; do
    dpkg -x "$deb" "$root"
done
rm -rf "$dir/debs"
# Debian's i386 user32.dll needs zlib1.dll, which Debian keeps outside Wine; a new prefix takes
# its system folder from here.
cp "$zlib" "$root/usr/lib/i386-linux-gnu/wine/i386-windows/"

loader=$root/usr/lib/wine/wine
if "$root/lib/i386-linux-gnu/ld-linux.so.2" --version >/dev/null 2>&1; then
    # The loader looks for its dynamic linker where the machine has none of i386.
    patchelf --set-interpreter "$root/lib/ld-linux.so.2" "$loader"
else
    echo "This kernel runs no 32-bit programs: the 32-bit Wine will run under qemu-i386"
    sources=$dir/apt-backports/sources
    mkdir -p "$sources"
    awk 'BEGIN { RS = "" } /Types: deb\n/ { print; exit }' /etc/apt/sources.list.d/debian.sources |
        sed "s/^Suites:.*/Suites: $VERSION_CODENAME-backports/" >"$sources/backports.sources"
    APT_CONFIG=$(private_apt amd64 "$sources")
    apt-get -q update
    work=$(mktemp -d)
    (cd "$work" && apt-get -q download qemu-user)
    mkdir -p "$dir/qemu"
    dpkg --fsys-tarfile "$work"/qemu-user_*.deb | tar -x -C "$dir/qemu" ./usr/bin/qemu-i386
    rm -rf "$work"
    # Wine starts every new process by running its loader again, so the loader's own path runs
    # the emulator, which shows the real loader that path as its name.
    mv "$loader" "$loader.i386"
    cat >"$loader" <<EOF
#!/bin/sh
exec "$dir/qemu/usr/bin/qemu-i386" -L "$root" -0 "\$0" "$loader.i386" "\$@"
EOF
    chmod +x "$loader"
fi

# The machine's 64-bit loader beside the 32-bit one, over the machine's 64-bit Wine libraries, as
# on a Debian system with both installed: 64-bit prefixes then run 32-bit programs too (WoW64).
cp /usr/lib/wine/wine64 "$root/usr/lib/wine/wine64"
mkdir -p "$root/usr/lib/x86_64-linux-gnu"
ln -sfn /usr/lib/x86_64-linux-gnu/wine "$root/usr/lib/x86_64-linux-gnu/wine"

mkdir -p "$dir/bin"
cat >"$dir/bin/wine" <<EOF
#!/bin/sh
# The 32-bit Wine of $root (tools/get_wine32.sh).
export LD_LIBRARY_PATH="$root/lib/i386-linux-gnu:$root/usr/lib/i386-linux-gnu\${LD_LIBRARY_PATH:+:\$LD_LIBRARY_PATH}"
export LIBGL_DRIVERS_PATH="$root/usr/lib/i386-linux-gnu/dri"
export WINESERVER=/usr/lib/wine/wineserver64
exec "$loader" "\$@"
EOF
chmod +x "$dir/bin/wine"
echo "$list" >"$root/.complete"
echo "32-bit Wine in $root; run it with $dir/bin/wine"
