// The baked lighting against the level it lights: the maze's walls cast
// shadows on the floor where lamps and boxes say they must (a lightmap turned
// against the level would light them), and nothing is black or blown out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "generated_data.h"
#include "lightmaps.h"
#include "sim/solids.h"

namespace {

using datagen::Vec3;
using generated::LoadTexture;
using generated::Texture;

// An independent look at whether a lamp's centre sees a floor point: walk
// the line in half-unit steps and ask whether any step lies inside a solid
// box. All boxes end at y 48, so the walk stops there.
bool LampSees(double x, double z, const Vec3& lamp) {
    double length = std::sqrt((lamp.x - x) * (lamp.x - x) + lamp.y * lamp.y + (lamp.z - z) * (lamp.z - z));
    int steps = static_cast<int>(length / 0.5);
    for (int i = 1; i < steps; ++i) {
        double k = static_cast<double>(i) / steps;
        double px = x + (lamp.x - x) * k, py = lamp.y * k, pz = z + (lamp.z - z) * k;
        if (py >= 48) break;
        for (const Solid& b : kSolids)
            if (px > b.xMin && px < b.xMax && py > b.yMin && py < b.yMax && pz > b.zMin && pz < b.zMax) return false;
    }
    return true;
}

// Lamps seen from a floor point and from the points 5 units either side of
// it along one axis: the fewest and the most, so that a point on a soft
// shadow edge is taken neither for full shadow nor for full light.
struct Seen {
    int fewest = 99, most = 0;
};

Seen LampsSeenAround(double x, double z, double dx, double dz) {
    Seen seen;
    for (int side = -1; side <= 1; ++side) {
        int count = 0;
        for (const datagen::PointLight& lamp : datagen::kLights)
            count += LampSees(x + side * dx, z + side * dz, lamp.position);
        seen.fewest = std::min(seen.fewest, count);
        seen.most = std::max(seen.most, count);
    }
    return seen;
}

double FloorTexel(const Texture& floor, double x, double z) {
    int column = static_cast<int>(x / 512.0 * floor.Width()), row = static_cast<int>(z / 512.0 * floor.Height());
    return floor.Grey(column, row);
}

TEST(Lightmaps, MazeWallsShadowTheFloor) {
    Texture floor = LoadTexture("LightMapFloor");
    ASSERT_NE(floor.image, nullptr);
    // Just outside ring 4's -x wall (x 152..154): the lamps over x 192 are
    // behind the wall, whose top (y 48) hides the floor out to x 124 from a
    // lamp at y 116; the lamps over x 40 are behind ring 5's -x wall. Ring 4
    // has no +x wall, so the mirror point x 367 is open to the lamps over x 320.
    ASSERT_EQ(LampsSeenAround(145, 256, 5, 0).most, 0);
    ASSERT_GE(LampsSeenAround(367, 256, 5, 0).fewest, 3);
    EXPECT_LT(FloorTexel(floor, 145, 256), 0.7 * FloorTexel(floor, 367, 256));
    // Under the lid over ring 1 no lamp reaches; the open aisle by the -x
    // wall of the room sees a whole row of lamps.
    ASSERT_EQ(LampsSeenAround(256, 250, 5, 0).most, 0);
    ASSERT_GE(LampsSeenAround(40, 256, 5, 0).fewest, 3);
    EXPECT_LT(FloorTexel(floor, 256, 250), 0.7 * FloorTexel(floor, 40, 256));

    // Across the maze along x and along z through its centre: every point in
    // full shadow is darker than every point that several lamps see. Rings
    // open to different sides, so a lightmap turned or mirrored against the
    // level's coordinates puts shadows where the lamps shine.
    for (bool alongX : {true, false}) {
        SCOPED_TRACE(alongX ? "along x" : "along z");
        double darkestLit = 1e9, brightestShadow = -1;
        int lit = 0, shadowed = 0;
        for (double along = 2; along < 512; along += 4) {
            double x = alongX ? along : 256, z = alongX ? 256 : along;
            bool inWall = false;
            for (const Solid& b : kSolids)
                inWall |= b.yMin == 0 && x > b.xMin - 2 && x < b.xMax + 2 && z > b.zMin - 2 && z < b.zMax + 2;
            if (inWall) continue;
            Seen seen = LampsSeenAround(x, z, alongX ? 5 : 0, alongX ? 0 : 5);
            if (seen.most == 0) {
                brightestShadow = std::max(brightestShadow, FloorTexel(floor, x, z));
                ++shadowed;
            } else if (seen.fewest >= 3) {
                darkestLit = std::min(darkestLit, FloorTexel(floor, x, z));
                ++lit;
            }
        }
        EXPECT_GE(shadowed, 10);
        EXPECT_GE(lit, 40);
        EXPECT_LT(brightestShadow, darkestLit);
    }
}

// The lamps hang near the ceiling: each wall is lit more under them than at
// its foot, in the maze's shadow (a wall's lightmap upside down would light
// the foot). Along a wall and across the ceiling the lamps and the room are
// symmetric: a mirror there shows the same light.
TEST(Lightmaps, TheLitSideFacesTheLamps) {
    for (const char* stem : {"LightMapBackWall", "LightMapFrontWall", "LightMapLeftWall", "LightMapRightWall"}) {
        SCOPED_TRACE(stem);
        Texture wall = LoadTexture(stem);
        ASSERT_NE(wall.image, nullptr);
        const auto rows = [&](int from, int to) {
            double sum = 0;
            for (int y = from; y < to; ++y)
                for (int x = 0; x < wall.Width(); ++x) sum += wall.Grey(x, y);
            return sum / ((to - from) * wall.Width());
        };
        const int band = wall.Height() / 10;  // rows 0.. at the floor, as the level maps t up
        EXPECT_GT(rows(wall.Height() - band, wall.Height()), rows(0, band) + 8);
    }

    Texture ceiling = LoadTexture("LightMapCeiling");
    ASSERT_NE(ceiling.image, nullptr);
    const double texel = 512.0 / ceiling.Width();
    for (const datagen::PointLight& lamp : datagen::kLights) {
        int cx = static_cast<int>(lamp.position.x / texel), cz = static_cast<int>(lamp.position.z / texel);
        double over = ceiling.Grey(cx, cz);
        for (int d : {-6, 6}) {
            EXPECT_GT(over, ceiling.Grey(cx + d, cz) + 10) << lamp.position.x << ", " << lamp.position.z;
            EXPECT_GT(over, ceiling.Grey(cx, cz + d) + 10) << lamp.position.x << ", " << lamp.position.z;
        }
    }
}

TEST(Lightmaps, StayWithinASaneBrightness) {
    for (const char* stem : {"LightMapFloor", "LightMapCeiling", "LightMapBackWall", "LightMapFrontWall",
                             "LightMapLeftWall", "LightMapRightWall"}) {
        SCOPED_TRACE(stem);
        Texture t = LoadTexture(stem);
        ASSERT_NE(t.image, nullptr);
        int darkest = 255, brightest = 0;
        double sum = 0;
        for (int y = 0; y < t.Height(); ++y) {
            for (int x = 0; x < t.Width(); ++x) {
                for (int c = 0; c < 3; ++c) {
                    darkest = std::min(darkest, t.At(x, y, c));
                    brightest = std::max(brightest, t.At(x, y, c));
                }
                sum += t.Grey(x, y);
            }
        }
        double mean = sum / (t.Width() * t.Height());
        // Never pitch black (ambient light reaches everywhere), never white
        // (the lightmap multiplies the texture, so white would wash it out).
        EXPECT_GE(darkest, 30);
        EXPECT_LE(brightest, 245);
        EXPECT_GT(mean, 90.0);
        EXPECT_LT(mean, 210.0);
        EXPECT_GT(brightest - darkest, 30) << "lit, not flat";
    }
}

}  // namespace
