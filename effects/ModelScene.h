// What the three model scenes (BITCH, TUNNEL, CREDITS) do alike: loading their model, reloading
// its textures, and the frame around it.
#pragma once

#include <GL/gl.h>

#include <cstdio>

#include "DemoGL.h"
#include "EffectCommon.h"
#include "LightEnableKeeper.h"
#include "Model.h"

// Replaces `model` (deleting one an earlier Init made) with a new model loaded from fileName.
// On failure the user gets the scenes' message box, whose text names a placeholder path, and
// the real path goes to standard error beside it; the empty model stays, so frames draw nothing.
inline bool LoadSceneModel(const char* effectName, const char* fileName, Ms3dModel*& model)
{
    delete model;
    model = new Ms3dModel();
    if (model->LoadModelData(fileName))
        return true;
    std::fprintf(stderr, "%s: cannot load the model \"%s\"\n", effectName, fileName);
    MessageBoxA(nullptr, "Couldn't load the model dat\\model.ms3d", "Error", MB_ICONERROR);
    return false;
}

// Prepare: the model makes fresh texture names for its materials and deletes the ones it made
// before. Nothing happens before the first Init.
inline void ReloadSceneTextures(Ms3dModel* model)
{
    if (model != nullptr)
        model->ReloadTextures();
}

// Draws the model, if there is one, under the current matrices and blend state.
inline void DrawSceneModel(Ms3dModel* model)
{
    if (model != nullptr)
        model->Draw();
}

// The frame up to the scene: OpenEffectFrame with black clear values at half alpha, the depth
// test switched on there unless enableDepthTest is false, then the whole view in a 45-degree
// perspective from 1 to 1000 with an identity model-view. Returns light 0's enable as the
// frame found it, for CloseModelSceneFrame: every scene switches light 0 inside its push.
inline LightEnableKeeper OpenModelSceneFrame(int width, int height, bool enableDepthTest)
{
    const LightEnableKeeper light0(GL_LIGHT0);
    OpenEffectFrame(ClearValues::BlackHalfAlpha, enableDepthTest);
    SetViewAndProjection(width, height, 1.0, 1000.0);
    return light0;
}

// After the scene: the attribute push undone and light 0's enable put back.
inline void CloseModelSceneFrame(const LightEnableKeeper& light0)
{
    glPopAttrib();
    light0.Restore();
}
