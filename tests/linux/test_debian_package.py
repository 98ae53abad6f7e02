"""The Debian package of velta2, as `make deb` builds it: installed with apt-get, it puts the
program and its settings description where XScreenSaver looks and the program runs; removed
with dpkg, it leaves nothing behind.

This test changes the system: it installs the package into /usr and removes it again. So it
runs only as root, and only where no velta2 is installed already, which it would overwrite."""
import os
import re
import signal
import subprocess

import pytest

from hack_display import BUILD, virtual_display

PROGRAM = "/usr/libexec/xscreensaver/velta2"
DESCRIPTION = "/usr/share/xscreensaver/config/velta2.xml"
FOLDERS = ["/usr/libexec/xscreensaver", "/usr/share/xscreensaver/config",
           "/usr/share/xscreensaver"]


def package_state():
    """dpkg's status of velta2, "" when dpkg has no record of it."""
    result = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "velta2"],
                            capture_output=True, text=True)
    return result.stdout if result.returncode == 0 else ""


def project_version():
    with open(BUILD / "CMakeCache.txt") as f:
        return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", f.read(), re.M).group(1)


def run(args):
    result = subprocess.run(args, capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, f"{args}:\n{result.stdout}{result.stderr}"
    return result.stdout


@pytest.fixture
def package(tmp_path):
    if os.geteuid() != 0:
        pytest.skip("installing a Debian package needs root (the test installs velta2 into "
                    "/usr and removes it)")
    if package_state() or os.path.exists(PROGRAM) or os.path.exists(DESCRIPTION):
        pytest.skip("velta2 is installed on this system already; the test would replace it")
    run(["cpack", "-G", "DEB", "--config", str(BUILD / "CPackConfig.cmake"), "-B",
         str(tmp_path)])
    debs = list(tmp_path.glob("velta2_*.deb"))
    assert len(debs) == 1, debs
    return debs[0]


def test_package_installs_runs_and_removes_cleanly(package, tmp_path):
    fields = {name: run(["dpkg-deb", "-f", str(package), name]).strip()
              for name in ("Package", "Version", "Depends", "Recommends")}
    assert fields["Package"] == "velta2"
    assert fields["Version"] == project_version()
    assert "xscreensaver" in fields["Recommends"]
    # The libraries velta2 links, found by dpkg-shlibdeps.
    for library in ("libc6", "libx11-6", "libpulse0", "libvorbisfile3"):
        assert library in fields["Depends"], fields["Depends"]
    folders_before = {folder: os.path.isdir(folder) for folder in FOLDERS}

    try:
        run(["apt-get", "install", "-y", "-q", "--no-install-recommends",
             "-o", "DPkg::Lock::Timeout=120", str(package)])
        assert package_state() == "install ok installed"
        listed = run(["dpkg", "-L", "velta2"]).split()
        assert sorted(p for p in listed if os.path.isfile(p)) == sorted([PROGRAM, DESCRIPTION])
        assert os.access(PROGRAM, os.X_OK)

        with virtual_display() as display:
            env = dict(os.environ, DISPLAY=display, HOME=str(tmp_path))
            env.pop("XSCREENSAVER_WINDOW", None)
            hack = subprocess.Popen([PROGRAM, "-root"], env=env, stderr=subprocess.PIPE)
            try:
                hack.wait(3)
                pytest.fail(f"velta2 ended by itself: {hack.stderr.read().decode()}")
            except subprocess.TimeoutExpired:
                hack.send_signal(signal.SIGTERM)
            assert hack.wait(10) == 0
    finally:
        if package_state():
            run(["dpkg", "-r", "velta2"])

    assert package_state() == ""
    assert not os.path.exists(PROGRAM) and not os.path.exists(DESCRIPTION)
    assert {folder: os.path.isdir(folder) for folder in FOLDERS} == folders_before
