// Run before the game's own code (--pre-js). The data bundle carries each of
// the generator's 24-bit BMP files as a lossless WebP of its pixels under the
// file's own name (scripts/web-pictures.py); as the bundle is unpacked, the
// browser's decoder turns it back into the very same BMP file, so the game
// reads what it reads everywhere else. The player transfers a third of the
// bytes.
Module['noImageDecoding'] = Module['noAudioDecoding'] = true;  // no one else wants the files decoded
(Module['preloadPlugins'] = Module['preloadPlugins'] || []).unshift({
  'canHandle': function (name) { return /\.bmp$/i.test(name); },
  'handle': function (bytes, name, onload) {
    const tag = function (at) { return String.fromCharCode.apply(null, bytes.subarray(at, at + 4)); };
    if (bytes.length < 16 || tag(0) !== 'RIFF' || tag(8) !== 'WEBP') {
      onload(bytes);
      return;
    }
    const picture = new Blob([bytes], { type: 'image/webp' });
    createImageBitmap(picture, { premultiplyAlpha: 'none', colorSpaceConversion: 'none' }).then(function (image) {
      const width = image.width, height = image.height;
      const sheet = document.createElement('canvas');
      sheet.width = width;
      sheet.height = height;
      const context = sheet.getContext('2d', { willReadFrequently: true });
      context.drawImage(image, 0, 0);
      const rgba = context.getImageData(0, 0, width, height).data;
      // The header our generator writes: 24 bits, rows bottom-up and padded to 4 bytes.
      const stride = (width * 3 + 3) & ~3, size = stride * height;
      const bmp = new Uint8Array(54 + size);
      const header = new DataView(bmp.buffer);
      bmp[0] = 0x42;
      bmp[1] = 0x4d;
      [[2, 54 + size], [10, 54], [14, 40], [18, width], [22, height], [34, size], [38, 2835], [42, 2835]]
        .forEach(function (field) { header.setUint32(field[0], field[1], true); });
      header.setUint16(26, 1, true);
      header.setUint16(28, 24, true);
      for (let y = 0; y < height; ++y) {
        let to = 54 + (height - 1 - y) * stride, from = y * width * 4;
        for (let x = 0; x < width; ++x, from += 4, to += 3) {
          bmp[to] = rgba[from + 2];
          bmp[to + 1] = rgba[from + 1];
          bmp[to + 2] = rgba[from];
        }
      }
      onload(bmp);
    }).catch(function () {
      onload(bytes);  // a browser without WebP: the game finds a file it cannot read, and says so
    });
  },
});
