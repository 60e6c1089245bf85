// The frame set-up, texture handling and cube list that SPIRAL and SPACE share.
// Leaves behind: viewport, projection, model-view, GL_TEXTURE_2D on, depth function GL_LEQUAL,
// modulated texture environment, sphere-map generation modes, the fog parameters and hint and
// the scene's texture bound; every enable but GL_TEXTURE_2D is as the frame found it.
// Depends on the library's textures and the unit cube.
#include "CubeScene.h"

#include "EffectCommon.h"
#include "UnitCube.h"

#include <GL/gl.h>
#include <GL/glu.h>

unsigned int LoadCubeSceneTexture(const char* fileName)
{
    return LoadEffectTexture(fileName, kImageTypeJpeg, GL_CLAMP, GL_RGB5_A1);
}

unsigned int PrepareCubeScene(unsigned int texture, const int faces[6][4], const float vertices[8][3],
                              const float normals[6][3], unsigned int previousList)
{
    DEMOGL_TextureUpload(texture);
    return CompileUnitCube(faces, vertices, normals, previousList);
}

void EndCubeScene(unsigned int texture)
{
    DEMOGL_TextureUnUpload(texture);
}

LightEnableKeeper BeginCubeSceneFrame(int width, int height, unsigned int texture, const CubeSceneFog& fog)
{
    // These come before the push on purpose: the next effect inherits them.
    SetViewAndProjection(width, height, 0.1, 200.0);
    glEnable(GL_TEXTURE_2D);

    const LightEnableKeeper light0(GL_LIGHT0);
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // Sphere-map coordinates replace the ones compiled into the cube list.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glBindTexture(GL_TEXTURE_2D, texture);

    // The fog colour is whatever the frame already has.
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_DENSITY, 1.0f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, fog.start);
    glFogf(GL_FOG_END, fog.end);
    if (fog.drawWithFog)
        glEnable(GL_FOG);
    else
        glDisable(GL_FOG);
    return light0;
}

void EndCubeSceneFrame(const LightEnableKeeper& light0)
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glPopAttrib();
    light0.Restore();
}
