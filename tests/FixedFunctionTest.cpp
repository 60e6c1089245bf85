// The OpenGL 1.1 state machine where a frame would not show a fault: what each attribute group
// saves and restores, matrix stack depths and their errors, display lists that change state,
// errors between glBegin and glEnd, the client pixel-store stack and an incomplete texture.
// The same tests run against the driver's fixed-function pipeline in the normal build and
// against the fixed-function layer over OpenGL ES 3 in the ZARNOVELT_GLES build.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "GlChecks.h"
#include "GlTestContext.h"

namespace {

class FixedFunction : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(GlTestContext::Create(32, 32)); }
    void TearDown() override { EXPECT_EQ(GlTestContext::TakeGlErrors(), std::vector<unsigned int>{}); }

    // A quad over the whole view in the current colour, with identity matrices.
    static void FillView()
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBegin(GL_QUADS);
        glVertex2f(-1, -1);
        glVertex2f(1, -1);
        glVertex2f(1, 1);
        glVertex2f(-1, 1);
        glEnd();
    }
};

TEST_F(FixedFunction, EachAttributeGroupRestoresItsOwnStateOnly)
{
    // The effects' usual mask: colour buffer, enables, depth buffer, polygon.
    glBlendFunc(GL_ONE, GL_ZERO);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glDepthFunc(GL_LESS);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFogf(GL_FOG_DENSITY, 1.0f);
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT);
    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glClearColor(1, 0, 0, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glPolygonMode(GL_FRONT, GL_LINE);
    glEnable(GL_FOG);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_FLAT);       // lighting group: not saved
    glFogf(GL_FOG_DENSITY, 0.5f); // fog group: not saved
    glPopAttrib();

    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ZERO);
    EXPECT_EQ(GetFloats(GL_COLOR_CLEAR_VALUE), (std::array<GLfloat, 4>{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_EQ(GetInts(GL_POLYGON_MODE)[0], GL_FILL);
    EXPECT_FALSE(IsOn(GL_FOG)) << "an enable comes back with GL_ENABLE_BIT";
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_FLAT) << "the lighting group was not pushed";
    EXPECT_EQ(GetFloats(GL_FOG_DENSITY)[0], 0.5f) << "the fog group was not pushed";
    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 0);
    glShadeModel(GL_SMOOTH);
}

TEST_F(FixedFunction, LightingAndFogAndViewportGroups)
{
    const GLfloat position[4] = {1, 2, 3, 1};
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glViewport(0, 0, 32, 32);
    glPushAttrib(GL_LIGHTING_BIT | GL_FOG_BIT | GL_VIEWPORT_BIT | GL_ENABLE_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    const GLfloat moved[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT1, GL_POSITION, moved);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glViewport(4, 4, 8, 8);
    glPopAttrib();
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT1)) << "lighting and enable groups together restore the light's enable";
    EXPECT_EQ(LightValue(GL_LIGHT1, GL_POSITION), (std::array<GLfloat, 4>{1, 2, 3, 1}));
    EXPECT_EQ(GetInt(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(GetInts(GL_VIEWPORT)[2], 32);
}

#ifdef ZARNOVELT_GLES
// OpenGL 1.1: GL_ENABLE_BIT alone brings back every light's enable. (Mesa 22's own pipeline
// does so only with GL_LIGHTING_BIT; the effects keep the light enables themselves.)
TEST_F(FixedFunction, EnableBitAloneRestoresLightEnables)
{
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_LIGHT0);
    glPopAttrib();
    EXPECT_FALSE(IsOn(GL_LIGHT0));
}
#endif

TEST_F(FixedFunction, TextureGroupRestoresBindingEnvironmentAndGeneration)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glPopAttrib();
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(TextureEnvMode(), GL_MODULATE);
    EXPECT_EQ(TextureGenMode(GL_S), GL_EYE_LINEAR);
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_S));
    glDeleteTextures(1, &texture);
}

