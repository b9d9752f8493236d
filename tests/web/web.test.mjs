// Tarnwell Poker in Debian's chromium: the browser build served from build-web/, played
// through the canvas as a person would, its screen read off the canvas's pixels.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import assert from 'node:assert/strict';
import test from 'node:test';

const root = new URL('../../', import.meta.url).pathname, dir = process.argv[2] || 'build-web';
const CHROMIUM = '/usr/bin/chromium';
const skip = !fs.existsSync(CHROMIUM) ? CHROMIUM + ' is missing' : !fs.existsSync(dir + '/poker.wasm') ? 'no build' : '';
if (skip) console.log('# SKIP the browser tests: ' + skip);

// The card sheet as colours (0xRRGGBB) by x, y; the font's glyphs as 64 ink flags by code.
function ReadSheet(file) {
  const b = fs.readFileSync(file);
  let w, h, planes, packed, cmap, body;
  for (let p = 12; p + 8 <= b.length;) {
    const id = b.toString('latin1', p, p + 4), n = b.readUInt32BE(p + 4), d = b.subarray(p + 8, p + 8 + n);
    if (id === 'BMHD') [w, h, planes, packed] = [d.readUInt16BE(0), d.readUInt16BE(2), d[8], d[10]];
    if (id === 'CMAP') cmap = d;
    if (id === 'BODY') body = d;
    p += 8 + n + (n & 1);
  }
  const row = 2 * Math.ceil(w / 16), raw = packed ? Buffer.alloc(row * planes * h) : body;
  for (let i = 0, o = 0; packed && o < raw.length && i < body.length;) {
    const c = body.readInt8(i++);
    if (c >= 0) { body.copy(raw, o, i, i + c + 1); i += c + 1; o += c + 1; }
    else if (c !== -128) { raw.fill(body[i++], o, o + 1 - c); o += 1 - c; }
  }
  const rgb = new Uint32Array(w * h);
  for (let y = 0; y < h; ++y) for (let x = 0; x < w; ++x) {
    let v = 0;
    for (let k = 0; k < planes; ++k) if (raw[(y * planes + k) * row + (x >> 3)] & (0x80 >> (x & 7))) v |= 1 << k;
    rgb[y * w + x] = cmap.readUIntBE(3 * v, 3);
  }
  return (x, y) => rgb[y * w + x];
}
const sheet = skip ? null : ReadSheet(dir + '/gfx/defaultcards.lbm');
const art = [...fs.readFileSync(root + 'platform/font.cpp', 'latin1').matchAll(/"([.#]{8}(?: [.#]{8})*)"/g)].map(m => m[1].split(' '));
const glyph = c => { const b = (c - 0x20) >> 3, k = (c - 0x20) & 7; return art.slice(b * 8, b * 8 + 8).map(r => r[k]).join(''); };
// The 55 pictures and the back, by their place in the sheet.
const pictures = [];
for (let s = 0; s < 5; ++s) for (let v = 0; v < (s < 4 ? 13 : 3); ++v) pictures.push([71 * v, 96 * s]);
pictures.push([284, 384]);
const BACK = pictures.length - 1, FELT = skip ? 0 : sheet(0, 0);
// Where things are on the 640 x 480 screen: the main window's inside starts at 24, 130.
const SLOT = i => [120 + 81 * i, 219], DRAW = [564, 290];
const PRIZE = {'Lousy Hand': 0, 'Pair': 0, 'Two Pairs': 5, 'Three of Kind': 10, 'Straight': 20, 'Flush': 30,
               'Full House': 40, 'Four of Kind': 80, 'Five of Kind': 140, 'Straight Flush': 160, 'Royal Flush': 320};

let server, base, browser, chromium;
test.before(async () => {
  if (skip) return;
  ({chromium} = await import('playwright-core'));
  server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir]);
  base = await new Promise(ok => server.stdout.on('data', d => { const m = /port (\d+)/.exec(d); if (m) ok(`http://127.0.0.1:${m[1]}/`); }));
  browser = await chromium.launch({executablePath: CHROMIUM, headless: true, args: ['--no-sandbox', '--disable-gpu',
    '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync']});
});
test.after(async () => { await browser?.close(); server?.kill(); });
process.on('exit', () => server?.kill());  // even when a test run is cut short
for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => process.exit(1));

