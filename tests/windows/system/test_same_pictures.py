"""The Linux program velta2 and velta2.scr under Wine draw the same pictures: for each module, the
OpenGL calls of the first frames of `velta2 -root -module N -stepped` (one frame per step, as
the saver paces them) and of `velta2.scr /s` with only module N enabled, both recorded with
apitrace on the same 640 x 480 display, agree.

Compared per module:
- the set-up before the first frame (viewport, projection, the glyph texture's levels with their
  pixels, the fixed state), exactly;
- the first frame call by call, exactly, but for the vertex data GLU computes for the shapes
  (normals, texture coordinates, vertices): Mesa's libGLU and Wine's glu32 take their sines from
  different maths libraries, which differ in the last bit here and there;
- the first FRAMES frames: every call but GLU's vertex data, with the arguments as apitrace prints
  them (seven significant digits), and each glBegin block's mode and number of calls; a call of
  a display list counts as the calls compiled into it.

FRAMES is 15 unless VELTA_SAME_PICTURES_FRAMES says otherwise: half a second of each module's
motion, enough for every moving number to have moved. VELTA_SAME_PICTURES_MODULES names the
modules to compare ("1 4 8"), all twenty unless it is set. A 32-bit saver runs under the 32-bit
Wine of VELTA_WINE32 with that Wine's own i386 tracer; the clock freezer does not reach the
emulated Wine's clock, so it is compared on modules whose pictures do not start from the clock
(all but 9, 19 and 20), its numbers within X87_TOLERANCE. The saver's own runs here, one per
module with only that module enabled, are also the test that the saver puts the one enabled
module on screen with its own view.

Both programs start from an empty store: the Linux one from an empty XDG_CONFIG_HOME, the Windows
one from a deleted key that then holds only the switches of the modules. Module 9's start and the
reseeding of modules 19 and 20 read time(): both programs run under libfaketime, which stops the
wall clock at one second for both and leaves the monotonic clocks that pace the frames alone.
Mesa draws nothing (GALLIUM_NOOP): only the calls matter here, and the tracer is faster. Each
program is ended once it has presented its frames and they are in the trace file: Wine's relay
trace of SwapBuffers counts the Windows frames, tools/count_swaps.c, preloaded, the Linux ones.
"""
import concurrent.futures
import glob
import os
import pickle
import re
import shutil
import signal
import subprocess
import time

import pytest

from conftest import relay_traced, wait_until
from harness.display import CLIENT_GAP

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
FRAMES = int(os.environ.get("VELTA_SAME_PICTURES_FRAMES", 15))
MODULES = [int(m) for m in os.environ.get("VELTA_SAME_PICTURES_MODULES", "").split()] or \
    list(range(1, 21))
# apitrace's i386 tracer inside the 32-bit Wine's root (tools/get_wine32.sh).
I386_TRACER = "usr/lib/i386-linux-gnu/apitrace/wrappers/glxtrace.so"
SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"
# Without "mod1 depth" the key counts as holding no module settings and its switches are not
# read; it is stored with module 1's built-in depth (50 units) so that module 1 keeps its view.
MODULE1_DEPTH = 5000
FAKE_TIME = "2024-01-01 00:00:00"
RUN_SECONDS = 120  # the longest a traced program may take for its frames

GLU_DATA = {"glNormal3f", "glTexCoord2f", "glVertex3f"}
GLU_TOLERANCE = 1e-5
# A 32-bit saver computes its single-precision numbers on the x87 unit, in registers longer than a
# float, and takes its sines from the 32-bit runtime: its numbers part from the 64-bit programs'
# by a few units in the last place of the call's largest number (measured: up to 2.2e-7 of it),
# a unit or two in the seventh digit apitrace prints.
X87_TOLERANCE = 1e-6# Every call but GLU's vertex data; apitrace leaves glGetError and the other queries out anyway.
FRAME_CALLS = "^gl(?!Normal3f$|TexCoord2f$|Vertex3f$)"
CALL = re.compile(r"^(\d+) (\w+)\((.*?)\)(?: = .*?)?( // fake)?$")
FAKE_FLAG = 1  # apitrace's mark of a call it made up, not one the program made
SWAP_RETURN = re.compile(r"Ret\s+gdi32\.SwapBuffers\(")


