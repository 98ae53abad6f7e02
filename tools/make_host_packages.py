#!/usr/bin/python3
"""Makes the page's packages for the desktop hosts from the assembled page folder: a Lively
Wallpaper package (a zip) and a Wallpaper Engine project (a folder). Both carry the page's own
files, a preview picture from the gallery and the host's description of the page with the same
three settings, which the page reads from the host's calls: the module (0 = all twenty, k =
module k), the seconds per module and the tune.

    make_host_packages.py PAGE_DIR LIVELY_ZIP WALLPAPER_ENGINE_DIR
"""
import json
import os
import shutil
import sys
import zipfile

from module_names import NAMES

# What every host serves: the page, its manifest, worker and icons. Not the gallery, whose
# pictures open the page with a query a host would not pass on.
PAGE_FILES = ["index.html", "velta2.js", "manifest.webmanifest", "velta2-worker.js",
              "icons/velta2-192.png", "icons/velta2-512.png"]
PREVIEW_SOURCE = "gallery/module4.jpg"
PREVIEW = "preview.jpg"
TITLE = "Velta II"
DESCRIPTION = ("Twenty animated 3-D scenes of glyph-textured cylinders and spheres on tracks, "
               "orbits, grids, rings and spirals, fading from one to the next.")
AUTHOR = "Quillon"
# The seconds a module stays on screen, as the hosts' sliders offer them: within the page's
# cycle option (1 to 9999), up to ten minutes.
CYCLE_DEFAULT, CYCLE_MIN, CYCLE_MAX = 15, 1, 600
MODULE_LABELS = ["All twenty modules"] + [f"{k} {name}" for k, name in enumerate(NAMES, 1)]


def lively_info():
    return {
        "Title": TITLE, "Desc": DESCRIPTION, "Author": AUTHOR,
        "License": "", "Contact": "", "Type": 1, "FileName": "index.html",
        # The page pauses its frames and its sound when Lively says it is hidden.
        "Arguments": "--pause-event true",
        "Thumbnail": PREVIEW, "Preview": PREVIEW, "IsAbsolutePath": False,
    }


def lively_properties():
    return {
        "module": {"type": "dropdown", "text": "Module", "value": 0, "items": MODULE_LABELS},
        "cycle": {"type": "slider", "text": "Seconds per module", "value": CYCLE_DEFAULT,
                  "min": CYCLE_MIN, "max": CYCLE_MAX, "step": 1},
        "sound": {"type": "checkbox", "text": "Play the tune", "value": False},
    }


def wallpaper_engine_project():
    return {
        "type": "web", "file": "index.html", "title": TITLE, "description": DESCRIPTION,
        "preview": PREVIEW,
        "general": {"properties": {
            "module": {"order": 0, "type": "combo", "text": "Module", "value": 0,
                       "options": [{"label": label, "value": k}
                                   for k, label in enumerate(MODULE_LABELS)]},
            "cycle": {"order": 1, "type": "slider", "text": "Seconds per module",
                      "value": CYCLE_DEFAULT, "min": CYCLE_MIN, "max": CYCLE_MAX, "step": 1,
                      "fraction": False},
            "sound": {"order": 2, "type": "bool", "text": "Play the tune", "value": False},
        }},
    }


def package_files(page_dir):
    """(name in the package, file on disk) for the page's files and the preview."""
    files = [(name, os.path.join(page_dir, name)) for name in PAGE_FILES]
    return files + [(PREVIEW, os.path.join(page_dir, PREVIEW_SOURCE))]


def write_json(path, value):
    with open(path, "w") as f:
        json.dump(value, f, indent=2)
        f.write("\n")


def main():
    page_dir, lively_zip, engine_dir = sys.argv[1:4]
    files = package_files(page_dir)

    with zipfile.ZipFile(lively_zip + ".new", "w", zipfile.ZIP_DEFLATED) as z:
        for name, path in files:
            z.write(path, name)
        z.writestr("LivelyInfo.json", json.dumps(lively_info(), indent=2) + "\n")
        z.writestr("LivelyProperties.json", json.dumps(lively_properties(), indent=2) + "\n")
    os.replace(lively_zip + ".new", lively_zip)

    shutil.rmtree(engine_dir, ignore_errors=True)
    for name, path in files:
        os.makedirs(os.path.dirname(os.path.join(engine_dir, name)), exist_ok=True)
        shutil.copyfile(path, os.path.join(engine_dir, name))
    write_json(os.path.join(engine_dir, "project.json"), wallpaper_engine_project())


if __name__ == "__main__":
    main()
