#pragma once

#include "DemoGL.h"

class CBackgroundEffect : public CEffect
{
public:
    CBackgroundEffect();
    ~CBackgroundEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    // "BGIMAGE" 1 or 2 picks that picture, any other value the first.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    static constexpr int kImageCount = 3;

    int m_width = 0;
    int m_height = 0;
    // t_background_01.jpg, t_background_02.jpg, t_background_03.jpg, in this order.
    unsigned int m_textures[kImageCount] = {0, 0, 0};
    // Index of the picture drawn, 0 to 2.
    int m_image = 0;
};
