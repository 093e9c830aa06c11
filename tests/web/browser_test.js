// The browser build in Debian's chromium, played as a player would: the intro
// screen, a ride, the menu, Save and reload, Quit, and the pace of the ride.
//   node browser_test.js BUILD_WEB_DIR
// TRAKMOR_WEB_RIDES_ONLY=1 runs the rides alone; TRAKMOR_WEB_ALL_FRAMES=1 adds
// figures for every frame length, quiet and beside a busy process.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const ROOT = path.resolve(__dirname, '..', '..');
// The test page (test-site/): the page players get, with a look into the game's state.
const BUILD = path.join(path.resolve(process.argv[2] || path.join(ROOT, 'build-web')), 'test-site');
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const PACE_SECONDS = 5;
// The rides are judged on a page that shows the picture at 2x exactly, as it
// comes from the game; the page's smooth step is measured apart.
const RIDE_VIEWPORT = { width: 1300, height: 1000 };
const SMOOTH_VIEWPORT = { width: 1000, height: 800 };
// Cores that programs other than this test, its browser and its server may
// keep busy while the pace is judged.
const OTHERS_BUSY_CORES = 0.5;
const PACE_LEAST = 0.93;

let passed = 0;
let failed = 0;
const figures = [];
function check(name, ok, detail) {
  if (ok) passed++;
  else failed++;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail ? ` (${detail})` : ''}`);
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function startServer() {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', [path.join(ROOT, 'tools/web/serve.py'), BUILD, '--port', '0'],
      { stdio: ['ignore', 'pipe', 'inherit'] });
    server.on('error', reject);
    server.stdout.on('data', (chunk) => {
      const m = /http:\/\/127\.0\.0\.1:\d+\//.exec(chunk.toString());
      if (m) resolve({ server, url: m[0] });
    });
    server.on('exit', (code) => reject(new Error(`the server exited with ${code}`)));
  });
}

// --- The machine: processor time of this test's own processes and of everything else.

const ownRoots = new Set([String(process.pid)]);
function machineTicks() {
  const cpu = fs.readFileSync('/proc/stat', 'utf8').split('\n')[0].trim().split(/\s+/).slice(1).map(Number);
  const total = cpu.reduce((a, b) => a + b, 0);
  const busy = total - cpu[3] - cpu[4];  // less idle and iowait
  const parent = new Map();
  const ticks = new Map();
  for (const pid of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(pid)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');  // from field 3, the state
      parent.set(pid, f[1]);
      ticks.set(pid, Number(f[11]) + Number(f[12]));  // utime, stime
    } catch (e) {
      // gone meanwhile
    }
  }
  let own = 0;
  for (const [pid, t] of ticks) {
    for (let p = pid, hops = 0; p && p !== '0' && hops < 64; p = parent.get(p), hops++) {
      if (ownRoots.has(p)) {
        own += t;
        break;
      }
    }
  }
  return { total, busy, own };
}
// Cores kept busy by programs other than ours between two samples.
function othersCores(a, b) {
  const total = b.total - a.total;
  if (total <= 0) return 0;
  return Math.max(0, (b.busy - a.busy) - (b.own - a.own)) / total * os.cpus().length;
}

// --- In the page.

const state = (page, name) => page.evaluate((n) => Module.trakmor.get(n), name);
const presents = (page) => page.evaluate(() => Module.trakmor.presents());

async function openGame(context, url, viewport = { width: 1000, height: 800 }) {
  const page = await context.newPage();
  watchConsole(page);
  // What the page asks of the browser: its animation frames and the keyboard lock.
  await page.evaluateOnNewDocument(() => {
    window.testSeen = { frames: 0, locks: [], exits: 0 };
    const exit = document.exitFullscreen.bind(document);
    document.exitFullscreen = () => {
      window.testSeen.exits++;
      return exit();
    };
    const raf = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (f) => {
      window.testSeen.frames++;
      return raf(f);
    };
    const k = navigator.keyboard;
    if (k && k.lock) {
      const lock = k.lock.bind(k);
      const unlock = k.unlock.bind(k);
      k.lock = (keys) => {
        window.testSeen.locks.push(`lock ${keys}`);
        return lock(keys);
      };
      k.unlock = () => {
        window.testSeen.locks.push('unlock');
        return unlock();
      };
    }
  });
  await page.setViewport(viewport);
  await page.goto(url);
  await introShown(page);
  return page;
}

// The game marks the moment its start-up has presented the intro screen.
const introShown = (page) => page.waitForFunction(
  () => performance.getEntriesByName('trakmor-intro-presented').length > 0, { polling: 'raf', timeout: 20000 });

const consoleErrors = [];
function watchConsole(page) {
  page.on('console', (msg) => {
    if (msg.type() === 'error') consoleErrors.push(msg.text());
  });
  page.on('pageerror', (err) => consoleErrors.push(String(err)));
  page.on('requestfailed', (req) => consoleErrors.push(`request failed: ${req.url()}`));
}

// A click at a point of the game's 640x480 picture, wherever and however large
// the page shows it.
async function clickAt(page, x, y) {
  const at = await page.evaluate((px, py) => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { x: r.left + (px + 0.5) * r.width / 640, y: r.top + (py + 0.5) * r.height / 480 };
  }, x, y);
  await page.mouse.click(at.x, at.y);
}

async function key(page, code) {
  await page.keyboard.press(code);
}

// The canvas as rows of RGBA bytes, hashed, or one pixel as #RRGGBB.
const pictureHash = (page) => page.evaluate(() => {
  const c = document.getElementById('canvas');
  const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  let h = 2166136261;
  for (let i = 0; i < d.length; i++) h = Math.imul(h ^ d[i], 16777619) >>> 0;
  return h;
});
const pixel = (page, x, y) => page.evaluate((px, py) => {
  const d = document.getElementById('canvas').getContext('2d').getImageData(px, py, 1, 1).data;
  return '#' + [d[0], d[1], d[2]].map((v) => v.toString(16).padStart(2, '0')).join('').toUpperCase();
}, x, y);

// The canvas against a reference picture (a PNG file) of the desktop build.
// Text is laid out without HarfBuzz in the browser, so its glyphs may sit a
// pixel apart: text boxes are compared by their amount of ink; the title is a
// JPEG, decoded by stb_image here, so it is compared with a small tolerance;
// every other pixel must be the same.
async function compareWith(page, pngFile, textBoxes, photo) {
  const png = fs.readFileSync(pngFile).toString('base64');
  return page.evaluate(async (data, boxes, jpeg) => {
    const bitmap = await createImageBitmap(await (await fetch('data:image/png;base64,' + data)).blob());
    const c = document.getElementById('canvas');
    if (bitmap.width !== c.width || bitmap.height !== c.height) return { size: false };
    const ref = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
    ref.drawImage(bitmap, 0, 0);
    const a = ref.getImageData(0, 0, c.width, c.height).data;
    const b = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const inBox = (x, y, r) => x >= r[0] && y >= r[1] && x < r[0] + r[2] && y < r[1] + r[3];
    const ink = boxes.map(() => [0, 0]);
    const result = { size: true, other: 0, photo: 0, ink };
    for (let y = 0; y < c.height; y++) {
      for (let x = 0; x < c.width; x++) {
        const i = (y * c.width + x) * 4;
        const d = Math.max(Math.abs(a[i] - b[i]), Math.abs(a[i + 1] - b[i + 1]), Math.abs(a[i + 2] - b[i + 2]));
        const box = boxes.findIndex((r) => inBox(x, y, r));
        if (box >= 0) {
          if (a[i] + a[i + 1] + a[i + 2] < 384) ink[box][0]++;
          if (b[i] + b[i + 1] + b[i + 2] < 384) ink[box][1]++;
        } else if (inBox(x, y, jpeg)) {
          if (d > 8) result.photo++;
        } else if (d) {
          result.other++;
        }
      }
    }
    return result;
  }, png, textBoxes, photo);
}

// The settings file as IndexedDB keeps it for the page's file system.
const storedSettings = (page) => page.evaluate(() => new Promise((resolve) => {
  const open = indexedDB.open('/trakmor');
  open.onerror = () => resolve(null);
  open.onsuccess = () => {
    const db = open.result;
    if (!db.objectStoreNames.contains('FILE_DATA')) return resolve(null);
    const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get('/trakmor/Trakmor_B.spd');
    get.onsuccess = () => resolve(get.result && get.result.contents ? Array.from(get.result.contents) : null);
    get.onerror = () => resolve(null);
  };
}));

// Scroll rate of the road over a stretch, measured in the page against the
// written one: one pixel per frame of 50000 / (speed x speed factor) us. Beside
// the game's own count of presents, the pictures the page shows are counted:
// at each display refresh a column of the canvas through the rocks beside the
// road is read, and a refresh whose column differs from the last shows a new
// picture (a frozen picture counts none, whatever the game believes).
const measurePace = (page, seconds) => page.evaluate(async (s) => {
  const t = Module.trakmor;
  const sample = () => ({
    at: performance.now(),
    tops: Number(t.get('Picturex(0).Top')) + Number(t.get('Picturex(1).Top')),
    score: Number(t.get('roadScore')),
    speed: Number(t.get('speed')),
    factor: Number(t.get('speedFactor')),
    presents: t.presents(),
    host: t.hostStats(),
  });
  const context = document.getElementById('canvas').getContext('2d');
  let last = -1;
  let shown = 0;
  let refreshes = 0;
  let watching = true;
  const look = () => {
    if (!watching) return;
    const d = context.getImageData(430, 0, 1, 480).data;
    let h = 2166136261;
    for (let i = 0; i < d.length; i++) h = Math.imul(h ^ d[i], 16777619) >>> 0;
    if (last >= 0 && h !== last) shown++;
    last = h;
    refreshes++;
    requestAnimationFrame(look);
  };
  await new Promise((r) => requestAnimationFrame(() => { look(); r(); }));
  const a = sample();
  const shownBefore = shown;
  const refreshesBefore = refreshes;
  await new Promise((r) => setTimeout(r, s * 1000));
  const b = sample();
  watching = false;
  const seconds = (b.at - a.at) / 1000;
  const scrolled = (b.tops - a.tops + 960 * (b.score - a.score)) / 2;
  return {
    ratio: scrolled / seconds / (20 * a.speed * a.factor),
    presentsPerSecond: (b.presents - a.presents) / seconds,
    shownPerSecond: (shown - shownBefore) / seconds,
    refreshesPerSecond: (refreshes - refreshesBefore) / seconds,
    presentUs: (b.host.presentUs - a.host.presentUs) / Math.max(1, b.presents - a.presents),
    longTurnUs: b.host.longTurnUs,
    steps: [b.host.composeUs, b.host.showUs].map((x) => x.toFixed(0)).join('/'),
    waitUs: (b.host.waitUs - a.host.waitUs) / Math.max(1, b.host.waits - a.host.waits),
    steady: a.speed === b.speed && a.factor === b.factor,
    frameUs: 50000 / (a.speed * a.factor),
    speed: a.speed,
  };
}, seconds);

// --- The checks.

async function introAndRide(context, url) {
  const opened = Date.now();
  const page = await openGame(context, url);
  const startMs = await page.evaluate(() => performance.getEntriesByName('trakmor-intro-presented')[0].startTime);
  figures.push(`intro screen presented ${startMs.toFixed(0)} ms after navigation (${Date.now() - opened} ms from the test's goto)`);
  await sleep(200);
  const intro = await compareWith(page, path.join(ROOT, 'tests/golden/intro.png'),
    [[60, 130, 541, 226], [380, 64, 171, 27], [410, 406, 127, 29], [236, 406, 131, 25]], [66, 34, 192, 88]);
  check('the intro screen has the desktop\'s pictures, panel and buttons', intro.size && intro.other === 0,
    `${intro.other} pixels differ`);
  check('the intro\'s title picture is the desktop\'s', intro.photo <= 192 * 88 / 100, `${intro.photo} pixels differ`);
  const inkOk = intro.ink.every(([want, got]) => want > 0 && Math.abs(got - want) <= want * 0.05);
  check('the intro\'s texts are drawn as on the desktop', inkOk, JSON.stringify(intro.ink));
  check('the intro panel\'s ground', await pixel(page, 20, 200) === '#80FFFF');
  check('the Start button\'s face', await pixel(page, 412, 428) === '#FFC080');
  const fit = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { w: r.width, h: r.height, rendering: getComputedStyle(document.getElementById('canvas')).imageRendering };
  });
  // 1000x768 of stage: 1x would leave most of it empty.
  check('the canvas fills the page\'s width', fit.w === 1000 && fit.h === 750, `${fit.w}x${fit.h}`);
  check('the canvas is drawn with square pixels', fit.rendering === 'pixelated', fit.rendering);

  const introHash = await pictureHash(page);
  await clickAt(page, 472, 420);  // Start
  await sleep(400);
  check('Start begins a ride', await state(page, 'gameRunning') === '-1' && await state(page, 'Picture4.Visible') === '0');
  check('Start changes the picture', await pictureHash(page) !== introHash);
  const audio = await page.evaluate(() => {
    const a = Module.trakmorAudio;
    return a ? { state: a.context.state, base: a.context.baseLatency, output: a.context.outputLatency } : null;
  });
  check('the first click lets sound play', audio && audio.state === 'running', JSON.stringify(audio));
  if (audio) {
    const ms = ((audio.base || 0) + (audio.output || 0)) * 1000;
    figures.push(`audio latency ${ms.toFixed(1)} ms (the audio context's base ${((audio.base || 0) * 1000).toFixed(1)} ms ` +
      `+ output ${((audio.output || 0) * 1000).toFixed(1)} ms); a cue starts as a buffer source with no buffer of ours before it`);
  }
  const standing = await pictureHash(page);
  await sleep(300);
  check('the road stands while the car stands', await pictureHash(page) === standing);

  await key(page, 'KeyQ');
  await sleep(300);
  check('Q changes gear', await state(page, 'speed') === '4', `speed ${await state(page, 'speed')}`);
  check('the status line shows gear 2', (await state(page, 'Label6.Caption')).includes('GEAR: 2/4'),
    await state(page, 'Label6.Caption'));
  const moving = await pictureHash(page);
  await sleep(300);
  check('the road scrolls', await pictureHash(page) !== moving);

  const carX = Number(await state(page, 'carX'));
  await key(page, 'KeyK');
  await sleep(1200);
  check('K steers the car one column left', Number(await state(page, 'carX')) === carX - 32,
    `carX ${carX} -> ${await state(page, 'carX')}`);
  check('the page did not scroll', await page.evaluate(() => window.scrollX === 0 && window.scrollY === 0));

  await key(page, 'Escape');
  await sleep(300);
  check('Escape opens the menu', await state(page, 'Picture2.Visible') === '-1' && await state(page, 'speed') === '1');
  check('the menu is drawn', await pixel(page, 166, 142) === '#FFC0C0', await pixel(page, 166, 142));
  return page;
}

