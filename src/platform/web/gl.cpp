// OpenGL 1.1 as the game uses it, in the browser. Emscripten's emulation of
// the fixed-function pipeline draws vertex arrays well, with two texture
// units, but it has no display lists, no glMultiTexCoord and no
// gluBuild2DMipmaps, and its own immediate mode gets shapes wrong when the
// calls between glBegin and glEnd vary. So the game's immediate mode,
// display lists and matrices end here: each vertex is transformed into eye
// space on the way in and collected with its colour and both texture
// coordinates, and what has been collected is drawn as one vertex array
// whenever a state it depends on is about to change. Two thousand particles,
// each under its own matrix, are then one draw instead of two thousand.
//
// Our definitions of the GL names take the place of the emulation's; the
// emulation's own versions stay reachable as emscripten_gl*.
#include "platform/web/gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glBlendFunc(GLenum source, GLenum destination);
void emscripten_glFrontFace(GLenum mode);
void emscripten_glDepthFunc(GLenum function);
void emscripten_glHint(GLenum target, GLenum mode);
void emscripten_glClear(GLbitfield mask);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glMatrixMode(GLenum mode);
void emscripten_glLoadIdentity();
void emscripten_glLoadMatrixd(const GLdouble* matrix);
void emscripten_glGetFloatv(GLenum name, GLfloat* values);
void emscripten_glActiveTexture(GLenum unit);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels);
}

namespace {

struct Matrix {
    double m[16];  // column after column, as OpenGL keeps it
};

constexpr Matrix kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

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

struct Vertex {
    float x, y, z;  // eye space
    float r, g, b, a;
    float s0, t0, s1, t1;
};

// What a vertex takes from the state between glBegin and glEnd.
struct Current {
    float colour[4] = {1, 1, 1, 1};
    float texCoord[2][2] = {{0, 0}, {0, 0}};
};

// A display list: the calls it was made of, played again as they came.
enum class Op { Begin, End, Vertex, Colour, TexCoord, ActiveTexture, Enable, Disable, BindTexture, FrontFace, BlendFunc };
struct Command {
    Op op;
    GLenum a, b;
    double v[4];
};

struct State {
    Matrix modelview = kIdentity;
    Matrix projection = kIdentity;
    bool projectionMode = false;
    bool projectionSent = false;
    Current current;
    GLenum primitive = 0;
    bool inPrimitive = false;
    std::vector<Vertex> primitiveVertices;
    std::vector<Vertex> batch;  // triangles not yet drawn
    int activeUnit = 0;
    bool unitTextured[2] = {false, false};
    std::vector<std::vector<Command>> lists;  // list n is lists[n - 1]
    GLuint compiling = 0;
};

State gl;

bool Record(Op op, GLenum a = 0, GLenum b = 0, double v0 = 0, double v1 = 0, double v2 = 0, double v3 = 0) {
    if (gl.compiling == 0) return false;
    gl.lists[gl.compiling - 1].push_back(Command{op, a, b, {v0, v1, v2, v3}});
    return true;
}

void SendProjection() {
    if (gl.projectionSent) return;
    emscripten_glMatrixMode(GL_PROJECTION);
    emscripten_glLoadMatrixd(gl.projection.m);
    emscripten_glMatrixMode(GL_MODELVIEW);
    emscripten_glLoadIdentity();  // the vertices arrive in eye space
    gl.projectionSent = true;
}

void DrawBatch() {
    if (gl.batch.empty()) return;
    SendProjection();
    const Vertex* v = gl.batch.data();
    constexpr GLsizei kStride = sizeof(Vertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, kStride, &v->x);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, kStride, &v->r);
    glClientActiveTexture(GL_TEXTURE1);
    if (gl.unitTextured[1]) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, kStride, &v->s1);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, kStride, &v->s0);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(gl.batch.size()));
    gl.batch.clear();
}

Matrix& CurrentMatrix() { return gl.projectionMode ? gl.projection : gl.modelview; }

void MultiplyCurrent(const Matrix& by) {
    CurrentMatrix() = Multiply(CurrentMatrix(), by);
    if (gl.projectionMode) gl.projectionSent = false;
}

void Begin(GLenum mode) {
    gl.primitive = mode;
    gl.inPrimitive = true;
    gl.primitiveVertices.clear();
}

