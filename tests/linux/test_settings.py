"""velta2's command line refusals, and its settings file: the view steered in its own window
kept for the next run, also when the display goes away, corrupt and unwritable files, a full or
read-only disk, the root and given windows that only read it, and copies that share the file and
end together."""
import os
import signal
import subprocess

import pytest

from conftest import SCREEN_H, SCREEN_W
from harness.display import start_xvfb, wait_until


@pytest.mark.parametrize("args, env, named", [
    (["-bogus"], {}, "-bogus"),
    (["-root", "-cycle", "0"], {}, "-cycle"),
    (["-modules", "4-2"], {}, "-modules"),
    (["-module"], {}, "-module"),
    ([], {"XSCREENSAVER_WINDOW": "junk"}, "XSCREENSAVER_WINDOW"),
])
def test_bad_option_ends_with_1_naming_it_and_the_usage(velta, args, env, named):
    v = velta(*args, env=env, ready=False)
    assert v.wait() == 1
    first, *rest = v.err().splitlines()
    assert first.startswith("velta2: ") and named in first, first
    assert rest[0].startswith("usage: velta2"), rest
    assert v.out() == ""


def test_window_that_does_not_exist_ends_with_1(velta):
    v = velta("-window-id", "0x7ffffff", ready=False)
    assert v.wait() == 1
    assert "does not exist" in v.err()


def settings_path(tmp_path):
    return tmp_path / "config" / "velta2" / "settings.ini"


def depth_shown(v):
    """g_fDepth from the F11 printout."""
    return float(next(l.split()[1] for l in v.out().splitlines() if l.startswith("g_fDepth")))


def steer(screen, velta, *keys):
    """Runs module 1 in the program's own window, presses keys, F11 and Escape; returns the
    finished run."""
    v = velta("-window", "-module", "1")
    v.window()
    screen.keys(*keys, "F11", "Escape")
    v.wait()
    return v


def test_steered_view_is_kept_for_the_next_run(screen, velta, tmp_path):
    # Module 1 starts at depth 50; Page Down comes nearer by 1, then by 0.3 below 50.
    first = steer(screen, velta, "Next", "Next", "Next")
    assert first.proc.returncode == 0
    assert depth_shown(first) == pytest.approx(48.4)
    path = settings_path(tmp_path)
    assert "mod1 depth=4840\n" in path.read_text()
    assert sorted(os.listdir(path.parent)) == ["settings.ini"]

    second = steer(screen, velta)
    assert depth_shown(second) == pytest.approx(48.4)
    assert second.err() == ""


def start_copy(screen, velta, module):
    """velta2 in a window of its own on module, among other copies: returns it and its window
    once it draws (its -fps line about the display comes at its first frame). Mesa skips the
    pixels: the copies only have to take keys and save."""
    before = set(screen.windows())
    v = velta("-window", "-module", module, "-fps", env={"GALLIUM_NOOP": "1"}, ready=False)
    assert wait_until(lambda: "Hz display" in v.out() or v.proc.poll() is not None, 10,
                      0.02), v.err()
    window = wait_until(lambda: set(screen.windows()) - before, 10, 0.02)
    assert len(window) == 1, v.err()
    return v, window.pop()


def steer_copy(screen, v, window, *keys):
    """Types keys into the copy's window, then F11; returns the depth it then shows."""
    shown = v.out().count("g_fDepth")
    screen.run("xdotool", "key", "--window", window, "--delay", "50", *keys, "F11")
    assert wait_until(lambda: v.out().count("g_fDepth") > shown, 10, 0.02), v.err()
    return float(v.out().split("g_fDepth")[-1].split()[0])


def stored(path):
    """The file's values; every line but the header's must be one (a whole file)."""
    lines = [l for l in path.read_text().splitlines() if l and l[0] not in "#["]
    assert all("=" in l for l in lines), lines
    return {name: int(value) for name, value in (l.split("=") for l in lines)}


def test_copies_ended_together_each_keep_their_view_and_leave_the_file_whole(screen, velta,
                                                                             tmp_path):
    # One copy per monitor, as XScreenSaver runs them, ended at once; each steered its module.
    path = settings_path(tmp_path)
    for n in range(int(os.environ.get("VELTA_COPIES_ROUNDS", 5))):
        copies = [start_copy(screen, velta, module) for module in (1, 2, 3)]
        depths = [steer_copy(screen, v, window, "Next") for v, window in copies]
        for v, _ in copies:
            v.proc.send_signal(signal.SIGTERM)
        for v, _ in copies:
            assert v.wait() == 0 and v.err() == "", (n, v.err())
        values = stored(path)
        # The file holds the hundredths cut short, within one below the value; F11 shows it to
        # six decimals.
        kept = [values[f"mod{k} depth"] for k in (1, 2, 3)]
        assert all(-1.001 < stored - d * 100 < 0.001 for stored, d in zip(kept, depths)), \
            (n, kept, depths)
        assert len(values) == 20 * 8 + 2
        assert os.listdir(path.parent) == ["settings.ini"], n