async function saveAndReload(page) {
  const before = Number(await state(page, 'VScrollbar1.Value'));
  for (let i = 0; i < 3; i++) {
    await clickAt(page, 320, 284);  // the speed's up arrow
    await sleep(100);
  }
  const value = Number(await state(page, 'VScrollbar1.Value'));
  check('the speed arrows change the speed setting', value === before - 3, `${before} -> ${value}`);
  const saved = page.evaluate(() => new Promise((r) => { Module.onSettingsSaved = r; }));
  await clickAt(page, 356, 288);  // Save
  await Promise.race([saved, sleep(3000)]);
  const bytes = await storedSettings(page);
  const expected = Array.from(Buffer.from(`${value}\r\n`));
  check('Save keeps the desktop\'s bytes in IndexedDB', JSON.stringify(bytes) === JSON.stringify(expected),
    bytes ? Buffer.from(bytes).toString('hex') : 'nothing stored');

  await page.reload();
  await introShown(page);
  await sleep(200);
  check('the saved speed comes back after a reload', Number(await state(page, 'VScrollbar1.Value')) === value &&
    await state(page, 'sp.Caption') === String(501 - value), `${await state(page, 'VScrollbar1.Value')}`);
}

async function quitAndPlayAgain(page) {
  await clickAt(page, 472, 420);  // Start
  await sleep(300);
  await key(page, 'Escape');
  await sleep(300);
  await clickAt(page, 312, 236);  // Quit to Windows
  await page.waitForFunction(() => getComputedStyle(document.getElementById('ended')).display !== 'none',
    { timeout: 5000 }).catch(() => {});
  const text = await page.evaluate(() => document.getElementById('ended').innerText);
  check('Quit to Windows ends with "Trakmor has ended"', /Trakmor has ended/.test(text) &&
    await page.evaluate(() => getComputedStyle(document.getElementById('canvas')).display === 'none' ||
      getComputedStyle(document.getElementById('stage')).display === 'none'));
  const reason = await page.evaluate(() => {
    const r = document.getElementById('reason');
    return { shown: getComputedStyle(r).display !== 'none', text: r.textContent };
  });
  check('the end page shows no empty reason line', !reason.shown || reason.text.trim() !== '', JSON.stringify(reason));
  const framesAtEnd = await page.evaluate(() => window.testSeen.frames);
  await sleep(600);
  const framesLater = await page.evaluate(() => window.testSeen.frames);
  check('after Quit the page asks for no more animation frames', framesLater === framesAtEnd,
    `${framesLater - framesAtEnd} asked for in 0.6 s`);
  await page.click('#again');
  await introShown(page).catch(() => {});
  check('Play again starts the game anew', await state(page, 'gameRunning') === '0' &&
    await state(page, 'Picture4.Visible') === '-1');
}