TEST_F(FixedFunction, AttributeStacksOverflowAndUnderflow)
{
    glPopAttrib();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_STACK_UNDERFLOW));
    const GLint depth = GetInt(GL_MAX_ATTRIB_STACK_DEPTH);
    ASSERT_GE(depth, 16);
    for (GLint i = 0; i < depth; ++i)
        glPushAttrib(GL_CURRENT_BIT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glPushAttrib(GL_CURRENT_BIT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_STACK_OVERFLOW));
    for (GLint i = 0; i < depth; ++i)
        glPopAttrib();
    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 0);

    glPopClientAttrib();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_STACK_UNDERFLOW));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 7);
    glPopClientAttrib();
    EXPECT_EQ(GetInt(GL_UNPACK_ALIGNMENT), 4);
    EXPECT_EQ(GetInt(GL_PACK_ROW_LENGTH), 0);
}

TEST_F(FixedFunction, MatrixStacksKeepTheirDepthsAndReportErrors)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glPushMatrix();
    EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 2);
    glRotatef(90, 0, 0, 1);
    glPopMatrix();
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 1.0f);
    EXPECT_EQ(m[13], 2.0f);
    EXPECT_EQ(m[14], 3.0f);
    EXPECT_EQ(m[0], 1.0f);

    glPopMatrix();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_STACK_UNDERFLOW));
    for (GLenum mode : {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE})
    {
        glMatrixMode(mode);
        const GLint max = GetInt(mode == GL_MODELVIEW    ? GL_MAX_MODELVIEW_STACK_DEPTH
                              : mode == GL_PROJECTION ? GL_MAX_PROJECTION_STACK_DEPTH
                                                      : GL_MAX_TEXTURE_STACK_DEPTH);
        ASSERT_GE(max, mode == GL_MODELVIEW ? 32 : 2);
        for (GLint i = 1; i < max; ++i)
            glPushMatrix();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << mode;
        glPushMatrix();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_STACK_OVERFLOW)) << mode;
        for (GLint i = 1; i < max; ++i)
            glPopMatrix();
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST_F(FixedFunction, CallsBetweenBeginAndEndThatAreNotVertexDataAreErrors)
{
    glBegin(GL_TRIANGLES);
    glEnable(GL_BLEND);
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_FALSE(IsOn(GL_BLEND));
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    glEnable(0x1234);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
}

