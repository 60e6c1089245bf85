#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include "DemoGL.h"

// Number of textures KAOS owns (see the table in Kaos.cpp).
constexpr int kKaosTextureCount = 15;

class CKaosEffect : public CEffect
{
public:
    CKaosEffect();
    ~CKaosEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;
    // "SL", "SR", "QLG", "FH", "HAMMER", "TCUBE", "HEAD" switch the layers; any other name is
    // ignored.
    void ReceiveInt(char* pszName, int iValue, long lParam) override;

    PFNGLACTIVETEXTUREARBPROC m_glActiveTextureARB = nullptr;
    PFNGLMULTITEXCOORD2FARBPROC m_glMultiTexCoord2fARB = nullptr;
    int m_width = 0;
    int m_height = 0;
    unsigned int m_textures[kKaosTextureCount] = {};
    bool m_showLeftSpeaker = false;
    bool m_showRightSpeaker = false;
    bool m_showGlow = false;
    bool m_showFh = false;
    // Level of the FH outer shape; exactly 1.0 means "restart at the next frame".
    float m_outerShapeLevel = 0.0f;
    float m_fhLevel = 1.0f;
    int m_fhLastTime = 0;
    bool m_fhFadeOut = false;
    bool m_showHammer = false;
    int m_hammerMode = 0;
    bool m_showCube = false;
    // One beat at 142 per minute, in ms: the float nearest to 60000 / 142.
    float m_period = 422.53521728515625f;
    int m_cubeMode = 0;
    unsigned int m_cubeList = 0;
    bool m_showHead = false;
    bool m_headRestart = false;
    int m_headStartTime = 0;
    float m_headLevel = 0.0f;
    int m_cubeFaces[6][4] = {};
    float m_cubeVertices[8][3] = {};
    float m_cubeNormals[6][3] = {};
    bool m_multitexture = false;

private:
    void DrawLeftSpeaker();
    void DrawRightSpeaker();
    void DrawGlow(float t);
    void DrawFh(int elapsed);
    void DrawHammer(float t);
    void DrawCube(float t);
    void DrawHead(int elapsed);
    void DrawMultitextureCube();
    void DrawTwoPassCube();
};
