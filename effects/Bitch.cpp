// BITCH: the model "dat/m_bitch.ms3d", lit by GL's default light 0 and added onto the frame
// (source alpha, one) under a swaying camera while it turns about the vertical axis. Clears
// depth only, so the colour that earlier effects drew stays under and through the model.
// Leaves behind: both matrices, the viewport, shade model, perspective hint, and the model's
// last material and texture binding. Depends on Model (assets/) and the library's CEffect.
#include "Bitch.h"

#include "EffectCommon.h"
#include "ModelScene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

constexpr const char* kModelFile = "dat/m_bitch.ms3d";

} // namespace

CBitchEffect::CBitchEffect() = default;

CBitchEffect::~CBitchEffect()
{
    delete m_model;
}

int CBitchEffect::Init(int iWidth, int iHeight)
{
    if (!LoadSceneModel("BITCH", kModelFile, m_model))
        return 0;
    m_width = iWidth;
    m_height = iHeight;
    m_timeOffset = -1;
    return 0;
}

void CBitchEffect::Prepare() { ReloadSceneTextures(m_model); }

void CBitchEffect::End() {}

void CBitchEffect::RenderFrame(long lElapsedTime)
{
    // The depth test goes on below, after the blend set-up.
    const LightEnableKeeper light0 = OpenModelSceneFrame(m_width, m_height, false);

    // Light 0 keeps GL's defaults: white, directional, along the view axis.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);

    // Half a unit per second; t = 0 at elapsed -1.
    const float t = static_cast<float>(lElapsedTime - m_timeOffset) * 0.0005f;
    glLoadIdentity();
    gluLookAt(50.0f * std::sin(3.9f * t), 50.5f * std::cos(4.9f * t) + 60.0f, 135.0, 0.0, 10.0, 0.0, 0.0,
              1.0, 0.0);
    glTranslatef(5.5f * std::sin(1.7f * t), 0.0f, 0.0f);
    // A steady 144 degrees per second plus a wobble of +-120 degrees.
    glRotatef(120.0f * std::sin(2.5f * t) + 0.8f * t * 360.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(50.0f, 0.0f, 1.0f, 0.0f);

    // Depth only: the colour buffer keeps what the frame's earlier effects drew.
    glClear(GL_DEPTH_BUFFER_BIT);
    DrawSceneModel(m_model);
    CloseModelSceneFrame(light0);
}
