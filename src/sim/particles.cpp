#include "sim/particles.h"

#include <GL/gl.h>

#include <cmath>

#include "app/game_state.h"
#include "sim/collision.h"
#include "sim/frame.h"
#include "sim/random.h"

namespace {

// Single-precision constants, widened.
constexpr double kGravity = 0.009999999776482582;  // per frame; smoke rises by as much
constexpr double kMinFade = 0.019999999552965164;
constexpr double kSmokeDrag = 0.8999999761581421;
constexpr double kDebrisDrag = 0.99;
constexpr double kBounce = 0.75;
constexpr double kSmokeRed = 0.18000000715255737;
constexpr double kSmokeGreen = 0.17000000178813934;
constexpr double kSmokeBlue = 0.15000000596046448;

// The generator is never seeded, so the n-th burst of every run looks the
// same. Each draw is its own statement: the order of draws is the shape.
double CornerOffset() { return (Rand() % 50 - 25) / 75.0; }

void Spawn(Particle& p, bool bigPuff) {
    p.size = bigPuff ? 2.0 : (Rand() % 25 + 25) / 50.0;
    for (double& c : p.cornerX) c = CornerOffset();
    for (double& c : p.cornerY) c = CornerOffset();
    for (double& c : p.cornerZ) c = CornerOffset();
    p.angleX = Rand() % 360;
    p.angleY = Rand() % 360;
    p.angleZ = Rand() % 360;
    p.spinX = (Rand() % 50 - 25) / 5.0;
    p.spinY = (Rand() % 50 - 25) / 5.0;
    p.spinZ = (Rand() % 50 - 25) / 5.0;
    p.life = 1.0;
    p.fade = (Rand() % 100) / 5000.0 + kMinFade;
    p.posX = shotX;
    p.posY = shotY;
    p.posZ = shotZ;
    // The lengths go into sin and cos as radians on purpose: they only
    // scatter the chips around the shot's own step.
    const double a = Rand() % 360;
    const double c = Rand() % 360;
    const double s = (Rand() % 100) / 500.0;
    const double r = Length2D(a, c);
    p.velX = std::sin(Length2D(a, r)) * s + shotStepX;
    p.velY = std::cos(Length2D(a, r)) * s + shotStepY;
    p.velZ = std::cos(Length2D(c, r)) * s + shotStepZ;
}

// Places the particle with the view's own axes, so it faces the viewer.
void FaceViewer(const Particle& p) {
    ApplyCamera();
    glTranslated(p.posX, p.posY, p.posZ);
    glRotated(-yawAngle, 0, 1, 0);
    glRotated(-pitch, 1, 0, 0);
}

void DrawDebris(const Particle& p) {
    FaceViewer(p);
    glRotated(p.angleX, 1, 0, 0);
    glRotated(p.angleY, 0, 1, 0);
    glRotated(p.angleZ, 0, 0, 1);
    glColor4d(0, 0, 0, p.life);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 3; ++i) glVertex3d(p.cornerX[i], p.cornerY[i], p.cornerZ[i]);
    glEnd();
}

void DrawSmoke(const Particle& p) {
    FaceViewer(p);
    glColor4d(kSmokeRed, kSmokeGreen, kSmokeBlue, p.life);
    glBegin(GL_QUADS);
    glTexCoord2d(1, 1);
    glVertex3d(p.size, p.size, 0);
    glTexCoord2d(1, 0);
    glVertex3d(p.size, -p.size, 0);
    glTexCoord2d(0, 0);
    glVertex3d(-p.size, -p.size, 0);
    glTexCoord2d(0, 1);
    glVertex3d(-p.size, p.size, 0);
    glEnd();
}

}  // namespace

double Length2D(double a, double b) { return std::sqrt(a * a + b * b); }

void SpawnImpactBurst() {
    for (int i = 0; i < kParticlesPerBurst; ++i) Spawn(particles[i][shotSlot], i == 0);
}

void MoveDebris(Particle& p) {
    p.posX += p.velX;
    p.posY += p.velY;
    p.posZ += p.velZ;
    CollideWithWorld(p.posX, p.posY, p.posZ, p.velX, p.velY, p.velZ, 0.0, kBounce);
    p.velY -= kGravity;
    p.velX *= kDebrisDrag;
    p.velY *= kDebrisDrag;
    p.velZ *= kDebrisDrag;
    p.life -= p.fade;
    // The tumble slows down as the chip fades.
    p.angleX += p.spinX;
    p.angleY += p.spinY;
    p.angleZ += p.spinZ;
    p.spinX -= p.fade;
    p.spinY -= p.fade;
    p.spinZ -= p.fade;
}

void MoveSmoke(Particle& p) {
    p.posX += p.velX / 2;
    p.posY += p.velY / 2;
    p.posZ += p.velZ / 2;
    p.velY += kGravity;
    p.velX *= kSmokeDrag;
    p.velY *= kSmokeDrag;
    p.velZ *= kSmokeDrag;
    p.life -= p.fade / 2;
}

// A particle that was live at the start of the pass is drawn even when this
// frame's fade takes it to 0; blending shows it as nothing.
void UpdateParticles() {
    bool noneAlive = true;

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (int b = 0; b < kBurstSlots; ++b) {
        for (int i = kSmokePuffs; i < kParticlesPerBurst; ++i) {
            Particle& p = particles[i][b];
            if (!(p.life > 0)) continue;
            noneAlive = false;
            MoveDebris(p);
            DrawDebris(p);
        }
    }

    // Smoke glows through walls: additive, and not depth-tested.
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, textures[tex::smoke]);
    for (int b = 0; b < kBurstSlots; ++b) {
        for (int i = 0; i < kSmokePuffs; ++i) {
            Particle& p = particles[i][b];
            if (!(p.life > 0)) continue;
            noneAlive = false;
            MoveSmoke(p);
            DrawSmoke(p);
        }
    }
    glEnable(GL_DEPTH_TEST);

    if (noneAlive) burstActive = false;
}
