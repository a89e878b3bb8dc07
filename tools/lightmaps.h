// Baked lighting of the room's six faces: point lights under the ceiling,
// shadow rays against the maze's solid boxes, soft falloff and a little
// ambient light that dims into corners and along the foot of the walls.
#pragma once

#include "image.h"

namespace datagen {

struct Vec3 {
    double x, y, z;
};

struct PointLight {
    Vec3 position;
    double power;
};

// Sixteen lights on a 4 x 4 grid at x and z 40, 192, 320, 472: over the
// outer aisle close to the walls, so that the walls get pools of light, and
// over the middle of the corridors between rings 2 and 3.
constexpr double kLightHeight = 116.0;
constexpr double kLightRadius = 5.0;  // the lamps are small spheres, not points: soft shadow edges
constexpr int kLightCount = 16;
extern const PointLight kLights[kLightCount];

enum class RoomFace { Floor, Ceiling, BackWall, FrontWall, LeftWall, RightWall };

// The point of the room face that lightmap coordinate (s, t) lands on, as
// the level maps the lightmaps: floor and ceiling s along x, t along z; the
// back (z = 0) and front (z = 512) walls s along x, t up; the left (x = 0)
// and right (x = 512) walls s along z, t up. s and t run 0..1.
Vec3 FacePoint(RoomFace face, double s, double t);
Vec3 FaceNormal(RoomFace face);  // pointing into the room

// The lightmap of a face, `width` x `height` texels, row 0 at t = 0.
Image BakeLightmap(RoomFace face, int width, int height);

}  // namespace datagen
