// LAND: a 32 x 32 grid of quads over the 512 x 512 height map "dat/terrain_1.raw", grey by
// height and textured with t_terrain_1.jpg, seen from a camera that follows timed phases for
// the first 40 s after the effect first draws (per-frame increments after the first 4 s).
// Leaves behind: both matrices, the viewport, shade model, perspective hint, white current
// colour and the terrain texture bound. Depends on the library's textures.
#include "Land.h"

#include "EffectCommon.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHeightMapFile = "dat/terrain_1.raw";
constexpr int kStep = 16;

// Height of the sample at grid column x and row z; the far edges (512) wrap to column or row 0.
int HeightAt(const unsigned char* heightMap, int x, int z)
{
    return heightMap[(z % kLandMapSize) * kLandMapSize + (x % kLandMapSize)];
}

// One terrain corner: grey by height, texture s along x and t along the height.
void TerrainVertex(const unsigned char* heightMap, int x, int z)
{
    const int h = HeightAt(heightMap, x, z);
    const float grey = static_cast<float>(h) * 0.00390625f;
    glColor3f(grey, grey, grey);
    glTexCoord2f(static_cast<float>(x) * 0.001953125f, static_cast<float>(h) * 0.001953125f);
    glVertex3i(x, h, z);
}

} // namespace

void LoadRawFile(const char* path, int size, unsigned char* buffer)
{
    if (buffer == nullptr || size <= 0)
        return;
    std::memset(buffer, 0, static_cast<size_t>(size));
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
    {
        MessageBoxA(nullptr, "Can't Find The Height Map!", "Error", MB_OK);
        return;
    }
    std::fread(buffer, 1, static_cast<size_t>(size), file);
    // A short file only reaches end of file; only a real read error is reported.
    if (std::ferror(file))
        MessageBoxA(nullptr, "Failed To Get Data!", "Error", MB_OK);
    std::fclose(file);
}

CLandEffect::CLandEffect() = default;
CLandEffect::~CLandEffect() = default;

int CLandEffect::Init(int iWidth, int iHeight)
{
    m_scale = 0.15f;
    LoadRawFile(kHeightMapFile, kLandMapBytes, m_heightMap);
    m_width = iWidth;
    m_height = iHeight;
    m_startTime = -1;
    // A missing texture is not reported here (the library reports it); the effect runs anyway.
    m_texture = LoadEffectTexture("t_terrain_1.jpg", kImageTypeJpeg, GL_REPEAT, GL_RGB5_A1);
    m_eye = {0.0f, 30.0f, -200.0f};
    m_center = {0.0f, 0.0f, 0.0f};
    return 0;
}

void CLandEffect::Prepare()
{
    DEMOGL_TextureUpload(m_texture);
}

void CLandEffect::End()
{
    DEMOGL_TextureUnUpload(m_texture);
}

void CLandEffect::ReceiveInt(char*, int, long) {}

void CLandEffect::RenderFrame(long lElapsedTime)
{
    glPushAttrib(kEffectAttribMask);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDisable(GL_BLEND);
    SetViewAndProjection(m_width, m_height, 0.1, 500.0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    // Time runs from the first frame ever drawn; a restart does not reset it.
    if (m_startTime == -1)
        m_startTime = static_cast<int>(lElapsedTime);
    const float t = static_cast<float>(lElapsedTime - m_startTime) * 0.001f;

    // The first phase places the camera by time; every later phase moves it by an amount per
    // frame, so from 4 s on the path depends on the frame rate. After 40 s it stays put.
    if (t < 4.0f)
    {
        m_eye.x = 12.0f * t;
        m_center.x = 8.0f * t;
        m_eye.z = 400.0f - 80.0f * t;
    }
    else if (t < 5.5f)
    {
        m_eye.y -= 0.01f * t;
        m_center.x += 0.05f * t;
        m_eye.z -= 0.1f * t;
        m_center.y += 0.05f * t;
    }
    else if (t < 9.0f)
    {
        m_center.x -= 0.05f * t;
        m_center.y += 0.01f * t;
    }
    else if (t < 12.0f)
    {
        m_center.x -= 0.05f * t;
        m_eye.y += 0.007f * t;
        m_center.y -= 0.04f * t;
    }
    else if (t < 13.0f)
    {
        m_eye.z += 0.029f * t;
        m_center.x += 0.012f * t;
        m_eye.x -= 0.02f * t;
    }
    else if (t < 16.0f)
    {
        m_center.z -= 0.002f * t;
        m_center.y -= 0.006f * t;
    }
    else if (t < 33.0f)
    {
        m_eye.x -= 0.12f * t;
        m_center.x += 0.282f * t;
        m_center.y += 0.182f * t;
    }
    else if (t < 40.0f)
    {
        m_eye.z -= 0.62f * t;
        m_center.z -= 0.122f * t;
    }

    glLoadIdentity();
    gluLookAt(m_eye.x, m_eye.y, m_eye.z, m_center.x, m_center.y, m_center.z, 0.0, 1.0, 0.0);
    glScalef(m_scale, m_scale, m_scale);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    // Not precomputed: every frame walks the map at a spacing of 16 samples.
    glBegin(GL_QUADS);
    for (int x = 0; x < kLandMapSize; x += kStep)
        for (int z = 0; z < kLandMapSize; z += kStep)
        {
            TerrainVertex(m_heightMap, x, z);
            TerrainVertex(m_heightMap, x, z + kStep);
            TerrainVertex(m_heightMap, x + kStep, z + kStep);
            TerrainVertex(m_heightMap, x + kStep, z);
        }
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopAttrib();
}
