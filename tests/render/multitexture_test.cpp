#include "render/multitexture.h"

#include <gtest/gtest.h>

#include "app/game_state.h"
#include "platform/fake/fake_platform.h"

namespace {

TEST(HasExtension, MatchesWholeWordsOnly) {
    const char* name = "GL_ARB_multitexture";
    EXPECT_TRUE(HasExtension("GL_EXT_abgr\nGL_ARB_multitexture\nGL_EXT_bgra\n", name));
    EXPECT_TRUE(HasExtension("GL_ARB_multitexture\n", name));
    // The last word needs no newline behind it.
    EXPECT_TRUE(HasExtension("GL_EXT_abgr\nGL_ARB_multitexture", name));
    // A list that starts with a separator still finds its first word.
    EXPECT_TRUE(HasExtension("\nGL_ARB_multitexture\n", name));
    EXPECT_TRUE(HasExtension(" GL_ARB_multitexture ", name));
    EXPECT_TRUE(HasExtension("GL_A GL_ARB_multitexture  GL_B", name));

    EXPECT_FALSE(HasExtension("GL_ARB_multitextur\n", name));    // last letter missing
    EXPECT_FALSE(HasExtension("GL_ARB_multitexture2\n", name));  // longer word
    EXPECT_FALSE(HasExtension("XGL_ARB_multitexture\n", name));  // prefix
    EXPECT_FALSE(HasExtension("GL_ARB_multi_texture\n", name));  // letters in between
    EXPECT_FALSE(HasExtension("GL_ARB_MULTITEXTURE\n", name));   // case matters
    EXPECT_FALSE(HasExtension("GL_ARB_multi\ntexture\n", name));
    EXPECT_FALSE(HasExtension("", name));
    EXPECT_FALSE(HasExtension("GL_X\n", ""));
    EXPECT_FALSE(HasExtension(nullptr, name));
}

TEST(BindMultitexture, NeedsTheExtensionAndBothDrawingEntryPoints) {
    fake::Reset();
    maxTextureUnits = 1;
    // The extension list arrives space-separated from the context.
    EXPECT_FALSE(BindMultitexture("GL_EXT_abgr GL_ARB_multitexture2 "));
    EXPECT_TRUE(fake::CallsNamed("wglGetProcAddress").empty());

    // Listed, but the platform knows none of the entry points: no support.
    EXPECT_FALSE(BindMultitexture("GL_EXT_abgr GL_ARB_multitexture"));
    const auto lookups = fake::CallsNamed("wglGetProcAddress");
    const char* expected[] = {"glMultiTexCoord1fARB", "glMultiTexCoord2fARB", "glMultiTexCoord3fARB",
                              "glMultiTexCoord4fARB", "glActiveTextureARB",   "glClientActiveTextureARB"};
    ASSERT_EQ(lookups.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(lookups[i].text, expected[i]);
    EXPECT_EQ(mt::glActiveTextureARB, nullptr);
    EXPECT_EQ(maxTextureUnits, 1);
    EXPECT_FALSE(BindMultitexture(nullptr));

    // Only one of the two drawing entry points: still no support.
    for (const char* found : {"glActiveTextureARB", "glMultiTexCoord2fARB"}) {
        fake::state().entryPoints = {found};
        EXPECT_FALSE(BindMultitexture("GL_ARB_multitexture")) << found;
    }
}

}  // namespace
