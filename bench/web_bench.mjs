// The browser build in headless Chromium on this machine, beside the native
// build's figures: what the page transfers, how soon the first frame follows
// the click (over several page loads, in fullscreen and in the page's window),
// and what a frame costs with the level alone and with every burst slot alive
// (per-frame cost from the page's ?bench recording), with the steps the game
// made per second.
// Usage: node --experimental-websocket web_bench.mjs PAGE-DIR [NATIVE-JSON]
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createInterface } from 'node:readline';

const [pageDir, nativeJson] = process.argv.slice(2);
const loads = 5;  // page loads for each way to the first frame
const sleep = ms => new Promise(r => setTimeout(r, ms));
const percentile = (v, f) => { const s = [...v].sort((a, b) => a - b); return s[Math.round(f * (s.length - 1))]; };
// The page loaded afresh, on a screen of this size.
function open(screenW = 1920, screenH = 1080) {
  const driver = spawn(process.execPath, ['--experimental-websocket', '--no-warnings',
    new URL('../tests/platform/web/page_driver.mjs', import.meta.url).pathname, pageDir, 'bench', screenW, screenH],
    { stdio: ['pipe', 'pipe', 'inherit'] });
  const lines = createInterface({ input: driver.stdout })[Symbol.asyncIterator]();
  const ask = async command => {
    if (command) driver.stdin.write(command.replace(/\s*\n\s*/g, ' ') + '\n');
    const { value } = await lines.next();
    if (!value || !value.startsWith('ok')) throw new Error(`${command}: ${value}`);
    return value.slice(3);
  };
  const close = () => new Promise(r => { driver.on('exit', r); driver.stdin.end(); });
  return { ask, evaluate: async js => JSON.parse(await ask('eval ' + js)), close };
}
// From the click that starts the game, or in the page's window from the Yes
// to the windowed-mode question, to the first frame shown (watched on every
// animation frame).
async function firstFrame({ ask, evaluate }, windowed) {
  await ask();
  for (let i = 0; i < 600 && !(await evaluate("!!document.getElementById('prompt')")); ++i) await sleep(50);
  await evaluate(`(() => { document.addEventListener('mousedown', () => { window.clickedAt = performance.now(); }, true);
    const watch = () => window.veldrakeFramesShown ? (window.firstFrameAt = performance.now())
                                                   : requestAnimationFrame(watch);
    requestAnimationFrame(watch); return 1; })()`);
  await ask('click 640 360');
  if (windowed) {
    for (let i = 0; i < 600 && !(await evaluate("!document.getElementById('msgbox').hidden && !document.pointerLockElement")); ++i)
      await sleep(20);
    await ask('press #msgbox button');  // Yes
  }
  let first = null;
  for (let i = 0; i < 600 && first === null; ++i) { await sleep(20); first = await evaluate('window.firstFrameAt ?? null'); }
  if (first === null) throw new Error('no frame was recorded (is ?bench supported?)');
  return [first, first - (await evaluate('window.clickedAt'))];
}
const windowFirst = [], fullscreenFirst = [];
for (let i = 0; i < loads; ++i) {
  const page = open(1024, 600);
  windowFirst.push((await firstFrame(page, true))[1]);
  await page.close();
}
for (let i = 1; i < loads; ++i) {
  const page = open();
  fullscreenFirst.push((await firstFrame(page, false))[1]);
  await page.close();
}
// The last load is played on.
const played = open(), { ask, evaluate } = played;
const [first, firstAfterClick] = await firstFrame(played, false);
fullscreenFirst.push(firstAfterClick);
const loaded = await evaluate('performance.getEntriesByType("navigation")[0].loadEventEnd');

// Frames over a few seconds of turning at about one degree a frame.
async function frames(seconds, each, pause = 5) {
  await evaluate('window.veldrakeFrameTimes.length = window.veldrakeFrameIntervals.length = 0');
  const start = Date.now(), end = start + seconds * 1000;
  let steps = 0;
  while (Date.now() < end) { await each(steps++); if (pause) await sleep(pause); }
  const times = await evaluate('window.veldrakeFrameTimes.slice()');
  return [times, steps / seconds, await evaluate('window.veldrakeFrameIntervals.slice()'),
          times.length * 1000 / (Date.now() - start)];
}
await sleep(500);
await ask('move 0 -240');  // level: the walls of ring 1 around
const [level, , levelIntervals, levelSteps] = await frames(5, () => ask('move 8 0'));
// Every click fires: 45 in the first second fill every slot, and shooting on
// at that rate, fanned out 8 degrees apart, keeps them alive.
const [bursts, rate, burstIntervals, burstSteps] = await frames(6, () => ask('fan 5 64'), 0);
const served = JSON.parse(await ask('served'));
const errors = JSON.parse(await ask('errors'));
await played.close();

const native = {};
if (nativeJson) for (const b of JSON.parse(readFileSync(nativeJson, 'utf8').replace(/^[^{]*/, '')).benchmarks)
  native[b.name.replace(/\/.*/, '')] = b;
const kb = Object.values(served).reduce((a, b) => a + b, 0) / 1024;
const row = (name, web, nat, goal, steps) => {
  const w = [percentile(web, 0.5), percentile(web, 0.95)];
  const n = nat ? [nat.p50_ms, nat.p95_ms] : [NaN, NaN];
  console.log(`${name.padEnd(28)} p50 ${w[0].toFixed(2).padStart(6)}  p95 ${w[1].toFixed(2).padStart(6)} ms (goal: ${goal})` +
    `   native p50 ${n[0].toFixed(1).padStart(5)}  p95 ${n[1].toFixed(1).padStart(5)} ms` +
    `   ${web.length} frames, ${steps.toFixed(1)} steps/s`);
};
const median = v => percentile(v, 0.5).toFixed(0);
console.log(`Transferred (gzip -9 of each file): ${kb.toFixed(0)} KiB (goal: <= 600 KiB)`);
for (const [file, size] of Object.entries(served)) console.log(`  ${file.padEnd(26)} ${(size / 1024).toFixed(0)} KiB`);
console.log(`Page loaded ${loaded.toFixed(0)} ms after navigation; first frame ${first.toFixed(0)} ms after navigation`);
console.log(`Click to first frame, median of ${loads} loads: in the page's window ${median(windowFirst)} ms` +
  ` (goal: <= 500 ms; ${windowFirst.map(t => t.toFixed(0)).join(' ')}), fullscreen ${median(fullscreenFirst)} ms` +
  ` (${fullscreenFirst.map(t => t.toFixed(0)).join(' ')})`);
row('Level alone, turning', level, native.BM_FrameEmptyLevel, 'p95 <= 1.5', levelSteps);
row(`45 bursts (${(rate * 5).toFixed(0)} shots/s)`, bursts, native.BM_FrameAllBursts, 'p50 <= 1, p95 <= 3', burstSteps);
// The page's cost leaves out what the browser's GPU process draws meanwhile;
// the interval between frames holds it, with the game's 15 ms pacing and the
// wait for the browser's next frame.
const gaps = (name, v) => console.log(`${name.padEnd(28)} frame to frame p50 ${percentile(v, 0.5).toFixed(1).padStart(6)}` +
  `  p95 ${percentile(v, 0.95).toFixed(1).padStart(6)} ms (${(1000 / percentile(v, 0.5)).toFixed(0)} frames/s at p50)`);
gaps('Level alone, turning', levelIntervals);
gaps('45 bursts', burstIntervals);
if (errors.length) console.log(`Console errors: ${errors.join(' | ')}`);
