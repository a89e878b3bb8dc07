// The game's message boxes, drawn by the page; the game waits for the
// number of the button pressed.
import { lockPointer, leaveFullscreen } from './start.js';

const box = document.getElementById('msgbox');
let answer = 0, labels = [];

function press(number) {
  if (box.hidden) return;
  const resume = labels[number - 1] === 'Yes';
  box.hidden = true;
  answer = number;
  if (resume) lockPointer();  // playing on in the page: the click gives the pointer back
}

export function showBox(text, caption, buttons) {
  leaveFullscreen();
  if (document.pointerLockElement) document.exitPointerLock();
  answer = 0;
  labels = buttons;
  box.querySelector('.caption').textContent = caption;
  box.querySelector('.text').textContent = text;
  const row = box.querySelector('.buttons');
  row.replaceChildren();
  buttons.forEach(function (label, i) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = label;
    button.addEventListener('click', function () { press(i + 1); });
    row.appendChild(button);
  });
  box.hidden = false;
  row.firstChild.focus();
}

// 0 while the box is open, then the number of the button pressed.
export function boxAnswer() { return answer; }

export function hideBox() { box.hidden = true; }

// A pointer lock asked for before the box opened may arrive while it is
// open: the box needs the pointer.
document.addEventListener('pointerlockchange', function () {
  if (!box.hidden && document.pointerLockElement) document.exitPointerLock();
});

// Enter answers with the first button; Escape closes an OK box, as it
// does on Windows, and leaves a question to be answered.
document.addEventListener('keydown', function (event) {
  if (box.hidden) return;
  if (event.key === 'Enter') {
    event.preventDefault();
    press(1);
  } else if (event.key === 'Escape') {
    event.preventDefault();
    if (labels.length === 1) press(1);
  }
}, true);
