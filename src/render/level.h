// The static level recorded once into the display list `levelList`: the
// lightmapped room, the two portal faces, the lid and the maze walls.
#pragma once

// Records nothing (levelList stays 0) without the multitexture extension.
// Needs a current context, the textures loaded and multitextureSupported set.
void BuildLevelList();

// Calls the level list. The list built above is drawn with the far sides of
// its boxes culled whenever the eye stands clear of every box, where that
// changes nothing on screen; with no list it draws nothing.
void DrawLevel();
