#!/bin/sh
# Runs a Windows program with the test's stand-in wave-out device (winmm_stand_in.dll) in place
# of Wine's WINMM. The saver loads WINMM from the system folder only, so the stand-in is planted
# there, as the Wine prefix's system32\winmm.dll, for this run alone, and loaded with
# WINEDLLOVERRIDES=winmm=n; Wine's own file is put back afterwards. Other programs of the prefix
# keep Wine's built-in WINMM, which Wine prefers while no override names the native one.
#   run_with_stand_in_winmm.sh STAND_IN_DLL COMMAND [ARGS...]
set -u
stand_in=$1
shift
system32="$WINEPREFIX/drive_c/windows/system32"
saved="$system32/winmm.dll.velta-saved"
restore() {
    [ -f "$saved" ] && mv -f "$saved" "$system32/winmm.dll"
}
# A run that was killed before it could put Wine's file back left it aside.
restore
cp "$system32/winmm.dll" "$saved" || exit 1
trap 'restore; exit 1' INT TERM
cp "$stand_in" "$system32/winmm.dll" || { restore; exit 1; }
WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winmm=n" "$@"
status=$?
restore
exit $status
