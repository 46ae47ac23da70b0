'use strict';
// The page around the game's program (talvessa.js and talvessa.wasm): the canvas and its enlargement,
// the keys, touch controls and controllers, the waits, the sound, the loading bar, the help, the page's
// messages, the replays, and the page shown when the game ends. The program reaches all of it through
// `talvessaPage` (src/platform/web/page_bridge.cpp).

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

  // The picture's enlargement, in device pixels. Without touch controls: the largest whole factor that
  // fits the page (at least 1), centred; a page smaller than the picture crops it evenly, as the desktop
  // window does. With them (a phone or a tablet) the picture fills the page's width (portrait) or height
  // (landscape) and the controls take the space left: a whole factor where one fills at least 90 % of
  // that side, else the factor that fills it (a dense screen's uneven pixels are too small to see).
  const touchArea = document.getElementById('touch');
  const bar = document.getElementById('bar');
  const kControlsPx = 120;
  function touchFactor(side, picture) {
    const whole = Math.floor(side / picture);
    return whole >= 1 && whole * picture >= 0.9 * side ? whole : side / picture;
  }
  function layOut() {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.round(stage.clientWidth * ratio);
    const height = Math.round(stage.clientHeight * ratio);
    const touch = document.body.classList.contains('touch');
    const portrait = height > width;
    let factor = Math.max(1, Math.min(Math.floor(width / kWidth), Math.floor(height / kHeight)));
    if (touch) {
      // The controls keep at least a strip of kControlsPx under or beside the picture.
      const room = kControlsPx * ratio;
      factor = portrait
        ? touchFactor(Math.min(width, ((height - room) * kWidth) / kHeight), kWidth)
        : touchFactor(Math.min(height, ((width - 2 * room) * kHeight) / kWidth), kHeight);
    }
    const left = Math.trunc((width - kWidth * factor) / 2) / ratio;
    const top = touch && portrait ? 0 : Math.trunc((height - kHeight * factor) / 2) / ratio;
    canvas.style.width = `${(kWidth * factor) / ratio}px`;
    canvas.style.height = `${(kHeight * factor) / ratio}px`;
    canvas.style.left = `${left}px`;
    canvas.style.top = `${top}px`;
    document.body.classList.toggle('portrait', touch && portrait);
    document.body.classList.toggle('landscape', touch && !portrait);
    // The controls' space: under the picture, or beside it on both sides.
    const below = top + (kHeight * factor) / ratio;
    touchArea.style.top = portrait ? `${below}px` : '0px';
    touchArea.style.setProperty('--side', `${portrait ? 0 : left}px`);
    bar.style.top = touch && portrait ? `${below + 8}px` : '';
  }
  window.addEventListener('resize', layOut);
  document.addEventListener('fullscreenchange', layOut);
  layOut();

  // Waits. The browser holds a timer set from within a timer (the program resumed by its last wait) to
  // at least 4 ms: a shorter one is set from a message of a MessageChannel, which is not chained, so it
  // keeps its millisecond, and a bare message is one turn of the event loop.
  const kChainedMinMs = 4;
  const channel = new MessageChannel();
  const turns = [];
  channel.port1.onmessage = () => turns.shift()();
  function nextTurn(then) {
    turns.push(then);
    channel.port2.postMessage(null);
  }
  function after(ms, then) {
    if (ms >= kChainedMinMs) return setTimeout(then, ms);
    nextTurn(ms > 0 ? () => setTimeout(then, ms) : then);
    return 0;
  }
  // Chromium lets a timer of 32 ms or more run up to 8 ms late, to share its wake-up with another timer
  // of the page; shorter ones keep their time, and fire some tenths of a millisecond late. A frame's
  // wait is one wake-up of the program: one such timer or a few, the last one's whole milliseconds
  // rounded up from its time less that lateness, and what it leaves (seldom, a tenth of a millisecond
  // or two) in turns of the event loop. The timers before the last leave it at least the 4 ms a chained
  // timer is held to, so that it is set at once, not from a message.
  const kPreciseMs = 31;
  const kTimerLateMs = 0.3;
  function sleep(us) {
    const end = performance.now() + us / 1000;
    return new Promise((resolve) => {
      const finish = () => (performance.now() >= end ? resolve() : nextTurn(finish));
      const step = () => {
        const left = end - performance.now();
        if (left <= kPreciseMs) return after(Math.ceil(left - kTimerLateMs), finish);
        after(Math.min(kPreciseMs, Math.floor(left) - kChainedMinMs - 1), step);
      };
      step();
    });
  }

  // Events for the game's pump: keys held (by the keyboard or the touch controls), sound keys pressed,
  // the page away (its tab hidden, the keyboard lost, the help open).
  const held = new Uint8Array(256);
  const soundKeys = [];
  let eventCame = false;
  let wentAway = false;
  let wake = null;
  function eventArrived() {
    eventCame = true;
    if (wake !== null) wake();
  }
  // The game waits for events only while it rests in its pause: a pause the page caused says so. The
  // rest is the game's own 10 ms, so that the pause's passes, which a replay counts, keep the desktop's
  // pace (docs/fidelity.md); but the page wakes for ten rests at a time: the rests follow one another on
  // a timeline of their own, and one whose end has passed returns at once, so ten passes run in a row
  // after each wake-up. An event ends a rest at once. With a controller seen, whose buttons come only
  // by polling, every rest wakes on its own.
  const pausedLine = document.getElementById('paused');
  let awayPause = false;
  const kRestsPerWake = 10;
  let restEnd = -Infinity;
  let lastRestEnded = -Infinity;
  function waitForEvents(ms) {
    if (awayPause) pausedLine.hidden = false;
    if (eventCame) return Promise.resolve(1);
    const now = performance.now();
    const behind = kRestsPerWake * ms;
    // A rest long after the last one (a new pause) starts now; otherwise after the last one, and never
    // more than a wake-up's rests behind now (a throttled timer does not pile them up).
    const start = now - lastRestEnded > behind ? now : Math.max(restEnd, now - behind);
    restEnd = start + ms;
    const restOver = (value) => {
      lastRestEnded = performance.now();
      return value;
    };
    if (restEnd <= now) return Promise.resolve(restOver(0));
    const wakeAt = padsSeen ? restEnd : restEnd + (kRestsPerWake - 1) * ms;
    return new Promise((resolve) => {
      let timer = 0;
      const waiting = () => {
        clearTimeout(timer);
        wake = null;
        resolve(restOver(1));
      };
      wake = waiting;
      timer = after(Math.ceil(wakeAt - now), () => {
        if (wake !== waiting) return;
        wake = null;
        resolve(restOver(0));
      });
    });
  }
  const help = document.getElementById('help');
  function hasKeyboard() {
    return document.visibilityState === 'visible' && document.hasFocus() && help.hidden;
  }
  // The page lost the player: keys are let go, play pauses (the game sees Enter, as the desktop's
  // --pause-when-unfocused gives it) and the sound stops until the player is back.
  function away() {
    held.fill(0);
    wentAway = true;
    awayPause = true;
    sound.suspend();
    eventArrived();
  }
  // The player is back (a key or a touch): the sound goes on; play stays paused until Enter.
  function back() {
    awayPause = false;
    pausedLine.hidden = true;
    sound.start();
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
  const isHelpKey = (event) =>
    !event.ctrlKey && !event.altKey && !event.metaKey && (event.key === '?' || event.key === 'h' || event.key === 'H');
  let gameOver = false;
  window.addEventListener('keydown', (event) => {
    back();
    // Once the game has ended the keys are the page's: Enter and Space press its buttons.
    if (gameOver) return;
    if (isHelpKey(event) || (!help.hidden && event.keyCode === 27)) {
      toggleHelp();
      event.preventDefault();
      return;
    }
    if (!help.hidden) return;
    const soundKey = soundKeyOf(event);
    if (soundKey >= 0) soundKeys.push(soundKey * 2 + (event.repeat ? 1 : 0));
    if (kGameKeys.has(event.keyCode)) {
      held[event.keyCode] = 1;
      event.preventDefault();
    }
    eventArrived();
  });
  window.addEventListener('keyup', (event) => {
    if (gameOver) return;
    if (kGameKeys.has(event.keyCode)) {
      held[event.keyCode] = 0;
      event.preventDefault();
    }
    eventArrived();
  });
  window.addEventListener('pointerdown', back);
  window.addEventListener('blur', away);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') away();
    eventArrived();
  });
  function pump(keys) {
    keys.set(held);
    const flags = (hasKeyboard() ? 1 : 0) | (wentAway ? 2 : 0);
    wentAway = false;
    eventCame = false;
    return flags;
  }
  function nextSoundKey() {
    return soundKeys.length > 0 ? soundKeys.shift() : -1;
  }

  // The touch controls feed the keys held, as the keyboard does: the game cannot tell them apart. They
  // show on a device whose main pointer is a finger, or from the first touch. The game polls its keys, so
  // a touch holds its key at least kTouchHoldMs, longer than any screen's pass; a tap on the picture is a
  // Space (it starts play on the title and the end screens, and throws in play).
  const kTouchHoldMs = 200;
  const kSpace = 32;
  const touches = new Map();
  function showTouch() {
    if (document.body.classList.contains('touch')) return;
    document.body.classList.add('touch');
    layOut();
  }
  if (window.matchMedia && window.matchMedia('(pointer: coarse)').matches) showTouch();
  function pressTouch(event, key) {
    event.preventDefault();
    touches.set(event.pointerId, {key, since: performance.now()});
    held[key] = 1;
    eventArrived();
  }
  function releaseTouch(event) {
    const touch = touches.get(event.pointerId);
    if (!touch) return;
    touches.delete(event.pointerId);
    const still = () => [...touches.values()].some((other) => other.key === touch.key);
    setTimeout(() => {
      if (!still()) held[touch.key] = 0;
      eventArrived();
    }, Math.max(0, touch.since + kTouchHoldMs - performance.now()));
  }
  window.addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'touch') showTouch();
  }, true);
  for (const button of touchArea.querySelectorAll('[data-key]')) {
    button.addEventListener('pointerdown', (event) => pressTouch(event, Number(button.dataset.key)));
  }
  canvas.addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'touch') pressTouch(event, kSpace);
  });
  for (const type of ['pointerup', 'pointercancel']) window.addEventListener(type, releaseTouch);
  touchArea.addEventListener('contextmenu', (event) => event.preventDefault());

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

  // The sounds by the names the game gives them, each with the address of this build's version.
  const soundFiles = JSON.parse(document.getElementById('sounds').textContent);
  let firstPictureMs = null;
  // The program draws the rectangle of its picture that changed.
  function show(rgba, x, y, w, h) {
    const pixels = new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length);
    context.putImageData(new ImageData(pixels, kWidth, kHeight), 0, 0, x, y, w, h);
    if (firstPictureMs !== null) return;
    firstPictureMs = performance.now();
    loading.done();
    for (const name of Object.keys(soundFiles)) sound.prefetch(name);
  }

  // The page's messages, one at a time: a failure (the first cause found is the true one) hides the
  // rest for good.
  const failed = document.getElementById('failed');
  const warned = document.getElementById('warned');
  function fail(text) {
    if (!failed.hidden) return;
    failed.textContent = text;
    failed.hidden = false;
    warned.hidden = true;
    loading.done();
    sound.dismissNotice();
  }

  // The loading bar: the bytes of the program and the faces, until the first picture. The page names
  // their gzip copies (beside every file of the site), which it unpacks itself, so that any host sends a
  // third of the bytes; a host that already unpacked one (by its Content-Encoding) sends the file
  // itself, and a site without the copies its plain files.
  const loading = (() => {
    const bar = document.getElementById('loading');
    const meter = bar.querySelector('progress');
    const files = new Map();
    let finished = false;
    function update() {
      if (finished) return;
      let got = 0;
      let total = 0;
      for (const file of files.values()) {
        got += file.got;
        total += Math.max(file.total, file.got);
      }
      meter.max = Math.max(total, 1);
      meter.value = got;
      bar.querySelector('span').textContent = `${Math.round(got / 1024)} of ${Math.round(total / 1024)} KB`;
      bar.hidden = false;
    }
    const nameOf = (url) => new URL(url, document.baseURI).pathname.split('/').pop().replace(/\.gz$/, '');
    async function answer(url) {
      let response;
      try {
        response = await fetch(url);
      } catch (error) {
        throw new Error(`${nameOf(url)} could not be loaded (the network failed)`);
      }
      if (!response.ok) throw new Error(`${nameOf(url)} could not be loaded (HTTP ${response.status})`);
      return response;
    }
    // The body of the file at `url` (its packed copy's address), counted as it comes and unpacked.
    async function stream(url) {
      let response;
      try {
        if (!window.DecompressionStream) throw new Error('no unpacking here');
        response = await answer(url);
      } catch (error) {
        response = await answer(url.replace(/\.gz(?=\?|$)/, ''));
      }
      // A compressed answer counts its compressed length, but its body the bytes unpacked.
      const file = {got: 0, total: response.headers.get('Content-Encoding') ? 0 : Number(response.headers.get('Content-Length')) || 0};
      files.set(url, file);
      update();
      const reader = response.body.getReader();
      let first = await reader.read();
      const packed = !first.done && first.value[0] === 0x1f && first.value[1] === 0x8b;
      const counted = new ReadableStream({
        async pull(controller) {
          const {done, value} = first || (await reader.read());
          first = null;
          if (done) {
            controller.close();
            return;
          }
          file.got += value.length;
          update();
          controller.enqueue(value);
        },
      });
      return packed ? counted.pipeThrough(new DecompressionStream('gzip')) : counted;
    }
    return {
      stream,
      async bytes(url) {
        return new Uint8Array(await new Response(await stream(url)).arrayBuffer());
      },
      done() {
        finished = true;
        bar.hidden = true;
      },
    };
  })();

  // The sound: effects on one voice, the tune looping, both under the player's gain. Browsers start a
  // page's sound only after a key or a click; the page says so until then, or until sound cannot start.
  const sound = (() => {
    const notice = document.getElementById('sound-notice');
    const Context = window.AudioContext || window.webkitAudioContext;
    // The desktop game's sound device takes 1024 frames at a time (23 ms at 44.1 kHz). Asked for as much,
    // the browser's sound threads wake less than half as often as at its default (10 ms in Chromium).
    const kLatencySeconds = 1024 / 44100;
    let audio = null;
    let gain = null;
    try {
      if (Context) {
        audio = new Context({latencyHint: kLatencySeconds});
        gain = audio.createGain();
        gain.connect(audio.destination);
      }
    } catch (error) {
      audio = null;
    }
    // The notice shows until sound has run once, or until a gesture could not start it.
    let noticeDone = false;
    let pageSuspended = false;
    const showNotice = () => {
      if (audio !== null && audio.state === 'running') noticeDone = true;
      notice.hidden = noticeDone || !failed.hidden || audio === null || audio.state !== 'suspended';
    };
    if (audio !== null) audio.addEventListener('statechange', showNotice);
    showNotice();
    // A browser that lets no sound start (no sound device) leaves the context suspended after a gesture.
    const kStartMs = 1000;
    const gaveUp = () => {
      if (audio.state !== 'running' && !pageSuspended) noticeDone = true;
      showNotice();
    };

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
    // Every file is fetched and decoded once, in the background; a missing or damaged one is null, and
    // stays silent. Nothing ever waits for one.
    const buffers = new Map();
    function load(name) {
      const key = name.replace(/^\.\//, '');
      const url = new URL(soundFiles[key] || key, document.baseURI).href;
      if (!buffers.has(url)) {
        const wave = key.endsWith('.wav');
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
    let tuneFile = null;
    let tuneWanted = 0;
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
      // After a gesture, or when the player is back.
      start() {
        pageSuspended = false;
        if (audio === null || audio.state !== 'suspended') return;
        audio.resume().then(showNotice, gaveUp);
        setTimeout(gaveUp, kStartMs);
      },
      // The page is away: all sound stops where it is.
      suspend() {
        if (audio === null) return;
        pageSuspended = true;
        audio.suspend().catch(() => {});
      },
      dismissNotice() {
        noticeDone = true;
        showNotice();
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
      loadTune(url) {
        if (audio === null) return false;
        tuneFile = load(url);
        return true;
      },
      // A tune still loading joins from its beginning once decoded, if it is still wanted then.
      playTune() {
        tune = stop(tune);
        const wanted = ++tuneWanted;
        if (tuneFile.buffer !== null) {
          tune = play(tuneFile.buffer, true);
          return;
        }
        tuneFile.loading.then((buffer) => {
          if (buffer !== null && wanted === tuneWanted) tune = play(buffer, true);
        });
      },
      stopTune() {
        ++tuneWanted;
        tune = stop(tune);
      },
      setGain(value) {
        gain.gain.value = value;
      },
    };
  })();

  // The volume and mute, the page's one stored setting.
  const kStoredSound = 'talvessa-sound';
  const storedSound = (() => {
    try {
      const stored = JSON.parse(window.localStorage.getItem(kStoredSound));
      if (Number.isInteger(stored.volume) && stored.volume >= 0 && typeof stored.muted === 'boolean') return stored;
    } catch (error) {
      // none stored, or storage is not allowed
    }
    return {volume: -1, muted: false};
  })();
  function storeSound(volume, muted) {
    try {
      window.localStorage.setItem(kStoredSound, JSON.stringify({volume, muted}));
    } catch (error) {
      // storage is not allowed: the setting lasts this visit
    }
  }

  // The help: the keys, the controller and the touch controls. Open, it pauses play as the page being
  // away does, and keeps the game's keys from the game.
  function toggleHelp() {
    help.hidden = !help.hidden;
    if (!help.hidden) {
      held.fill(0);
      wentAway = true;
    }
    eventArrived();
  }
  document.getElementById('help-button').addEventListener('click', (event) => {
    toggleHelp();
    event.currentTarget.blur();
  });
  document.getElementById('help-close').addEventListener('click', toggleHelp);

  // Replays. The game being played is always recorded into the program's files (src/web_main.cpp);
  // the player downloads it, in the desktop's replay format. A replay the player opens or drops is
  // kept for the page's next load, which shows it.
  const kRecording = '/talvessa-replay.txt';
  const kShownReplay = '/shown-replay.txt';
  const kReplayStore = 'talvessa-replay';
  let program = null;
  function downloadReplay() {
    let bytes;
    try {
      bytes = program.FS.readFile(kRecording);
    } catch (error) {
      return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], {type: 'text/plain'}));
    link.download = `talvessa-${new Date().toISOString().slice(0, 19).replace(/[:T]/g, '-')}.txt`;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
  async function openReplay(file) {
    if (!file) return;
    try {
      window.sessionStorage.setItem(kReplayStore, await file.text());
    } catch (error) {
      fail(`The replay ${file.name} could not be opened (${error.message}).`);
      return;
    }
    window.location.reload();
  }
  function takeReplay() {
    try {
      const text = window.sessionStorage.getItem(kReplayStore);
      window.sessionStorage.removeItem(kReplayStore);
      return text;
    } catch (error) {
      return null;
    }
  }
  const replayPicker = document.getElementById('replay-file');
  replayPicker.addEventListener('change', () => openReplay(replayPicker.files[0]));
  for (const id of ['open-replay', 'ended-open-replay']) {
    document.getElementById(id).addEventListener('click', (event) => {
      event.currentTarget.blur();
      replayPicker.click();
    });
  }
  for (const id of ['download-replay', 'ended-download-replay']) {
    document.getElementById(id).addEventListener('click', (event) => {
      event.currentTarget.blur();
      downloadReplay();
    });
  }
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => {
    event.preventDefault();
    openReplay(event.dataTransfer.files[0]);
  });

  // How a game or a replay ended (the status of the program's PlayGame).
  let lastError = '';
  const kEndings = {
    game: {0: 'The game has ended.', 1: 'The game has ended; its replay could not be recorded.'},
    replay: {
      0: 'The replay has played to its end.',
      2: 'This file is not a replay this game can read.',
      3: 'The replay no longer plays as it was recorded.',
      4: 'The replay was cut short: it was shown up to its last pass.',
    },
  };
  function ended(status, replay) {
    gameOver = true;
    held.fill(0);
    const endings = kEndings[replay ? 'replay' : 'game'];
    document.getElementById('ended-what').textContent = endings[status] || endings[0];
    document.getElementById('ended-why').textContent = status !== 0 ? lastError : '';
    document.getElementById('ended-download-replay').hidden = replay;
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
  for (const button of document.querySelectorAll('#bar [hidden]:not(#fullscreen)')) button.hidden = false;

  // The program's files before it starts: the faces the page names, and a replay to show. Without its
  // faces the game plays on without words; the page says which face is missing.
  const faces = [];
  for (const link of document.querySelectorAll('link[rel=preload][data-file]')) {
    faces.push({url: link.href, file: link.dataset.file});
  }
  const replayText = takeReplay();
  function prepare(module) {
    program = module;
    if (replayText !== null) module.FS.writeFile(kShownReplay, replayText);
    module.addRunDependency('faces');
    Promise.all(
      faces.map(({url, file}) =>
        loading.bytes(url).then(
          (bytes) => {
            module.FS.mkdirTree(file.substring(0, file.lastIndexOf('/')));
            module.FS.writeFile(file, bytes);
          },
          (error) => {
            // The game plays on; only the first missing face is named.
            if (!warned.hidden || !failed.hidden) return;
            warned.textContent = `${error.message}: the game plays on, but its texts are not shown.`;
            warned.hidden = false;
          },
        ),
      ),
    ).then(() => module.removeRunDependency('faces'));
  }
  // The program's WebAssembly, fetched by the page to count its bytes, and compiled as it comes.
  async function compile(imports) {
    const body = await loading.stream(document.querySelector('link[rel=preload][as=fetch]:not([data-file])').href);
    const response = new Response(body, {headers: {'Content-Type': 'application/wasm'}});
    if (WebAssembly.instantiateStreaming) return WebAssembly.instantiateStreaming(response, imports);
    return WebAssembly.instantiate(await response.arrayBuffer(), imports);
  }
  function instantiate(imports, receive) {
    if (!failed.hidden) return {};
    compile(imports)
      .then((made) => receive(made.instance, made.module))
      .catch((error) => fail(`The game could not start: ${error.message}.`));
    return {};
  }
  // The service worker keeps this build's files for offline play (not from a file, where none runs).
  function keepOffline() {
    if (!('serviceWorker' in navigator) || window.location.protocol === 'file:') return;
    navigator.serviceWorker.register('sw.js').catch((error) => console.warn(`talvessa: no offline play (${error.message})`));
  }
  // What cannot work is said before anything loads; else the program's script loads.
  function start() {
    if (window.location.protocol === 'file:') {
      fail('This page was opened as a file, and browsers do not run the game from a file: serve the ' +
        'folder over HTTP (for example python3 -m http.server in it) and open the address it gives.');
      return;
    }
    if (typeof WebAssembly !== 'object') {
      fail('This browser has no WebAssembly (or it is turned off): the game needs it.');
      return;
    }
    keepOffline();
    const script = document.createElement('script');
    script.src = document.getElementById('program').href;
    script.onerror = () => fail('The game could not start: talvessa.js could not be loaded.');
    document.head.appendChild(script);
  }

  return {
    sleep,
    waitForEvents,
    pump,
    nextSoundKey,
    readPads,
    show,
    sound,
    storedSound,
    storeSound,
    ended,
    prepare,
    instantiate,
    start,
    arguments: replayText === null ? [] : ['--replay', kShownReplay],
    fail,
    heard: (text) => {
      lastError = text;
    },
    get firstPictureMs() {
      return firstPictureMs;
    },
  };
})();

// The program's settings, read by talvessa.js when it loads.
var Module = {
  arguments: talvessaPage.arguments,
  preRun: [() => talvessaPage.prepare(Module)],
  instantiateWasm: (imports, receive) => talvessaPage.instantiate(imports, receive),
  print: (text) => console.log(text),
  printErr: (text) => {
    talvessaPage.heard(text);
    console.warn(text);
  },
  onAbort: (what) => talvessaPage.fail(`The game stopped: ${what}`),
};
talvessaPage.start();
