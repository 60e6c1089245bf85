// The unit cube's tables and its display list.
#include "UnitCube.h"

#include <GL/gl.h>

#include <cstring>

namespace {

// Corners of the cube of side 1 centred on the origin.
constexpr float kCorners[8][3] = {
    {-0.5f, -0.5f, 0.5f}, {-0.5f, -0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f}, {-0.5f, 0.5f, 0.5f},
    {0.5f, -0.5f, 0.5f},  {0.5f, -0.5f, -0.5f},  {0.5f, 0.5f, -0.5f},  {0.5f, 0.5f, 0.5f},
};

// Corner indices per face, clockwise as seen from outside the cube.
constexpr int kFaces[6][4] = {
    {0, 1, 2, 3}, {3, 2, 6, 7}, {7, 6, 5, 4}, {4, 5, 1, 0}, {5, 6, 2, 1}, {7, 4, 0, 3},
};

// One outward normal per face: -x, +y, +x, -y, -z, +z.
constexpr float kNormals[6][3] = {
    {-1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f},
    {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 1.0f},
};

} // namespace

const float kUnitCubeTexCoords[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};

void FillUnitCube(int faces[6][4], float vertices[8][3], float normals[6][3])
{
    std::memcpy(faces, kFaces, sizeof(kFaces));
    std::memcpy(vertices, kCorners, sizeof(kCorners));
    std::memcpy(normals, kNormals, sizeof(kNormals));
}

unsigned int CompileUnitCube(const int faces[6][4], const float vertices[8][3], const float normals[6][3],
                             unsigned int previousList)
{
    // The list a previous Prepare compiled is never called again.
    if (previousList != 0)
        glDeleteLists(previousList, 1);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    for (int face = 0; face < 6; ++face)
    {
        glBegin(GL_QUADS);
        glNormal3fv(normals[face]);
        for (int corner = 0; corner < 4; ++corner)
        {
            glTexCoord2f(kUnitCubeTexCoords[corner][0], kUnitCubeTexCoords[corner][1]);
            glVertex3fv(vertices[faces[face][corner]]);
        }
        glEnd();
    }
    glEndList();
    return list;
}
