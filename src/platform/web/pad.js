// Gamepads, through the browser's Gamepad API: read once a game step into
// plain numbers for the web layer (page.h's ReadPads), in the standard
// layout only, whose buttons are known by their place.
//
// A browser shows the page a pad only once a button on it has been pressed.
// So while the page asks to start, where the browser has the API at all, a
// line asks for that press, until a pad shows up or the player takes to the
// mouse, the keys or the screen (on a desktop without a pad that is at
// once, with the start click at the latest).
import { padUsed as putTouchAway } from './touch.js';

const hint = document.getElementById('padhint');
const prompt = document.getElementById('prompt');
const fields = 13;  // page.h's kPadFields
// The standard layout's buttons the game takes, in page.h's order: south,
// Back, Start, and the D-pad's up, down, left and right.
const buttons = [0, 8, 9, 12, 13, 14, 15];
const rightTrigger = 7;

const givesWay = ['gamepadconnected', 'mousemove', 'mousedown', 'keydown', 'pointerdown'];

function standard(pad) { return pad && pad.connected !== false && pad.mapping === 'standard'; }

export function readPads(readings) {
  let count = 0;
  for (const pad of navigator.getGamepads ? navigator.getGamepads() : []) {
    if (!standard(pad) || (count + 1) * fields > readings.length) continue;
    const at = count++ * fields;
    readings[at] = pad.index;
    for (let axis = 0; axis < 4; ++axis) readings[at + 1 + axis] = pad.axes[axis] || 0;
    readings[at + 5] = pad.buttons[rightTrigger] ? pad.buttons[rightTrigger].value : 0;
    buttons.forEach(function (button, i) {
      readings[at + 6 + i] = pad.buttons[button] && pad.buttons[button].pressed ? 1 : 0;
    });
  }
  if (count) hidePadHint();
  return count;
}

export function padUsed() {
  putTouchAway();
  hidePadHint();
}

function hidePadHint() {
  if (hint.hidden) return;
  hint.hidden = true;
  givesWay.forEach(function (type) { window.removeEventListener(type, hidePadHint, true); });
}

// Loaded: the line, unless the player has already begun.
export function offerPad() {
  if (!navigator.getGamepads || prompt.hidden || !hint.hidden) return;
  hint.hidden = false;
  givesWay.forEach(function (type) { window.addEventListener(type, hidePadHint, true); });
}
