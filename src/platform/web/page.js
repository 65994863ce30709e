// The page side of the web layer (page.h): the start choice, the browser callbacks that run the
// program's bursts of frame passes, the canvas, the sound on Web Audio, and, when the address ends
// in #report or #test, a report of what was shown and played for the tests.
mergeInto(LibraryManager.library, {
  $Page: {
    // The program waits at most this long for a display callback before a timer wakes it: display
    // callbacks stop in hidden pages and hardly come in headless browsers.
    timerMs: 20,
    started: false,
    startedAtMs: 0,
    resume: null, // continues the waiting program with the page's clock
    audio: null, // the AudioContext, once the visitor chose sound
    sound: null, // the samples as {channels: [Float32Array, ...], perSecond}
    buffer: null, // the same samples in the AudioContext
    image: null,
    report: null,

    // #report writes the report; #test also starts at once, through the visitor's start.
    init: function() {
      var mode = location.hash;
      if (mode === '#report' || mode === '#test') {
        Page.report = {element: document.createElement('pre'), frames: 0, reading: '',
                       written: '', grid: '', canvas: '', writes: [], plays: [], samples: ''};
        Page.report.element.id = 'report';
        Page.report.element.hidden = true;
        document.body.appendChild(Page.report.element);
      }
      document.addEventListener('click', function(event) {
        Page.start(event.target.id !== 'quiet');
      });
      if (mode === '#test') {
        Page.start(true);
      }
    },

    // The one interaction: a click starts the animation, with sound unless it was on "no sound".
    start: function(withSound) {
      if (Page.started) {
        return;
      }
      Page.started = true;
      Page.startedAtMs = performance.now();
      document.getElementById('start').hidden = true;
      if (withSound) {
        Page.openAudio();
      }
      if (Page.resume) {
        Page.arm();
      }
      Page.writeReport();
    },

    // Browsers let sound start only from a visitor's gesture: the context is made in the click.
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
      Page.audio.resume();
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

    // Wakes the waiting program at the next display callback, or timer, while the page is seen.
    arm: function() {
      var frame = 0;
      var timer = 0;
      var fire = function() {
        cancelAnimationFrame(frame);
        clearTimeout(timer);
        if (document.hidden) {
          Page.arm();
          return;
        }
        var resume = Page.resume;
        Page.resume = null;
        resume(performance.now());
      };
      frame = requestAnimationFrame(fire);
      timer = setTimeout(fire, Page.timerMs);
    },

    noteFrame: function(reading, written, cells, context) {
      var report = Page.report;
      report.frames++;
      report.reading = reading;
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
        'audio ' + (Page.audio ? Page.audio.state : 'none'),
        'frames ' + report.frames,
        'running-ms ' + (Page.started ? (performance.now() - Page.startedAtMs).toFixed(3) : 0),
        'reading ' + report.reading,
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

  PageNowMs: function() {
    return performance.now();
  },

  PageWait__deps: ['$Page'],
  PageWait: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      Page.resume = wakeUp;
      if (Page.started) {
        Page.arm();
      }
    });
  },

  PageShowFrame__deps: ['$Page'],
  PageShowFrame: function(rgba, width, height, reading, written, cells, cellBytes) {
    var context = document.getElementById('console').getContext('2d');
    if (!Page.image) {
      Page.image = context.createImageData(width, height);
    }
    Page.image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
    context.putImageData(Page.image, 0, 0);
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
    if (!Page.buffer) {
      return;
    }
    var source = Page.audio.createBufferSource();
    source.buffer = Page.buffer;
    source.connect(Page.audio.destination);
    source.start();
    if (Page.report) {
      Page.report.plays.push((reading >>> 0) + '@' + performance.now().toFixed(3));
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
    Page.started = true; // nothing left to start
    var prompt = document.getElementById('start');
    prompt.textContent = 'Zorvendale could not start (status ' + status + ').';
    prompt.hidden = false;
  }
});
