// SPIRAL: 150 pairs of lit, sphere-mapped unit cubes on an elliptical spiral running away down
// the line of sight; the spiral turns and slides, each cube spins, linear fog (100 to 140)
// hides the far end. Every frame is a function of the elapsed time alone.
// Leaves behind: what the shared cube-scene frame leaves (fog 100/140) and a black current
// colour. Depends on the library's textures and the unit cube.
#include "Spiral.h"

#include "CubeScene.h"
#include "UnitCube.h"

#include <GL/gl.h>

#include <cmath>

namespace {

constexpr const char* kTextureFile = "spiral/t_cube_1.jpg";
constexpr CubeSceneFog kFog = {100.0f, 140.0f, true};
constexpr int kPairCount = 150;

} // namespace

CSpiralEffect::CSpiralEffect() = default;
CSpiralEffect::~CSpiralEffect() = default;

int CSpiralEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    // A missing texture is not fatal here: the cubes are drawn with whatever id we got.
    m_texture = LoadCubeSceneTexture(kTextureFile);
    FillUnitCube(m_cubeFaces, m_cubeVertices, m_cubeNormals);
    return 0;
}

void CSpiralEffect::Prepare()
{
    m_cubeList = PrepareCubeScene(m_texture, m_cubeFaces, m_cubeVertices, m_cubeNormals, m_cubeList);
}

void CSpiralEffect::End()
{
    EndCubeScene(m_texture);
}

void CSpiralEffect::ReceiveInt(char*, int, long) {}

void CSpiralEffect::RenderFrame(long lElapsedTime)
{
    const LightEnableKeeper light0 = BeginCubeSceneFrame(m_width, m_height, m_texture, kFog);

    const float time = static_cast<float>(lElapsedTime);
    // Turn of the whole spiral about z, spin of each cube (degrees), and the slide along the
    // line of sight, 0 to 100 with a period of 2 pi * 1400 ms.
    const float turn = time * 0.14285715f;
    const float spinY = time * 0.11111111f;
    const float spinZ = time * 0.083333336f;
    const float slide = static_cast<float>((std::sin(static_cast<double>(time * 0.0007142857f)) + 1.0) * 50.0);

    for (int i = 0; i < kPairCount; ++i)
    {
        // 25 steps per turn of the ellipse, 1.5 units further away per step.
        const float phi = static_cast<float>(i) * 0.04f * 6.283185f;
        const float x = 4.0f * std::sin(phi);
        const float y = 3.5f * std::cos(phi);
        glLoadIdentity();
        glRotatef(turn, 0.0f, 0.0f, 1.0f);
        glTranslatef(x, y, slide - 1.5f * static_cast<float>(i));
        glRotatef(spinY, 0.0f, 1.0f, 0.0f);
        glRotatef(spinZ, 0.0f, 0.0f, 1.0f);
        glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
        glCallList(m_cubeList);
        // The twin, offset in the cube's already spun frame: with no spin, the opposite
        // point of the ellipse.
        glTranslatef(-2.0f * x, -2.0f * y, 0.0f);
        glCallList(m_cubeList);
    }

    EndCubeSceneFrame(light0);
}
