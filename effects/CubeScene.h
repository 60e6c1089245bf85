// The pieces SPIRAL and SPACE share: their texture load, the cube list they compile in Prepare,
// the texture release in End, and the frame set-up and close around their scenes. The two
// scenes differ only in the texture file, the fog range, whether fog is on while they draw, and
// the scene itself.
#pragma once

#include "LightEnableKeeper.h"

// The fog a cube scene sets up. Start and end stay in the GL fog state after the frame either
// way; drawWithFog false sets the same parameters and then switches fog off for the scene.
struct CubeSceneFog
{
    float start;
    float end;
    bool drawWithFog;
};

// Init: loads the scene's texture (JPEG, clamped, linear, GL_RGB5_A1) and returns its id,
// 0 when the load failed (not an error for these scenes).
unsigned int LoadCubeSceneTexture(const char* fileName);

// Prepare: uploads the texture (the result is not examined) and returns a newly compiled unit
// cube list. The list compiled by the previous Prepare (previousList, 0 for none) is deleted,
// since nothing calls it again.
unsigned int PrepareCubeScene(unsigned int texture, const int faces[6][4], const float vertices[8][3],
                              const float normals[6][3], unsigned int previousList);

// End: releases the uploaded texture. The cube list stays until the next Prepare.
void EndCubeScene(unsigned int texture);

// The frame up to the scene: viewport, 45-degree projection to 200, identity model-view and
// GL_TEXTURE_2D on (none of it undone later), then the enable-bit push, depth test (GL_LEQUAL),
// lighting with light 0 as it stands, modulated sphere-mapped texture, and linear fog.
// Returns light 0's enable as the frame found it, for EndCubeSceneFrame.
LightEnableKeeper BeginCubeSceneFrame(int width, int height, unsigned int texture, const CubeSceneFog& fog);

// After the scene: texture generation off, the enable bits popped, light 0's enable put back.
void EndCubeSceneFrame(const LightEnableKeeper& light0);
