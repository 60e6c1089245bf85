// BACKGROUND: one of three pictures on a single quad, lit by a point light that wanders over
// it with time, added to whatever the frame holds. Neither clears nor tests depth.
// Leaves behind: light 1's ambient, diffuse and position, the viewport, both matrices (the
// model-view translated to the picture), the white current colour, the picture's binding,
// smooth shading, the perspective hint and the modulate texture environment.
// Depends on an earlier effect of the frame (CLEAR) to have cleared the frame.
#include "Background.h"

#include "EffectCommon.h"
#include "LightEnableKeeper.h"
#include "TexturedQuad.h"

#include <cmath>
#include <cstring>

namespace {

const char* const kFileNames[CBackgroundEffect::kImageCount] = {
    "t_background_01.jpg",
    "t_background_02.jpg",
    "t_background_03.jpg",
};

// The picture with index 1 is smaller and sits lower than the other two.
constexpr int kSmallImage = 1;

} // namespace

CBackgroundEffect::CBackgroundEffect() = default;
CBackgroundEffect::~CBackgroundEffect() = default;

int CBackgroundEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    m_image = 0;
    LoadEffectTextures(kFileNames, kImageTypeJpeg, GL_CLAMP, GL_RGB5_A1, m_textures);
    // A picture that failed to load is drawn with texture object 0; the show goes on.
    return 0;
}

void CBackgroundEffect::Prepare() { UploadTextures(m_textures); }

void CBackgroundEffect::End() { UnUploadTextures(m_textures); }

void CBackgroundEffect::ReceiveInt(char* pszName, int iValue, long)
{
    if (std::strcmp(pszName, "BGIMAGE") != 0)
        return;
    // Anything but 1 or 2 falls back to the first picture.
    m_image = (iValue == 1 || iValue == 2) ? iValue : 0;
}

void CBackgroundEffect::RenderFrame(long lElapsedTime)
{
    // Light 1 is switched inside the push; its enable must be back afterwards.
    const LightEnableKeeper light1(GL_LIGHT1);

    // Texturing and additive blending on; depth test and fog off. The depth settings only
    // matter to whoever enables the test again inside this push.
    OpenEffectFrame(ClearValues::BlackOpaque);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    SetPictureView(m_width, m_height);

    // The model-view matrix is still the identity, so the position is in eye coordinates: two
    // units in front of the picture, sweeping +-20 across it every ~471 ms and +-15 up and down
    // every ~565 ms. Sines in double precision, products kept as floats.
    const double t = static_cast<double>(lElapsedTime);
    const GLfloat ambient[4] = {0.3f, 0.3f, 0.3f, 0.5f};
    const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 0.5f};
    const GLfloat position[4] = {static_cast<float>(20.0 * std::sin(t / 75.0)),
                                 static_cast<float>(15.0 * std::cos(t / 90.0)), -22.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -24.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    // Pictures 0 and 2 overfill a 4:3 view; picture 1 is 20 x 15 and off-centre vertically.
    const bool small = m_image == kSmallImage;
    const float left = small ? -10.0f : -16.0f;
    const float right = small ? 10.0f : 16.0f;
    const float bottom = small ? -8.0f : -12.0f;
    const float top = small ? 7.0f : 12.0f;

    glBindTexture(GL_TEXTURE_2D, m_textures[m_image]);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    TexturedCorners(left, bottom, right, bottom, right, top, left, top, 0.0f);
    glEnd();

    glPopAttrib();
    light1.Restore();
}
