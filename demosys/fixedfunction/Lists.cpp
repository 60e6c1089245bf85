// Display lists: names, compiling, replay, and the static meshes built from a list's vertices.
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "fixedfunction/DisplayList.h"
#include "fixedfunction/EsFunctions.h"
#include "fixedfunction/Layer.h"
#include "fixedfunction/Record.h"

namespace ff {

namespace {

enum AttributeSlot
{
    kSlotColor,
    kSlotNormal,
    kSlotTex0,
    kSlotTex1
};

int SlotOf(const ListCommand& command)
{
    switch (command.op)
    {
    case ListOp::Color: return kSlotColor;
    case ListOp::Normal: return kSlotNormal;
    case ListOp::TexCoord: return command.value == 0 ? kSlotTex0 : kSlotTex1;
    default: return -1;
    }
}

// Tries to make the run of Begin/End blocks starting at `first` one static mesh.
bool BuildMesh(const std::vector<ListCommand>& commands, size_t first, StaticMesh* mesh)
{
    bool defined[4] = {};
    bool usedUndefined[4] = {};
    float value[4][4] = {};
    std::vector<Vertex> triangles;
    std::vector<Vertex> block;
    std::vector<uint32_t> indices;
    std::vector<uint8_t> edges;
    GLenum mode = 0;
    bool inBlock = false;
    size_t end = first;
    for (size_t i = first; i < commands.size(); ++i)
    {
        const ListCommand& c = commands[i];
        if (c.op == ListOp::Begin)
        {
            if (inBlock || !IsTriangleMode(c.value))
                break;
            inBlock = true;
            mode = c.value;
            block.clear();
            continue;
        }
        if (c.op == ListOp::End)
        {
            if (!inBlock)
                break;
            inBlock = false;
            Triangulate(mode, block.size(), false, &indices, &edges);
            for (uint32_t index : indices)
                triangles.push_back(block[index]);
            end = i + 1;
            continue;
        }
        if (c.op == ListOp::Vertex)
        {
            if (!inBlock)
                return false;
            Vertex v = {};
            std::memcpy(v.position, c.v, sizeof(v.position));
            for (int a = 0; a < 4; ++a)
                if (!defined[a])
                    usedUndefined[a] = true;
            std::memcpy(v.color, value[kSlotColor], sizeof(v.color));
            std::memcpy(v.normal, value[kSlotNormal], sizeof(v.normal));
            v.tex[0][0] = value[kSlotTex0][0];
            v.tex[0][1] = value[kSlotTex0][1];
            v.tex[1][0] = value[kSlotTex1][0];
            v.tex[1][1] = value[kSlotTex1][1];
            block.push_back(v);
            continue;
        }
        const int slot = SlotOf(c);
        if (slot < 0)
            break;
        // An attribute some vertex took from the current value, then set in the list:
        // the vertices cannot share one source for it.
        if (usedUndefined[slot])
            return false;
        defined[slot] = true;
        std::memcpy(value[slot], c.v, sizeof(value[slot]));
    }
    if (inBlock || triangles.empty())
        return false;
    // The attribute commands after the last End are not the mesh's: replay sets them.
    for (int a = 0; a < 4; ++a)
        defined[a] = false;
    for (size_t i = first; i < end; ++i)
    {
        const int slot = SlotOf(commands[i]);
        if (slot >= 0)
        {
            defined[slot] = true;
            std::memcpy(mesh->last[slot], commands[i].v, sizeof(mesh->last[slot]));
        }
    }
    for (int a = 0; a < 4; ++a)
        mesh->perVertex[a] = defined[a];
    EsFunctions& es = Es();
    es.GenBuffers(1, &mesh->buffer);
    es.BindBuffer(GL_ARRAY_BUFFER, mesh->buffer);
    es.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(triangles.size() * sizeof(Vertex)), triangles.data(),
                  GL_STATIC_DRAW);
    es.BindBuffer(GL_ARRAY_BUFFER, L().streamBuffer);
    mesh->count = static_cast<GLsizei>(triangles.size());
    mesh->skipTo = end;
    return true;
}

} // namespace

void DisplayList::Build()
{
    if (!L().loaded)
        return;
    for (size_t i = 0; i < commands.size(); ++i)
    {
        if (commands[i].op != ListOp::Begin)
            continue;
        StaticMesh mesh;
        if (!BuildMesh(commands, i, &mesh))
            continue;
        commands[i].mesh = static_cast<int32_t>(meshes.size());
        const size_t next = mesh.skipTo;
        meshes.push_back(mesh);
        i = next - 1;
    }
}

void DisplayList::Release(bool callGl)
{
    if (callGl)
        for (StaticMesh& mesh : meshes)
            if (mesh.buffer != 0)
                Es().DeleteBuffers(1, &mesh.buffer);
    meshes.clear();
}

void RecordCall(std::function<void()> call)
{
    Layer& l = L();
    ListCommand command = {};
    command.op = ListOp::Call;
    command.value = static_cast<GLenum>(l.compiling->calls.size());
    command.mesh = -1;
    l.compiling->calls.push_back(std::move(call));
    l.compiling->commands.push_back(command);
}

