// The model on the GL side: drawing the meshes and making the material textures.
#include <GL/gl.h>

#include "DibTexture.h"
#include "Model.h"

void Model::Draw()
{
    const GLboolean texturing = glIsEnabled(GL_TEXTURE_2D);
    for (int32_t m = 0; m < m_meshCount; ++m)
    {
        const Mesh& mesh = m_meshes[m];
        if (mesh.materialIndex >= 0)
        {
            const Material& material = m_materials[mesh.materialIndex];
            glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
            glMaterialfv(GL_FRONT, GL_DIFFUSE, material.diffuse);
            glMaterialfv(GL_FRONT, GL_SPECULAR, material.specular);
            glMaterialfv(GL_FRONT, GL_EMISSION, material.emissive);
            glMaterialf(GL_FRONT, GL_SHININESS, material.shininess);
            if (material.texture != 0)
            {
                glBindTexture(GL_TEXTURE_2D, material.texture);
                glEnable(GL_TEXTURE_2D);
            }
            else
            {
                glDisable(GL_TEXTURE_2D);
            }
        }
        else
        {
            // No material: the parameters the previous mesh (or the caller) set stay current.
            glDisable(GL_TEXTURE_2D);
        }

        glBegin(GL_TRIANGLES);
        for (int32_t k = 0; k < mesh.triangleCount; ++k)
        {
            const Triangle& triangle = m_triangles[mesh.triangleIndices[k]];
            for (int corner = 0; corner < 3; ++corner)
            {
                glNormal3fv(triangle.vertexNormals[corner]);
                glTexCoord2f(triangle.s[corner], triangle.t[corner]);
                glVertex3fv(m_vertices[triangle.vertexIndices[corner]].location);
            }
        }
        glEnd();
    }
    if (texturing)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

void Model::ReloadTextures()
{
    for (int32_t i = 0; i < m_materialCount; ++i)
    {
        Material& material = m_materials[i];
        // The previous call's texture would otherwise stay allocated for the rest of the run,
        // one more on every Prepare of the owning effect.
        if (material.texture != 0)
        {
            const GLuint previous = material.texture;
            glDeleteTextures(1, &previous);
            material.texture = 0;
        }
        if (material.textureFileName == nullptr || material.textureFileName[0] == '\0')
            continue;
        // Read again on every call, so the file as it is now counts.
        material.texture = LoadBitmapTexture(material.textureFileName);
    }
}
