"""The page's other browser engines, each on an Xvfb of its own with Mesa: Debian's Firefox ESR
driven over WebDriver BiDi, and WebKitGTK's MiniBrowser driven through WebKitWebDriver (classic
W3C WebDriver over HTTP). Both answer what tests/harness/browser.py's Driver lists."""
import base64
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.error
import urllib.request

import websocket

from harness.browser import Driver
from harness.display import start_xvfb

FIREFOX = "/usr/bin/firefox-esr"
WEBKIT_DRIVER = "/usr/bin/WebKitWebDriver"
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
# WebDriver's key values of the keys the tests press, by KeyboardEvent.code.
KEY_VALUES = {"Enter": "\ue007", "Backspace": "\ue003", "PageUp": "\ue00e", "PageDown": "\ue00f",
              "Home": "\ue011", "F5": "\ue035", "KeyX": "x"}
# The expression's value, awaited when it is a promise, as JSON text: both protocols hand that
# back as it is.
AS_JSON = ("Promise.resolve((0, eval)({})).then(function (v) {{ "
           "return JSON.stringify(v === undefined ? null : v); }})")
# Errors of a page in a browser that reports none to its driver, kept by the page itself from
# the moment this runs in it.
ERROR_RECORDER = """window.veltaErrors = window.veltaErrors || (function () {
  const errors = [];
  window.addEventListener("error", function (e) { errors.push(String(e.message)); });
  window.addEventListener("unhandledrejection", function (e) { errors.push(String(e.reason)); });
  const error = console.error.bind(console);
  console.error = function () { errors.push(Array.from(arguments).join(" ")); error(...arguments); };
  return errors;
})(); 0"""


def key_actions(code):
    value = KEY_VALUES[code]
    return [{"type": "key", "id": "keyboard",
             "actions": [{"type": "keyDown", "value": value}, {"type": "keyUp", "value": value}]}]


class Engine(Driver):
    """A browser on an Xvfb of its own, with a scratch folder; close() ends both."""

    def __init__(self, width, height):
        # Room around the page for the browser's own window.
        self.xvfb, self.display = start_xvfb(width + 200, height + 200)
        self.folder = tempfile.mkdtemp(prefix="velta-engine-")
        self.process = None

    def close(self):
        try:
            if self.process:
                self.process.terminate()
                try:
                    self.process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    self.process.kill()
                    self.process.wait()
        finally:
            self.xvfb.terminate()
            self.xvfb.wait()
            shutil.rmtree(self.folder, ignore_errors=True)