void AddTriangle(const Vertex& a, const Vertex& b, const Vertex& c) {
    gl.batch.push_back(a);
    gl.batch.push_back(b);
    gl.batch.push_back(c);
}

void End() {
    if (!gl.inPrimitive) return;
    gl.inPrimitive = false;
    const std::vector<Vertex>& p = gl.primitiveVertices;
    const std::size_t n = p.size();
    switch (gl.primitive) {
    case GL_TRIANGLES:
        for (std::size_t i = 0; i + 2 < n; i += 3) AddTriangle(p[i], p[i + 1], p[i + 2]);
        break;
    case GL_QUADS:
        for (std::size_t i = 0; i + 3 < n; i += 4) {
            AddTriangle(p[i], p[i + 1], p[i + 2]);
            AddTriangle(p[i], p[i + 2], p[i + 3]);
        }
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (std::size_t i = 1; i + 1 < n; ++i) AddTriangle(p[0], p[i], p[i + 1]);
        break;
    case GL_TRIANGLE_STRIP:
        // Every other triangle is turned back so that all keep one winding.
        for (std::size_t i = 0; i + 2 < n; ++i)
            if (i % 2 == 0)
                AddTriangle(p[i], p[i + 1], p[i + 2]);
            else
                AddTriangle(p[i + 1], p[i], p[i + 2]);
        break;
    default:  // points and lines: the game draws none
        break;
    }
}

void AddVertex(double x, double y, double z) {
    if (!gl.inPrimitive) return;
    const double* m = gl.modelview.m;
    Vertex v{};
    v.x = static_cast<float>(m[0] * x + m[4] * y + m[8] * z + m[12]);
    v.y = static_cast<float>(m[1] * x + m[5] * y + m[9] * z + m[13]);
    v.z = static_cast<float>(m[2] * x + m[6] * y + m[10] * z + m[14]);
    std::memcpy(&v.r, gl.current.colour, sizeof gl.current.colour);
    std::memcpy(&v.s0, gl.current.texCoord, sizeof gl.current.texCoord);
    gl.primitiveVertices.push_back(v);
}

void SetColour(double r, double g, double b, double a) {
    gl.current.colour[0] = static_cast<float>(r);
    gl.current.colour[1] = static_cast<float>(g);
    gl.current.colour[2] = static_cast<float>(b);
    gl.current.colour[3] = static_cast<float>(a);
}

void SetTexCoord(GLenum unit, double s, double t) {
    const int index = unit == GL_TEXTURE1 ? 1 : 0;
    gl.current.texCoord[index][0] = static_cast<float>(s);
    gl.current.texCoord[index][1] = static_cast<float>(t);
}

void Toggle(GLenum cap, bool on) {
    DrawBatch();
    if (cap == GL_TEXTURE_2D && gl.activeUnit < 2) gl.unitTextured[gl.activeUnit] = on;
    if (on)
        emscripten_glEnable(cap);
    else
        emscripten_glDisable(cap);
}

void ActiveTexture(GLenum unit) {
    DrawBatch();
    gl.activeUnit = static_cast<int>(unit - GL_TEXTURE0);
    emscripten_glActiveTexture(unit);
}

void BindTexture(GLenum target, GLuint texture) {
    DrawBatch();
    emscripten_glBindTexture(target, texture);
}

void FrontFace(GLenum mode) {
    DrawBatch();
    emscripten_glFrontFace(mode);
}

void BlendFunc(GLenum source, GLenum destination) {
    DrawBatch();
    emscripten_glBlendFunc(source, destination);
}

void Replay(const std::vector<Command>& list) {
    for (const Command& c : list) {
        switch (c.op) {
        case Op::Begin: Begin(c.a); break;
        case Op::End: End(); break;
        case Op::Vertex: AddVertex(c.v[0], c.v[1], c.v[2]); break;
        case Op::Colour: SetColour(c.v[0], c.v[1], c.v[2], c.v[3]); break;
        case Op::TexCoord: SetTexCoord(c.a, c.v[0], c.v[1]); break;
        case Op::ActiveTexture: ActiveTexture(c.a); break;
        case Op::Enable: Toggle(c.a, true); break;
        case Op::Disable: Toggle(c.a, false); break;
        case Op::BindTexture: BindTexture(c.a, c.b); break;
        case Op::FrontFace: FrontFace(c.a); break;
        case Op::BlendFunc: BlendFunc(c.a, c.b); break;
        }
    }
}

