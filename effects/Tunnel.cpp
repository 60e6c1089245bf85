// TUNNEL: the model "dat/m_tunnel.ms3d", unlit, in black exponential fog, seen from the origin
// down -z while it slides back and forth along z and rolls about it. Clears nothing and leaves
// blending exactly as it finds it. Leaves behind: both matrices, the viewport, shade model,
// perspective and fog hints, the fog mode, density, start and end, and the model's last texture
// binding. Depends on Model (assets/) and the library's CEffect.
#include "Tunnel.h"

#include "EffectCommon.h"
#include "ModelScene.h"

#include <GL/gl.h>

#include <cmath>

namespace {

constexpr const char* kModelFile = "dat/m_tunnel.ms3d";

} // namespace

CTunnelEffect::CTunnelEffect() = default;

CTunnelEffect::~CTunnelEffect()
{
    delete m_model;
}

int CTunnelEffect::Init(int iWidth, int iHeight)
{
    if (!LoadSceneModel("TUNNEL", kModelFile, m_model))
        return 0;
    m_width = iWidth;
    m_height = iHeight;
    m_timeOffset = 2000;
    return 0;
}

void CTunnelEffect::Prepare() { ReloadSceneTextures(m_model); }

void CTunnelEffect::End() {}

void CTunnelEffect::RenderFrame(long lElapsedTime)
{
    const LightEnableKeeper light0 = OpenModelSceneFrame(m_width, m_height, true);

    // Unlit: each vertex takes the current colour, which this effect does not set.
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);

    // Under GL_EXP only the density counts (factor e^(-0.01 d)); start and end are set anyway.
    // The fog colour is left as it is (GL's default black).
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, 0.01f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 130.0f);
    glFogf(GL_FOG_END, 180.0f);
    glEnable(GL_FOG);

    // Seconds since elapsed 2000 ms, negative before.
    const float t = static_cast<float>(lElapsedTime - m_timeOffset) * 0.001f;
    glLoadIdentity();
    // The model's origin swings between z = 95 and z = 335, behind the camera; the tube
    // reaches forward from there.
    glTranslatef(0.0f, 0.0f, 120.0f * std::sin(2.0f * t) + 215.0f);
    glRotatef(8.0f * std::sin(0.7f * t) + 6.0f * std::cos(0.4f * t), 0.0f, 0.0f, 1.0f);

    // Blending is neither set nor changed: the frame's blend enable and function apply.
    DrawSceneModel(m_model);
    CloseModelSceneFrame(light0);
}
