#include "platform/web/gl_matrix.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace plat::web {

const Matrix kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            r.m[column * 4 + row] = sum;
        }
    return r;
}

void Translate(Matrix& m, double x, double y, double z) {
    for (int row = 0; row < 4; ++row) m.m[12 + row] += m.m[row] * x + m.m[4 + row] * y + m.m[8 + row] * z;
}

namespace {

// Every particle turns by the view's own two angles again: the last angles
// seen keep their sine and cosine. Single precision is more than the
// picture can show (the game's native GL keeps its matrices in it).
void SinCos(double degrees, double* c, double* s) {
    struct Entry {
        double degrees = NAN, c = 1, s = 0;
    };
    static Entry cache[16];
    std::uint64_t bits = 0;
    std::memcpy(&bits, &degrees, sizeof bits);
    Entry& entry = cache[(bits * 0x9E3779B97F4A7C15u) >> 60];
    if (!(entry.degrees == degrees)) {
        const float radians = static_cast<float>(std::fmod(degrees, 360.0) * (3.14159265358979323846 / 180.0));
        entry = {degrees, std::cos(radians), std::sin(radians)};
    }
    *c = entry.c;
    *s = entry.s;
}

}  // namespace

void Rotate(Matrix& m, double degrees, double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return;
    double c, s;
    SinCos(degrees, &c, &s);
    // About one of the axes, as the game always turns, only two columns change.
    const int axis = y == 0 && z == 0 ? 0 : x == 0 && z == 0 ? 1 : x == 0 && y == 0 ? 2 : -1;
    if (axis >= 0) {
        if ((axis == 0 ? x : axis == 1 ? y : z) < 0) s = -s;
        double* a = m.m + 4 * ((axis + 1) % 3);
        double* b = m.m + 4 * ((axis + 2) % 3);
        for (int row = 0; row < 4; ++row) {
            const double ar = a[row], br = b[row];
            a[row] = c * ar + s * br;
            b[row] = c * br - s * ar;
        }
        return;
    }
    x /= length;
    y /= length;
    z /= length;
    const double k = 1 - c;
    const Matrix r = {{x * x * k + c, y * x * k + z * s, x * z * k - y * s, 0,
                       x * y * k - z * s, y * y * k + c, y * z * k + x * s, 0,
                       x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0,
                       0, 0, 0, 1}};
    m = Multiply(m, r);
}
}  // namespace plat::web
