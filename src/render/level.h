// The static level recorded once into the display list `levelList`: the
// lightmapped room, the two portal faces, the lid and the maze walls.
#pragma once

// Records nothing (levelList stays 0) without the multitexture extension.
// Needs a current context, the textures loaded and multitextureSupported set.
void BuildLevelList();