// The page at the window sizes players have, a ride under way: the picture
// as large as fits, crisp. Each is kept as a PNG beside the build.
async function scaling(context, url, shots) {
  // Windows of 1280x720, 1920x1080 and 2560x1440 less the browser's own
  // frame and bars (9 by 148 pixels), and a page that takes 2x exactly.
  const sizes = [[1271, 572, 'window-1280x720'], [1911, 932, 'window-1920x1080'], [2551, 1292, 'window-2560x1440'],
    [1300, 1000, 'page-1300x1000']];
  const page = await openGame(context, `${url}?seed=7`, { width: 1300, height: 1000 });
  await clickAt(page, 472, 420);  // Start
  await sleep(300);
  await key(page, 'KeyQ');
  await sleep(1500);
  await key(page, 'Escape');  // the menu: the picture holds still for the comparison
  await sleep(300);
  fs.mkdirSync(shots, { recursive: true });
  for (const [width, height, name] of sizes) {
    await page.setViewport({ width, height });
    await sleep(300);
    const l = await page.evaluate(() => {
      const c = document.getElementById('canvas').getBoundingClientRect();
      const v = document.getElementById('view');
      const stage = document.getElementById('stage');
      return { x: c.left, y: c.top, w: c.width, h: c.height, stageW: stage.clientWidth, stageH: stage.clientHeight,
               view: getComputedStyle(v).display !== 'none',
               viewW: Number((v.dataset.size || '0,0').split(',')[0]), viewH: Number((v.dataset.size || '0,0').split(',')[1]),
               viewRendering: getComputedStyle(v).imageRendering };
    });
    const limit = Math.min(l.stageW / 640, l.stageH / 480);
    const filled = l.w / 640 / limit;
    const centred = Math.abs(l.x * 2 + l.w - l.stageW) <= 1 && Math.abs(l.y * 2 + l.h - l.stageH) <= 1;
    const whole = l.w % 640 === 0 && l.h === l.w * 0.75;
    check(`${name}: the picture fills at least 90 % of the page, centred`, filled >= 0.9 && filled <= 1.0001 && centred,
      `${l.w}x${l.h} in ${l.stageW}x${l.stageH}`);
    // Below 2x, the smallest whole scale would leave a third of the page empty.
    if (whole) {
      check(`${name}: a whole-number scale is shown as it is`, !l.view, `${l.w}x${l.h}`);
    } else {
      check(`${name}: a sharp enlargement by a whole number, scaled down smoothly`,
        l.view && l.viewW % 640 === 0 && l.viewH === l.viewW * 0.75 && l.viewW >= l.w && l.viewW < l.w + 640 &&
        l.viewRendering === 'auto', `${l.viewW}x${l.viewH} shown at ${l.w}x${l.h}`);
    }
    const file = path.join(shots, `${name}.png`);
    await page.screenshot({ path: file });
    figures.push(`screenshot ${file}: the picture ${l.w}x${l.h} in a page of ${width}x${height}` +
      (whole ? ` (${l.w / 640}x)` : ` (${l.viewW / 640}x, scaled to ${(l.w / 640).toFixed(3)})`));
  }
  // At a whole scale every pixel of the screen is a pixel of the picture: no blur.
  await page.setViewport({ width: 1300, height: 1000 });
  await sleep(300);
  const shot = (await page.screenshot({ encoding: 'base64' }));
  const blur = await page.evaluate(async (data) => {
    const bitmap = await createImageBitmap(await (await fetch('data:image/png;base64,' + data)).blob());
    const s = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
    s.drawImage(bitmap, 0, 0);
    const c = document.getElementById('canvas');
    const r = c.getBoundingClientRect();
    const got = s.getImageData(r.left, r.top, r.width, r.height).data;
    const want = c.getContext('2d').getImageData(0, 0, 640, 480).data;
    let off = 0;
    for (let y = 0; y < r.height; y++) {
      for (let x = 0; x < r.width; x++) {
        const i = (y * r.width + x) * 4;
        const j = (Math.floor(y * 480 / r.height) * 640 + Math.floor(x * 640 / r.width)) * 4;
        if (Math.abs(got[i] - want[j]) + Math.abs(got[i + 1] - want[j + 1]) + Math.abs(got[i + 2] - want[j + 2]) > 6) off++;
      }
    }
    return off;
  }, shot);
  check('at 2x every screen pixel is its picture pixel (no blur)', blur === 0, `${blur} pixels differ`);
  await page.close();
}