def platform_call(name):
    """The window system's calls (display pointers, drawables) and the queries and pixel-store
    saves GLU makes around the texture upload belong to each platform's own libraries."""
    return name.startswith(("glX", "glGet", "glPixelStore"))


def faketime_library():
    found = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
    assert found, "libfaketime is missing: install Debian's faketime (tools/install_deps.sh)"
    return found[0]


# ---- recording ---------------------------------------------------------------------------------

def swaps_on_disk(trace):
    dump = subprocess.run(["apitrace", "dump", "--grep=^glXSwapBuffers$", trace],
                          capture_output=True, text=True, errors="replace", timeout=120)
    return dump.stdout.count("glXSwapBuffers(")


def trace_until_presented(args, env, out, presented):
    """Runs `apitrace trace` on args until more than FRAMES frames have been presented
    (presented() tells) and are in the trace file, then ends it. apitrace writes its trace out
    in blocks of a few hundred kilobytes, a few dozen frames drawn from display lists."""
    trace = args[1]
    with open(out, "w") as f:
        proc = subprocess.Popen(["apitrace", "trace"] + args, env=env, stdout=f,
                                stderr=subprocess.STDOUT, start_new_session=True)
    try:
        wait_until(lambda: proc.poll() is not None or (presented() > FRAMES and
                                                       swaps_on_disk(trace) > FRAMES),
                   RUN_SECONDS, 0.1)
    finally:
        try:
            os.killpg(proc.pid, signal.SIGKILL)  # Wine does not end on SIGTERM
        except ProcessLookupError:
            pass
        proc.wait(30)
        # Xvfb now and then resets a connection made just as another client ends.
        time.sleep(CLIENT_GAP)
    if presented() <= FRAMES:
        with open(out, errors="replace") as f:
            said = f.read()[-600:]
        raise AssertionError(f"{args[2:]} presented only {presented()} frames, exit code "
                             f"{proc.returncode}; it said: {said}")


def trace_linux(program, counter, module, trace, env):
    """velta2 -root -module N -stepped; its frames are counted by tools/count_swaps.c, preloaded."""
    log = trace + ".swaps"

    def presented():
        try:
            with open(log) as f:
                return int(f.read().split()[0])
        except FileNotFoundError:  # no frame yet
            return 0

    # It stops itself at its frame FRAMES + 1, however fast it draws.
    env = dict(env, VELTA_SWAP_LOG=log, VELTA_SWAP_LIMIT=str(FRAMES + 1),
               LD_PRELOAD=f"{counter}:{env['LD_PRELOAD']}")
    trace_until_presented(["-o", trace, program, "-root", "-module", str(module), "-stepped"],
                          env, trace + ".out", presented)


def trace_windows(desktop, module, trace, env):
    """velta2.scr /s with only module N enabled, from a new key; Wine's relay trace writes a
    "Ret" line as each SwapBuffers call ends."""
    desktop.delete_key(SETTINGS_KEY)
    switches = {f"mod{k} active": int(k == module) for k in range(1, 21)}
    desktop.set_dwords(SETTINGS_KEY, {"mod1 depth": MODULE1_DEPTH, **switches})
    out = trace + ".out"

    def presented():
        with open(out, errors="replace") as f:
            return len(SWAP_RETURN.findall(f.read()))

    trace_until_presented(["-o", trace, "wine", desktop.scr, "/s"], env, out, presented)


# ---- reading -----------------------------------------------------------------------------------

