#include "RecordingLibrary.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace {

struct State
{
    std::vector<std::string> calls;
    std::map<const CEffect*, int> effects;     // constructed effects, by construction order
    int nextEffect = 0;
    std::vector<unsigned char> recordAtAppRun;
    std::vector<unsigned char> recordAtAppEnd;
    const SStartupDat* record = nullptr;
    int appRunResult = kAppRunOk;
};

State& Recorded()
{
    static State state;
    return state;
}

void Record(const std::string& call) { Recorded().calls.push_back(call); }

std::string Effect(const CEffect* effect)
{
    auto found = Recorded().effects.find(effect);
    return found == Recorded().effects.end() ? "unknown effect" : "effect " + std::to_string(found->second);
}

std::string Text(const char* text) { return text == nullptr ? "null" : "\"" + std::string(text) + "\""; }

std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::vector<unsigned char> Bytes(const SStartupDat* record)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(record);
    return std::vector<unsigned char>(bytes, bytes + sizeof(SStartupDat));
}

} // namespace

namespace RecordingLibrary
{
const std::vector<std::string>& Calls() { return Recorded().calls; }
const std::vector<unsigned char>& RecordAtAppRun() { return Recorded().recordAtAppRun; }
const std::vector<unsigned char>& RecordAtAppEnd() { return Recorded().recordAtAppEnd; }

void Reset(int appRunResult)
{
    Recorded() = State();
    Recorded().appRunResult = appRunResult;
}
} // namespace RecordingLibrary

// ---------------------------------------------------------------------------------------------
// The library's functions, recorded
// ---------------------------------------------------------------------------------------------

CEffect::CEffect()
{
    const int number = Recorded().nextEffect++;
    Recorded().effects[this] = number;
    Record("Create(effect " + std::to_string(number) + ")");
}

CEffect::~CEffect() { Record("Delete(" + Effect(this) + ")"); }

// The shell itself never drives an effect: any slot reached is recorded, and fails the test.
int CEffect::Init(int, int)
{
    Record("Init(" + Effect(this) + ")");
    return 0;
}
void CEffect::RenderFrame(long) { Record("RenderFrame(" + Effect(this) + ")"); }
void CEffect::ReceiveParam(char*) { Record("ReceiveParam(" + Effect(this) + ")"); }
void CEffect::Prepare() { Record("Prepare(" + Effect(this) + ")"); }
void CEffect::End() { Record("End(" + Effect(this) + ")"); }
void CEffect::MessageHandler(HWND, unsigned int, unsigned int, long) { Record("MessageHandler(" + Effect(this) + ")"); }
void CEffect::ReceiveInt(char*, int, long) { Record("ReceiveInt(" + Effect(this) + ")"); }
void CEffect::ReceiveFloat(char*, float, long) { Record("ReceiveFloat(" + Effect(this) + ")"); }
void CEffect::ReceiveString(char*, char*, long) { Record("ReceiveString(" + Effect(this) + ")"); }
void CEffect::RenderFrameEx(long, long) { Record("RenderFrameEx(" + Effect(this) + ")"); }

bool DEMOGL_SetVariable(int id, bool value)
{
    Record("SetVariable(" + std::to_string(id) + ", bool " + (value ? "true" : "false") + ")");
    return true;
}

bool DEMOGL_SetVariable(int id, int value)
{
    Record("SetVariable(" + std::to_string(id) + ", int " + std::to_string(value) + ")");
    return true;
}

bool DEMOGL_SetVariable(int id, const char* value)
{
    Record("SetVariable(" + std::to_string(id) + ", text " + Text(value) + ")");
    return true;
}

bool DEMOGL_EffectRegister(CEffect* effect, const char* name)
{
    Record("Register(" + std::string(name != nullptr ? name : "null") + ", " + Effect(effect) + ")");
    return true;
}

void DEMOGL_LoadingPBEnable(int enable, float width, float height, float x, float y)
{
    Record("LoadingPBEnable(" + std::to_string(enable) + ", " + Number(width) + ", " + Number(height) + ", " +
           Number(x) + ", " + Number(y) + ")");
}

void DEMOGL_LoadingPBSetAppearance(bool drawBar, bool picture, unsigned int source, unsigned int destination,
                                   float opacity, float barR, float barG, float barB, float borderR, float borderG,
                                   float borderB)
{
    char blends[64];
    std::snprintf(blends, sizeof blends, "0x%X, 0x%X", source, destination);
    Record(std::string("LoadingPBSetAppearance(") + (drawBar ? "true" : "false") + ", " + (picture ? "true" : "false") +
           ", " + blends + ", " + Number(opacity) + ", " + Number(barR) + ", " + Number(barG) + ", " + Number(barB) +
           ", " + Number(borderR) + ", " + Number(borderG) + ", " + Number(borderB) + ")");
}

int DEMOGL_AppRun(HINSTANCE instance, const SStartupDat* record, const char* id, bool debug, unsigned char major,
                  unsigned char minor, int build)
{
    char handle[32];
    std::snprintf(handle, sizeof handle, "%p", static_cast<void*>(instance));
    Record(std::string("AppRun(instance ") + handle + ", " + (record != nullptr ? "record" : "null") + ", " + Text(id) +
           ", " + (debug ? "true" : "false") + ", " + std::to_string(major) + ", " + std::to_string(minor) + ", " +
           std::to_string(build) + ")");
    Recorded().record = record;
    if (record != nullptr)
        Recorded().recordAtAppRun = Bytes(record);
    return Recorded().appRunResult;
}

void DEMOGL_AppEnd()
{
    Record("AppEnd()");
    if (Recorded().record != nullptr)
        Recorded().recordAtAppEnd = Bytes(Recorded().record);
}

unsigned int DEMOGL_TextureLoad(const char* file, int, int, int, int, int, int, bool, bool, int, int, int)
{
    Record("TextureLoad(" + Text(file) + ")");
    return 0;
}

int DEMOGL_TextureUpload(unsigned int) { return 1; }
int DEMOGL_TextureUnUpload(unsigned int) { return 1; }
bool DEMOGL_ExtensionCheckIfAvailable(int) { return false; }
int DemoRand() { return 0; }
void DemoSrand(unsigned int) {}

// On Windows the system has GetFocus and wglGetProcAddress, and the demo's MessageBoxA is the
// library's DemoMessageBoxA (Win32Shim.h).
#ifdef _WIN32
int WINAPI DemoMessageBoxA(HWND, LPCSTR text, LPCSTR, UINT)
#else
int MessageBoxA(HWND, const char* text, const char*, unsigned int)
#endif
{
    Record("MessageBoxA(" + Text(text) + ")");
    return IDOK;
}

#ifndef _WIN32
HWND GetFocus() { return nullptr; }
PROC wglGetProcAddress(const char*) { return nullptr; }
#endif
