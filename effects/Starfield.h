#pragma once

#include "DemoGL.h"

class CStarfieldEffect : public CEffect
{
public:
    CStarfieldEffect();
    ~CStarfieldEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    // "RESET" scatters the stars again at the next frame.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    static constexpr int kStarCount = 200;

    int m_width = 0;
    int m_height = 0;
    // star_64.jpg; 0 when the load failed.
    unsigned int m_texture = 0;
    // Subtracted from the elapsed time in the rotation formula; always -1.
    int m_timeOffset = -1;
    // Elapsed time of the previous frame, ms.
    int m_lastTime = 0;
    // The next frame scatters the stars again (and does not move them).
    bool m_resetPending = true;
    // Travel factor of the current frame: frame milliseconds times 0.004.
    float m_step = 0.0f;
    // Added to every star's z when it is drawn.
    float m_depthOffset = -20.0f;
    // Loop index of the scatter and draw loops.
    unsigned int m_starIndex = 0;
    // x, y, z of each star; z runs from -20 (far, invisible) to 20 (the wrap).
    float m_stars[kStarCount][3] = {};

private:
    void Scatter();
};