class Recording:
    """What one trace shows: the set-up calls, the first frame's calls (exact, from apitrace's
    pickle) and FRAMES frames of every call but GLU's vertex data (from its dump)."""

    def __init__(self, trace):
        self.setup, self.first, self.frames = [], [], []
        context, clear, first_swap = self._read_frames(trace)
        assert clear is not None and context is not None and len(self.frames) == FRAMES, \
            f"{trace}: {len(self.frames)} frames"
        # apitrace reads a trace from its start and pickles up to the end of it: a copy cut at
        # the first frame's end is read at once.
        first = trace + ".first"
        subprocess.run(["apitrace", "trim", f"--calls=0-{first_swap}", "-o", first, trace],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True,
                       timeout=120)
        try:
            for no, name, args, _, flags in self._pickled(first, f"{context + 1}-{first_swap}"):
                if flags & FAKE_FLAG or platform_call(name):
                    continue
                (self.setup if no < clear else self.first).append((name, args))
        finally:
            os.remove(first)

    def _read_frames(self, trace):
        """(the call making the drawing context current, the first frame's first call, the first
        frame's swap); fills self.frames with one list per frame of (name, arguments) and, for a
        glBegin block, ("glBegin", mode, number of calls up to its glEnd). A display list counts
        as the calls it was compiled from, where it is called."""
        proc = subprocess.Popen(["apitrace", "dump", "--color=never", "--arg-names=no",
                                 f"--grep={FRAME_CALLS}", trace], stdout=subprocess.PIPE,
                                text=True, errors="replace")
        context = clear = first_swap = begin = None
        frame, lists, drawn = [], {}, None
        try:
            for line in proc.stdout:
                m = CALL.match(line.rstrip("\n"))
                if not m or m[4]:
                    continue
                no, name, args = int(m[1]), m[2], m[3]
                if clear is None:
                    if name == "glXMakeCurrent" and not args.endswith("NULL"):
                        context = no
                    if name != "glClear":
                        continue
                    clear = no
                if name == "glNewList":
                    drawn, frame = frame, lists.setdefault(args.split(",")[0], [])
                    frame.clear()
                elif name == "glEndList":
                    frame = drawn
                elif name == "glCallList":
                    frame.extend(lists[args])
                elif name == "glXSwapBuffers":
                    first_swap = first_swap or no
                    self.frames.append(frame)
                    frame = []
                    if len(self.frames) == FRAMES:
                        break
                elif name == "glBegin":
                    begin = (no, args)
                elif name == "glEnd" and begin:
                    frame.append(("glBegin", begin[1], no - begin[0] - 1))
                    begin = None
                elif not platform_call(name):
                    frame.append((name, args))
        finally:
            proc.kill()
            proc.wait(10)
        return context, clear, first_swap

    @staticmethod
    def _pickled(trace, calls):
        """(number, name, [(argument, value)], result, flags) of the calls, values exact."""

        class Calls(pickle.Unpickler):
            def find_class(self, module, name):
                return lambda *values: (name,) + values  # apitrace's pointer records

        proc = subprocess.Popen(["apitrace", "pickle", f"--calls={calls}", trace],
                                stdout=subprocess.PIPE)
        reader = Calls(proc.stdout)
        try:
            while True:
                yield reader.load()
        except EOFError:
            pass
        finally:
            proc.wait(60)


def same_call(a, b):
    """Equal calls; GLU's vertex data within GLU_TOLERANCE."""
    if a[0] in GLU_DATA and a[0] == b[0]:
        return all(n == m and abs(x - y) <= GLU_TOLERANCE for (n, x), (m, y) in zip(a[1], b[1]))
    return a == b


def numbers(x):
    """The numbers in a call, pickled (values) or dumped (argument text), however nested."""
    if isinstance(x, (list, tuple)):
        return [v for item in x for v in numbers(item)]
    if isinstance(x, str):
        found = []
        for word in x.split(", "):
            try:
                found.append(float(word))
            except ValueError:
                pass
        return found
    return [float(x)] if isinstance(x, (int, float)) else []


def near(a, b, scale=None):
    """Equal calls but for numbers within X87_TOLERANCE of the call's largest number."""
    if isinstance(a, (list, tuple)) and isinstance(b, (list, tuple)):
        if scale is None:
            scale = max([1.0] + [abs(v) for v in numbers(a) + numbers(b)])
        return len(a) == len(b) and all(near(x, y, scale) for x, y in zip(a, b))
    if isinstance(a, str) and isinstance(b, str) and a != b:
        words, others = a.split(", "), b.split(", ")
        try:
            return near([float(w) for w in words], [float(w) for w in others], scale)
        except ValueError:
            return len(words) > 1 and near(words, others, scale)
    if isinstance(a, float) or isinstance(b, float):
        return abs(a - b) <= X87_TOLERANCE * (scale or max(1.0, abs(a), abs(b)))
    return a == b


def near_call(a, b):
    return same_call(a, b) or near(a, b)


def first_difference(what, a, b, same=lambda x, y: x == y):
    """None when the call lists agree, else a line naming the first call where they part."""
    at = next((i for i, (x, y) in enumerate(zip(a, b)) if not same(x, y)), None)
    if at is None and len(a) == len(b):
        return None
    at = min(len(a), len(b)) if at is None else at
    return (f"{what}, call {at} of {len(a)}/{len(b)}: {str(a[at:at + 1])[:300]} / "
            f"{str(b[at:at + 1])[:300]}")


