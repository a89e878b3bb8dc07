// What our GL 1.1 layer in the browser (gl.cpp) makes of the game's
// immediate mode and display lists: glBegin..glEnd turned into triangles,
// and display lists compiled into draws of one vertex buffer. Everything
// gl.cpp puts into the context is made from these, so a new context can be
// given it all again.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <vector>

namespace plat::web {

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

}  // namespace plat::web
