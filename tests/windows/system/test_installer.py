"""The installer puts the saver where Windows lists screen savers and registers an uninstaller;
the uninstaller takes everything away again, the settings only when asked."""
import os
import xml.etree.ElementTree as ET

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


def test_installed_saver_names_itself_and_declares_how_it_runs(desktop):
    """Windows lists a saver by its string 1; the manifest asks for native dialogs, real screen
    pixels on every monitor and names the Windows versions the saver knows."""
    scr = install(desktop)
    code, text = desktop.wine([desktop.wintool_exe, "describe", scr])
    uninstall(desktop)
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


def test_uninstall_removes_settings_when_asked(desktop):
    desktop.reg("add", SETTINGS_KEY, "/v", "cycle time", "/t", "REG_DWORD", "/d", "42", "/f")
    install(desktop)
    uninstall(desktop, "/REMOVESETTINGS")
    assert desktop.reg("query", SETTINGS_KEY)[0] != 0
