// The page around the game: command line from the URL, saves in IndexedDB,
// settings in localStorage, the loading bar, screenshots offered as downloads, and the results the
// automated runs read from the page.
//
// URL parameters:
//   seed=N      the world's seed (else one from the time)
//   frames=N    run N frames on the virtual clock, then write the state dump
//               into <pre id="delve-state">
//   input=URL   an input script, played as on the desktop (--input)
//   fps=N       frames a second the game paces itself to (0 = unpaced)
//
// seed, frames and fps go to the program as they are: a value it refuses
// (negative, not a number, out of range) stops the game like any error it
// reports. The page then shows the program's own words, as text, and a link
// to the page without the parameters the error names.
//   meter=1     show the measured frame rate and write it into
//               <pre id="delve-fps">
//   shot=F,...  after frame F, the canvas as a PNG data URL in
//               <pre id="delve-shot-F"> (for tests)
//   report=NAME when the run ends (without frames=N: once the pictures of
//               shot= are taken), post every result above as one JSON object
//               to /report/NAME (for tests)
//   events=URL  a script of page events, dispatched to the page as a player's
//               keyboard and mouse would make them: "F down VK", "F up VK"
//               (virtual keys; 1, 2 and 4 are the mouse buttons) and
//               "F cursor X Y" (canvas pixels from its top-left corner), each
//               delivered before frame F (for tests)
'use strict';

