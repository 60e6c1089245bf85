#pragma once

#include "DemoGL.h"

// Takes no script parameters: ReceiveInt keeps the library's default.
class CFlagEffect : public CEffect
{
public:
    CFlagEffect();
    ~CFlagEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;

    // Grid points along x (columns) and along y (rows).
    static constexpr int kGridSize = 45;

    int m_width = 0;
    int m_height = 0;
    // t_flag.jpg; 0 when the load failed.
    unsigned int m_texture = 0;
    // Subtracted from the elapsed time in the rocking formula; always -1.
    int m_timeOffset = -1;
    // m_points[i][j] = (x, y, z) of column i and row j. x and y never change after Init; z
    // depends only on the column.
    float m_points[kGridSize][kGridSize][3] = {};
    // Frames counted towards the next wave shift.
    int m_frameCount = 0;

private:
    void ShiftWave();
};