TEST_F(FixedFunction, DisplayListsReplayTheirStateChanges)
{
    const GLuint list = glGenLists(2);
    ASSERT_NE(list, 0u);
    // Compiled only: nothing of it happens until it is called.
    glNewList(list, GL_COMPILE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(0.0f, 0.5f, 0.0f, 1.0f);
    FillView();
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    glEndList();
    EXPECT_EQ(GetInt(GL_LIST_INDEX), 0);
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_NEAR(GlTestContext::Pixel(16, 16).g, 0, 1);

    // A list that calls the other one, twice: the green adds up.
    glNewList(list + 1, GL_COMPILE_AND_EXECUTE);
    glCallList(list);
    glEndList();
    glCallList(list + 1);
    EXPECT_TRUE(IsOn(GL_BLEND));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    const Rgba pixel = GlTestContext::Pixel(16, 16);
    EXPECT_NEAR(pixel.g, 255, 2);
    EXPECT_NEAR(pixel.r, 0, 1);
    // The colour set after the quad is the current colour after the call.
    EXPECT_EQ(GetFloats(GL_CURRENT_COLOR), (std::array<GLfloat, 4>{1.0f, 0.0f, 0.0f, 1.0f}));

    EXPECT_TRUE(glIsList(list));
    glDeleteLists(list, 2);
    EXPECT_FALSE(glIsList(list));
    glEndList();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    glNewList(0, GL_COMPILE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    glDisable(GL_BLEND);
}

TEST_F(FixedFunction, NamesOfDeletedListsAreNotHandedOutAgain)
{
    // The effects keep their list names across End and Prepare: a stale name must call
    // nothing, not the list compiled after it.
    const GLuint first = glGenLists(1);
    glNewList(first, GL_COMPILE);
    glColor3f(1.0f, 0.0f, 0.0f);
    glEndList();
    glDeleteLists(first, 1);
    const GLuint second = glGenLists(1);
    EXPECT_NE(second, first);
    EXPECT_TRUE(glIsList(second));
    EXPECT_FALSE(glIsList(first));
    // A name glNewList took without glGenLists is in use too.
    glNewList(second + 10, GL_COMPILE);
    glEndList();
    const GLuint third = glGenLists(2);
    EXPECT_GT(third, second + 10);
    glDeleteLists(second, 1);
    glDeleteLists(second + 10, 1);
    glDeleteLists(third, 2);
}

TEST_F(FixedFunction, ListVerticesTakeUnsetAttributesFromTheCurrentValues)
{
    // The unit cube's kind of list: normals and vertices, no colour.
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glEndList();
    for (float blue : {1.0f, 0.5f})
    {
        glColor3f(0.0f, 0.0f, blue);
        glCallList(list);
        EXPECT_NEAR(GlTestContext::Pixel(16, 16).b, static_cast<int>(blue * 255 + 0.5f), 1);
    }
    GLfloat normal[4] = {};
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_EQ(normal[2], 1.0f);
    glDeleteLists(list, 1);
}

TEST_F(FixedFunction, AlphaTestTakesAReferenceChangedBetweenDraws)
{
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glColor4f(0.0f, 1.0f, 0.0f, 0.6f);
    FillView();
    EXPECT_NEAR(GlTestContext::Pixel(16, 16).g, 255, 1) << "alpha 0.6 passes GL_GREATER 0.5";
    // The same test with another reference: alpha 0.6 no longer passes.
    glAlphaFunc(GL_GREATER, 0.7f);
    glColor4f(1.0f, 0.0f, 0.0f, 0.6f);
    FillView();
    const Rgba pixel = GlTestContext::Pixel(16, 16);
    EXPECT_NEAR(pixel.r, 0, 1) << "alpha 0.6 fails GL_GREATER 0.7";
    EXPECT_NEAR(pixel.g, 255, 1);
    glDisable(GL_ALPHA_TEST);
    glAlphaFunc(GL_ALWAYS, 0.0f);
}

TEST_F(FixedFunction, ColorMaterialTakesOnlyItsEnums)
{
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glColorMaterial(GL_TEXTURE_2D, GL_DIFFUSE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    glColorMaterial(GL_FRONT, GL_SHININESS);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(GetInt(GL_COLOR_MATERIAL_FACE), GL_FRONT);
    EXPECT_EQ(GetInt(GL_COLOR_MATERIAL_PARAMETER), GL_DIFFUSE);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
}

TEST_F(FixedFunction, FacingOfATriangleReachingBehindTheEye)
{
    // A floor triangle below the eye that runs from 3 units ahead to 3 behind, its corners
    // anticlockwise seen from above: the part in view faces the eye.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    auto floor = [] {
        glBegin(GL_TRIANGLES);
        glVertex3f(-1.0f, -1.0f, -3.0f);
        glVertex3f(0.0f, -1.0f, 3.0f);
        glVertex3f(1.0f, -1.0f, -3.0f);
        glEnd();
    };
    // Pixel (16, 5) lies inside the part in view, away from its edges.
    floor();
    EXPECT_NEAR(GlTestContext::Pixel(16, 5).g, 255, 1) << "the triangle covers the pixel";
    glClear(GL_COLOR_BUFFER_BIT);
    // Front faces as outlines, back faces filled: the inside stays empty.
    glPolygonMode(GL_FRONT, GL_LINE);
    floor();
    EXPECT_NEAR(GlTestContext::Pixel(16, 5).g, 0, 1) << "filled as though it faced away";
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(FixedFunction, IncompleteTextureLeavesItsUnitOff)
{
    // A texture without an image: OpenGL 1.1 draws as though texturing were off.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 0.0f);
    FillView();
    const Rgba pixel = GlTestContext::Pixel(16, 16);
    EXPECT_NEAR(pixel.r, 255, 1);
    EXPECT_NEAR(pixel.g, 255, 1);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
}

} // namespace
