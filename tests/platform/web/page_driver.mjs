// Drives the browser build for the web tests and the web benchmark: serves a
// folder on 127.0.0.1, opens the page in one browser engine, and answers one
// line command at a time on stdin with one line on stdout ("ok ..." or
// "error ..."). The engine is $VELDRAKE_BROWSER:
//   chromium  Debian's Chromium, headless (WebGL on SwiftShader), by puppeteer-core
//   firefox   Debian's Firefox ESR, headless on a private Xvfb (its WebGL needs
//             an X display), by puppeteer-core over WebDriver BiDi
//   webkit    WebKitGTK's MiniBrowser on a private Xvfb, by WebKitWebDriver
//             (W3C WebDriver over plain HTTP)
// Commands:
//   click [X Y]                       left button at canvas pixel X,Y (or where the pointer is)
//   press SELECTOR                    a click at the centre of an element
//   move DX DY                        relative mouse motion
//   key down|up|press NAME            KeyW, Space, Escape, Enter, ArrowLeft...
//   shot PATH                         the canvas as a binary PPM, 1280 x 720
//   eval JS                           the value as JSON
//   errors                            errors the page logged so far, as JSON
//   axe                               axe-core's serious and critical violations, as JSON "rule: element"
//   audio                             the page's output: STATES MS RMS MS RMS ...
//   served                            gzip size of each file served, as JSON
//   network off|on                    the server stops answering, as a cut network, or answers again
//   reload                            the page again, as the browser's reload
//   finger N FX FY SELECTOR           (Chromium, touch) finger N down at that share of an element's box
//   finger N by DX DY | lift N        finger N moved by DX, DY page pixels, in steps; lifted
//   cancel N                          finger N's touch cancelled by the browser (a system gesture)
//   quit
// Usage: node page_driver.mjs FOLDER [QUERY] [SCREENxW] [SCREENxH] [WINDOW] [FLAGS]
//   WINDOW: the page's size and pixel ratio, WxH@R (1280x720@1); FLAGS:
//   "touch" (Chromium: a touch screen and no mouse), "slow" (files trickle in)
import { spawn } from 'node:child_process';
import { createServer } from 'node:http';
import { readFileSync, writeFileSync, existsSync } from 'node:fs';
import { join, extname, normalize } from 'node:path';
import { createInterface } from 'node:readline';
import { gzipSync } from 'node:zlib';
import { PNG } from 'pngjs';
import puppeteer from 'puppeteer-core';

const [folder, query = '', screenW = '1920', screenH = '1080', windowSpec = '', flags = ''] = process.argv.slice(2);
const [windowW, windowH, pixelRatio] = (windowSpec.match(/^(\d+)x(\d+)@([\d.]+)$/) || [0, 1280, 720, 1]).slice(1).map(Number);
const touch = flags.includes('touch'), slow = flags.includes('slow');
const engine = process.env.VELDRAKE_BROWSER || 'chromium';
const sleep = ms => new Promise(r => setTimeout(r, ms));
const axeSource = readFileSync(new URL('node_modules/axe-core/axe.min.js', import.meta.url), 'utf8');

