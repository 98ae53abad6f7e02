// The page around the core: the canvas filling the window at the device's pixel ratio, a frame
// at each animation frame (every second one above 75 Hz) showing the modules between their 31 ms
// steps, or with ?stepped=1 a frame each time 31 ms have passed, the keys, full screen, the hidden
// cursor, the frame-rate corner, the settings in localStorage, the voices through Web Audio, a
// lost WebGL context, the calls of desktop hosts (Lively Wallpaper, Wallpaper Engine) and the
// worker that keeps the page for offline use.
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

  // Sound only when it is on, and once the browser allows it.
  function startSound() {
    if (voices.context || !started || !Module._web_sound_on()) return;
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
    cycle: function () { return Module._web_cycle_seconds(); },
    sound: function () { return Module._web_sound_on() === 1; },
  };
  window.velta = status;

  // No frames and no sound while the page is hidden, its context lost or a host pauses it; the
  // voices' clock stands still meanwhile and goes on where it was.
  let started = false, hidden = document.hidden, lost = false, hostPaused = false, paused = false;
  function updatePause() {
    const now = started && (hidden || lost || hostPaused);
    if (now === paused) return;
    paused = now;
    Module._web_pause(paused ? 1 : 0);
    if (voices.context) (paused ? voices.context.suspend() : voices.context.resume()).catch(noop);
  }
  function noop() {}

  // A host's cap of frames a second (0: none beyond the page's own). Frames are due one interval
  // apart and may come a quarter of one early, for the jitter of animation frames; a late frame
  // leaves the next one due on time, so the frames keep the cap on average, but one more than an
  // interval late starts the count again from itself, so frames never come in a burst: the k-th
  // frame after any frame comes at least k - 1.25 intervals after it.
  let capInterval = 0, capDue = null;
  function capAllows(now) {
    return !capInterval || capDue === null || now >= capDue - capInterval / 4;
  }
  function capCounts(now) {
    if (!capInterval) return;
    if (capDue === null || now - capDue >= capInterval) capDue = now;
    capDue += capInterval;
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
      due = capDue = null;
      return;
    }
    if (!capAllows(now)) return;
    if (stepped) {
      if (due === null || now - due >= STEP_MS) due = now;
      else if (now < due) return;
      const shown = due;
      due += STEP_MS;
      if (fitCanvas()) Module._web_resize(width, height);
      Module._web_step();
      noteFrame(now, shown);
      capCounts(now);
      return;
    }
    if (fitCanvas()) Module._web_resize(width, height);
    if (Module._web_frame(now)) {
      noteFrame(now, Module._web_scene_time());
      capCounts(now);
    }
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

  // Desktop hosts' settings arrive as calls on the globals below, which exist before the
  // WebAssembly starts; what comes before it is ready is kept and handed over at the start. Each
  // value goes in as a number, whatever type the host gives: a switch 1 or 0, a text its number.
  const hostPending = [];
  function hostChoice(name, value) {
    const number = typeof value === "boolean" ? (value ? 1 : 0)
      : typeof value === "number" ? value
      : typeof value === "string" && value.trim() !== "" ? Number(value) : NaN;
    if (!Module.calledRun) {
      hostPending.push([String(name), number]);
      return;
    }
    Module.ccall("web_host_choice", "number", ["string", "number"], [String(name), number]);
    if (!started) return;
    if (!Module._web_sound_on()) voices.stop();
    else if (navigator.userActivation && navigator.userActivation.hasBeenActive) startSound();
  }
  function setHostPaused(on) {
    hostPaused = on;
    updatePause();
  }

  // Lively Wallpaper: one call per property at load and at each change (a dropdown's index, a
  // slider's number, a checkbox's boolean); with --pause-event, the playback state as JSON text.
  window.livelyPropertyListener = hostChoice;
  window.livelyWallpaperPlaybackChanged = function (data) {
    let state = data;
    try {
      if (typeof data === "string") state = JSON.parse(data);
    } catch (e) {
      return;
    }
    if (state && typeof state.IsPaused === "boolean") setHostPaused(state.IsPaused);
  };
  // Wallpaper Engine: every user property ({name: {value}}) at load, then the changed ones; the
  // user's frame-rate limit; and pausing, where the user lets it.
  window.wallpaperPropertyListener = {
    applyUserProperties: function (properties) {
      for (const name in properties) {
        const property = properties[name];
        if (property !== null && typeof property === "object" && "value" in property)
          hostChoice(name, property.value);
      }
    },
    applyGeneralProperties: function (properties) {
      if (!properties || !("fps" in properties)) return;
      const fps = Number(properties.fps);
      capInterval = fps > 0 && fps < Infinity ? 1000 / fps : 0;
      capDue = null;
    },
    setPaused: function (on) { setHostPaused(on === true); },
  };

  function start() {
    for (const choice of hostPending.splice(0))
      Module.ccall("web_host_choice", "number", ["string", "number"], choice);
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
  // While the context is lost the window shows black: some engines (WebKit) go on showing the
  // canvas's last picture, so the canvas is hidden until the context is back.
  canvas.addEventListener("webglcontextlost", function (e) {
    e.preventDefault(); // asks for the context back
    canvas.style.visibility = "hidden";
    lost = true;
    if (started) Module._web_context_lost();
    updatePause();
  });
  canvas.addEventListener("webglcontextrestored", function () {
    canvas.style.visibility = "";
    lost = false;
    if (started && !Module._web_context_restored())
      Module.veltaShowLine("the picture cannot be made again", "error");
    updatePause();
  });

  // Installable and offline, when served: the manifest, and the worker that keeps the page's own
  // files. From disk (where the manifest cannot be read) and in hosts without workers, neither.
  function registerWorker() {
    if (!/^https?:$/.test(location.protocol)) return;
    const manifest = document.createElement("link");
    manifest.rel = "manifest";
    manifest.href = "manifest.webmanifest";
    document.head.appendChild(manifest);
    if ("serviceWorker" in navigator)
      navigator.serviceWorker.register("velta2-worker.js").catch(noop);
  }
  if (document.readyState === "complete") registerWorker();
  else window.addEventListener("load", registerWorker);

  showCursor();
  if (Module.calledRun) start();
  else Module.onRuntimeInitialized = start;
})();
