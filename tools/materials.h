// The surface materials: room floor, ceiling and walls, the three materials
// of the maze rings, and the sky. All of them tile seamlessly.
#pragma once

#include "image.h"

namespace datagen {

Image MakeFloor();     // square stone tiles with grout, 4 x 4 per repeat
Image MakeCeiling();   // recessed acoustic panels in a metal grid, 2 x 2
Image MakeWall();      // coursed stone blocks in running bond
Image MakeClay();      // cracked reddish earth
Image MakeFloor1();    // diamond plate steel
Image MakeWall1();     // horizontal wooden boards
Image MakeClouds();    // soft white clouds on blue

}  // namespace datagen