// Fullscreen: Escape reaches the game where the browser lets the page keep
// it; the page's button, F11 and Alt+Enter switch.
async function fullscreen(context, url) {
  const page = await openGame(context, url);
  const inFullscreen = () => page.evaluate(() => document.fullscreenElement !== null);
  const locks = () => page.evaluate(() => window.testSeen.locks.join(', '));
  const offered = await page.evaluate(() => !!(navigator.keyboard && navigator.keyboard.lock));
  await page.click('#fullscreen');
  await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 3000 }).catch(() => {});
  check('the page\'s button enters fullscreen', await inFullscreen());
  await sleep(300);
  check('in fullscreen the page keeps the Escape key', !offered || await locks() === 'lock Escape', await locks());
  check('in fullscreen the picture fills the screen', await page.evaluate(() =>
    document.getElementById('canvas').getBoundingClientRect().height >= 0.9 * screen.height), '');
  await clickAt(page, 472, 420);  // Start
  await sleep(300);
  await key(page, 'KeyQ');
  await sleep(300);
  await key(page, 'Escape');
  await sleep(300);
  check('in fullscreen Escape opens the game\'s menu', await state(page, 'Picture2.Visible') === '-1');
  check('... and the page stays in fullscreen', await inFullscreen());
  await key(page, 'F11');
  await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 3000 }).catch(() => {});
  // Headless chromium now and then leaves fullscreen late or not at all when
  // asked: what is the page's to do is to ask, and to let the key go once out.
  check('F11 asks the browser to leave fullscreen', await page.evaluate(() => window.testSeen.exits) === 1);
  if (await inFullscreen()) {
    figures.push('the browser was still in fullscreen 3 s after the page asked to leave; left from the test');
    await page.evaluate(() => document.exitFullscreen());
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 3000 }).catch(() => {});
  }
  check('out of fullscreen the page lets the Escape key go', !await inFullscreen() &&
    (!offered || await locks() === 'lock Escape, unlock'), await locks());
  await key(page, 'F11');
  await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 3000 }).catch(() => {});
  check('F11 enters fullscreen again', await inFullscreen());
  const leave = await page.evaluate(() => {
    const r = document.getElementById('leave').getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2, shown: r.width > 0 };
  });
  check('fullscreen has a button to leave it', leave.shown);
  if (leave.shown) await page.mouse.click(leave.x, leave.y);
  await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 3000 }).catch(() => {});
  check('the button leaves fullscreen', !await inFullscreen());
  await page.keyboard.down('AltLeft');
  await key(page, 'Enter');
  await page.keyboard.up('AltLeft');
  await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 3000 }).catch(() => {});
  check('Alt+Enter enters fullscreen', await inFullscreen());
  await page.close();
}

