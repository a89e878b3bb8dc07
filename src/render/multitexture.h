// The second texture unit through GL_ARB_multitexture: its six entry points
// are looked up at run time. They live in their own namespace because
// GL/gl.h already declares functions of the same names.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace mt {
extern PFNGLMULTITEXCOORD1FARBPROC glMultiTexCoord1fARB;
extern PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB;
extern PFNGLMULTITEXCOORD3FARBPROC glMultiTexCoord3fARB;
extern PFNGLMULTITEXCOORD4FARBPROC glMultiTexCoord4fARB;
extern PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
extern PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB;
}  // namespace mt

// True when `name` is one whole word of `list` (words separated by spaces
// or newlines).
bool HasExtension(const char* list, const char* name);

// Binds the entry points given the context's extension string; true only
// when the extension is listed and the two entry points the level draws
// with were found. Sets maxTextureUnits on success.
bool BindMultitexture(const char* extensions);

// The same for the current rendering context.
bool InitMultitexture();
