// BORDER: a picture frame over the whole view: its mask multiplies the frame, then the border
// picture is added. No animation, no parameters.
// Leaves behind: the viewport, both matrices, the picture's binding, smooth shading, the
// perspective hint and the modulate texture environment. Sets no colour: both passes are
// modulated by the current colour earlier drawing left, and lit by any light still enabled
// (it switches off light 1 only).
#include "Border.h"

#include "EffectCommon.h"
#include "LightEnableKeeper.h"

namespace {

constexpr int kPicture = 0;
constexpr int kMask = 1;

// 64 x 48 at depth 58 fills a 4:3 view almost exactly (the view spans about +-24.02 high).
void DrawFullViewQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-32.0f, -24.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(32.0f, -24.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(32.0f, 24.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-32.0f, 24.0f, 0.0f);
    glEnd();
}

} // namespace

CBorderEffect::CBorderEffect() = default;
CBorderEffect::~CBorderEffect() = default;

int CBorderEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    m_textures[kPicture] = LoadEffectTexture("t_BorderImage.tga", kImageTypeTga, GL_REPEAT, GL_RGB5_A1);
    m_textures[kMask] = LoadEffectTexture("t_BorderMask.tga", kImageTypeTga, GL_REPEAT, GL_RGB5_A1);
    // A picture that failed to load is drawn with texture object 0; the show goes on.
    return 0;
}

void CBorderEffect::Prepare()
{
    DEMOGL_TextureUpload(m_textures[kPicture]);
    DEMOGL_TextureUpload(m_textures[kMask]);
}

void CBorderEffect::End()
{
    DEMOGL_TextureUnUpload(m_textures[kPicture]);
    DEMOGL_TextureUnUpload(m_textures[kMask]);
}

void CBorderEffect::RenderFrame(long)
{
    // Light 1 is switched inside the push; its enable must be back afterwards.
    const LightEnableKeeper light1(GL_LIGHT1);
    glPushAttrib(kEffectAttribMask);

    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // Light 1 only: lighting itself stays as the frame's earlier effects left it.
    glDisable(GL_LIGHT1);
    glDisable(GL_FOG);

    SetViewAndProjection(m_width, m_height, kNearPlane, 100.0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -58.0f);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    // Where the mask is black only the picture remains; where it is white the frame shows
    // through with the picture added.
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, m_textures[kMask]);
    DrawFullViewQuad();

    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, m_textures[kPicture]);
    DrawFullViewQuad();

    glPopAttrib();
    light1.Restore();
}
