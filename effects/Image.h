#pragma once

#include "DemoGL.h"

class CImageEffect : public CEffect
{
public:
    CImageEffect();
    ~CImageEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    // "HP_GLOW", "GREETZ1" and "GREETZ2" pick the picture by name alone.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    static constexpr int kTextureCount = 4;

    // Picture shown: the masked logo, the first or the second greetings card.
    static constexpr int kLogo = 0;
    static constexpr int kGreetings1 = 1;
    static constexpr int kGreetings2 = 2;

    // The sway of the greetings cards' corners at time t (ms), at most 0.5 either way.
    static float CornerSway(long lElapsedTime);
    // The sideways drift of the first greetings card at time t (ms).
    static float CardDrift(long lElapsedTime);

    int m_width = 0;
    int m_height = 0;
    // Logo image, logo mask, first greetings, second greetings, in this order.
    unsigned int m_textures[kTextureCount] = {0, 0, 0, 0};
    int m_image = kLogo;

private:
    void DrawLogo();
    void DrawFirstGreetings(float sway, float drift);
    void DrawSecondGreetings(float sway);
};
