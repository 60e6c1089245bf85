// Drives the browser build (build-web/) in Debian's headless Chromium: serves the folder from
// 127.0.0.1 with a small server of its own, opens the page with the parameters asked for, and
// reports what the page did as one JSON object on standard output:
//   {status, state, lines, consoleErrors, frames, overlay, ...}
// Used by scripts/web-checks.sh (which judges the results) and scripts/bench-web.sh.
//
// Usage: node drive.mjs ROOT MODE [options]
//   ROOT                       the folder to serve (build-web)
//   MODE capture               ?capture&... : waits for the end, writes the frames to --out
//   MODE interactive           clicks Start, presses keys, waits for the show's end
//   MODE timing                ?headless&...: waits for the end (runMs: the program's time)
//   --query Q                  the page's parameters (size=320x240&frames=10...)
//   --out DIR                  where capture writes frame_NNNNNN.png
//   --viewport WxH             the browser window's size (default 480x360)
//   --timeout S                give up after S seconds (default 300)
//   --file NAME=PATH           the text of PATH becomes the file NAME in the page's data folder
//   --lose-context N           after N frames of the show (past the loading bar's), the browser
//                              takes the WebGL context away
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {chromium} from 'playwright-core';

const [root, mode, ...rest] = process.argv.slice(2);
const options = {query: '', out: '', viewport: '480x360', timeout: '300', 'lose-context': '', file: ''};
for (let i = 0; i < rest.length; i += 2) options[rest[i].replace(/^--/, '')] = rest[i + 1];
if (!root || !['capture', 'interactive', 'timing'].includes(mode)) {
  console.error('usage: node drive.mjs ROOT capture|interactive|timing [--query Q] [--out DIR] [--viewport WxH]');
  process.exit(2);
}
const deadline = Date.now() + Number(options.timeout) * 1000;

// ---------------------------------------------------------------------------------------------
// The server: the folder's files, nothing else, on a free port of 127.0.0.1.
// ---------------------------------------------------------------------------------------------
const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
               '.bmp': 'image/bmp', '.ico': 'image/x-icon', '.data': 'application/octet-stream'};
const server = http.createServer((request, response) => {
  const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
  const file = path.join(root, name === '/' ? 'index.html' : path.normalize(name).replace(/^(\.\.[/\\])+/, ''));
  fs.readFile(file, (error, bytes) => {
    if (error) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                             'Content-Length': bytes.length});
    response.end(bytes);
  });
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

// ---------------------------------------------------------------------------------------------
// The browser: Debian's Chromium, software WebGL 2 (SwiftShader), no connections of its own.
// ---------------------------------------------------------------------------------------------
const userData = fs.mkdtempSync('/tmp/zarnovelt-chromium-');
const [viewWidth, viewHeight] = options.viewport.split('x').map(Number);
const context = await chromium.launchPersistentContext(userData, {
  executablePath: '/usr/bin/chromium',
  headless: true,
  viewport: {width: viewWidth, height: viewHeight},
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync', '--disable-quic',
         '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
});
const result = {mode, query: options.query, status: null, state: null, lines: [], consoleErrors: []};
const page = context.pages()[0] || await context.newPage();
if (options.file) {
  const [name, file] = options.file.split('=');
  await page.addInitScript((files) => { window.zarnoveltFiles = files; }, {[name]: fs.readFileSync(file, 'utf8')});
}
page.on('console', (message) => {
  const text = message.text();
  // The browser's own reports of WebGL errors come as warnings: they are errors of ours.
  if (message.type() === 'error' || /WebGL.*(INVALID|error)|GL_INVALID/i.test(text))
    result.consoleErrors.push(`${message.type()}: ${text}`);
});
page.on('pageerror', (error) => result.consoleErrors.push(`page error: ${error.message}`));
page.on('requestfailed', (request) => result.consoleErrors.push(`request failed: ${request.url()}`));
page.on('response', (response) => {
  if (response.status() >= 400) result.consoleErrors.push(`HTTP ${response.status()}: ${response.url()}`);
});

