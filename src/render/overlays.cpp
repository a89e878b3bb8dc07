#include "render/overlays.h"

#include <GL/gl.h>

#include "app/game_state.h"

namespace {

// Single-precision constants, widened.
constexpr double kBrownRed = 0.4000000059604645;
constexpr double kBrownGreen = 0.20000000298023224;

void DrawWeaponPanel() {
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
    glTranslated(-765, -567, -1000);

    // Backdrop: half-transparent brown on the left fading out to the right.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glColor4d(kBrownRed, kBrownGreen, 0, 0.5);
    glVertex2d(-10, -10);
    glVertex2d(-10, 81);
    glColor4d(1, 1, 1, 0);
    glVertex2d(266, 81);
    glVertex2d(266, -10);
    glEnd();

    // The weapon, tinted orange and added on: its black parts add nothing.
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, textures[tex::m16]);
    glColor4d(1, 0.5, 0, 1);
    glBegin(GL_QUADS);
    glTexCoord2d(1, 1);
    glVertex2d(256, 71);
    glTexCoord2d(1, 0);
    glVertex2d(256, 0);
    glTexCoord2d(0, 0);
    glVertex2d(0, 0);
    glTexCoord2d(0, 1);
    glVertex2d(0, 71);
    glEnd();
    glEnable(GL_DEPTH_TEST);
}

void DrawCrosshair() {
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
    glTranslated(0, 0, -35);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, textures[tex::crosshair]);
    glBegin(GL_QUADS);
    glTexCoord2d(1, 1);
    glVertex2d(1, 1);
    glTexCoord2d(1, 0);
    glVertex2d(1, -1);
    glTexCoord2d(0, 0);
    glVertex2d(-1, -1);
    glTexCoord2d(0, 1);
    glVertex2d(-1, 1);
    glEnd();
    glEnable(GL_DEPTH_TEST);
}

}  // namespace

void DrawOverlays() {
    DrawWeaponPanel();
    DrawCrosshair();
}
