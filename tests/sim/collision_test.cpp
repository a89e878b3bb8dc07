#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/game_state.h"
#include "sim/collision.h"
#include "sim/solids.h"

namespace {

struct Body {
    double x, y, z;
    double vx = 0, vy = 0, vz = 0;
};

bool Collide(Body& b, double radius, double response) {
    return CollideWithWorld(b.x, b.y, b.z, b.vx, b.vy, b.vz, radius, response);
}

// Collides `start` and checks the hit flag and every coordinate afterwards.
void ExpectCollision(Body start, double radius, double response, bool hit, const Body& expected) {
    SCOPED_TRACE(testing::Message() << "body at " << start.x << ", " << start.y << ", " << start.z);
    EXPECT_EQ(Collide(start, radius, response), hit);
    EXPECT_EQ(start.x, expected.x);
    EXPECT_EQ(start.y, expected.y);
    EXPECT_EQ(start.z, expected.z);
    EXPECT_DOUBLE_EQ(start.vx, expected.vx);
    EXPECT_DOUBLE_EQ(start.vy, expected.vy);
    EXPECT_DOUBLE_EQ(start.vz, expected.vz);
}

// The six face points of the inflated box, each centred on the other two axes.
std::vector<Body> FacePoints(const Solid& s, double r) {
    const double cx = (s.xMin + s.xMax) / 2, cy = (s.yMin + s.yMax) / 2, cz = (s.zMin + s.zMax) / 2;
    return {{s.xMax + r, cy, cz}, {s.xMin - r, cy, cz}, {cx, s.yMax + r, cz},
            {cx, s.yMin - r, cz}, {cx, cy, s.zMax + r}, {cx, cy, s.zMin - r}};
}

}  // namespace

TEST(Collision, EveryInflatedFaceIsStrict) {
    for (double r : {0.0, 2.5}) {
        for (int i = 0; i < kSolidCount; ++i) {
            const Solid& s = kSolids[i];
            const double centre[3] = {(s.xMin + s.xMax) / 2, (s.yMin + s.yMax) / 2, (s.zMin + s.zMax) / 2};
            for (const Body& face : FacePoints(s, r)) {
                // Below radius the floor clamps first; that face is the room's.
                if (face.y < r) continue;
                SCOPED_TRACE(testing::Message() << "solid " << i << " radius " << r);
                ExpectCollision(face, r, 0.75, false, face);
                // A hair further in is inside.
                Body in = face;
                double* axes[3] = {&in.x, &in.y, &in.z};
                for (int a = 0; a < 3; ++a) *axes[a] = std::nextafter(*axes[a], centre[a]);
                EXPECT_TRUE(Collide(in, r, 0.75));
            }
        }
        // The room's own bounds, away from the portal window and the maze.
        for (Body face : {Body{kRoomSize - r, 10, 50}, Body{r, 10, 50}, Body{50, kRoomHeight - r, 50},
                          Body{50, r, 50}, Body{50, 10, kRoomSize - r}, Body{50, 10, r}}) {
            ExpectCollision(face, r, 0, false, face);
        }
    }
}

TEST(Collision, RoomBoundsClampAndReflect) {
    ExpectCollision({50, 10, 50, 1, 2, 3}, 0, 0.75, false, {50, 10, 50, 1, 2, 3});
    // A chip below the floor is put on it and bounces at three quarters.
    ExpectCollision({50, -0.5, 50, 0.1, -1, 0.2}, 0, 0.75, true, {50, 0, 50, 0.1, 0.75, 0.2});
    ExpectCollision({50, 130, 50, 0, 4, 0}, 2.5, 0.5, true, {50, 125.5, 50, 0, -2, 0});
    // The z walls have no portal, even in the window's span of x.
    ExpectCollision({256, 10, 513, 0, 0, 1}, 0, 0, true, {256, 10, 512, 0, 0, 0});
    ExpectCollision({256, 10, -3, 0, 0, -1}, 2.5, 1, true, {256, 10, 2.5, 0, 0, 1});
}

TEST(Collision, PortalWindowsCarryBodiesAcross) {
    // The player, radius 2.5, response 0, comes out 2.5 inside the far wall.
    ExpectCollision({510, 7, 256, 20, 0, 3}, 2.5, 0, true, {5, 7, 256, 0, 0, 3});
    ExpectCollision({2, 7, 256, -20, 0, 0}, 2.5, 0, true, {507, 7, 256, 0, 0, 0});
    // A shot point past either wall inside the window.
    ExpectCollision({512.1, 10, 256}, 0, 0, true, {0, 10, 256});
    ExpectCollision({-0.1, 10, 256}, 0, 0, true, {512, 10, 256});
    // A bouncing chip heads back towards the wall it came out of.
    ExpectCollision({512.05, 1, 260, 0.3, 0, 0}, 0, 0.75, true, {0, 1, 260, -0.225, 0, 0});

    // Above (y >= 64) and beside (z <= 241, z >= 271) the window the wall is solid.
    for (Body at : {Body{0, 64, 256}, Body{0, 10, 241}, Body{0, 10, 271}, Body{0, 0, 256}}) {
        ExpectCollision({512.1, at.y, at.z}, 0, 0, true, {512, at.y, at.z});
        ExpectCollision({-0.1, at.y, at.z}, 0, 0, true, {0, at.y, at.z});
    }
    // The window ignores the radius: a player overlapping its edge stays outside.
    ExpectCollision({511, 7, 241, 20, 0, 0}, 2.5, 0, true, {509.5, 7, 241});
}

