// Immediate mode and the draw engine: glBegin collects vertices with the current attributes,
// glEnd hands them to DrawVertices, which builds the program key from the state in force,
// sets the ES state and uniforms that changed, streams the vertices into a buffer and draws.
// Quads, quad strips and polygons become triangles as Mesa splits them, so colours and texture
// coordinates interpolate the same way over a quad that is not a parallelogram: a glBegin /
// glEnd of quads that lies wholly inside the clip volume along the diagonal from corner 0 to
// corner 2, one that needs clipping (and every quad of a display list) from corner 1 to 3. Polygons facing a side drawn as lines or points are
// decided here, on the CPU, from the orientation of their clip coordinates.
//
// Sections: the context; immediate mode; triangles; program key and uniforms; ES state; drawing.
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fixedfunction/DisplayList.h"
#include "fixedfunction/EsFunctions.h"
#include "fixedfunction/Layer.h"
#include "fixedfunction/Matrix.h"

namespace ff {

// ---------------------------------------------------------------------------------------------
// The context
// ---------------------------------------------------------------------------------------------

Layer& L()
{
    static Layer* layer = new Layer;
    return *layer;
}

bool TextureObject::Complete() const
{
    if (width <= 0 || height <= 0 || !(levels & 1u))
        return false;
    if (minFilter == GL_NEAREST || minFilter == GL_LINEAR)
        return true;
    // Mipmapped: every level down to 1 x 1.
    GLsizei w = width;
    GLsizei h = height;
    for (int level = 0; level < 32; ++level)
    {
        if (!(levels & (1u << level)))
            return false;
        if (w == 1 && h == 1)
            return true;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    return false;
}

void Layer::Reset(int viewportWidth, int viewportHeight)
{
    state = InitialServerState(viewportWidth, viewportHeight);
    client = InitialClientState();
    modelView.assign(1, Identity());
    projection.assign(1, Identity());
    for (auto& stack : textureMatrix)
        stack.assign(1, Identity());
    attribStack.clear();
    clientAttribStack.clear();
    textures.clear();
    // The default texture object, name 0, is always there.
    textures[0] = TextureObject();
    error = GL_NO_ERROR;
    inBegin = false;
    vertices.clear();
    lists.clear();
    nextListName = 1;
    compiling.reset();
    compilingName = 0;
    executingDepth = 0;
    transformVersion++;
    lightingVersion++;
    fogVersion++;
    textureVersion++;
    cache.known = false;
}

std::vector<Mat4>& Layer::CurrentStack()
{
    switch (state.transform.matrixMode)
    {
    case GL_PROJECTION: return projection;
    case GL_TEXTURE: return textureMatrix[state.texture.activeUnit];
    default: return modelView;
    }
}

Mat4& Layer::CurrentMatrix() { return CurrentStack().back(); }

void Layer::MatrixChanged()
{
    if (state.transform.matrixMode == GL_TEXTURE)
        textureVersion++;
    else
        transformVersion++;
}

TextureObject* Layer::BoundTexture(int unit)
{
    auto found = textures.find(state.texture.units[unit].binding2D);
    return found == textures.end() ? nullptr : &found->second;
}

bool Layer::InsideBegin()
{
    if (!inBegin)
        return false;
    SetError(GL_INVALID_OPERATION);
    return true;
}

TextureObject* Layer::ActiveTexture(int unit)
{
    if (!state.texture.units[unit].enabled2D)
        return nullptr;
    TextureObject* object = BoundTexture(unit);
    return object != nullptr && object->Complete() ? object : nullptr;
}

} // namespace ff

using namespace ff;

// ---------------------------------------------------------------------------------------------
// Immediate mode
// ---------------------------------------------------------------------------------------------

namespace {

bool IsPrimitive(GLenum mode) { return mode <= GL_POLYGON; }

bool Compiling(ListOp op, GLenum value, const float* v, int count)
{
    Layer& l = L();
    if (!l.compiling || l.executingDepth != 0)
        return false;
    RecordData(op, value, v, count);
    return l.compilingMode == GL_COMPILE;
}

void EmitVertex(float x, float y, float z, float w)
{
    const float v[4] = {x, y, z, w};
    if (Compiling(ListOp::Vertex, 0, v, 4))
        return;
    Layer& l = L();
    if (!l.inBegin)
        return;
    Vertex vertex;
    std::memcpy(vertex.position, v, sizeof(vertex.position));
    const CurrentGroup& c = l.state.current;
    std::memcpy(vertex.color, c.color, sizeof(vertex.color));
    std::memcpy(vertex.normal, c.normal, sizeof(vertex.normal));
    for (int u = 0; u < kUnits; ++u)
    {
        vertex.tex[u][0] = c.texCoord[u][0];
        vertex.tex[u][1] = c.texCoord[u][1];
    }
    l.vertices.push_back(vertex);
}

void SetColor(float r, float g, float b, float a)
{
    const float v[4] = {r, g, b, a};
    if (Compiling(ListOp::Color, 0, v, 4))
        return;
    std::memcpy(L().state.current.color, v, sizeof(v));
}

void SetNormal(float x, float y, float z)
{
    const float v[4] = {x, y, z, 0};
    if (Compiling(ListOp::Normal, 0, v, 3))
        return;
    std::memcpy(L().state.current.normal, v, sizeof(float) * 3);
}

void SetTexCoord(int unit, float s, float t)
{
    const float v[4] = {s, t, 0, 1};
    if (Compiling(ListOp::TexCoord, static_cast<GLenum>(unit), v, 4))
        return;
    std::memcpy(L().state.current.texCoord[unit], v, sizeof(v));
}

} // namespace

void FfglBegin(GLenum mode)
{
    if (Compiling(ListOp::Begin, mode, nullptr, 0))
        return;
    Layer& l = L();
    if (l.inBegin)
    {
        l.SetError(GL_INVALID_OPERATION);
        return;
    }
    if (!IsPrimitive(mode))
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.inBegin = true;
    l.primitive = mode;
    l.vertices.clear();
}

void FfglEnd()
{
    if (Compiling(ListOp::End, 0, nullptr, 0))
        return;
    Layer& l = L();
    if (!l.inBegin)
    {
        l.SetError(GL_INVALID_OPERATION);
        return;
    }
    l.inBegin = false;
    l.DrawVertices(l.primitive, l.vertices.data(), l.vertices.size());
    l.vertices.clear();
}

void FfglVertex2f(GLfloat x, GLfloat y) { EmitVertex(x, y, 0.0f, 1.0f); }
void FfglVertex2i(GLint x, GLint y) { EmitVertex(static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f); }
void FfglVertex2d(GLdouble x, GLdouble y) { EmitVertex(static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f); }
void FfglVertex3f(GLfloat x, GLfloat y, GLfloat z) { EmitVertex(x, y, z, 1.0f); }
void FfglVertex3fv(const GLfloat* v) { EmitVertex(v[0], v[1], v[2], 1.0f); }
void FfglVertex3i(GLint x, GLint y, GLint z)
{
    EmitVertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1.0f);
}
void FfglVertex3d(GLdouble x, GLdouble y, GLdouble z)
{
    EmitVertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1.0f);
}

