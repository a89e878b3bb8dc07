// Drives the browser build in headless Chromium for the web tests and the web
// benchmark: serves a folder on 127.0.0.1, opens the page, and answers one
// line command at a time on stdin with one line on stdout ("ok ..." or
// "error ..."). Run with `node --experimental-websocket`.
//   click X Y | down X Y | up X Y     left button at page pixel X,Y
//   move DX DY                        relative mouse motion (pointer lock)
//   fan N DX                          N shots with the left button, turning DX pixels after each
//   key down|up|press NAME            KeyW, Space, Escape, Enter, ArrowLeft...
//   shot PATH                         the canvas as a binary PPM
//   eval JS                           the value as JSON
//   errors                            console errors so far, as JSON
//   audio                             the page's output levels [[ms, rms]...]
//   quit
// Usage: page_driver.mjs FOLDER [QUERY] [SCREENxW] [SCREENxH]
import { spawn } from 'node:child_process';
import { createServer } from 'node:http';
import { mkdtempSync, readFileSync, writeFileSync, existsSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, extname, normalize } from 'node:path';
import { createInterface } from 'node:readline';
import { inflateSync, gzipSync } from 'node:zlib';

const [folder, query = '', screenW = '1920', screenH = '1080'] = process.argv.slice(2);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                 '.data': 'application/octet-stream' };
const served = {};  // path -> gzip size, for the transfer figure
const server = createServer((req, res) => {
  const path = normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/+/, '') || 'index.html';
  if (path === 'favicon.ico') { res.writeHead(204); res.end(); return; }
  const file = join(folder, path);
  if (path.startsWith('..') || !existsSync(file)) { res.writeHead(404); res.end(); return; }
  const body = readFileSync(file);
  served[path] = gzipSync(body, { level: 9 }).length;
  res.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream',
                       'Cache-Control': 'no-store' });
  res.end(body);
});
await new Promise(r => server.listen(0, '127.0.0.1', r));

const profile = mkdtempSync(join(tmpdir(), 'veldrake-chromium-'));
const chromium = spawn(process.env.CHROMIUM || '/usr/bin/chromium', [
  '--headless=new', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--autoplay-policy=no-user-gesture-required', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--no-first-run', '--mute-audio=false', `--user-data-dir=${profile}`,
  '--remote-debugging-port=0', `--window-size=${screenW},${screenH}`, 'about:blank'], { stdio: 'ignore', detached: true });
// Chromium's GPU and renderer processes outlive a killed browser process and
// go on drawing: the whole process group goes.
function finish(code) {
  try { process.kill(-chromium.pid, 'SIGKILL'); } catch {}
  server.close();
  try { rmSync(profile, { recursive: true, force: true }); } catch {}
  process.exit(code);
}
process.on('SIGTERM', () => finish(1));
const sleep = ms => new Promise(r => setTimeout(r, ms));
let port = null;
for (let i = 0; i < 300 && !port; ++i) {
  await sleep(50);
  try { port = readFileSync(join(profile, 'DevToolsActivePort'), 'utf8').split('\n')[0]; } catch {}
}
if (!port) { console.log('error chromium did not start'); finish(1); }
const targets = await (await fetch(`http://127.0.0.1:${port}/json/list`)).json();
const ws = new WebSocket(targets.find(t => t.type === 'page').webSocketDebuggerUrl);
await new Promise((r, j) => { ws.onopen = r; ws.onerror = j; });
let nextId = 1;
const waiting = new Map();
const errors = [];
ws.onmessage = ({ data }) => {
  const m = JSON.parse(data);
  if (m.id && waiting.has(m.id)) { waiting.get(m.id)(m); waiting.delete(m.id); return; }
  const p = m.params;
  if (m.method === 'Runtime.consoleAPICalled' && (p.type === 'error' || p.type === 'assert'))
    errors.push(p.args.map(a => a.value ?? a.description).join(' '));
  else if (m.method === 'Runtime.exceptionThrown')
    errors.push(p.exceptionDetails.exception?.description || p.exceptionDetails.text);
  else if (m.method === 'Log.entryAdded' && p.entry.level === 'error') errors.push(p.entry.text);
};
ws.onclose = () => finish(1);
function send(method, params = {}) {
  return new Promise((resolve, reject) => {
    const id = nextId++;
    waiting.set(id, m => m.error ? reject(new Error(m.error.message)) : resolve(m.result));
    ws.send(JSON.stringify({ id, method, params }));
  });
}