def differences(linux, windows, x87=False):
    """The ways the two recordings of a module disagree, as lines of text (Linux / Windows); with
    x87, numbers may part in the last place."""
    exact = (lambda x, y: x == y) if not x87 else near
    found = [first_difference("set-up", linux.setup, windows.setup, exact),
             first_difference("first frame", linux.first, windows.first,
                              near_call if x87 else same_call)]
    found += [first_difference(f"frame {k}", a, b, exact)
              for k, (a, b) in enumerate(zip(linux.frames, windows.frames), 1)]
    return [line for line in found if line][:3]


# ---- the run -----------------------------------------------------------------------------------

class Bench:
    """Traces the modules in the order asked for, one ahead, and reads each pair of traces in a
    thread of its own while the next pair is traced."""

    def __init__(self, desktop, program, counter, env):
        self.desktop, self.program, self.counter, self.env = desktop, program, counter, env
        self.windows_env, self.x87 = env, desktop.pointer_digits == 8
        if self.x87:
            root = os.path.join(os.environ["VELTA_WINE32"], "root")
            self.windows_env = dict(env, LD_PRELOAD=os.path.join(root, I386_TRACER))
        self.pool = concurrent.futures.ThreadPoolExecutor(2)
        self.results = {}
        self.started = time.monotonic()
        self.tracing = 0.0

    def _record(self, module):
        base = os.path.join(self.desktop.workdir, f"module{module}")
        linux, windows = base + "-linux.trace", base + "-windows.trace"
        t = time.monotonic()
        trace_windows(self.desktop, module, windows, self.windows_env)
        config = base + "-config"  # an empty XDG_CONFIG_HOME: no settings file
        os.makedirs(config)
        trace_linux(self.program, self.counter, module, linux,
                    dict(self.env, XDG_CONFIG_HOME=config))
        self.tracing += time.monotonic() - t
        return self.pool.submit(self._compare, linux, windows, self.x87)

    @staticmethod
    def _compare(linux, windows, x87):
        try:
            pair = Recording(linux), Recording(windows)
            drawn = [sum(1 for c in f if c[0] == "glBegin") for f in pair[0].frames]
            if min(drawn) == 0:
                return [f"frames without shapes: {drawn}"]
            return differences(*pair, x87)
        finally:
            for path in (linux, windows):
                os.remove(path)

    def result(self, module):
        """The differences found for the module, or why it could not be recorded."""
        for k in MODULES[MODULES.index(module):][:2]:  # this one and the next, ahead
            if k not in self.results:
                try:
                    self.results[k] = self._record(k)
                except Exception as e:  # a failure of module k, reported by its own test
                    self.results[k] = concurrent.futures.Future()
                    self.results[k].set_result([f"{type(e).__name__}: {e}"])
        return self.results[module].result()

    def close(self):
        self.pool.shutdown()
        print(f"\nsame pictures: {len(self.results)} modules in "
              f"{time.monotonic() - self.started:.0f} s, {self.tracing:.0f} s of it tracing")


@pytest.fixture(scope="module")
def bench(desktop, pytestconfig):
    program = pytestconfig.getoption("--linux-velta2")
    assert program and os.access(program, os.X_OK), \
        f"no Linux program at --linux-velta2 {program!r}: build it first (make build)"
    assert shutil.which("apitrace"), "apitrace is missing (tools/install_deps.sh)"
    counter = os.path.join(desktop.workdir, "libcount_swaps.so")
    subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", counter,
                    os.path.join(ROOT, "tools", "count_swaps.c"), "-ldl"], check=True, timeout=120)
    env = dict(desktop.env, LD_PRELOAD=faketime_library(), FAKETIME=FAKE_TIME,
               FAKETIME_DONT_FAKE_MONOTONIC="1", NO_FAKE_STAT="1", GALLIUM_NOOP="1")
    with relay_traced(desktop, ["gdi32.SwapBuffers"]) as relay:
        b = Bench(desktop, os.path.abspath(program), counter, dict(env, **relay))
        yield b
        b.close()
    desktop.delete_key(SETTINGS_KEY)


@pytest.mark.parametrize("module", MODULES)
def test_module_draws_the_same_calls_on_both_platforms(bench, module):
    problems = bench.result(module)
    assert not problems, f"module {module}:\n" + "\n".join(problems)
