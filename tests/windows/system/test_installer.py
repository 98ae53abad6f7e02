"""The installer puts the right saver where Windows lists screen savers and registers an uninstaller;
the uninstaller takes everything away again, the settings only when asked.

The installer is a 32-bit program, so it runs under the Wine of 32-bit programs (VELTA_WINE32,
tools/get_wine32.sh), in new prefixes of two kinds: 64-bit Windows, where it must put the 64-bit
saver into the real system folder (not the 32-bit programs' view of it) and register in the
64-bit view of the registry, and 32-bit Windows presenting Windows 98, where it must put the
32-bit saver there and make it the current saver in SYSTEM.INI, as Windows 9x reads it.
"""
import os
import subprocess
import tempfile
import xml.etree.ElementTree as ET

import pytest

from conftest import Desktop, pointer_digits, wait_until

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velta II"
SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
WINE_VERSION_KEY = r"HKCU\Software\Wine"  # "Version": the Windows Wine presents to every program


class NewWindows(Desktop):
    """A desktop whose prefix is a new one of this kind of Windows ("win64" or "win32"), run by
    the Wine of 32-bit programs, which runs 64-bit ones too."""

    def __init__(self, config, workdir, arch):
        super().__init__(config, workdir)
        self.arch = arch
        wine32 = os.environ["VELTA_WINE32"]
        self.env.update(WINEARCH=arch, PATH=os.path.join(wine32, "bin") + ":" + self.env["PATH"])
        self.zlib = os.path.join(wine32, "root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll")

    def copy_prefix(self):
        self.env["WINEPREFIX"] = tempfile.mkdtemp(prefix=f"wineprefix-{self.arch}-",
                                                  dir=self.workdir)
        self.run_plain(["wine", "wineboot", "-i"], timeout=300)
        self.run_plain(["wineserver", "-w"])
        # Debian's 32-bit user32.dll needs zlib1.dll, kept outside Wine.
        thirty_two = "syswow64" if self.arch == "win64" else "system32"
        subprocess.run(["cp", self.zlib, self.system_folder(thirty_two)], check=True)

    def reg(self, *args):
        """The registry as 64-bit programs see it, on 64-bit Windows too: `wine reg` runs the
        32-bit reg.exe there, which would see the 32-bit programs' view."""
        return super().reg(*args, *(["/reg:64"] if self.arch == "win64" else []))

    def system_folder(self, name="system32", *parts):
        return os.path.join(self.env["WINEPREFIX"], "drive_c", "windows", name, *parts)


@pytest.fixture(scope="module", params=["win64", "win32"])
def windows(request, pytestconfig):
    workdir = tempfile.mkdtemp(prefix=f"velta-installer-{request.param}-")
    d = NewWindows(pytestconfig, workdir, request.param)
    d.start()
    yield d
    d.stop()
    subprocess.run(["rm", "-rf", workdir])


def reg_value(desktop, key, name):
    code, text = desktop.reg("query", key, "/v", name)
    return text if code == 0 else None


def install(desktop):
    setup = os.path.join(os.path.dirname(desktop.scr), "velta2-setup.exe")
    assert desktop.wine([setup, "/S"], timeout=300)[0] == 0
    return desktop.system_folder("system32", "velta2.scr")


def uninstall(desktop, *options):
    uninstaller = os.path.join(desktop.env["WINEPREFIX"], "drive_c", "Program Files", "Velta II",
                               "uninstall.exe")
    assert os.path.exists(uninstaller)
    # The uninstaller copies itself away and returns at once; wait for its work to show.
    assert desktop.wine([uninstaller, "/S"] + list(options), timeout=300)[0] == 0
    assert wait_until(lambda: not os.path.exists(uninstaller), 120), "uninstall did not finish"


def system_ini_saver(desktop):
    with open(os.path.join(desktop.env["WINEPREFIX"], "drive_c", "windows", "system.ini"),
              errors="replace") as f:
        return next((line.split("=", 1)[1].strip() for line in f
                     if line.upper().startswith("SCRNSAVE.EXE=")), None)


def test_installs_the_saver_of_its_windows_and_uninstalls_keeping_settings(windows):
    nine_x = windows.arch == "win32"
    if nine_x:
        windows.reg("add", WINE_VERSION_KEY, "/v", "Version", "/d", "win98", "/f")
    windows.reg("add", SETTINGS_KEY, "/v", "cycle time", "/t", "REG_DWORD", "/d", "42", "/f")
    scr = install(windows)
    built = windows.scr if not nine_x else os.environ["VELTA_SCR32"]
    assert pointer_digits(scr) == (8 if nine_x else 16)
    with open(scr, "rb") as installed, open(built, "rb") as original:
        assert installed.read() == original.read()
    assert not os.path.exists(windows.system_folder("syswow64", "velta2.scr"))
    entry = windows.reg("query", UNINSTALL_KEY)[1]
    for expected in ("Velta II", "uninstall.exe", "DisplayVersion", "Quillon"):
        assert expected in entry
    if nine_x:
        assert system_ini_saver(windows).lower() == r"c:\windows\system32\velta2.scr"
    else:
        assert "velta2.scr" in reg_value(windows, DESKTOP_KEY, "SCRNSAVE.EXE")

    uninstall(windows)
    assert not os.path.exists(scr)
    assert windows.reg("query", UNINSTALL_KEY)[0] != 0
    assert reg_value(windows, DESKTOP_KEY, "SCRNSAVE.EXE") is None
    if nine_x:
        assert system_ini_saver(windows) is None
        windows.reg("delete", WINE_VERSION_KEY, "/v", "Version", "/f")
    assert "0x2a" in reg_value(windows, SETTINGS_KEY, "cycle time")


def test_64_bit_windows_older_than_vista_gets_the_32_bit_saver(windows):
    if windows.arch != "win64":
        pytest.skip("about 64-bit Windows")
    windows.reg("add", WINE_VERSION_KEY, "/v", "Version", "/d", "winxp64", "/f")
    try:
        scr = install(windows)
        assert pointer_digits(scr) == 8
        uninstall(windows)
    finally:
        windows.reg("delete", WINE_VERSION_KEY, "/v", "Version", "/f")


def test_installed_saver_names_itself_and_declares_how_it_runs(windows):
    """Windows lists a saver by its string 1; the manifest asks for native dialogs, real screen
    pixels on every monitor and names the Windows versions the saver knows."""
    if windows.arch != "win64":
        pytest.skip("the describing tool is a 64-bit program")
    windows.reg("add", SETTINGS_KEY, "/v", "cycle time", "/t", "REG_DWORD", "/d", "42", "/f")
    scr = install(windows)
    code, text = windows.wine([windows.wintool_exe, "describe", scr])
    uninstall(windows, "/REMOVESETTINGS")
    assert windows.reg("query", SETTINGS_KEY)[0] != 0
    assert code == 0, text
    assert 'name="Velta II"' in text
    root = ET.fromstring(text.split("manifest:\n", 1)[1].strip().rstrip("\x00"))
    found = {el.tag.split("}")[1]: el for el in root.iter()}
    assert found["dpiAwareness"].text.startswith("PerMonitorV2")
    assert found["dpiAware"].text == "true/pm"
    dependency = root.find(".//{*}dependentAssembly/{*}assemblyIdentity")
    assert dependency.get("name") == "Microsoft.Windows.Common-Controls"
    assert dependency.get("version") == "6.0.0.0"
    assert len(root.findall(".//{*}supportedOS")) == 4
