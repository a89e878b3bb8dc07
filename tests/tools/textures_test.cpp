// What the pictures show: repeating materials without seams, and the
// additive pictures (portals, rifle, crosshair, smoke) black where they must
// add nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "generated_data.h"

namespace {

using generated::LoadTexture;
using generated::Texture;

// Mean absolute step, in byte levels, between column a and column b.
double ColumnStep(const Texture& t, int a, int b) {
    double sum = 0;
    for (int y = 0; y < t.Height(); ++y)
        for (int c = 0; c < 3; ++c) sum += std::abs(t.At(a, y, c) - t.At(b, y, c));
    return sum / (3.0 * t.Height());
}

double RowStep(const Texture& t, int a, int b) {
    double sum = 0;
    for (int x = 0; x < t.Width(); ++x)
        for (int c = 0; c < 3; ++c) sum += std::abs(t.At(x, a, c) - t.At(x, b, c));
    return sum / (3.0 * t.Width());
}

// The step across the wrap, from the last column (row) to the first, set
// against typical steps inside the picture between neighbouring columns and
// between columns 37 apart. Fine grain makes even neighbours differ, so a
// seam shows as a wrap step that looks like a jump between far columns.
struct Seams {
    double wrapX = 0, nearX = 0, farX = 0;
    double wrapY = 0, nearY = 0, farY = 0;
};

constexpr int kFar = 37;

Seams MeasureSeams(const Texture& t) {
    Seams s;
    int w = t.Width(), h = t.Height();
    s.wrapX = ColumnStep(t, w - 1, 0);
    s.wrapY = RowStep(t, h - 1, 0);
    for (int x = 0; x + kFar < w; ++x) {
        s.nearX += ColumnStep(t, x, x + 1) / (w - kFar);
        s.farX += ColumnStep(t, x, x + kFar) / (w - kFar);
    }
    for (int y = 0; y + kFar < h; ++y) {
        s.nearY += RowStep(t, y, y + 1) / (h - kFar);
        s.farY += RowStep(t, y, y + kFar) / (h - kFar);
    }
    return s;
}

bool Seamless(const Seams& s) {
    return s.wrapX < (s.nearX + s.farX) / 2 && s.wrapY < (s.nearY + s.farY) / 2;
}

// The picture without its first `margin` columns and rows.
Texture Cropped(const Texture& t, int margin) {
    Texture cut{std::make_unique<ImageRGB>()};
    cut.image->width = t.Width() - margin;
    cut.image->height = t.Height() - margin;
    cut.image->pixels = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(cut.Width()) * cut.Height() * 3);
    for (int y = 0; y < cut.Height(); ++y)
        for (int x = 0; x < cut.Width(); ++x)
            for (int c = 0; c < 3; ++c)
                cut.image->pixels[(static_cast<std::size_t>(y) * cut.Width() + x) * 3 + c] =
                    static_cast<std::uint8_t>(t.At(x + margin, y + margin, c));
    return cut;
}

TEST(RepeatingTextures, WrapAroundWithoutASeam) {
    for (const char* stem : {"floor", "ceiling", "wall", "clay", "floor_1", "wall_1", "clouds"}) {
        SCOPED_TRACE(stem);
        Texture t = LoadTexture(stem);
        ASSERT_NE(t.image, nullptr);
        Seams s = MeasureSeams(t);
        EXPECT_TRUE(Seamless(s)) << "wrap " << s.wrapX << ", " << s.wrapY << "; neighbours " << s.nearX << ", "
                                 << s.nearY << "; far " << s.farX << ", " << s.farY;
        // A material, not a flat colour: there is something to tile.
        EXPECT_GT(s.farX, 5.0);
        EXPECT_GT(s.farY, 5.0);
        // The measure does find a seam: the same picture with a strip cut
        // off its left and bottom no longer tiles.
        Seams cut = MeasureSeams(Cropped(t, 19));
        EXPECT_FALSE(Seamless(cut)) << "wrap " << cut.wrapX << ", " << cut.wrapY << "; neighbours " << cut.nearX
                                    << ", " << cut.nearY << "; far " << cut.farX << ", " << cut.farY;
    }
}

// Brightest grey on the picture's outermost ring of pixels.
double BorderMax(const Texture& t) {
    double most = 0;
    for (int x = 0; x < t.Width(); ++x) most = std::max({most, t.Grey(x, 0), t.Grey(x, t.Height() - 1)});
    for (int y = 0; y < t.Height(); ++y) most = std::max({most, t.Grey(0, y), t.Grey(t.Width() - 1, y)});
    return most;
}

