#pragma once

#include "DemoGL.h"

// Takes no script parameters: ReceiveInt keeps the library's default.
class CBorderEffect : public CEffect
{
public:
    CBorderEffect();
    ~CBorderEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;

    static constexpr int kTextureCount = 2;

    int m_width = 0;
    int m_height = 0;
    // The border picture, then its mask.
    unsigned int m_textures[kTextureCount] = {0, 0};
};
