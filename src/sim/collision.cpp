#include "sim/collision.h"

#include "sim/solids.h"

namespace {

// The opening in both x walls: strict on all sides, and the same for every
// body whatever its radius.
constexpr double kPortalZMin = 241.0;
constexpr double kPortalZMax = 271.0;
constexpr double kPortalYMax = 64.0;

// How far below a face its band starts; the lid's underside has a band too.
constexpr double kBandDepth = 0.25;

bool InPortalWindow(double y, double z) {
    return kPortalZMin < z && z < kPortalZMax && 0.0 < y && y < kPortalYMax;
}

void Reflect(double& component, double response) { component = -component * response; }

bool CollideWithRoom(double& x, double& y, double& z, double& vx, double& vy, double& vz, double radius,
                     double response) {
    bool hit = false;
    // A body leaving through a portal comes back in at the opposite wall.
    if (x > kRoomSize - radius) {
        x = InPortalWindow(y, z) ? 2.0 * radius : kRoomSize - radius;
        Reflect(vx, response);
        hit = true;
    } else if (x < radius) {
        x = InPortalWindow(y, z) ? kRoomSize - 2.0 * radius : radius;
        Reflect(vx, response);
        hit = true;
    }
    if (y > kRoomHeight - radius) {
        y = kRoomHeight - radius;
        Reflect(vy, response);
        hit = true;
    } else if (y < radius) {
        y = radius;
        Reflect(vy, response);
        hit = true;
    }
    if (z > kRoomSize - radius) {
        z = kRoomSize - radius;
        Reflect(vz, response);
        hit = true;
    } else if (z < radius) {
        z = radius;
        Reflect(vz, response);
        hit = true;
    }
    return hit;
}

// Pushes a body that lies inside the inflated solid out of it. Each axis looks
// at its own coordinate only, so a wall's end can push on x and z at once.
// The max-side band is tested first: inside both bands of a thin wall, the
// body leaves on the max side.
bool CollideWithSolid(const Solid& s, bool isLid, double& x, double y, double& z, double& vx, double& vy,
                      double& vz, double radius, double response) {
    if (!(s.xMin - radius < x && x < s.xMax + radius && s.yMin - radius < y && y < s.yMax + radius &&
          s.zMin - radius < z && z < s.zMax + radius)) {
        return false;
    }
    if (s.plusXFrom - radius < x && x < s.xMax + radius) {
        x = s.xMax + radius;
        Reflect(vx, response);
    } else if (s.xMin - radius < x && x < s.minusXTo + radius) {
        x = s.xMin - radius;
        Reflect(vx, response);
    }
    // Vertical contact only bounces; no solid ever moves a body up or down.
    if (s.yMax - kBandDepth - radius < y && y < s.yMax + radius) {
        Reflect(vy, response);
    } else if (isLid && s.yMin - radius < y && y < s.yMin + kBandDepth + radius) {
        Reflect(vy, response);
    }
    if (s.plusZFrom - radius < z && z < s.zMax + radius) {
        z = s.zMax + radius;
        Reflect(vz, response);
    } else if (s.zMin - radius < z && z < s.minusZTo + radius) {
        z = s.zMin - radius;
        Reflect(vz, response);
    }
    return true;
}

}  // namespace

bool CollideWithWorld(double& x, double& y, double& z, double& vx, double& vy, double& vz, double radius,
                      double response) {
    bool hit = CollideWithRoom(x, y, z, vx, vy, vz, radius, response);
    for (int i = 0; i < kSolidCount; ++i) {
        if (CollideWithSolid(kSolids[i], i == kLidIndex, x, y, z, vx, vy, vz, radius, response)) hit = true;
    }
    return hit;
}
