#include "platform/web/gl_primitives.h"

#include <cstring>

namespace plat::web {

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

}  // namespace plat::web