// Everything played into an AudioContext's output also feeds a recorder that
// keeps the level of every block with the page's clock.
const recorder = `(() => {
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
          const heard = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : {};
          const at = heard.performanceTime ? heard.performanceTime + (e.playbackTime - heard.contextTime) * 1000
                                           : performance.now();
          window.veldrakeAudioLevels.push([at, Math.sqrt(sum / n)]);
        };
        connect.call(tap, mute);
        connect.call(mute, ctx.destination);
        taps.set(ctx, tap);
        window.veldrakeAudioContexts.push(ctx);
      }
      connect.call(this, tap);
    }
    return out;
  };
})();`;

await send('Runtime.enable');
await send('Log.enable');
await send('Page.enable');
await send('Page.addScriptToEvaluateOnNewDocument', { source: recorder });
await send('Emulation.setDeviceMetricsOverride', { width: 1280, height: 720, deviceScaleFactor: 1, mobile: false,
  screenWidth: +screenW, screenHeight: +screenH });
const loaded = new Promise(r => { const f = ws.onmessage; ws.onmessage = e => {
  f(e); if (JSON.parse(e.data).method === 'Page.loadEventFired') { ws.onmessage = f; r(); } }; });
await send('Page.navigate', { url: `http://127.0.0.1:${server.address().port}/index.html${query ? '?' + query : ''}` });
await loaded;

async function evaluate(expression) {
  const r = await send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true, userGesture: true });
  if (r.exceptionDetails) throw new Error(r.exceptionDetails.exception?.description || r.exceptionDetails.text);
  return r.result.value;
}

// A PNG from the screenshot as RGB rows (8-bit RGB or RGBA, not interlaced).
function decodePng(png) {
  let at = 8, width = 0, height = 0, type = 0;
  const idat = [];
  while (at < png.length) {
    const size = png.readUInt32BE(at), name = png.toString('ascii', at + 4, at + 8);
    if (name === 'IHDR') { width = png.readUInt32BE(at + 8); height = png.readUInt32BE(at + 12); type = png[at + 17]; }
    if (name === 'IDAT') idat.push(png.subarray(at + 8, at + 8 + size));
    at += 12 + size;
  }
  const raw = inflateSync(Buffer.concat(idat)), bpp = type === 6 ? 4 : 3, stride = width * bpp;
  const rows = Buffer.alloc(stride * height), rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const f = raw[y * (stride + 1)], src = y * (stride + 1) + 1, dst = y * stride;
    for (let x = 0; x < stride; ++x) {
      const a = x >= bpp ? rows[dst + x - bpp] : 0, b = y ? rows[dst - stride + x] : 0;
      const c = x >= bpp && y ? rows[dst - stride + x - bpp] : 0;
      let p = raw[src + x];
      if (f === 1) p += a; else if (f === 2) p += b; else if (f === 3) p += (a + b) >> 1;
      else if (f === 4) { const e = a + b - c, pa = Math.abs(e - a), pb = Math.abs(e - b), pc = Math.abs(e - c);
        p += pa <= pb && pa <= pc ? a : pb <= pc ? b : c; }
      rows[dst + x] = p & 255;
    }
    for (let x = 0; x < width; ++x) rows.copy(rgb, (y * width + x) * 3, dst + x * bpp, dst + x * bpp + 3);
  }
  return Buffer.concat([Buffer.from(`P6\n${width} ${height}\n255\n`), rgb]);
}

// Where the canvas is on the page, and its pixels per CSS pixel.
async function canvas() {
  const [x, y, w] = await evaluate(`(() => { const b = document.getElementById('canvas').getBoundingClientRect();
    return [b.x, b.y, b.width]; })()`);
  return { x, y, s: 1280 / w };
}
const mouse = { x: 640, y: 360 };
const keys = { Space: [' ', 32], Escape: ['Escape', 27], Enter: ['Enter', 13], ArrowLeft: ['ArrowLeft', 37],
  ArrowUp: ['ArrowUp', 38], ArrowRight: ['ArrowRight', 39], ArrowDown: ['ArrowDown', 40] };
