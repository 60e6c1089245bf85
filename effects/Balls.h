#pragma once

#include "DemoGL.h"

class CBallsEffect : public CEffect
{
public:
    CBallsEffect();
    ~CBallsEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    // Any parameter, whatever its name and value, asks for one clear at the next frame.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    int m_width = 0;
    int m_height = 0;
    // lightball.jpg; Init fails without it.
    unsigned int m_texture = 0;
    int m_timeOffset = -1;
    int m_clearRequest = 0;
};
