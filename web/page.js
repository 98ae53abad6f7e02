// The page around the core: the canvas filling the window at the device's pixel ratio, a frame
// at each animation frame (every second one above 75 Hz) showing the modules between their 31 ms
// steps, or with ?stepped=1 a frame each time 31 ms have passed, the keys, full screen, the hidden cursor, the frame-rate corner,
// the settings in localStorage, the voices through Web Audio, and a lost WebGL context.
// Appended to the compiled program's script, so it shares its scope (HEAP16, UTF8ToString).
(function () {
  "use strict";
  const STEP_MS = 31; // the core's frame interval
  const CURSOR_IDLE_MS = 2000;
  const LINE_SHOWN_MS = 15000;

  const canvas = document.getElementById("canvas");
  const line = document.getElementById("line");
  const fpsCorner = document.getElementById("fps");

  // One line on the page and in the console: a bad option or a failure.
  let lineTimer = 0;
  Module.veltaShowLine = function (text, level) {
    console[level === "error" ? "error" : "warn"]("Velta II: " + text);
    if (!line) return;
    line.textContent = text;
    line.hidden = false;
    clearTimeout(lineTimer);
    lineTimer = setTimeout(function () { line.hidden = true; }, LINE_SHOWN_MS);
  };

  // The stored values: decimal 32-bit integers under the values' own names.
  const warned = new Set();
  function warnOnce(key, text) {
    if (warned.has(key)) return;
    warned.add(key);
    console.warn("Velta II: " + text);
  }
  Module.veltaStore = {
    read: function (name, valuePtr) {
      let text;
      try {
        text = window.localStorage.getItem(name);
      } catch (e) {
        warnOnce("", "the settings cannot be read here (" + e.name + "); the defaults are used");
        return 0;
      }
      if (text === null) return 0;
      const value = /^-?[0-9]{1,10}$/.test(text) ? Number(text) : NaN;
      if (!(value >= -2147483648 && value <= 2147483647)) {
        warnOnce(name, 'the stored value "' + name + '" is not a number and is ignored');
        return 0;
      }
      HEAP32[valuePtr >> 2] = value;
      return 1;
    },
    write: function (name, value) {
      try {
        window.localStorage.setItem(name, String(value));
        return 1;
      } catch (e) {
        warnOnce("write", "the settings cannot be kept here (" + e.name + ")");
        return 0;
      }
    },
  };

  // The voices: each plays the copies it is given one after another; sound only once the
  // browser allows it, after the first click or key.
  const voices = {
    context: null,
    buffer: null,
    ends: [0, 0, 0],
    playing: [],
    play: function (voice) {
      if (!this.buffer || voice < 0 || voice > 2) return;
      const at = Math.max(this.context.currentTime, this.ends[voice]);
      const source = this.context.createBufferSource();
      source.buffer = this.buffer;
      source.connect(this.context.destination);
      source.start(at);
      this.ends[voice] = at + this.buffer.duration;
      this.playing.push(source);
      const playing = this.playing;
      source.onended = function () {
        const i = playing.indexOf(source);
        if (i >= 0) playing.splice(i, 1);
      };
    },
    stop: function () {
      if (!this.playing.length) return;
      for (const source of this.playing) source.stop();
      this.playing = [];
      this.ends = [0, 0, 0];
    },
  };
  Module.veltaVoices = voices;

  function startSound() {
    if (voices.context) return;
    const AudioContext = window.AudioContext || window.webkitAudioContext;
    if (!AudioContext) return;
    voices.context = new AudioContext();
    const samples = Module._web_sound_start();
    if (!samples) {
      Module.veltaShowLine("the tune cannot be decoded", "error");
      return;
    }
    const count = Module._web_tune_samples();
    const channels = Module._web_tune_channels();
    const frames = Math.floor(count / channels);
    const buffer = voices.context.createBuffer(channels, frames, Module._web_tune_rate());
    for (let c = 0; c < channels; ++c) {
      const out = buffer.getChannelData(c);
      for (let i = 0; i < frames; ++i) out[i] = HEAP16[(samples >> 1) + i * channels + c] / 32768;
    }
    voices.buffer = buffer;
    voices.play(0);
  }

  // The canvas in device pixels.
  let width = 0, height = 0;
  function fitCanvas() {
    const ratio = window.devicePixelRatio || 1;
    const w = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const h = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (w === width && h === height) return false;
    width = canvas.width = w;
    height = canvas.height = h;
    return true;
  }

  // What tests and benchmarks read: frames drawn, when the first was, the last frames' own times
  // and the moments they showed (ms), the module and its view.
  const status = {
    frames: 0,
    firstFrameAt: null,
    times: [],
    module: function () { return Module._web_module(); },
    view: function (i) { return Module._web_view_value(i); },
  };
  window.velta = status;

  let started = false, hidden = document.hidden, lost = false, paused = false;
  function updatePause() {
    const now = started && (hidden || lost);
    if (now === paused) return;
    paused = now;
    Module._web_pause(paused ? 1 : 0);
  }

  const TIMES_KEPT = 600;
  function noteFrame(now, shown) {
    status.frames++;
    if (status.firstFrameAt === null) status.firstFrameAt = performance.now();
    status.times.push([now, shown]);
    if (status.times.length > TIMES_KEPT) status.times.shift();
    if (showFps) {
      fpsFrames++;
      if (now - fpsSince >= 1000) {
        fpsCorner.textContent = (fpsFrames * 1000 / (now - fpsSince)).toFixed(1) + " fps";
        fpsFrames = 0;
        fpsSince = now;
      }
    }
  }

  // Stepped: a frame whenever 31 ms have passed since the last one was due, at most one per
  // animation frame, so a tab that comes back after a while goes on at once without a burst.
  // Otherwise the core takes the steps due and draws the moment of the animation frame.
  let due = null, fpsFrames = 0, fpsSince = 0, showFps = false, stepped = false;
  function animate(now) {
    requestAnimationFrame(animate);
    if (paused) {
      due = null;
      return;
    }
    if (stepped) {
      if (due === null || now - due >= STEP_MS) due = now;
      else if (now < due) return;
      const shown = due;
      due += STEP_MS;
      if (fitCanvas()) Module._web_resize(width, height);
      Module._web_step();
      noteFrame(now, shown);
      return;
    }
    if (fitCanvas()) Module._web_resize(width, height);
    if (Module._web_frame(now)) noteFrame(now, Module._web_scene_time());
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (document.documentElement.requestFullscreen)
      document.documentElement.requestFullscreen().catch(function () {});
  }

  let cursorTimer = 0;
  function showCursor() {
    document.body.style.cursor = "";
    clearTimeout(cursorTimer);
    cursorTimer = setTimeout(function () { document.body.style.cursor = "none"; }, CURSOR_IDLE_MS);
  }

  function start() {
    fitCanvas();
    const result = Module.ccall("web_start", "number", ["string", "number", "number"],
                                [window.location.search, width, height]);
    if (!result) {
      Module.veltaShowLine("this browser cannot draw with WebGL", "error");
      return;
    }
    started = true;
    showFps = (result & 2) !== 0;
    stepped = (result & 4) !== 0;
    fpsCorner.hidden = !showFps;
    updatePause();
    requestAnimationFrame(animate);
  }

  window.addEventListener("keydown", function (e) {
    startSound();
    if (e.code === "KeyF" && !e.ctrlKey && !e.altKey && !e.metaKey) {
      toggleFullScreen();
      return;
    }
    if (e.ctrlKey || e.altKey || e.metaKey || !started) return;
    if (Module.ccall("web_key", "number", ["string"], [e.code])) e.preventDefault();
  });
  window.addEventListener("pointerdown", startSound);
  window.addEventListener("dblclick", toggleFullScreen);
  window.addEventListener("mousemove", showCursor);
  document.addEventListener("visibilitychange", function () {
    hidden = document.hidden;
    updatePause();
  });
  // Leaving the page stores the views as hiding it does.
  window.addEventListener("pagehide", function () {
    if (started) Module._web_save();
  });
  canvas.addEventListener("webglcontextlost", function (e) {
    e.preventDefault(); // asks for the context back
    lost = true;
    if (started) Module._web_context_lost();
    updatePause();
  });
  canvas.addEventListener("webglcontextrestored", function () {
    lost = false;
    if (started && !Module._web_context_restored())
      Module.veltaShowLine("the picture cannot be made again", "error");
    updatePause();
  });

  showCursor();
  if (Module.calledRun) start();
  else Module.onRuntimeInitialized = start;
})();
