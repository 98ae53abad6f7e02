#!/bin/sh
# Makes the small Ogg Vorbis streams the music unit tests play and decode (needs sox and
# vorbis-tools). short.ogg is shorter than one wave buffer; stereo.ogg has two channels at a
# lower rate.
set -eu
cd "$(dirname "$0")"
sox -R -n -r 44100 -c 1 -b 16 /tmp/velta-short.wav synth 0.02 sine 440 fade h 0.002 0.02 0.005 gain -12
sox -R -n -r 22050 -c 2 -b 16 /tmp/velta-stereo.wav synth 0.5 sine 330 sine 495 gain -12
oggenc -Q -q 0 --serial 7 -o short.ogg /tmp/velta-short.wav
oggenc -Q -q 0 --serial 8 -o stereo.ogg /tmp/velta-stereo.wav
rm -f /tmp/velta-short.wav /tmp/velta-stereo.wav
