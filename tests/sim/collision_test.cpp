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

// A face point of the inflated box, centred on the other two axes.
struct FacePoint {
    const char* name;
    Body onFace;
    Body justInside;
};

std::vector<FacePoint> FacesOf(const Solid& s, double r) {
    const double cx = (s.xMin + s.xMax) / 2, cy = (s.yMin + s.yMax) / 2, cz = (s.zMin + s.zMax) / 2;
    auto in = [](double face, double towards) { return std::nextafter(face, towards); };
    return {
        {"+x", {s.xMax + r, cy, cz}, {in(s.xMax + r, cx), cy, cz}},
        {"-x", {s.xMin - r, cy, cz}, {in(s.xMin - r, cx), cy, cz}},
        {"+y", {cx, s.yMax + r, cz}, {cx, in(s.yMax + r, cy), cz}},
        {"-y", {cx, s.yMin - r, cz}, {cx, in(s.yMin - r, cy), cz}},
        {"+z", {cx, cy, s.zMax + r}, {cx, cy, in(s.zMax + r, cz)}},
        {"-z", {cx, cy, s.zMin - r}, {cx, cy, in(s.zMin - r, cz)}},
    };
}

}  // namespace

TEST(Collision, EveryInflatedFaceIsStrict) {
    for (double r : {0.0, 2.5}) {
        for (int i = 0; i < kSolidCount; ++i) {
            for (const FacePoint& f : FacesOf(kSolids[i], r)) {
                // The floor clamps a body whose centre is below radius; those
                // faces are the room's, not the solid's.
                if (f.onFace.y < r) continue;
                SCOPED_TRACE(testing::Message() << "solid " << i << " face " << f.name << " radius " << r);
                Body on = f.onFace;
                EXPECT_FALSE(Collide(on, r, 0.75));
                EXPECT_EQ(on.x, f.onFace.x);
                EXPECT_EQ(on.y, f.onFace.y);
                EXPECT_EQ(on.z, f.onFace.z);
                Body inside = f.justInside;
                EXPECT_TRUE(Collide(inside, r, 0.75));
            }
        }
        // The room's own bounds, away from the portal window and the maze.
        const Body roomFaces[] = {{kRoomSize - r, 10, 50}, {r, 10, 50},  {50, kRoomHeight - r, 50},
                                  {50, r, 50},             {50, 10, kRoomSize - r}, {50, 10, r}};
        for (const Body& face : roomFaces) {
            SCOPED_TRACE(testing::Message() << "room face at " << face.x << "," << face.y << "," << face.z);
            Body b = face;
            EXPECT_FALSE(Collide(b, r, 0));
            EXPECT_EQ(b.x, face.x);
            EXPECT_EQ(b.y, face.y);
            EXPECT_EQ(b.z, face.z);
        }
    }
}

TEST(Collision, RoomBoundsClampAndReflect) {
    Body free{50, 10, 50, 1, 2, 3};
    EXPECT_FALSE(Collide(free, 0, 0.75));
    EXPECT_EQ(free.vx, 1);
    EXPECT_EQ(free.vy, 2);

    // A chip below the floor is put on it and bounces at three quarters.
    Body chip{50, -0.5, 50, 0.1, -1.0, 0.2};
    EXPECT_TRUE(Collide(chip, 0, 0.75));
    EXPECT_EQ(chip.y, 0);
    EXPECT_EQ(chip.vy, 0.75);
    EXPECT_EQ(chip.vx, 0.1);
    EXPECT_EQ(chip.vz, 0.2);

    Body ceiling{50, 130, 50, 0, 4, 0};
    EXPECT_TRUE(Collide(ceiling, 2.5, 0.5));
    EXPECT_EQ(ceiling.y, 125.5);
    EXPECT_EQ(ceiling.vy, -2);

    // The z walls have no portal, even in the window's span of x.
    Body zWall{256, 10, 513, 0, 0, 1};
    EXPECT_TRUE(Collide(zWall, 0, 0));
    EXPECT_EQ(zWall.z, 512);
    EXPECT_EQ(zWall.vz, 0);
    Body zWallLow{256, 10, -3, 0, 0, -1};
    EXPECT_TRUE(Collide(zWallLow, 2.5, 1));
    EXPECT_EQ(zWallLow.z, 2.5);
    EXPECT_EQ(zWallLow.vz, 1);
}

TEST(Collision, PortalWindowsCarryBodiesAcross) {
    // The player, radius 2.5, response 0.
    Body out{510, 7, 256, 20, 0, 3};
    EXPECT_TRUE(Collide(out, 2.5, 0));
    EXPECT_EQ(out.x, 5);
    EXPECT_EQ(out.vx, 0);
    EXPECT_EQ(out.vz, 3);
    Body back{2, 7, 256, -20, 0, 0};
    EXPECT_TRUE(Collide(back, 2.5, 0));
    EXPECT_EQ(back.x, 507);
    EXPECT_EQ(back.vx, 0);

    // A shot point steps past the wall inside the window.
    Body shot{512.1, 10, 256};
    EXPECT_TRUE(Collide(shot, 0, 0));
    EXPECT_EQ(shot.x, 0);
    Body shotBack{-0.1, 10, 256};
    EXPECT_TRUE(Collide(shotBack, 0, 0));
    EXPECT_EQ(shotBack.x, 512);

    // A bouncing chip keeps going towards the wall it came out of.
    Body chip{512.05, 1, 260, 0.3, 0, 0};
    EXPECT_TRUE(Collide(chip, 0, 0.75));
    EXPECT_EQ(chip.x, 0);
    EXPECT_DOUBLE_EQ(chip.vx, -0.225);

    // Above (y >= 64) and beside (z <= 241, z >= 271) the window the wall is solid.
    const Body solid[] = {{512.1, 64, 256}, {512.1, 10, 241}, {512.1, 10, 271}, {512.1, 0, 256}};
    for (const Body& start : solid) {
        SCOPED_TRACE(testing::Message() << "y " << start.y << " z " << start.z);
        Body b = start;
        EXPECT_TRUE(Collide(b, 0, 0));
        EXPECT_EQ(b.x, 512);
        Body low{-0.1, start.y, start.z};
        EXPECT_TRUE(Collide(low, 0, 0));
        EXPECT_EQ(low.x, 0);
    }
    // The window is the same for any radius: a player overlapping it is still outside.
    Body player{511, 7, 241, 20, 0, 0};
    EXPECT_TRUE(Collide(player, 2.5, 0));
    EXPECT_EQ(player.x, 509.5);
}

