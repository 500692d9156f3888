// The web build in Debian's headless Chromium: the page loads, the main menu
// shows exactly what the desktop game paints headless, keys reach the options
// and back, a changed option survives a reload, a game plays and fires, and
// the replay it keeps downloads from the page and verifies on the desktop.
// Run by tests/web/run.sh (node --test).
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const www = process.env.ZODUZOR_WEB_WWW;
const desktop = process.env.ZODUZOR_DESKTOP_BINARY;
const content = process.env.ZODUZOR_CONTENT;
const browserPath = process.env.ZODUZOR_CHROMIUM;

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zoduzor-web-'));
let server, context, page, url;
const pageErrors = [];

// The desktop game's headless pictures of the same screens, as references.
function desktopShots() {
    const dir = path.join(work, 'desktop');
    fs.mkdirSync(dir);
    for (const sub of ['data', 'res']) {
        fs.cpSync(path.join(content, sub), path.join(dir, sub), { recursive: true });
    }
    // The options, the theme one step on, back through Return (which writes
    // the settings), the options opened again, and a game begun.
    const toReturn = ['+100 press VK_DOWN', '+100 press VK_DOWN', '+100 press VK_DOWN',
        '+100 press VK_DOWN', '+100 press VK_RETURN'];
    fs.writeFileSync(path.join(dir, 'shots.script'), [
        '1000 screenshot menu.png',
        '+100 press VK_DOWN', '+100 press VK_DOWN', '+100 press VK_RETURN',
        '+1000 screenshot options.png',
        '+100 press VK_RIGHT',
        '+1000 screenshot changed.png',
        ...toReturn,
        '+1000 screenshot back.png',
        '+100 press VK_DOWN', '+100 press VK_DOWN', '+100 press VK_RETURN',
        '+1000 screenshot reopened.png',
        ...toReturn,
        '+500 press VK_RETURN',
        '+1000 screenshot playing.png',
        '+100 quit', ''].join('\n'));
    execFileSync(desktop, ['--dir', dir, '--headless', '--script', 'shots.script'],
        { stdio: 'inherit', timeout: 60000 });
    const shots = {};
    for (const name of ['menu', 'options', 'changed', 'back', 'reopened', 'playing']) {
        shots[name] = fs.readFileSync(path.join(dir, `${name}.png`)).toString('base64');
    }
    return shots;
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
    '.wasm': 'application/wasm', '.data': 'application/octet-stream' };

function serve() {
    return new Promise((resolve) => {
        const s = http.createServer((req, res) => {
            const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
            const file = path.join(www, name === '/' ? 'index.html' : path.normalize(name));
            if (!file.startsWith(www) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
                res.writeHead(404).end();
                return;
            }
            res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
            fs.createReadStream(file).pipe(res);
        });
        s.listen(0, '127.0.0.1', () => resolve(s));
    });
}

// How many pixels of the game's canvas differ from a PNG (given in base64)
// by more than a little in any channel, in the columns left of `width`; -1
// while the canvas has no picture.
async function differing(png, width = 800) {
    return page.evaluate(async ([b64, width]) => {
        const canvas = document.getElementById('canvas');
        if (canvas.width !== 800 || canvas.height !== 700) return -1;
        const bytes = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));
        const ref = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
        const read = (source) => {
            const c = new OffscreenCanvas(800, 700);
            const g = c.getContext('2d');
            g.drawImage(source, 0, 0);
            return g.getImageData(0, 0, 800, 700).data;
        };
        const a = read(ref), b = read(canvas);
        let count = 0;
        for (let i = 0; i < a.length; i += 4) {
            if ((i / 4) % 800 >= width) continue;
            if (Math.abs(a[i] - b[i]) > 8 || Math.abs(a[i + 1] - b[i + 1]) > 8 ||
                Math.abs(a[i + 2] - b[i + 2]) > 8) {
                count++;
            }
        }
        return count;
    }, [png, width]);
}

// Waits until the canvas shows the picture (none or a few pixels off).
async function waitForPicture(png, what, timeoutMs = 30000, width = 800) {
    const end = Date.now() + timeoutMs;
    let last = -1;
    while (Date.now() < end) {
        last = await differing(png, width);
        if (last >= 0 && last <= 800 * 700 / 1000) return last;
        await page.waitForTimeout(100);
    }
    await page.screenshot({ path: path.join(work, `${what}-failed.png`) });
    assert.fail(`the page never showed the ${what} (${last} pixels differ; see ${work})`);
}

