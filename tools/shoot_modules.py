#!/usr/bin/python3
"""Screenshots of the twenty modules for the documentation: each module alone on a 640 x 480
virtual screen, drawn by the scene showcase, taken after two seconds of animation.

    /usr/bin/python3 tools/shoot_modules.py [--build build] [--out docs]
"""
import argparse
import os
import time

from virtual_desktop import VirtualDesktop

NAMES = ["Shechen", "Jokhang", "Mindroling", "Tsurphu", "Palpung", "Kathok", "Samdrup",
         "Drepung", "Sera", "Dzogchen", "Menri", "Samye", "Dorje Drak", "Nyingma", "Kagyu",
         "Sakya", "Surmang", "Ganden", "Palyul", "Gelug"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--out", default="docs")
    args = parser.parse_args()
    bench = os.path.join(args.build, "tests", "scene_bench.exe")
    os.makedirs(args.out, exist_ok=True)
    with VirtualDesktop(args.build, 640, 480) as desk:
        for k, name in enumerate(NAMES, start=1):
            proc = desk.spawn([bench, "--show", str(k), "--seconds", "8"])
            time.sleep(5)  # start-up of the program, then about two seconds of animation
            path = os.path.join(args.out, f"module{k}-{name.lower().replace(' ', '-')}.png")
            desk.screenshot(path)
            proc.wait(30)
            print(path)


if __name__ == "__main__":
    main()
