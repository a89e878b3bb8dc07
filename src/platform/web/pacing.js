// The frame's pace in the page.
//
// The game sleeps a millisecond at a time until 15 ms have passed since its
// last frame, as it does on the desktop. Browsers stretch a timer set from
// inside another timer to at least 4 ms once such timers nest a few deep, so
// every sleep is started from a task of its own (a message to ourselves),
// where no nesting counts: a sleep then takes about what it says, and the
// page's thread still sleeps rather than spins.
//
// After each frame the game asks whether to wait for the display. It waits
// only when the browser has shown nothing for a while (a slow GPU, a busy
// compositor), so that frames never queue behind it; a display slower than
// the game's 66 frames a second simply shows the latest frame, and the game
// keeps its pace. A hidden page shows nothing: there it waits a quarter of a
// second a frame, as the browser would throttle it anyway.
export function makePacing(host) {
  const behindMs = 50;   // no display frame for this long: the browser is behind
  const hiddenMs = 250;  // the longest wait for a frame that may never come
  let shownAt = -Infinity, asked = false;

  function shown() {
    asked = false;
    shownAt = host.now();
  }
  function askToShow() {
    if (asked || host.hidden()) return;
    asked = true;
    host.requestFrame(shown);
  }
  return {
    sleep: function (ms, wake) {
      host.post(function () { host.setTimeout(wake, ms); });
    },
    // Called with each frame drawn: true when the game should wait for the display.
    behind: function () {
      askToShow();
      return host.hidden() || host.now() - shownAt > behindMs;
    },
    awaitDisplay: function (wake) {
      let woken = false;
      const once = function () {
        if (woken) return;
        woken = true;
        wake();
      };
      if (!host.hidden()) host.requestFrame(function () { shown(); once(); });
      host.setTimeout(once, hiddenMs);
    },
  };
}

// The page's own clock, display and event loop.
export function browserPacing() {
  const channel = new MessageChannel(), posted = [];
  channel.port1.onmessage = function () { posted.shift()(); };
  return makePacing({
    now: function () { return performance.now(); },
    hidden: function () { return document.hidden; },
    requestFrame: function (callback) { requestAnimationFrame(callback); },
    setTimeout: function (callback, ms) { setTimeout(callback, ms); },
    post: function (callback) { posted.push(callback); channel.port2.postMessage(0); },
  });
}
