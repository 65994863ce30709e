// The page side of the web layer (page.h): the start choice and the controls, the picture's size,
// the program's clock and the browser callbacks that run its bursts of frame passes, the canvas,
// the sound on Web Audio, and, when the address ends in #report or #test, a report of what was
// shown and played for the tests.
mergeInto(LibraryManager.library, {
  $Page: {
    // The program waits at most this long for a display callback before a timer wakes it: display
    // callbacks hardly come in headless browsers.
    timerMs: 20,
    started: false,
    ended: false,
    paused: false,
    soundOn: false,
    // The program's clock is the page's minus the time it stood still (paused or hidden), so that
    // it goes on from where it stopped rather than jumping.
    stillMs: 0,
    stoppedAtMs: 0, // page time it last stopped at; null while it runs
    startedAtMs: 0,
    resume: null, // continues the waiting program with the program's clock
    frame: 0,
    timer: 0,
    audio: null, // the AudioContext, once the visitor chose sound
    gain: null, // mutes it
    sound: null, // the samples as {channels: [Float32Array, ...], perSecond}
    buffer: null, // the same samples in the AudioContext
    context: null, // the canvas's
    image: null, // the program's pixels, in place
    ratio: null, // the query that tells when the device pixel ratio changes
    laidOutAt: 0, // the device pixel ratio of the last layout
    report: null,

    // #report writes the report; #test also starts at once, as "Start with sound" does.
    init: function() {
      var mode = location.hash;
      if (mode === '#report' || mode === '#test') {
        Page.report = {element: document.createElement('pre'), frames: 0, reading: '',
                       recent: [], written: '', grid: '', canvas: '', writes: [], plays: [],
                       samples: ''};
        Page.report.element.id = 'report';
        Page.report.element.hidden = true;
        document.body.appendChild(Page.report.element);
      }
      Page.on('start-sound', function() { Page.start(true); });
      Page.on('start-quiet', function() { Page.start(false); });
      Page.on('sound', Page.toggleSound);
      Page.on('pause', Page.togglePause);
      document.addEventListener('keydown', Page.key);
      document.addEventListener('visibilitychange', Page.update);
      new ResizeObserver(Page.layout).observe(document.getElementById('stage'));
      if (mode === '#test') {
        Page.start(true);
      }
    },

    on: function(id, action) {
      document.getElementById(id).addEventListener('click', action);
    },

    // M toggles the sound, Space and P pause; a focused button takes its own Space and Enter.
    key: function(event) {
      if (!Page.started || Page.ended || event.repeat || event.ctrlKey || event.altKey ||
          event.metaKey) {
        return;
      }
      var onButton = event.target.tagName === 'BUTTON';
      if (event.key === 'm' || event.key === 'M') {
        Page.toggleSound();
      } else if (event.key === 'p' || event.key === 'P' || (event.key === ' ' && !onButton)) {
        Page.togglePause();
      } else {
        return;
      }
      event.preventDefault();
    },

    // The largest whole number of device pixels per picture pixel that fits the stage, centred;
    // below one, scaled down to fit and smoothed. Redone on every resize and change of the device
    // pixel ratio (zoom, another screen) and whenever the stage changes size.
    layout: function() {
      var ratio = window.devicePixelRatio || 1;
      Page.laidOutAt = ratio;
      var stage = document.getElementById('stage').getBoundingClientRect();
      var canvas = document.getElementById('console');
      var scale = Math.min(stage.width * ratio / canvas.width,
                           stage.height * ratio / canvas.height);
      var crisp = scale >= 1;
      scale = crisp ? Math.floor(scale) : scale;
      var width = Math.floor(canvas.width * scale);
      var height = Math.floor(canvas.height * scale);
      canvas.classList.toggle('smooth', !crisp);
      // Sizes rounded up to the 64ths of a CSS pixel browsers lay out in, so that the picture
      // covers its last device pixel.
      canvas.style.width = Math.ceil(width / ratio * 64) / 64 + 'px';
      canvas.style.height = Math.ceil(height / ratio * 64) / 64 + 'px';
      canvas.style.left = Page.place(stage.left, stage.width, width, ratio) - stage.left + 'px';
      canvas.style.top = Page.place(stage.top, stage.height, height, ratio) - stage.top + 'px';
      if (!Page.ratio || !Page.ratio.matches) { // one query per ratio, held while it is watched
        Page.ratio = matchMedia('(resolution: ' + ratio + 'dppx)');
        Page.ratio.addEventListener('change', Page.layout, {once: true});
      }
    },

    // Where the picture starts, in CSS pixels: on a device pixel that is also a whole CSS pixel
    // where one is near the centre (every 3rd device pixel at a ratio of 1.5), so that no browser
    // rounds the picture's edge onto a neighbouring device pixel.
    place: function(start, room, size, ratio) {
      var centre = Math.round(start * ratio + (room * ratio - size) / 2);
      var best = centre;
      var error = 1;
      for (var d = 0; d <= 32 && error > 1e-6; ++d) {
        var device = centre + (d % 2 ? -(d + 1) / 2 : d / 2);
        var off = Math.abs(device / ratio - Math.round(device / ratio));
        if (off < error) {
          best = device;
          error = off;
        }
      }
      return best / ratio;
    },

    start: function(withSound) {
      if (Page.started || Page.ended) {
        return;
      }
      Page.started = true;
      Page.startedAtMs = performance.now();
      document.getElementById('start').hidden = true;
      document.getElementById('controls').hidden = false;
      Page.soundOn = withSound;
      if (withSound) {
        Page.openAudio();
      }
      Page.showControls();
      document.getElementById('pause').focus({preventScroll: true});
      Page.update();
    },

    toggleSound: function() {
      Page.soundOn = !Page.soundOn;
      if (Page.soundOn && !Page.audio) {
        Page.openAudio();
      }
      Page.showControls();
      Page.update();
    },

    togglePause: function() {
      Page.paused = !Page.paused;
      Page.showControls();
      Page.update();
    },

    // The state is announced by aria-pressed, and shown in words beside each button's name.
    showControls: function() {
      Page.showToggle('sound', Page.soundOn, Page.soundOn ? 'on' : 'off');
      Page.showToggle('pause', Page.paused, Page.paused ? '(paused)' : '');
    },

    showToggle: function(id, pressed, state) {
      var button = document.getElementById(id);
      button.setAttribute('aria-pressed', String(pressed));
      button.querySelector('.state').textContent = state;
    },

    running: function() {
      return Page.started && !Page.ended && !Page.paused && !document.hidden;
    },

    clockMs: function() {
      var now = Page.stoppedAtMs === null ? performance.now() : Page.stoppedAtMs;
      return now - Page.stillMs;
    },

    // Stops or restarts the clock, the callbacks and the sound as the page starts or stops
    // running (start, pause, hidden); the sound's gain follows the sound toggle.
    update: function() {
      var running = Page.running();
      if (running && Page.stoppedAtMs !== null) {
        Page.stillMs += performance.now() - Page.stoppedAtMs;
        Page.stoppedAtMs = null;
        if (Page.resume) {
          Page.arm();
        }
      } else if (!running && Page.stoppedAtMs === null) {
        Page.stoppedAtMs = performance.now();
      }
      if (Page.audio) {
        Page.gain.gain.value = Page.soundOn ? 1 : 0;
        if (running) {
          Page.audio.resume();
        } else {
          Page.audio.suspend();
        }
      }
      Page.writeReport();
    },

    // Browsers let sound start only from a visitor's gesture: the context is made in the click
    // or key press.
    openAudio: function() {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) {
        return;
      }
      try {
        Page.audio = new Context();
      } catch (e) {
        return;
      }
      Page.gain = Page.audio.createGain();
      Page.gain.connect(Page.audio.destination);
      Page.audio.onstatechange = Page.writeReport;
      Page.makeBuffer();
    },

    makeBuffer: function() {
      var sound = Page.sound;
      if (!Page.audio || !sound) {
        return;
      }
      var frames = sound.channels[0].length;
      Page.buffer = Page.audio.createBuffer(sound.channels.length, frames, sound.perSecond);
      for (var c = 0; c < sound.channels.length; ++c) {
        Page.buffer.getChannelData(c).set(sound.channels[c]);
      }
      if (Page.report) {
        var samples = [];
        for (var i = 0; i < frames; ++i) {
          for (c = 0; c < sound.channels.length; ++c) {
            samples.push(Page.buffer.getChannelData(c)[i]);
          }
        }
        Page.report.samples = samples.join(',');
      }
    },

    // Wakes the waiting program at the next display callback, or timer, while the page runs.
    arm: function() {
      cancelAnimationFrame(Page.frame);
      clearTimeout(Page.timer);
      var fire = function() {
        cancelAnimationFrame(Page.frame);
        clearTimeout(Page.timer);
        var resume = Page.resume;
        if (!Page.running() || !resume) {
          return; // the next start of the clock arms again
        }
        Page.resume = null;
        resume(Page.clockMs());
      };
      Page.frame = requestAnimationFrame(fire);
      Page.timer = setTimeout(fire, Page.timerMs);
    },

    noteFrame: function(reading, written, cells, context) {
      var report = Page.report;
      report.frames++;
      report.reading = reading;
      report.recent = report.recent.concat(reading).slice(-8);
      report.written = written;
      var hash = BigInt('0xcbf29ce484222325');
      var prime = BigInt('0x100000001b3');
      var mask = BigInt('0xffffffffffffffff');
      for (var i = 0; i < cells.length; ++i) {
        hash = ((hash ^ BigInt(cells[i])) * prime) & mask;
      }
      report.grid = hash.toString(16).padStart(16, '0');
      var pixels = context.getImageData(0, 0, context.canvas.width, context.canvas.height).data;
      var pixelHash = 0x811c9dc5;
      for (i = 0; i < pixels.length; ++i) {
        pixelHash = Math.imul(pixelHash ^ pixels[i], 0x01000193);
      }
      report.canvas = (pixelHash >>> 0).toString(16).padStart(8, '0');
      Page.writeReport();
    },

    writeReport: function() {
      var report = Page.report;
      if (!report) {
        return;
      }
      report.element.textContent = [
        'started ' + (Page.started ? 'yes' : 'no'),
        'prompt ' + (document.getElementById('start').hidden ? 'hidden' : 'shown'),
        'paused ' + (Page.paused ? 'yes' : 'no'),
        'sound ' + (Page.soundOn ? 'on' : 'off'),
        'audio ' + (Page.audio ? Page.audio.state : 'none'),
        'frames ' + report.frames,
        'running-ms ' + (Page.started ? (performance.now() - Page.startedAtMs).toFixed(3) : 0),
        'clock-ms ' + Page.clockMs().toFixed(3),
        'reading ' + report.reading,
        'recent ' + report.recent.join(' '),
        'written ' + report.written,
        'grid ' + report.grid,
        'canvas ' + report.canvas,
        'writes ' + report.writes.join(' '),
        'plays ' + report.plays.join(' '),
        'samples ' + report.samples
      ].join('\n');
    }
  },
  $Page__postset: 'Page.init();',

  PageNowMs__deps: ['$Page'],
  PageNowMs: function() {
    return Page.clockMs();
  },

  PageWait__deps: ['$Page'],
  PageWait: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      Page.resume = wakeUp;
      if (Page.running()) {
        Page.arm();
      }
    });
  },

  // The canvas takes the program's pixels where they lie, and only the rectangle that changed.
  PageShowFrame__deps: ['$Page'],
  PageShowFrame: function(rgba, width, height, changed, reading, written, cells, cellBytes) {
    if (!Page.context) {
      Page.context = document.getElementById('console').getContext('2d');
    }
    var context = Page.context;
    if (window.devicePixelRatio !== Page.laidOutAt) {
      Page.layout(); // a change of ratio that no event told of (some browsers' emulations)
    }
    if (!Page.image) {
      var pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
      Page.image = new ImageData(pixels, width, height);
    }
    var rect = HEAP32.subarray(changed >> 2, (changed >> 2) + 4);
    if (rect[2] > 0 && rect[3] > 0) {
      context.putImageData(Page.image, 0, 0, rect[0], rect[1], rect[2], rect[3]);
    }
    if (!Page.started) {
      document.getElementById('start').hidden = false;
    }
    if (Page.report) {
      Page.noteFrame(reading >>> 0, written >>> 0, HEAPU8.subarray(cells, cells + cellBytes),
                     context);
    }
  },

  PageSetTitle: function(title) {
    document.title = UTF8ToString(title);
  },

  PageLoadSound__deps: ['$Page'],
  PageLoadSound: function(samples, bytes, channels, perSecond) {
    var frames = Math.floor((bytes >>> 0) / channels);
    var data = [];
    for (var c = 0; c < channels; ++c) {
      var channel = new Float32Array(frames);
      for (var i = 0; i < frames; ++i) {
        channel[i] = (HEAPU8[samples + i * channels + c] - 128) / 128;
      }
      data.push(channel);
    }
    Page.sound = {channels: data, perSecond: perSecond >>> 0};
    Page.makeBuffer();
  },

  PagePlaySound__deps: ['$Page'],
  PagePlaySound: function(reading) {
    if (!Page.buffer || !Page.soundOn) {
      return;
    }
    var source = Page.audio.createBufferSource();
    source.buffer = Page.buffer;
    source.connect(Page.gain);
    source.start();
    if (Page.report) {
      Page.report.plays.push((reading >>> 0) + '@' + Page.clockMs().toFixed(3));
    }
  },

  PageNoteWrite__deps: ['$Page'],
  PageNoteWrite: function(reading, atMs, result) {
    if (Page.report) {
      Page.report.writes.push((reading >>> 0) + '@' + atMs.toFixed(3) + ':' + result);
    }
  },

  PageEnded__deps: ['$Page'],
  PageEnded: function(status) {
    Page.ended = true; // nothing left to start
    document.getElementById('start').hidden = true;
    document.getElementById('controls').hidden = true;
    document.getElementById('status').textContent =
        'Zorvendale could not start (status ' + status + ').';
  }
});