// A process that keeps one core busy while it lives.
function busyProcess() {
  return spawn(process.execPath, ['-e', 'for (;;) {}'], { stdio: 'ignore' });
}

// A ride on the straight road with rocks beside it, at a gear and a speed
// setting, measured a few times: other programs can only slow the loop down,
// so the best stretch is the loop's own. With `busy`, one process beside the
// browser keeps a core busy meanwhile. Returns the measure, or null when the
// gear was not reached.
async function ride(context, url, { skillY, gear, setting, busy, viewport = RIDE_VIEWPORT }) {
  const page = await openGame(context, `${url}?rocks-road&speed-setting=${setting}`, viewport);
  await clickAt(page, 356, 420);  // the skill list's arrow
  await sleep(200);
  await clickAt(page, 300, skillY);
  await sleep(200);
  await clickAt(page, 472, 420);  // Start
  await sleep(300);
  for (let i = 0; i < 6; i++) {
    const now = Number(await state(page, 'speed'));
    if (now === 1 << gear) break;
    await key(page, now < 1 << gear ? 'KeyQ' : 'KeyA');
    await sleep(150);
  }
  await sleep(400);
  const speed = Number(await state(page, 'speed'));
  const factor = Number(await state(page, 'speedFactor'));
  const reached = speed === 1 << gear && Math.abs(factor * 100 - setting) < 1e-6;
  check(`gear ${gear} at speed setting ${setting} reached`, reached, `speed ${speed}, factor ${factor}`);
  if (!reached) {
    await page.close();
    return null;
  }
  const spinner = busy ? busyProcess() : null;
  let m = null;
  try {
    if (spinner) await sleep(300);
    const good = (x) => x.steady && Math.abs(x.ratio - 1) <= 0.03 && x.shownPerSecond >= 50;
    for (let i = 0; i < 3 && !(m && good(m)); i++) {
      const before = machineTicks();
      const load = os.loadavg()[0];
      const next = await measurePace(page, PACE_SECONDS);
      next.others = othersCores(before, machineTicks());
      next.load = load;
      if (!m || Math.abs(next.ratio - 1) + (next.shownPerSecond < 50) < Math.abs(m.ratio - 1) + (m.shownPerSecond < 50))
        m = next;
    }
  } finally {
    if (spinner) spinner.kill();
  }
  await page.close();
  const cores = os.cpus().length;
  const smooth = viewport === SMOOTH_VIEWPORT ? ', page scaled smoothly' : '';
  figures.push(`frame ${m.frameUs.toFixed(0)} us (gear ${gear}, speed setting ${setting})${busy ? ', one busy process' : ''}${smooth}: ` +
    `pace ${m.ratio.toFixed(4)} of the written, ${m.presentsPerSecond.toFixed(1)} presents a second ` +
    `(${m.shownPerSecond.toFixed(1)} new pictures seen in ${m.refreshesPerSecond.toFixed(1)} refreshes) ` +
    `of ${m.presentUs.toFixed(0)} us each (steps ${m.steps} us, ${m.waitUs.toFixed(0)} us left for waiting a frame), ${m.longTurnUs.toFixed(0)} us kept for the page's long turns ` +
    `(other programs used ${m.others.toFixed(2)} of ${cores} cores, load ${m.load.toFixed(2)})`);
  return m;
}