void RecordData(ListOp op, GLenum value, const float* v, int count)
{
    ListCommand command = {};
    command.op = op;
    command.value = value;
    command.mesh = -1;
    for (int i = 0; i < count && i < 4; ++i)
        command.v[i] = v[i];
    if (op == ListOp::TexCoord && count < 4)
        command.v[3] = 1.0f;
    L().compiling->commands.push_back(command);
}

void ExecuteList(DisplayList& list)
{
    Layer& l = L();
    if (l.executingDepth >= kListNesting)
        return;
    ++l.executingDepth;
    const std::vector<ListCommand>& commands = list.commands;
    for (size_t i = 0; i < commands.size(); ++i)
    {
        const ListCommand& c = commands[i];
        switch (c.op)
        {
        case ListOp::Call: list.calls[c.value](); break;
        case ListOp::Begin:
            if (c.mesh >= 0 && !l.inBegin && l.DrawStatic(list.meshes[c.mesh]))
            {
                const StaticMesh& mesh = list.meshes[c.mesh];
                CurrentGroup& current = l.state.current;
                if (mesh.perVertex[kSlotColor])
                    std::memcpy(current.color, mesh.last[kSlotColor], sizeof(current.color));
                if (mesh.perVertex[kSlotNormal])
                    std::memcpy(current.normal, mesh.last[kSlotNormal], sizeof(current.normal));
                for (int u = 0; u < kUnits; ++u)
                    if (mesh.perVertex[kSlotTex0 + u])
                        std::memcpy(current.texCoord[u], mesh.last[kSlotTex0 + u], sizeof(current.texCoord[u]));
                i = mesh.skipTo - 1;
                break;
            }
            FfglBegin(c.value);
            break;
        case ListOp::End: FfglEnd(); break;
        case ListOp::Vertex: FfglVertex3f(c.v[0], c.v[1], c.v[2]); break;
        case ListOp::Color: FfglColor4f(c.v[0], c.v[1], c.v[2], c.v[3]); break;
        case ListOp::Normal: FfglNormal3f(c.v[0], c.v[1], c.v[2]); break;
        case ListOp::TexCoord: FfglMultiTexCoord2f(GL_TEXTURE0 + c.value, c.v[0], c.v[1]); break;
        }
    }
    --l.executingDepth;
}

} // namespace ff

using namespace ff;

GLuint FfglGenLists(GLsizei range)
{
    Layer& l = L();
    if (l.InsideBegin())
        return 0;
    if (range < 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0)
        return 0;
    // Names above every name handed out or in use, as the desktop drivers give them: a stale
    // name of a deleted list then calls nothing, not the list that took its name. Only when
    // those run out, the first `range` free names in a row from 1.
    GLuint first = l.nextListName;
    for (const auto& entry : l.lists)
        first = std::max(first, entry.first + 1);
    const GLuint count = static_cast<GLuint>(range);
    if (first == 0 || first > std::numeric_limits<GLuint>::max() - (count - 1))
    {
        first = 1;
        for (;;)
        {
            GLuint free = 0;
            while (free < count && l.lists.count(first + free) == 0)
                ++free;
            if (free == count)
                break;
            if (first > std::numeric_limits<GLuint>::max() - count - free)
            {
                l.SetError(GL_OUT_OF_MEMORY);
                return 0;
            }
            first += free + 1;
        }
    }
    for (GLuint i = 0; i < count; ++i)
        l.lists[first + i] = std::make_unique<DisplayList>();
    l.nextListName = std::max(l.nextListName, first + count);
    return first;
}

void FfglDeleteLists(GLuint list, GLsizei range)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (range < 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    for (GLsizei i = 0; i < range; ++i)
    {
        auto found = l.lists.find(list + i);
        if (found == l.lists.end())
            continue;
        found->second->Release(l.loaded);
        l.lists.erase(found);
    }
}

GLboolean FfglIsList(GLuint list)
{
    Layer& l = L();
    if (l.InsideBegin())
        return GL_FALSE;
    return l.lists.count(list) != 0 ? GL_TRUE : GL_FALSE;
}

void FfglNewList(GLuint list, GLenum mode)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (list == 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    if (l.compiling)
    {
        l.SetError(GL_INVALID_OPERATION);
        return;
    }
    l.compiling = std::make_unique<DisplayList>();
    l.compilingName = list;
    l.compilingMode = mode;
}

void FfglEndList()
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (!l.compiling)
    {
        l.SetError(GL_INVALID_OPERATION);
        return;
    }
    std::unique_ptr<DisplayList> list = std::move(l.compiling);
    list->Build();
    auto found = l.lists.find(l.compilingName);
    if (found != l.lists.end())
        found->second->Release(l.loaded);
    l.lists[l.compilingName] = std::move(list);
    l.compilingName = 0;
}

void FfglCallList(GLuint list)
{
    FF_RECORD(FfglCallList(list));
    Layer& l = L();
    auto found = l.lists.find(list);
    if (found == l.lists.end())
        return;
    ExecuteList(*found->second);
}
