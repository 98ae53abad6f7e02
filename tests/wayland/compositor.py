"""A headless sway of a test's own, run as the unprivileged user (sway refuses root), with its
outputs, its screenshots and the programs a test starts in it; everything ends with it. A sway
can also run inside another, its outputs windows there that can be closed like any window."""
import os
import shutil
import signal
import subprocess
import tempfile
import time

USER = 65534


def as_user():
    return ["setpriv", f"--reuid={USER}", f"--regid={USER}", "--clear-groups"]


class Sway:
    def __init__(self, sizes=((640, 480),), inside=None):
        """sizes: the outputs'. inside: the Sway to run in, as a client of it. Its outputs are
        then windows there, sized by that one's tiling, and closing a window unplugs its output;
        an output plugged in (create_output) is a headless one, HEADLESS-N of the Nth size. Those
        are not made by the windows' backend, whose output making can wait on its compositor
        for good (wlroots 0.15)."""
        self.dir = tempfile.mkdtemp(prefix="velta2-sway-")
        os.chmod(self.dir, 0o755)
        self.runtime = os.path.join(self.dir, "run")
        self.home = os.path.join(self.dir, "home")
        for d in (self.runtime, self.home):
            os.mkdir(d, 0o700)
            os.chown(d, USER, USER)
        config = os.path.join(self.dir, "config")
        with open(config, "w") as f:
            for i, (w, h) in enumerate(sizes):
                x = 2000 * (i + 1 if inside else i)  # beside the windows' outputs
                f.write(f"output HEADLESS-{i + 1} resolution {w}x{h} position {x} 0\n")
            f.write("default_border none\n")
        backend = dict(WLR_BACKENDS="headless", WLR_HEADLESS_OUTPUTS=str(len(sizes)))
        if inside:
            host = os.path.join(inside.runtime, inside.env["WAYLAND_DISPLAY"])
            backend = dict(WLR_BACKENDS="headless,wayland", WLR_HEADLESS_OUTPUTS="0",
                           WLR_WL_OUTPUTS=str(len(sizes)), WAYLAND_DISPLAY=host)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, HOME=self.home,
                        WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman", **backend)
        self.env.pop("DISPLAY", None)
        if not inside:
            self.env.pop("WAYLAND_DISPLAY", None)
        self.log = open(os.path.join(self.dir, "sway.log"), "w")
        self.proc = subprocess.Popen(as_user() + ["sway", "-c", config], env=self.env,
                                     stdout=self.log, stderr=subprocess.STDOUT,
                                     start_new_session=True)
        self.programs = []
        for _ in range(200):
            names = [n for n in os.listdir(self.runtime) if n.startswith("wayland-")
                     and not n.endswith(".lock")]
            if names and self.msg("-t", "get_version").returncode == 0:
                break
            time.sleep(0.05)
        else:
            raise RuntimeError("sway did not start: " + open(self.log.name).read()[-2000:])
        self.env["WAYLAND_DISPLAY"] = names[0]
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.home, "config")

    def msg(self, *args):
        swaysock = [os.path.join(self.runtime, n) for n in os.listdir(self.runtime)
                    if n.startswith("sway-ipc")]
        env = dict(self.env, SWAYSOCK=swaysock[0] if swaysock else "")
        return subprocess.run(as_user() + ["swaymsg", *args], env=env, capture_output=True,
                              text=True, timeout=10)

    def start(self, argv, **kw):
        """Starts a program as the compositor's user, its output kept in files of its own."""
        out = tempfile.TemporaryFile(mode="w+", dir=self.dir)
        p = subprocess.Popen(as_user() + list(argv), env=dict(self.env, **kw), stdout=out,
                             stderr=subprocess.STDOUT)
        p.out = out
        self.programs.append(p)
        return p

    def run(self, argv, timeout=10):
        return subprocess.run(as_user() + list(argv), env=self.env, capture_output=True,
                              text=True, timeout=timeout)

    def shot(self, output):
        path = os.path.join(self.home, f"{output}-{time.monotonic_ns()}.png")
        got = self.run(["grim", "-o", output, path])
        assert got.returncode == 0, got.stderr
        from PIL import Image
        return Image.open(path).convert("RGB")

    def stop(self):
        for p in self.programs:
            if p.poll() is None:
                p.kill()
                p.wait()
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
        self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)


def output_text(p):
    # The program writes through the same open file and so the same offset: a seek here would
    # make it write over what it wrote before. Read at an offset instead.
    fd = p.out.fileno()
    return os.pread(fd, os.fstat(fd).st_size, 0).decode(errors="replace")


SWAY_GREY = (63, 63, 63)  # sway's own background where no wallpaper program runs


def lit(image):
    """The share of pixels that are neither black nor sway's empty background."""
    data = image.getdata()
    return sum(1 for p in data if p != SWAY_GREY and sum(p) > 72) / len(data)


def wait_for(condition, seconds=15.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.1)
    return False
