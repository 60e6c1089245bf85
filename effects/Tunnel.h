#pragma once

#include "DemoGL.h"
#include "Model.h"

class CTunnelEffect : public CEffect
{
public:
    CTunnelEffect();
    ~CTunnelEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;

    CTunnelEffect(const CTunnelEffect&) = delete;
    CTunnelEffect& operator=(const CTunnelEffect&) = delete;

    // Defined before Init, so that frames after a failed model load still have a valid
    // viewport (the library's default render size) and the usual time offset.
    int m_width = kResolutions[2].m_iWidth;
    int m_height = kResolutions[2].m_iHeight;
    int m_timeOffset = 2000;
    Ms3dModel* m_model = nullptr;
};
