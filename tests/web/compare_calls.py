#!/usr/bin/python3
"""Runs the call log of the core built natively and of the core compiled to WebAssembly under
node, and checks that they agree line by line: the same words and numbers within 1e-5 (relative
for large values), where the two sides' sine and cosine may differ in the last bits. Modules 19
and 20 reseed the random generator from time(): both runs see the wall clock stopped at the same
second, through libfaketime natively and a fixed Date.now under node.

    compare_calls.py NATIVE_CALL_LOG NODE WASM_CALL_LOG_JS
"""
import glob
import os
import subprocess
import sys

TOLERANCE = 1e-5
FAKE_TIME, FAKE_SECONDS = "2024-01-01 00:00:00", 1704067200


def same(a, b):
    if a == b:
        return True
    try:
        x, y = float(a), float(b)
    except ValueError:
        return False
    return abs(x - y) <= TOLERANCE * max(1.0, abs(x), abs(y))


def main(native, node, wasm):
    (faketime,) = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
    env = dict(os.environ, LD_PRELOAD=faketime, FAKETIME=FAKE_TIME, TZ="UTC")
    ours = subprocess.run([native], capture_output=True, text=True, check=True, env=env).stdout
    fixed_clock = f"Date.now = () => {FAKE_SECONDS * 1000}; require(process.argv[1]);"
    theirs = subprocess.run([node, "--no-experimental-fetch", "-e", fixed_clock,
                             os.path.abspath(wasm)], capture_output=True, text=True,
                            check=True).stdout
    a, b = ours.splitlines(), theirs.splitlines()
    frame = ""
    for n, (x, y) in enumerate(zip(a, b), start=1):
        if "frame" in x:
            frame = x
        if len(x.split()) != len(y.split()) or not all(map(same, x.split(), y.split())):
            sys.exit(f"line {n} differs ({frame}):\n native: {x[:300]}\n wasm:   {y[:300]}")
    if len(a) != len(b) or len(a) < 20 * 30:
        sys.exit(f"{len(a)} native lines against {len(b)} from WebAssembly")
    print(f"{len(a)} lines agree: 20 modules x 30 frames and 400 frames of cycling")


if __name__ == "__main__":
    main(*sys.argv[1:])
