// The page's frame pacing (src/platform/web/pacing.js) against a browser's
// event loop on a clock the test sets: timers stretched to 4 ms once they
// nest five deep (as every engine does), messages to the page's own port,
// and display frames at a given rate. The game's side is its frame loop:
// draw, sleep a millisecond at a time until 15 ms have passed, swap.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';

// The page's module as it is, whatever Node makes of a .js file's kind.
const source = readFileSync(new URL('../../../src/platform/web/pacing.js', import.meta.url), 'utf8');
const { makePacing } = await import(`data:text/javascript,${encodeURIComponent(source)}`);

function browser({ hz, hidden = false }) {
  const tasks = [];  // { at, run, nesting }
  const frames = [];
  let now = 0, nesting = 0, order = 0;
  const schedule = (at, run, taskNesting) => tasks.push({ at, run, nesting: taskNesting, order: order++ });
  const host = {
    now: () => now,
    hidden: () => hidden,
    requestFrame: callback => frames.push(callback),
    setTimeout: (callback, ms) => {
      const level = nesting + 1;
      schedule(now + (level > 5 && ms < 4 ? 4 : ms), callback, level);
    },
    post: callback => schedule(now, callback, 0),
  };
  const period = hz ? 1000 / hz : Infinity;
  let nextFrame = period;
  return {
    host,
    advance: ms => { now += ms; },
    // Runs tasks and display frames in time order until the clock passes `until`.
    run(until) {
      while (now < until) {
        tasks.sort((a, b) => a.at - b.at || a.order - b.order);
        const task = tasks[0];
        if (!task && nextFrame === Infinity) return;
        if (!task || nextFrame <= task.at) {
          now = Math.max(now, nextFrame);
          nextFrame += period;
          nesting = 0;
          frames.splice(0).forEach(callback => callback(now));
          continue;
        }
        tasks.shift();
        now = Math.max(now, task.at) + 0.05;  // a task starts a moment after it is due
        nesting = task.nesting;
        task.run();
        nesting = 0;
      }
    },
  };
}

// The game's loop over the pacing, counting its steps and how far it ever
// got ahead of the display.
function play({ hz, hidden, seconds = 10, drawMs = 3 }) {
  const page = browser({ hz, hidden });
  const pacing = makePacing(page.host);
  let steps = 0, lastFrameEnd = 0, drawnSinceShown = 0, mostAhead = 0;
  page.host.requestFrame(function counted() { drawnSinceShown = 0; page.host.requestFrame(counted); });
  function frame() {
    page.advance(drawMs);
    waitForFrameTime();
  }
  function waitForFrameTime() {
    if (page.host.now() - lastFrameEnd < 15) return pacing.sleep(1, waitForFrameTime);
    lastFrameEnd = page.host.now();
    steps++;
    mostAhead = Math.max(mostAhead, ++drawnSinceShown);
    if (pacing.behind()) pacing.awaitDisplay(frame);
    else page.host.post(frame);
  }
  frame();
  page.run(seconds * 1000);
  return { perSecond: steps / seconds, mostAhead };
}

test('the game keeps 64 to 68 steps a second at every display rate, ahead of a 60 Hz display by two frames at most', () => {
  for (const hz of [60, 75, 90, 144]) {
    const { perSecond, mostAhead } = play({ hz });
    assert.ok(perSecond >= 64 && perSecond <= 68, `${hz} Hz: ${perSecond} steps a second`);
    assert.ok(mostAhead <= 2, `${hz} Hz: ${mostAhead} frames drawn between two shown`);
  }
});

test('a browser that shows a frame only every 200 ms holds the game back; a hidden page runs it at 4 steps a second', () => {
  const slow = play({ hz: 5 });
  assert.ok(slow.mostAhead <= 5, `${slow.mostAhead} frames drawn between two shown`);
  assert.ok(slow.perSecond < 30, `${slow.perSecond} steps a second`);
  const hidden = play({ hz: 60, hidden: true });
  assert.ok(hidden.perSecond >= 3.5 && hidden.perSecond <= 4.1, `hidden: ${hidden.perSecond} steps a second`);
});
