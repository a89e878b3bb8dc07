// The page contract, the page's side: the Module.veldrake* hooks the game's
// web layer calls (listed with their C++ side in page.h), and the start of
// it all. The page's jobs are the modules beside this one.
import { boxAnswer, showBox } from './boxes.js';
import { finish } from './end.js';
import { load } from './loading.js';
import { browserPacing } from './pacing.js';
import { offerPad, padUsed, readPads } from './pad.js';
import * as start from './start.js';
import { padPause, showTouch } from './touch.js';

const notice = document.getElementById('notice');
let ready = false, started = false, running = false;
const pacing = browserPacing();

function run() {
  if (running) return;
  running = true;
  showTouch();
  Module.callMain([]);
}

// The page's icon from the game's own BMP, as a PNG the browser takes.
// Encoded off the page's thread: a canvas read back at once waits for the
// browser's drawing, which is busy with the game's start.
function showIcon(bmp) {
  createImageBitmap(new Blob([bmp], { type: 'image/bmp' }))
    .then(function (picture) {
      const sheet = new OffscreenCanvas(picture.width, picture.height);
      sheet.getContext('2d').drawImage(picture, 0, 0);
      return sheet.convertToBlob({ type: 'image/png' });
    })
    .then(function (png) {
      const reader = new FileReader();
      reader.onload = function () {
        let link = document.querySelector('link[rel="icon"]');
        if (!link) {
          link = document.createElement('link');
          link.rel = 'icon';
          document.head.appendChild(link);
        }
        link.type = 'image/png';
        link.href = reader.result;
      };
      reader.readAsDataURL(png);
    })
    .catch(function () {});  // no picture in it: the page keeps no icon
}

// The frames shown so far, for whoever drives the page (a test waits on it
// to know its input has been seen); with ?bench, also what each one cost
// the page itself, and how long it took from the previous one.
const bench = new URLSearchParams(location.search).has('bench');
function frameShown(cost, interval) {
  window.veldrakeFramesShown = (window.veldrakeFramesShown || 0) + 1;
  if (cost < 0 || !bench) return;
  (window.veldrakeFrameTimes = window.veldrakeFrameTimes || []).push(cost);
  (window.veldrakeFrameIntervals = window.veldrakeFrameIntervals || []).push(interval);
}

const Module = window.Module = {
  canvas: start.canvas,
  noInitialRun: true,
  printErr: function (text) { console.warn(text); },
  onRuntimeInitialized: function () { ready = true; if (started) run(); },
  onExit: finish,
  veldrakeLockPointer: start.lockPointer,
  veldrakePointerLocked: start.pointerLocked,
  veldrakePointerRefused: start.pointerRefused,
  veldrakeOverCanvas: start.overCanvas,
  veldrakeMovedByFullscreen: start.movedByFullscreen,
  veldrakePointerHint: start.showPointerHint,
  veldrakeContextLost: function (lost) {
    notice.textContent = lost ? 'The graphics were lost: the game goes on when the browser gives them back.' : '';
    notice.hidden = !lost;
  },
  veldrakeTitle: function (title) { document.title = title; },
  veldrakeIcon: showIcon,
  veldrakeShowCursor: function (show) { start.canvas.style.cursor = show ? 'auto' : 'none'; },
  veldrakeFullscreenOutcome: start.fullscreenOutcome,
  veldrakeLeaveFullscreen: start.leaveFullscreen,
  veldrakeShowBox: showBox,
  veldrakeBoxAnswer: boxAnswer,
  veldrakeSleep: pacing.sleep,
  veldrakeDisplayBehind: pacing.behind,
  veldrakeAwaitDisplay: pacing.awaitDisplay,
  veldrakeReadPads: readPads,
  veldrakePadUsed: padUsed,
  veldrakePadPause: padPause,
  veldrakeFrameShown: frameShown,
};

start.listenForStart(function () {
  started = true;
  if (ready) run();
});
load(Module, function () {
  start.offerStart();
  offerPad();
});

// Kept for a visit without the network (sw.js).
if ('serviceWorker' in navigator && window.isSecureContext)
  navigator.serviceWorker.register('sw.js').catch(function () {});
