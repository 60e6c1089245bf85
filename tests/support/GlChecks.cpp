#include "GlChecks.h"

#include <cmath>
#include <cstdlib>

#include "api/GlErrorCheck.h"
#include "platform/GlFunctions.h"

Rgba PixelAt(const WindowPoint& p)
{
    return GlTestContext::Pixel(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)));
}

float DepthAt(int x, int y)
{
    float depth = -1.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

float DepthAt(const WindowPoint& p)
{
    return DepthAt(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)));
}

::testing::AssertionResult ColourNear(const Rgba& actual, Rgb expected, int tolerance)
{
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour (" << actual.r << ", " << actual.g << ", " << actual.b
                                         << ") is not within " << tolerance << " of (" << expected.r << ", "
                                         << expected.g << ", " << expected.b << ")";
}

::testing::AssertionResult PixelNear(int x, int y, Rgb expected, int tolerance)
{
    ::testing::AssertionResult result = ColourNear(GlTestContext::Pixel(x, y), expected, tolerance);
    if (!result)
        result << " at pixel (" << x << ", " << y << ")";
    return result;
}

::testing::AssertionResult PixelNear(const WindowPoint& p, Rgb expected, int tolerance)
{
    return PixelNear(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)), expected, tolerance);
}

void FillFrame(Rgb colour, double depth)
{
    glPushAttrib(GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1.0f);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPopAttrib();
}

void PrepareFrame(const EarlierFrame& frame)
{
    FillFrame(frame.colour, frame.depth);
    if (frame.depthTest)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    if (!frame.fog)
    {
        glDisable(GL_FOG);
        return;
    }
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 1.0f);
    SetFogColour(frame.fogColour);
    glEnable(GL_FOG);
}

void SetFogColour(Rgb colour)
{
    const GLfloat rgba[4] = {colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1.0f};
    glFogfv(GL_FOG_COLOR, rgba);
}

bool IsOn(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

GLint GetInt(GLenum what) { return GetInts(what)[0]; }

std::array<GLint, 4> GetInts(GLenum what)
{
    // Room for the largest answer GL gives a query of this kind (a matrix is read elsewhere).
    GLint value[16] = {};
    glGetIntegerv(what, value);
    return {value[0], value[1], value[2], value[3]};
}

GLfloat GetFloat(GLenum what) { return GetFloats(what)[0]; }

std::array<GLfloat, 4> GetFloats(GLenum what)
{
    GLfloat value[16] = {};
    glGetFloatv(what, value);
    return {value[0], value[1], value[2], value[3]};
}

Matrix4 ReadMatrix(GLenum which)
{
    Matrix4 m{};
    glGetDoublev(which, m.data());
    return m;
}

GLint TextureEnvMode()
{
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    return mode;
}

GLint TextureGenMode(GLenum coordinate)
{
    GLint mode = 0;
    glGetTexGeniv(coordinate, GL_TEXTURE_GEN_MODE, &mode);
    return mode;
}

std::array<GLfloat, 4> LightValue(GLenum light, GLenum what)
{
    GLfloat value[4] = {};
    glGetLightfv(light, what, value);
    return {value[0], value[1], value[2], value[3]};
}

::testing::AssertionResult MatricesNear(const Matrix4& actual, const Matrix4& expected, double tolerance)
{
    for (int i = 0; i < 16; ++i)
    {
        const double scale = std::fmax(1.0, std::fabs(expected[i]));
        if (std::fabs(actual[i] - expected[i]) > tolerance * scale)
            return ::testing::AssertionFailure() << "element " << i << " (row " << i % 4 << ", column " << i / 4
                                                 << ") is " << actual[i] << ", expected " << expected[i];
    }
    return ::testing::AssertionSuccess();
}

TextureState ReadTexture(unsigned int id)
{
    TextureState state{};
    state.exists = glIsTexture(id) == GL_TRUE;
    if (!state.exists)
        return state;
    const GLint bound = GetInt(GL_TEXTURE_BINDING_2D);
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &state.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &state.height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &state.internalFormat);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &state.wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &state.wrapT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &state.minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &state.magFilter);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return state;
}

std::vector<uint8_t> ReadTexels(unsigned int id, GLenum format)
{
    const TextureState state = ReadTexture(id);
    if (!state.exists)
        return {};
    const size_t channels = format == GL_RGBA ? 4 : 3;
    std::vector<uint8_t> texels(static_cast<size_t>(state.width) * state.height * channels);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
#ifdef ZARNOVELT_GLES
    // OpenGL ES has no glGetTexImage: the texture is read as the colour buffer of a framebuffer
    // of its own, bound for reading only.
    GlFunctions& gl = Gl();
    const GLint reading = GetInt(GL_READ_FRAMEBUFFER_BINDING);
    GLuint framebuffer = 0;
    gl.GenFramebuffers(1, &framebuffer);
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    gl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, id, 0);
    if (gl.CheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE)
        glReadPixels(0, 0, state.width, state.height, format, GL_UNSIGNED_BYTE, texels.data());
    else
        texels.clear();
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(reading));
    gl.DeleteFramebuffers(1, &framebuffer);
#else
    const GLint bound = GetInt(GL_TEXTURE_BINDING_2D);
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
#endif
    glPopClientAttrib();
    return texels;
}

::testing::AssertionResult NoGlError(const std::string& after)
{
    const std::vector<unsigned int> errors = GlTestContext::TakeGlErrors();
    if (errors.empty())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "GL error";
    for (unsigned int error : errors)
        failure << " " << GlErrorName(error);
    return failure << " after " << after;
}
