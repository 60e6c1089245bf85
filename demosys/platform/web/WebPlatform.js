// The browser side of the web platform (an emscripten JavaScript library): waiting for the next
// animation frame, the keys, the canvas's size, the start page's answer and the Web Audio
// output. The C++ side declares these functions in WebPage.h.
//
// The page around the canvas (shell/web/page.js) is reached only through Module.page:
//   page.dialog(model) -> Promise of {sound, fullscreen, width, height}   the start page
//   page.overlay(lines)                                                   the F1 lines ([] hides)
//   page.setFullscreen(on), page.isFullscreen()                           the Fullscreen API
//   page.pixelRatio()                                                     the device's, capped
// and Module.audioContext, the AudioContext the page made (and resumed) when Start was clicked.
mergeInto(LibraryManager.library, {
  $ZarnoveltWeb: {
    keys: 0,
    listening: false,
    lastYield: 0,
    yielding: false,
    // Web Audio: the scheduled sources, the context time the next chunk starts at.
    audio: null,

    // The key's bit in the mask zarnovelt_web_take_keys hands over (the order of WebPage.h).
    keyBit: function(event) {
      switch (event.code) {
        case 'Escape': return 1;
        case 'Space': return 2;
        case 'ArrowLeft': return 4;
        case 'ArrowRight': return 8;
        case 'Home': return 16;
        case 'KeyR': return 32;
        case 'F1': return 64;
        case 'F11': return 128;
        default: return 0;
      }
    },

    context: function() {
      if (!Module['audioContext']) {
        var Context = window.AudioContext || window.webkitAudioContext;
        if (!Context) return null;
        Module['audioContext'] = new Context();
      }
      return Module['audioContext'];
    },

    // The context time being heard now: the output timestamp where the browser gives one,
    // else the time being rendered less the output's latency.
    heardTime: function(context) {
      if (context.getOutputTimestamp) {
        var stamp = context.getOutputTimestamp();
        if (stamp && stamp.contextTime > 0) return stamp.contextTime;
      }
      return Math.max(0, context.currentTime - (context.outputLatency || context.baseLatency || 0));
    },
  },

  zarnovelt_web_listen_keys__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_listen_keys: function() {
    if (ZarnoveltWeb.listening) return;
    ZarnoveltWeb.listening = true;
    window.addEventListener('keydown', function(event) {
      var bit = ZarnoveltWeb.keyBit(event);
      if (!bit) return;
      // The browser's own meaning of these keys (scrolling, help, its fullscreen) is not wanted
      // while the show has them. Escape cannot be taken from a fullscreen page: there it leaves
      // fullscreen, and a second Escape ends the show.
      event.preventDefault();
      if (event.repeat) return;
      ZarnoveltWeb.keys |= bit;
    });
  },

  zarnovelt_web_take_keys__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_take_keys: function() {
    var keys = ZarnoveltWeb.keys;
    ZarnoveltWeb.keys = 0;
    return keys;
  },

  // Waits for the browser's next animation frame; the canvas shows what was drawn before.
  // Module.framesPresented counts the frames handed to the page (the loading bar's too).
  zarnovelt_web_wait_frame: function() {
    if (Asyncify.state === Asyncify.State.Normal) Module['framesPresented'] = (Module['framesPresented'] || 0) + 1;
    return Asyncify.handleSleep(function(wakeUp) {
      requestAnimationFrame(function() { wakeUp(); });
    });
  },

  // Hands the page back to the browser at most every 100 ms (a run that renders as fast as it
  // can: captures and timing runs), through a message, which no timer clamping delays. Resuming
  // calls this again, and that call must go into handleSleep too, whatever the time says.
  zarnovelt_web_yield__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_yield: function() {
    var resuming = ZarnoveltWeb.yielding;
    if (!resuming) Module['framesPresented'] = (Module['framesPresented'] || 0) + 1;
    if (!resuming && performance.now() - ZarnoveltWeb.lastYield < 100) return;
    ZarnoveltWeb.yielding = !resuming;
    return Asyncify.handleSleep(function(wakeUp) {
      var channel = new MessageChannel();
      channel.port1.onmessage = function() {
        ZarnoveltWeb.lastYield = performance.now();
        wakeUp();
      };
      channel.port2.postMessage(0);
    });
  },

  // Sizes the canvas's drawing buffer to the element's size on the page times the device's
  // pixel ratio (capped by the page) and writes it to *width, *height. A fixed size (a capture) keeps
  // the buffer at that size instead.
  zarnovelt_web_fit_canvas: function(fixedWidth, fixedHeight, width, height) {
    var canvas = Module['canvas'];
    var w = fixedWidth, h = fixedHeight;
    if (!(w > 0 && h > 0)) {
      var ratio = Module['page'].pixelRatio();
      w = Math.max(1, Math.round(canvas.clientWidth * ratio));
      h = Math.max(1, Math.round(canvas.clientHeight * ratio));
    }
    if (canvas.width !== w) canvas.width = w;
    if (canvas.height !== h) canvas.height = h;
    HEAP32[width >> 2] = w;
    HEAP32[height >> 2] = h;
  },

  // The start page: fills it from the model, waits for Start and writes the answers.
  zarnovelt_web_run_dialog: function(title, group, offerSound, sound, offerFullscreen, fullscreen, width, height,
                                     autoStartFrames, answers) {
    var model = {
      title: UTF8ToString(title), group: UTF8ToString(group),
      offerSound: !!offerSound, sound: !!sound, offerFullscreen: !!offerFullscreen, fullscreen: !!fullscreen,
      width: width, height: height, autoStartFrames: autoStartFrames,
    };
    return Asyncify.handleSleep(function(wakeUp) {
      Module['page'].dialog(model).then(function(choice) {
        HEAP32[(answers >> 2) + 0] = choice.sound ? 1 : 0;
        HEAP32[(answers >> 2) + 1] = choice.fullscreen ? 1 : 0;
        HEAP32[(answers >> 2) + 2] = choice.width;
        HEAP32[(answers >> 2) + 3] = choice.height;
        wakeUp(1);
      });
    });
  },

  zarnovelt_web_set_overlay: function(text) {
    var lines = UTF8ToString(text);
    Module['page'].overlay(lines ? lines.split('\n') : []);
  },

  zarnovelt_web_set_fullscreen: function(on) { Module['page'].setFullscreen(!!on); },

  zarnovelt_web_is_fullscreen: function() { return Module['page'].isFullscreen() ? 1 : 0; },

  // Web Audio. Chunks of 16-bit stereo become AudioBuffers played back to back from the
  // context time the first one was given; the browser resamples from the music's rate.
  zarnovelt_web_audio_open__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_audio_open: function() {
    var context = ZarnoveltWeb.context();
    if (!context) return 0;
    // A context the page could not start (no click yet) plays nothing: the show runs silent.
    if (context.state !== 'running') return 0;
    ZarnoveltWeb.audio = {context: context, sources: [], next: 0};
    return 1;
  },

  // Schedules `frames` sample frames at `rate`; returns the context time the chunk starts at:
  // right after the one before, or a little ahead of now when the queue has run dry.
  zarnovelt_web_audio_queue__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_audio_queue: function(samples, frames, rate) {
    var audio = ZarnoveltWeb.audio;
    var context = audio.context;
    var buffer = context.createBuffer(2, frames, rate);
    var left = buffer.getChannelData(0), right = buffer.getChannelData(1);
    var base = samples >> 1;
    for (var i = 0; i < frames; ++i) {
      left[i] = HEAP16[base + 2 * i] / 32768;
      right[i] = HEAP16[base + 2 * i + 1] / 32768;
    }
    var source = context.createBufferSource();
    source.buffer = buffer;
    source.connect(context.destination);
    var earliest = context.currentTime + 0.05;
    var at = audio.next >= earliest ? audio.next : earliest;
    source.start(at);
    audio.next = at + frames / rate;
    audio.sources.push(source);
    source.onended = function() {
      var index = audio.sources.indexOf(source);
      if (index >= 0) audio.sources.splice(index, 1);
    };
    return at;
  },

  // Seconds queued beyond the time being rendered now.
  zarnovelt_web_audio_ahead__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_audio_ahead: function() {
    var audio = ZarnoveltWeb.audio;
    return audio.next - audio.context.currentTime;
  },

  zarnovelt_web_audio_heard__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_audio_heard: function() { return ZarnoveltWeb.heardTime(ZarnoveltWeb.audio.context); },

  // Pausing suspends the whole context, so its time (the show's clock) stops with the sound.
  zarnovelt_web_audio_pause__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_audio_pause: function(paused) {
    var context = ZarnoveltWeb.audio.context;
    if (paused) context.suspend(); else context.resume();
  },

  // Stops everything queued (a seek, or the device closing).
  zarnovelt_web_audio_stop__deps: ['$ZarnoveltWeb'],
  zarnovelt_web_audio_stop: function() {
    var audio = ZarnoveltWeb.audio;
    if (!audio) return;
    audio.sources.forEach(function(source) {
      source.onended = null;
      try { source.stop(); } catch (e) { /* never started */ }
      source.disconnect();
    });
    audio.sources = [];
    audio.next = 0;
  },

  zarnovelt_web_audio_close__deps: ['$ZarnoveltWeb', 'zarnovelt_web_audio_stop'],
  zarnovelt_web_audio_close: function() {
    _zarnovelt_web_audio_stop();
    var audio = ZarnoveltWeb.audio;
    // The context stays for the page; a suspended one (the show ended while paused) runs again.
    if (audio && audio.context.state === 'suspended') audio.context.resume();
    ZarnoveltWeb.audio = null;
  },
});
