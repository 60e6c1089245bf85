// The library's default behaviour for the CEffect slots effects do not override.
#include "DemoGL.h"

CEffect::CEffect() = default;
CEffect::~CEffect() = default;
int CEffect::Init(int, int) { return 0; }
void CEffect::RenderFrame(long) {}
void CEffect::ReceiveParam(char*) {}
void CEffect::Prepare() {}
void CEffect::End() {}
void CEffect::MessageHandler(HWND, unsigned int, unsigned int, long) {}
void CEffect::ReceiveInt(char*, int, long) {}
void CEffect::ReceiveFloat(char*, float, long) {}
void CEffect::ReceiveString(char*, char*, long) {}
void CEffect::RenderFrameEx(long lElapsedTime, long) { RenderFrame(lElapsedTime); }
