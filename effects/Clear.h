#pragma once

#include "DemoGL.h"

class CClearEffect : public CEffect
{
public:
    CClearEffect();
    ~CClearEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    int m_width = 0;
    int m_height = 0;
    int m_method = 0;
    float m_level = 0.0f;
    bool m_scissor = false;
};
