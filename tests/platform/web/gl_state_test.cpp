// The arithmetic of our GL layer in the browser, natively: what gl.cpp hands
// to WebGL is made of these.
#include "platform/web/gl_matrix.h"
#include "platform/web/gl_mipmaps.h"
#include "platform/web/gl_primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using plat::web::Assembler;
using plat::web::Command;
using plat::web::Matrix;
using plat::web::Op;
using plat::web::Vertex;

namespace {

// A matrix with no zero, no one and no symmetry in it.
Matrix Scrambled() {
    Matrix m;
    for (int i = 0; i < 16; ++i) m.m[i] = std::sin(i * 1.7 + 0.3) * (i + 2);
    return m;
}

// glRotated's matrix as the GL reference pages give it.
Matrix Rotation(double degrees, double x, double y, double z) {
    const double n = std::sqrt(x * x + y * y + z * z);
    x /= n, y /= n, z /= n;
    const double a = degrees * 3.14159265358979323846 / 180, c = std::cos(a), s = std::sin(a), k = 1 - c;
    return {{x * x * k + c, y * x * k + z * s, x * z * k - y * s, 0, x * y * k - z * s, y * y * k + c,
             y * z * k + x * s, 0, x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0, 0, 0, 0, 1}};
}

// As near as single-precision sines and cosines come, for elements up to 20.
void ExpectNear(const Matrix& got, const Matrix& want) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got.m[i], want.m[i], 2e-4) << "element " << i;
}

// Twice the signed area of the triangle in the xy plane: positive when counter-clockwise.
double Winding(const Vertex& a, const Vertex& b, const Vertex& c) {
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

Vertex At(float x, float y) {
    Vertex v{};
    v.x = x, v.y = y;
    return v;
}

}  // namespace

TEST(WebGlMatrices, RotationsAboutAnAxisOrAnyDirectionAndTranslationsMultiplyAsGlDefinesThem) {
    const double axes[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}, {0, -2, 0}, {0, 0, -0.5}, {1, 2, 3}, {0, 1, 1}};
    // Many angles, some again and some apart by whole turns: remembered
    // sines must be the right angle's.
    for (double degrees = -725; degrees <= 725; degrees += 36.7)
        for (const auto& a : axes) {
            for (const double d : {degrees, degrees + 360.0, degrees}) {
                Matrix m = Scrambled();
                plat::web::Rotate(m, d, a[0], a[1], a[2]);
                ExpectNear(m, plat::web::Multiply(Scrambled(), Rotation(d, a[0], a[1], a[2])));
            }
        }
    Matrix m = Scrambled();
    plat::web::Rotate(m, 30, 0, 0, 0);
    ExpectNear(m, Scrambled());  // no axis, no turn

    Matrix t = plat::web::kIdentity;
    t.m[12] = 3, t.m[13] = -4, t.m[14] = 0.25;
    plat::web::Translate(m, 3, -4, 0.25);
    ExpectNear(m, plat::web::Multiply(Scrambled(), t));
}

TEST(WebGlAssembler, EveryPrimitiveBecomesTrianglesFacingTheFrontFaceCounterClockwise) {
    // A square, counter-clockwise seen from +z; drawn as each primitive.
    const std::vector<Vertex> square = {At(0, 0), At(1, 0), At(1, 1), At(0, 1)};
    const std::vector<Vertex> strip = {At(0, 0), At(1, 0), At(0, 1), At(1, 1)};
    std::vector<Vertex> row;  // three squares, two apart
    for (const float x : {0.0f, 2.0f, 4.0f})
        for (const Vertex& v : square) row.push_back(At(v.x + x, v.y));
    struct Case {
        GLenum mode;
        const std::vector<Vertex>& corners;
        std::size_t triangles;
    };
    for (const Case& c : {Case{GL_QUADS, square, 2}, Case{GL_POLYGON, square, 2}, Case{GL_TRIANGLE_FAN, square, 2},
                          Case{GL_TRIANGLE_STRIP, strip, 2}, Case{GL_TRIANGLES, square, 1}, Case{GL_LINES, square, 0},
                          Case{GL_QUADS, row, 6}})
        for (const bool clockwiseFront : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << c.mode << (clockwiseFront ? " front clockwise" : ""));
            Assembler assembler;
            std::vector<Vertex> out = {At(5, 5)};  // appended to
            assembler.Add(At(9, 9));  // outside glBegin..glEnd: nothing
            assembler.Begin(c.mode, &out);
            // Mirrored, the shape is wound clockwise: its front under a clockwise front face.
            for (const Vertex& v : c.corners) assembler.Add(At(clockwiseFront ? -v.x : v.x, v.y));
            assembler.End(clockwiseFront);
            EXPECT_FALSE(assembler.Open());
            EXPECT_EQ(out[0].x, 5);
            ASSERT_EQ(out.size(), 1 + 3 * c.triangles);
            for (std::size_t i = 1; i + 2 < out.size(); i += 3) {
                EXPECT_GT(Winding(out[i], out[i + 1], out[i + 2]), 0);
                const auto square = [](const Vertex& v) { return static_cast<int>(std::fabs(v.x) / 2); };
                EXPECT_TRUE(square(out[i]) == square(out[i + 1]) && square(out[i]) == square(out[i + 2]))
                    << "a triangle of one square";
            }
        }
}