(function () {
  const params = new URLSearchParams(window.location.search);
  const started = performance.now();
  const statusEl = document.getElementById('status');
  const fillEl = document.getElementById('fill');
  const barEl = document.getElementById('bar');
  const loadingEl = document.getElementById('loading');
  const messageEl = document.getElementById('message');
  const canvas = document.getElementById('canvas');

  const SaveDir = '/saves';
  const StatePath = '/state.json';
  const ScriptPath = '/input.script';
  // The game keeps its settings file where the desktop's would be (HOME is
  // /home/web_user here); the page keeps its text in localStorage.
  const SettingsPath = '/home/web_user/.config/delve/settings.ini';
  const SettingsKey = 'delve.settings';

  function resultElement(id) {
    let el = document.getElementById(id);
    if (!el) {
      el = document.createElement('pre');
      el.id = id;
      el.className = 'result';
      document.body.appendChild(el);
    }
    return el;
  }

  // "--flag=value" keeps a value that starts with '-' a value.
  const args = ['--data-dir', '/data', '--save-dir', SaveDir];
  const seed = params.get('seed');
  if (seed !== null) args.push('--seed=' + seed);
  const frames = params.get('frames');
  if (frames !== null) args.push('--frames=' + frames, '--fast-clock', '--dump-state', StatePath);
  const scriptUrl = params.get('input');
  if (scriptUrl) args.push('--input', ScriptPath);
  const shots = new Set((params.get('shot') || '').split(',').filter((s) => /^[0-9]+$/.test(s))
    .map(Number));
  const fps = params.get('fps');
  if (fps !== null) args.push('--fps=' + fps);
  // The page parameter behind each flag the program may refuse.
  const flagParams = { '--seed': 'seed', '--frames': 'frames', '--fps': 'fps', '--input': 'input',
    [ScriptPath]: 'input' };

  // What the program said on its standard error, the last lines of it,
  // each cut short: enough to say why it stopped.
  const MaxErrorLines = 8, MaxErrorLine = 400;
  const errorLines = [];
  function keepError(line) {
    errorLines.push(line.length > MaxErrorLine ? line.substring(0, MaxErrorLine) + '…' : line);
    if (errorLines.length > MaxErrorLines) errorLines.shift();
  }
  const showFps = params.get('meter') === '1';
  const reportName = params.get('report');
  const results = {};
  const eventsUrl = params.get('events');
  let pageEvents = [], nextPageEvent = 0, cursorClient = [0, 0];

  function parsePageEvents(text) {
    const list = [];
    text.split('\n').forEach((line) => {
      const t = line.replace(/#.*/, '').trim().split(/\s+/);
      if (t.length < 2 || !/^[0-9]+$/.test(t[0])) return;
      list.push({ frame: Number(t[0]), kind: t[1], a: Number(t[2]), b: Number(t[3]) });
    });
    return list.sort((x, y) => x.frame - y.frame);
  }

  // The browser's name and place of a virtual key.
  function keyOf(vk) {
    if (vk >= 65 && vk <= 90) {
      const c = String.fromCharCode(vk);
      return { key: c.toLowerCase(), code: 'Key' + c };
    }
    if (vk >= 48 && vk <= 57) return { key: String(vk - 48), code: 'Digit' + (vk - 48) };
    if (vk >= 112 && vk <= 123) return { key: 'F' + (vk - 111), code: 'F' + (vk - 111) };
    if (vk >= 96 && vk <= 105) return { key: String(vk - 96), code: 'Numpad' + (vk - 96) };
    const named = { 8: 'Backspace', 9: 'Tab', 13: 'Enter', 16: 'ShiftLeft', 17: 'ControlLeft',
      18: 'AltLeft', 27: 'Escape', 32: 'Space', 37: 'ArrowLeft', 38: 'ArrowUp', 39: 'ArrowRight',
      40: 'ArrowDown', 107: 'NumpadAdd', 109: 'NumpadSubtract' };
    const keys = { 16: 'Shift', 17: 'Control', 18: 'Alt', 32: ' ', 107: '+', 109: '-' };
    const code = named[vk] || '';
    return { key: keys[vk] || code, code: code };
  }

  function dispatchPageEvent(e) {
    const r = canvas.getBoundingClientRect();
    if (e.kind === 'cursor') {
      cursorClient = [r.left + (e.a + 0.5) * r.width / canvas.width,
        r.top + (e.b + 0.5) * r.height / canvas.height];
      window.dispatchEvent(new MouseEvent('mousemove', { clientX: cursorClient[0],
        clientY: cursorClient[1], bubbles: true }));
      return;
    }
    const down = e.kind === 'down';
    if (e.a === 1 || e.a === 2 || e.a === 4) {
      const init = { clientX: cursorClient[0], clientY: cursorClient[1], bubbles: true,
        button: e.a === 1 ? 0 : e.a === 2 ? 2 : 1 };
      // A press starts on the canvas; the release may come anywhere.
      (down ? canvas : window).dispatchEvent(new MouseEvent(down ? 'mousedown' : 'mouseup', init));
      return;
    }
    const k = keyOf(e.a);
    window.dispatchEvent(new KeyboardEvent(down ? 'keydown' : 'keyup',
      { key: k.key, code: k.code, bubbles: true, cancelable: true }));
  }

  // Events for frame F go out once frame F - 1 has been shown.
  function dispatchPageEventsBefore(frame) {
    while (nextPageEvent < pageEvents.length && pageEvents[nextPageEvent].frame <= frame)
      dispatchPageEvent(pageEvents[nextPageEvent++]);
  }

  // Saves reach IndexedDB through the save folder's fsync calls (a save
  // syncs every file and then the folder); the end of a run syncs once more
  // and reports only when that is done.
  function whenSynced(done) {
    FS.syncfs(false, (err) => {
      if (err) console.error('delve: saving to IndexedDB failed', err);
      done();
    });
  }

  // localStorage may be switched off; the game then forgets, as before.
  function stored(key) {
    try { return window.localStorage.getItem(key); } catch (e) { return null; }
  }
  function store(key, text) {
    try { window.localStorage.setItem(key, text); } catch (e) {
      console.warn('delve: cannot keep the settings in localStorage', e);
    }
  }

  // The game writes its settings by a rename over the file, and sets a
  // damaged file aside the same way (as settings.ini.bad).
  function keepSettings(from, to) {
    if (to === SettingsPath) store(SettingsKey, FS.readFile(to, { encoding: 'utf8' }));
    else if (from === SettingsPath && to === SettingsPath + '.bad')
      store(SettingsKey + '.bad', FS.readFile(to, { encoding: 'utf8' }));
  }

  // F12 writes a PNG below the pictures folder; the page offers it.
  function offerScreenshot(path) {
    if (!/\/Pictures\/delve\/[^/]+\.png$/.test(path)) return;
    const bytes = FS.readFile(path);
    const url = URL.createObjectURL(new Blob([bytes], { type: 'image/png' }));
    const a = document.createElement('a');
    a.href = url;
    a.download = path.substring(path.lastIndexOf('/') + 1);
    let binary = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    (results.downloads = results.downloads || []).push({ name: a.download, bytes: bytes.length,
      png: 'data:image/png;base64,' + btoa(binary) });
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  let presented = 0, firstFrameMs = null, fpsStart = 0, fpsFrames = 0;
  const fpsSamples = [];

  function postResults() {
    fetch('/report/' + encodeURIComponent(reportName),
      { method: 'POST', body: JSON.stringify(results) });
  }

  // The game stopped with an error: its words on the page (as text, never
  // as markup), no busy bar, and a link to the page without the parameters
  // the error names (without all of them when it names none).
  function showStopped(status) {
    const said = errorLines.join('\n') || 'The game stopped with status ' + status + '.';
    let bad = Object.keys(flagParams).filter((f) => said.includes(f)).map((f) => flagParams[f]);
    if (bad.length === 0) bad = ['seed', 'frames', 'fps', 'input'];
    bad = [...new Set(bad)].filter((p) => params.has(p));
    barEl.classList.remove('busy');
    loadingEl.hidden = true;
    messageEl.textContent = '';
    const text = document.createElement('pre');
    text.id = 'delve-error';
    text.textContent = said;
    messageEl.appendChild(text);
    const url = new URL(window.location.href);
    bad.forEach((p) => url.searchParams.delete(p));
    const link = document.createElement('a');
    link.href = url.href;
    link.textContent = bad.length ? 'Start the game without ' + bad.map((p) => p + '=').join(', ')
      : 'Start the game again';
    messageEl.appendChild(link);
    results.stopped = { text: said, html: messageEl.innerHTML, link: link.href,
      busy: barEl.classList.contains('busy'), loading: !loadingEl.hidden };
  }

  function setStatus(text) {
    const m = /\((\d+(\.\d+)?)\/(\d+)\)/.exec(text || '');
    if (m) fillEl.style.width = (100 * Number(m[1]) / Number(m[3])).toFixed(1) + '%';
    if (m) statusEl.textContent = 'Loading the pictures…';
  }

  window.Module = {
    canvas: canvas,
    arguments: args,
    noInitialRun: false,
    print: (t) => console.log(t),
    printErr: (t) => {
      console.warn(t);
      keepError(String(t));
    },
    setStatus: setStatus,
    // The world is made between the last download and the first frame,
    // without a chance for the page to draw: the bar sweeps on its own.
    monitorRunDependencies: (left) => {
      if (left === 0) {
        statusEl.textContent = 'Generating the world…';
        fillEl.style.width = '';
        barEl.classList.add('busy');
      } else {
        statusEl.textContent = 'Loading the pictures…';
      }
    },
    preRun: [function () {
      FS.mkdir(SaveDir);
      FS.mount(IDBFS, {}, SaveDir);
      addRunDependency('delve-saves');
      FS.syncfs(true, (err) => {
        if (err) console.error('delve: reading saves from IndexedDB failed', err);
        removeRunDependency('delve-saves');
      });
      const settings = stored(SettingsKey);
      if (settings !== null) {
        FS.mkdirTree(SettingsPath.substring(0, SettingsPath.lastIndexOf('/')));
        FS.writeFile(SettingsPath, settings);
      }
      // The screenshot and the settings are put in place by a rename.
      const rename = FS.rename;
      FS.rename = (from, to) => {
        rename(from, to);
        offerScreenshot(to);
        keepSettings(from, to);
      };
      if (eventsUrl) {
        addRunDependency('delve-events');
        fetch(eventsUrl).then((r) => r.text()).then((text) => {
          pageEvents = parsePageEvents(text);
          removeRunDependency('delve-events');
        }).catch((e) => {
          messageEl.textContent = 'The event script ' + eventsUrl + ' could not be read: ' + e;
          removeRunDependency('delve-events');
        });
      }
      if (scriptUrl) {
        addRunDependency('delve-input');
        fetch(scriptUrl).then((r) => {
          if (!r.ok) throw new Error(r.status + ' ' + r.statusText);
          return r.text();
        }).then((text) => {
          FS.writeFile(ScriptPath, text);
          removeRunDependency('delve-input');
        }).catch((e) => {
          messageEl.textContent = 'The input script ' + scriptUrl + ' could not be read: ' + e;
          removeRunDependency('delve-input');
        });
      }
    }],
    onCanvasResized: (w, h) => {
      canvas.style.aspectRatio = w + ' / ' + h;
    },
    onFramePresented: () => {
      const now = performance.now();
      presented += 1;
      if (firstFrameMs === null) {
        firstFrameMs = now - started;
        loadingEl.hidden = true;
        canvas.focus();
        results.timing = { firstFrameMs: Math.round(firstFrameMs) };
        resultElement('delve-timing').textContent = JSON.stringify(results.timing);
      }
      // Frame F of the main loop is the (F + 1)-th picture presented.
      if (shots.has(presented - 1)) {
        const png = canvas.toDataURL('image/png');
        resultElement('delve-shot-' + (presented - 1)).textContent = png;
        results['shot' + (presented - 1)] = png;
        shots.delete(presented - 1);
        // A run without a frame limit (a paced game on the real clock)
        // reports once it has taken its pictures.
        if (reportName && !frames && shots.size === 0) postResults();
      }
      if (pageEvents.length) dispatchPageEventsBefore(presented);
      if (showFps) {
        if (fpsFrames === 0) fpsStart = now;
        fpsFrames += 1;
        if (now - fpsStart >= 1000) {
          const fps = (fpsFrames - 1) * 1000 / (now - fpsStart);
          fpsSamples.push(fps);
          document.title = 'Delve – ' + fps.toFixed(1) + ' fps';
          results.fps = { fps: Math.round(fps * 10) / 10,
            samples: fpsSamples.map((f) => Math.round(f * 10) / 10), presented: presented };
          resultElement('delve-fps').textContent = JSON.stringify(results.fps);
          fpsFrames = 0;
        }
      }
    },
    onMessageBox: (title, text) => { messageEl.textContent = title + ': ' + text; },
    // A crash ends the program without an exit status; it is shown the same way.
    onAbort: (what) => {
      keepError('delve: stopped: ' + what);
      showStopped('abort');
      results.exit = 'abort';
      if (reportName) postResults();
    },
    onExit: (status) => {
      // The dump goes out only once the saves are in IndexedDB, so a page
      // that shows the result can be reloaded and find them.
      whenSynced(() => {
        try {
          if (FS.analyzePath(StatePath).exists) {
            const text = FS.readFile(StatePath, { encoding: 'utf8' });
            resultElement('delve-state').textContent = text;
            results.state = JSON.parse(text);
          }
        } catch (e) {
          messageEl.textContent = 'No state dump: ' + e;
        }
        results.exit = status;
        resultElement('delve-exit').textContent = String(status);
        if (status !== 0) showStopped(status);
        else if (!frames) messageEl.textContent = 'The game has ended. Reload the page to play again.';
        if (reportName && (frames || status !== 0)) postResults();
      });
    },
  };
})();
