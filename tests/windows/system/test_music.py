"""Music as it reaches the sound system: the players' overlapping copies of the tune in a
PulseAudio null sink, the sound stopping with the program, silence without a device, and a
sound server that dies under the running saver.

Every wave-out device the program opens shows up in PulseAudio as a sink input of its own, so
the sink inputs' comings and goings tell how many copies of the tune there were and how they
overlapped. When each copy began is read on the program's own clock: Wine stamps each traced
call to open a device with its tick count."""
import os
import re
import signal
import subprocess
import time

import pytest

from conftest import NO_SOUND_DEVICE, picture_distance, relay_traced, wait_until
from harness.sound import (TUNE_SECONDS, VOICE_INTERVAL, assert_copy_played_out,
                           assert_voices_every_interval, most_at_once)

SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"
# The close waits for the players at most this long all together, on the program's clock, then
# leaves them to end with the process; the probe's own steps around it take a few milliseconds.
PLAYER_QUIT_WAIT = 0.5


@pytest.fixture
def timed(desktop):
    """The environment of a program whose window creation and wave-out openings are traced,
    each call stamped with Wine's tick count, the program's own clock."""
    with relay_traced(desktop, ["user32.CreateWindowExA", "winmm.waveOutOpen"]) as env:
        yield dict(env, WINEDEBUG="+timestamp,+relay")


def call_times(output, function):
    """Seconds on the program's clock at each traced call of function."""
    return [float(t) for t in re.findall(rf"^(\d+\.\d+):(?:[0-9a-f]+:)+Call \w+\.{function}\(",
                                         output, re.M)]


def probe_path(desktop):
    return os.path.join(os.path.dirname(desktop.wintool_exe), "music_probe.exe")


def probe_events(proc):
    """The probe's 'event=...' lines as dictionaries."""
    from conftest import parse_words
    with open(proc.output_path, errors="replace") as f:
        return [parse_words(l) for l in f if l.startswith("event=")]


def test_players_overlap_copies_every_3_2_s_and_stop_with_the_program(desktop, sound, timed):
    with sound.record() as rec:
        proc = desktop.spawn([probe_path(desktop), "voices", 11], dict(sound.wine_env, **timed))
        assert proc.wait(60) == 0
        ended = rec.now()
    spans = rec.copies()
    starts = [a for a, _ in spans]
    # At 0, 3.2, 6.4 and 9.6 s of the probe's 11, on its clock each the moment it opened its
    # device.
    with open(proc.output_path, errors="replace") as f:
        opened = call_times(f.read(), "waveOutOpen")
    assert len(starts) == len(opened) == 4, (spans, opened)
    assert_voices_every_interval(opened)
    assert most_at_once(spans, ended) == 3
    # Each copy that played out lasted about the tune's length.
    assert_copy_played_out(spans[0])

    # The close cut every copy off at once: the last copy, begun at 9.6 s of the probe's clock,
    # had 1.4 s played at the close at 11; its sound ended before half of the rest could play.
    assert all(b is not None for _, b in spans), spans
    events = probe_events(proc)
    closed = [e for e in events if e["event"] == "closed"]
    assert closed and int(closed[0]["quit_ms"]) <= 1000 * PLAYER_QUIT_WAIT + 50, events
    assert closed[0]["starved"] == "0", "a player let its device run dry"
    sound_spans = rec.sound_spans()
    assert sound_spans, "nothing reached the sink"
    assert sound_spans[0][0] == pytest.approx(starts[0], abs=0.3)
    assert sound_spans[-1][1] < starts[-1] + 1.4 + (TUNE_SECONDS - 1.4) / 2, (sound_spans, starts)
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
    assert closed and int(closed[0]["quit_ms"]) <= 1000 * PLAYER_QUIT_WAIT + 50, events


# ---- The saver itself, with its "enable sound" switch ----

def set_sound_switch(desktop, value):
    code, _ = desktop.reg("add", SETTINGS_KEY, "/v", "enable sound", "/t", "REG_DWORD",
                          "/d", str(value), "/f")
    assert code == 0


@pytest.fixture
def saver_with_switch(desktop):
    yield lambda value: set_sound_switch(desktop, value)
    desktop.reg("delete", SETTINGS_KEY, "/v", "enable sound", "/f")


def run_saver_with_sound(desktop, sound, start_saver, timed, copies_wanted):
    """Runs /s until copies_wanted copies of the tune play in the sink, then presses Escape;
    returns the recording, the copies in it, the saver's traced output and the time of Escape."""
    with sound.record() as rec:
        saver = start_saver("/s", env=dict(sound.wine_env, **timed))
        saver.wait_window()
        playing = wait_until(lambda: len(rec.copies()) >= copies_wanted or saver.exited(), 30,
                             0.05)
        assert playing and not saver.exited(), saver.output()[-2000:]
        escaped = rec.now()
        desktop.xdotool("key", "Escape")
        assert saver.wait(10) == 0
    spans = rec.copies()
    print(f"copies {spans}, Escape at {escaped:.3f}")
    return rec, spans, saver.output(), escaped


def test_saver_plays_the_tune_at_once_and_stops_it_on_close(desktop, sound, start_saver,
                                                            saver_with_switch, timed):
    saver_with_switch(1)
    rec, spans, output, _ = run_saver_with_sound(desktop, sound, start_saver, timed, 1)
    # The first copy's device opens as the window is made, long before a second copy would be
    # due, on the saver's own clock.
    made, opened = call_times(output, "CreateWindowExA")[0], call_times(output, "waveOutOpen")[0]
    assert 0 <= opened - made < VOICE_INTERVAL, (made, opened)
    # The close, at the copy's start, cuts the sound off: every device is gone, and the sound
    # ended before half the copy could have played.
    assert spans and all(b is not None for _, b in spans), spans
    assert rec.sound_spans()[-1][1] < spans[0][0] + TUNE_SECONDS / 2, rec.sound_spans()


def test_saver_starts_a_new_copy_every_3_2_s(desktop, sound, start_saver, saver_with_switch,
                                             timed):
    saver_with_switch(1)
    rec, spans, output, escaped = run_saver_with_sound(desktop, sound, start_saver, timed, 3)
    # Escape came as the third copy began; a fourth was an interval away.
    opened = call_times(output, "waveOutOpen")
    assert len(spans) == len(opened) == 3, (spans, opened)
    assert_voices_every_interval(opened)
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
    # Players without a device end at once; the close waits for them at most PLAYER_QUIT_WAIT on
    # its own clock (the probe above measures that), so it ends well within the wait's limit.
    desktop.xdotool("key", "Escape")
    assert saver.wait(10) == 0


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
        assert wait_until(lambda: sound.velta_streams() >= 2, 30), \
            "the voices did not come back with the server"
        kill_sound_server(sound)
        time.sleep(0.3)
        assert not saver.exited()
        # The close waits for the players at most PLAYER_QUIT_WAIT on its own clock, with the
        # server gone as with it alive (tools/sound_loss_bench.py times both): it ends well
        # within the wait's limit, which a close held by a player would not.
        desktop.xdotool("mousemove", 500, 400)
        assert saver.wait(10) == 0
    finally:
        if subprocess.run(["pactl", "info"], env=sound.plain_env,
                          capture_output=True).returncode != 0:
            sound.start()
