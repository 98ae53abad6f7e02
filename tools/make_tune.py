#!/usr/bin/python3
"""Makes the saver's tune, resources/tune.ogg: a short three-phrase round in D major pentatonic,
synthesised note by note with sox and encoded with oggenc (mono, 44,100 Hz, Ogg Vorbis I).

The saver starts a new copy every 3.2 s and a copy lasts 8.136 s, so at any moment up to three
copies sound together, each in a different phrase. The tune is therefore written as a round:
the three phrases are 3.2 s long (eight beats of 0.4 s), keep to the five pentatonic notes over
the same bass, sit in different registers (middle melody, high answer, low bells) and put their
notes on different beats, so every overlap is consonant and the copies interleave rather than
collide. One copy peaks near -11 dBFS, so three together stay clear of clipping.

Usage: tools/make_tune.py [OUTPUT.ogg]   (needs the sox and vorbis-tools packages)
"""
import os
import subprocess
import sys
import tempfile

RATE = 44100
SAMPLES = 358797  # 8.136 s
BEAT = 0.4        # seconds; a phrase is eight beats, the saver's 3.2 s
PHRASE = 8 * BEAT
PEAK_DB = -11.0   # one copy's peak; three overlapping copies must not clip
QUALITY = "2"     # oggenc quality: about 70 KB for the whole tune

NOTE_INDEX = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}


def freq(name):
    """Frequency of a note name such as 'F#5' (A4 = 440 Hz, equal temperament)."""
    pitch, octave = name[:-1], int(name[-1])
    semis = NOTE_INDEX[pitch[0]] + (1 if pitch.endswith("#") else 0) + 12 * (octave - 4)
    return 440.0 * 2.0 ** (semis / 12.0)


# (beat within the phrase, note, length in beats, voice); beats count from the phrase start.
# Phrase A: the middle melody, on the beats and half beats.
PHRASE_A = [(0, "D5", 2, "pluck"), (0.5, "F#5", 1.5, "pluck"), (1, "A5", 2, "pluck"),
            (2, "B5", 1.5, "pluck"), (2.5, "A5", 1.5, "pluck"), (3, "F#5", 2, "pluck"),
            (4, "E5", 1.5, "pluck"), (5, "F#5", 1.5, "pluck"), (5.5, "E5", 1.5, "pluck"),
            (6, "D5", 2, "pluck"), (7, "A4", 2, "pluck"),
            (0, "D3", 4, "bell"), (4, "A2", 4, "bell")]
# Phrase B: a higher answer, mostly off the beat, over B and A in the bass.
PHRASE_B = [(0.5, "A5", 2, "pluck"), (1.5, "B5", 1.5, "pluck"), (2, "D6", 2.5, "pluck"),
            (3.5, "B5", 1.5, "pluck"), (4.5, "A5", 1.5, "pluck"), (5, "F#5", 2, "pluck"),
            (6.5, "E5", 1.5, "pluck"), (7, "D5", 2, "pluck"),
            (0, "B2", 4, "bell"), (4, "A2", 4, "bell")]
# Phrase C: low bells that ring the tune out; the copy ends 8.136 s after it began.
PHRASE_C = [(0, "D3", 4, "bell"), (0, "A3", 3, "bell"), (1.5, "F#4", 2.5, "soft"),
            (2, "D4", 2.3, "soft"), (2.5, "A4", 1.8, "soft")]

def ringing(duration, fall_db_per_length):
    """Fade effects for a tone that dies away evenly in decibels and then ends without a click:
    sox's logarithmic fade runs over a longer span, of which only the first part is kept."""
    span = duration * 90.0 / fall_db_per_length
    return ["fade", "l", "0.005", f"{span:.3f}", f"{span - 0.005:.3f}", "trim", "0",
            f"{duration:.3f}", "fade", "h", "0", f"{duration:.3f}", f"{duration * 0.3:.3f}"]


def tone(kind, f, d, *extra):
    span = d * 4  # long enough for any fall below
    return ["synth", f"{span:.3f}", kind, f"{f:.3f}", *extra]


VOICES = {
    # A plucked string: sox's Karplus-Strong voice, which falls gently by itself.
    "pluck": lambda f, d: tone("pluck", f, d) + ringing(d, 12) + ["gain", "-4"],
    # A bell: a sine fundamental with a faint twelfth, falling about 24 dB over its length.
    "bell": lambda f, d: tone("sine", f, d, "sine", f"{f * 3:.3f}")
    + ["remix", "1v0.85,2v0.15"] + ringing(d, 24) + ["gain", "-3"],
    # A soft sine for the closing chord, swelling in and dying away.
    "soft": lambda f, d: tone("sine", f, d) + ["fade", "q", "0.08"] + ringing(d, 18)
    + ["gain", "-9"],
}


def sox(*args):
    subprocess.run(["sox", "-V1", "-R", *args], check=True)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "tune.ogg")
    with tempfile.TemporaryDirectory() as tmp:
        notes = []
        for start, phrase in ((0.0, PHRASE_A), (PHRASE, PHRASE_B), (2 * PHRASE, PHRASE_C)):
            for beat, name, beats, voice in phrase:
                path = os.path.join(tmp, f"n{len(notes):03d}.wav")
                duration = beats * BEAT
                sox("-n", "-r", str(RATE), "-c", "1", "-b", "16", path,
                    *VOICES[voice](freq(name), duration), "pad", f"{start + beat * BEAT:.3f}")
                notes.append(path)
        mixed = os.path.join(tmp, "mixed.wav")
        sox("-m", *notes, "-b", "16", mixed)
        # A little room, then exactly the tune's length with a short fade so the copy ends
        # without a click, and the peak set for three copies at once.
        final = os.path.join(tmp, "tune.wav")
        sox(mixed, "-b", "16", final, "highpass", "30", "reverb", "35", "50", "70", "channels", "1",
            "trim", "0", f"{SAMPLES}s", "fade", "t", "0", f"{SAMPLES}s", "0.3",
            "gain", "-n", f"{PEAK_DB}")
        subprocess.run(["oggenc", "-Q", "-q", QUALITY, "--serial", "1026", "-t", "Velta II",
                        "-o", out, final], check=True)
    print(out)


if __name__ == "__main__":
    main()
