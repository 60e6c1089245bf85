// SPACE: a helix of 120 lit, sphere-mapped, spinning unit cubes rising along +z, turning about
// its axis, seen by a camera that sways at z = 50 looking towards -z. Drawn without fog; every
// frame is a function of the elapsed time alone.
// Leaves behind: what the shared cube-scene frame leaves, with fog start 60 and end 80 (fog
// itself as found); the current colour is untouched. Depends on the library's textures and
// the unit cube.
#include "Space.h"

#include "CubeScene.h"
#include "UnitCube.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

constexpr const char* kTextureFile = "spiral/t_cube_2.jpg";
// The fog parameters are set, but the scene is drawn with fog off.
constexpr CubeSceneFog kFog = {60.0f, 80.0f, false};
constexpr int kCubeCount = 120;

} // namespace

CSpaceEffect::CSpaceEffect() = default;
CSpaceEffect::~CSpaceEffect() = default;

int CSpaceEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    // A missing texture is not fatal here: the cubes are drawn with whatever id we got.
    m_texture = LoadCubeSceneTexture(kTextureFile);
    FillUnitCube(m_cubeFaces, m_cubeVertices, m_cubeNormals);
    return 0;
}

void CSpaceEffect::Prepare()
{
    m_cubeList = PrepareCubeScene(m_texture, m_cubeFaces, m_cubeVertices, m_cubeNormals, m_cubeList);
}

void CSpaceEffect::End()
{
    EndCubeScene(m_texture);
}

void CSpaceEffect::ReceiveInt(char*, int, long) {}

void CSpaceEffect::RenderFrame(long lElapsedTime)
{
    const LightEnableKeeper light0 = BeginCubeSceneFrame(m_width, m_height, m_texture, kFog);

    const double time = static_cast<double>(lElapsedTime);
    const float timeF = static_cast<float>(lElapsedTime);
    // Spin of each cube about y and the turn of the helix (and of each cube) about z, degrees.
    const float spin = timeF * 0.16666667f;
    const float turn = timeF * 0.14285715f;

    // The eye sways sideways (period 2 pi * 500 ms) and up and down (2 pi * 720 ms); the point
    // looked at bobs (2 pi * 1100 ms).
    gluLookAt(2.0 + 2.0 * std::sin(0.002 * time), 3.0 * std::cos(time * 0.0013888889) - 1.0, 50.0,
              0.0, std::sin(time * 0.0009090909), -10.0,
              0.0, 1.0, 0.0);

    for (int i = 0; i < kCubeCount; ++i)
    {
        glPushMatrix();
        glRotatef(-turn, 0.0f, 0.0f, 1.0f);
        // 15 cubes per turn, rising one unit per cube.
        const float phi = static_cast<float>(i) * 0.06666667f * 6.283185f;
        glTranslatef(2.3f * std::sin(phi), 2.8f * std::cos(phi), static_cast<float>(i));
        glRotatef(spin, 0.0f, 1.0f, 0.0f);
        glRotatef(turn, 0.0f, 0.0f, 1.0f);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
        glCallList(m_cubeList);
        glPopMatrix();
    }

    EndCubeSceneFrame(light0);
}