// The extension's entry points, handed out through wglGetProcAddress.
void APIENTRY MultiTexCoord1f(GLenum unit, GLfloat s) {
    if (!Record(Op::TexCoord, unit, 0, s, 0)) SetTexCoord(unit, s, 0);
}
void APIENTRY MultiTexCoord2f(GLenum unit, GLfloat s, GLfloat t) {
    if (!Record(Op::TexCoord, unit, 0, s, t)) SetTexCoord(unit, s, t);
}
void APIENTRY MultiTexCoord3f(GLenum unit, GLfloat s, GLfloat t, GLfloat) { MultiTexCoord2f(unit, s, t); }
void APIENTRY MultiTexCoord4f(GLenum unit, GLfloat s, GLfloat t, GLfloat, GLfloat) { MultiTexCoord2f(unit, s, t); }
void APIENTRY ActiveTextureEntry(GLenum unit) {
    if (!Record(Op::ActiveTexture, unit)) ActiveTexture(unit);
}
void APIENTRY ClientActiveTextureEntry(GLenum unit) { glClientActiveTexture(unit); }

// Each mipmap level from the one before, or a picture whose sides are not
// powers of two (WebGL mipmaps none else) to the next smaller powers: every
// target texel is the mean of the source texels its square covers.
std::vector<unsigned char> Shrink(const unsigned char* from, int width, int height, std::size_t rowBytes, int channels,
                                  int toWidth, int toHeight) {
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

}  // namespace

namespace plat::web {

void* GlProcAddress(const char* name) {
    struct Entry {
        const char* name;
        void* function;
    };
    static const Entry kEntries[] = {
        {"glMultiTexCoord1fARB", reinterpret_cast<void*>(&MultiTexCoord1f)},
        {"glMultiTexCoord2fARB", reinterpret_cast<void*>(&MultiTexCoord2f)},
        {"glMultiTexCoord3fARB", reinterpret_cast<void*>(&MultiTexCoord3f)},
        {"glMultiTexCoord4fARB", reinterpret_cast<void*>(&MultiTexCoord4f)},
        {"glActiveTextureARB", reinterpret_cast<void*>(&ActiveTextureEntry)},
        {"glClientActiveTextureARB", reinterpret_cast<void*>(&ClientActiveTextureEntry)},
    };
    if (!name) return nullptr;
    for (const Entry& entry : kEntries)
        if (std::strcmp(entry.name, name) == 0) return entry.function;
    return nullptr;
}

void FlushGl() { DrawBatch(); }

}  // namespace plat::web

extern "C" {

void glBegin(GLenum mode) {
    if (!Record(Op::Begin, mode)) Begin(mode);
}
void glEnd() {
    if (!Record(Op::End)) End();
}
void glVertex2d(GLdouble x, GLdouble y) {
    if (!Record(Op::Vertex, 0, 0, x, y, 0)) AddVertex(x, y, 0);
}
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
    if (!Record(Op::Vertex, 0, 0, x, y, z)) AddVertex(x, y, z);
}
void glColor3d(GLdouble r, GLdouble g, GLdouble b) {
    if (!Record(Op::Colour, 0, 0, r, g, b, 1)) SetColour(r, g, b, 1);
}
void glColor4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a) {
    if (!Record(Op::Colour, 0, 0, r, g, b, a)) SetColour(r, g, b, a);
}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { glColor4d(r, g, b, a); }
void glTexCoord2d(GLdouble s, GLdouble t) {
    if (!Record(Op::TexCoord, GL_TEXTURE0, 0, s, t)) SetTexCoord(GL_TEXTURE0, s, t);
}

void glEnable(GLenum cap) {
    if (!Record(Op::Enable, cap)) Toggle(cap, true);
}
void glDisable(GLenum cap) {
    if (!Record(Op::Disable, cap)) Toggle(cap, false);
}
void glBindTexture(GLenum target, GLuint texture) {
    if (!Record(Op::BindTexture, target, texture)) BindTexture(target, texture);
}
void glFrontFace(GLenum mode) {
    if (!Record(Op::FrontFace, mode)) FrontFace(mode);
}
void glBlendFunc(GLenum source, GLenum destination) {
    if (!Record(Op::BlendFunc, source, destination)) BlendFunc(source, destination);
}

