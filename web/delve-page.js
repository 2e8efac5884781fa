// The page around the game: command line from the URL, saves in IndexedDB,
// the loading bar, screenshots offered as downloads, and the results the
// automated runs read from the page.
//
// URL parameters:
//   seed=N      the world's seed (else one from the time)
//   frames=N    run N frames on the virtual clock, then write the state dump
//               into <pre id="delve-state">
//   input=URL   an input script, played as on the desktop (--input)
//   fps=1       show the frame rate and write it into <pre id="delve-fps">
//   shot=F,...  after frame F, the canvas as a PNG data URL in
//               <pre id="delve-shot-F"> (for tests)
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

  function number(name) {
    const v = params.get(name);
    return v !== null && /^[0-9]+$/.test(v) ? v : null;
  }

  const args = ['--data-dir', '/data', '--save-dir', SaveDir];
  const seed = number('seed');
  if (seed !== null) args.push('--seed', seed);
  const frames = number('frames');
  if (frames !== null) args.push('--frames', frames, '--fast-clock', '--dump-state', StatePath);
  const scriptUrl = params.get('input');
  if (scriptUrl) args.push('--input', ScriptPath);
  const shots = new Set((params.get('shot') || '').split(',').filter((s) => /^[0-9]+$/.test(s))
    .map(Number));
  const showFps = params.get('fps') === '1';

  // Saves are synced to IndexedDB after every change below the save folder;
  // one sync at a time, and one more when something changed during it.
  let syncing = false, syncAgain = false, syncWaiters = [];
  function syncSaves() {
    if (syncing) { syncAgain = true; return; }
    syncing = true;
    FS.syncfs(false, (err) => {
      if (err) console.error('delve: saving to IndexedDB failed', err);
      syncing = false;
      if (syncAgain) { syncAgain = false; syncSaves(); return; }
      const waiters = syncWaiters; syncWaiters = [];
      waiters.forEach((w) => w());
    });
  }
  function whenSynced(done) {
    if (!syncing) { done(); return; }
    syncWaiters.push(done);
  }

  // F12 writes a PNG below the pictures folder; the page offers it.
  function offerScreenshot(path) {
    if (!/\/Pictures\/delve\/[^/]+\.png$/.test(path)) return;
    const bytes = FS.readFile(path);
    const url = URL.createObjectURL(new Blob([bytes], { type: 'image/png' }));
    const a = document.createElement('a');
    a.href = url;
    a.download = path.substring(path.lastIndexOf('/') + 1);
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  function underSaves(path) { return path === SaveDir || path.startsWith(SaveDir + '/'); }

  let presented = 0, firstFrameMs = null, fpsStart = 0, fpsFrames = 0;
  const fpsSamples = [];

  function setStatus(text) {
    const m = /\((\d+(\.\d+)?)\/(\d+)\)/.exec(text || '');
    if (m) fillEl.style.width = (100 * Number(m[1]) / Number(m[3])).toFixed(1) + '%';
    if (text) statusEl.textContent = text.replace(/\(.*\)/, '').trim() || statusEl.textContent;
  }

  window.Module = {
    canvas: canvas,
    arguments: args,
    noInitialRun: false,
    print: (t) => console.log(t),
    printErr: (t) => console.warn(t),
    setStatus: setStatus,
    preRun: [function () {
      FS.mkdir(SaveDir);
      FS.mount(IDBFS, {}, SaveDir);
      addRunDependency('delve-saves');
      FS.syncfs(true, (err) => {
        if (err) console.error('delve: reading saves from IndexedDB failed', err);
        removeRunDependency('delve-saves');
      });
      // Files are put in place by a rename, removed by unlink, written up
      // to a close: each of these below the save folder starts a sync.
      const rename = FS.rename, unlink = FS.unlink, close = FS.close;
      FS.rename = (from, to) => {
        rename(from, to);
        if (underSaves(to) || underSaves(from)) syncSaves();
        offerScreenshot(to);
      };
      FS.unlink = (path) => {
        unlink(path);
        if (underSaves(path)) syncSaves();
      };
      FS.close = (stream) => {
        const path = stream && stream.path;
        close(stream);
        if (path && underSaves(path)) syncSaves();
      };
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
      // The world is made between here and the first frame, without a
      // chance for the page to draw: the bar sweeps on its own.
      Module.monitorRunDependencies = (left) => {
        if (left === 0) {
          statusEl.textContent = 'Generating the world…';
          barEl.classList.add('busy');
        }
      };
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
        resultElement('delve-timing').textContent =
          JSON.stringify({ firstFrameMs: Math.round(firstFrameMs) });
      }
      // Frame F of the main loop is the (F + 1)-th picture presented.
      if (shots.has(presented - 1))
        resultElement('delve-shot-' + (presented - 1)).textContent = canvas.toDataURL('image/png');
      if (showFps) {
        if (fpsFrames === 0) fpsStart = now;
        fpsFrames += 1;
        if (now - fpsStart >= 1000) {
          const fps = (fpsFrames - 1) * 1000 / (now - fpsStart);
          fpsSamples.push(fps);
          document.title = 'Delve – ' + fps.toFixed(1) + ' fps';
          resultElement('delve-fps').textContent = JSON.stringify({
            fps: Math.round(fps * 10) / 10, samples: fpsSamples.map((f) => Math.round(f * 10) / 10),
            presented: presented });
          fpsFrames = 0;
        }
      }
    },
    onMessageBox: (title, text) => { messageEl.textContent = title + ': ' + text; },
    onExit: (status) => {
      // The dump goes out only once the saves are in IndexedDB, so a page
      // that shows the result can be reloaded and find them.
      whenSynced(() => {
        try {
          if (FS.analyzePath(StatePath).exists)
            resultElement('delve-state').textContent = FS.readFile(StatePath, { encoding: 'utf8' });
        } catch (e) {
          messageEl.textContent = 'No state dump: ' + e;
        }
        resultElement('delve-exit').textContent = String(status);
        if (!frames) messageEl.textContent = 'The game has ended. Reload the page to play again.';
      });
    },
  };
})();