// A machine whose other programs keep a core busy cannot give the page a
// steady beat: the figure is then shown but not judged.
function judged(m) {
  return m.others < OTHERS_BUSY_CORES ? '' : `, not judged: other programs used ${m.others.toFixed(2)} cores`;
}

async function pace(context, url, skillY, gear, setting) {
  const m = await ride(context, url, { skillY, gear, setting });
  if (!m) return;
  const note = judged(m);
  // Quiet, the page's pace at the short frames is 0.95 to 0.99 from run to
  // run here: the check leaves room for that and still catches a page that
  // loses frames.
  check(`gear ${gear} at speed setting ${setting} keeps its pace over ${PACE_SECONDS} s`, m.steady &&
    (note || (m.ratio >= PACE_LEAST && m.ratio <= 1.03)), `${m.ratio.toFixed(4)}${note}`);
  // Frames longer than 20 ms move the road fewer than 50 times a second.
  const least = Math.min(50, Math.floor(0.9e6 / m.frameUs));
  check(`gear ${gear} at speed setting ${setting} presents at least ${least} times a second`,
    note || (m.presentsPerSecond >= least && m.shownPerSecond >= least),
    `${m.presentsPerSecond.toFixed(1)} presents, ${m.shownPerSecond.toFixed(1)} new pictures seen${note}`);
  check(`gear ${gear} at speed setting ${setting}: the picture never freezes`, m.shownPerSecond >= 10,
    `${m.shownPerSecond.toFixed(1)} new pictures a second`);
}

