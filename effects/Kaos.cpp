// KAOS: a composition of seven layers that the script switches one by one, drawn in this order
// over whatever the frame holds: left and right loudspeakers, the breathing glow logo, the FH
// picture with its growing outer shape, the swinging HAMMER picture, the tumbling glossy cube
// (one multitexture pass or two passes from a display list) and the self-fading HEAD flash.
// Leaves behind: no attribute push at frame level, so GL_TEXTURE_2D stays on; after any flat
// layer blending and depth test are off; blend function, colour, viewport and matrices are the
// last layer's. Depends on the library's textures and extensions and on the unit cube.
#include "Kaos.h"

#include "EffectCommon.h"
#include "LightEnableKeeper.h"
#include "TexturedQuad.h"
#include "UnitCube.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>

namespace {

struct KaosTexture
{
    const char* file;
    GLint wrap;
    GLint format;
};

// In m_textures order; the layer that draws each is named beside it.
constexpr KaosTexture kTextures[kKaosTextureCount] = {
    {"kaos/k_loudspeaker_l_image.jpg", GL_CLAMP, GL_RGB5_A1},     // 0 SL image
    {"kaos/k_loudspeaker_l_mask.jpg", GL_CLAMP, GL_RGB5_A1},      // 1 SL mask
    {"kaos/k_loudspeaker_r_image.jpg", GL_REPEAT, GL_RGB5_A1},    // 2 SR image
    {"kaos/k_loudspeaker_r_mask.jpg", GL_REPEAT, GL_RGB5_A1},     // 3 SR mask
    {"kaos/k_quillmarsh_glow_02_image.jpg", GL_REPEAT, GL_RGB5_A1}, // 4 glow image
    {"kaos/k_quillmarsh_glow_02_mask.jpg", GL_REPEAT, GL_RGB5_A1},  // 5 glow mask
    {"kaos/k_fuckhouse_image.jpg", GL_CLAMP, GL_RGB5_A1},         // 6 FH picture image
    {"kaos/k_fuckhouse_mask.jpg", GL_CLAMP, GL_RGB5_A1},          // 7 FH picture mask
    {"kaos/k_fuckhouse_outershape.jpg", GL_CLAMP, GL_RGB5_A1},    // 8 FH outer shape
    {"kaos/k_bitch_image.jpg", GL_CLAMP, GL_RGB5_A1},             // 9 HAMMER image
    {"kaos/k_bitch_mask.jpg", GL_CLAMP, GL_RGB5_A1},              // 10 HAMMER mask
    {"kaos/k_tcube_image.jpg", GL_REPEAT, 0},                     // 11 cube base
    {"kaos/k_tcube_env.jpg", GL_REPEAT, GL_RGB5_A1},              // 12 cube environment map
    {"kaos/k_head_image.jpg", GL_CLAMP, GL_RGB5_A1},              // 13 HEAD
    {"kaos/k_head_mask.jpg", GL_CLAMP, GL_RGB5_A1},               // 14 loaded, never drawn
};

enum KaosTextureIndex
{
    kLeftImage = 0,
    kLeftMask = 1,
    kRightImage = 2,
    kRightMask = 3,
    kGlowImage = 4,
    kGlowMask = 5,
    kFhImage = 6,
    kFhMask = 7,
    kFhOuterShape = 8,
    kHammerImage = 9,
    kHammerMask = 10,
    kCubeBase = 11,
    kCubeEnvironment = 12,
    kHeadImage = 13,
};

// The restart marker of the FH outer shape and the level it restarts from.
constexpr float kOuterShapeRestart = 1.0f;
constexpr float kOuterShapeStart = 0.99f;

// A rectangle of half-width a and half-height h at z = -1, texture (0,0) at its lower left.
void Rectangle(float a, float h)
{
    DrawTexturedRectangle(-a, -h, a, h, -1.0f);
}

// The mask multiplies into the frame (a dark cut-out), then the image is added into it.
void MaskedRectangle(unsigned int mask, unsigned int image, float a, float h)
{
    DrawMaskedRectangle(mask, image, -a, -h, a, h, -1.0f);
}

// What every flat layer does after its placement.
void BeginFlatLayer()
{
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
}

} // namespace

