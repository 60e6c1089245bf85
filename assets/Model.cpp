// The model's ownership of its mesh data: construction, freeing and the empty state. No GL
// here (drawing and textures are in ModelDraw.cpp), so the parser can be used without it.
#include "Model.h"

Model::Model()
    : m_meshCount(0),
      m_meshes(nullptr),
      m_materialCount(0),
      m_materials(nullptr),
      m_triangleCount(0),
      m_triangles(nullptr),
      m_vertexCount(0),
      m_vertices(nullptr)
{
}

Model::~Model()
{
    Clear();
}

void Model::Clear()
{
    for (int32_t i = 0; i < m_meshCount; ++i)
        delete[] m_meshes[i].triangleIndices;
    for (int32_t i = 0; i < m_materialCount; ++i)
        delete[] m_materials[i].textureFileName;
    delete[] m_meshes;
    delete[] m_materials;
    delete[] m_triangles;
    delete[] m_vertices;
    m_meshCount = 0;
    m_meshes = nullptr;
    m_materialCount = 0;
    m_materials = nullptr;
    m_triangleCount = 0;
    m_triangles = nullptr;
    m_vertexCount = 0;
    m_vertices = nullptr;
}