class Firefox(Engine):
    """Firefox ESR with a profile of its own that keeps WebGL on with Mesa's software renderer;
    one browsing context of width x height CSS pixels. Console errors and uncaught exceptions
    come as log events."""

    def __init__(self, width=640, height=480):
        super().__init__(width, height)
        assert os.path.exists(FIREFOX), "firefox-esr is missing (tools/install_deps.sh)"
        with open(os.path.join(self.folder, "user.js"), "w") as f:
            f.write('user_pref("webgl.force-enabled", true);\n')
        self.process = subprocess.Popen(
            [FIREFOX, "--no-remote", "--profile", self.folder, "--remote-debugging-port", "0",
             "about:blank"], env=dict(os.environ, DISPLAY=self.display),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Firefox names the port it chose in the profile.
        port_file = os.path.join(self.folder, "WebDriverBiDiServer.json")
        deadline = time.monotonic() + 60
        while True:
            assert self.process.poll() is None, "firefox-esr ended at start"
            try:
                with open(port_file) as f:
                    port = json.load(f)["ws_port"]
                break
            except (OSError, ValueError, KeyError):
                assert time.monotonic() < deadline, "firefox-esr did not open its BiDi port"
                time.sleep(0.1)
        self.console = []  # (level, text)
        self._next_id = 0
        self._socket = websocket.create_connection(f"ws://127.0.0.1:{port}/session",
                                                   timeout=60, suppress_origin=True)
        self.send("session.new", capabilities={})
        self.context = self.send("browsingContext.getTree")["contexts"][0]["context"]
        self.send("session.subscribe", events=["log.entryAdded"])
        self.send("browsingContext.setViewport", context=self.context,
                  viewport={"width": width, "height": height})

    def send(self, method, **params):
        self._next_id += 1
        self._socket.send(json.dumps({"id": self._next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self._socket.recv())
            if message.get("id") == self._next_id:
                assert message.get("type") != "error", f"{method}: {message}"
                return message["result"]
            if message.get("method") == "log.entryAdded":
                self.console.append((message["params"]["level"], message["params"]["text"]))

    def navigate(self, url):
        self.console.clear()
        self.send("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def evaluate(self, expression):
        result = self.send("script.evaluate", expression=AS_JSON.format(json.dumps(expression)),
                           target={"context": self.context}, awaitPromise=True)
        assert result["type"] == "success", f"{expression}: {result}"
        return json.loads(result["result"]["value"])

    def key(self, code):
        self.send("input.performActions", context=self.context, actions=key_actions(code))

    def screenshot(self, path):
        data = self.send("browsingContext.captureScreenshot", context=self.context)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))
        return path

    def errors(self):
        return [text for level, text in self.console if level == "error"]

    def close(self):
        try:
            self._socket.close()
        finally:
            super().close()


class WebKit(Engine):
    """WebKitGTK's MiniBrowser in automation mode, its window width x height. WebDriver reports
    no console, so the page keeps its own errors from the end of each navigation (a failure
    before that shows as a page that does not draw)."""

    def __init__(self, width=640, height=480):
        super().__init__(width, height)
        assert os.path.exists(WEBKIT_DRIVER), "WebKitWebDriver is missing (tools/install_deps.sh)"
        with socket.socket() as s:  # a free port, named to the driver
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        self.process = subprocess.Popen([WEBKIT_DRIVER, f"--port={port}"],
                                        env=dict(os.environ, DISPLAY=self.display),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.base = f"http://127.0.0.1:{port}"
        deadline = time.monotonic() + 30
        while True:
            assert self.process.poll() is None, "WebKitWebDriver ended at start"
            try:
                self.call("GET", "/status")
                break
            except OSError:
                assert time.monotonic() < deadline, "WebKitWebDriver does not answer"
                time.sleep(0.1)
        session = self.call("POST", "/session", {"capabilities": {"alwaysMatch": {
            "browserName": "MiniBrowser",
            "webkitgtk:browserOptions": {"binary": MINIBROWSER, "args": ["--automation"]}}}})
        self.base += "/session/" + session["sessionId"]
        self.call("POST", "/window/rect", {"width": width, "height": height})

    def call(self, method, path, body=None):
        request = urllib.request.Request(
            self.base + path, method=method, headers={"Content-Type": "application/json"},
            data=None if body is None else json.dumps(body).encode())
        try:
            with urllib.request.urlopen(request, timeout=60) as reply:
                return json.load(reply)["value"]
        except urllib.error.HTTPError as e:
            raise AssertionError(f"{method} {path}: {e.read().decode(errors='replace')}")

    def navigate(self, url):
        self.call("POST", "/url", {"url": url})
        self.evaluate(ERROR_RECORDER)

    def evaluate(self, expression):
        script = "return " + AS_JSON.format("arguments[0]")
        return json.loads(self.call("POST", "/execute/sync", {"script": script,
                                                              "args": [expression]}))

    def key(self, code):
        self.call("POST", "/actions", {"actions": key_actions(code)})

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.call("GET", "/screenshot")))
        return path

    def errors(self):
        return self.evaluate("window.veltaErrors || []")

    def close(self):
        try:
            self.call("DELETE", "")
        except (OSError, AssertionError):
            pass
        finally:
            super().close()


def start_engine(name, width=640, height=480):
    """Firefox or WebKit, by name."""
    return {"firefox": Firefox, "webkit": WebKit}[name](width, height)
