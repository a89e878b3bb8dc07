// The browser build in each engine on this machine (Chromium, Firefox and
// WebKitGTK, as the web tests drive them), beside the native build's
// figures: what the page transfers, how soon the first frame follows the
// click (over several page loads, in the page's window and in fullscreen),
// and what a frame costs the page itself with the level alone and with every
// burst slot alive (from the page's ?bench recording), with the steps the
// game made per second.
// Usage: node web_bench.mjs PAGE-DIR [NATIVE-JSON] [ENGINE...]
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createInterface } from 'node:readline';

const [pageDir, nativeJson, ...chosen] = process.argv.slice(2);
const loads = 5;  // page loads for each way to the first frame
const sleep = ms => new Promise(r => setTimeout(r, ms));
const percentile = (v, f) => { const s = [...v].sort((a, b) => a - b); return s[Math.round(f * (s.length - 1))]; };
const median = v => v.length ? percentile(v, 0.5).toFixed(0) : '-';

// The page loaded afresh in one engine, on a screen of this size.
function open(engine, screenW = 1920, screenH = 1080) {
  const driver = spawn(process.execPath, [new URL('../tests/platform/web/page_driver.mjs', import.meta.url).pathname,
    pageDir, 'bench', screenW, screenH], { stdio: ['pipe', 'pipe', 'inherit'], env: { ...process.env, VELDRAKE_BROWSER: engine } });
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

// From the click that starts the game, or where the windowed-mode question
// comes (a small screen, a refused fullscreen) from its Yes, to the first
// frame shown (watched on every animation frame).
async function firstFrame({ ask, evaluate }) {
  await ask();
  for (let i = 0; i < 600 && !(await evaluate("!document.getElementById('prompt').hidden")); ++i) await sleep(50);
  await evaluate(`(() => { document.addEventListener('mousedown', () => { window.clickedAt = performance.now(); }, true);
    const watch = () => window.veldrakeFramesShown ? (window.firstFrameAt = performance.now())
                                                   : requestAnimationFrame(watch);
    requestAnimationFrame(watch); return 1; })()`);
  await ask('click 640 360');
  let first = null, asked = false;
  for (let i = 0; i < 600 && first === null; ++i) {
    await sleep(20);
    first = await evaluate('window.firstFrameAt ?? null');
    if (first === null && !asked && await evaluate("!document.getElementById('msgbox').hidden && !document.pointerLockElement")) {
      asked = true;
      await ask('press #msgbox button');  // Yes
    }
  }
  if (first === null) throw new Error('no frame was recorded (is ?bench supported?)');
  return { first, wait: first - await evaluate('window.clickedAt'), asked };
}

// Frames over a few seconds; `each` runs once a step.
async function frames({ evaluate }, seconds, each) {
  await evaluate('window.veldrakeFrameTimes.length = window.veldrakeFrameIntervals.length = 0');
  const start = Date.now(), end = start + seconds * 1000;
  let steps = 0;
  while (Date.now() < end) { await each(steps++); await sleep(5); }
  const times = await evaluate('window.veldrakeFrameTimes.slice()');
  return { times, intervals: await evaluate('window.veldrakeFrameIntervals.slice()'),
           stepsPerSecond: times.length * 1000 / (Date.now() - start) };
}

// Shots fired by the page itself, a press on the canvas every 10 ms with a
// turn of 8 pixels, to and fro: one shot each frame (the most the game
// fires), whatever the engine's driver can send, fans the bursts out and
// keeps all 45 slots alive.
const volley = on => `(() => { clearInterval(window.veldrakeVolley); if (!${on}) return 1;
  const c = document.getElementById('canvas'), b = c.getBoundingClientRect(), x = b.x + b.width / 2, y = b.y + b.height / 2;
  let n = 0;
  window.veldrakeVolley = setInterval(() => {
    c.dispatchEvent(new MouseEvent('mousedown', { bubbles: true, button: 0, clientX: x, clientY: y }));
    c.dispatchEvent(new MouseEvent('mouseup', { bubbles: true, button: 0, clientX: x, clientY: y }));
    document.dispatchEvent(new MouseEvent('mousemove', { bubbles: true, clientX: x, clientY: y,
      movementX: ++n % 120 < 60 ? 8 : -8 }));
  }, 10);
  return 1; })()`;

async function measure(engine) {
  const windowed = [], fullscreen = [];
  // A load whose first frame never comes is counted and left out, up to two.
  let missed = 0, why = '';
  const start = async page => {
    try { return await firstFrame(page); } catch (e) { why = e.message; if (++missed > 2) throw e; return null; }
  };
  for (let i = 0; i < loads; ++i) {
    const page = open(engine, 1024, 600);
    try { const s = await start(page); if (s) windowed.push(s.wait); } finally { await page.close(); }
  }
  // The last load that shows its frame is played on.
  for (let i = 0; ; ++i) {
    const page = open(engine);
    let played = null;
    try {
      const first = await start(page);
      if (!first) continue;
      (first.asked ? windowed : fullscreen).push(first.wait);
      if (i < loads - 1) continue;
      const { ask, evaluate } = page;
      const loaded = await evaluate('performance.getEntriesByType("navigation")[0].loadEventEnd');
      const locked = await evaluate('!!document.pointerLockElement');
      await sleep(500);
      await ask('move 0 -240');  // level: the walls of ring 1 around
      const level = await frames(page, 5, step => ask(step % 60 < 30 ? 'move 8 0' : 'move -8 0'));
      await evaluate(volley(true));
      const bursts = await frames(page, 6, () => sleep(50));
      await evaluate(volley(false));
      played = { loaded, first: first.first, locked, level, bursts, served: JSON.parse(await ask('served')),
                 errors: JSON.parse(await ask('errors')) };
    } finally {
      await page.close();
    }
    if (played) return { ...played, windowed, fullscreen, missed, why };
  }
}

const native = {};
if (nativeJson) for (const b of JSON.parse(readFileSync(nativeJson, 'utf8').replace(/^[^{]*/, '')).benchmarks)
  native[b.name.replace(/\/.*/, '')] = b;
const row = (name, web, nat, goal) => {
  const w = [percentile(web.times, 0.5), percentile(web.times, 0.95)];
  const n = nat ? [nat.p50_ms, nat.p95_ms] : [NaN, NaN];
  console.log(`  ${name.padEnd(22)} p50 ${w[0].toFixed(2).padStart(6)}  p95 ${w[1].toFixed(2).padStart(6)} ms (goal: ${goal})` +
    `   native p50 ${n[0].toFixed(1).padStart(5)}  p95 ${n[1].toFixed(1).padStart(5)} ms   ${web.times.length} frames,` +
    ` ${web.stepsPerSecond.toFixed(1)} steps/s`);
  // The page's cost leaves out what the browser draws meanwhile; the
  // interval between frames holds it, with the game's 15 ms pacing and the
  // wait for the browser's next frame.
  const gap = percentile(web.intervals, 0.5);
  console.log(`  ${''.padEnd(22)} frame to frame p50 ${gap.toFixed(1).padStart(6)}  p95 ` +
    `${percentile(web.intervals, 0.95).toFixed(1).padStart(6)} ms (${(1000 / gap).toFixed(0)} frames/s at p50)`);
};
let failed = false;
for (const engine of chosen.length ? chosen : ['chromium', 'firefox', 'webkit']) {
  let r;
  try {
    r = await measure(engine);
  } catch (e) {
    console.log(`${engine}: no figures (${e.message})`);
    failed = true;
    continue;
  }
  if (engine === (chosen[0] || 'chromium')) {
    const kb = Object.values(r.served).reduce((a, b) => a + b, 0) / 1024;
    console.log(`Transferred (gzip -9 of each file): ${kb.toFixed(0)} KiB (goal: <= 600 KiB)`);
    for (const [file, size] of Object.entries(r.served)) console.log(`  ${file.padEnd(26)} ${(size / 1024).toFixed(0)} KiB`);
  }
  console.log(`${engine}: ${r.locked ? 'pointer locked' : 'pointer free'}; page loaded ${r.loaded.toFixed(0)} ms after ` +
    `navigation, first frame ${r.first.toFixed(0)} ms after navigation`);
  console.log(`  Click to first frame, median of the loads: in the page's window ${median(r.windowed)} ms ` +
    `(goal: <= 500 ms; ${r.windowed.map(t => t.toFixed(0)).join(' ')}), fullscreen ${median(r.fullscreen)} ms ` +
    `(${r.fullscreen.map(t => t.toFixed(0)).join(' ') || 'refused'})` +
    (r.missed ? `; ${r.missed} load(s) left out: ${r.why}` : ''));
  row('Level alone, turning', r.level, native.BM_FrameEmptyLevel, 'p95 <= 1.5');
  row('45 bursts', r.bursts, native.BM_FrameAllBursts, 'p50 <= 1, p95 <= 3');
  if (native.BM_PacedSteps) console.log(`  Native pace: ${native.BM_PacedSteps.steps_per_s.toFixed(1)} steps/s (goal: 64 to 68 everywhere)`);
  if (r.errors.length) console.log(`  Console errors: ${r.errors.join(' | ')}`);
}
process.exit(failed ? 1 : 0);