// Processor time (ms) used so far by the browser (the process started with
// our profile) and every process under it.
function browserCpuMs() {
    const tick = 1000 / Number(execFileSync('getconf', ['CLK_TCK']).toString());
    const procs = new Map();
    for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
        try {
            const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
            const own = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes(work);
            procs.set(pid, { ppid: fields[1], own, ms: (Number(fields[11]) + Number(fields[12])) * tick });
        } catch {
            // gone meanwhile
        }
    }
    const ours = (pid) => {
        for (let p = procs.get(pid); p; p = procs.get(p.ppid)) {
            if (p.own) return true;
        }
        return false;
    };
    let total = 0;
    for (const [pid, p] of procs) {
        if (ours(pid)) total += p.ms;
    }
    return total;
}

async function cpuShare(ms) {
    const before = browserCpuMs();
    await page.waitForTimeout(ms);
    return (browserCpuMs() - before) / ms;
}

// The player's files in the page's file system that IndexedDB does not hold
// as they are.
async function unsavedFiles() {
    return page.evaluate(async () => {
        const db = await new Promise((resolve, reject) => {
            const open = indexedDB.open('/player');
            open.onsuccess = () => resolve(open.result);
            open.onerror = () => reject(open.error);
        });
        const stored = await new Promise((resolve, reject) => {
            const all = new Map();
            const walk = db.transaction('FILE_DATA').objectStore('FILE_DATA').openCursor();
            walk.onsuccess = () => {
                const at = walk.result;
                if (!at) return resolve(all);
                all.set(at.key, at.value.contents);
                at.continue();
            };
            walk.onerror = () => reject(walk.error);
        });
        db.close();
        const FS = Module.FS;
        const differ = [];
        const visit = (dir) => {
            for (const name of FS.readdir(dir).filter((n) => n !== '.' && n !== '..')) {
                const file = `${dir}/${name}`;
                if (FS.isDir(FS.stat(file).mode)) {
                    visit(file);
                    continue;
                }
                const now = FS.readFile(file), kept = stored.get(file);
                if (!kept || kept.length !== now.length || now.some((b, i) => b !== kept[i])) {
                    differ.push(file);
                }
            }
        };
        visit('/player');
        return differ;
    });
}

// Waits until IndexedDB holds the player's files as the game left them.
async function waitForSaved(what) {
    const end = Date.now() + 3000;
    let left = await unsavedFiles();
    while (left.length && Date.now() < end) {
        await page.waitForTimeout(100);
        left = await unsavedFiles();
    }
    assert.deepStrictEqual(left, [], `${what} did not reach the browser's storage`);
}

// Pixels of a shot (bright cyan, unlike the white stars) in a strip of the
// play field above the ship where it starts (its centre at 500, 500).
async function shotPixels() {
    return page.evaluate(() => {
        const c = new OffscreenCanvas(800, 700);
        const g = c.getContext('2d');
        g.drawImage(document.getElementById('canvas'), 0, 0);
        const d = g.getImageData(496, 150, 9, 310).data;
        let count = 0;
        for (let i = 0; i < d.length; i += 4) {
            if (d[i + 2] >= 235 && d[i + 2] - d[i] >= 40) count++;
        }
        return count;
    });
}

// From the options' first row through their Return button to the main menu.
async function leaveOptions() {
    for (const key of ['ArrowDown', 'ArrowDown', 'ArrowDown', 'ArrowDown', 'Enter']) {
        await page.keyboard.press(key);
    }
    await waitForPicture(shots.back, 'main menu after the options');
}

let shots;

