"""The Debian package of velta2, as `make deb` builds it: installed with apt-get, it puts the
program and its settings description where XScreenSaver looks and the program runs; removed
with dpkg, it leaves nothing behind.

This test changes the system: it installs the package into /usr and removes it again. So it
runs only as root, and only where no velta2 is installed already, which it would overwrite."""
import os
import re
import subprocess

import pytest

from hack_display import BUILD, virtual_display

FILES = ["/usr/libexec/xscreensaver/velta2", "/usr/share/xscreensaver/config/velta2.xml",
         "/usr/bin/velta2-wayland"]
FOLDERS = ["/usr/libexec/xscreensaver", "/usr/share/xscreensaver/config", "/usr/share/xscreensaver"]


def run(*args):
    result = subprocess.run(args, capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, f"{args}:\n{result.stdout}{result.stderr}"
    return result.stdout


def package_state():
    """dpkg's status of velta2, "" when dpkg has no record of it."""
    return subprocess.run(["dpkg-query", "-W", "-f=${Status}", "velta2"],
                          capture_output=True, text=True).stdout


def test_package_installs_runs_and_removes_cleanly(tmp_path):
    if os.geteuid() != 0:
        pytest.skip("installing a Debian package needs root (the test installs velta2 into "
                    "/usr and removes it)")
    if package_state() or any(map(os.path.exists, FILES)):
        pytest.skip("velta2 is installed on this system already; the test would replace it")
    run("cpack", "-G", "DEB", "--config", str(BUILD / "CPackConfig.cmake"), "-B", str(tmp_path))
    [package] = tmp_path.glob("velta2_*.deb")
    fields = run("dpkg-deb", "-f", str(package), "Package", "Version", "Depends", "Recommends")
    version = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$",
                        (BUILD / "CMakeCache.txt").read_text(), re.M).group(1)
    assert "Package: velta2\n" in fields and f"Version: {version}\n" in fields
    assert "Recommends: xscreensaver" in fields
    # The libraries velta2 links, found by dpkg-shlibdeps.
    assert all(library in fields for library in ("libc6", "libx11-6", "libpulse0")), fields
    folders_before = [os.path.isdir(folder) for folder in FOLDERS]

    try:
        run("apt-get", "install", "-y", "-q", "--no-install-recommends",
            "-o", "DPkg::Lock::Timeout=120", str(package))
        assert package_state() == "install ok installed"
        listed = run("dpkg", "-L", "velta2").split()
        assert sorted(filter(os.path.isfile, listed)) == sorted(FILES)
        with virtual_display() as display:
            env = dict(os.environ, DISPLAY=display, HOME=str(tmp_path), XSCREENSAVER_WINDOW="")
            hack = subprocess.Popen([FILES[0], "-root"], env=env)
            with pytest.raises(subprocess.TimeoutExpired):
                hack.wait(3)  # still drawing
            hack.terminate()
            assert hack.wait(10) == 0
    finally:
        if package_state():
            run("dpkg", "-r", "velta2")

    assert package_state() == ""
    assert not any(map(os.path.exists, FILES))
    assert [os.path.isdir(folder) for folder in FOLDERS] == folders_before
