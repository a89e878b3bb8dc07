// Loading: the program and the data bundle are fetched here, the share
// loaded shown on the bar, and handed to Emscripten from memory. A file
// that cannot be had is named, with a button to try again.
const loading = document.getElementById('loading');
const loadingText = loading.querySelector('.message');
const loadingBar = loading.querySelector('progress');
const retry = loading.querySelector('button');
const bundle = { 'veldrake.wasm': null, 'veldrake-data.data': null };
const progress = {};

function showProgress() {
  let have = 0, want = 0;
  Object.values(progress).forEach(function (p) { have += p.have; want += p.want; });
  if (want > 0) loadingBar.value = Math.min(1, have / want);
}

async function fetchFile(name) {
  try {
    const response = await fetch(name);
    if (!response.ok) throw new Error(response.status);
    const want = Number(response.headers.get('Content-Length')) || 0;
    progress[name] = { have: 0, want: want };
    if (!response.body || !want) return await response.arrayBuffer();
    const reader = response.body.getReader();
    const parts = [];
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      parts.push(value);
      progress[name].have += value.length;
      showProgress();
    }
    return await new Blob(parts).arrayBuffer();
  } catch (e) {
    throw new Error(name);  // the page names the file; why is the browser's to say
  }
}

function loadScript(name) {
  return new Promise(function (loaded, failed) {
    const script = document.createElement('script');
    script.src = name;
    script.onload = loaded;
    script.onerror = function () { failed(new Error(name)); };
    document.body.appendChild(script);
  });
}

// Loads the game into `Module`, then calls `loaded`; until it has all, the
// player may try again.
export function load(Module, loaded) {
  async function attempt() {
    retry.hidden = true;
    loadingBar.hidden = false;
    loadingText.textContent = 'Loading Veldrake';
    try {
      await Promise.all(Object.keys(bundle).map(async function (name) {
        if (!bundle[name]) bundle[name] = await fetchFile(name);
      }));
      loadingBar.value = 1;
      Module.wasmBinary = bundle['veldrake.wasm'];
      Module.getPreloadedPackage = function (name) { return bundle[name.replace(/^.*\//, '')] || null; };
      await loadScript('veldrake-data.js');
      await loadScript('veldrake.js');
      loading.hidden = true;
      loaded();
    } catch (e) {
      loadingText.textContent = 'Could not load ' + e.message + '.';
      loadingBar.hidden = true;
      retry.hidden = false;
    }
  }
  retry.addEventListener('click', attempt);
  attempt();
}
