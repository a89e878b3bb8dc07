// What our GL 1.1 layer in the browser works out on the CPU, apart from
// WebGL (gl.cpp): the matrices, glBegin..glEnd turned into triangles,
// display lists compiled into draws of one vertex buffer, and the mipmap
// levels of a texture. Everything gl.cpp puts into the context is made from
// these, so a new context can be given it all again.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <vector>

namespace plat::web {

struct Matrix {
    double m[16];  // column after column, as OpenGL keeps it
};

extern const Matrix kIdentity;

Matrix Multiply(const Matrix& a, const Matrix& b);
// m times a translation or a rotation, as glTranslated and glRotated make it.
void Translate(Matrix& m, double x, double y, double z);
void Rotate(Matrix& m, double degrees, double x, double y, double z);

struct Vertex {
    float x, y, z;
    float r, g, b, a;
    float s0, t0, s1, t1;  // both texture units' coordinates
};

// What a vertex takes from the state between glBegin and glEnd.
struct Current {
    float colour[4] = {1, 1, 1, 1};
    float texCoord[2][2] = {{0, 0}, {0, 0}};
};

// Turns the vertices of one glBegin..glEnd into triangles, each wound
// counter-clockwise when it shows its front: the context's own front face
// never changes, so glFrontFace needs no draw of its own. The vertices go
// straight to the end of the vector the triangles are for.
class Assembler {
public:
    void Begin(GLenum mode, std::vector<Vertex>* out);
    bool Open() const { return out_ != nullptr; }
    void Add(const Vertex& vertex) {
        if (out_) out_->push_back(vertex);
    }
    // Points and lines (the game draws none) leave nothing.
    void End(bool clockwiseFront);

private:
    GLenum mode_ = 0;
    std::vector<Vertex>* out_ = nullptr;
    std::size_t first_ = 0;
    std::vector<Vertex> corners_;
};

// A display list as it was recorded: the calls, to be played again.
enum class Op { Begin, End, Vertex, Colour, TexCoord, ActiveTexture, Enable, Disable, BindTexture, FrontFace, BlendFunc };
struct Command {
    Op op;
    GLenum a, b;
    double v[4];
};

// The same list ready to draw: its vertices in object space for one vertex
// buffer, and the steps to run when it is called, each a state call or a
// range of those vertices. A range made before the list's first glFrontFace
// depends on the front face of the caller.
struct CompiledList {
    struct Step {
        const Command* call;  // null for a range
        GLint first;
        GLsizei count;
        bool callersFrontFace;
    };
    std::vector<Vertex> vertices;
    std::vector<Step> steps;
    // The colour and texture coordinates the list leaves, where it sets them.
    Current current;
    bool setsColour = false;
    bool setsTexCoord[2] = {false, false};
};

// `commands` must outlive the result, whose steps point into it.
CompiledList Compile(const std::vector<Command>& commands);

// The texture's levels as WebGL takes them: the picture brought to the next
// smaller powers of two, then each level from the one before down to 1 x 1.
// Every texel is the mean of the texels its square covers. `rowBytes` is the
// source's row length with its padding.
std::vector<unsigned char> Shrink(const unsigned char* from, int width, int height, std::size_t rowBytes,
                                  int channels, int toWidth, int toHeight);
int PowerOfTwoAtMost(int n);

}  // namespace plat::web
