// A display list: the calls made between glNewList and glEndList, replayed by glCallList.
// Vertices and their attributes are kept as data; every other call as a closure over its
// arguments. A run of glBegin/glEnd blocks with nothing but vertex data in between is built
// once into a static buffer of triangles and drawn with one draw call.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "fixedfunction/State.h"

namespace ff {

enum class ListOp : uint8_t
{
    Call,
    Begin,
    End,
    Vertex,
    Color,
    Normal,
    TexCoord,
};

struct ListCommand
{
    ListOp op;
    GLenum value;     // Begin: the primitive; TexCoord: the unit; Call / Mesh: the index
    float v[4];
    int32_t mesh;     // Begin: the static mesh that replaces the run starting here, or -1
};

// Triangles built from a run of Begin/End blocks. An attribute is either per vertex (set in
// the list before every vertex that uses it) or taken from the current value at the call.
struct StaticMesh
{
    GLuint buffer = 0;
    GLsizei count = 0;              // vertices, three per triangle
    bool perVertex[4] = {};         // color, normal, tex0, tex1
    float last[4][4] = {};          // a per-vertex attribute's value after the run (left current)
    size_t skipTo = 0;              // the command after the run's last End
};

struct DisplayList
{
    std::vector<ListCommand> commands;
    std::vector<std::function<void()>> calls;
    std::vector<StaticMesh> meshes;
    // Finds the runs that can be static meshes and builds them.
    void Build();
    void Release(bool callGl);
};

// Executes a list (glCallList).
void ExecuteList(DisplayList& list);

// Records a call into the list being compiled.
void RecordCall(std::function<void()> call);
void RecordData(ListOp op, GLenum value, const float* v, int count);

} // namespace ff
