#include "lightmaps.h"

#include <algorithm>
#include <cmath>

#include "noise.h"
#include "sim/solids.h"

namespace datagen {

namespace {

constexpr double kGrid[4] = {40.0, 192.0, 320.0, 472.0};
constexpr double kFalloffRange = 85.0;   // distance at which a lamp's light has halved
constexpr int kShadowSamples = 8;
constexpr double kUpLight = 0.2;  // share of a lamp's light that leaves its shade sideways and up
constexpr double kGoldenAngle = 2.39996322972865332;

constexpr PointLight GridLight(int i) { return {{kGrid[i % 4], kLightHeight, kGrid[i / 4]}, 1.0}; }

const Rgb kLampColour{1.0f, 0.93f, 0.80f};
const Rgb kAmbientColour{0.55f, 0.60f, 0.72f};
constexpr float kAmbient = 0.3f;
constexpr float kExposure = 2.8f;

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Slab test of the open segment a + k (b - a), 0 < k < 1, against one box.
bool SegmentHitsBox(const Vec3& a, const Vec3& b, const Solid& box) {
    double lo = 1e-6, hi = 1.0 - 1e-6;
    const double from[3] = {a.x, a.y, a.z};
    const double delta[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
    const double minimum[3] = {box.xMin, box.yMin, box.zMin};
    const double maximum[3] = {box.xMax, box.yMax, box.zMax};
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(delta[axis]) < 1e-12) {
            if (from[axis] <= minimum[axis] || from[axis] >= maximum[axis]) return false;
            continue;
        }
        double k0 = (minimum[axis] - from[axis]) / delta[axis];
        double k1 = (maximum[axis] - from[axis]) / delta[axis];
        if (k0 > k1) std::swap(k0, k1);
        lo = std::max(lo, k0);
        hi = std::min(hi, k1);
        if (lo >= hi) return false;
    }
    return true;
}

// True when the segment from `from` to `to` passes through a solid box.
bool Blocked(const Vec3& from, const Vec3& to) {
    for (const Solid& box : kSolids)
        if (SegmentHitsBox(from, to, box)) return true;
    return false;
}

// How open a point is to the sky of the room: close to walls, corners and
// the foot of the maze walls less ambient light gets in.
float AmbientOpenness(RoomFace face, const Vec3& p) {
    double nearest = 1e9;
    if (face == RoomFace::Floor || face == RoomFace::Ceiling) {
        nearest = std::min({p.x, kRoomSize - p.x, p.z, kRoomSize - p.z});
    } else {
        nearest = std::min(p.y, kRoomHeight - p.y);
        double along = (face == RoomFace::LeftWall || face == RoomFace::RightWall) ? p.z : p.x;
        nearest = std::min({nearest, along, kRoomSize - along});
    }
    if (face == RoomFace::Floor) {
        for (const Solid& box : kSolids) {
            if (box.yMin > 0) continue;  // only boxes standing on the floor meet it
            double dx = std::max({box.xMin - p.x, 0.0, p.x - box.xMax});
            double dz = std::max({box.zMin - p.z, 0.0, p.z - box.zMax});
            nearest = std::min(nearest, std::hypot(dx, dz));
        }
    }
    return 0.55f + 0.45f * SmoothStep(0.0f, 16.0f, static_cast<float>(nearest));
}

// Direct light from all lamps, each sampled at several points of its sphere
// so that shadows get a soft edge.
float DirectLight(const Vec3& point, const Vec3& normal, float rotation) {
    Vec3 start{point.x + normal.x * 0.01, point.y + normal.y * 0.01, point.z + normal.z * 0.01};
    float total = 0;
    for (const PointLight& light : kLights) {
        Vec3 toLight = Sub(light.position, point);
        double distance = std::sqrt(Dot(toLight, toLight));
        double facing = Dot(toLight, normal) / distance;
        if (facing <= 0) continue;
        int visible = 0;
        for (int i = 0; i < kShadowSamples; ++i) {
            double radius = kLightRadius * std::sqrt((i + 0.5) / kShadowSamples);
            double angle = i * kGoldenAngle + rotation;
            Vec3 sample{light.position.x + radius * std::cos(angle), light.position.y,
                        light.position.z + radius * std::sin(angle)};
            if (!Blocked(start, sample)) ++visible;
        }
        double falloff = 1.0 / (1.0 + (distance / kFalloffRange) * (distance / kFalloffRange));
        // The lamps hang under shades: most of their light goes down, so the
        // walls get pools below each lamp and the ceiling only a glow.
        double down = toLight.y / distance;  // cosine between straight down and the way to the point
        double shade = kUpLight + (1.0 - kUpLight) * std::pow(std::max(0.0, down), 3.0);
        total += static_cast<float>(light.power * shade * facing * falloff * visible / kShadowSamples);
    }
    return total;
}

}  // namespace

const PointLight kLights[kLightCount] = {
    GridLight(0), GridLight(1), GridLight(2),  GridLight(3),  GridLight(4),  GridLight(5),
    GridLight(6), GridLight(7), GridLight(8),  GridLight(9),  GridLight(10), GridLight(11),
    GridLight(12), GridLight(13), GridLight(14), GridLight(15),
};

Vec3 FacePoint(RoomFace face, double s, double t) {
    switch (face) {
        case RoomFace::Floor: return {s * kRoomSize, 0.0, t * kRoomSize};
        case RoomFace::Ceiling: return {s * kRoomSize, kRoomHeight, t * kRoomSize};
        case RoomFace::BackWall: return {s * kRoomSize, t * kRoomHeight, 0.0};
        case RoomFace::FrontWall: return {s * kRoomSize, t * kRoomHeight, kRoomSize};
        case RoomFace::LeftWall: return {0.0, t * kRoomHeight, s * kRoomSize};
        case RoomFace::RightWall: return {kRoomSize, t * kRoomHeight, s * kRoomSize};
    }
    return {0, 0, 0};
}

Vec3 FaceNormal(RoomFace face) {
    switch (face) {
        case RoomFace::Floor: return {0, 1, 0};
        case RoomFace::Ceiling: return {0, -1, 0};
        case RoomFace::BackWall: return {0, 0, 1};
        case RoomFace::FrontWall: return {0, 0, -1};
        case RoomFace::LeftWall: return {1, 0, 0};
        case RoomFace::RightWall: return {-1, 0, 0};
    }
    return {0, 1, 0};
}

Image BakeLightmap(RoomFace face, int width, int height) {
    Image image(width, height);
    Vec3 normal = FaceNormal(face);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            double s = (column + 0.5) / width, t = (row + 0.5) / height;
            Vec3 point = FacePoint(face, s, t);
            // Turn the lamp sample pattern from texel to texel so that the
            // shadow edges blur into grain instead of stepping.
            float rotation = HashUnit(column, row, 1000u + static_cast<unsigned>(face)) * 6.2831853f;
            float direct = DirectLight(point, normal, rotation);
            float ambient = kAmbient * AmbientOpenness(face, point);
            Rgb energy = kLampColour * direct + kAmbientColour * ambient;
            image.At(column, row) = Rgb{1.0f - std::exp(-kExposure * energy.r), 1.0f - std::exp(-kExposure * energy.g),
                                        1.0f - std::exp(-kExposure * energy.b)};
        }
    }
    return image;
}

}  // namespace datagen