// A player's page: a fresh profile unless one is handed on; the screen as its colours.
async function Open(context, size = {width: 1400, height: 1000}) {
  context = context || await browser.newContext({viewport: size});
  const page = await context.newPage();
  await page.goto(base);
  await Until(page, async () => (await Screen(page)).at(30, 250) === FELT);
  return page;
}
async function Screen(page, n = 0) {
  const {w, rgba} = await page.evaluate(n => {
    const c = document.querySelectorAll('canvas')[n], d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
    return {w: c.width, rgba: btoa(s)};
  }, n);
  const b = Buffer.from(rgba, 'base64'), data = new Uint32Array(b.buffer, b.byteOffset, b.length >> 2);
  const at = (x, y) => { const v = data[y * w + x]; return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF); };
  // The top-left corner of text drawn in black, or null.
  const find = text => {
    const cells = [...text].map(c => glyph(c.charCodeAt(0)));
    for (let y = 0; y + 8 <= data.length / w; ++y) next: for (let x = 0; x + 8 * cells.length <= w; ++x) {
      for (let i = 0; i < cells.length; ++i) for (let p = 0; p < 64; ++p)
        if ((cells[i][p] === '#') !== (at(x + 8 * i + (p & 7), y + (p >> 3)) === 0)) continue next;
      return [x, y];
    }
    return null;
  };
  const card = ([x, y]) => pictures.findIndex(([sx, sy]) => {
    for (let j = 0; j < 96; ++j) for (let i = 0; i < 71; ++i) if (at(x + i, y + j) !== sheet(sx + i, sy + j)) return false;
    return true;
  });
  // The number drawn in black a little right of `label`.
  const digit = (x, y) => [...'0123456789'].find(c => glyph(c.charCodeAt(0)).split('').every((g, p) => (g === '#') === (at(x + (p & 7), y + (p >> 3)) === 0)));
  const number = label => {
    const [lx, ly] = find(label) || [-99, 0];
    for (let x = lx + 8 * label.length; x < lx + 8 * label.length + 40; ++x) for (let y = ly - 3; y <= ly + 3; ++y) {
      let s = '';
      for (let d; (d = digit(x + 8 * s.length, y)) !== undefined;) s += d;
      if (s) return Number(s);
    }
    return NaN;
  };
  return {at, find, card, number};
}
async function Until(page, ok, what = 'the screen to change') {
  for (let i = 0; i < 300; ++i) { if (await ok().catch(() => false)) return; await page.waitForTimeout(50); }
  assert.fail('waited in vain for ' + what);
}
// Screen coordinates to the page's, through the canvas's scale.
async function Click(page, [x, y], n = 0) {
  const r = await page.locator('canvas').nth(n).boundingBox(), s = r.width / 640;
  await page.mouse.click(r.x + (x + 0.5) * s, r.y + (y + 0.5) * s);
}
let firstDeal;  // a second page must not deal the same
const Hand = async page => { const s = await Screen(page); return [0, 1, 2, 3, 4].map(i => s.card(SLOT(i))); };
async function Deal(page) {
  await page.keyboard.press('Alt+n');
  await Click(page, DRAW);
  await Until(page, async () => (await Hand(page)).every(c => c >= 0 && c !== BACK), 'five cards');
}
// Types into the file requester that Save and Continue Old open, and confirms.
async function PickFile(page, key, name) {
  await page.keyboard.press(key);
  await Until(page, async () => (await Screen(page)).find('Drawer') !== null, 'the file requester');
  await page.keyboard.type(name);
  await page.keyboard.press('Enter');
}
const Stored = page => page.evaluate(() => new Promise(ok => indexedDB.open('/Poker').onsuccess = e => {
  const r = e.target.result.transaction('FILE_DATA').objectStore('FILE_DATA').getAllKeys();
  r.onsuccess = () => ok(r.result);
}));

test('New and Draw deal five cards off the sheet, keys 1-5 turn them, the last Draw pays its hand', {skip: skip || false}, async () => {
  const page = await Open();
  const s = await Screen(page);
  assert.deepEqual(s.find('Tarnwell Poker'), [42, 121], 'the title bar across the top of the main window');
  await Deal(page);
  const dealt = await Hand(page);
  assert.equal(new Set(dealt).size, 5, 'five different cards: ' + dealt);
  firstDeal = dealt;
  assert.equal((await Screen(page)).number('Money:'), 36);
  for (const k of '12345') await page.keyboard.press(k);
  assert.deepEqual(await Hand(page), Array(5).fill(BACK));
  for (const k of '2345') await page.keyboard.press(k);
  assert.deepEqual((await Hand(page)).slice(1), dealt.slice(1), 'turned back to their faces');
  await Click(page, DRAW);
  let name;
  await Until(page, async () => { const s = await Screen(page); return name = Object.keys(PRIZE).reverse().find(n => s.find(n)); }, 'the hand\'s name');
  await page.keyboard.press('Enter');
  await Until(page, async () => (await Screen(page)).number('Money:') === 36 + PRIZE[name], name + ' paid');
});

