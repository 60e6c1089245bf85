#pragma once

#include "DemoGL.h"

// A point of the LAND camera, in world units.
struct LandVector
{
    float x, y, z;
};

// Side of the square height map, in samples, and its size in bytes.
constexpr int kLandMapSize = 512;
constexpr int kLandMapBytes = kLandMapSize * kLandMapSize;

// Reads up to size raw bytes of the file at path into buffer, in one read. The buffer is
// zeroed first, so bytes the file does not have (missing or short file) read as 0. A file that
// cannot be opened shows "Can't Find The Height Map!", a read error "Failed To Get Data!";
// reaching the end of a short file is not an error.
void LoadRawFile(const char* path, int size, unsigned char* buffer);

class CLandEffect : public CEffect
{
public:
    CLandEffect();
    ~CLandEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    // Takes no script parameters: every name is ignored.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    int m_width = kResolutions[2].m_iWidth;
    int m_height = kResolutions[2].m_iHeight;
    unsigned int m_texture = 0;
    int m_startTime = -1;
    LandVector m_eye = {0.0f, 30.0f, -200.0f};
    LandVector m_center = {0.0f, 0.0f, 0.0f};
    // Row r (z), column c (x) at 512 * r + c; all zeros until a file fills it.
    unsigned char m_heightMap[kLandMapBytes] = {};
    float m_scale = 0.15f;
};
