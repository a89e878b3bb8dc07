// The end of the game: the page gives back the pointer, the screen and the
// sound, and shows the exit code with a way to play again.
import { hideBox } from './boxes.js';
import { leaveFullscreen, showPointerHint } from './start.js';
import { hideTouch } from './touch.js';

const ended = document.getElementById('ended');

// Every audio context the game's sound opens, so that all are closed when it ends.
const audioContexts = [];
const BrowserAudioContext = window.AudioContext || window.webkitAudioContext;
if (BrowserAudioContext) {
  window.AudioContext = class extends BrowserAudioContext {
    constructor(options) { super(options); audioContexts.push(this); }
  };
}

export function finish(code) {
  hideBox();
  hideTouch();
  showPointerHint(false);
  if (document.pointerLockElement) document.exitPointerLock();
  leaveFullscreen();
  audioContexts.forEach(function (context) {
    if (context.state !== 'closed') context.close().catch(function () {});
  });
  ended.querySelector('.message').textContent = 'Veldrake ended with exit code ' + code + '.';
  ended.hidden = false;
}
ended.querySelector('button').addEventListener('click', function () { location.reload(); });
