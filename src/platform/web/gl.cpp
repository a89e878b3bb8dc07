// OpenGL 1.1 as the game uses it, drawn with WebGL 1. The game needs little
// of the fixed-function pipeline: two texture units modulating the vertex
// colour, two blend functions, the depth test, face culling and one
// projection. One small shader program does all of that, so the calls that
// set it are kept here and become its uniforms; immediate mode and the
// matrices are worked out on the CPU (gl_matrix.cpp, gl_primitives.cpp), each vertex moved into
// eye space on the way in and collected with its colour and both texture
// coordinates, and what has been collected is drawn as one vertex array
// whenever a state it depends on is about to change. Two thousand particles,
// each under its own matrix, are then one draw instead of two thousand. A
// display list becomes a vertex buffer of its own, drawn under the matrix of
// the call.
//
// Everything put into the context (the program, the buffers, the textures
// with their levels, the state the game set) is kept here as well, and each
// WebGL object is made from what is kept when it is first needed. Our
// definitions of the GL names take the place of Emscripten's; its WebGL
// functions stay reachable as emscripten_gl*.
#include "platform/web/gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/web/gl_matrix.h"
#include "platform/web/gl_mipmaps.h"
#include "platform/web/gl_primitives.h"

extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glActiveTexture(GLenum unit);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glGenTextures(GLsizei n, GLuint* textures);
void emscripten_glTexParameteri(GLenum target, GLenum name, GLint value);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels);
void emscripten_glPixelStorei(GLenum name, GLint value);
void emscripten_glBlendFunc(GLenum source, GLenum destination);
void emscripten_glDepthFunc(GLenum function);
void emscripten_glFrontFace(GLenum mode);
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glHint(GLenum target, GLenum mode);
void emscripten_glGetIntegerv(GLenum name, GLint* values);
void emscripten_glGetFloatv(GLenum name, GLfloat* values);
const GLubyte* emscripten_glGetString(GLenum name);
GLuint emscripten_glCreateShader(GLenum type);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const char* const* sources, const GLint* lengths);
void emscripten_glCompileShader(GLuint shader);
void emscripten_glGetShaderInfoLog(GLuint shader, GLsizei size, GLsizei* length, char* log);
GLuint emscripten_glCreateProgram();
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glBindAttribLocation(GLuint program, GLuint index, const char* name);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glGetProgramiv(GLuint program, GLenum name, GLint* value);
void emscripten_glGetProgramInfoLog(GLuint program, GLsizei size, GLsizei* length, char* log);
void emscripten_glUseProgram(GLuint program);
GLint emscripten_glGetUniformLocation(GLuint program, const char* name);
void emscripten_glUniform1i(GLint location, GLint value);
void emscripten_glUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value);
void emscripten_glGenBuffers(GLsizei n, GLuint* buffers);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                                      const void* offset);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
}

namespace {

using plat::web::Assembler;
using plat::web::Command;
using plat::web::CompiledList;
using plat::web::Current;
using plat::web::kIdentity;
using plat::web::Matrix;
using plat::web::Op;
using plat::web::Vertex;

constexpr GLenum kArray = 0x8892;   // GL_ARRAY_BUFFER
constexpr GLenum kStream = 0x88E0;  // GL_STREAM_DRAW
constexpr GLenum kStatic = 0x88E4;  // GL_STATIC_DRAW

const char* const kVertexShader = R"(
attribute vec3 position;
attribute vec4 colour;
attribute vec2 coord0, coord1;
uniform mat4 projection, modelview;
varying vec4 vColour;
varying vec2 vCoord0, vCoord1;
void main() {
    vColour = colour;
    vCoord0 = coord0;
    vCoord1 = coord1;
    gl_Position = projection * (modelview * vec4(position, 1.0));
})";

// GL_MODULATE on both units; a unit whose texture has no picture does not texture.
const char* const kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D texture0, texture1;
uniform bool textured0, textured1;
varying vec4 vColour;
varying vec2 vCoord0, vCoord1;
void main() {
    vec4 c = vColour;
    if (textured0) c *= texture2D(texture0, vCoord0);
    if (textured1) c *= texture2D(texture1, vCoord1);
    gl_FragColor = c;
})";

const char* const kAttributes[] = {"position", "colour", "coord0", "coord1"};

struct Texture {
    GLuint handle = 0;  // WebGL's
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR, wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    GLenum format = 0;  // none while it has no picture
    int width = 0, height = 0;
    std::vector<unsigned char> picture;  // level 0; the others are made from it
};

