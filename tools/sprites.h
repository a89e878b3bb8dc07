// Pictures that are drawn once rather than repeated: the two portal swirls,
// the rifle for the weapon panel, the crosshair and the smoke puff. All are
// light on black, because the game adds them onto the scene.
#pragma once

#include "image.h"

namespace datagen {

// The portal face is 90 units wide and 54 high; the swirl is painted round
// in those proportions.
Image MakePortal();              // a blue swirl
IndexedImage MakePortal2();      // an orange swirl, as indices into an orange ramp
Image MakeRifle();               // a side view of the rifle, muzzle to the right
IndexedImage MakeCrosshair();    // 16 greys
IndexedImage MakeSmoke();        // 256 greys
Image MakeIcon();                // the window's icon: the crosshair in the orange portal ring

}  // namespace datagen