void glDepthFunc(GLenum function) {
    DrawBatch();
    emscripten_glDepthFunc(function);
}
// WebGL knows no perspective-correction hint: it always corrects.
void glHint(GLenum target, GLenum mode) {
    if (target != GL_PERSPECTIVE_CORRECTION_HINT) emscripten_glHint(target, mode);
}
void glClear(GLbitfield mask) {
    DrawBatch();
    emscripten_glClear(mask);
}
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    DrawBatch();
    emscripten_glViewport(x, y, width, height);
}

GLuint glGenLists(GLsizei range) {
    if (range <= 0) return 0;
    const auto first = static_cast<GLuint>(gl.lists.size() + 1);
    gl.lists.resize(gl.lists.size() + static_cast<std::size_t>(range));
    return first;
}
void glNewList(GLuint list, GLenum) {
    if (list == 0 || list > gl.lists.size() || gl.compiling != 0) return;
    gl.lists[list - 1].clear();
    gl.compiling = list;  // recorded, not drawn, as GL_COMPILE asks
}
void glEndList() { gl.compiling = 0; }
void glCallList(GLuint list) {
    if (list == 0 || list > gl.lists.size() || gl.compiling != 0) return;
    Replay(gl.lists[list - 1]);
}

void glMatrixMode(GLenum mode) { gl.projectionMode = mode == GL_PROJECTION; }
void glLoadIdentity() {
    CurrentMatrix() = kIdentity;
    if (gl.projectionMode) gl.projectionSent = false;
}
void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    Matrix t = kIdentity;
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    MultiplyCurrent(t);
}
void glRotated(GLdouble degrees, GLdouble x, GLdouble y, GLdouble z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return;
    x /= length;
    y /= length;
    z /= length;
    const double radians = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(radians), s = std::sin(radians), k = 1 - c;
    const Matrix r = {{x * x * k + c, y * x * k + z * s, x * z * k - y * s, 0,
                       x * y * k - z * s, y * y * k + c, y * z * k + x * s, 0,
                       x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0,
                       0, 0, 0, 1}};
    MultiplyCurrent(r);
}
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double f = 1.0 / std::tan(fovy * 3.14159265358979323846 / 360.0);
    Matrix p{};
    p.m[0] = f / aspect;
    p.m[5] = f;
    p.m[10] = (zFar + zNear) / (zNear - zFar);
    p.m[11] = -1;
    p.m[14] = 2 * zFar * zNear / (zNear - zFar);
    MultiplyCurrent(p);
}
void glGetDoublev(GLenum name, GLdouble* values) {
    if (name == GL_MODELVIEW_MATRIX || name == GL_PROJECTION_MATRIX) {
        const Matrix& m = name == GL_MODELVIEW_MATRIX ? gl.modelview : gl.projection;
        std::memcpy(values, m.m, sizeof m.m);
        return;
    }
    GLfloat single[16] = {};
    emscripten_glGetFloatv(name, single);
    for (int i = 0; i < 16; ++i) values[i] = single[i];  // callers' arrays are sized for the largest answer
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data) {
    (void)internalFormat;  // WebGL stores a texture in the format it is given
    const int channels = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : format == GL_LUMINANCE ? 1 : 0;
    if (width < 1 || height < 1 || !data) return GLU_INVALID_VALUE;
    if (channels == 0 || type != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    DrawBatch();
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    const std::size_t packed = std::size_t(width) * channels;
    const std::size_t rowBytes = (packed + alignment - 1) / alignment * alignment;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    int w = PowerOfTwoAtMost(width), h = PowerOfTwoAtMost(height);
    std::vector<unsigned char> level =
        Shrink(static_cast<const unsigned char*>(data), width, height, rowBytes, channels, w, h);
    for (int n = 0;; ++n) {
        emscripten_glTexImage2D(target, n, static_cast<GLint>(format), w, h, 0, format, type, level.data());
        if (w == 1 && h == 1) break;
        const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
        level = Shrink(level.data(), w, h, std::size_t(w) * channels, channels, nw, nh);
        w = nw;
        h = nh;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return 0;
}

}  // extern "C"