CKaosEffect::CKaosEffect() = default;
CKaosEffect::~CKaosEffect() = default;

int CKaosEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    // A failed load leaves id 0, which the layers then bind like any other id.
    for (int i = 0; i < kKaosTextureCount; ++i)
        m_textures[i] = LoadEffectTexture(kTextures[i].file, kImageTypeJpeg, kTextures[i].wrap, kTextures[i].format);

    m_showLeftSpeaker = false;
    m_showRightSpeaker = false;
    m_showGlow = false;
    m_showFh = false;
    m_showHammer = false;
    m_showCube = false;
    m_showHead = false;
    m_outerShapeLevel = 0.0f;
    m_fhLevel = 1.0f;
    m_fhLastTime = 0;
    m_fhFadeOut = false;
    m_hammerMode = 0;
    m_cubeMode = 0;
    m_headRestart = false;
    m_headLevel = 0.0f;
    m_period = 422.53521728515625f;
    FillUnitCube(m_cubeFaces, m_cubeVertices, m_cubeNormals);
    return 0;
}

void CKaosEffect::Prepare()
{
    UploadTextures(m_textures);

    if (DEMOGL_ExtensionCheckIfAvailable(kExtensionMultitexture))
    {
        m_glActiveTextureARB = reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(wglGetProcAddress("glActiveTextureARB"));
        m_glMultiTexCoord2fARB =
            reinterpret_cast<PFNGLMULTITEXCOORD2FARBPROC>(wglGetProcAddress("glMultiTexCoord2fARB"));
        if (DEMOGL_ExtensionCheckIfAvailable(kExtensionTexEnvCombine) && m_glActiveTextureARB != nullptr &&
            m_glMultiTexCoord2fARB != nullptr)
            m_multitexture = true;
    }

    m_cubeList = CompileUnitCube(m_cubeFaces, m_cubeVertices, m_cubeNormals, m_cubeList);
}

void CKaosEffect::End() { UnUploadTextures(m_textures); }

void CKaosEffect::ReceiveInt(char* pszName, int iValue, long)
{
    if (pszName == nullptr)
        return;
    if (std::strcmp(pszName, "SL") == 0)
        m_showLeftSpeaker = iValue == 1;
    if (std::strcmp(pszName, "SR") == 0)
        m_showRightSpeaker = iValue == 1;
    if (std::strcmp(pszName, "QLG") == 0)
        m_showGlow = iValue == 1;
    if (std::strcmp(pszName, "FH") == 0)
    {
        switch (iValue)
        {
        case 0:
            m_showFh = false;
            break;
        case 1:
            // The marker restarts the outer shape, and its time base, at the next frame.
            m_outerShapeLevel = kOuterShapeRestart;
            m_fhLevel = 1.0f;
            m_showFh = true;
            m_fhFadeOut = false;
            break;
        case 2:
            // Arms the fade only; the layer's switch stays as it is.
            m_fhLevel = 1.0f;
            m_fhFadeOut = true;
            break;
        default:
            m_showFh = false;
            m_fhFadeOut = false;
            break;
        }
    }
    if (std::strcmp(pszName, "HAMMER") == 0)
    {
        const bool known = iValue >= 1 && iValue <= 3;
        m_showHammer = known;
        m_hammerMode = known ? iValue : 0;
    }
    if (std::strcmp(pszName, "TCUBE") == 0)
    {
        const bool known = iValue == 1 || iValue == 2;
        m_showCube = known;
        m_cubeMode = known ? iValue : 0;
    }
    if (std::strcmp(pszName, "HEAD") == 0)
    {
        if (iValue == 1)
        {
            m_headLevel = 1.0f;
            m_showHead = true;
            m_headRestart = true;
        }
        else
        {
            m_showHead = false;
            m_headRestart = false;
            m_headLevel = 0.0f;
        }
    }
}

