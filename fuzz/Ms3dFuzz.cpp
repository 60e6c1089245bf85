// libFuzzer target for the MilkShape parser: any bytes must be refused or give a model whose
// every index names an element that exists, so that drawing it cannot leave its arrays.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Model.h"

namespace {

// A concrete Model without GL: only the parser fills it.
class FuzzModel final : public Model
{
public:
    bool LoadModelData(const char*) override { return false; }
};

bool Empty(const Model& model)
{
    return model.m_meshCount == 0 && model.m_meshes == nullptr && model.m_materialCount == 0 &&
           model.m_materials == nullptr && model.m_triangleCount == 0 && model.m_triangles == nullptr &&
           model.m_vertexCount == 0 && model.m_vertices == nullptr;
}

// Walks the model as Draw does and checks what Draw relies on.
void CheckDrawable(const Model& model)
{
    float sum = 0.0f;
    for (int32_t m = 0; m < model.m_meshCount; ++m)
    {
        const Mesh& mesh = model.m_meshes[m];
        if (mesh.materialIndex >= model.m_materialCount)
            std::abort();
        if (mesh.materialIndex >= 0)
            sum += model.m_materials[mesh.materialIndex].shininess;
        for (int32_t k = 0; k < mesh.triangleCount; ++k)
        {
            const int32_t t = mesh.triangleIndices[k];
            if (t < 0 || t >= model.m_triangleCount)
                std::abort();
            for (int corner = 0; corner < 3; ++corner)
            {
                const int32_t v = model.m_triangles[t].vertexIndices[corner];
                if (v < 0 || v >= model.m_vertexCount)
                    std::abort();
                sum += model.m_vertices[v].location[0] + model.m_triangles[t].t[corner];
            }
        }
    }
    for (int32_t i = 0; i < model.m_materialCount; ++i)
        if (model.m_materials[i].textureFileName == nullptr || std::strlen(model.m_materials[i].textureFileName) > 128)
            std::abort();
    volatile float sink = sum;
    (void)sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzModel model;
    if (!ParseMs3d(data, size, &model))
    {
        if (!Empty(model))
            std::abort();
        return 0;
    }
    CheckDrawable(model);
    // Parsing again into a filled model replaces its content (or keeps it on failure).
    const int32_t vertices = model.m_vertexCount;
    if (!ParseMs3d(data, size, &model) || model.m_vertexCount != vertices)
        std::abort();
    if (size > 0 && ParseMs3d(data, size - 1, &model) == false && model.m_vertexCount != vertices)
        std::abort();
    CheckDrawable(model);
    return 0;
}
