#include "render/multitexture.h"

#include <cstring>
#include <string>

#include "app/game_state.h"
#include "platform/window.h"

namespace mt {
PFNGLMULTITEXCOORD1FARBPROC glMultiTexCoord1fARB = nullptr;
PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB = nullptr;
PFNGLMULTITEXCOORD3FARBPROC glMultiTexCoord3fARB = nullptr;
PFNGLMULTITEXCOORD4FARBPROC glMultiTexCoord4fARB = nullptr;
PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB = nullptr;
}  // namespace mt

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\n'; }

template <typename Pointer>
void LookUp(Pointer* pointer, const char* name) {
    *pointer = reinterpret_cast<Pointer>(plat::wglGetProcAddress(name));
}

}  // namespace

bool HasExtension(const char* list, const char* name) {
    if (!list || !name) return false;
    const std::size_t nameLength = std::strlen(name);
    if (nameLength == 0) return false;
    const char* word = list;
    while (*word) {
        while (IsSeparator(*word)) ++word;
        const char* end = word;
        while (*end && !IsSeparator(*end)) ++end;
        if (static_cast<std::size_t>(end - word) == nameLength && std::memcmp(word, name, nameLength) == 0)
            return true;
        word = end;
    }
    return false;
}

bool BindMultitexture(const char* extensions) {
    if (!extensions) return false;
    std::string words(extensions);
    for (char& c : words)
        if (c == ' ') c = '\n';
    if (!HasExtension(words.c_str(), "GL_ARB_multitexture")) return false;
    LookUp(&mt::glMultiTexCoord1fARB, "glMultiTexCoord1fARB");
    LookUp(&mt::glMultiTexCoord2fARB, "glMultiTexCoord2fARB");
    LookUp(&mt::glMultiTexCoord3fARB, "glMultiTexCoord3fARB");
    LookUp(&mt::glMultiTexCoord4fARB, "glMultiTexCoord4fARB");
    LookUp(&mt::glActiveTextureARB, "glActiveTextureARB");
    LookUp(&mt::glClientActiveTextureARB, "glClientActiveTextureARB");
    // The level is drawn with these two; without them it must not be built.
    if (!mt::glActiveTextureARB || !mt::glMultiTexCoord2fARB) return false;
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    maxTextureUnits = units;
    return true;
}

bool InitMultitexture() {
    return BindMultitexture(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
}
