#pragma once

#include "DemoGL.h"

class CSpaceEffect : public CEffect
{
public:
    CSpaceEffect();
    ~CSpaceEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    // Takes no script parameters: every name is ignored.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    int m_width = 0;
    int m_height = 0;
    // spiral/t_cube_2.jpg; 0 when the load failed.
    unsigned int m_texture = 0;
    unsigned int m_cubeList = 0;
    int m_cubeFaces[6][4] = {};
    float m_cubeVertices[8][3] = {};
    float m_cubeNormals[6][3] = {};
};
