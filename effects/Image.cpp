// IMAGE: lays a picture over the frame: the logo (cut into the frame with its mask, then
// added), or one of two greetings cards added on a quad whose corners sway slowly with time.
// The parameter's name alone picks the picture. Neither clears nor tests depth.
// Leaves behind: the viewport, both matrices, the current colour (white, alpha 0.5), the last
// binding, smooth shading, the perspective hint and the modulate texture environment.
// Depends on the frame holding what the picture should be laid over.
#include "Image.h"

#include "EffectCommon.h"
#include "TexturedQuad.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kLogoImage = 0;
constexpr int kLogoMask = 1;
constexpr int kGreetings1Image = 2;
constexpr int kGreetings2Image = 3;

const char* const kFileNames[CImageEffect::kTextureCount] = {
    "images/i_hp_glow_image.jpg",
    "images/i_hp_glow_mask.jpg",
    "images/i_greetings_01.jpg",
    "images/i_greetings_02.jpg",
};

// Places a picture at (x, 0, z) and sets what all three pictures are drawn with: blending on,
// depth test off, white at half alpha.
void PlacePicture(float x, float z)
{
    glLoadIdentity();
    glTranslatef(x, 0.0f, z);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}

} // namespace

CImageEffect::CImageEffect() = default;
CImageEffect::~CImageEffect() = default;

float CImageEffect::CornerSway(long lElapsedTime)
{
    // Single precision throughout: the time, the rates 1/75 and 1/90, the sines and the sum.
    const float t = static_cast<float>(lElapsedTime);
    return 0.2f * std::sin(t * 0.013333334f) + 0.3f * std::sin(t * 0.011111111f);
}

float CImageEffect::CardDrift(long lElapsedTime)
{
    // Single precision, rates 1/100 and 1/70.
    const float t = static_cast<float>(lElapsedTime);
    return 0.2f * std::sin(t * 0.01f) + 0.3f * std::sin(t * 0.014285714f);
}

int CImageEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    m_image = kLogo;
    LoadEffectTextures(kFileNames, kImageTypeJpeg, GL_CLAMP, GL_RGB5_A1, m_textures);
    // A picture that failed to load is drawn with texture object 0; the show goes on.
    return 0;
}

void CImageEffect::Prepare() { UploadTextures(m_textures); }

void CImageEffect::End() { UnUploadTextures(m_textures); }

void CImageEffect::ReceiveInt(char* pszName, int, long)
{
    // The name alone chooses; the value is ignored.
    if (std::strcmp(pszName, "HP_GLOW") == 0)
        m_image = kLogo;
    if (std::strcmp(pszName, "GREETZ1") == 0)
        m_image = kGreetings1;
    if (std::strcmp(pszName, "GREETZ2") == 0)
        m_image = kGreetings2;
}

void CImageEffect::RenderFrame(long lElapsedTime)
{
    OpenEffectFrame(ClearValues::Kept);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    SetPictureView(m_width, m_height);

    const float sway = CornerSway(lElapsedTime);
    switch (m_image)
    {
    case kLogo:
        DrawLogo();
        break;
    case kGreetings1:
        DrawFirstGreetings(sway, CardDrift(lElapsedTime));
        break;
    case kGreetings2:
        DrawSecondGreetings(sway);
        break;
    default:
        break;
    }

    glPopAttrib();
}

void CImageEffect::DrawLogo()
{
    PlacePicture(0.0f, -16.0f);
    // The frame multiplied by the mask, then the logo added into the hole it cut.
    DrawMaskedRectangle(m_textures[kLogoMask], m_textures[kLogoImage], -6.0f, -4.0f, 6.0f, 4.0f, 0.0f);
    glDisable(GL_BLEND);
}

void CImageEffect::DrawFirstGreetings(float sway, float drift)
{
    PlacePicture(drift, -13.5f);
    glBlendFunc(GL_ONE, GL_ONE);

    // The lower left corner sways sideways, the upper right one up and down.
    glBindTexture(GL_TEXTURE_2D, m_textures[kGreetings1Image]);
    DrawTexturedQuad(sway - 6.0f, -4.0f, 6.0f, -4.0f, 6.0f, 4.0f - sway, -6.0f, 4.0f, 0.0f);

    glDisable(GL_BLEND);
}

void CImageEffect::DrawSecondGreetings(float sway)
{
    PlacePicture(0.0f, -16.0f);
    glBlendFunc(GL_ONE, GL_ONE);

    // 20 units wide at depth 16: wider than a 4:3 view, so it runs off both sides. The lower
    // left corner and the right edge move towards the centre by the sway.
    glBindTexture(GL_TEXTURE_2D, m_textures[kGreetings2Image]);
    DrawTexturedQuad(sway - 10.0f, -4.0f, 10.0f - sway, -4.0f, 10.0f - sway, 4.0f, -10.0f, 4.0f, 0.0f);

    glDisable(GL_BLEND);
}
