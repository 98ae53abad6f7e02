"""Music as it reaches the sound system: the players' overlapping copies of the tune in a
PulseAudio null sink, the sound stopping with the program, silence without a device, and a
sound server that dies under the running saver.

Every wave-out device the program opens shows up in PulseAudio as a sink input of its own, so
the sink inputs' comings and goings tell when each copy of the tune started and ended."""
import os
import signal
import subprocess
import time

import pytest

from conftest import NO_SOUND_DEVICE, picture_distance, wait_until
from harness.sound import (VOICE_INTERVAL, assert_copy_played_out, assert_voices_every_interval,
                           most_at_once)

SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"


def probe_path(desktop):
    return os.path.join(os.path.dirname(desktop.wintool_exe), "music_probe.exe")


def probe_events(proc):
    """The probe's 'event=...' lines as dictionaries."""
    from conftest import parse_words
    with open(proc.output_path, errors="replace") as f:
        return [parse_words(l) for l in f if l.startswith("event=")]


def copies(rec):
    """(start, end) of every wave-out stream that lived long enough to be a copy of the tune
    (Wine opens and closes short probing streams of its own when audio starts)."""
    return [(a, b) for a, b in rec.streams() if b is None or b - a > 1.0]


def test_players_overlap_copies_every_3_2_s_and_stop_with_the_program(desktop, sound):
    with sound.record() as rec:
        started = rec.now()
        proc = desktop.spawn([probe_path(desktop), "voices", 11], sound.wine_env)
        assert proc.wait(60) == 0
        ended = rec.now()
    spans = copies(rec)
    starts = [a for a, _ in spans]
    assert len(starts) == 4, spans  # at 0, 3.2, 6.4 and 9.6 s
    assert starts[0] - started < 2.5, "the first copy was late (Wine's start included)"
    assert_voices_every_interval(starts)
    assert most_at_once(spans, ended) == 3
    # Each copy that played out lasted about the tune's length.
    assert_copy_played_out(spans[0])

    # The close cut every copy off at once, and no sample came after it.
    assert all(b is not None and b <= ended + 0.2 for _, b in spans), (spans, ended)
    events = probe_events(proc)
    closed = [e for e in events if e["event"] == "closed"]
    assert closed and int(closed[0]["quit_ms"]) < 500, events
    assert closed[0]["starved"] == "0", "a player let its device run dry"
    sound_spans = rec.sound_spans()
    assert sound_spans, "nothing reached the sink"
    assert sound_spans[0][0] == pytest.approx(starts[0], abs=0.3)
    # The recording's clock is known to within a few tens of milliseconds.
    assert sound_spans[-1][1] <= ended + 0.3, (sound_spans[-1], ended)
    samples = rec.samples()
    peak = max(max(samples), -min(samples))
    print(f"copies {spans}, closed at {ended:.3f}, sound {sound_spans[0][0]:.3f}.."
          f"{sound_spans[-1][1]:.3f}, peak {peak}, quit {closed[0]['quit_ms']} ms")
    assert peak > 4000, "the sound is too quiet"


def test_without_a_device_the_players_stay_quiet(desktop, sound):
    with sound.record() as rec:
        proc = desktop.spawn([probe_path(desktop), "voices", 4], NO_SOUND_DEVICE)
        assert proc.wait(60) == 0
    assert not rec.streams()
    events = probe_events(proc)
    assert [e["player"] for e in events if e["event"] == "play"] == ["0", "1"]
    closed = [e for e in events if e["event"] == "closed"]
    assert closed and int(closed[0]["quit_ms"]) < 200


# ---- The saver itself, with its "enable sound" switch ----

def set_sound_switch(desktop, value):
    code, _ = desktop.reg("add", SETTINGS_KEY, "/v", "enable sound", "/t", "REG_DWORD",
                          "/d", str(value), "/f")
    assert code == 0


@pytest.fixture
def saver_with_switch(desktop):
    yield lambda value: set_sound_switch(desktop, value)
    desktop.reg("delete", SETTINGS_KEY, "/v", "enable sound", "/f")


def run_saver_with_sound(desktop, sound, start_saver, seconds):
    """Runs /s for seconds after its window shows, then presses Escape; returns the recording
    and the times the window showed and Escape was pressed."""
    with sound.record() as rec:
        saver = start_saver("/s", env=sound.wine_env)
        saver.wait_window()
        shown = rec.now()
        time.sleep(seconds)
        assert not saver.exited()
        escaped = rec.now()
        desktop.xdotool("key", "Escape")
        assert saver.wait(10) == 0
    spans = copies(rec)
    print(f"window shown at {shown:.3f}, copies {spans}, Escape at {escaped:.3f}")
    return rec, spans, shown, escaped