struct List {
    std::vector<Command> commands;
    CompiledList compiled;
    GLuint buffer = 0;
    bool uploaded = false;
};

// The switches of the pipeline: as the game set them, and as the context
// has them. The context is brought to the game's only when it draws, so a
// state set and set back in between costs nothing.
struct Switches {
    bool blend = false, depthTest = false, cullFace = false;
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO, depthFunction = GL_LESS;
};

struct State {
    // What the game set.
    Matrix modelview = kIdentity;
    Matrix projection = kIdentity;
    bool projectionMode = false;
    Current current;
    Assembler assembler;
    bool clockwiseFront = false;
    int activeUnit = 0;
    bool unitTextured[2] = {false, false};
    GLuint boundTexture[2] = {0, 0};
    Switches set;
    GLint unpackAlignment = 4;
    GLclampf clearColour[4] = {0, 0, 0, 0};
    GLint viewport[4] = {0, 0, 0, 0};
    std::vector<Texture> textures;  // texture n is textures[n - 1]
    std::vector<List> lists;        // and list n lists[n - 1]
    GLuint compiling = 0;

    // What waits to be drawn: triangles in eye space, or a run of a list's.
    std::vector<Vertex> batch;
    List* rangeList = nullptr;
    GLint rangeFirst = 0;
    GLsizei rangeCount = 0;
    bool rangeClockwise = false;
    Matrix listModelview = kIdentity;
    unsigned listCalls = 0;  // each call's matrix is sent once

    // The WebGL side, and what it was last given.
    bool prepared = false;
    GLuint program = 0, stream = 0, arrayBuffer = 0;
    GLint projectionAt = -1, modelviewAt = -1, texturedAt[2] = {-1, -1};
    bool projectionSent = false;
    unsigned modelviewSent = ~0u;  // 0: the identity, else the list call's number
    int texturedSent[2] = {-1, -1};
    Switches applied;
    GLuint webglTexture[2] = {0, 0};  // bound on each unit
    int webglUnit = -1;
};

State gl;

bool Record(Op op, GLenum a = 0, GLenum b = 0, double v0 = 0, double v1 = 0, double v2 = 0, double v3 = 0) {
    if (gl.compiling == 0) return false;
    gl.lists[gl.compiling - 1].commands.push_back(Command{op, a, b, {v0, v1, v2, v3}});
    return true;
}

Texture* TextureNamed(GLuint name) { return name > 0 && name <= gl.textures.size() ? &gl.textures[name - 1] : nullptr; }

int ActiveUnit() { return gl.activeUnit == 1 ? 1 : 0; }

void WebGlBind(int unit, GLuint handle) {
    if (gl.webglTexture[unit] == handle) return;
    if (gl.webglUnit != unit) emscripten_glActiveTexture(GL_TEXTURE0 + unit);
    gl.webglUnit = unit;
    emscripten_glBindTexture(GL_TEXTURE_2D, handle);
    gl.webglTexture[unit] = handle;
}

// The layer's own uploads are packed tight, whatever the game's alignment.
void Prepare() {
    if (gl.prepared) return;
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.prepared = true;
}

void Upload(const Texture& t) {
    Prepare();
    const int channels = t.format == GL_RGBA ? 4 : t.format == GL_RGB ? 3 : 1;
    int w = t.width, h = t.height;
    std::vector<unsigned char> level = t.picture;
    for (int n = 0;; ++n) {
        emscripten_glTexImage2D(GL_TEXTURE_2D, n, static_cast<GLint>(t.format), w, h, 0, t.format, GL_UNSIGNED_BYTE,
                                level.data());
        if (w == 1 && h == 1) break;
        const int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
        level = plat::web::Shrink(level.data(), w, h, std::size_t(w) * channels, channels, nw, nh);
        w = nw;
        h = nh;
    }
}

// The texture's WebGL object, made with its parameters and levels if it is new.
GLuint Handle(Texture& t) {
    if (t.handle != 0) return t.handle;
    Prepare();
    emscripten_glGenTextures(1, &t.handle);
    WebGlBind(ActiveUnit(), t.handle);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t.minFilter);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, t.magFilter);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, t.wrapS);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, t.wrapT);
    if (t.format != 0) Upload(t);
    return t.handle;
}

GLuint Compile(GLenum type, const char* source) {
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    return shader;
}

