// The page around the game: loading, scaling the 800 x 700 picture to the
// window, fullscreen, keyboard focus and the hint until sound may start.
'use strict';

const canvas = document.getElementById('canvas');
const stage = document.getElementById('stage');
const loading = document.getElementById('loading');
const statusText = document.getElementById('status');
const progress = document.getElementById('progress');
const problem = document.getElementById('problem');
const hint = document.getElementById('hint');
const crisp = document.getElementById('crisp');

function showProblem(text) {
    loading.hidden = true;
    hint.hidden = true;
    problem.textContent = text;
    problem.hidden = false;
}

// The largest size that fits the stage at the picture's shape; sharp pixels
// take the largest whole number of device pixels a game pixel.
function fit() {
    const w = canvas.width, h = canvas.height;
    let scale = Math.min(stage.clientWidth / w, stage.clientHeight / h);
    const ratio = window.devicePixelRatio || 1;
    if (crisp.checked && scale * ratio >= 1) {
        scale = Math.floor(scale * ratio) / ratio;
    }
    canvas.style.width = `${w * scale}px`;
    canvas.style.height = `${h * scale}px`;
    canvas.classList.toggle('crisp', crisp.checked);
}

// SDL sizes the canvas to the window it makes (after a 1 x 1 probe of the
// page's own sizing: a canvas the page sizes would become a window that
// follows the page); the page scales it only from then on, so the game
// keeps drawing 800 x 700 and the browser does the scaling.
new MutationObserver(() => {
    if ((canvas.width !== 1 || canvas.height !== 1) && !canvas.classList.contains('ready')) {
        canvas.classList.add('ready');
        loading.hidden = true;
        fit();
        canvas.focus();
    }
}).observe(canvas, { attributes: true, attributeFilter: ['width', 'height'] });
window.addEventListener('resize', () => canvas.classList.contains('ready') && fit());
document.addEventListener('fullscreenchange', fit);

crisp.checked = localStorage.getItem('zoduzor.crisp') === '1';
crisp.addEventListener('change', () => {
    localStorage.setItem('zoduzor.crisp', crisp.checked ? '1' : '0');
    fit();
    canvas.focus();
});
document.getElementById('fullscreen').addEventListener('click', () => {
    if (document.fullscreenElement) {
        document.exitFullscreen();
    } else if (stage.requestFullscreen) {
        stage.requestFullscreen().catch(() => {});
    }
    canvas.focus();
});
// Keys go to the game once it was clicked, and stay there.
stage.addEventListener('pointerdown', () => canvas.focus());

// Browsers start sound only after a gesture; SDL resumes it on the first
// click or key, and the hint shows until then.
let gesture = false;
for (const kind of ['pointerdown', 'keydown']) {
    window.addEventListener(kind, () => { gesture = true; }, { capture: true, once: true });
}
// Whether sound plays, or there is none to wait for (no sound device).
function soundSettled() {
    const sdl = window.Module && Module.SDL2;
    const audio = sdl && sdl.audioContext;
    return audio ? audio.state === 'running' : gesture;
}
function watchSound() {
    if (soundSettled()) {
        hint.hidden = true;
        return;
    }
    hint.hidden = false;
    setTimeout(watchSound, 250);
}

// Copies what the game wrote in its folder to IndexedDB (only what changed):
// after each of its saves and when the page is left. A request made while a
// copy runs starts one more afterwards.
let saving = false;
let saveAgain = false;
function savePlayerFiles() {
    if (!window.Module || !Module.FS) return;
    if (saving) {
        saveAgain = true;
        return;
    }
    saving = true;
    saveAgain = false;
    Module.FS.syncfs(false, (err) => {
        saving = false;
        if (err) console.error(`The game's files could not be saved: ${err}`);
        if (saveAgain) savePlayerFiles();
    });
}
window.addEventListener('pagehide', savePlayerFiles);
document.addEventListener('visibilitychange', savePlayerFiles);