void FfglColor3f(GLfloat r, GLfloat g, GLfloat b) { SetColor(r, g, b, 1.0f); }
void FfglColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { SetColor(r, g, b, a); }
void FfglColor3fv(const GLfloat* v) { SetColor(v[0], v[1], v[2], 1.0f); }
void FfglColor4fv(const GLfloat* v) { SetColor(v[0], v[1], v[2], v[3]); }
void FfglColor3ub(GLubyte r, GLubyte g, GLubyte b) { SetColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f); }
void FfglColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a)
{
    SetColor(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

void FfglNormal3f(GLfloat x, GLfloat y, GLfloat z) { SetNormal(x, y, z); }
void FfglNormal3fv(const GLfloat* v) { SetNormal(v[0], v[1], v[2]); }

void FfglTexCoord2f(GLfloat s, GLfloat t) { SetTexCoord(0, s, t); }
void FfglTexCoord2fv(const GLfloat* v) { SetTexCoord(0, v[0], v[1]); }
void FfglTexCoord2d(GLdouble s, GLdouble t) { SetTexCoord(0, static_cast<float>(s), static_cast<float>(t)); }

void FfglMultiTexCoord2f(GLenum unit, GLfloat s, GLfloat t)
{
    if (unit < GL_TEXTURE0 || unit >= GL_TEXTURE0 + static_cast<GLenum>(kUnits))
    {
        L().SetError(GL_INVALID_ENUM);
        return;
    }
    SetTexCoord(static_cast<int>(unit - GL_TEXTURE0), s, t);
}

void FfglRasterPos2i(GLint x, GLint y)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    // The raster position is kept in window coordinates; nothing of the layer draws at it.
    const float object[4] = {static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f};
    float eye[4];
    float clip[4];
    Transform(l.modelView.back(), object, eye);
    Transform(l.projection.back(), eye, clip);
    const GLint* v = l.state.viewport.viewport;
    CurrentGroup& c = l.state.current;
    c.rasterPosValid = clip[3] > 0.0f;
    if (c.rasterPosValid)
    {
        c.rasterPos[0] = v[0] + (clip[0] / clip[3] + 1.0f) * 0.5f * v[2];
        c.rasterPos[1] = v[1] + (clip[1] / clip[3] + 1.0f) * 0.5f * v[3];
        c.rasterPos[2] = (clip[2] / clip[3] + 1.0f) * 0.5f;
        c.rasterPos[3] = clip[3];
    }
}

// ---------------------------------------------------------------------------------------------
// Triangles
// ---------------------------------------------------------------------------------------------

namespace ff {

void Triangulate(GLenum mode, size_t count, bool firstDiagonal, std::vector<uint32_t>* indices,
                 std::vector<uint8_t>* edges)
{
    indices->clear();
    edges->clear();
    auto add = [&](size_t a, size_t b, size_t c, uint8_t flags) {
        indices->push_back(static_cast<uint32_t>(a));
        indices->push_back(static_cast<uint32_t>(b));
        indices->push_back(static_cast<uint32_t>(c));
        edges->push_back(flags);
    };
    switch (mode)
    {
    case GL_TRIANGLES:
        for (size_t i = 0; i + 2 < count; i += 3)
            add(i, i + 1, i + 2, 7);
        break;
    case GL_TRIANGLE_STRIP:
        for (size_t i = 0; i + 2 < count; ++i)
        {
            if (i % 2 == 0)
                add(i, i + 1, i + 2, 7);
            else
                add(i + 1, i, i + 2, 7);
        }
        break;
    case GL_TRIANGLE_FAN:
        for (size_t i = 1; i + 1 < count; ++i)
            add(0, i, i + 1, 7);
        break;
    case GL_QUADS:
        for (size_t i = 0; i + 3 < count; i += 4)
        {
            if (firstDiagonal)
            {
                add(i, i + 1, i + 2, 1 | 2);
                add(i, i + 2, i + 3, 2 | 4);
            }
            else
            {
                add(i, i + 1, i + 3, 1 | 4);
                add(i + 1, i + 2, i + 3, 1 | 2);
            }
        }
        break;
    case GL_QUAD_STRIP:
        for (size_t i = 0; i + 3 < count; i += 2)
        {
            // Quad (i, i+1, i+3, i+2); its last vertex, i+3, shades it.
            add(i, i + 1, i + 3, 1);
            add(i + 2, i, i + 3, 1 | 4);
        }
        break;
    case GL_POLYGON:
        // A fan whose triangles end on vertex 0, the one flat shading takes for a polygon.
        for (size_t i = 1; i + 1 < count; ++i)
        {
            uint8_t flags = 1;
            if (i == 1)
                flags |= 4;
            if (i + 2 == count)
                flags |= 2;
            add(i, i + 1, 0, flags);
        }
        break;
    default:
        break;
    }
}

bool IsTriangleMode(GLenum mode) { return mode >= GL_TRIANGLES && mode <= GL_POLYGON; }

} // namespace ff

// ---------------------------------------------------------------------------------------------
// Program key and uniforms
// ---------------------------------------------------------------------------------------------

namespace {

uint8_t SourceIndex(GLenum source)
{
    switch (source)
    {
    case GL_CONSTANT: return 1;
    case GL_PRIMARY_COLOR: return 2;
    case GL_PREVIOUS: return 3;
    default: return 0;
    }
}

uint8_t OperandIndex(GLenum operand)
{
    switch (operand)
    {
    case GL_ONE_MINUS_SRC_COLOR: return 1;
    case GL_SRC_ALPHA: return 2;
    case GL_ONE_MINUS_SRC_ALPHA: return 3;
    default: return 0;
    }
}

uint8_t AlphaOperandIndex(GLenum operand) { return operand == GL_ONE_MINUS_SRC_ALPHA ? 1 : 0; }

uint8_t FunctionIndex(GLenum function)
{
    switch (function)
    {
    case GL_REPLACE: return 0;
    case GL_MODULATE: return 1;
    case GL_ADD: return 2;
    case GL_ADD_SIGNED: return 3;
    case GL_INTERPOLATE: return 4;
    case GL_SUBTRACT: return 5;
    case GL_DOT3_RGB: return 6;
    case GL_DOT3_RGBA: return 7;
    default: return 1;
    }
}

GenMode Gen(const TexGen& gen)
{
    if (!gen.enabled)
        return GenMode::None;
    switch (gen.mode)
    {
    case GL_OBJECT_LINEAR: return GenMode::ObjectLinear;
    case GL_SPHERE_MAP: return GenMode::SphereMap;
    default: return GenMode::EyeLinear;
    }
}

ProgramKey BuildKey(Layer& l, GLenum mode)
{
    ProgramKey key;
    std::memset(&key, 0, sizeof(key));
    const ServerState& s = l.state;
    if (s.lighting.lighting)
    {
        key.lighting = 1;
        for (int i = 0; i < kLights; ++i)
        {
            const Light& light = s.lighting.lights[i];
            if (!light.enabled)
                continue;
            key.lights |= 1 << i;
            if (light.position[3] != 0.0f)
            {
                key.positional |= 1 << i;
                if (light.spotCutoff != 180.0f)
                    key.spot |= 1 << i;
                if (light.attenuation[0] != 1.0f || light.attenuation[1] != 0.0f || light.attenuation[2] != 0.0f)
                    key.attenuated |= 1 << i;
            }
        }
        key.localViewer = s.lighting.localViewer ? 1 : 0;
    }
    key.normalize = s.transform.normalize ? 1 : 0;
    key.rescale = s.transform.rescaleNormal ? 1 : 0;
    if (s.fog.enabled)
        key.fog = s.fog.mode == GL_LINEAR ? FogMode::Linear : s.fog.mode == GL_EXP2 ? FogMode::Exp2 : FogMode::Exp;
    key.flat = s.lighting.shadeModel == GL_FLAT ? 1 : 0;
    if (s.colorBuffer.alphaTest && s.colorBuffer.alphaFunc != GL_ALWAYS)
        key.alphaFunc = static_cast<uint8_t>(s.colorBuffer.alphaFunc - GL_NEVER + 1);
    key.points = mode == GL_POINTS ? 1 : 0;
    for (int u = 0; u < kUnits; ++u)
    {
        const TextureObject* object = l.ActiveTexture(u);
        if (object == nullptr)
            continue;
        const TextureUnit& unit = s.texture.units[u];
        UnitKey& k = key.units[u];
        k.enabled = 1;
        k.hasAlpha = object->hasAlpha ? 1 : 0;
        switch (unit.env.mode)
        {
        case GL_REPLACE: k.env = EnvMode::Replace; break;
        case GL_DECAL: k.env = EnvMode::Decal; break;
        case GL_BLEND: k.env = EnvMode::Blend; break;
        case GL_ADD: k.env = EnvMode::Add; break;
        case GL_COMBINE: k.env = EnvMode::Combine; break;
        default: k.env = EnvMode::Modulate; break;
        }
        k.genS = Gen(unit.gen[0]);
        k.genT = Gen(unit.gen[1]);
        k.textureMatrix = IsIdentity(l.textureMatrix[u].back()) ? 0 : 1;
        const bool linear = object->magFilter == GL_LINEAR;
        k.borderS = object->wrapS == GL_CLAMP && linear ? 1 : 0;
        k.borderT = object->wrapT == GL_CLAMP && linear ? 1 : 0;
        if (k.env == EnvMode::Combine)
        {
            const TexEnv& e = unit.env;
            k.combineRgb = FunctionIndex(e.combineRgb);
            k.combineAlpha = FunctionIndex(e.combineAlpha);
            for (int i = 0; i < 3; ++i)
            {
                k.sourceRgb[i] = SourceIndex(e.sourceRgb[i]);
                k.sourceAlpha[i] = SourceIndex(e.sourceAlpha[i]);
                k.operandRgb[i] = OperandIndex(e.operandRgb[i]);
                k.operandAlpha[i] = AlphaOperandIndex(e.operandAlpha[i]);
            }
        }
    }
    return key;
}

// The values the uniforms take, computed once per change of the state they follow.
struct Derived
{
    uint32_t transformVersion = 0;
    Mat4 mvp;
    float normalMatrix[9];
    float normalScale;

    uint32_t lightingVersion = 0;
    float sceneColor[4];
    float lightPosition[kLights][4];
    float lightHalf[kLights][3];
    float lightAmbient[kLights][3];
    float lightDiffuse[kLights][3];
    float lightSpecular[kLights][3];
    float lightAttenuation[kLights][3];
    float lightSpotDirection[kLights][3];
    float lightSpot[kLights][2];
};

Derived g_derived;

void UpdateDerived(Layer& l)
{
    Derived& d = g_derived;
    if (d.transformVersion != l.transformVersion)
    {
        d.transformVersion = l.transformVersion;
        d.mvp = Multiply(l.projection.back(), l.modelView.back());
        NormalMatrix(l.modelView.back(), d.normalMatrix);
        // GL_RESCALE_NORMAL: one over the length of the inverse's third row.
        const float* n = d.normalMatrix;
        const float length = std::sqrt(n[2] * n[2] + n[5] * n[5] + n[8] * n[8]);
        d.normalScale = length > 0.0f ? 1.0f / length : 1.0f;
    }
    if (d.lightingVersion != l.lightingVersion)
    {
        d.lightingVersion = l.lightingVersion;
        const LightingGroup& g = l.state.lighting;
        const Material& m = g.material[0];
        for (int i = 0; i < 3; ++i)
            d.sceneColor[i] = m.emission[i] + m.ambient[i] * g.modelAmbient[i];
        d.sceneColor[3] = m.diffuse[3];
        for (int k = 0; k < kLights; ++k)
        {
            const Light& light = g.lights[k];
            for (int i = 0; i < 3; ++i)
            {
                d.lightAmbient[k][i] = light.ambient[i] * m.ambient[i];
                d.lightDiffuse[k][i] = light.diffuse[i] * m.diffuse[i];
                d.lightSpecular[k][i] = light.specular[i] * m.specular[i];
                d.lightAttenuation[k][i] = light.attenuation[i];
                d.lightSpotDirection[k][i] = light.spotDirection[i];
            }
            Normalise3(d.lightSpotDirection[k]);
            std::memcpy(d.lightPosition[k], light.position, sizeof(light.position));
            if (light.position[3] == 0.0f)
            {
                // A directional light: its normalised direction and half vector.
                Normalise3(d.lightPosition[k]);
                d.lightHalf[k][0] = d.lightPosition[k][0];
                d.lightHalf[k][1] = d.lightPosition[k][1];
                d.lightHalf[k][2] = d.lightPosition[k][2] + 1.0f;
                Normalise3(d.lightHalf[k]);
            }
            else
            {
                // Homogeneous positions reach the shader divided through.
                for (int i = 0; i < 3; ++i)
                    d.lightPosition[k][i] /= light.position[3];
                d.lightPosition[k][3] = 1.0f;
                d.lightHalf[k][0] = d.lightHalf[k][1] = d.lightHalf[k][2] = 0.0f;
            }
            d.lightSpot[k][0] = light.spotExponent;
            d.lightSpot[k][1] = static_cast<float>(std::cos(light.spotCutoff * 3.14159265358979323846 / 180.0));
        }
    }
}

void UploadUniforms(Layer& l, Program& p, const ProgramKey& key)
{
    EsFunctions& es = Es();
    const GLint* at = p.locations;
    UpdateDerived(l);
    const Derived& d = g_derived;
    if (p.transformVersion != l.transformVersion)
    {
        p.transformVersion = l.transformVersion;
        es.UniformMatrix4fv(at[kMvp], 1, GL_FALSE, d.mvp.m);
        if (at[kModelView] >= 0)
            es.UniformMatrix4fv(at[kModelView], 1, GL_FALSE, l.modelView.back().m);
        if (at[kNormalMatrix] >= 0)
            es.UniformMatrix3fv(at[kNormalMatrix], 1, GL_FALSE, d.normalMatrix);
        if (at[kNormalScale] >= 0)
            es.Uniform1f(at[kNormalScale], d.normalScale);
        if (at[kPointSize] >= 0)
            es.Uniform1f(at[kPointSize], l.state.point.size);
    }
    if (key.lighting && p.lightingVersion != l.lightingVersion)
    {
        p.lightingVersion = l.lightingVersion;
        es.Uniform4fv(at[kSceneColor], 1, d.sceneColor);
        auto upload3 = [&](Uniform u, const float (*values)[3]) {
            if (at[u] >= 0)
                es.Uniform3fv(at[u], kLights, &values[0][0]);
        };
        if (at[kLightPosition] >= 0)
            es.Uniform4fv(at[kLightPosition], kLights, &d.lightPosition[0][0]);
        upload3(kLightHalf, d.lightHalf);
        upload3(kLightAmbient, d.lightAmbient);
        upload3(kLightDiffuse, d.lightDiffuse);
        upload3(kLightSpecular, d.lightSpecular);
        upload3(kLightAttenuation, d.lightAttenuation);
        upload3(kLightSpotDirection, d.lightSpotDirection);
        if (at[kLightSpot] >= 0)
            es.Uniform2fv(at[kLightSpot], kLights, &d.lightSpot[0][0]);
        if (at[kShininess] >= 0)
            es.Uniform1f(at[kShininess], l.state.lighting.material[0].shininess);
    }
    if (key.fog != FogMode::None && p.fogVersion != l.fogVersion)
    {
        p.fogVersion = l.fogVersion;
        const FogGroup& f = l.state.fog;
        const float range = f.end - f.start;
        const float params[4] = {f.start, f.end, f.density, range != 0.0f ? 1.0f / range : 0.0f};
        es.Uniform4fv(at[kFogColor], 1, f.color);
        es.Uniform4fv(at[kFogParams], 1, params);
    }
    if (p.textureVersion != l.textureVersion)
    {
        p.textureVersion = l.textureVersion;
        if (at[kAlphaRef] >= 0)
            es.Uniform1f(at[kAlphaRef], l.state.colorBuffer.alphaRef);
        for (int u = 0; u < kUnits; ++u)
        {
            if (!key.units[u].enabled)
                continue;
            const TextureUnit& unit = l.state.texture.units[u];
            const TextureObject* object = l.ActiveTexture(u);
            const int offset = u;   // the unit-1 uniform follows the unit-0 one in the enum
            if (at[kEnvColor0 + offset] >= 0)
                es.Uniform4fv(at[kEnvColor0 + offset], 1, unit.env.color);
            if (at[kTexMatrix0 + offset] >= 0)
                es.UniformMatrix4fv(at[kTexMatrix0 + offset], 1, GL_FALSE, l.textureMatrix[u].back().m);
            if (at[kBorderColor0 + offset] >= 0)
                es.Uniform4fv(at[kBorderColor0 + offset], 1, object->borderColor);
            if (at[kTexSize0 + offset] >= 0)
            {
                const float size[2] = {static_cast<float>(object->width), static_cast<float>(object->height)};
                es.Uniform2fv(at[kTexSize0 + offset], 1, size);
            }
            if (at[kScale0 + offset] >= 0)
            {
                const float scale[2] = {unit.env.rgbScale, unit.env.alphaScale};
                es.Uniform2fv(at[kScale0 + offset], 1, scale);
            }
            float planes[8];
            for (int c = 0; c < 2; ++c)
                std::memcpy(planes + c * 4, unit.gen[c].objectPlane, sizeof(float) * 4);
            if (at[kObjectPlane0 + offset] >= 0)
                es.Uniform4fv(at[kObjectPlane0 + offset], 2, planes);
            for (int c = 0; c < 2; ++c)
                std::memcpy(planes + c * 4, unit.gen[c].eyePlane, sizeof(float) * 4);
            if (at[kEyePlane0 + offset] >= 0)
                es.Uniform4fv(at[kEyePlane0 + offset], 2, planes);
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// ES state
// ---------------------------------------------------------------------------------------------

namespace {

void SetCapability(GLenum cap, bool on, bool& cached, bool force)
{
    if (!force && cached == on)
        return;
    cached = on;
    if (on)
        Es().Enable(cap);
    else
        Es().Disable(cap);
}

} // namespace

void Layer::SyncState(bool forDraw)
{
    EsFunctions& es = Es();
    EsCache& c = cache;
    const bool all = !c.known;
    const ServerState& s = state;

    SetCapability(GL_SCISSOR_TEST, s.scissor.test, c.scissorTest, all);
    if (all || std::memcmp(c.scissor, s.scissor.box, sizeof(c.scissor)) != 0)
    {
        std::memcpy(c.scissor, s.scissor.box, sizeof(c.scissor));
        es.Scissor(c.scissor[0], c.scissor[1], c.scissor[2], c.scissor[3]);
    }
    const bool* mask = s.colorBuffer.colorMask;
    if (all || std::memcmp(c.colorMask, mask, sizeof(c.colorMask)) != 0)
    {
        std::memcpy(c.colorMask, mask, sizeof(c.colorMask));
        es.ColorMask(mask[0], mask[1], mask[2], mask[3]);
    }
    if (all || c.depthMask != s.depth.mask)
    {
        c.depthMask = s.depth.mask;
        es.DepthMask(c.depthMask ? GL_TRUE : GL_FALSE);
    }
    if (all || std::memcmp(c.clearColor, s.colorBuffer.clearColor, sizeof(c.clearColor)) != 0)
    {
        std::memcpy(c.clearColor, s.colorBuffer.clearColor, sizeof(c.clearColor));
        es.ClearColor(c.clearColor[0], c.clearColor[1], c.clearColor[2], c.clearColor[3]);
    }
    const float clearDepth = static_cast<float>(s.depth.clear);
    if (all || c.clearDepth != clearDepth)
    {
        c.clearDepth = clearDepth;
        es.ClearDepthf(clearDepth);
    }
    if (all)
    {
        // State the layer never changes afterwards.
        es.Disable(GL_DITHER);
        es.Disable(GL_STENCIL_TEST);
        es.Disable(GL_POLYGON_OFFSET_FILL);
        es.BindVertexArray(vertexArray);
        es.BindBuffer(GL_ARRAY_BUFFER, streamBuffer);
        c.program = 0;
        es.UseProgram(0);
        c.activeUnit = -1;
        for (GLuint& texture : c.textures)
            texture = ~0u;
        c.pack.alignment = c.unpack.alignment = -1;
    }
    c.known = true;
    if (!forDraw)
        return;

    if (std::memcmp(c.viewport, s.viewport.viewport, sizeof(c.viewport)) != 0 || all)
    {
        std::memcpy(c.viewport, s.viewport.viewport, sizeof(c.viewport));
        es.Viewport(c.viewport[0], c.viewport[1], c.viewport[2], c.viewport[3]);
    }
    const float range[2] = {static_cast<float>(s.viewport.depthRange[0]), static_cast<float>(s.viewport.depthRange[1])};
    if (all || std::memcmp(c.depthRange, range, sizeof(range)) != 0)
    {
        std::memcpy(c.depthRange, range, sizeof(range));
        es.DepthRangef(range[0], range[1]);
    }
    SetCapability(GL_BLEND, s.colorBuffer.blend, c.blend, all);
    if (all || c.blendSrc != s.colorBuffer.blendSrc || c.blendDst != s.colorBuffer.blendDst)
    {
        c.blendSrc = s.colorBuffer.blendSrc;
        c.blendDst = s.colorBuffer.blendDst;
        es.BlendFunc(c.blendSrc, c.blendDst);
    }
    SetCapability(GL_DEPTH_TEST, s.depth.test, c.depthTest, all);
    if (all || c.depthFunc != s.depth.func)
    {
        c.depthFunc = s.depth.func;
        es.DepthFunc(c.depthFunc);
    }
    SetCapability(GL_CULL_FACE, s.polygon.cullFace, c.cullFace, all);
    if (all || c.cullFaceMode != s.polygon.cullFaceMode)
    {
        c.cullFaceMode = s.polygon.cullFaceMode;
        es.CullFace(c.cullFaceMode);
    }
    if (all || c.frontFace != s.polygon.frontFace)
    {
        c.frontFace = s.polygon.frontFace;
        es.FrontFace(c.frontFace);
    }
    if (all || c.lineWidth != s.line.width)
    {
        c.lineWidth = s.line.width;
        es.LineWidth(c.lineWidth);
    }
    for (int u = 0; u < kUnits; ++u)
    {
        TextureObject* active = ActiveTexture(u);
        if (active == nullptr)
            continue;
        TextureObject& object = *active;
        const GLuint name = state.texture.units[u].binding2D;
        if (c.textures[u] != name || object.paramsDirty)
        {
            if (c.activeUnit != u)
            {
                c.activeUnit = u;
                es.ActiveTexture(GL_TEXTURE0 + u);
            }
            c.textures[u] = name;
            es.BindTexture(GL_TEXTURE_2D, name);
            if (object.paramsDirty)
                ApplyTextureParameters(object);
        }
    }
}

void Layer::SyncPixelStore(bool pack) { SyncPixelStore(pack, pack ? client.pack : client.unpack); }

void Layer::SyncPixelStore(bool pack, const PixelStore& wanted)
{
    EsFunctions& es = Es();
    PixelStore& cached = pack ? cache.pack : cache.unpack;
    if (cached.alignment != wanted.alignment)
        es.PixelStorei(pack ? GL_PACK_ALIGNMENT : GL_UNPACK_ALIGNMENT, wanted.alignment);
    if (cached.alignment == -1 || cached.rowLength != wanted.rowLength)
        es.PixelStorei(pack ? GL_PACK_ROW_LENGTH : GL_UNPACK_ROW_LENGTH, wanted.rowLength);
    if (cached.alignment == -1 || cached.skipRows != wanted.skipRows)
        es.PixelStorei(pack ? GL_PACK_SKIP_ROWS : GL_UNPACK_SKIP_ROWS, wanted.skipRows);
    if (cached.alignment == -1 || cached.skipPixels != wanted.skipPixels)
        es.PixelStorei(pack ? GL_PACK_SKIP_PIXELS : GL_UNPACK_SKIP_PIXELS, wanted.skipPixels);
    cached = wanted;
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

namespace {

std::vector<uint32_t> g_indices;
std::vector<uint8_t> g_edges;
std::vector<Vertex> g_expanded;
std::vector<Vertex> g_lines;
std::vector<Vertex> g_points;

// Streams `bytes` into the vertex buffer and returns their offset there.
size_t Stream(Layer& l, const void* data, size_t bytes)
{
    EsFunctions& es = Es();
    if (l.streamOffset + bytes > l.streamSize)
    {
        // A fresh store: draws still reading the old one keep it. The driver allocates each
        // store anew, so its size is what the process's memory wanders by between two of them:
        // 1 MiB (TUNNEL's frame fills it one and a half times; 4 MiB made the resident size of
        // a restart soak swing by 5 MB).
        l.streamSize = std::max<size_t>(l.streamSize, std::max<size_t>(bytes, 1u << 20));
        es.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(l.streamSize), nullptr, GL_STREAM_DRAW);
        l.streamOffset = 0;
    }
    const size_t offset = l.streamOffset;
    if (es.MapBufferRange != nullptr)
    {
        void* target = es.MapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes),
                                         GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
        if (target != nullptr)
        {
            std::memcpy(target, data, bytes);
            es.UnmapBuffer(GL_ARRAY_BUFFER);
        }
    }
    else
    {
        es.BufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
    }
    // Keep every start 16-byte aligned.
    l.streamOffset = (offset + bytes + 15) & ~static_cast<size_t>(15);
    return offset;
}

// Points the vertex attributes at the Vertex records starting `offset` bytes into the bound
// array buffer.
void SetAttributePointers(size_t offset)
{
    EsFunctions& es = Es();
    const GLsizei stride = sizeof(Vertex);
    auto pointer = [&](GLuint index, GLint size, size_t member) {
        es.VertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, stride,
                               reinterpret_cast<const void*>(offset + member));
    };
    pointer(kPosition, 3, offsetof(Vertex, position));
    pointer(kColor, 4, offsetof(Vertex, color));
    pointer(kNormal, 3, offsetof(Vertex, normal));
    pointer(kTex0, 2, offsetof(Vertex, tex[0]));
    pointer(kTex1, 2, offsetof(Vertex, tex[1]));
}

void DrawStream(Layer& l, GLenum mode, const Vertex* data, size_t count)
{
    if (count == 0)
        return;
    const size_t offset = Stream(l, data, count * sizeof(Vertex));
    SetAttributePointers(offset);
    Es().DrawArrays(mode, 0, static_cast<GLsizei>(count));
}

// Makes the program for the current state drawing `mode` current, with the ES state and the
// uniforms it needs. Null when the program cannot be built: the compiler's log is printed the
// first time only.
Program* UseProgramFor(Layer& l, GLenum mode)
{
    const ProgramKey key = BuildKey(l, mode);
    std::string log;
    Program* program = l.programs.Get(key, &log);
    if (program == nullptr)
    {
        if (!log.empty())
            std::fprintf(stderr, "fixed-function layer: %s\n", log.c_str());
        return nullptr;
    }
    l.SyncState(true);
    if (l.cache.program != program->name)
    {
        l.cache.program = program->name;
        Es().UseProgram(program->name);
    }
    UploadUniforms(l, *program, key);
    return program;
}

bool InsideClipVolume(const Mat4& mvp, const Vertex* data, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        float clip[4];
        Transform(mvp, data[i].position, clip);
        const float w = clip[3];
        if (clip[0] > w || clip[0] < -w || clip[1] > w || clip[1] < -w || clip[2] > w || clip[2] < -w)
            return false;
    }
    return true;
}

// Positive when a triangle's corners run anticlockwise in the window, negative when clockwise:
// the determinant of their clip coordinates' (x, y, w), twice their area in normalised device
// coordinates times the product of the three w. It keeps the sign of the part in view when a
// corner lies behind the eye (w < 0), where dividing by w would mirror that corner.
double WindowOrientation(const Mat4& mvp, const Vertex& a, const Vertex& b, const Vertex& c)
{
    const Vertex* corners[3] = {&a, &b, &c};
    double x[3];
    double y[3];
    double w[3];
    for (int i = 0; i < 3; ++i)
    {
        float clip[4];
        Transform(mvp, corners[i]->position, clip);
        x[i] = clip[0];
        y[i] = clip[1];
        w[i] = clip[3];
    }
    return x[0] * (y[1] * w[2] - y[2] * w[1]) - x[1] * (y[0] * w[2] - y[2] * w[0]) + x[2] * (y[0] * w[1] - y[1] * w[0]);
}

} // namespace

void Layer::DrawVertices(GLenum mode, const Vertex* data, size_t count)
{
    const bool fromList = executingDepth > 0;
    if (!loaded || count == 0)
        return;
    const GLenum fill = GL_FILL;
    const bool unfilled = IsTriangleMode(mode) && (state.polygon.modeFront != fill || state.polygon.modeBack != fill);
    GLenum drawMode = mode;
    const Vertex* drawData = data;
    size_t drawCount = count;
    g_lines.clear();
    g_points.clear();
    if (mode == GL_QUADS || mode == GL_QUAD_STRIP || mode == GL_POLYGON || unfilled)
    {
        UpdateDerived(*this);
        const Mat4& mvp = g_derived.mvp;
        Triangulate(mode, count, mode == GL_QUADS && !fromList && state.lighting.shadeModel != GL_FLAT && InsideClipVolume(mvp, data, count),
                    &g_indices, &g_edges);
        g_expanded.clear();
        for (size_t t = 0; t < g_edges.size(); ++t)
        {
            const Vertex& a = data[g_indices[t * 3]];
            const Vertex& b = data[g_indices[t * 3 + 1]];
            const Vertex& c = data[g_indices[t * 3 + 2]];
            if (!unfilled)
            {
                g_expanded.push_back(a);
                g_expanded.push_back(b);
                g_expanded.push_back(c);
                continue;
            }
            const bool front = (WindowOrientation(mvp, a, b, c) > 0.0) == (state.polygon.frontFace == GL_CCW);
            if (state.polygon.cullFace &&
                (state.polygon.cullFaceMode == GL_FRONT_AND_BACK || (front == (state.polygon.cullFaceMode == GL_FRONT))))
                continue;
            const GLenum faceMode = front ? state.polygon.modeFront : state.polygon.modeBack;
            if (faceMode == GL_FILL)
            {
                g_expanded.push_back(a);
                g_expanded.push_back(b);
                g_expanded.push_back(c);
            }
            else
            {
                // Outline edges only; flat shading takes the triangle's last vertex.
                const Vertex* corners[3] = {&a, &b, &c};
                for (int e = 0; e < 3; ++e)
                {
                    if (!(g_edges[t] & (1 << e)))
                        continue;
                    Vertex from = *corners[e];
                    Vertex to = *corners[(e + 1) % 3];
                    if (faceMode == GL_LINE)
                    {
                        g_lines.push_back(from);
                        g_lines.push_back(to);
                    }
                    else
                    {
                        g_points.push_back(from);
                    }
                }
            }
        }
        drawMode = GL_TRIANGLES;
        drawData = g_expanded.data();
        drawCount = g_expanded.size();
    }

    struct Pass
    {
        GLenum mode;
        const Vertex* data;
        size_t count;
    };
    const Pass passes[3] = {{drawMode, drawData, drawCount},
                            {GL_LINES, g_lines.data(), g_lines.size()},
                            {GL_POINTS, g_points.data(), g_points.size()}};
    for (const Pass& pass : passes)
    {
        if (pass.count != 0 && UseProgramFor(*this, pass.mode) != nullptr)
            DrawStream(*this, pass.mode, pass.data, pass.count);
    }
}

void Layer::ReleaseObjects(bool callGl)
{
    programs.Release(callGl);
    for (auto& entry : lists)
        entry.second->Release(callGl);
    if (callGl && loaded)
    {
        EsFunctions& es = Es();
        if (streamBuffer != 0)
            es.DeleteBuffers(1, &streamBuffer);
        if (vertexArray != 0)
            es.DeleteVertexArrays(1, &vertexArray);
    }
    streamBuffer = vertexArray = 0;
    streamSize = streamOffset = 0;
    g_derived = Derived();
    cache.known = false;
    loaded = false;
}

bool Layer::DrawStatic(const StaticMesh& mesh)
{
    // Unfilled faces and flat shading need the list's primitives as they were.
    if (!loaded || state.polygon.modeFront != GL_FILL || state.polygon.modeBack != GL_FILL ||
        state.lighting.shadeModel == GL_FLAT)
        return false;
    if (UseProgramFor(*this, GL_TRIANGLES) == nullptr)
        return true;
    EsFunctions& es = Es();
    es.BindBuffer(GL_ARRAY_BUFFER, mesh.buffer);
    SetAttributePointers(0);
    // Attributes the list never set come from the current values, the same for every vertex.
    const CurrentGroup& c = state.current;
    const GLuint slots[4] = {kColor, kNormal, kTex0, kTex1};
    const float* values[4] = {c.color, c.normal, c.texCoord[0], c.texCoord[1]};
    for (int a = 0; a < 4; ++a)
    {
        if (mesh.perVertex[a])
            continue;
        es.DisableVertexAttribArray(slots[a]);
        const float* v = values[a];
        es.VertexAttrib4f(slots[a], v[0], v[1], a < 2 ? v[2] : 0.0f, a == 0 ? v[3] : 1.0f);
    }
    es.DrawArrays(GL_TRIANGLES, 0, mesh.count);
    for (int a = 0; a < 4; ++a)
        if (!mesh.perVertex[a])
            es.EnableVertexAttribArray(slots[a]);
    es.BindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    return true;
}