void CKaosEffect::RenderFrame(long lElapsedTime)
{
    // No attribute push here: what the layers leave is what the next effect gets.
    SetViewAndProjection(m_width, m_height, 0.1, 200.0);
    glEnable(GL_TEXTURE_2D);

    const int elapsed = static_cast<int>(lElapsedTime);
    const float t = static_cast<float>(lElapsedTime);
    if (m_showLeftSpeaker)
        DrawLeftSpeaker();
    if (m_showRightSpeaker)
        DrawRightSpeaker();
    if (m_showGlow)
        DrawGlow(t);
    if (m_showFh)
        DrawFh(elapsed);
    if (m_showHammer)
        DrawHammer(t);
    if (m_showCube)
        DrawCube(t);
    if (m_showHead)
        DrawHead(elapsed);
}

void CKaosEffect::DrawLeftSpeaker()
{
    glLoadIdentity();
    glTranslatef(-3.0f, 0.0f, -7.0f);
    BeginFlatLayer();
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    MaskedRectangle(m_textures[kLeftMask], m_textures[kLeftImage], 2.0f, 2.0f);
    glDisable(GL_BLEND);
}

void CKaosEffect::DrawRightSpeaker()
{
    glLoadIdentity();
    glTranslatef(3.0f, 0.0f, -7.0f);
    BeginFlatLayer();
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    MaskedRectangle(m_textures[kRightMask], m_textures[kRightImage], 2.0f, 2.0f);
    glDisable(GL_BLEND);
}

void CKaosEffect::DrawGlow(float t)
{
    // The band breathes: 12 +- 1 wide (period about 628 ms), 4 +- 1 high (about 408 ms).
    const float widthChange = static_cast<float>(0.5 * std::sin(static_cast<double>(0.01f * t)));
    const float heightChange = static_cast<float>(0.5 * std::cos(static_cast<double>(0.015384615f * t)));
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -13.0f);
    BeginFlatLayer();
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    MaskedRectangle(m_textures[kGlowMask], m_textures[kGlowImage], 6.0f + widthChange, 2.0f + heightChange);
    glDisable(GL_BLEND);
}

void CKaosEffect::DrawFh(int elapsed)
{
    // The restart marker also restarts the time base, so a restart never jumps in time.
    if (m_outerShapeLevel == kOuterShapeRestart)
    {
        m_outerShapeLevel = kOuterShapeStart;
        m_fhLastTime = elapsed;
    }
    int frameTime = elapsed - m_fhLastTime;
    // The effect's time starts again near 0 when the script restarts it; a frame never
    // counts backwards.
    if (frameTime < 0)
        frameTime = 0;
    m_fhLastTime = elapsed;
    const float step = static_cast<float>(frameTime) * 0.001953125f;
    // The outer shape's growth follows its level before this frame's fall.
    const float growth = (1.0f - m_outerShapeLevel) * 7.0f;
    if (m_fhFadeOut && m_fhLevel > 0.0f)
        m_fhLevel -= 2.0f * step;
    if (m_outerShapeLevel > 0.0f)
        m_outerShapeLevel -= step;

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -15.0f);
    BeginFlatLayer();
    const float level = m_fhLevel;
    glColor4f(level, level, level, 0.5f);
    MaskedRectangle(m_textures[kFhMask], m_textures[kFhImage], 4.0f * level, 4.0f * level);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const float shape = m_outerShapeLevel;
    glColor4f(shape, shape, shape, 1.0f);
    glBindTexture(GL_TEXTURE_2D, m_textures[kFhOuterShape]);
    Rectangle(4.0f + growth, 4.0f + growth);
    glDisable(GL_BLEND);
}

void CKaosEffect::DrawHammer(float t)
{
    const float beats = t / m_period;
    // The constants are the written 3.141592 and 6.283184, not the float nearest to pi.
    double angle = 0.0;
    glLoadIdentity();
    switch (m_hammerMode)
    {
    case 1:
        angle = 75.0 * std::sin(3.141592 * beats);
        glTranslatef(0.0f, static_cast<float>(0.5 * std::sin(6.283184 * beats) - 3.0), -18.0f);
        break;
    case 2:
        angle = static_cast<float>(75.0 * std::sin(3.141592 * beats));
        glTranslatef(0.0f, static_cast<float>(0.05 * angle - 3.0), -18.0f);
        break;
    case 3:
        angle = 360.0 * beats;
        glTranslatef(0.0f, -0.5f, -18.0f);
        break;
    default:
        break;
    }
    // The picture turns about the middle of its lower edge.
    glRotatef(static_cast<float>(angle), 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 4.0f, 0.0f);
    BeginFlatLayer();
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    MaskedRectangle(m_textures[kHammerMask], m_textures[kHammerImage], 4.0f, 4.0f);
    glDisable(GL_BLEND);
}

