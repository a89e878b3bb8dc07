// The start click, the pointer lock and fullscreen. Browsers allow the
// pointer lock, fullscreen and sound only from a gesture, so all are asked
// for by the click that starts the game.
import { openSound } from './sound.js';

export const canvas = document.getElementById('canvas');
const prompt = document.getElementById('prompt');
const hint = document.getElementById('hint');

// A screen of fingers and no mouse: the page's own controls, no pointer lock.
export const touchOnly = matchMedia('(pointer: coarse)').matches && !matchMedia('(any-pointer: fine)').matches;

// The pointer lock: false where the browser has none. A refusal comes as
// a pointerlockerror, which the game hears too: it plays on with the
// pointer free (and the hint below the canvas says so).
let refused = false;
export function lockPointer() {
  if (touchOnly || !canvas.requestPointerLock) {  // a locked pointer's fingers report no place
    refused = true;
    return false;
  }
  try {
    const request = canvas.requestPointerLock();
    if (request && request.catch) request.catch(function () {});  // the pointerlockerror says it
  } catch (e) {
    refused = true;
    return false;
  }
  return true;
}
document.addEventListener('pointerlockerror', function () { refused = true; });
document.addEventListener('pointerlockchange', function () { if (document.pointerLockElement) refused = false; });
export function pointerRefused() { return refused; }
export function pointerLocked() { return document.pointerLockElement === canvas; }
export function showPointerHint(show) { hint.hidden = !show || touchOnly; }

export function overCanvas(x, y) {
  const box = canvas.getBoundingClientRect();
  return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

let started = false, fullscreenPending = false, fullscreenSettledAt = -Infinity;

// The start click: the lock first (Chromium refuses it while a fullscreen
// request is under way). Fullscreen only on a screen that holds the game's
// 1280 x 720; the game learns the outcome when it asks for its display mode.
export function listenForStart(onStart) {
  function start(event) {
    if (started) return;
    if (event.button !== undefined && event.button !== 0) return;
    started = true;
    event.preventDefault();
    prompt.hidden = true;
    openSound();
    lockPointer();
    if (screen.width >= 1280 && screen.height >= 720 && canvas.requestFullscreen) {
      fullscreenPending = true;
      // Settled only once the page has its new size: the move into
      // fullscreen still comes as events of its own until then.
      canvas.requestFullscreen().catch(function () { fullscreenPending = false; });
    }
    onStart();
  }
  canvas.addEventListener('mousedown', start);
  prompt.addEventListener('mousedown', start);
  // Enter or Space starts it too, for a player on the keyboard alone.
  document.addEventListener('keydown', function (event) {
    if (!prompt.hidden && (event.key === 'Enter' || event.key === ' ')) start(event);
  });
}

// Loaded: the player is asked to start, unless already done.
export function offerStart() { if (!started) prompt.hidden = false; }

document.addEventListener('fullscreenchange', function (event) {
  if (fullscreenPending) fullscreenSettledAt = event.timeStamp;
  fullscreenPending = false;
});

// Chromium reports the canvas's move into fullscreen as a mouse movement
// the whole way across the screen, made as the page takes its new size,
// or on a busy machine a while after: a movement made up to then, or one
// of half the screen soon after, is no hand's.
export function movedByFullscreen(timeStamp, dx, dy) {
  const jump = Math.abs(dx) > 300 || Math.abs(dy) > 300;
  return fullscreenPending || timeStamp < fullscreenSettledAt + (jump ? 3000 : 100);
}

// 0 while the request is pending, 1 when the canvas is fullscreen on a
// screen of at least width x height, 2 otherwise.
export function fullscreenOutcome(width, height) {
  if (fullscreenPending) return 0;
  const big = screen.width >= width && screen.height >= height;
  return big && document.fullscreenElement === canvas ? 1 : 2;
}

export function leaveFullscreen() {
  if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
}