async function command(line) {
  const [verb, ...args] = line.trim().split(' ');
  const rest = line.trim().slice(verb.length + 1);
  if (verb === 'press') {  // the element matching a CSS selector, e.g. a message box's button
    const r = await evaluate(`(() => { const b = document.querySelector(${JSON.stringify(rest)}).getBoundingClientRect();
      return [b.x + b.width / 2, b.y + b.height / 2]; })()`);
    return command(`click ${r[0]} ${r[1]} page`);
  }
  if (verb === 'click' || verb === 'down' || verb === 'up') {
    const c = args[2] === 'page' ? { x: 0, y: 0, s: 1 } : await canvas();
    // Whole pixels: the moves that follow are measured from here, and a
    // fractional start rounds some of them a pixel short.
    mouse.x = Math.round(c.x + +args[0] / c.s); mouse.y = Math.round(c.y + +args[1] / c.s);
    for (const type of verb === 'click' ? ['mousePressed', 'mouseReleased'] : [verb === 'down' ? 'mousePressed' : 'mouseReleased'])
      await send('Input.dispatchMouseEvent', { type, x: mouse.x, y: mouse.y, button: 'left', buttons: type === 'mousePressed' ? 1 : 0, clickCount: 1 });
    return 'ok';
  }
  if (verb === 'fan') {  // N presses of the left button, each followed by a turn of DX pixels, sent at once
    const sent = [];
    for (let i = 0; i < +args[0]; ++i) {
      for (const type of ['mousePressed', 'mouseReleased'])
        sent.push(send('Input.dispatchMouseEvent', { type, x: mouse.x, y: mouse.y, button: 'left', buttons: type === 'mousePressed' ? 1 : 0, clickCount: 1 }));
      mouse.x += +args[1];
      sent.push(send('Input.dispatchMouseEvent', { type: 'mouseMoved', x: mouse.x, y: mouse.y }));
    }
    await Promise.all(sent);
    return 'ok';
  }
  if (verb === 'move') {
    mouse.x += +args[0]; mouse.y += +args[1];
    await send('Input.dispatchMouseEvent', { type: 'mouseMoved', x: mouse.x, y: mouse.y });
    return 'ok';
  }
  if (verb === 'key') {
    const name = args[1];
    const [key, code] = keys[name] || [name.replace(/^Key/, '').toLowerCase(), name.replace(/^Key/, '').charCodeAt(0)];
    const types = args[0] === 'press' ? ['keyDown', 'keyUp'] : [args[0] === 'down' ? 'keyDown' : 'keyUp'];
    for (const type of types)
      await send('Input.dispatchKeyEvent', { type, key, code: name, windowsVirtualKeyCode: code, nativeVirtualKeyCode: code,
        text: type === 'keyDown' && key.length === 1 ? key : undefined });
    return 'ok';
  }
  if (verb === 'shot') {
    const c = await canvas();
    const r = await send('Page.captureScreenshot', { format: 'png',
      clip: { x: c.x, y: c.y, width: 1280 / c.s, height: 720 / c.s, scale: c.s } });
    writeFileSync(rest, decodePng(Buffer.from(r.data, 'base64')));
    return 'ok';
  }
  if (verb === 'eval') return 'ok ' + JSON.stringify(await evaluate(rest) ?? null);
  if (verb === 'errors') return 'ok ' + JSON.stringify(errors);
  if (verb === 'audio') {  // "ok STATE,STATE MS RMS MS RMS ..."
    const [states, levels] = await evaluate('[veldrakeAudioContexts.map(c => c.state), veldrakeAudioLevels.splice(0)]');
    return `ok ${states.join(',') || 'none'} ${levels.flat().join(' ')}`.trim();
  }
  if (verb === 'served') return 'ok ' + JSON.stringify(served);
  if (verb === 'quit') finish(0);
  return 'error unknown command';
}
const input = createInterface({ input: process.stdin });
console.log('ok ready');
for await (const line of input) {
  try { console.log((await command(line)).replace(/\n/g, ' ')); } catch (e) { console.log('error ' + String(e.message).replace(/\n/g, ' ')); }
}
finish(0);