// Run in the page before anything else (the server puts it at the top of
// index.html, the same way in every engine): errors the page logs, and a
// recorder fed by everything played into an AudioContext's output, keeping
// the level of every block with the page's clock.
const pageHooks = `(() => {
  window.veldrakeErrors = [];
  const logError = console.error;
  console.error = function (...args) { veldrakeErrors.push(args.join(' ')); return logError.apply(this, args); };
  addEventListener('error', e => veldrakeErrors.push(e.message || 'failed to load ' + (e.target.src || e.target)), true);
  addEventListener('unhandledrejection', e => veldrakeErrors.push('unhandled rejection: ' + e.reason));
  window.veldrakeAudioLevels = [];
  window.veldrakeAudioContexts = [];
  const connect = AudioNode.prototype.connect;
  const taps = new WeakMap();
  AudioNode.prototype.connect = function (target, ...rest) {
    const out = connect.call(this, target, ...rest);
    if (target instanceof AudioDestinationNode) {
      const ctx = this.context;
      let tap = taps.get(ctx);
      if (!tap) {
        tap = ctx.createScriptProcessor(1024, 2, 1);
        const mute = ctx.createGain();
        mute.gain.value = 0;
        tap.onaudioprocess = e => {
          let sum = 0, n = 0;
          for (let c = 0; c < e.inputBuffer.numberOfChannels; ++c)
            for (const v of e.inputBuffer.getChannelData(c)) { sum += v * v; ++n; }
          // Stamped with when the block is heard, on the page's clock: on a
          // busy page this handler runs late, and in batches.
          // WebKitGTK's performanceTime runs fast of the page's clock: a
          // time heard is believed only when it is not ahead of now.
          const heard = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : {}, now = performance.now();
          const sane = heard.performanceTime > now - 1000 && heard.performanceTime <= now + 20;
          const at = sane ? heard.performanceTime + (e.playbackTime - heard.contextTime) * 1000 : now;
          veldrakeAudioLevels.push([at, Math.sqrt(sum / n)]);
        };
        connect.call(tap, mute);
        connect.call(mute, ctx.destination);
        taps.set(ctx, tap);
        veldrakeAudioContexts.push(ctx);
      }
      connect.call(this, tap);
    }
    return out;
  };
  // A gamepad, which no machine here has, in the standard layout: the Gamepad
  // API shows it once plugged (as a browser does after a first press), and
  // veldrakePad.hold({ axes: { 2: -1 }, buttons: { 0: 1 } }, reads) sets its
  // controls for so many reads of the pads, then lets go; veldrakePad.left
  // counts down the reads still to come.
  let pad = null, held = {};
  window.veldrakePad = {
    left: 0,
    plug() {
      pad = { id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard' };
      dispatchEvent(Object.assign(new Event('gamepadconnected'), { gamepad: pad }));
    },
    hold(controls, reads) { held = controls; this.left = reads; },
  };
  Object.defineProperty(Navigator.prototype, 'getGamepads', { configurable: true, value: () => {
    if (!pad) return [null, null, null, null];
    const controls = veldrakePad.left > 0 ? held : {};
    if (veldrakePad.left > 0) --veldrakePad.left;
    const axes = [0, 0, 0, 0].map((rest, i) => (controls.axes || {})[i] ?? rest);
    const buttons = Array.from({ length: 17 }, (_, i) => {
      const value = (controls.buttons || {})[i] ?? 0;
      return { pressed: value > 0.5, touched: value > 0, value };
    });
    return [{ ...pad, axes, buttons, timestamp: performance.now() }, null, null, null];
  } });
})();`;

// WebGL's drawing buffer kept after each frame is shown, so that the canvas
// can be read back at any time.
const keepPixels = `(() => { const get = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, attributes) {
    return get.call(this, type, /webgl/.test(type) ? { ...attributes, preserveDrawingBuffer: true } : attributes); };
})();`;
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                 '.data': 'application/octet-stream' };
const served = {};  // path -> gzip size, for the transfer figure
let networkUp = true;
const sockets = new Set();
const server = createServer(async (req, res) => {
  const path = normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/+/, '') || 'index.html';
  const file = join(folder, path);
  if (path.startsWith('..') || !existsSync(file)) { res.writeHead(404); res.end(); return; }
  let body = readFileSync(file);
  served[path] = gzipSync(body, { level: 9 }).length;
  if (path === 'index.html')
    body = Buffer.from(body.toString().replace('<head>', `<head><script>${pageHooks}${engine === 'webkit' ? keepPixels : ''}</script>`));
  res.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-store',
                       'Content-Length': body.length });
  // Slow: 64 KiB every 100 ms, a network of about 5 Mbit/s.
  let at = 0;
  for (; slow && at + 65536 < body.length; at += 65536) {
    res.write(body.subarray(at, at + 65536));
    await sleep(100);
  }
  res.end(body.subarray(at));
});
// A cut network: nothing answers, and what was open is dropped.
server.on('connection', socket => {
  if (!networkUp) return socket.destroy();
  sockets.add(socket);
  socket.on('close', () => sockets.delete(socket));
});
await new Promise(r => server.listen(0, '127.0.0.1', r));
const url = `http://127.0.0.1:${server.address().port}/index.html${query ? '?' + query : ''}`;

// Children started here, each the leader of its own process group (a
// browser's helper processes outlive a killed browser and go on drawing).
const children = [];
function start(command, args, options = {}) {
  const child = spawn(command, args, { stdio: 'ignore', detached: true, ...options });
  children.push(child);
  return child;
}
let closeBrowser = async () => {};
async function finish(code) {
  await Promise.race([closeBrowser().catch(() => {}), sleep(3000)]);
  for (const child of children.reverse()) try { process.kill(-child.pid, 'SIGKILL'); } catch {}
  server.close();
  process.exit(code);
}
process.on('SIGTERM', () => finish(1));