TEST(Collision, InnerFaceBandsAreNarrower) {
    // With radius 0 the inner band of ring 1's +x wall (280 < x < 279.75) is
    // empty: a point inside the wall stays where it is but still hits.
    Body inWall{280.5, 24, 256, 1, 1, 1};
    EXPECT_TRUE(Collide(inWall, 0, 0.75));
    EXPECT_EQ(inWall.x, 280.5);
    EXPECT_EQ(inWall.z, 256);
    EXPECT_EQ(inWall.vx, 1);
    EXPECT_EQ(inWall.vz, 1);

    // Within 0.25 of the outer face it goes out through that face.
    Body nearOuter{281.9, 24, 256, 1, 0, 0};
    EXPECT_TRUE(Collide(nearOuter, 0, 0.75));
    EXPECT_EQ(nearOuter.x, 282);
    EXPECT_EQ(nearOuter.vx, -0.75);
    Body onThreshold{281.75, 24, 256, 1, 0, 0};
    EXPECT_TRUE(Collide(onThreshold, 0, 0.75));
    EXPECT_EQ(onThreshold.x, 281.75);

    // The outer face of ring 1's -x wall is its -x side.
    Body minusSide{230.1, 24, 256, -1, 0, 0};
    EXPECT_TRUE(Collide(minusSide, 0, 0.75));
    EXPECT_EQ(minusSide.x, 230);
    EXPECT_EQ(minusSide.vx, 0.75);
}

TEST(Collision, LidExtentAndVerticalBands) {
    // Inside the lid but in none of its bands: a hit, nothing moved.
    Body mid{256, 47, 256, 1, 1, 1};
    EXPECT_TRUE(Collide(mid, 0, 0.75));
    EXPECT_EQ(mid.x, 256);
    EXPECT_EQ(mid.y, 47);
    EXPECT_EQ(mid.z, 256);
    EXPECT_EQ(mid.vx, 1);
    EXPECT_EQ(mid.vy, 1);
    EXPECT_EQ(mid.vz, 1);

    // The top band bounces without moving; so does the lid's bottom band.
    Body top{256, 47.9, 256, 0, -1, 0};
    EXPECT_TRUE(Collide(top, 0, 0.75));
    EXPECT_EQ(top.y, 47.9);
    EXPECT_EQ(top.vy, 0.75);
    Body under{256, 46.1, 256, 0, 1, 0};
    EXPECT_TRUE(Collide(under, 0, 0.75));
    EXPECT_EQ(under.y, 46.1);
    EXPECT_EQ(under.vy, -0.75);

    // A maze wall has no bottom band.
    Body wallFoot{256, 0.1, 307, 0, 1, 0};
    EXPECT_TRUE(Collide(wallFoot, 0, 0.75));
    EXPECT_EQ(wallFoot.vy, 1);

    // The player at height 7 is never touched vertically.
    Body player{256, 7, 256, 0, 0, 0};
    EXPECT_FALSE(Collide(player, 2.5, 0));
    EXPECT_EQ(player.y, 7);
}

TEST(Collision, ThinWallsAndWallEnds) {
    // In both bands of a thin wall the body leaves on the max side.
    Body plus{279.5, 7, 256, 20, 0, 0};
    EXPECT_TRUE(Collide(plus, 2.5, 0));
    EXPECT_EQ(plus.x, 284.5);
    EXPECT_EQ(plus.vx, 0);
    Body minusWall{231, 7, 256, -20, 0, 0};
    EXPECT_TRUE(Collide(minusWall, 2.5, 0));
    EXPECT_EQ(minusWall.x, 234.5);
    // Only in the -x band: out on the min side.
    Body minusOnly{278, 7, 256, 20, 0, 0};
    EXPECT_TRUE(Collide(minusOnly, 2.5, 0));
    EXPECT_EQ(minusOnly.x, 277.5);

    // The open end of ring 1's +x wall pushes out on x and z in one call.
    Body end{283, 7, 283, 4, 0, 4};
    EXPECT_TRUE(Collide(end, 2.5, 0.5));
    EXPECT_EQ(end.x, 284.5);
    EXPECT_EQ(end.z, 284.5);
    EXPECT_EQ(end.vx, -2);
    EXPECT_EQ(end.vz, -2);

    // On top of a wall end: x, z and a vertical bounce together.
    Body onTop{281.9, 47.9, 281.9, 1, -1, 1};
    EXPECT_TRUE(Collide(onTop, 0, 0.75));
    EXPECT_EQ(onTop.x, 282);
    EXPECT_EQ(onTop.z, 282);
    EXPECT_EQ(onTop.vx, -0.75);
    EXPECT_EQ(onTop.vz, -0.75);
    EXPECT_GT(onTop.vy, 0);
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