before(async () => {
    shots = desktopShots();
    server = await serve();
    url = `http://127.0.0.1:${server.address().port}/`;
    context = await chromium.launchPersistentContext(path.join(work, 'profile'), {
        executablePath: browserPath,
        headless: true,
        viewport: { width: 1000, height: 900 },
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    page = context.pages()[0] || await context.newPage();
    page.on('pageerror', (e) => pageErrors.push(String(e)));
    page.on('console', (m) => m.type() === 'error' && console.log(`page: ${m.text()}`));
});

after(async () => {
    if (context) await context.close();
    if (server) server.close();
    if (!process.exitCode) fs.rmSync(work, { recursive: true, force: true });
});

test('the page loads the game and shows the main menu as the desktop paints it', async () => {
    const start = Date.now();
    await page.goto(url);
    await page.waitForSelector('#canvas.ready', { timeout: 60000 });
    const off = await waitForPicture(shots.menu, 'main menu', 60000);
    console.log(`time to the menu: ${Date.now() - start} ms; ${off} pixels differ from the desktop's`);
    assert.strictEqual(await page.isHidden('#loading'), true, 'the loading bar stays');
    // The picture keeps the game's shape at any size of the window.
    for (const size of [{ width: 640, height: 900 }, { width: 1600, height: 500 }]) {
        await page.setViewportSize(size);
        const box = await page.locator('#canvas').boundingBox();
        assert.ok(Math.abs(box.width / box.height - 8 / 7) < 0.01, `shape ${box.width} x ${box.height}`);
        assert.ok(box.width <= size.width && box.y + box.height <= size.height, 'the picture fits');
    }
    await page.setViewportSize({ width: 1000, height: 900 });
    assert.deepStrictEqual(pageErrors, []);
});

test('keys reach the options and lead back, and the first key lets sound start', async () => {
    // Headless Chromium sometimes lets sound start without a gesture; the hint
    // shows exactly while it waits for one.
    const sound = () => page.evaluate(() => Module.SDL2 && Module.SDL2.audioContext &&
        Module.SDL2.audioContext.state);
    const before = await sound();
    assert.strictEqual(await page.isVisible('#hint'), before !== 'running', `sound ${before}`);
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    await waitForPicture(shots.options, 'options');
    await page.waitForSelector('#hint', { state: 'hidden', timeout: 5000 });
    assert.strictEqual(await sound(), 'running');
    await page.keyboard.press('ArrowRight');
    await waitForPicture(shots.changed, 'options with the theme changed');
    await leaveOptions();
    assert.deepStrictEqual(pageErrors, []);
});

test('a changed option survives a reload of the page', async () => {
    // Leaving the options saved the settings; the page copies them at once.
    await waitForSaved('the changed settings');
    await page.reload();
    await page.waitForSelector('#canvas.ready', { timeout: 60000 });
    await waitForPicture(shots.menu, 'main menu after the reload', 60000);
    for (const key of ['ArrowDown', 'ArrowDown', 'Enter']) {
        await page.keyboard.press(key);
    }
    await waitForPicture(shots.reopened, 'options with the changed theme kept');
    await leaveOptions();
    assert.deepStrictEqual(pageErrors, []);
});

test('a game starts and the ship fires', async () => {
    const idle = await cpuShare(3000);
    await page.keyboard.press('Enter');
    // The panel left of the play field, as the desktop shows it at the start.
    await waitForPicture(shots.playing, 'play screen', 30000, 195);
    await page.waitForTimeout(2000); // past the level's announcement
    const before = await shotPixels();
    assert.ok(before <= 2, `something like a shot above the ship before firing (${before} pixels)`);
    await page.keyboard.down('Space');
    const end = Date.now() + 3000;
    let fired = 0;
    while (Date.now() < end && fired < 10) {
        await page.waitForTimeout(20);
        fired = await shotPixels();
    }
    const playing = await cpuShare(5000);
    await page.keyboard.up('Space');
    assert.ok(fired >= 10, `no shot above the ship (${fired} pixels)`);
    console.log(`browser CPU: idle menu ${(idle * 100).toFixed(1)} % of a core, ` +
        `a game in play ${(playing * 100).toFixed(1)} %`);
    assert.deepStrictEqual(pageErrors, []);
});

test('a game given up keeps a replay that the page offers and the desktop verifies', async () => {
    assert.strictEqual(await page.isVisible('#no-replay'), true, 'a replay before any game ended');
    assert.strictEqual(await page.isHidden('#replay'), true);
    // Escape pauses, a second one gives up; a score worth keeping asks for a name.
    await page.keyboard.press('Escape');
    await page.waitForTimeout(500);
    await page.keyboard.press('Escape');
    try {
        await page.waitForSelector('#replay', { state: 'visible', timeout: 5000 });
    } catch {
        await page.keyboard.type('Web');
        await page.keyboard.press('Enter');
        await page.waitForSelector('#replay', { state: 'visible', timeout: 15000 });
    }
    assert.strictEqual(await page.isHidden('#no-replay'), true);
    await waitForSaved('the kept replay');

    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#replay')]);
    const name = download.suggestedFilename();
    assert.match(name, /^\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_score-\d+_level-1\.replay$/);
    console.log(`kept replay: ${name}`);
    const file = path.join(work, name);
    await download.saveAs(file);
    const kept = await page.evaluate((n) => Array.from(Module.FS.readFile(`/player/zoduzor/replays/${n}`)), name);
    assert.deepStrictEqual([...fs.readFileSync(file)], kept, 'the download is not the kept replay');
    const out = execFileSync(desktop, ['--dir', path.join(work, 'desktop'), '--headless', '--replay', file],
        { timeout: 120000 }).toString();
    assert.strictEqual(out, 'ok\n');
    assert.deepStrictEqual(pageErrors, []);
});

test('a browser without WebAssembly gets a message and loads nothing of the game', async () => {
    const other = await context.newPage();
    await other.addInitScript(() => {
        delete globalThis.WebAssembly;
    });
    const requested = [];
    other.on('request', (r) => requested.push(new URL(r.url()).pathname));
    await other.goto(url);
    await other.waitForSelector('#problem', { timeout: 10000 });
    assert.match(await other.textContent('#problem'), /cannot run WebAssembly/);
    assert.strictEqual(await other.isHidden('#loading'), true);
    assert.deepStrictEqual(requested.filter((p) => p.startsWith('/zoduzor.')), []);
    await other.close();
});
