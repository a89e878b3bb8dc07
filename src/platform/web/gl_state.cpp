#include "platform/web/gl_state.h"

#include <algorithm>
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

void Assembler::Begin(GLenum mode, std::vector<Vertex>* out) {
    mode_ = mode;
    out_ = out;
    first_ = out->size();
}

void Assembler::End(bool clockwiseFront) {
    if (!out_) return;
    std::vector<Vertex>& out = *out_;
    out_ = nullptr;
    const std::size_t n = out.size() - first_;
    if (mode_ == GL_TRIANGLES) {
        out.resize(first_ + n / 3 * 3);
        if (clockwiseFront)
            for (std::size_t i = first_; i < out.size(); i += 3) std::swap(out[i + 1], out[i + 2]);
        return;
    }
    if (mode_ == GL_QUADS) {  // in place, from the last quad back: its six corners lie past its four
        const std::size_t quads = n / 4;
        out.resize(first_ + quads * 6);
        for (std::size_t q = quads; q-- > 0;) {
            const Vertex* from = &out[first_ + 4 * q];
            const Vertex a = from[0], b = from[clockwiseFront ? 3 : 1], c = from[2], d = from[clockwiseFront ? 1 : 3];
            Vertex* to = &out[first_ + 6 * q];
            to[0] = a, to[1] = b, to[2] = c, to[3] = a, to[4] = c, to[5] = d;
        }
        return;
    }
    corners_.assign(out.begin() + static_cast<std::ptrdiff_t>(first_), out.end());
    out.resize(first_);
    const std::vector<Vertex>& p = corners_;
    auto add = [&](std::size_t a, std::size_t b, std::size_t c) {
        out.push_back(p[a]);
        out.push_back(p[clockwiseFront ? c : b]);
        out.push_back(p[clockwiseFront ? b : c]);
    };
    switch (mode_) {
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (std::size_t i = 1; i + 1 < n; ++i) add(0, i, i + 1);
        break;
    case GL_TRIANGLE_STRIP:
        // Every other triangle is turned back so that all keep one winding.
        for (std::size_t i = 0; i + 2 < n; ++i)
            if (i % 2 == 0)
                add(i, i + 1, i + 2);
            else
                add(i + 1, i, i + 2);
        break;
    default:
        break;
    }
}

CompiledList Compile(const std::vector<Command>& commands) {
    CompiledList list;
    Current& current = list.current;
    Assembler assembler;
    GLenum frontFace = 0;  // the caller's, until the list sets its own
    GLint rangeStart = 0;
    auto closeRange = [&] {
        const auto end = static_cast<GLint>(list.vertices.size());
        if (end > rangeStart) list.steps.push_back({nullptr, rangeStart, end - rangeStart, frontFace == 0});
        rangeStart = end;
    };
    for (const Command& c : commands) {
        switch (c.op) {
        case Op::Begin: assembler.Begin(c.a, &list.vertices); break;
        case Op::End: assembler.End(frontFace == GL_CW); break;
        case Op::Vertex: {
            Vertex v;
            v.x = static_cast<float>(c.v[0]);
            v.y = static_cast<float>(c.v[1]);
            v.z = static_cast<float>(c.v[2]);
            std::memcpy(&v.r, current.colour, sizeof current.colour);
            std::memcpy(&v.s0, current.texCoord, sizeof current.texCoord);
            assembler.Add(v);
            break;
        }
        case Op::Colour:
            for (int i = 0; i < 4; ++i) current.colour[i] = static_cast<float>(c.v[i]);
            list.setsColour = true;
            break;
        case Op::TexCoord: {
            const int unit = c.a == GL_TEXTURE1 ? 1 : 0;
            current.texCoord[unit][0] = static_cast<float>(c.v[0]);
            current.texCoord[unit][1] = static_cast<float>(c.v[1]);
            list.setsTexCoord[unit] = true;
            break;
        }
        default:  // a state call, run again in its place
            closeRange();
            if (c.op == Op::FrontFace) frontFace = c.a == GL_CW ? GL_CW : GL_CCW;
            list.steps.push_back({&c, 0, 0, false});
            break;
        }
    }
    closeRange();
    return list;
}

std::vector<unsigned char> Shrink(const unsigned char* from, int width, int height, std::size_t rowBytes,
                                  int channels, int toWidth, int toHeight) {
    std::vector<unsigned char> to(std::size_t(toWidth) * toHeight * channels);
    for (int y = 0; y < toHeight; ++y) {
        const int y0 = y * height / toHeight, y1 = std::max(y0 + 1, (y + 1) * height / toHeight);
        for (int x = 0; x < toWidth; ++x) {
            const int x0 = x * width / toWidth, x1 = std::max(x0 + 1, (x + 1) * width / toWidth);
            for (int c = 0; c < channels; ++c) {
                unsigned sum = 0;
                for (int sy = y0; sy < y1; ++sy)
                    for (int sx = x0; sx < x1; ++sx) sum += from[sy * rowBytes + std::size_t(sx) * channels + c];
                const unsigned count = unsigned((y1 - y0) * (x1 - x0));
                to[(std::size_t(y) * toWidth + x) * channels + c] = static_cast<unsigned char>((sum + count / 2) / count);
            }
        }
    }
    return to;
}

int PowerOfTwoAtMost(int n) {
    int p = 1;
    while (p * 2 <= n) p *= 2;
    return p;
}

}  // namespace plat::web
