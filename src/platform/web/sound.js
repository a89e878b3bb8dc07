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
let opened = null;  // made by the start gesture, for the game's sound to take
if (BrowserAudioContext) {
  window.AudioContext = class extends BrowserAudioContext {
    constructor(options) {
      // The rate the game asks for is only its mixing rate: Web Audio
      // plays its buffers at their own rates at any context's.
      const onlyRate = !options || Object.keys(options).every(function (key) { return key === 'sampleRate'; });
      if (opened && onlyRate) {
        const context = opened;
        opened = null;
        return context;
      }
      super(options);
      audioContexts.push(this);
    }
  };
}

// Called from the start gesture's own handler: a context made and resumed
// there is let play by every browser, and the game's sound takes it, so
// that a player who goes on with a pad alone (no gesture to a browser)
// hears it too.
export function openSound() {
  if (!BrowserAudioContext || opened) return;
  try {
    opened = new BrowserAudioContext();
  } catch (e) {
    return;  // the game's sound makes its own, or says it has none
  }
  audioContexts.push(opened);
  opened.resume().catch(function () {});
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