// A private X server of the screen's size, for the engines that draw only on one.
async function startXvfb() {
  const xvfb = start('Xvfb', ['-displayfd', '3', '-screen', '0', `${screenW}x${screenH}x24`, '-nolisten', 'tcp',
    '-noreset'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((resolve, reject) => {
    let text = '';
    xvfb.stdio[3].on('data', d => { text += d; if (text.includes('\n')) resolve(':' + text.trim()); });
    xvfb.on('exit', () => reject(new Error('Xvfb did not start')));
    setTimeout(() => reject(new Error('Xvfb did not start')), 10000);
  });
  return display;
}

// Each engine: open(), evaluate(js) -> value, mouse(type, x, y) in viewport
// pixels, key(type, name), screenshot(clip) -> PNG of the canvas's picture (clip), 1280 x 720.
const engines = {
  async chromium() { return puppeteerEngine({ browser: 'chrome', executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true, args: ['--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', `--window-size=${screenW},${screenH}`] }); },
  async firefox() {
    // Headless, its screen is MOZ_HEADLESS_*; its WebGL still wants an X
    // display, and its audio a device unless told to mix into nothing.
    const env = { ...process.env, DISPLAY: await startXvfb(), MOZ_HEADLESS_WIDTH: screenW, MOZ_HEADLESS_HEIGHT: screenH };
    return puppeteerEngine({ browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
      headless: true, env, extraPrefsFirefox: { 'media.cubeb.force_mock_context': true } });
  },
  async webkit() { return webDriverEngine(); },
};

async function puppeteerEngine(options) {
  const browser = await puppeteer.launch({ defaultViewport: null, protocolTimeout: 60000, ...options });
  closeBrowser = () => browser.close();
  if (browser.process()) children.push(browser.process());
  const page = (await browser.pages())[0] || await browser.newPage();
  let cdp = null;
  if (options.browser === 'chrome') {
    // The screen is emulated too: the page asks for fullscreen only on one
    // that holds 1280 x 720. Screenshots go through the same session, which
    // holds that view of the page (puppeteer's own show a fullscreen canvas
    // letterboxed).
    cdp = await page.createCDPSession();
    await cdp.send('Emulation.setDeviceMetricsOverride', { width: windowW, height: windowH,
      deviceScaleFactor: pixelRatio, mobile: touch, screenWidth: +screenW, screenHeight: +screenH });
    // A touch screen and no mouse, as the page's media queries see it.
    if (touch) await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  } else {
    await page.setViewport({ width: windowW, height: windowH, deviceScaleFactor: pixelRatio });
  }
  await page.goto(url, { waitUntil: 'load' });
  const keys = { Space: ' ' };  // Firefox's keyboard knows no 'Space'
  return {
    reload: () => page.reload({ waitUntil: 'load' }),
    touchStart: (x, y) => page.touchscreen.touchStart(x, y),
    touchCancel: async handle => {  // a cancel names no finger: every touch goes
      await page._client().send('Input.dispatchTouchEvent', { type: 'touchCancel', touchPoints: [] });
      page.touchscreen.removeHandle(handle);
    },
    evaluate: js => page.evaluate(js),
    mouse: (type, x, y) => type === 'move' ? page.mouse.move(x, y) : page.mouse[type]({ button: 'left' }),
    key: (type, name) => page.keyboard[type](keys[name] || name),
    screenshot: async clip => cdp ? Buffer.from((await cdp.send('Page.captureScreenshot', { format: 'png',
      clip: { ...clip, scale: 1280 / clip.width / pixelRatio } })).data, 'base64') : page.screenshot({ type: 'png', clip }),
  };
}

// WebKitGTK through its WebDriver, over plain HTTP.
async function webDriverEngine() {
  const display = await startXvfb();
  const port = await new Promise(r => { const s = createServer().listen(0, '127.0.0.1', () => {
    const p = s.address().port; s.close(() => r(p)); }); });
  start(process.env.WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver', [`--port=${port}`], { env: { ...process.env, DISPLAY: display } });
  async function call(method, path, body) {
    const r = await fetch(`http://127.0.0.1:${port}${path}`, { method, headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body) });
    const { value } = await r.json();
    if (value && value.error) throw new Error(`${value.error}: ${value.message}`);
    return value;
  }
  let session = null;
  for (let i = 0; i < 100 && !session; ++i) {
    try {
      session = await call('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': {
        binary: process.env.MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] } } } });
    } catch (e) { if (!/fetch failed/.test(e.message) && !/ECONNREFUSED/.test(e.cause?.code || '')) throw e; await sleep(100); }
  }
  if (!session) throw new Error('WebKitWebDriver did not start');
  const at = `/session/${session.sessionId}`;
  closeBrowser = () => call('DELETE', at);
  const evaluate = async js => {
    const [ok, value] = await call('POST', `${at}/execute/async`, { args: [js], script: `const done = arguments[1];
      Promise.resolve().then(() => (0, eval)(arguments[0])).then(v => done([true, v === undefined ? null : v]),
        e => done([false, String(e && e.message || e)]));` });
    if (!ok) throw new Error(value);
    return value;
  };
  // The window's frame around the page: the page is to be 1280 x 720.
  await call('POST', `${at}/window/rect`, { x: 0, y: 0, width: 1280, height: 720 });
  const [w, h] = await evaluate('[innerWidth, innerHeight]');
  await call('POST', `${at}/window/rect`, { x: 0, y: 0, width: 1280 + 1280 - w, height: 720 + 720 - h });
  await call('POST', `${at}/url`, { url });
  const codes = { Escape: '\uE00C', Enter: '\uE007', Space: ' ', ShiftLeft: '\uE008', ArrowLeft: '\uE012',
                  ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015' };
  const actions = list => call('POST', `${at}/actions`, { actions: [list] });
  return {
    evaluate,
    reload: () => call('POST', `${at}/refresh`, {}),
    // Pointer actions aimed at an element are refused: viewport coordinates.
    mouse: (type, x, y) => actions({ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: [
      type === 'move' ? { type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport' }
                      : { type: type === 'down' ? 'pointerDown' : 'pointerUp', button: 0 }] }),
    key: (type, name) => {
      const value = codes[name] || name.replace(/^Key/, '').toLowerCase();
      const steps = type === 'press' ? ['keyDown', 'keyUp'] : [type === 'down' ? 'keyDown' : 'keyUp'];
      return actions({ type: 'key', id: 'keyboard', actions: steps.map(t => ({ type: t, value })) });
    },
    // WebDriver's snapshots of a WebGL canvas come slower and slower here
    // (seconds, then minutes): the canvas's own pixels are read instead, its
    // drawing buffer kept for that (keepPixels).
    screenshot: async () => Buffer.from((await evaluate(
      "document.getElementById('canvas').toDataURL('image/png')")).replace(/^data:image\/png;base64,/, ''), 'base64'),
  };
}

let browser;
try {
  browser = await engines[engine]();
} catch (e) {
  console.log(`error ${engine} did not start: ${String(e.message).replace(/\n/g, ' ')}`);
  await finish(1);
}
async function evaluate(expression) {
  return JSON.parse(await browser.evaluate(`Promise.resolve(${expression}).then(v => JSON.stringify(v ?? null))`));
}
// Where the canvas's picture is on the page (the viewport's pixels), and its
// pixels per CSS pixel: a fullscreen canvas shows it letterboxed in a box of
// the screen's shape (object-fit: contain).
async function canvas() {
  const [x, y, w, h] = await evaluate(`(() => { const b = document.getElementById('canvas').getBoundingClientRect();
    return [b.x, b.y, b.width, b.height]; })()`);
  const pw = Math.min(w, h * 16 / 9), ph = pw * 9 / 16;
  return { x: x + (w - pw) / 2, y: y + (h - ph) / 2, w: pw, h: ph, s: 1280 / pw };
}
const mouse = { x: 640, y: 360 };
const fingers = {};
async function moveTo(x, y) {
  mouse.x = x; mouse.y = y;
  await browser.mouse('move', x, y);
}
async function command(line) {
  const [verb, ...args] = line.trim().split(' ');
  const rest = line.trim().slice(verb.length + 1);
  if (verb === 'press') {
    const [x, y] = await evaluate(`(() => { const b = document.querySelector(${JSON.stringify(rest)}).getBoundingClientRect();
      return [b.x + b.width / 2, b.y + b.height / 2]; })()`);
    await moveTo(Math.round(x), Math.round(y));
    await browser.mouse('down');
    await browser.mouse('up');
    return 'ok';
  }
  if (verb === 'click') {
    // Whole pixels: the moves that follow are measured from here. Without
    // X and Y, where the pointer is.
    const c = await canvas();
    if (args.length) await moveTo(Math.round(c.x + +args[0] / c.s), Math.round(c.y + +args[1] / c.s));
    await browser.mouse('down');
    await browser.mouse('up');
    return 'ok';
  }
  if (verb === 'move') {
    await moveTo(mouse.x + +args[0], mouse.y + +args[1]);
    return 'ok';
  }
  if (verb === 'key') {
    const steps = args[0] === 'press' ? ['down', 'up'] : [args[0]];
    for (const step of steps) await browser.key(step, args[1]);
    return 'ok';
  }
  if (verb === 'shot') {  // each engine's screenshot is of the picture, 1280 x 720
    const c = await canvas();
    const image = PNG.sync.read(await browser.screenshot({ x: c.x, y: c.y, width: c.w, height: c.h }));
    if (image.width !== 1280 || image.height !== 720) return `error the picture came ${image.width} x ${image.height}`;
    const rgb = Buffer.alloc(1280 * 720 * 3);
    for (let i = 0; i < 1280 * 720; ++i) image.data.copy(rgb, i * 3, i * 4, i * 4 + 3);
    writeFileSync(rest, Buffer.concat([Buffer.from('P6\n1280 720\n255\n'), rgb]));
    return 'ok';
  }
  if (verb === 'eval') return 'ok ' + JSON.stringify(await evaluate(rest));
  if (verb === 'errors') return 'ok ' + JSON.stringify(await evaluate('window.veldrakeErrors'));
  if (verb === 'axe') {  // axe-core (pinned in package.json) put into the page as a script of its own
    if (!await evaluate('typeof axe !== "undefined"')) await evaluate(`((0, eval)(${JSON.stringify(axeSource)}), true)`);
    return 'ok ' + JSON.stringify(await evaluate(`axe.run(document, { resultTypes: ['violations'] }).then(r =>
      r.violations.filter(v => v.impact === 'serious' || v.impact === 'critical')
        .flatMap(v => v.nodes.map(n => v.id + ': ' + n.target.join(' '))))`));
  }
  if (verb === 'audio') {  // "ok STATE,STATE MS RMS MS RMS ..."
    const [states, levels] = await evaluate('[veldrakeAudioContexts.map(c => c.state), veldrakeAudioLevels.splice(0)]');
    return `ok ${states.join(',') || 'none'} ${levels.flat().join(' ')}`.trim();
  }
  if (verb === 'served') return 'ok ' + JSON.stringify(served);
  if (verb === 'network') {
    networkUp = args[0] === 'on';
    if (!networkUp) for (const socket of sockets) socket.destroy();
    return 'ok';
  }
  if (verb === 'reload') {
    await browser.reload();
    return 'ok';
  }
  if (verb === 'finger') {  // where each finger is, in page pixels; a touch handle each (puppeteer's)
    const n = args[0];
    if (args[1] === 'by') {
      const f = fingers[n], [dx, dy] = [+args[2], +args[3]], steps = Math.max(1, Math.ceil(Math.hypot(dx, dy) / 20));
      for (let i = 1; i <= steps; ++i) await f.handle.move(f.x + dx * i / steps, f.y + dy * i / steps);
      f.x += dx; f.y += dy;
      return 'ok';
    }
    const selector = args.slice(3).join(' ');
    const [x, y] = await evaluate(`(() => { const b = document.querySelector(${JSON.stringify(selector)}).getBoundingClientRect();
      return [b.x + b.width * ${+args[1]}, b.y + b.height * ${+args[2]}]; })()`);
    fingers[n] = { x, y, handle: await browser.touchStart(x, y) };
    return 'ok';
  }
  if (verb === 'cancel') {
    await browser.touchCancel(fingers[args[0]].handle);
    delete fingers[args[0]];
    return 'ok';
  }
  if (verb === 'lift') {
    await fingers[args[0]].handle.end();
    delete fingers[args[0]];
    return 'ok';
  }
  if (verb === 'quit') await finish(0);
  return 'error unknown command';
}
const input = createInterface({ input: process.stdin });
console.log('ok ready');
for await (const line of input) {
  if (process.env.VELDRAKE_DRIVER_LOG) console.error(new Date().toISOString(), 'command', line.slice(0, 120));
  try { console.log((await command(line)).replace(/\n/g, ' ')); } catch (e) { console.log('error ' + String(e.message).replace(/\n/g, ' ')); }
}
await finish(0);