// The fastest frames with a busy process beside the browser, or with the
// page's smooth step to draw: the pace may give, the picture may not.
async function paceLoaded(context, url, skillY, gear, setting, busy, viewport) {
  const m = await ride(context, url, { skillY, gear, setting, busy, viewport });
  if (!m) return;
  const note = judged(m);
  const beside = `${busy ? ' with a busy process' : ''}${viewport === SMOOTH_VIEWPORT ? ' scaled smoothly' : ''}`;
  // Without a GPU the browser's own compositing of the smooth step can give
  // fewer refreshes than 50 a second: the page must then use every one.
  const least = viewport === SMOOTH_VIEWPORT ? Math.min(50, 0.9 * m.refreshesPerSecond) : 50;
  check(`gear ${gear} at speed setting ${setting}${beside} presents at least ${least.toFixed(0)} times a second`,
    note || (m.presentsPerSecond >= least && m.shownPerSecond >= least),
    `${m.presentsPerSecond.toFixed(1)} presents, ${m.shownPerSecond.toFixed(1)} new pictures seen in ${m.refreshesPerSecond.toFixed(1)} refreshes${note}`);
  check(`gear ${gear} at speed setting ${setting}${beside}: the picture never freezes`, m.shownPerSecond >= 10,
    `${m.shownPerSecond.toFixed(1)} new pictures a second`);
}

