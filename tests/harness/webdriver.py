"""The page's other browser engines, each on an Xvfb of its own with Mesa: Debian's Firefox ESR
over WebDriver BiDi, and WebKitGTK's MiniBrowser through WebKitWebDriver (classic W3C WebDriver
over HTTP). Both answer what tests/harness/browser.py's Driver lists."""
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

from harness.browser import Driver, end_process
from harness.display import start_xvfb

FIREFOX = "/usr/bin/firefox-esr"
WEBKIT_DRIVER = "/usr/bin/WebKitWebDriver"
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
# WebDriver's key values of the keys the tests press, by KeyboardEvent.code.
KEY_VALUES = {"Enter": "\ue007", "Backspace": "\ue003", "PageUp": "\ue00e", "PageDown": "\ue00f",
              "Home": "\ue011", "F5": "\ue035", "KeyX": "x"}
# The expression's value, a promise's awaited, as JSON text, which both protocols hand back as is.
AS_JSON = ("Promise.resolve((0, eval)({})).then(function (v) {{"
           " return JSON.stringify(v === undefined ? null : v); }})")


class Engine(Driver):
    """A browser started by command (FOLDER in it named a scratch folder holding files, a dict
    of names and texts) with DISPLAY set to an Xvfb of its own; close() ends all three."""

    def __init__(self, command, width, height, files={}):
        assert os.path.exists(command[0]), f"{command[0]} is missing (tools/install_deps.sh)"
        self.xvfb, display = start_xvfb(width + 200, height + 200)  # room for the window
        self.folder = tempfile.mkdtemp(prefix="velta-engine-")
        for name, text in files.items():
            with open(os.path.join(self.folder, name), "w") as f:
                f.write(text)
        self.process = subprocess.Popen(
            [a.replace("FOLDER", self.folder) for a in command], env=dict(os.environ, DISPLAY=display),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait_until_up(self, ready, what):
        deadline = time.monotonic() + 60
        while True:
            assert self.process.poll() is None, f"{what} ended at start"
            try:
                return ready()
            except (OSError, ValueError, KeyError):
                assert time.monotonic() < deadline, f"{what} did not open its port"
                time.sleep(0.1)

    def key_actions(self, code):
        value = KEY_VALUES[code]
        return [{"type": "key", "id": "keyboard",
                 "actions": [{"type": "keyDown", "value": value}, {"type": "keyUp", "value": value}]}]

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.png()))
        return path

    def close(self):
        try:
            end_process(self.process)
        finally:
            end_process(self.xvfb)
            shutil.rmtree(self.folder, ignore_errors=True)


class Firefox(Engine):
    """Firefox ESR with a profile of its own that keeps WebGL on with Mesa; one browsing context
    of width x height CSS pixels. Console errors and uncaught exceptions come as log events."""

    def __init__(self, width=640, height=480):
        super().__init__([FIREFOX, "--no-remote", "--profile", "FOLDER",
                          "--remote-debugging-port", "0", "about:blank"], width, height,
                         {"user.js": 'user_pref("webgl.force-enabled", true);\n'})

        def port():  # which Firefox names in the profile
            with open(os.path.join(self.folder, "WebDriverBiDiServer.json")) as f:
                return json.load(f)["ws_port"]
        self._socket = websocket.create_connection(
            f"ws://127.0.0.1:{self.wait_until_up(port, 'firefox-esr')}/session", timeout=60,
            suppress_origin=True)
        self.console = []  # (level, text)
        self.send("session.new", capabilities={})
        self.context = self.send("browsingContext.getTree")["contexts"][0]["context"]
        self.send("session.subscribe", events=["log.entryAdded"])
        self.send("browsingContext.setViewport", context=self.context,
                  viewport={"width": width, "height": height})

    def _note(self, message):
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
        self.send("input.performActions", context=self.context, actions=self.key_actions(code))

    def png(self):
        return self.send("browsingContext.captureScreenshot", context=self.context)["data"]

    def errors(self):
        return [text for level, text in self.console if level == "error"]


# WebDriver reports no console: the page keeps its own errors from the end of each navigation
# (a failure before that shows as a page that does not draw).
ERROR_RECORDER = """window.veltaErrors = window.veltaErrors || (function () {
  const errors = [], error = console.error.bind(console);
  addEventListener("error", function (e) { errors.push(String(e.message)); });
  addEventListener("unhandledrejection", function (e) { errors.push(String(e.reason)); });
  console.error = function () { errors.push(Array.from(arguments).join(" ")); error(...arguments); };
  return errors;
})(); 0"""


class WebKit(Engine):
    """WebKitGTK's MiniBrowser in automation mode, its window width x height."""

    def __init__(self, width=640, height=480):
        with socket.socket() as s:  # a free port, named to the driver
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        super().__init__([WEBKIT_DRIVER, f"--port={port}"], width, height)
        self.base = f"http://127.0.0.1:{port}"
        self.wait_until_up(lambda: self.call("GET", "/status"), "WebKitWebDriver")
        self.base += "/session/" + self.call("POST", "/session", {"capabilities": {"alwaysMatch": {
            "browserName": "MiniBrowser",
            "webkitgtk:browserOptions": {"binary": MINIBROWSER, "args": ["--automation"]}}}})[
            "sessionId"]
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
        return json.loads(self.call("POST", "/execute/sync", {
            "script": "return " + AS_JSON.format("arguments[0]"), "args": [expression]}))

    def key(self, code):
        self.call("POST", "/actions", {"actions": self.key_actions(code)})

    def png(self):
        return self.call("GET", "/screenshot")

    def errors(self):
        return self.evaluate("window.veltaErrors || []")

    def close(self):
        try:
            self.call("DELETE", "")  # ends MiniBrowser
        except (OSError, AssertionError):
            pass
        super().close()


def start_engine(name, width=640, height=480):
    """Firefox or WebKit, by name."""
    return {"firefox": Firefox, "webkit": WebKit}[name](width, height)
