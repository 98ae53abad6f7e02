"""The installer puts the saver where Windows lists screen savers and registers an uninstaller;
the uninstaller takes everything away again, the settings only when asked."""
import os

from conftest import wait_until

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velta II"
SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def prefix_path(desktop, *parts):
    return os.path.join(desktop.env["WINEPREFIX"], "drive_c", *parts)


def reg_value(desktop, key, name):
    code, text = desktop.reg("query", key, "/v", name)
    return text if code == 0 else None


def install(desktop):
    setup = os.path.join(os.path.dirname(desktop.scr), "velta2-setup.exe")
    assert desktop.wine([setup, "/S"], timeout=120)[0] == 0
    return prefix_path(desktop, "windows", "system32", "velta2.scr")


def uninstall(desktop, *options):
    uninstaller = prefix_path(desktop, "Program Files", "Velta II", "uninstall.exe")
    assert os.path.exists(uninstaller)
    # The uninstaller copies itself away and returns at once; wait for its work to show.
    assert desktop.wine([uninstaller, "/S"] + list(options), timeout=120)[0] == 0
    assert wait_until(lambda: not os.path.exists(uninstaller), 60), "uninstall did not finish"


def test_install_then_uninstall_keeping_settings(desktop):
    desktop.reg("add", SETTINGS_KEY, "/v", "cycle time", "/t", "REG_DWORD", "/d", "42", "/f")
    scr = install(desktop)
    assert os.path.getsize(scr) == os.path.getsize(desktop.scr)
    entry = desktop.reg("query", UNINSTALL_KEY)[1]
    for expected in ("Velta II", "uninstall.exe", "DisplayVersion", "Quillon"):
        assert expected in entry
    assert "velta2.scr" in reg_value(desktop, DESKTOP_KEY, "SCRNSAVE.EXE")

    uninstall(desktop)
    assert not os.path.exists(scr)
    assert desktop.reg("query", UNINSTALL_KEY)[0] != 0
    assert reg_value(desktop, DESKTOP_KEY, "SCRNSAVE.EXE") is None
    assert "0x2a" in reg_value(desktop, SETTINGS_KEY, "cycle time")


def test_uninstall_removes_settings_when_asked(desktop):
    desktop.reg("add", SETTINGS_KEY, "/v", "cycle time", "/t", "REG_DWORD", "/d", "42", "/f")
    install(desktop)
    uninstall(desktop, "/REMOVESETTINGS")
    assert desktop.reg("query", SETTINGS_KEY)[0] != 0
