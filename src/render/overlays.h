// The weapon panel and the crosshair, drawn over the view every frame.
#pragma once

// Expects the model-view matrix to be current; leaves it at the crosshair's
// transform, texturing and the depth test on, blend function (source alpha,
// one).
void DrawOverlays();
