// CREDITS: the model "dat/m_headphone.ms3d", lit by GL's default light 0 and swaying before a
// fixed camera, and over it two captions ("CODING": txt_coding.jpg, "QV": txt_qv517.jpg) added
// without depth test, each faded in or out by 0.1 per rendered frame. Leaves behind: both
// matrices, the viewport, shade model, perspective hint, the current colour (white with the
// last drawn card's alpha), the texture binding and the model's last material. Depends on
// Model (assets/) and the library's textures.
#include "Credits.h"

#include "EffectCommon.h"
#include "ModelScene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>

namespace {

constexpr const char* kModelFile = "dat/m_headphone.ms3d";

constexpr int kFadeIn = 1;
constexpr int kFadeOut = 2;

// Sets a caption's three flags from a script value: 1 fades in, 2 fades out, anything else
// hides the caption at once. The alpha stays where it is, so the next fade starts from there.
void SetCaptionState(int value, bool& show, bool& fadingIn, bool& fadingOut)
{
    show = value == kFadeIn || value == kFadeOut;
    fadingIn = value == kFadeIn;
    fadingOut = value == kFadeOut;
}

// One fade step per rendered frame. The alpha is not clamped: a fade-in stops just above 1
// and a fade-out just below 0, and a faded-out caption stays shown, adding nothing.
void StepFade(bool& fadingIn, bool& fadingOut, float& alpha)
{
    if (fadingIn)
        alpha += 0.1f;
    if (alpha >= 1.0f)
        fadingIn = false;
    if (fadingOut)
        alpha -= 0.1f;
    if (alpha <= 0.0f)
        fadingOut = false;
}

// An 8 x 2 card in the plane z = 0 whose width grows by 2 * widen and height by 2 * heighten.
void DrawCard(float widen, float heighten)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-4.0f - widen, -1.0f - heighten, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(4.0f + widen, -1.0f - heighten, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(4.0f + widen, 1.0f + heighten, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-4.0f - widen, 1.0f + heighten, 0.0f);
    glEnd();
}

} // namespace

CCreditsEffect::CCreditsEffect() = default;

CCreditsEffect::~CCreditsEffect()
{
    delete m_model;
}

int CCreditsEffect::Init(int iWidth, int iHeight)
{
    if (!LoadSceneModel("CREDITS", kModelFile, m_model))
    {
        // The captions' textures are not loaded either.
        return 0;
    }
    m_width = iWidth;
    m_height = iHeight;
    m_showCaption = m_captionFadingIn = m_captionFadingOut = false;
    m_showName = m_nameFadingIn = m_nameFadingOut = false;
    m_captionAlpha = 0.0f;
    m_nameAlpha = 0.0f;
    m_timeOffset = 2000;
    // The ids are kept as they come; a failed load (0) only leaves its card untextured.
    m_captionTexture = LoadEffectTexture("txt_coding.jpg", kImageTypeJpeg, GL_REPEAT, GL_RGB5_A1);
    m_nameTexture = LoadEffectTexture("txt_qv517.jpg", kImageTypeJpeg, GL_REPEAT, GL_RGB5_A1);
    return 0;
}

// Uploads both captions; the model makes fresh texture names for its materials and deletes
// the ones it made before.
void CCreditsEffect::Prepare()
{
    UploadTextures({m_captionTexture, m_nameTexture});
    ReloadSceneTextures(m_model);
}

// Releases the captions' storage; the model's textures stay.
void CCreditsEffect::End() { UnUploadTextures({m_captionTexture, m_nameTexture}); }

void CCreditsEffect::ReceiveInt(char* pszName, int iValue, long)
{
    if (pszName == nullptr)
        return;
    if (std::strcmp(pszName, "CODING") == 0)
        SetCaptionState(iValue, m_showCaption, m_captionFadingIn, m_captionFadingOut);
    else if (std::strcmp(pszName, "QV") == 0)
        SetCaptionState(iValue, m_showName, m_nameFadingIn, m_nameFadingOut);
}

void CCreditsEffect::RenderFrame(long lElapsedTime)
{
    const LightEnableKeeper light0 = OpenModelSceneFrame(m_width, m_height, true);

    // Light 0 keeps GL's defaults: white, directional, along the view axis.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    // Seconds since elapsed 2000 ms.
    const float t = static_cast<float>(lElapsedTime - m_timeOffset) * 0.001f;

    // The model, under the blend state the frame had on entry.
    glLoadIdentity();
    gluLookAt(75.0, 75.0, 75.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glTranslatef(2.5f * std::sin(1.7f * t), 0.0f, 5.0f * std::cos(6.0f * t) + 15.5f);
    glRotatef(20.0f * std::sin(3.8f * t) + 90.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(50.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(20.0f * std::sin(2.9f * t) - 30.0f, 0.0f, 0.0f, 1.0f);
    DrawSceneModel(m_model);

    // The captions: added with alpha weight, unlit, over everything, in eye space.
    glLoadIdentity();
    glTranslatef(0.0f, 2.5f, -12.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);

    StepFade(m_captionFadingIn, m_captionFadingOut, m_captionAlpha);
    const float a = 0.3f * std::sin(9.0f * t);
    const float b = 0.2f * std::sin(7.5f * t);
    if (m_showCaption)
    {
        glColor4f(1.0f, 1.0f, 1.0f, m_captionAlpha);
        glBindTexture(GL_TEXTURE_2D, m_captionTexture);
        DrawCard(a, b);
    }

    glLoadIdentity();
    glTranslatef(1.8f, -2.0f, -12.0f);
    StepFade(m_nameFadingIn, m_nameFadingOut, m_nameAlpha);
    if (m_showName)
    {
        glColor4f(1.0f, 1.0f, 1.0f, m_nameAlpha);
        const float c = 0.3f * std::cos(7.8f * t);
        const float d = 0.2f * std::cos(9.5f * t);
        glBindTexture(GL_TEXTURE_2D, m_nameTexture);
        DrawCard(c, d);
    }
    CloseModelSceneFrame(light0);
}