TEST(AdditivePictures, PortalsGlowInTheMiddleAndAreBlackAtTheEdge) {
    Texture blue = LoadTexture("portal"), orange = LoadTexture("portal_2");
    ASSERT_NE(blue.image, nullptr);
    ASSERT_NE(orange.image, nullptr);
    for (const Texture* t : {&blue, &orange}) {
        EXPECT_LE(BorderMax(*t), 2.0);
        EXPECT_GT(t->Grey(t->Width() / 2, t->Height() / 2), 120.0);
    }
    double blueSum[3] = {0, 0, 0}, orangeSum[3] = {0, 0, 0};
    for (int y = 0; y < blue.Height(); ++y)
        for (int x = 0; x < blue.Width(); ++x)
            for (int c = 0; c < 3; ++c) blueSum[c] += blue.At(x, y, c), orangeSum[c] += orange.At(x, y, c);
    EXPECT_GT(blueSum[2], 2 * blueSum[0]) << "the first portal is blue";
    EXPECT_GT(orangeSum[0], 2 * orangeSum[2]) << "the second portal is orange";
}

TEST(AdditivePictures, CrosshairIsAThinCrossWithAGap) {
    Texture t = LoadTexture("crosshair");
    ASSERT_NE(t.image, nullptr);
    ASSERT_EQ(t.Width(), 64);
    int c = 32;  // the cross is centred between pixels 31 and 32
    for (int d : {0, 1, 3}) {
        EXPECT_EQ(t.Grey(c - 1 - d, c), 0.0) << "gap at " << d;
        EXPECT_EQ(t.Grey(c + d, c - 1), 0.0) << "gap at " << d;
    }
    for (int d : {10, 20}) {
        // White arms two pixels wide in all four directions.
        for (int across : {c - 1, c}) {
            EXPECT_EQ(t.Grey(across, c + d), 255.0);
            EXPECT_EQ(t.Grey(across, c - 1 - d), 255.0);
            EXPECT_EQ(t.Grey(c + d, across), 255.0);
            EXPECT_EQ(t.Grey(c - 1 - d, across), 255.0);
        }
        EXPECT_EQ(t.Grey(c + 2, c + d), 0.0) << "thin";
        EXPECT_EQ(t.Grey(c + d, c + d), 0.0) << "nothing on the diagonal";
    }
    EXPECT_EQ(BorderMax(t), 0.0);
    // Mirror-symmetric, so it sits exactly on the line of sight.
    int asymmetric = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) asymmetric += t.Grey(x, y) != t.Grey(63 - x, y) || t.Grey(x, y) != t.Grey(y, x);
    EXPECT_EQ(asymmetric, 0);
}

TEST(AdditivePictures, SmokeIsBrightInTheMiddleAndFadesToBlack) {
    Texture t = LoadTexture("smoke");
    ASSERT_NE(t.image, nullptr);
    EXPECT_EQ(BorderMax(t), 0.0);
    // Mean brightness in rings around the middle falls outwards.
    double sum[3] = {0, 0, 0};
    int count[3] = {0, 0, 0};
    double half = t.Width() / 2.0;
    for (int y = 0; y < t.Height(); ++y) {
        for (int x = 0; x < t.Width(); ++x) {
            double r = std::hypot(x + 0.5 - half, y + 0.5 - half) / half;
            int ring = r < 0.2 ? 0 : (r > 0.5 && r < 0.6) ? 1 : (r > 0.85) ? 2 : -1;
            if (ring >= 0) sum[ring] += t.Grey(x, y), ++count[ring];
        }
    }
    double inner = sum[0] / count[0], middle = sum[1] / count[1], outer = sum[2] / count[2];
    EXPECT_GT(inner, 170.0);
    EXPECT_GT(inner, middle + 40.0);
    EXPECT_GT(middle, outer + 20.0);
    EXPECT_LT(outer, 10.0);
}

TEST(AdditivePictures, RifleIsGreyOnBlack) {
    Texture t = LoadTexture("m16");
    ASSERT_NE(t.image, nullptr);
    int lit = 0, coloured = 0;
    for (int y = 0; y < t.Height(); ++y) {
        for (int x = 0; x < t.Width(); ++x) {
            lit += t.Grey(x, y) > 60;
            coloured += t.At(x, y, 0) != t.At(x, y, 1) || t.At(x, y, 1) != t.At(x, y, 2);
        }
    }
    int total = t.Width() * t.Height();
    EXPECT_GT(lit, total / 5) << "the rifle fills a good part of the panel";
    EXPECT_LT(lit, total * 3 / 5) << "with black around it";
    EXPECT_EQ(coloured, 0) << "the game tints it";
    // Muzzle to the right at mid-height, black above the butt.
    EXPECT_GT(t.Grey(248, 36), 100.0);
    EXPECT_EQ(t.Grey(1, t.Height() - 2), 0.0);
}

}  // namespace
