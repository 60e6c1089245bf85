// Ms3dModel: a Model filled from a ".ms3d" file, read in one go and parsed by ParseMs3d.
#include <GL/gl.h>

#include <cstdlib>
#include <vector>

#include "FileBytes.h"
#include "Model.h"

Ms3dModel::Ms3dModel() = default;

Ms3dModel::~Ms3dModel() = default;

bool Ms3dModel::LoadModelData(const char* pszFileName)
{
    if (pszFileName == nullptr)
        return false;
    unsigned char* bytes = nullptr;
    size_t size = 0;
    if (ReadFileBytes(pszFileName, &bytes, &size) != FileRead::Ok)
        return false;

    // A model loaded before keeps its textures until the new content is known to be good.
    std::vector<GLuint> previousTextures;
    for (int32_t i = 0; i < m_materialCount; ++i)
        if (m_materials[i].texture != 0)
            previousTextures.push_back(m_materials[i].texture);

    const bool parsed = ParseMs3d(bytes, size, this);
    std::free(bytes);
    if (!parsed)
        return false;
    if (!previousTextures.empty())
        glDeleteTextures(static_cast<GLsizei>(previousTextures.size()), previousTextures.data());
    ReloadTextures();
    return true;
}