GLuint Program() {
    if (gl.program != 0) return gl.program;
    const GLuint program = emscripten_glCreateProgram();
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    emscripten_glAttachShader(program, vertex);
    emscripten_glAttachShader(program, fragment);
    for (GLuint i = 0; i < 4; ++i) emscripten_glBindAttribLocation(program, i, kAttributes[i]);
    emscripten_glLinkProgram(program);
    GLint linked = 0;
    emscripten_glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[1024] = "";
        emscripten_glGetShaderInfoLog(fragment, sizeof log, nullptr, log);
        if (!log[0]) emscripten_glGetShaderInfoLog(vertex, sizeof log, nullptr, log);
        if (!log[0]) emscripten_glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "the drawing program did not link: %s\n", log);
    }
    emscripten_glUseProgram(program);
    emscripten_glUniform1i(emscripten_glGetUniformLocation(program, "texture0"), 0);
    emscripten_glUniform1i(emscripten_glGetUniformLocation(program, "texture1"), 1);
    gl.projectionAt = emscripten_glGetUniformLocation(program, "projection");
    gl.modelviewAt = emscripten_glGetUniformLocation(program, "modelview");
    gl.texturedAt[0] = emscripten_glGetUniformLocation(program, "textured0");
    gl.texturedAt[1] = emscripten_glGetUniformLocation(program, "textured1");
    for (GLuint i = 0; i < 4; ++i) emscripten_glEnableVertexAttribArray(i);
    gl.program = program;
    return program;
}

void SendMatrix(GLint at, const Matrix& m) {
    GLfloat single[16];
    for (int i = 0; i < 16; ++i) single[i] = static_cast<GLfloat>(m.m[i]);
    emscripten_glUniformMatrix4fv(at, 1, GL_FALSE, single);
}

void UseBuffer(GLuint buffer) {
    if (gl.arrayBuffer == buffer) return;
    emscripten_glBindBuffer(kArray, buffer);
    constexpr GLsizei kStride = sizeof(Vertex);
    emscripten_glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<void*>(offsetof(Vertex, x)));
    emscripten_glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<void*>(offsetof(Vertex, r)));
    emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<void*>(offsetof(Vertex, s0)));
    emscripten_glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<void*>(offsetof(Vertex, s1)));
    gl.arrayBuffer = buffer;
}

void Switch(GLenum cap, bool on, bool* applied) {
    if (*applied == on) return;
    if (on)
        emscripten_glEnable(cap);
    else
        emscripten_glDisable(cap);
    *applied = on;
}

// Draws with the game's state as it stands: the vertices of a list under
// the matrix of its call, or (`listCall` 0) those already in eye space.
void Draw(GLint first, GLsizei count, unsigned listCall, bool clockwise) {
    Program();
    const Switches& set = gl.set;
    Switches& applied = gl.applied;
    Switch(GL_BLEND, set.blend, &applied.blend);
    Switch(GL_DEPTH_TEST, set.depthTest, &applied.depthTest);
    Switch(GL_CULL_FACE, set.cullFace, &applied.cullFace);
    if (applied.blendSource != set.blendSource || applied.blendDestination != set.blendDestination)
        emscripten_glBlendFunc(set.blendSource, set.blendDestination);
    applied.blendSource = set.blendSource;
    applied.blendDestination = set.blendDestination;
    if (applied.depthFunction != set.depthFunction) emscripten_glDepthFunc(set.depthFunction);
    applied.depthFunction = set.depthFunction;
    if (!gl.projectionSent) SendMatrix(gl.projectionAt, gl.projection);
    gl.projectionSent = true;
    if (gl.modelviewSent != listCall) SendMatrix(gl.modelviewAt, listCall ? gl.listModelview : kIdentity);
    gl.modelviewSent = listCall;
    for (int unit = 0; unit < 2; ++unit) {
        Texture* t = TextureNamed(gl.boundTexture[unit]);
        const int textured = gl.unitTextured[unit] && t && t->format != 0;
        if (textured) WebGlBind(unit, Handle(*t));
        if (gl.texturedSent[unit] != textured) emscripten_glUniform1i(gl.texturedAt[unit], textured);
        gl.texturedSent[unit] = textured;
    }
    if (clockwise) emscripten_glFrontFace(GL_CW);
    emscripten_glDrawArrays(GL_TRIANGLES, first, count);
    if (clockwise) emscripten_glFrontFace(GL_CCW);
}