// The link to the newest kept replay; their names begin with the date and
// time the game ended ("2026-12-08_20-15-03_score-..."), equal ones tell
// apart by when the file was written.
const replayLink = document.getElementById('replay');
const noReplay = document.getElementById('no-replay');
const replaysFolder = '/player/zoduzor/replays';
function newestReplay() {
    const FS = Module.FS;
    let newest = null;
    let names = [];
    try {
        names = FS.readdir(replaysFolder);
    } catch {
        return null; // no folder yet
    }
    for (const name of names) {
        if (!/^\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d.*\.replay$/.test(name)) continue;
        const file = `${replaysFolder}/${name}`;
        const st = FS.stat(file);
        if (!FS.isFile(st.mode)) continue;
        const key = [name.slice(0, 19), st.mtime.getTime()];
        if (!newest || key[0] > newest.key[0] || (key[0] === newest.key[0] && key[1] > newest.key[1])) {
            newest = { name, file, key };
        }
    }
    return newest;
}
function showNewestReplay() {
    const newest = window.Module && Module.FS ? newestReplay() : null;
    if (replayLink.href) URL.revokeObjectURL(replayLink.href);
    if (newest) {
        const blob = new Blob([Module.FS.readFile(newest.file)], { type: 'text/plain' });
        replayLink.href = URL.createObjectURL(blob);
        replayLink.download = newest.name;
        replayLink.title = newest.name;
    } else {
        replayLink.removeAttribute('href');
    }
    replayLink.hidden = !newest;
    noReplay.hidden = !!newest;
}
replayLink.addEventListener('click', () => setTimeout(() => canvas.focus(), 0));

if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    showProblem('This browser cannot run WebAssembly, which the game needs.\n' +
        'Any current Firefox, Chrome, Edge or Safari can (WebAssembly may be switched off here).');
} else {
    window.Module = {
        canvas,
        arguments: [],
        preRun: [() => {
            // The content packed with the page; the player's own folder
            // ($XDG_DATA_HOME/zoduzor) kept in the browser's IndexedDB.
            Module.ENV.ZODUZOR_DIR = '/game';
            Module.ENV.XDG_DATA_HOME = '/player';
            const FS = Module.FS;
            FS.mkdir('/player');
            FS.mount(FS.filesystems.IDBFS, {}, '/player');
            Module.addRunDependency('player-files');
            FS.syncfs(true, (err) => {
                if (err) console.error(`The saved files could not be read: ${err}`);
                Module.removeRunDependency('player-files');
            });
        }],
        // Called by the game after each save (storage_system_web.cpp); the copy
        // waits until the game next yields, so all it did in one go is in.
        onFileSaved: () => setTimeout(() => {
            savePlayerFiles();
            showNewestReplay();
        }, 0),
        print: (text) => console.log(text),
        printErr: (text) => console.error(text),
        setStatus: (text) => {
            // "Downloading data... (loaded/total)" while the content comes.
            const m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
            if (m) {
                progress.value = Number(m[1]) / Number(m[2]);
                statusText.textContent = `Loading… ${Math.round(Number(m[2]) / 1048576)} MB`;
            } else if (text) {
                statusText.textContent = text;
            }
        },
        onRuntimeInitialized: () => {
            // A content folder that cannot be written sends the player's
            // files to the player's own folder.
            Module.FS.chmod('/game', 0o555);
            statusText.textContent = 'Starting…';
            watchSound();
            showNewestReplay();
        },
        onAbort: (what) => showProblem(`The game stopped: ${what}\nReload the page to play again.`),
        onExit: (code) => showProblem(code === 0
            ? 'Zoduzor has ended. Reload the page to play again.'
            : `Zoduzor stopped (code ${code}). Reload the page to play again.`),
    };
    const script = document.createElement('script');
    script.src = 'zoduzor.js';
    script.onerror = () => showProblem('The game could not be loaded. Reload the page to try again.');
    document.body.appendChild(script);
}
