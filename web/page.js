'use strict';
// The page around the game's program (talvessa.js and talvessa.wasm): the canvas and its enlargement,
// the keys and controllers, the waits, the sound, and the page shown when the game ends. The program
// reaches all of it through `talvessaPage` (src/platform/web/page_bridge.cpp).

const talvessaPage = (() => {
  const kWidth = 576;
  const kHeight = 448;
  // The key codes the game reads; the browser's codes are the game's.
  const kGameKeys = new Set([13, 27, 32, 37, 39, 66, 78, 86, 88, 90, 188, 190, 191]);
  const kSoundMute = 0;
  const kSoundDown = 1;
  const kSoundUp = 2;

  const stage = document.getElementById('stage');
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', {alpha: false});

  // The largest whole enlargement that fits the page in device pixels (at least 1), centred; a page
  // smaller than the picture crops it evenly, as the desktop window does.
  function layOut() {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.round(stage.clientWidth * ratio);
    const height = Math.round(stage.clientHeight * ratio);
    const factor = Math.max(1, Math.min(Math.floor(width / kWidth), Math.floor(height / kHeight)));
    canvas.style.width = `${(kWidth * factor) / ratio}px`;
    canvas.style.height = `${(kHeight * factor) / ratio}px`;
    canvas.style.left = `${Math.trunc((width - kWidth * factor) / 2) / ratio}px`;
    canvas.style.top = `${Math.trunc((height - kHeight * factor) / 2) / ratio}px`;
  }
  window.addEventListener('resize', layOut);
  document.addEventListener('fullscreenchange', layOut);
  layOut();

  // Waits. The browser clamps chained timers to 4 ms; a timer set from a message of a MessageChannel
  // is not chained, so it keeps its millisecond, and a bare message is one turn of the event loop.
  const channel = new MessageChannel();
  const turns = [];
  channel.port1.onmessage = () => turns.shift()();
  function nextTurn(then) {
    turns.push(then);
    channel.port2.postMessage(null);
  }
  // A wait is rounded to the nearest millisecond: a timer fires a fraction of one late, and the frame's
  // wait spins the rest on the clock, as on the desktop.
  function sleep(us) {
    const ms = Math.round(us / 1000);
    return new Promise((resolve) => nextTurn(ms > 0 ? () => setTimeout(resolve, ms) : resolve));
  }

  // Events for the game's pump: keys held, sound keys pressed, the tab hidden.
  const held = new Uint8Array(256);
  const soundKeys = [];
  let eventCame = false;
  let wentHidden = false;
  let wake = null;
  function eventArrived() {
    eventCame = true;
    if (wake !== null) wake();
  }
  function waitForEvents(ms) {
    if (eventCame) return Promise.resolve(1);
    return new Promise((resolve) => {
      let timer = 0;
      const waiting = () => {
        clearTimeout(timer);
        wake = null;
        resolve(1);
      };
      wake = waiting;
      nextTurn(() => {
        if (wake !== waiting) return;
        timer = setTimeout(() => {
          if (wake === waiting) wake = null;
          resolve(0);
        }, ms);
      });
    });
  }
  function hasKeyboard() {
    return document.visibilityState === 'visible' && document.hasFocus();
  }

  // M, - and = as the keyboard layout places them, and the keypad's - and +; not with Ctrl, Alt or the
  // system key, whose shortcuts belong to the browser.
  function soundKeyOf(event) {
    if (event.ctrlKey || event.altKey || event.metaKey) return -1;
    if (event.key === 'm' || event.key === 'M') return kSoundMute;
    if (event.key === '-') return kSoundDown;
    if (event.key === '=' || event.code === 'NumpadAdd') return kSoundUp;
    return -1;
  }
  window.addEventListener('keydown', (event) => {
    sound.start();
    const soundKey = soundKeyOf(event);
    if (soundKey >= 0) soundKeys.push(soundKey * 2 + (event.repeat ? 1 : 0));
    if (kGameKeys.has(event.keyCode)) {
      held[event.keyCode] = 1;
      event.preventDefault();
    }
    eventArrived();
  });
  window.addEventListener('keyup', (event) => {
    if (kGameKeys.has(event.keyCode)) {
      held[event.keyCode] = 0;
      event.preventDefault();
    }
    eventArrived();
  });
  window.addEventListener('pointerdown', () => sound.start());
  // Keys held when the page loses the keyboard are let go, as the desktop's window does.
  window.addEventListener('blur', () => {
    held.fill(0);
    eventArrived();
  });
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') {
      held.fill(0);
      wentHidden = true;
    }
    eventArrived();
  });
  function pump(keys) {
    keys.set(held);
    const flags = (hasKeyboard() ? 1 : 0) | (wentHidden ? 2 : 0);
    wentHidden = false;
    eventCame = false;
    return flags;
  }
  function nextSoundKey() {
    return soundKeys.length > 0 ? soundKeys.shift() : -1;
  }

  // Controllers with the browser's standard layout: buttons 0 A, 1 B, 2 X, 4 and 5 the shoulders, 9
  // Start, 14 and 15 the d-pad's left and right; axis 0 the left stick across. Only while the page has
  // the keyboard, as on the desktop.
  // The browser shows a page no controller before one announces itself; until then there is nothing to
  // read on every pump.
  const shoulders = new Map();
  let padsSeen = false;
  window.addEventListener('gamepadconnected', () => {
    padsSeen = true;
  });
  function readPads(out, most) {
    const pads = padsSeen && navigator.getGamepads ? Array.from(navigator.getGamepads()) : [];
    let count = 0;
    for (const pad of pads) {
      if (!pad || !pad.connected || pad.mapping !== 'standard') continue;
      const down = (n) => (pad.buttons[n] && pad.buttons[n].pressed ? 1 : 0);
      const before = shoulders.get(pad.index) || [0, 0];
      const now = [down(4), down(5)];
      if (now[0] && !before[0]) soundKeys.push(kSoundDown * 2);
      if (now[1] && !before[1]) soundKeys.push(kSoundUp * 2);
      shoulders.set(pad.index, now);
      if (count === most || !hasKeyboard()) continue;
      const stick = Math.max(-32768, Math.min(32767, Math.round((pad.axes[0] || 0) * 32767)));
      out.set([down(14), down(15), down(0), down(1), down(2), down(9), stick], count * 7);
      ++count;
    }
    return count;
  }

  let firstPictureMs = null;
  function show(rgba) {
    const pixels = new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length);
    context.putImageData(new ImageData(pixels, kWidth, kHeight), 0, 0);
    if (firstPictureMs !== null) return;
    firstPictureMs = performance.now();
    for (const url of JSON.parse(document.getElementById('sounds').textContent)) sound.prefetch(url);
  }

  // The sound: effects on one voice, the tune looping, both under the player's gain. Browsers start a
  // page's sound only after a key or a click; the page says so until then.
  const sound = (() => {
    const notice = document.getElementById('sound-notice');
    const Context = window.AudioContext || window.webkitAudioContext;
    let audio = null;
    let gain = null;
    try {
      if (Context) {
        audio = new Context();
        gain = audio.createGain();
        gain.connect(audio.destination);
      }
    } catch (error) {
      audio = null;
    }
    const showNotice = () => {
      notice.hidden = audio === null || audio.state !== 'suspended';
    };
    if (audio !== null) audio.addEventListener('statechange', showNotice);
    showNotice();

    // A RIFF WAVE file whose format chunk comes before a whole, non-empty data chunk: the desktop plays
    // no other, so neither does the page.
    function isWholeWave(bytes) {
      const view = new DataView(bytes);
      const id = (at) => String.fromCharCode(...new Uint8Array(bytes, at, 4));
      if (bytes.byteLength < 12 || id(0) !== 'RIFF' || id(8) !== 'WAVE') return false;
      let format = false;
      for (let at = 12; at + 8 <= bytes.byteLength;) {
        const size = view.getUint32(at + 4, true);
        if (at + 8 + size > bytes.byteLength) return false;
        if (id(at) === 'fmt ') format = size >= 16;
        if (id(at) === 'data') return format && size > 0;
        at += 8 + size + (size & 1);
      }
      return false;
    }
    // Every file is fetched and decoded once; a missing or damaged one is null, and stays silent.
    const buffers = new Map();
    function load(address) {
      const url = new URL(address, document.baseURI).href;
      if (!buffers.has(url)) {
        const wave = url.endsWith('.wav');
        const loading = fetch(url)
          .then((response) => (response.ok ? response.arrayBuffer() : null))
          .then((bytes) => (bytes && (!wave || isWholeWave(bytes)) ? audio.decodeAudioData(bytes) : null))
          .catch(() => null);
        buffers.set(url, {buffer: null, loading});
        loading.then((buffer) => {
          buffers.get(url).buffer = buffer;
        });
      }
      return buffers.get(url);
    }
    let voice = null;
    let asked = 0;
    let tune = null;
    let tuneBuffer = null;
    function stop(node) {
      if (node === null) return null;
      try {
        node.stop();
      } catch (error) {
        // never started
      }
      node.disconnect();
      return null;
    }
    function play(buffer, loop) {
      const node = audio.createBufferSource();
      node.buffer = buffer;
      node.loop = loop;
      node.connect(gain);
      node.start();
      return node;
    }
    return {
      available: () => audio !== null,
      start() {
        if (audio !== null && audio.state === 'suspended') audio.resume().then(showNotice, showNotice);
      },
      prefetch(url) {
        if (audio !== null) load(url);
      },
      // An effect still loading sounds when it has loaded, unless another was asked for since.
      playEffect(url) {
        const file = load(url);
        const ask = ++asked;
        if (file.buffer !== null) {
          voice = stop(voice);
          voice = play(file.buffer, false);
          return;
        }
        file.loading.then((buffer) => {
          if (buffer === null || ask !== asked) return;
          voice = stop(voice);
          voice = play(buffer, false);
        });
      },
      silenceEffects() {
        ++asked;
        voice = stop(voice);
      },
      async loadTune(url) {
        tuneBuffer = await load(url).loading;
        return tuneBuffer !== null;
      },
      playTune() {
        tune = stop(tune);
        if (tuneBuffer !== null) tune = play(tuneBuffer, true);
      },
      stopTune() {
        tune = stop(tune);
      },
      setGain(value) {
        gain.gain.value = value;
      },
    };
  })();

  function ended() {
    document.getElementById('ended').hidden = false;
    document.getElementById('play-again').focus();
  }
  document.getElementById('play-again').addEventListener('click', () => window.location.reload());

  // The fullscreen button: the browser keeps F11 for its own fullscreen and Esc for leaving either. A
  // button that kept the keyboard's focus would take Space and Enter from the game.
  const fullscreen = document.getElementById('fullscreen');
  fullscreen.hidden = !document.fullscreenEnabled;
  fullscreen.addEventListener('click', () => {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else {
      document.documentElement.requestFullscreen().catch(() => {});
    }
    fullscreen.blur();
  });
  document.addEventListener('fullscreenchange', () => {
    fullscreen.textContent = document.fullscreenElement ? 'Leave fullscreen' : 'Fullscreen';
  });

  // The faces the page names, written into the program's files before it starts.
  const faces = [];
  for (const link of document.querySelectorAll('link[rel=preload][data-file]')) {
    faces.push({url: link.href, file: link.dataset.file});
  }
  function writeFaces(module) {
    module.addRunDependency('faces');
    Promise.all(
      faces.map(({url, file}) =>
        fetch(url)
          .then((response) => (response.ok ? response.arrayBuffer() : null))
          .then((bytes) => {
            if (bytes === null) return;
            module.FS.mkdirTree(file.substring(0, file.lastIndexOf('/')));
            module.FS.writeFile(file, new Uint8Array(bytes));
          })
          .catch(() => {}),
      ),
    ).then(() => module.removeRunDependency('faces'));
  }

  return {
    sleep,
    waitForEvents,
    pump,
    nextSoundKey,
    readPads,
    show,
    sound,
    ended,
    writeFaces,
    get firstPictureMs() {
      return firstPictureMs;
    },
  };
})();

// The program's settings, read by talvessa.js when it loads.
var Module = {
  preRun: [() => talvessaPage.writeFaces(Module)],
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
  onAbort: () => {
    document.getElementById('failed').hidden = false;
  },
};