void Flush() {
    if (gl.assembler.Open()) return;  // no state changes inside glBegin..glEnd, as in GL
    if (!gl.batch.empty()) {
        if (gl.stream == 0) emscripten_glGenBuffers(1, &gl.stream);
        UseBuffer(gl.stream);
        emscripten_glBufferData(kArray, static_cast<GLsizeiptr>(gl.batch.size() * sizeof(Vertex)), gl.batch.data(),
                                kStream);
        Draw(0, static_cast<GLsizei>(gl.batch.size()), 0, false);
        gl.batch.clear();
    }
    if (gl.rangeCount > 0) {
        List& list = *gl.rangeList;
        if (list.buffer == 0) emscripten_glGenBuffers(1, &list.buffer);
        UseBuffer(list.buffer);
        if (!list.uploaded)
            emscripten_glBufferData(kArray, static_cast<GLsizeiptr>(list.compiled.vertices.size() * sizeof(Vertex)),
                                    list.compiled.vertices.data(), kStatic);
        list.uploaded = true;
        Draw(gl.rangeFirst, gl.rangeCount, gl.listCalls, gl.rangeClockwise);
        gl.rangeCount = 0;
    }
}

// A run of a list's vertices, drawn together with the runs that follow it
// when no state between them changes.
void DrawRange(List& list, GLint first, GLsizei count, bool clockwise) {
    if (gl.rangeCount > 0 &&
        (gl.rangeList != &list || gl.rangeFirst + gl.rangeCount != first || gl.rangeClockwise != clockwise))
        Flush();
    if (gl.rangeCount == 0) {
        Flush();  // the triangles collected before it
        gl.rangeList = &list;
        gl.rangeFirst = first;
        gl.rangeClockwise = clockwise;
    }
    gl.rangeCount += count;
}

Matrix& CurrentMatrix() {
    if (gl.projectionMode) {
        Flush();  // what was collected is drawn with the projection it was meant for
        gl.projectionSent = false;
        return gl.projection;
    }
    return gl.modelview;
}

void Begin(GLenum mode) {
    if (gl.rangeCount > 0) Flush();  // a list's run waiting is drawn first
    gl.assembler.Begin(mode, &gl.batch);
}

