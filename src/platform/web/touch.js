// Touch, where there is no mouse: a move pad, a drag over the picture, a
// fire button and a pause control reach the game as the keys and the mouse
// would (the web layer's VeldrakeTouch* calls, page.h).
import { Key } from './keys.js';
import { canvas, lockPointer, pointerLocked, touchOnly } from './start.js';

const touch = document.getElementById('touch');
const pad = document.getElementById('pad');
const paused = document.getElementById('paused');
const padKeys = { forward: Key.W, back: Key.S, left: Key.A, right: Key.D };
const padHeld = {};
let padFinger = null;
let playing = false;

export function showTouch() {
  playing = true;
  touch.hidden = !touchOnly;
}

export function hideTouch() {
  playing = false;
  touch.hidden = true;
  if (paused.open) paused.close();
}

// A gamepad in use puts the controls away; the next touch brings them back.
export function padUsed() { touch.hidden = true; }
document.addEventListener('pointerdown', function (event) {
  if (event.pointerType === 'touch' && playing) touch.hidden = !touchOnly;
}, true);

// A finger keeps to the control it came down on, wherever it goes; a
// browser that cannot capture it still delivers its moves there.
function capture(element, event) {
  try { element.setPointerCapture(event.pointerId); } catch (e) { /* not capturable */ }
}
function padKey(name, down) {
  if (!!padHeld[name] === down) return;
  padHeld[name] = down;
  Module._VeldrakeTouchKey(padKeys[name], down ? 1 : 0);
}
// Where the finger is on the pad, from its middle: up walks, down backs
// off, the sides step aside, and a corner does two at once.
function padAt(event) {
  const r = pad.getBoundingClientRect();
  const x = (event.clientX - r.left) / r.width * 2 - 1, y = (event.clientY - r.top) / r.height * 2 - 1;
  padKey('forward', y < -0.3);
  padKey('back', y > 0.3);
  padKey('left', x < -0.3);
  padKey('right', x > 0.3);
}
function padLetGo() {
  padFinger = null;
  Object.keys(padKeys).forEach(function (name) { padKey(name, false); });
}
pad.addEventListener('pointerdown', function (event) {
  event.preventDefault();
  padFinger = event.pointerId;
  capture(pad, event);
  padAt(event);
});
pad.addEventListener('pointermove', function (event) { if (event.pointerId === padFinger) padAt(event); });
['pointerup', 'pointercancel'].forEach(function (type) {
  pad.addEventListener(type, function (event) { if (event.pointerId === padFinger) padLetGo(); });
});

// A drag over the picture looks around, a pixel of finger for a pixel of mouse.
const drags = new Map();
canvas.addEventListener('pointerdown', function (event) {
  if (event.pointerType !== 'touch' || !playing) return;
  event.preventDefault();  // no mouse events made up from the finger
  drags.set(event.pointerId, { x: event.clientX, y: event.clientY });
  capture(canvas, event);
});
canvas.addEventListener('pointermove', function (event) {
  const last = drags.get(event.pointerId);
  if (!last) return;
  const dx = Math.trunc(event.clientX - last.x), dy = Math.trunc(event.clientY - last.y);
  if (dx === 0 && dy === 0) return;
  last.x += dx;  // what is left of a pixel waits for the next move
  last.y += dy;
  Module._VeldrakeTouchLook(dx, dy);
});
['pointerup', 'pointercancel'].forEach(function (type) {
  canvas.addEventListener(type, function (event) { drags.delete(event.pointerId); });
});

document.getElementById('fire').addEventListener('pointerdown', function (event) {
  event.preventDefault();
  Module._VeldrakeTouchFire();
});

// The choice is a modal dialog: over a fullscreen canvas too (the page's
// top layer), and the pointer lock given back, so that the mouse reaches it.
function pause() {
  padLetGo();
  Module._VeldrakeTouchPause(1);
  if (pointerLocked()) document.exitPointerLock();
  paused.showModal();
}
document.getElementById('pause').addEventListener('click', pause);
// The page left (another app, the phone locked): back, the choice waits.
window.addEventListener('blur', function () { if (touchOnly && playing && !paused.open) pause(); });
function goOn() {
  paused.close();
  Module._VeldrakeTouchPause(0);
  if (!touchOnly && !pointerLocked()) lockPointer();
}
paused.querySelector('.go-on').addEventListener('click', goOn);
// Escape is the game's, as everywhere: it ends the game, which closes this.
paused.addEventListener('cancel', function (event) { event.preventDefault(); });
// A gamepad's Start: the same choice, and pressed again, go on.
export function padPause() {
  if (paused.open) goOn(); else pause();
}
paused.querySelector('.end').addEventListener('click', function () {
  paused.close();
  Module._VeldrakeTouchKey(Key.ESCAPE, 1);
});