async function main() {
  if (!fs.existsSync(path.join(BUILD, 'game.wasm'))) throw new Error(`no browser build in ${BUILD}`);
  const { server, url } = await startServer();
  ownRoots.add(String(server.pid));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'trakmor-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,  // --headless=new
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  ownRoots.add(String(browser.process().pid));
  try {
    if (!process.env.TRAKMOR_WEB_RIDES_ONLY) {
    const isolated = await browser.createBrowserContext();
    const page = await introAndRide(isolated, url);
    check('the page is cross-origin isolated (fine clock)', await page.evaluate(() => crossOriginIsolated));
    await saveAndReload(page);
    await quitAndPlayAgain(page);
    await isolated.close();

    const looks = await browser.createBrowserContext();
    await scaling(looks, url, path.join(path.dirname(BUILD), 'screenshots'));
    await fullscreen(looks, url);
    await looks.close();
    }

    const fresh = await browser.createBrowserContext();
    await pace(fresh, url, 439, 1, 100);  // Easy: 25 ms frames
    await pace(fresh, url, 465, 4, 100);  // Hard: 3125 us
    await pace(fresh, url, 465, 4, 500);  // the fastest: 625 us
    await paceLoaded(fresh, url, 465, 4, 500, true, RIDE_VIEWPORT);
    await paceLoaded(fresh, url, 465, 4, 500, false, SMOOTH_VIEWPORT);
    if (process.env.TRAKMOR_WEB_ALL_FRAMES) {
      // Every frame length players meet, quiet and beside a busy process: figures only.
      for (const [skillY, gear, setting] of [[465, 4, 200], [452, 3, 500], [465, 4, 400]]) {
        for (const busy of [false, true]) await ride(fresh, url, { skillY, gear, setting, busy });
      }
      await ride(fresh, url, { skillY: 465, gear: 4, setting: 100, busy: true });
    }
    await fresh.close();
    check('no error in the browser console', consoleErrors.length === 0, consoleErrors.slice(0, 5).join(' | '));
  } finally {
    await browser.close();
    server.kill();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  for (const f of figures) console.log(`figure: ${f}`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

main().catch((e) => {
  console.error(e);
  console.log(`${passed} passed, ${failed + 1} failed`);
  process.exit(1);
});
