// What the three model scenes (BITCH, TUNNEL, CREDITS) do alike when they load their model.
#pragma once

#include <cstdio>

#include "DemoGL.h"
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