TEST(Collision, InnerFaceBandsAreNarrower) {
    // With radius 0 the inner band of ring 1's +x wall (280 < x < 279.75) is
    // empty: a point inside the wall stays where it is but still hits.
    ExpectCollision({280.5, 24, 256, 1, 1, 1}, 0, 0.75, true, {280.5, 24, 256, 1, 1, 1});
    // Within 0.25 of the outer face it goes out through that face.
    ExpectCollision({281.9, 24, 256, 1, 0, 0}, 0, 0.75, true, {282, 24, 256, -0.75, 0, 0});
    ExpectCollision({281.75, 24, 256, 1, 0, 0}, 0, 0.75, true, {281.75, 24, 256, 1, 0, 0});
    // Ring 1's -x wall has its outer face on the -x side.
    ExpectCollision({230.1, 24, 256, -1, 0, 0}, 0, 0.75, true, {230, 24, 256, 0.75, 0, 0});
}

TEST(Collision, LidExtentAndVerticalBands) {
    // Inside the lid but in none of its bands: a hit, nothing changed.
    ExpectCollision({256, 47, 256, 1, 1, 1}, 0, 0.75, true, {256, 47, 256, 1, 1, 1});
    // The top band and the lid's bottom band bounce without moving.
    ExpectCollision({256, 47.9, 256, 0, -1, 0}, 0, 0.75, true, {256, 47.9, 256, 0, 0.75, 0});
    ExpectCollision({256, 46.1, 256, 0, 1, 0}, 0, 0.75, true, {256, 46.1, 256, 0, -0.75, 0});
    // A maze wall has no bottom band.
    ExpectCollision({256, 0.1, 307, 0, 1, 0}, 0, 0.75, true, {256, 0.1, 307, 0, 1, 0});
    // The player at height 7 under the lid is never touched.
    ExpectCollision({256, 7, 256}, 2.5, 0, false, {256, 7, 256});
}

TEST(Collision, ThinWallsAndWallEnds) {
    // In both bands of a thin wall the body leaves on the max side.
    ExpectCollision({279.5, 7, 256, 20, 0, 0}, 2.5, 0, true, {284.5, 7, 256});
    ExpectCollision({231, 7, 256, -20, 0, 0}, 2.5, 0, true, {234.5, 7, 256});
    // Only in the -x band: out on the min side.
    ExpectCollision({278, 7, 256, 20, 0, 0}, 2.5, 0, true, {277.5, 7, 256});
    // A wall's open end pushes out on x and z in one call: ring 1's +x wall...
    ExpectCollision({283, 7, 283, 4, 0, 4}, 2.5, 0.5, true, {284.5, 7, 284.5, -2, 0, -2});
    // The free -x end of ring 3's -z wall and the free -z end of ring 2's +x wall.
    ExpectCollision({179.5, 24, 179, 1, 0, 1}, 2.5, 0, true, {175.5, 24, 182.5});
    ExpectCollision({307, 24, 205, 1, 0, 1}, 2.5, 0, true, {310.5, 24, 201.5});
    // On top of an end it also bounces vertically.
    ExpectCollision({281.9, 47.9, 281.9, 1, -1, 1}, 0, 0.75, true, {282, 47.9, 282, -0.75, 0.75, -0.75});
}

TEST(Collision, SharedVelocityVariable) {
    // zeroVelocity stands in for all three components of a shot and stays 0.
    zeroVelocity = 0;
    double x = 512.5, y = -1, z = 513;
    EXPECT_TRUE(CollideWithWorld(x, y, z, zeroVelocity, zeroVelocity, zeroVelocity, 0, 0.75));
    EXPECT_EQ(zeroVelocity, 0);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(z, 512);

    // One variable for x and z, both reflected: each reflection sees the other's result.
    double v = 2, vy = 0;
    x = 513, y = 10, z = 513;
    EXPECT_TRUE(CollideWithWorld(x, y, z, v, vy, v, 0, 0.75));
    EXPECT_DOUBLE_EQ(v, 2 * 0.75 * 0.75);
}
