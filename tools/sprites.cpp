#include "sprites.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace datagen {
namespace {

// Brightness of a swirl at (u, v) on the portal face, 0 at every edge.
float SwirlIntensity(float u, float v, int arms, float twist, std::uint32_t seed) {
    float px = (u - 0.5f) * 90.0f / 27.0f;
    float py = (v - 0.5f) * 54.0f / 27.0f;
    float r = std::hypot(px, py);
    float angle = std::atan2(py, px);
    float wisps = TileFbm(u, v, 4, 4, seed);
    float phase = static_cast<float>(arms) * angle + twist * r + 3.0f * wisps;
    float armLight = std::pow(0.5f + 0.5f * std::cos(phase), 3.0f);
    float ring = std::exp(-((r - 0.6f) / 0.28f) * ((r - 0.6f) / 0.28f));
    float core = std::exp(-(r / 0.22f) * (r / 0.22f));
    float edgeFade = 1.0f - SmoothStep(0.8f, 0.98f, r);
    float glow = (0.85f * armLight + 0.2f) * ring + 0.9f * core;
    return Clamp01(glow * edgeFade * (0.8f + 0.4f * wisps));
}

Rgb BlueGlow(float i) {
    Rgb blue = Rgb{0.10f, 0.45f, 1.0f} * i;
    return Mix(blue, Rgb{0.85f, 0.95f, 1.0f}, SmoothStep(0.65f, 1.0f, i));
}

Rgb OrangeGlow(float i) {
    Rgb orange = Rgb{1.0f, 0.45f * std::sqrt(i), 0.05f} * i;
    return Mix(orange, Rgb{1.0f, 0.92f, 0.7f}, SmoothStep(0.65f, 1.0f, i));
}

struct Point {
    float x, y;
};

bool InsidePolygon(std::initializer_list<Point> polygon, float x, float y) {
    bool inside = false;
    const Point* pts = polygon.begin();
    size_t n = polygon.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        if ((pts[i].y > y) != (pts[j].y > y) &&
            x < (pts[j].x - pts[i].x) * (y - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x)
            inside = !inside;
    }
    return inside;
}

bool InsideBox(float x0, float y0, float x1, float y1, float x, float y) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}

// Grey level of the rifle at a point (picture pixels, y up), or a negative
// value where the point is background. Later parts are painted over earlier.
float RiflePart(float x, float y) {
    float grey = -1.0f;
    // Stock: straight along the top, sloping underneath towards the butt.
    if (InsidePolygon({{4, 11}, {10, 10}, {74, 28}, {74, 42}, {8, 41}, {4, 40}}, x, y)) grey = 0.55f;
    if (InsideBox(3, 10, 7, 42, x, y)) grey = 0.35f;  // butt plate
    // Receiver with the charging handle and the magazine well.
    if (InsideBox(72, 27, 150, 44, x, y)) grey = 0.78f;
    if (InsideBox(72, 44, 80, 47, x, y)) grey = 0.7f;
    if (InsidePolygon({{118, 27}, {146, 27}, {144, 22}, {120, 22}}, x, y)) grey = 0.72f;
    // Carrying handle: a frame with a window through it, rear sight on top.
    if (InsideBox(86, 44, 140, 55, x, y) && !InsideBox(95, 46, 131, 51, x, y)) grey = 0.82f;
    if (InsideBox(87, 55, 94, 58, x, y)) grey = 0.82f;
    // Pistol grip and trigger guard.
    if (InsidePolygon({{98, 28}, {113, 28}, {104, 5}, {91, 7}}, x, y)) grey = 0.5f;
    if (InsideBox(104, 16, 123, 18.5f, x, y) || InsideBox(120.5f, 16, 123, 27, x, y)) grey = 0.7f;
    if (InsidePolygon({{112, 27}, {115, 27}, {117, 20}, {115, 20}}, x, y)) grey = 0.9f;  // trigger
    // Curved magazine, its foot swept towards the muzzle.
    if (InsidePolygon({{124, 23}, {142, 23}, {146, 12}, {151, 1}, {137, 0}, {132, 11}}, x, y)) grey = 0.6f;
    // Handguard, tapering, with its retaining ring at the back.
    if (InsidePolygon({{150, 29}, {150, 43}, {200, 41}, {200, 31}}, x, y)) grey = 0.62f;
    if (InsideBox(148, 27, 154, 45, x, y)) grey = 0.85f;
    // Front sight tower and post, barrel and flash hider.
    if (InsideBox(196, 33, 212, 41, x, y)) grey = 0.8f;
    if (InsidePolygon({{200, 41}, {210, 41}, {207, 53}, {204, 53}}, x, y)) grey = 0.8f;
    if (InsideBox(205, 53, 207, 58, x, y)) grey = 0.9f;
    if (InsideBox(200, 34, 242, 39, x, y)) grey = 0.88f;
    if (InsideBox(240, 32.5f, 253, 40.5f, x, y)) grey = 0.8f;
    return grey;
}