def test_a_copy_that_steered_nothing_keeps_what_another_saved(screen, velta, tmp_path):
    a, window = start_copy(screen, velta, 1)
    b, _ = start_copy(screen, velta, 1)
    assert steer_copy(screen, a, window, "Next") == pytest.approx(49.0)
    assert a.end() == 0
    assert b.end() == 0 and b.err() == ""
    assert stored(settings_path(tmp_path))["mod1 depth"] == 4900


def test_corrupt_file_means_defaults_a_warning_and_is_kept_aside(screen, velta, tmp_path):
    path = settings_path(tmp_path)
    path.parent.mkdir(parents=True)
    corrupt = "mod1 depth=4000\nmod1 horz=oops\n"
    path.write_text(corrupt)
    v = steer(screen, velta, "Next")
    assert v.proc.returncode == 0
    assert depth_shown(v) == pytest.approx(49.0)  # one step from the default 50, not from 40
    warnings = v.err().splitlines()
    assert len(warnings) == 2 and f"{path} line 2" in warnings[0], warnings
    assert (path.parent / "settings.ini.bad").read_text() == corrupt
    assert "mod1 depth=4900\n" in path.read_text()


def test_settings_folder_that_cannot_be_made_ends_with_1_and_a_warning(screen, velta, tmp_path):
    # A regular file where the configuration folder belongs: nothing can be made under it,
    # even by root.
    plain = tmp_path / "config"
    plain.write_text("mine\n")
    v = steer(screen, velta, "Next")
    assert v.proc.returncode == 1
    assert depth_shown(v) == pytest.approx(49.0)
    assert "settings were not saved" in v.err().splitlines()[-1]
    assert plain.read_text() == "mine\n"


def test_root_and_given_windows_read_the_file_but_never_write_it(screen, velta, tmp_path,
                                                                 host_window):
    path = settings_path(tmp_path)
    path.parent.mkdir(parents=True)
    path.write_text("mod1 depth=oops\n")
    before = path.stat()
    v = velta("-root", "-module", "1")
    assert v.end(signal.SIGTERM) == 0
    assert "line 1 is not a setting" in v.err()
    host = host_window(SCREEN_W // 2, SCREEN_H // 2)
    w = velta("-window-id", host.id, "-module", "1")
    assert w.end(signal.SIGTERM) == 0
    assert os.listdir(path.parent) == ["settings.ini"]
    assert path.stat().st_mtime_ns == before.st_mtime_ns


def test_display_that_goes_away_ends_the_run_at_once_with_its_views_saved(velta, sound,
                                                                           tmp_path):
    xvfb, display = start_xvfb(SCREEN_W, SCREEN_H)
    try:
        v = velta("-window", "-module", "1", "-sound", env=dict(sound.env, DISPLAY=display))
        subprocess.run(["xdotool", "key", "--delay", "50", "Next", "F11"], timeout=10,
                       env=dict(os.environ, DISPLAY=display))
        assert wait_until(lambda: "g_fDepth" in v.out(), 5), v.err()
        xvfb.kill()
        # It ends by itself: a run held by its voices or the display would outlast the wait.
        code = v.wait()
    finally:
        xvfb.kill()
        xvfb.wait(10)
        for stale in (f"/tmp/.X{display[1:]}-lock", f"/tmp/.X11-unix/X{display[1:]}"):
            if os.path.exists(stale):
                os.remove(stale)
    assert code == 1  # not killed by a signal: no core dump
    assert v.err().splitlines() == [f"velta2: the display {display} went away; the steered "
                                    "views are saved"]
    assert "mod1 depth=4900\n" in settings_path(tmp_path).read_text()


@pytest.mark.skipif(os.geteuid() != 0, reason="mounting a small disk needs root")
def test_full_or_read_only_disk_keeps_the_old_file_and_ends_with_1(screen, velta, tmp_path):
    config = tmp_path / "config"
    config.mkdir()
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", config], check=True)
    try:
        path = settings_path(tmp_path)
        path.parent.mkdir()
        path.write_text("mod1 depth=4000\n")
        subprocess.run(["dd", "if=/dev/zero", f"of={config}/filler", "bs=4k"],
                       capture_output=True)
        for cause in ("No space left on device", "Read-only file system"):
            if cause.startswith("Read-only"):
                subprocess.run(["mount", "-o", "remount,ro", config], check=True)
            v, window = start_copy(screen, velta, 1)
            steer_copy(screen, v, window, "Next")
            assert v.end(signal.SIGTERM) == 1
            assert v.err().splitlines() == [f"velta2: cannot write {path} ({cause}); the "
                                            "settings were not saved"]
            assert path.read_text() == "mod1 depth=4000\n"
            assert os.listdir(path.parent) == ["settings.ini"]
    finally:
        subprocess.run(["umount", config], check=True)
