// The game's sound in the page: every audio context it opens, woken by the
// player's gestures and closed at the end.
//
// The game opens its sound after the start click has been handled, and a
// browser may hold such a context back until the next gesture; Safari
// suspends it again when the phone is locked or a call comes in
// ("interrupted"). Each gesture, and the page's return from the
// background, resumes whatever is held.
const audioContexts = [];
const BrowserAudioContext = window.AudioContext || window.webkitAudioContext;
if (BrowserAudioContext) {
  window.AudioContext = class extends BrowserAudioContext {
    constructor(options) { super(options); audioContexts.push(this); }
  };
}

function wakeSound() {
  audioContexts.forEach(function (context) {
    if (context.state === 'suspended' || context.state === 'interrupted') context.resume().catch(function () {});
  });
}
['keydown', 'mousedown', 'pointerup', 'touchend', 'click'].forEach(function (type) {
  document.addEventListener(type, wakeSound, true);
});
document.addEventListener('visibilitychange', function () { if (!document.hidden) wakeSound(); });

export function closeSound() {
  audioContexts.forEach(function (context) {
    if (context.state !== 'closed') context.close().catch(function () {});
  });
}
