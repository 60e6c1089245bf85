// The show's page: downloads the code and the data package with a progress bar, starts the
// program with a command line made from the page's address, is the start page the library
// asks for (names, sound, fullscreen, Start), shows the library's messages in the console and
// on one line at the bottom, and says when the show has ended.
//
// The address's parameters are the program's options: ?size=320x240&frames=60 runs it as
//   zarnovelt --size 320x240 --frames 60
// (script, size, fps, start, frames, capture-every take a value; headless, no-music, no-dialog,
// no-extensions, check-gl, fullscreen, windowed, help, version take none). Two more are the page's own:
//   capture      every frame is written as a PNG file into /capture of the page's file system
//                (with the exact frame clock and no start page), for a test to collect
//   missing=FILE FILE is taken out of the data before the show starts (a broken-data test)
//
// A test may put files into the data before the show starts: window.zarnoveltFiles, set before
// this page's script runs, maps names (relative to the data folder) to their text.
//
// window.zarnovelt tells a test how far the page has got: state is 'loading', 'dialog',
// 'running' or 'ended'; status is the program's exit status once it has ended, runMs the time
// from its start to its end; lines holds every line the program printed.
(function () {
  'use strict';

  // The picture is rendered at the device's pixel ratio, but at most twice the page's pixels
  // and at most this many lines: beyond them the frame rate falls faster than the picture gains.
  var kMaxPixelRatio = 2;
  var kMaxRenderHeight = 1080;

  var valueOptions = ['script', 'size', 'fps', 'start', 'frames', 'capture-every'];
  var flagOptions = ['headless', 'no-music', 'no-dialog', 'no-extensions', 'check-gl', 'fullscreen', 'windowed',
                     'help', 'version'];

  var $ = function (id) { return document.getElementById(id); };
  var params = new URLSearchParams(location.search);
  var capturing = params.has('capture');
  var state = window.zarnovelt = {state: 'loading', status: null, runMs: null, lines: []};
  var runStarted = 0;

  // ------------------------------------------------------------------------------------------
  // Messages
  // ------------------------------------------------------------------------------------------

  function showLine(text, failure) {
    var status = $('status');
    status.textContent = text;
    status.className = failure ? 'failure' : '';
  }

  // Every line of the program goes to the console and the status line. The run's own failure
  // ("zarnovelt: ...") is a console error; the library's errors and warnings (a data file that
  // cannot be read: the show goes on) are console warnings; everything else is a plain log.
  function programLine(text) {
    state.lines.push(text);
    if (/^zarnovelt: /.test(text)) {
      console.error(text);
      showLine(text, true);
    } else if (/^(Error|Warning|[A-Za-z ]+): /.test(text)) {
      console.warn(text);
      showLine(text, false);
    } else {
      console.log(text);
      showLine(text, false);
    }
  }

  // ------------------------------------------------------------------------------------------
  // Download progress: the code (fetched here) and the data package (fetched by its loader)
  // ------------------------------------------------------------------------------------------

  var codeBytes = {loaded: 0, total: 0};

  function showProgress() {
    var loaded = codeBytes.loaded, total = codeBytes.total;
    var downloads = Module.dataFileDownloads || {};
    Object.keys(downloads).forEach(function (url) {
      loaded += downloads[url].loaded;
      total += downloads[url].total;
    });
    if (total > 0) {
      $('progress-bar').style.width = Math.min(100, 100 * loaded / total).toFixed(1) + '%';
      $('progress-text').textContent = 'Downloading ' + (loaded / 1048576).toFixed(1) + ' of ' +
        (total / 1048576).toFixed(1) + ' MB';
    }
  }

  function fetchWithProgress(url) {
    return fetch(url).then(function (response) {
      if (!response.ok) throw new Error(url + ': ' + response.status + ' ' + response.statusText);
      codeBytes.total = Number(response.headers.get('Content-Length')) || 0;
      if (!response.body || !codeBytes.total) return response.arrayBuffer();
      var reader = response.body.getReader();
      var parts = [];
      function pump() {
        return reader.read().then(function (part) {
          if (part.done) return new Blob(parts).arrayBuffer();
          parts.push(part.value);
          codeBytes.loaded += part.value.length;
          showProgress();
          return pump();
        });
      }
      return pump();
    });
  }

  // ------------------------------------------------------------------------------------------
  // The start page (Module.page.dialog, called by the library once the show is ready to load)
  // ------------------------------------------------------------------------------------------

  function pixelRatio() { return Math.min(window.devicePixelRatio || 1, kMaxPixelRatio); }

  // The largest picture of the aspect asked for that fits the page (or the screen, going
  // fullscreen), at the capped pixel ratio and height.
  function renderSize(aspectWidth, aspectHeight, fullscreen) {
    var width = fullscreen ? screen.width : window.innerWidth;
    var height = fullscreen ? screen.height : window.innerHeight;
    var aspect = aspectWidth / aspectHeight;
    if (width / height > aspect) width = height * aspect; else height = width / aspect;
    var ratio = pixelRatio();
    width *= ratio;
    height *= ratio;
    if (height > kMaxRenderHeight) {
      width *= kMaxRenderHeight / height;
      height = kMaxRenderHeight;
    }
    // Even sides, at least the smallest size the program takes.
    return {width: Math.max(16, 2 * Math.round(width / 2)), height: Math.max(16, 2 * Math.round(height / 2))};
  }

  function setFullscreen(on) {
    var stage = $('stage');
    var request = on ? stage.requestFullscreen && stage.requestFullscreen() :
      document.fullscreenElement && document.exitFullscreen();
    // Refused without a recent click or key: the show goes on in the page.
    if (request && request.catch) request.catch(function () {});
  }

  function dialog(model) {
    state.state = 'dialog';
    $('title').textContent = model.title;
    $('group').textContent = model.group ? 'by ' + model.group : '';
    document.title = model.title;
    $('progress').hidden = true;
    $('progress-text').hidden = true;
    $('sound').checked = model.sound;
    $('sound-choice').hidden = !model.offerSound;
    $('fullscreen').checked = model.fullscreen;
    $('fullscreen-choice').hidden = !model.offerFullscreen;
    $('choices').hidden = false;
    showLine('');
    return new Promise(function (resolve) {
      function start() {
        var sound = $('sound').checked;
        var fullscreen = $('fullscreen').checked;
        // Browsers let a page play sound only from a click: the audio context starts here.
        if (sound) {
          var Context = window.AudioContext || window.webkitAudioContext;
          if (Context) {
            Module.audioContext = Module.audioContext || new Context();
            Module.audioContext.resume();
          }
        }
        if (fullscreen) setFullscreen(true);
        var size = params.has('size') ? {width: model.width, height: model.height} :
          renderSize(model.width, model.height, fullscreen);
        $('start').hidden = true;
        $('fullscreen-button').hidden = false;
        state.state = 'running';
        $('canvas').focus();
        resolve({sound: sound, fullscreen: fullscreen, width: size.width, height: size.height});
      }
      $('start-button').onclick = start;
      $('start-button').focus();
      if (model.autoStartFrames >= 0) {
        var frames = model.autoStartFrames;
        (function wait() {
          if (frames-- <= 0) start(); else requestAnimationFrame(wait);
        })();
      }
    });
  }

  function overlay(lines) {
    $('overlay').textContent = lines.join('\n');
    $('overlay').hidden = lines.length === 0;
  }

  // ------------------------------------------------------------------------------------------
  // The program
  // ------------------------------------------------------------------------------------------

  function commandLine() {
    var args = ['zarnovelt', '--data', '/data'];
    params.forEach(function (value, name) {
      if (valueOptions.indexOf(name) >= 0) args.push('--' + name, value);
      else if (flagOptions.indexOf(name) >= 0) args.push('--' + name);
    });
    if (capturing) args.push('--capture', '/capture');
    return args;
  }

  function ended(status) {
    state.runMs = performance.now() - runStarted;
    state.state = 'ended';
    state.status = status;
    $('start').hidden = true;
    $('fullscreen-button').hidden = true;
    overlay([]);
    if (document.fullscreenElement) setFullscreen(false);
    $('ended-text').textContent = status === 0 ? 'The show has ended.' : 'The show could not run.';
    $('ended').hidden = capturing;
  }

  function run() {
    var missing = params.get('missing');
    if (missing) {
      try {
        Module.FS.unlink('/data/' + missing);
      } catch (e) {
        programLine('Warning: the page cannot take out ' + missing + ': not in the data');
      }
    }
    var files = window.zarnoveltFiles || {};
    Object.keys(files).forEach(function (name) { Module.FS.writeFile('/data/' + name, files[name]); });
    if (capturing) Module.FS.mkdir('/capture');
    var args = commandLine();
    var argv = Module._malloc(4 * (args.length + 1));
    args.forEach(function (arg, i) { Module.HEAP32[(argv >> 2) + i] = Module.allocateUTF8(arg); });
    Module.HEAP32[(argv >> 2) + args.length] = 0;
    state.state = capturing || params.has('no-dialog') || params.has('headless') ? 'running' : 'loading';
    // The program waits for the browser now and then (every frame); the promise settles when
    // it has really returned.
    runStarted = performance.now();
    Module.ccall('main', 'number', ['number', 'number'], [args.length, argv], {async: true}).then(ended, function (e) {
      // An abort has said so already (onAbort).
      if (state.state === 'ended') return;
      programLine('zarnovelt: ' + e);
      ended(1);
    });
  }

  $('again-button').onclick = function () { location.reload(); };
  $('fullscreen-button').onclick = function () { setFullscreen(!document.fullscreenElement); };

  window.Module = {
    canvas: $('canvas'),
    page: {dialog: dialog, overlay: overlay, setFullscreen: setFullscreen, pixelRatio: pixelRatio,
           isFullscreen: function () { return !!document.fullscreenElement; }},
    noInitialRun: true,
    print: programLine,
    printErr: programLine,
    setStatus: function () { showProgress(); },
    instantiateWasm: function (imports, done) {
      fetchWithProgress('zarnovelt.wasm').then(function (bytes) {
        return WebAssembly.instantiate(bytes, imports);
      }).then(function (result) {
        done(result.instance, result.module);
      }, function (e) {
        programLine('zarnovelt: cannot load the code: ' + e.message);
      });
      return {};
    },
    onRuntimeInitialized: run,
    onAbort: function (what) {
      programLine('zarnovelt: the program stopped: ' + what);
      ended(1);
    },
  };

  // The data package's loader first (it hooks into Module), then the code.
  function load(src) {
    var script = document.createElement('script');
    script.src = src;
    script.async = false;
    document.body.appendChild(script);
  }
  load('zarnovelt.data.js');
  load('zarnovelt.js');
})();
