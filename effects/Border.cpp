// BORDER: a picture frame over the whole view: its mask multiplies the frame, then the border
// picture is added. No animation, no parameters.
// Leaves behind: the viewport, both matrices, the picture's binding, smooth shading, the
// perspective hint and the modulate texture environment. Sets no colour: both passes are
// modulated by the current colour earlier drawing left, and lit by any light still enabled
// (it switches off light 1 only).
#include "Border.h"

#include "EffectCommon.h"
#include "LightEnableKeeper.h"
#include "TexturedQuad.h"

namespace {

constexpr int kPicture = 0;
constexpr int kMask = 1;

const char* const kFileNames[CBorderEffect::kTextureCount] = {"t_BorderImage.tga", "t_BorderMask.tga"};

} // namespace

CBorderEffect::CBorderEffect() = default;
CBorderEffect::~CBorderEffect() = default;

int CBorderEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    LoadEffectTextures(kFileNames, kImageTypeTga, GL_REPEAT, GL_RGB5_A1, m_textures);
    // A picture that failed to load is drawn with texture object 0; the show goes on.
    return 0;
}

// The picture, then the mask.
void CBorderEffect::Prepare() { UploadTextures(m_textures); }

void CBorderEffect::End() { UnUploadTextures(m_textures); }

void CBorderEffect::RenderFrame(long)
{
    // Light 1 is switched inside the push; its enable must be back afterwards.
    const LightEnableKeeper light1(GL_LIGHT1);
    OpenEffectFrame(ClearValues::BlackOpaque);
    // Light 1 only: lighting itself stays as the frame's earlier effects left it.
    glDisable(GL_LIGHT1);
    glDisable(GL_FOG);
    SetPictureView(m_width, m_height);

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -58.0f);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    // Where the mask is black only the picture remains; where it is white the frame shows
    // through with the picture added. 64 x 48 at depth 58 fills a 4:3 view almost exactly (the
    // view spans about +-24.02 high).
    DrawMaskedRectangle(m_textures[kMask], m_textures[kPicture], -32.0f, -24.0f, 32.0f, 24.0f, 0.0f);

    glPopAttrib();
    light1.Restore();
}
