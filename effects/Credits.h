#pragma once

#include "DemoGL.h"
#include "Model.h"

class CCreditsEffect : public CEffect
{
public:
    CCreditsEffect();
    ~CCreditsEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    // "CODING" and "QV": 1 fades the caption in, 2 out, anything else hides it.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    CCreditsEffect(const CCreditsEffect&) = delete;
    CCreditsEffect& operator=(const CCreditsEffect&) = delete;

    // Every field is defined before Init, so that Prepare, End, ReceiveInt and frames after a
    // failed model load are harmless: the library's default render size, the usual time
    // offset, both captions hidden at alpha 0 and texture id 0 (which the library refuses).
    int m_width = kResolutions[2].m_iWidth;
    int m_height = kResolutions[2].m_iHeight;
    int m_timeOffset = 2000;
    unsigned int m_captionTexture = 0;
    unsigned int m_nameTexture = 0;
    bool m_showCaption = false;
    bool m_captionFadingIn = false;
    bool m_captionFadingOut = false;
    float m_captionAlpha = 0.0f;
    bool m_showName = false;
    bool m_nameFadingIn = false;
    bool m_nameFadingOut = false;
    float m_nameAlpha = 0.0f;
    Ms3dModel* m_model = nullptr;
};
