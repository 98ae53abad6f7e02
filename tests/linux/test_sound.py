"""velta2's tune through PulseAudio: a new copy every 3.2 s on up to three voices, each copy a
stream of its own in the null sink; without a sound server, silence and one warning; a server
that goes away, comes back or hangs under the tune."""
import os
import signal
import time

from harness.display import wait_until
from harness.sound import (NO_SOUND_DEVICE, VOICE_INTERVAL, assert_copy_played_out,
                           assert_voices_every_interval, most_at_once)


def test_copies_every_3_2_s_on_at_most_three_voices(velta, sound):
    with sound.record() as rec:
        v = velta("-root", "-module", "1", "-sound", env=sound.env)
        assert wait_until(rec.streams, 5), "no copy of the tune began"
        # Up to the fourth copy, which starts on the first voice once its copy has ended; the
        # fifth is a whole interval away.
        assert wait_until(lambda: len(rec.streams()) >= 4, 30, 0.05), \
            rec.streams()
        ended = rec.now()
        assert v.end(signal.SIGTERM) == 0
    spans = rec.streams()
    starts = [a for a, _ in spans]
    assert len(starts) == 4, spans
    assert_voices_every_interval(starts)
    assert most_at_once(spans, ended) == 3
    assert_copy_played_out(spans[0])
    # The end cut every copy off at once.
    assert all(b is not None and b < ended + 1.0 for _, b in spans), (spans, ended)
    samples = rec.samples()
    assert max(max(samples), -min(samples)) > 4000, "the sound is too quiet"
    assert v.err() == ""


def test_without_a_sound_server_frames_go_on_with_one_warning(velta):
    v = velta("-root", "-module", "1", "-sound", env=NO_SOUND_DEVICE)
    # Past the second copy, which finds no server either.
    figures = v.fps_figures(5)
    assert min(figures) > 1, figures  # frames go on, none held up (however slow the machine)
    assert v.end(signal.SIGTERM) == 0
    warnings = v.err().splitlines()
    assert len(warnings) == 1 and "no sound" in warnings[0], warnings


def test_server_killed_restarted_and_hung_under_the_tune(velta, sound):
    v = velta("-root", "-module", "1", "-sound", env=sound.env)
    assert wait_until(sound.velta_streams, 5), "no copy of the tune began"
    server = os.path.join(sound.runtime, "pulse", "pid")
    os.kill(int(open(server).read()), signal.SIGKILL)
    shown = len(v.fps_figures(1))
    assert min(v.fps_figures(shown + 3)[shown:]) > 1  # frames go on, none held up
    sound.keeper.wait(10)
    sound.start()
    assert wait_until(sound.velta_streams, 2 * VOICE_INTERVAL), "the new server is unused"
    # A server that hangs with the connection open holds a voice in its write; the end does not
    # wait for it.
    hung = int(open(server).read())
    os.kill(hung, signal.SIGSTOP)
    try:
        time.sleep(1)
        assert v.end(signal.SIGTERM) == 0
    finally:
        os.kill(hung, signal.SIGCONT)
    warnings = v.err().splitlines()
    assert len(warnings) == 1 and "sound server went away" in warnings[0], warnings