// Dark detail lines cut into the parts: handguard ribs, ejection port,
// flash hider slots, the seam between upper and lower receiver.
float RifleDetail(float x, float y) {
    float dark = 1.0f;
    if (x > 156 && x < 198 && y > 31 && y < 41 && std::fmod(x - 156.0f, 6.0f) < 1.5f) dark = 0.45f;
    if (InsideBox(108, 35, 132, 40, x, y)) dark = 0.4f;
    if (x > 243 && x < 252 && y > 33.5f && y < 39.5f && std::fmod(x - 243.0f, 3.0f) < 1.0f) dark = 0.4f;
    if (x > 74 && x < 148 && y > 33.5f && y < 34.5f) dark = 0.55f;
    if (std::hypot(x - 142.0f, y - 41.0f) < 2.0f) dark = 0.5f;  // forward assist
    return dark;
}

}  // namespace

Image MakePortal() {
    const int size = 128;
    Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.At(x, y) = BlueGlow(SwirlIntensity((x + 0.5f) / size, (y + 0.5f) / size, 3, 7.0f, 801));
    return image;
}

IndexedImage MakePortal2() {
    const int size = 128;
    IndexedImage image;
    image.width = image.height = size;
    for (int i = 0; i < 256; ++i) image.palette.push_back(OrangeGlow(static_cast<float>(i) / 255.0f));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float i = SwirlIntensity((x + 0.5f) / size, (y + 0.5f) / size, 4, -6.0f, 802);
            image.indices.push_back(ToByte(i));
        }
    return image;
}

Image MakeRifle() {
    const int width = 256, height = 64, samples = 4;
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    float px = x + (sx + 0.5f) / samples, py = y + (sy + 0.5f) / samples;
                    float grey = RiflePart(px, py);
                    if (grey < 0) continue;
                    // Rounded metal: lighter towards the top of the picture.
                    float sheen = 0.75f + 0.35f * (py / height);
                    sum += grey * sheen * RifleDetail(px, py);
                }
            }
            float grain = 0.92f + 0.08f * TileNoise((x + 0.5f) / width, (y + 0.5f) / height, 64, 16, 803);
            float v = sum / (samples * samples) * grain;
            image.At(x, y) = Rgb{v, v, v};
        }
    }
    return image;
}

IndexedImage MakeCrosshair() {
    const int size = 64, samples = 4;
    const float centre = size / 2.0f, halfWidth = 1.0f, gap = 6.0f, reach = 26.0f;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int covered = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    float dx = std::fabs(x + (sx + 0.5f) / samples - centre);
                    float dy = std::fabs(y + (sy + 0.5f) / samples - centre);
                    bool vertical = dx < halfWidth && dy > gap && dy < reach;
                    bool horizontal = dy < halfWidth && dx > gap && dx < reach;
                    if (vertical || horizontal) ++covered;
                }
            }
            float v = static_cast<float>(covered) / (samples * samples);
            image.At(x, y) = Rgb{v, v, v};
        }
    }
    return QuantiseGrey(image, 16);
}

IndexedImage MakeSmoke() {
    const int size = 64;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            float r = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;  // 1 at the middle of each side
            float billow = TileFbm(u, v, 4, 4, 901);
            float ragged = r * (0.8f + 0.4f * billow);
            float puff = std::pow(1.0f - SmoothStep(0.0f, 0.95f, ragged), 1.4f);
            puff *= 1.0f - SmoothStep(0.85f, 0.97f, r);  // nothing reaches the edge
            float v2 = Clamp01(puff * (0.7f + 0.45f * billow));
            image.At(x, y) = Rgb{v2, v2, v2};
        }
    }
    return QuantiseGrey(image, 256);
}

Image MakeIcon() {
    const int size = 64, samples = 4;
    const float centre = size / 2.0f;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgb sum;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    float dx = x + (sx + 0.5f) / samples - centre, dy = y + (sy + 0.5f) / samples - centre;
                    float r = std::sqrt(dx * dx + dy * dy);
                    // Night-blue ground, darker towards the corners.
                    Rgb colour = Rgb{0.06f, 0.08f, 0.16f} * (1.0f - 0.5f * Clamp01(r / (size * 0.7f)));
                    if (r > 17 && r < 27) {  // the swirl: three bright arms turning inwards
                        float arm = 0.55f + 0.45f * std::sin(3 * std::atan2(dy, dx) + 0.35f * r);
                        colour = Rgb{1.0f, 0.55f, 0.12f} * arm;
                    }
                    float ax = std::fabs(dx), ay = std::fabs(dy);
                    if ((ax < 1.6f && ay > 4 && ay < 15) || (ay < 1.6f && ax > 4 && ax < 15)) colour = Rgb{1, 1, 1};
                    sum = sum + colour;
                }
            }
            image.At(x, y) = sum * (1.0f / (samples * samples));
        }
    }
    return image;
}

}  // namespace datagen
