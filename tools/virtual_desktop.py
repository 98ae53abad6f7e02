"""A virtual X display with the build tree's Wine prefix, for the developer scripts that run
Windows programs of the build on screen (the scene benchmark and the module screenshots)."""
import os
import subprocess


class VirtualDesktop:
    def __init__(self, build_dir, width, height, xvfb_args=(), env=None, display=None):
        """display: the X display number to take, or None for the first free one."""
        self.width, self.height, self.xvfb_args = width, height, list(xvfb_args)
        self.display = display
        self.env = dict(os.environ, **(env or {}))
        self.env.update(WINEPREFIX=os.path.join(os.path.abspath(build_dir), "wineprefix"),
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.xvfb = None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        where = [f":{self.display}"] if self.display is not None else []
        self.xvfb = subprocess.Popen(
            ["Xvfb"] + where + ["-displayfd", str(write_fd), "-screen", "0",
                                f"{self.width}x{self.height}x24", "-nolisten", "tcp"]
            + self.xvfb_args,
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            self.env["DISPLAY"] = ":" + f.readline().strip()
        # Wine's background services inherit the first program's output: start them first,
        # with their output going nowhere.
        subprocess.run(["wineserver", "-p"], env=self.env)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
        return self

    def __exit__(self, *exc):
        subprocess.run(["wineserver", "-k"], env=self.env)
        self.xvfb.terminate()
        self.xvfb.wait(10)

    def run(self, args, out_path, timeout=1800):
        """Runs a Windows program to its end, its output into out_path; returns the exit code."""
        with open(out_path, "w") as f:
            return subprocess.run(["wine"] + args, env=self.env, stdout=f,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode

    def spawn(self, args):
        return subprocess.Popen(["wine"] + args, env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       timeout=60)
