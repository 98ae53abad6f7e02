"""Debian's Chromium, headless with software WebGL, driven over the DevTools protocol: pages
opened, scripts evaluated, keys pressed, screenshots taken, and the console, the page's errors
and its requests kept for the tests to read. Also what every driven browser shares, and the
local web server the pages are served from."""
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import tempfile
import threading
import time

import websocket

CHROMIUM = "/usr/bin/chromium"
# Windows virtual-key codes of the keys the tests press, by KeyboardEvent.code.
VIRTUAL_KEYS = {"Enter": 13, "Backspace": 8, "PageUp": 33, "PageDown": 34, "Home": 36,
                "F5": 116, "KeyX": 88}


class Driver:
    """What the tests ask of any browser: navigate(url), evaluate(expression) (a promise's value
    awaited), key(code), screenshot(path), errors() and close(); and this wait built on them."""

    def wait_for(self, expression, timeout=30, interval=0.1):
        """Waits until the expression is truthy in the page; returns its value."""
        deadline = time.monotonic() + timeout
        while True:
            value = self.evaluate(expression)
            if value or time.monotonic() > deadline:
                return value
            time.sleep(interval)

    def send(self, method, **params):
        """For a driver over a JSON command socket (self._socket): sends one command and returns
        its result; events that come meanwhile go to self._note."""
        self._next_id = getattr(self, "_next_id", 0) + 1
        self._socket.send(json.dumps({"id": self._next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self._socket.recv())
            if message.get("id") == self._next_id:
                assert "error" not in message, f"{method}: {message}"
                return message.get("result", {})
            self._note(message)

    def open_page(self, url, frames=5):
        """Opens Velta II's page at url and waits until it has drawn that many frames."""
        self.navigate(url)
        assert self.wait_for(f"window.velta && velta.frames >= {frames}"), f"{url}: no frames"

    def frames_drawn_in(self, count):
        """The frames the page draws in its next count animation frames, counted in the page:
        each animation frame is a chance to draw."""
        return self.evaluate(
            "new Promise(function (done) { const drawn = velta.frames;"
            f" let left = {count}; requestAnimationFrame(function wait() {{"
            " if (--left > 0) requestAnimationFrame(wait); else done(velta.frames - drawn); }); })")


def end_process(process):
    """Ends a process started by the harness: asked first, killed after ten seconds."""
    process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def serve_folder(folder):
    """A web server on a free local port serving folder; returns the server (shutdown() ends it)
    and its address."""
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

    httpd = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(Quiet, directory=folder))
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    return httpd, f"http://127.0.0.1:{httpd.server_address[1]}"


class Browser(Driver):
    """One headless Chromium with one page of width x height CSS pixels at a device pixel
    ratio of 1 (or the ratio given)."""

    def __init__(self, width=640, height=480, scale=1, extra_args=()):
        assert os.path.exists(CHROMIUM), "chromium is missing (tools/install_deps.sh)"
        self.profile = tempfile.mkdtemp(prefix="velta-chromium-")
        self.process = subprocess.Popen(
            [CHROMIUM, "--headless=new", "--no-sandbox", "--use-angle=swiftshader",
             "--enable-unsafe-swiftshader", "--remote-debugging-port=0",
             f"--user-data-dir={self.profile}", f"--window-size={width},{height}",
             "--no-first-run", "--no-default-browser-check", "--disable-extensions",
             "--disable-background-networking", "--disable-component-update",
             "--autoplay-policy=user-gesture-required", *extra_args, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.console = []     # (level, text) of console calls and log entries
        self.exceptions = []  # texts of uncaught exceptions
        self.requests = []    # URLs the page asked for
        self._events = []
        self._socket = websocket.create_connection(self._page_socket_url(), timeout=60,
                                                   suppress_origin=True)
        for domain in ("Page", "Runtime", "Log", "Network"):
            self.send(f"{domain}.enable")
        self.send("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=scale, mobile=False)

    def _page_socket_url(self):
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + 30
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            assert self.process.poll() is None, "chromium ended at start"
            assert time.monotonic() < deadline, "chromium did not open its debugging port"
            time.sleep(0.1)
        port = open(port_file).read().split()[0]
        deadline = time.monotonic() + 30
        while True:
            try:
                import urllib.request
                with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list") as reply:
                    targets = json.load(reply)
                pages = [t for t in targets if t.get("type") == "page"]
                if pages:
                    return pages[0]["webSocketDebuggerUrl"]
            except OSError:
                pass
            assert time.monotonic() < deadline, "chromium has no page"
            time.sleep(0.1)

    def _note(self, message):
        method, params = message.get("method"), message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params["args"])
            self.console.append((params["type"], text))
        elif method == "Log.entryAdded":
            self.console.append((params["entry"]["level"], params["entry"]["text"]))
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.exceptions.append(details.get("exception", {}).get("description")
                                   or details.get("text"))
        elif method == "Network.requestWillBeSent":
            self.requests.append(params["request"]["url"])
        self._events.append(message)

    def add_script_on_load(self, source):
        """Runs source in every page before its own scripts."""
        self.send("Page.addScriptToEvaluateOnNewDocument", source=source)

    def navigate(self, url, timeout=30):
        """Opens url and waits for its load event; the console and errors start afresh."""
        self.console.clear()
        self.exceptions.clear()
        self._events.clear()
        self.send("Page.navigate", url=url)
        deadline = time.monotonic() + timeout
        while not any(e.get("method") == "Page.loadEventFired" for e in self._events):
            assert time.monotonic() < deadline, f"{url} did not load"
            self.evaluate("0")

    def evaluate(self, expression):
        """The value of a JavaScript expression in the page (awaited when it is a promise)."""
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        assert "exceptionDetails" not in result, f"{expression}: {result['exceptionDetails']}"
        return result["result"].get("value")

    def key(self, code, key=None):
        """Presses and releases one key, as KeyboardEvent.code names it."""
        key = key or code
        virtual_key = VIRTUAL_KEYS.get(code, 0)
        for kind in ("rawKeyDown", "keyUp"):
            self.send("Input.dispatchKeyEvent", type=kind, code=code, key=key,
                      windowsVirtualKeyCode=virtual_key, nativeVirtualKeyCode=virtual_key)

    def screenshot(self, path):
        """The page's viewport as a PNG at path."""
        data = self.send("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))
        return path

    def errors(self):
        """Console errors and uncaught exceptions so far."""
        return [t for level, t in self.console if level == "error"] + self.exceptions

    def close(self):
        try:
            self._socket.close()
        finally:
            end_process(self.process)
            shutil.rmtree(self.profile, ignore_errors=True)
