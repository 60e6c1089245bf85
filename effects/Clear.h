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
    // "METHOD" 0 to 3 chooses clear, trail, fade up or fade down (another value draws nothing);
    // "SCISSOR" 1 turns the letterbox band on, any other value off.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    int m_width = 0;
    int m_height = 0;
    // 0 clear, 1 trail, 2 fade up, 3 fade down; a finished fade goes back to 0.
    int m_method = 0;
    // Grey level of the fade, 0 to 1.
    float m_level = 0.0f;
    // When set, every frame ends with the letterbox scissor band set and enabled.
    bool m_scissor = false;
};