async function pageState() { return page.evaluate(() => window.zarnovelt); }

async function waitFor(predicate, what) {
  for (;;) {
    const state = await pageState();
    if (predicate(state)) return state;
    if (state.state === 'ended' && what !== 'the end') throw new Error(`the show ended before ${what}`);
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await page.waitForTimeout(100);
  }
}

async function overlayText() { return page.evaluate(() => document.getElementById('overlay').textContent); }

// The demo time the F1 overlay shows ("time 1:02.250 / 3:10.000"), in ms.
function overlayTime(text) {
  const found = /time (-?)(\d+):(\d+)\.(\d+)/.exec(text);
  if (!found) return null;
  return (found[1] ? -1 : 1) * ((Number(found[2]) * 60 + Number(found[3])) * 1000 + Number(found[4]));
}

try {
  const started = Date.now();
  const query = (mode === 'capture' ? 'capture&' : mode === 'timing' ? 'headless&' : '') + options.query;
  await page.goto(`${origin}/?${query}`);

  if (mode === 'interactive') {
    // The start page: the names, then Start (the click that lets the page play sound).
    const dialog = await waitFor((state) => state.state === 'dialog', 'the start page');
    result.title = await page.textContent('#title');
    result.group = await page.textContent('#group');
    result.bannerLoaded = await page.evaluate(() => document.getElementById('banner').naturalWidth);
    result.linesBeforeStart = dialog.lines.length;
    await page.click('#start-button');
    await waitFor((state) => state.state === 'running', 'the show');
    result.audioState = await page.evaluate(() => Module.audioContext && Module.audioContext.state);
    // F1: the overlay with the demo time and the clock.
    await page.waitForTimeout(1500);
    await page.keyboard.press('F1');
    await page.waitForFunction(() => document.getElementById('overlay').textContent.includes('time'));
    result.overlay = await overlayText();
    // Space pauses: the time stands still, then runs again.
    await page.keyboard.press('Space');
    await page.waitForFunction(() => document.getElementById('overlay').textContent.includes('paused'));
    const pausedAt = overlayTime(await overlayText());
    await page.waitForTimeout(1000);
    result.pausedTimes = [pausedAt, overlayTime(await overlayText())];
    await page.keyboard.press('Space');
    await page.waitForTimeout(1000);
    result.resumedTime = overlayTime(await overlayText());
  }

  if (options['lose-context']) {
    // The loading bar is presented once per effect (fifteen), then come the show's frames.
    await page.waitForFunction((frames) => (Module.framesPresented || 0) > 15 + frames, Number(options['lose-context']),
                               {timeout: Number(options.timeout) * 1000});
    result.lostWhile = (await pageState()).state;
    await page.evaluate(() => document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context').loseContext());
  }

  const end = await waitFor((state) => state.state === 'ended', 'the end');
  result.seconds = (Date.now() - started) / 1000;
  result.status = end.status;
  result.runMs = end.runMs;
  result.state = end.state;
  result.lines = end.lines;
  result.endedText = await page.textContent('#ended-text');
  result.endedShown = await page.isVisible('#ended');

  if (mode === 'capture' && options.out) {
    fs.mkdirSync(options.out, {recursive: true});
    const names = await page.evaluate(() => Module.FS.readdir('/capture').filter((name) => name.endsWith('.png')));
    for (const name of names.sort()) {
      const base64 = await page.evaluate((file) => {
        const bytes = Module.FS.readFile('/capture/' + file);
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
        return btoa(text);
      }, name);
      fs.writeFileSync(path.join(options.out, name), Buffer.from(base64, 'base64'));
    }
    result.frames = names.length;
  }
} catch (error) {
  result.error = String(error.message || error);
  result.lines = (await pageState().catch(() => ({lines: []}))).lines;
} finally {
  await context.close();
  server.close();
  fs.rmSync(userData, {recursive: true, force: true});
}
console.log(JSON.stringify(result, null, 1));
