// The end of the game: the page gives back the pointer, the screen and the
// sound, and shows the exit code with a way to play again.
import { hideBox } from './boxes.js';
import { closeSound } from './sound.js';
import { leaveFullscreen, showPointerHint } from './start.js';
import { hideTouch } from './touch.js';

const ended = document.getElementById('ended');

export function finish(code) {
  hideBox();
  hideTouch();
  showPointerHint(false);
  if (document.pointerLockElement) document.exitPointerLock();
  leaveFullscreen();
  closeSound();
  ended.querySelector('.message').textContent = 'Veldrake ended with exit code ' + code + '.';
  ended.hidden = false;
}
ended.querySelector('button').addEventListener('click', function () { location.reload(); });