def test_saver_plays_the_tune_at_once_and_stops_it_on_close(desktop, sound, start_saver,
                                                            saver_with_switch):
    saver_with_switch(1)
    rec, spans, shown, escaped = run_saver_with_sound(desktop, sound, start_saver, 2.0)
    assert spans and spans[0][0] - shown < 1.0, (spans, shown)
    # The close cuts the sound off: every device is gone, and no sample follows, at once.
    assert all(b is not None and b < escaped + 0.5 for _, b in spans), (spans, escaped)
    assert rec.sound_spans()[-1][1] < escaped + 0.5


def test_saver_starts_a_new_copy_every_3_2_s(desktop, sound, start_saver, saver_with_switch):
    saver_with_switch(1)
    rec, spans, shown, escaped = run_saver_with_sound(desktop, sound, start_saver, 7.5)
    starts = [a for a, _ in spans]
    assert len(starts) == 3, spans  # at 0, 3.2 and 6.4 s
    assert_voices_every_interval(starts)
    assert most_at_once(spans, escaped) == 3


def test_saver_is_silent_with_the_switch_off(desktop, sound, start_saver, saver_with_switch):
    saver_with_switch(0)
    with sound.record() as rec:
        saver = start_saver("/s", env=sound.wine_env)
        saver.wait_window()
        time.sleep(4.0)
        desktop.xdotool("key", "Escape")
        assert saver.wait(10) == 0
    assert not rec.streams()
    assert not rec.sound_spans()


def test_saver_without_a_device_runs_and_exits_cleanly(desktop, start_saver, saver_with_switch):
    saver_with_switch(1)
    saver = start_saver("/s", env=NO_SOUND_DEVICE)
    saver.wait_window()
    time.sleep(4.0)  # past the first new copy, which fails the same way
    assert not saver.exited()
    window = desktop.find_window("WindowsScreenSaverClass", "Screen Saver")
    assert window and window["visible"] == "1"
    started = time.monotonic()
    desktop.xdotool("key", "Escape")
    assert saver.wait(10) == 0
    assert time.monotonic() - started < 3.0


# ---- The sound server dies under the running saver ----

def kill_sound_server(sound):
    with open(os.path.join(sound.runtime, "pulse", "pid")) as f:
        os.kill(int(f.read()), signal.SIGTERM)
    assert wait_until(lambda: subprocess.run(["pactl", "info"], env=sound.plain_env,
                                             capture_output=True).returncode != 0, 5)


def test_saver_outlives_its_sound_server_and_still_closes_at_once(desktop, sound, start_saver,
                                                                  saver_with_switch):
    """The server dies with copies playing: the frames go on, the copies on it end, the next ones
    play once a server is back; killed again, the saver still closes at a mouse movement as fast
    as ever, with exit code 0."""
    saver_with_switch(1)
    desktop.xdotool("mousemove", 300, 200)
    saver = start_saver("/s", env=sound.wine_env)
    try:
        saver.wait_window()
        assert wait_until(sound.velta_streams, 10), "the tune did not start"
        time.sleep(3.5)  # two copies playing
        kill_sound_server(sound)
        shots = [desktop.screenshot("no-server-1.png")]
        time.sleep(1.0)
        shots.append(desktop.screenshot("no-server-2.png"))
        assert not saver.exited()
        assert picture_distance(*shots) > 0, "the frames stopped with the sound server"

        sound.start()
        # The players whose copies were on the dead server give up on them and play the next
        # ones asked for: soon two copies overlap again.
        assert wait_until(lambda: sound.velta_streams() >= 2, 3 * VOICE_INTERVAL + 2), \
            "the voices did not come back with the server"
        kill_sound_server(sound)
        time.sleep(0.3)
        assert not saver.exited()
        moved = time.monotonic()
        desktop.xdotool("mousemove", 500, 400)
        assert saver.wait(10) == 0
        closed_in = time.monotonic() - moved
        print(f"closed {closed_in:.2f} s after the mouse moved, with the server gone")
        # As with a server alive (tools/sound_loss_bench.py has both): most of it is Wine
        # ending the process on a busy machine.
        assert closed_in < 5.0
    finally:
        if subprocess.run(["pactl", "info"], env=sound.plain_env,
                          capture_output=True).returncode != 0:
            sound.start()
