// The browser build in each engine on this machine (Chromium, Firefox and
// WebKitGTK, as the web tests drive them), beside the native build's
// figures: what the page transfers, how soon the first frame follows the
// click, and what a frame costs with the level alone and with every burst
// slot alive (per-frame cost from the page's ?bench recording).
// Usage: node web_bench.mjs PAGE-DIR [NATIVE-JSON] [ENGINE...]
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createInterface } from 'node:readline';

const [pageDir, nativeJson, ...chosen] = process.argv.slice(2);
const sleep = ms => new Promise(r => setTimeout(r, ms));
const percentile = (v, f) => { const s = [...v].sort((a, b) => a - b); return s[Math.round(f * (s.length - 1))]; };

async function measure(engine) {
  const driver = spawn(process.execPath, [new URL('../tests/platform/web/page_driver.mjs', import.meta.url).pathname,
    pageDir, 'bench'], { stdio: ['pipe', 'pipe', 'inherit'], env: { ...process.env, VELDRAKE_BROWSER: engine } });
  const lines = createInterface({ input: driver.stdout })[Symbol.asyncIterator]();
  async function ask(command) {
    if (command) driver.stdin.write(command.replace(/\s*\n\s*/g, ' ') + '\n');
    const { value } = await lines.next();
    if (!value || !value.startsWith('ok')) throw new Error(`${command}: ${value}`);
    return value.slice(3);
  }
  const evaluate = async js => JSON.parse(await ask('eval ' + js));
  try {
    await ask();
    for (let i = 0; i < 600 && !(await evaluate("!document.getElementById('prompt').hidden")); ++i) await sleep(50);
    const loaded = await evaluate('performance.getEntriesByType("navigation")[0].loadEventEnd');
    // The first frame shown, watched on every animation frame.
    await evaluate(`(() => { document.addEventListener('mousedown', () => { window.clickedAt = performance.now(); }, true);
      const watch = () => window.veldrakeFramesShown ? (window.firstFrameAt = performance.now())
                                                     : requestAnimationFrame(watch);
      requestAnimationFrame(watch); return 1; })()`);
    await ask('click 640 360');
    // A browser that refuses fullscreen asks the windowed-mode question
    // first: the time is then counted from its Yes.
    let first = null, asked = false;
    for (let i = 0; i < 600 && first === null; ++i) {
      await sleep(20);
      first = await evaluate('window.firstFrameAt ?? null');
      if (first === null && !asked && await evaluate("!document.getElementById('msgbox').hidden")) {
        asked = true;
        await ask('press #msgbox button');
      }
    }
    if (first === null) throw new Error('no frame was recorded (is ?bench supported?)');
    const clicked = await evaluate('window.clickedAt');
    const locked = await evaluate('!!document.pointerLockElement');
    const fullscreen = await evaluate('!!document.fullscreenElement');

    // Frames over a few seconds of turning at about one degree a frame, to
    // and fro (a free pointer turns the view only over the canvas).
    async function frames(seconds, each, pause = 5) {
      await evaluate('window.veldrakeFrameTimes.length = window.veldrakeFrameIntervals.length = 0');
      const end = Date.now() + seconds * 1000;
      let steps = 0;
      while (Date.now() < end) { await each(steps++); if (pause) await sleep(pause); }
      return [await evaluate('window.veldrakeFrameTimes.slice()'), steps / seconds,
              await evaluate('window.veldrakeFrameIntervals.slice()')];
    }
    await sleep(500);
    await ask('move 0 -240');  // level: the walls of ring 1 around
    const [level, , levelIntervals] = await frames(5, step => ask(step % 60 < 30 ? 'move 8 0' : 'move -8 0'));
    // Every click fires: 45 in the first second fill every slot, and shooting on
    // at that rate, fanned out 8 degrees apart, keeps them alive.
    const [bursts, rate, burstIntervals] = await frames(6, step => ask(step % 2 ? 'fan 5 -64' : 'fan 5 64'), 0);
    const served = JSON.parse(await ask('served'));
    const errors = JSON.parse(await ask('errors'));
    return { engine, loaded, first, clicked, asked, locked, fullscreen, level, levelIntervals, bursts, rate,
             burstIntervals, served, errors };
  } finally {
    driver.stdin.end();
    await new Promise(r => driver.on('exit', r));
  }
}

const native = {};
if (nativeJson) for (const b of JSON.parse(readFileSync(nativeJson, 'utf8').replace(/^[^{]*/, '')).benchmarks)
  native[b.name.replace(/\/.*/, '')] = b;
const row = (name, web, nat) => {
  const w = [percentile(web, 0.5), percentile(web, 0.95)];
  const n = nat ? [nat.p50_ms, nat.p95_ms] : [NaN, NaN];
  console.log(`  ${name.padEnd(28)} p50 ${w[0].toFixed(1).padStart(6)}  p95 ${w[1].toFixed(1).padStart(6)} ms` +
    `   native p50 ${n[0].toFixed(1).padStart(5)}  p95 ${n[1].toFixed(1).padStart(5)} ms` +
    `   p95 ${(w[1] / n[1]).toFixed(2)}x native (goal: <= 2x)   ${web.length} frames`);
};
// The page's cost leaves out what the browser draws meanwhile; the interval
// between frames holds it, with the game's 15 ms pacing and the wait for the
// browser's next frame.
const gaps = (name, v) => console.log(`  ${name.padEnd(28)} frame to frame p50 ${percentile(v, 0.5).toFixed(1).padStart(6)}` +
  `  p95 ${percentile(v, 0.95).toFixed(1).padStart(6)} ms (${(1000 / percentile(v, 0.5)).toFixed(0)} frames/s at p50)`);
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
    console.log(`Transferred (gzip -9 of each file): ${kb.toFixed(0)} KiB (goal: <= 1536 KiB)`);
    for (const [file, size] of Object.entries(r.served)) console.log(`  ${file.padEnd(26)} ${(size / 1024).toFixed(0)} KiB`);
  }
  console.log(`${engine}: ${r.fullscreen ? 'fullscreen' : 'in the page\'s window'}, ` +
    `${r.locked ? 'pointer locked' : 'pointer free'}`);
  console.log(`  Page loaded ${r.loaded.toFixed(0)} ms after navigation; first frame ${(r.first - r.clicked).toFixed(0)} ms ` +
    `after the ${r.asked ? 'windowed-mode question\'s Yes' : 'click'} (goal: <= 1500 ms)`);
  row('Level alone, turning', r.level, native.BM_FrameEmptyLevel);
  row(`45 bursts (${(r.rate * 5).toFixed(0)} shots/s)`, r.bursts, native.BM_FrameAllBursts);
  gaps('Level alone, turning', r.levelIntervals);
  gaps('45 bursts', r.burstIntervals);
  if (r.errors.length) console.log(`  Console errors: ${r.errors.join(' | ')}`);
}
process.exit(failed ? 1 : 0);