void CKaosEffect::DrawCube(float t)
{
    const float period = m_period;
    const float rotateX = static_cast<float>(90.0 * std::sin(static_cast<double>(t / (2.0f * period))));
    const float rotateY = static_cast<float>(180.0 * std::cos(static_cast<double>(t / (3.0f * period))));
    const float rotateZ = static_cast<float>(180.0 * std::sin(static_cast<double>(t / (4.0f * period))));
    const double circle = static_cast<double>(t / (0.75f * period));
    const float x = static_cast<float>(0.3 * std::sin(circle));
    const float y = static_cast<float>(0.3 * std::cos(circle));
    const float z = static_cast<float>(0.4 * std::sin(static_cast<double>(t / period)) - 3.5);

    const LightEnableKeeper light0(GL_LIGHT0);
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glLoadIdentity();
    glTranslatef(x, y, z);
    glRotatef(rotateX, 1.0f, 0.0f, 0.0f);
    glRotatef(rotateY, 0.0f, 1.0f, 0.0f);
    glRotatef(rotateZ, 0.0f, 0.0f, 1.0f);
    // Mode 2 needs the multitexture path; without it no cube is drawn.
    if (m_cubeMode == 2 && m_multitexture)
        DrawMultitextureCube();
    else if (m_cubeMode == 1)
        DrawTwoPassCube();
    glPopAttrib();
    light0.Restore();
}

void CKaosEffect::DrawMultitextureCube()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    // Unit 0: the lit base texture.
    m_glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glBindTexture(GL_TEXTURE_2D, m_textures[kCubeBase]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // Unit 1: the sphere-mapped environment added to unit 0's result.
    m_glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_textures[kCubeEnvironment]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_ADD);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);

    glColor4f(1.0f, 1.0f, 1.0f, 0.3f);
    for (int face = 0; face < 6; ++face)
    {
        glBegin(GL_QUADS);
        glNormal3fv(m_cubeNormals[face]);
        for (int corner = 0; corner < 4; ++corner)
        {
            const float s = kUnitCubeTexCoords[corner][0];
            const float tc = kUnitCubeTexCoords[corner][1];
            m_glMultiTexCoord2fARB(GL_TEXTURE0_ARB, s, tc);
            m_glMultiTexCoord2fARB(GL_TEXTURE1_ARB, s, tc);
            glVertex3fv(m_cubeVertices[m_cubeFaces[face][corner]]);
        }
        glEnd();
    }

    m_glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    // Unit 0 is left active.
    m_glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
}

void CKaosEffect::DrawTwoPassCube()
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);

    // Base pass: blends or not as the blend enable stands (every flat layer leaves it off).
    glBindTexture(GL_TEXTURE_2D, m_textures[kCubeBase]);
    glCallList(m_cubeList);

    // Gloss pass: added where it passes GL_LEQUAL against the base pass.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, m_textures[kCubeEnvironment]);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glCallList(m_cubeList);

    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

void CKaosEffect::DrawHead(int elapsed)
{
    if (m_headRestart)
    {
        m_headStartTime = elapsed;
        m_headRestart = false;
    }
    // The effect's time starts again near 0 when the script restarts it: the flash then
    // counts from here instead of holding until the old start time comes round again.
    if (elapsed < m_headStartTime)
        m_headStartTime = elapsed;
    const float seconds = static_cast<float>(elapsed - m_headStartTime) * 0.001f;

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -16.0f);
    BeginFlatLayer();
    // Full intensity for 200 ms, then a fall that speeds up with time (and with the frame
    // rate, as it runs once per frame).
    if (seconds > 0.2f)
        m_headLevel -= 0.3f * seconds;
    const float level = m_headLevel;
    // The layer switches itself off, but this last frame is still drawn.
    if (level <= 0.0f)
        m_showHead = false;
    glColor4f(level, level, level, level);
    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, m_textures[kHeadImage]);
    Rectangle(4.0f, 4.0f);
    glDisable(GL_BLEND);
}