TEST(WebGlLists, AListCompilesIntoItsStateCallsBetweenRangesOfItsObjectSpaceVertices) {
    const auto call = [](Op op, GLenum a = 0, double x = 0, double y = 0, double z = 0, double w = 0) {
        return Command{op, a, a, {x, y, z, w}};
    };
    const std::vector<Command> list = {
        call(Op::Colour, 0, 0.5, 0.25, 1, 1), call(Op::Begin, GL_TRIANGLES), call(Op::Vertex, 0, 0, 0, 7),
        call(Op::Vertex, 0, 1, 0, 7), call(Op::Vertex, 0, 0, 1, 7), call(Op::End),
        call(Op::FrontFace, GL_CW), call(Op::Begin, GL_QUADS), call(Op::TexCoord, GL_TEXTURE1, 0.5, 2),
        call(Op::Vertex, 0, 0, 0), call(Op::Vertex, 0, 0, 1), call(Op::Vertex, 0, 1, 1), call(Op::Vertex, 0, 1, 0),
        call(Op::End), call(Op::BindTexture, 3), call(Op::Begin, GL_TRIANGLES), call(Op::Vertex, 0, 0, 0),
        call(Op::Vertex, 0, 0, 1), call(Op::Vertex, 0, 1, 0), call(Op::End)};
    const plat::web::CompiledList compiled = plat::web::Compile(list);

    ASSERT_EQ(compiled.steps.size(), 5u);
    const auto& s = compiled.steps;
    EXPECT_TRUE(!s[0].call && s[0].first == 0 && s[0].count == 3 && s[0].callersFrontFace);
    EXPECT_EQ(s[1].call, &list[6]);
    EXPECT_TRUE(!s[2].call && s[2].first == 3 && s[2].count == 6 && !s[2].callersFrontFace);
    EXPECT_EQ(s[3].call, &list[14]);
    EXPECT_TRUE(!s[4].call && s[4].first == 9 && s[4].count == 3);
    ASSERT_EQ(compiled.vertices.size(), 12u);
    EXPECT_EQ(compiled.vertices[0].z, 7.0f);   // as given, for the matrix of each call
    EXPECT_EQ(compiled.vertices[0].g, 0.25f);  // the colour of its time
    EXPECT_EQ(compiled.vertices[3].t1, 2.0f);
    for (std::size_t i = 3; i < 12; i += 3)  // clockwise in, counter-clockwise for the context
        EXPECT_GT(Winding(compiled.vertices[i], compiled.vertices[i + 1], compiled.vertices[i + 2]), 0);
    EXPECT_TRUE(compiled.setsColour && compiled.setsTexCoord[1] && !compiled.setsTexCoord[0]);
    EXPECT_EQ(compiled.current.texCoord[1][0], 0.5f);
}

TEST(WebGlTextures, LevelsAreMeansOfTheTexelsEachCoversAndSidesGoDownToPowersOfTwo) {
    // 3 x 2 of one channel, rows padded to 4 bytes with bytes that must not count.
    const unsigned char picture[] = {10, 20, 30, 99, 40, 50, 60, 99};
    const std::vector<unsigned char> half = plat::web::Shrink(picture, 3, 2, 4, 1, 2, 1);
    EXPECT_EQ(half, (std::vector<unsigned char>{25, 40}));  // (10+40)/2 and (20+30+50+60)/4
    const unsigned char rgb[] = {0, 100, 255, 1, 101, 255, 2, 102, 255, 3, 103, 255};
    EXPECT_EQ(plat::web::Shrink(rgb, 2, 2, 6, 3, 1, 1), (std::vector<unsigned char>{2, 102, 255}));  // 1.5 rounds up
    const int sides[][2] = {{1, 1}, {2, 2}, {3, 2}, {255, 128}, {256, 256}, {300, 256}};
    for (const auto& side : sides) EXPECT_EQ(plat::web::PowerOfTwoAtMost(side[0]), side[1]);
}