void AddVertex(double x, double y, double z) {
    if (!gl.assembler.Open()) return;
    const double* m = gl.modelview.m;
    Vertex v;
    v.x = static_cast<float>(m[0] * x + m[4] * y + m[8] * z + m[12]);
    v.y = static_cast<float>(m[1] * x + m[5] * y + m[9] * z + m[13]);
    v.z = static_cast<float>(m[2] * x + m[6] * y + m[10] * z + m[14]);
    std::memcpy(&v.r, gl.current.colour, sizeof gl.current.colour);
    std::memcpy(&v.s0, gl.current.texCoord, sizeof gl.current.texCoord);
    gl.assembler.Add(v);
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

bool* Capability(GLenum cap, Switches& switches) {
    switch (cap) {
    case GL_BLEND: return &switches.blend;
    case GL_DEPTH_TEST: return &switches.depthTest;
    case GL_CULL_FACE: return &switches.cullFace;
    default: return nullptr;
    }
}

void Toggle(GLenum cap, bool on) {
    if (cap == GL_TEXTURE_2D) {
        if (gl.activeUnit > 1 || gl.unitTextured[gl.activeUnit] == on) return;
        Flush();
        gl.unitTextured[gl.activeUnit] = on;
        return;
    }
    bool* kept = Capability(cap, gl.set);
    if (kept && *kept == on) return;
    Flush();
    if (kept) {
        *kept = on;
    } else if (on) {  // none the game uses: straight through
        emscripten_glEnable(cap);
    } else {
        emscripten_glDisable(cap);
    }
}

void ActiveTexture(GLenum unit) { gl.activeUnit = static_cast<int>(unit - GL_TEXTURE0); }

void BindTexture(GLuint name) {
    if (gl.activeUnit > 1 || gl.boundTexture[gl.activeUnit] == name) return;
    Flush();
    gl.boundTexture[gl.activeUnit] = name;
}

void FrontFace(GLenum mode) { gl.clockwiseFront = mode == GL_CW; }

void BlendFunc(GLenum source, GLenum destination) {
    if (gl.set.blendSource == source && gl.set.blendDestination == destination) return;
    Flush();
    gl.set.blendSource = source;
    gl.set.blendDestination = destination;
}

void Run(const Command& c) {
    switch (c.op) {
    case Op::ActiveTexture: ActiveTexture(c.a); break;
    case Op::Enable: Toggle(c.a, true); break;
    case Op::Disable: Toggle(c.a, false); break;
    case Op::BindTexture: BindTexture(c.b); break;
    case Op::FrontFace: FrontFace(c.a); break;
    case Op::BlendFunc: BlendFunc(c.a, c.b); break;
    default: break;  // the rest is in the list's vertices
    }
}

void CallList(List& list) {
    Flush();
    gl.listModelview = gl.modelview;
    ++gl.listCalls;
    const CompiledList& compiled = list.compiled;
    for (const CompiledList::Step& step : compiled.steps) {
        if (step.call)
            Run(*step.call);
        else
            DrawRange(list, step.first, step.count, step.callersFrontFace && gl.clockwiseFront);
    }
    if (compiled.setsColour) std::memcpy(gl.current.colour, compiled.current.colour, sizeof gl.current.colour);
    for (int unit = 0; unit < 2; ++unit)
        if (compiled.setsTexCoord[unit])
            std::memcpy(gl.current.texCoord[unit], compiled.current.texCoord[unit], sizeof gl.current.texCoord[unit]);
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
void APIENTRY ClientActiveTextureEntry(GLenum) {}  // the game hands over no arrays of its own

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

void FlushGl() { Flush(); }

// A context given back after it was lost holds nothing of the old one: every
// WebGL object is made again from what is kept, the first time it is needed,
// and the state starts from WebGL's defaults.
void RestoreGl() {
    for (Texture& t : gl.textures) t.handle = 0;
    for (List& l : gl.lists) {
        l.buffer = 0;
        l.uploaded = false;
    }
    gl.prepared = false;
    gl.program = gl.stream = gl.arrayBuffer = 0;
    gl.projectionSent = false;
    gl.modelviewSent = ~0u;
    gl.texturedSent[0] = gl.texturedSent[1] = -1;
    gl.applied = Switches{};
    gl.webglTexture[0] = gl.webglTexture[1] = 0;
    gl.webglUnit = -1;
    emscripten_glClearColor(gl.clearColour[0], gl.clearColour[1], gl.clearColour[2], gl.clearColour[3]);
    emscripten_glViewport(gl.viewport[0], gl.viewport[1], gl.viewport[2], gl.viewport[3]);
}

}  // namespace plat::web

extern "C" {

void glBegin(GLenum mode) {
    if (!Record(Op::Begin, mode)) Begin(mode);
}
void glEnd() {
    if (!Record(Op::End)) gl.assembler.End(gl.clockwiseFront);
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
    if (!Record(Op::BindTexture, target, texture)) BindTexture(texture);
}
void glFrontFace(GLenum mode) {
    if (!Record(Op::FrontFace, mode)) FrontFace(mode);
}
void glBlendFunc(GLenum source, GLenum destination) {
    if (!Record(Op::BlendFunc, source, destination)) BlendFunc(source, destination);
}

void glDepthFunc(GLenum function) {
    if (gl.set.depthFunction == function) return;
    Flush();
    gl.set.depthFunction = function;
}
// WebGL knows no perspective-correction hint: it always corrects.
void glHint(GLenum target, GLenum mode) {
    if (target != GL_PERSPECTIVE_CORRECTION_HINT) emscripten_glHint(target, mode);
}
void glClear(GLbitfield mask) {
    Flush();
    emscripten_glClear(mask);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    const GLclampf colour[4] = {r, g, b, a};
    std::memcpy(gl.clearColour, colour, sizeof colour);
    emscripten_glClearColor(r, g, b, a);
}
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    Flush();
    const GLint viewport[4] = {x, y, width, height};
    std::memcpy(gl.viewport, viewport, sizeof viewport);
    emscripten_glViewport(x, y, width, height);
}

const GLubyte* glGetString(GLenum name) {
    static const char kExtensions[] = "GL_ARB_multitexture";
    static const char kVersion[] = "1.1 WebGL";
    if (name == GL_EXTENSIONS) return reinterpret_cast<const GLubyte*>(kExtensions);
    if (name == GL_VERSION) return reinterpret_cast<const GLubyte*>(kVersion);
    return emscripten_glGetString(name);
}
void glGetIntegerv(GLenum name, GLint* values) {
    if (name == GL_MAX_TEXTURE_UNITS_ARB)
        *values = 2;
    else if (name == GL_UNPACK_ALIGNMENT)
        *values = gl.unpackAlignment;
    else
        emscripten_glGetIntegerv(name, values);
}
// The layer's uploads are its own, packed tight; the game's alignment is
// that of the pictures it hands over.
void glPixelStorei(GLenum name, GLint value) {
    if (name == GL_UNPACK_ALIGNMENT)
        gl.unpackAlignment = value;
    else
        emscripten_glPixelStorei(name, value);
}

void glGenTextures(GLsizei n, GLuint* textures) {
    for (GLsizei i = 0; i < n; ++i) {
        gl.textures.emplace_back();
        textures[i] = static_cast<GLuint>(gl.textures.size());
    }
}
void glTexParameteri(GLenum target, GLenum name, GLint value) {
    Texture* t = TextureNamed(gl.activeUnit < 2 ? gl.boundTexture[gl.activeUnit] : 0);
    if (!t || target != GL_TEXTURE_2D) return;
    GLint* kept = name == GL_TEXTURE_MIN_FILTER   ? &t->minFilter
                  : name == GL_TEXTURE_MAG_FILTER ? &t->magFilter
                  : name == GL_TEXTURE_WRAP_S     ? &t->wrapS
                  : name == GL_TEXTURE_WRAP_T     ? &t->wrapT
                                                  : nullptr;
    if (!kept) return;
    *kept = value;
    WebGlBind(ActiveUnit(), Handle(*t));
    emscripten_glTexParameteri(target, name, value);
}

GLuint glGenLists(GLsizei range) {
    if (range <= 0) return 0;
    Flush();  // the lists move
    const auto first = static_cast<GLuint>(gl.lists.size() + 1);
    gl.lists.resize(gl.lists.size() + static_cast<std::size_t>(range));
    return first;
}
void glNewList(GLuint list, GLenum) {
    if (list == 0 || list > gl.lists.size() || gl.compiling != 0) return;
    Flush();  // a list drawn before may be left waiting, and its vertices are to change
    List& l = gl.lists[list - 1];
    l.commands.clear();
    l.uploaded = false;
    gl.compiling = list;  // recorded, not drawn, as GL_COMPILE asks
}
void glEndList() {
    if (gl.compiling == 0) return;
    List& l = gl.lists[gl.compiling - 1];
    l.compiled = plat::web::Compile(l.commands);
    gl.compiling = 0;
}
void glCallList(GLuint list) {
    if (list == 0 || list > gl.lists.size() || gl.compiling != 0) return;
    CallList(gl.lists[list - 1]);
}

void glMatrixMode(GLenum mode) { gl.projectionMode = mode == GL_PROJECTION; }
void glLoadIdentity() { CurrentMatrix() = kIdentity; }
void glTranslated(GLdouble x, GLdouble y, GLdouble z) { plat::web::Translate(CurrentMatrix(), x, y, z); }
void glRotated(GLdouble degrees, GLdouble x, GLdouble y, GLdouble z) {
    plat::web::Rotate(CurrentMatrix(), degrees, x, y, z);
}
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double f = 1.0 / std::tan(fovy * 3.14159265358979323846 / 360.0);
    Matrix p{};
    p.m[0] = f / aspect;
    p.m[5] = f;
    p.m[10] = (zFar + zNear) / (zNear - zFar);
    p.m[11] = -1;
    p.m[14] = 2 * zFar * zNear / (zNear - zFar);
    Matrix& m = CurrentMatrix();
    m = plat::web::Multiply(m, p);
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
    Texture* t = TextureNamed(gl.activeUnit < 2 ? gl.boundTexture[gl.activeUnit] : 0);
    if (!t || target != GL_TEXTURE_2D) return 0;  // the default texture draws nothing here
    Flush();
    const std::size_t packed = std::size_t(width) * channels;
    const std::size_t rowBytes = (packed + gl.unpackAlignment - 1) / gl.unpackAlignment * gl.unpackAlignment;
    // WebGL mipmaps no picture whose sides are not powers of two.
    t->width = plat::web::PowerOfTwoAtMost(width);
    t->height = plat::web::PowerOfTwoAtMost(height);
    t->format = format;
    t->picture = plat::web::Shrink(static_cast<const unsigned char*>(data), width, height, rowBytes, channels,
                                   t->width, t->height);
    if (t->handle == 0) {
        Handle(*t);  // made with its levels
    } else {
        WebGlBind(ActiveUnit(), t->handle);
        Upload(*t);
    }
    return 0;
}

}  // extern "C"
