// Figures of the browser build in headless chromium, for the notes (never asserted):
// navigation to the first complete frame, gzip bytes of the game page, main-thread busy
// time while waiting, and a key press to the changed canvas. Usage: node tools/measure-web.mjs [build-web]
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import zlib from 'node:zlib';
import {chromium} from 'playwright-core';

const dir = process.argv[2] || 'build-web';
const page_files = ['index.html', 'page.js', 'poker.js', 'poker.wasm', 'poker.info', 'poker.guide', 'gfx/defaultcards.lbm'];
let raw = 0, gz = 0;
for (const f of page_files) {
  const data = fs.readFileSync(`${dir}/${f}`);
  raw += data.length;
  gz += zlib.gzipSync(data, {level: 6}).length;
}
console.log(`game page: ${page_files.length} files, ${raw} bytes, ${gz} bytes gzipped`);

const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir]);
const base = await new Promise(ok => server.stdout.on('data', d => { const m = /port (\d+)/.exec(d); if (m) ok(`http://127.0.0.1:${m[1]}/`); }));
const browser = await chromium.launch({executablePath: '/usr/bin/chromium', headless: true, args: ['--no-sandbox',
  '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync']});
// Each frame the program shows is one putImageData: note when, and when keys went down.
const watch = () => {
  window.frames_ = [];
  window.keys_ = [];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function(...a) { put.apply(this, a); frames_.push(performance.now()); };
  addEventListener('keydown', e => keys_.push(e.timeStamp), true);
};
const first = [];
for (let run = 0; run < 5; ++run) {
  const context = await browser.newContext({viewport: {width: 1400, height: 1000}});
  const page = await context.newPage();
  await page.addInitScript(watch);
  await page.goto(base);
  await page.waitForFunction(() => frames_.length > 0);
  first.push(await page.evaluate(() => frames_[0]));
  if (run === 4) {
    const latency = [];
    await page.keyboard.press('Alt+n');
    await page.keyboard.press('d');
    for (const k of '1234512345') {
      const before = await page.evaluate(() => frames_.length);
      await page.keyboard.press(k);
      await page.waitForFunction(n => frames_.length > n, before);
      latency.push(await page.evaluate(() => frames_.at(-1) - keys_.at(-1)));
    }
    console.log(`key press to changed canvas: median ${median(latency).toFixed(2)} ms, max ${Math.max(...latency).toFixed(2)} ms`);
    const cdp = await context.newCDPSession(page);
    await cdp.send('Performance.enable');
    const busy = async () => (await cdp.send('Performance.getMetrics')).metrics.find(m => m.name === 'TaskDuration').value;
    const before = await busy();
    await page.waitForTimeout(10000);
    console.log(`main thread busy while waiting: ${(((await busy()) - before) / 10 * 100).toFixed(3)} % of 10 s`);
  }
  await context.close();
}
console.log(`navigation to first complete frame: median ${median(first).toFixed(0)} ms, max ${Math.max(...first).toFixed(0)} ms (5 fresh profiles)`);
await browser.close();
server.kill();

function median(v) { const s = [...v].sort((a, b) => a - b); return s[s.length >> 1]; }
