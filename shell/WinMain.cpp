// The demo's entry point: creates one object of each effect class, hands the library its
// start-up configuration, registers the effects under their script names, runs the show and
// deletes the effects again. Everything in between belongs to the library.
#include <GL/gl.h>

#include <cstring>

#include "DemoGL.h"
#include "EffectTable.h"

namespace {

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
    // One object of each effect, created in the table's order.
    CEffect* effects[kEffectCount] = {};
    for (int i = 0; i < kEffectCount; ++i)
        effects[i] = kEffectTable[i].factory();

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

    for (int i = 0; i < kEffectCount; ++i)
        DEMOGL_EffectRegister(effects[i], kEffectTable[i].name);

    DEMOGL_LoadingPBEnable(1, 1.0f, 0.02f, 0.0f, 0.0f);
    DEMOGL_LoadingPBSetAppearance(true, false, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, 1.0f, 0.5f, 0.5f, 0.5f,
                                  1.0f, 1.0f, 1.0f);

    // The show's result does not change the shutdown.
    DEMOGL_AppRun(instance, &startup, "zarnovelt", false, 0, 0, 1);
    DEMOGL_AppEnd();

    // Deleted in the order they were created; delete passes over an object that does not exist.
    for (CEffect* effect : effects)
        delete effect;
    return 0;
}