test('a saved game comes back once after a reload, and settings written at quit survive it', {skip: skip || false}, async () => {
  const page = await Open();
  await Deal(page);
  assert.notDeepEqual(await Hand(page), firstDeal, 'another page, another deal');
  await PickFile(page, 'Alt+s', 'kept');
  await Until(page, async () => (await Stored(page)).includes('/Poker/save/kept'), 'the saved game in IndexedDB');
  await page.reload();
  await Until(page, async () => (await Screen(page)).number('Money:') === 0, 'a new start');
  for (let i = 0; i < 2; ++i) {
    await PickFile(page, 'Alt+o', 'kept');
    await Until(page, async () => (await Screen(page)).number('Money:') === 36, 'the money back');
  }
  assert.ok(!(await Stored(page)).includes('/Poker/save/kept'), 'the saved game is gone');
  // Bet Prefs: no jokers, so a game costs 1.
  await page.keyboard.press('Alt+b');
  await Until(page, async () => (await Screen(page)).find('okers:') !== null, 'the bet dialog');
  await page.keyboard.press('j');
  await page.keyboard.press('Backspace');
  await page.keyboard.type('0');
  await page.keyboard.press('Enter');
  await page.keyboard.press('Enter');
  await page.keyboard.press('Alt+q');
  await page.keyboard.press('Enter');
  await Until(page, async () => /exit status 0/.test(await page.textContent('#status')), 'the end');
  await page.reload();
  await page.waitForFunction(() => document.querySelector('canvas'));
  await Until(page, async () => (await Screen(page)).at(30, 250) === FELT, 'a new start');
  await page.keyboard.press('Alt+n');
  await Click(page, DRAW);
  await Until(page, async () => (await Screen(page)).number('Money:') === 39, 'a game for 1');
});

test('Instructions open the guide beside the game, which still plays, until its close gadget', {skip: skip || false}, async () => {
  const page = await Open();
  await page.keyboard.press('Alt+h');
  await page.waitForFunction(() => document.querySelectorAll('canvas').length === 2);
  const [game, guide] = await Promise.all([0, 1].map(n => page.locator('canvas').nth(n).boundingBox()));
  assert.ok(guide.x >= game.x + game.width && guide.y === game.y, 'beside the game');
  await Until(page, async () => (await Screen(page, 1)).find('poker.guide') !== null, 'the guide');
  await Click(page, [300, 125]);
  await Deal(page);
  const [x, y] = (await Screen(page, 1)).find('poker.guide');
  await Click(page, [x - 14, y + 3], 1);
  await page.waitForFunction(() => document.querySelectorAll('canvas').length === 1);
});

test('a smaller page: clicks still land on the right card', {skip: skip || false}, async () => {
  const page = await Open(null, {width: 700, height: 560});
  await Deal(page);
  await page.setViewportSize({width: 1400, height: 1000});
  await page.waitForFunction(() => document.querySelector('canvas').getBoundingClientRect().width === 1280);
  for (const i of [4, 0]) {
    await Click(page, SLOT(i).map(v => v + 2));
    assert.equal((await Hand(page))[i], BACK, 'card ' + (i + 1));
  }
});

test('waiting for the player, the page keeps its main thread idle', {skip: skip || false}, async () => {
  const page = await Open();
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  const busy = async () => (await cdp.send('Performance.getMetrics')).metrics.find(m => m.name === 'TaskDuration').value;
  const before = await busy();
  await page.waitForTimeout(5000);
  assert.ok((await busy()) - before < 0.05, 'busy for ' + ((await busy()) - before) + ' s');
});

test('a card sheet that does not load: its requester shows, and the page reports the exit status', {skip: skip || false}, async () => {
  const context = await browser.newContext({viewport: {width: 1400, height: 1000}});
  await context.route('**/defaultcards.lbm', route => route.fulfill({status: 404}));
  const page = await context.newPage();
  await page.goto(base);
  await Until(page, async () => await page.$('canvas') && (await Screen(page)).find('Error while loading Card GFX file') !== null, 'the requester');
  await page.keyboard.press('Enter');
  await Until(page, async () => /exit status [1-9]/.test(await page.textContent('#status')), 'the exit status');
  await context.unroute('**/defaultcards.lbm');
  await page.click('#status button');
  await Until(page, async () => (await Screen(page)).at(30, 250) === FELT, 'the game started again');
});
