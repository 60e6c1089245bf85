// The textured unit cube that KAOS, SPIRAL and SPACE draw: a cube of side 1 centred on the
// origin, as three tables each owner keeps in its own fields, and a display list compiled from
// them. The list holds geometry only (normals, texture coordinates, vertices): whoever calls
// it binds the texture and sets the state first.
#pragma once

// Texture coordinates of the first to fourth corner of every face.
extern const float kUnitCubeTexCoords[4][2];

// Writes the corner indices per face, the eight corners and the six outward normals.
void FillUnitCube(int faces[6][4], float vertices[8][3], float normals[6][3]);

// Compiles the cube into a new display list and returns its name. When previousList is not 0,
// that superseded list is deleted first. Needs a current GL context.
unsigned int CompileUnitCube(const int faces[6][4], const float vertices[8][3],
                             const float normals[6][3], unsigned int previousList = 0);
