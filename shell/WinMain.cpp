// The demo's entry point: creates one object of each effect class, hands the library its
// start-up configuration, registers the effects under their script names, runs the show and
// deletes the effects again. Everything in between belongs to the library.
#include <GL/gl.h>

#include <cstring>

#include "DemoGL.h"
#include "Effects.h"

namespace {

// One effect of the registry: the object and the name the timeline script uses for it.
struct RegistryEntry
{
    CEffect* effect;
    const char* name;
};

// Creation order, which is also the order of registration and of deletion.
constexpr int kEffectCount = 15;

void CreateEffects(RegistryEntry (&registry)[kEffectCount])
{
    int next = 0;
    registry[next++] = {new CBallsEffect, "BALLS"};
    registry[next++] = {new CBackgroundEffect, "BACKGROUND"};
    registry[next++] = {new CImageEffect, "IMAGE"};
    registry[next++] = {new CClearEffect, "CLEAR"};
    registry[next++] = {new CFlagEffect, "FLAG"};
    registry[next++] = {new CPartyEffect, "PARTY"};
    registry[next++] = {new CBitchEffect, "BITCH"};
    registry[next++] = {new CCreditsEffect, "CREDITS"};
    registry[next++] = {new CStarfieldEffect, "STARFIELD"};
    registry[next++] = {new CLandEffect, "LAND"};
    registry[next++] = {new CTunnelEffect, "TUNNEL"};
    registry[next++] = {new CBorderEffect, "BORDER"};
    registry[next++] = {new CKaosEffect, "KAOS"};
    registry[next++] = {new CSpiralEffect, "SPIRAL"};
    registry[next++] = {new CSpaceEffect, "SPACE"};
}

void FillStartupRecord(SStartupDat* record)
{
    std::memset(record, 0, sizeof(*record));
    record->m_bResolutionChoice = true;
    record->m_iDefaultResolution = 2;
    record->m_bWindowModeChoice = true;
    record->m_bSoundChoice = true;
    record->m_bFrameSyncChoice = true;
    std::strncpy(record->m_szDemoName, "Zarnovelt", sizeof(record->m_szDemoName));
    std::strncpy(record->m_szGroupName, "Quillmarsh party gang", sizeof(record->m_szGroupName));
    record->m_bSound = true;
    record->m_bFrameSync = true;
    record->m_bFullScreen = false;
    record->m_iDisplayIndex = 0;
    record->m_b32BitColour = true;
    record->m_bDepthBuffer = true;
    record->m_bStencilBuffer = false;
    record->m_bRememberSettings = false;
    record->m_bAlwaysOnTop = false;
    record->m_iMusicVolume = 90;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RegistryEntry registry[kEffectCount] = {};
    CreateEffects(registry);

    DEMOGL_SetVariable(1, true);
    DEMOGL_SetVariable(2, 1);
    DEMOGL_SetVariable(3, 0);
    DEMOGL_SetVariable(4, "revizi.xxx");
    DEMOGL_SetVariable(5, "demoflow.txt");
    DEMOGL_SetVariable(6, false);
    DEMOGL_SetVariable(7, true);
    DEMOGL_SetVariable(8, true);
    DEMOGL_SetVariable(9, false);
    DEMOGL_SetVariable(10, true);
    DEMOGL_SetVariable(11, false);
    DEMOGL_SetVariable(12, false);

    // The record stays in place and unchanged until DEMOGL_AppEnd has returned.
    static SStartupDat startup;
    FillStartupRecord(&startup);

    for (const RegistryEntry& entry : registry)
        DEMOGL_EffectRegister(entry.effect, entry.name);

    DEMOGL_LoadingPBEnable(1, 1.0f, 0.02f, 0.0f, 0.0f);
    DEMOGL_LoadingPBSetAppearance(true, false, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, 1.0f, 0.5f, 0.5f, 0.5f,
                                  1.0f, 1.0f, 1.0f);

    // The show's result does not change the shutdown.
    DEMOGL_AppRun(instance, &startup, "zarnovelt", false, 0, 0, 1);
    DEMOGL_AppEnd();

    for (RegistryEntry& entry : registry)
    {
        delete entry.effect;
        entry.effect = nullptr;
    }
    return 0;
}
