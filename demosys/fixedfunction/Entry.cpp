// The layer's state entry points: enables, hints, matrices, viewport and buffers, lighting, fog,
// texture environments and generation, the attribute stacks, and every query.
//
// Sections: recording and helpers; enables; matrices; viewport, scissor, clear and fragment
// state; lighting; fog; texture environment and generation; attribute stacks; queries.
#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstring>

#include "fixedfunction/DisplayList.h"
#include "fixedfunction/EsFunctions.h"
#include "fixedfunction/Layer.h"
#include "fixedfunction/Matrix.h"
#include "fixedfunction/Record.h"

using namespace ff;

namespace {

// How many values a vector call (glLightfv, glMaterialfv, glLightModelfv, glFogfv, glTexEnvfv,
// glTexGenfv) reads for a parameter name; none of these names means another thing in another call.
int ParameterCount(GLenum pname)
{
    switch (pname)
    {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_POSITION:
    case GL_EMISSION:
    case GL_AMBIENT_AND_DIFFUSE:
    case GL_LIGHT_MODEL_AMBIENT:
    case GL_FOG_COLOR:
    case GL_TEXTURE_ENV_COLOR:
    case GL_OBJECT_PLANE:
    case GL_EYE_PLANE:
        return 4;
    case GL_SPOT_DIRECTION:
    case GL_COLOR_INDEXES:
        return 3;
    default:
        return 1;
    }
}

// The values a vector call passes, copied (the rest zero) so a display list can keep them.
std::array<float, 4> Parameters(GLenum pname, const GLfloat* params)
{
    std::array<float, 4> v = {0, 0, 0, 0};
    for (int i = 0; i < ParameterCount(pname); ++i)
        v[i] = params[i];
    return v;
}

// The enable flag a capability names, or null for one GL 1.1 does not have.
bool* EnableFlag(GLenum cap)
{
    ServerState& s = L().state;
    TextureUnit& unit = s.texture.units[s.texture.activeUnit];
    switch (cap)
    {
    case GL_ALPHA_TEST: return &s.colorBuffer.alphaTest;
    case GL_AUTO_NORMAL: return &s.autoNormal;
    case GL_BLEND: return &s.colorBuffer.blend;
    case GL_COLOR_LOGIC_OP: return &s.colorBuffer.logicOp;
    case GL_COLOR_MATERIAL: return &s.lighting.colorMaterial;
    case GL_CULL_FACE: return &s.polygon.cullFace;
    case GL_DEPTH_TEST: return &s.depth.test;
    case GL_DITHER: return &s.colorBuffer.dither;
    case GL_FOG: return &s.fog.enabled;
    case GL_LIGHTING: return &s.lighting.lighting;
    case GL_LINE_SMOOTH: return &s.line.smooth;
    case GL_LINE_STIPPLE: return &s.line.stipple;
    case GL_NORMALIZE: return &s.transform.normalize;
    case GL_RESCALE_NORMAL: return &s.transform.rescaleNormal;
    case GL_POINT_SMOOTH: return &s.point.smooth;
    case GL_POLYGON_OFFSET_FILL: return &s.polygon.offsetFill;
    case GL_POLYGON_OFFSET_LINE: return &s.polygon.offsetLine;
    case GL_POLYGON_OFFSET_POINT: return &s.polygon.offsetPoint;
    case GL_POLYGON_SMOOTH: return &s.polygon.smooth;
    case GL_POLYGON_STIPPLE: return &s.polygon.stipple;
    case GL_SCISSOR_TEST: return &s.scissor.test;
    case GL_STENCIL_TEST: return &s.stencil.test;
    case GL_TEXTURE_1D: return &unit.enabled1D;
    case GL_TEXTURE_2D: return &unit.enabled2D;
    case GL_TEXTURE_GEN_S: return &unit.gen[0].enabled;
    case GL_TEXTURE_GEN_T: return &unit.gen[1].enabled;
    case GL_TEXTURE_GEN_R: return &unit.gen[2].enabled;
    case GL_TEXTURE_GEN_Q: return &unit.gen[3].enabled;
    default:
        if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kLights)
            return &s.lighting.lights[cap - GL_LIGHT0].enabled;
        return nullptr;
    }
}

void SetEnable(GLenum cap, bool on)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    bool* flag = EnableFlag(cap);
    if (flag == nullptr)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    *flag = on;
}

} // namespace

namespace ff {

bool QueryEnable(GLenum cap, bool* on)
{
    bool* flag = EnableFlag(cap);
    if (flag == nullptr)
        return false;
    *on = *flag;
    return true;
}

} // namespace ff

// ---------------------------------------------------------------------------------------------
// Enables and hints
// ---------------------------------------------------------------------------------------------

void FfglEnable(GLenum cap)
{
    FF_RECORD(FfglEnable(cap));
    SetEnable(cap, true);
}

void FfglDisable(GLenum cap)
{
    FF_RECORD(FfglDisable(cap));
    SetEnable(cap, false);
}

GLboolean FfglIsEnabled(GLenum cap)
{
    Layer& l = L();
    if (l.InsideBegin())
        return GL_FALSE;
    if (cap == GL_VERTEX_ARRAY || cap == GL_NORMAL_ARRAY || cap == GL_COLOR_ARRAY || cap == GL_TEXTURE_COORD_ARRAY)
        return GL_FALSE;
    bool* flag = EnableFlag(cap);
    if (flag == nullptr)
    {
        l.SetError(GL_INVALID_ENUM);
        return GL_FALSE;
    }
    return *flag ? GL_TRUE : GL_FALSE;
}

void FfglHint(GLenum target, GLenum mode)
{
    FF_RECORD(FfglHint(target, mode));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (mode != GL_DONT_CARE && mode != GL_FASTEST && mode != GL_NICEST)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    HintGroup& h = l.state.hint;
    switch (target)
    {
    case GL_PERSPECTIVE_CORRECTION_HINT: h.perspectiveCorrection = mode; break;
    case GL_POINT_SMOOTH_HINT: h.pointSmooth = mode; break;
    case GL_LINE_SMOOTH_HINT: h.lineSmooth = mode; break;
    case GL_POLYGON_SMOOTH_HINT: h.polygonSmooth = mode; break;
    case GL_FOG_HINT: h.fog = mode; break;
    default: l.SetError(GL_INVALID_ENUM); break;
    }
}

// ---------------------------------------------------------------------------------------------
// Matrices
// ---------------------------------------------------------------------------------------------

namespace {

void MultiplyCurrent(const Mat4& m)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    Mat4& current = l.CurrentMatrix();
    current = Multiply(current, m);
    l.MatrixChanged();
}

Mat4 FromDoubles(const GLdouble* m)
{
    Mat4 r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = static_cast<float>(m[i]);
    return r;
}

} // namespace

void FfglMatrixMode(GLenum mode)
{
    FF_RECORD(FfglMatrixMode(mode));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.transform.matrixMode = mode;
}

void FfglLoadIdentity()
{
    FF_RECORD(FfglLoadIdentity());
    Layer& l = L();
    if (l.InsideBegin())
        return;
    l.CurrentMatrix() = Identity();
    l.MatrixChanged();
}

void FfglLoadMatrixf(const GLfloat* m)
{
    Mat4 copy;
    std::memcpy(copy.m, m, sizeof(copy.m));
    FF_RECORD(FfglLoadMatrixf(copy.m));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    l.CurrentMatrix() = copy;
    l.MatrixChanged();
}

void FfglLoadMatrixd(const GLdouble* m)
{
    const Mat4 f = FromDoubles(m);
    FfglLoadMatrixf(f.m);
}

void FfglMultMatrixf(const GLfloat* m)
{
    Mat4 copy;
    std::memcpy(copy.m, m, sizeof(copy.m));
    FF_RECORD(FfglMultMatrixf(copy.m));
    MultiplyCurrent(copy);
}

void FfglMultMatrixd(const GLdouble* m)
{
    const Mat4 f = FromDoubles(m);
    FfglMultMatrixf(f.m);
}

void FfglPushMatrix()
{
    FF_RECORD(FfglPushMatrix());
    Layer& l = L();
    if (l.InsideBegin())
        return;
    std::vector<Mat4>& stack = l.CurrentStack();
    const GLenum mode = l.state.transform.matrixMode;
    const size_t limit = mode == GL_MODELVIEW    ? kModelViewStackDepth
                         : mode == GL_PROJECTION ? kProjectionStackDepth
                                                 : kTextureStackDepth;
    if (stack.size() >= limit)
    {
        l.SetError(GL_STACK_OVERFLOW);
        return;
    }
    stack.push_back(stack.back());
}

void FfglPopMatrix()
{
    FF_RECORD(FfglPopMatrix());
    Layer& l = L();
    if (l.InsideBegin())
        return;
    std::vector<Mat4>& stack = l.CurrentStack();
    if (stack.size() <= 1)
    {
        l.SetError(GL_STACK_UNDERFLOW);
        return;
    }
    stack.pop_back();
    l.MatrixChanged();
}

void FfglTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    FF_RECORD(FfglTranslatef(x, y, z));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    // The last column only: m * T(x, y, z).
    float* m = l.CurrentMatrix().m;
    for (int row = 0; row < 4; ++row)
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    l.MatrixChanged();
}

void FfglTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    FfglTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void FfglRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    FF_RECORD(FfglRotatef(angle, x, y, z));
    MultiplyCurrent(Rotation(angle, x, y, z));
}

void FfglRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    FfglRotatef(static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void FfglScalef(GLfloat x, GLfloat y, GLfloat z)
{
    FF_RECORD(FfglScalef(x, y, z));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    float* m = l.CurrentMatrix().m;
    for (int row = 0; row < 4; ++row)
    {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
    l.MatrixChanged();
}

void FfglScaled(GLdouble x, GLdouble y, GLdouble z)
{
    FfglScalef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void FfglOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearValue, GLdouble farValue)
{
    FF_RECORD(FfglOrtho(left, right, bottom, top, nearValue, farValue));
    if (left == right || bottom == top || nearValue == farValue)
    {
        L().SetError(GL_INVALID_VALUE);
        return;
    }
    MultiplyCurrent(OrthoMatrix(left, right, bottom, top, nearValue, farValue));
}

void FfglFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearValue, GLdouble farValue)
{
    FF_RECORD(FfglFrustum(left, right, bottom, top, nearValue, farValue));
    if (nearValue <= 0.0 || farValue <= 0.0 || left == right || bottom == top || nearValue == farValue)
    {
        L().SetError(GL_INVALID_VALUE);
        return;
    }
    MultiplyCurrent(FrustumMatrix(left, right, bottom, top, nearValue, farValue));
}

// ---------------------------------------------------------------------------------------------
// Viewport, scissor, clear and fragment state
// ---------------------------------------------------------------------------------------------

void FfglViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    FF_RECORD(FfglViewport(x, y, width, height));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (width < 0 || height < 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    GLint* v = l.state.viewport.viewport;
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
}

void FfglDepthRange(GLclampd nearValue, GLclampd farValue)
{
    FF_RECORD(FfglDepthRange(nearValue, farValue));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    l.state.viewport.depthRange[0] = std::fmin(std::fmax(nearValue, 0.0), 1.0);
    l.state.viewport.depthRange[1] = std::fmin(std::fmax(farValue, 0.0), 1.0);
}

void FfglScissor(GLint x, GLint y, GLsizei width, GLsizei height)
{
    FF_RECORD(FfglScissor(x, y, width, height));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (width < 0 || height < 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    GLint* b = l.state.scissor.box;
    b[0] = x;
    b[1] = y;
    b[2] = width;
    b[3] = height;
}

void FfglClear(GLbitfield mask)
{
    FF_RECORD(FfglClear(mask));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (mask & ~(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT))
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    if (!l.loaded)
        return;
    l.SyncState(false);
    Es().Clear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

void FfglClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    FF_RECORD(FfglClearColor(r, g, b, a));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    float* c = l.state.colorBuffer.clearColor;
    c[0] = std::fmin(std::fmax(r, 0.0f), 1.0f);
    c[1] = std::fmin(std::fmax(g, 0.0f), 1.0f);
    c[2] = std::fmin(std::fmax(b, 0.0f), 1.0f);
    c[3] = std::fmin(std::fmax(a, 0.0f), 1.0f);
}

void FfglClearDepth(GLclampd depth)
{
    FF_RECORD(FfglClearDepth(depth));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    l.state.depth.clear = std::fmin(std::fmax(depth, 0.0), 1.0);
}

void FfglColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a)
{
    FF_RECORD(FfglColorMask(r, g, b, a));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    bool* m = l.state.colorBuffer.colorMask;
    m[0] = r != GL_FALSE;
    m[1] = g != GL_FALSE;
    m[2] = b != GL_FALSE;
    m[3] = a != GL_FALSE;
}

void FfglDepthMask(GLboolean flag)
{
    FF_RECORD(FfglDepthMask(flag));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    l.state.depth.mask = flag != GL_FALSE;
}

namespace {

bool IsCompareFunction(GLenum func) { return func >= GL_NEVER && func <= GL_ALWAYS; }

bool IsBlendFactor(GLenum factor, bool source)
{
    switch (factor)
    {
    case GL_ZERO:
    case GL_ONE:
    case GL_SRC_ALPHA:
    case GL_ONE_MINUS_SRC_ALPHA:
    case GL_DST_ALPHA:
    case GL_ONE_MINUS_DST_ALPHA:
        return true;
    case GL_SRC_COLOR:
    case GL_ONE_MINUS_SRC_COLOR:
        return !source;
    case GL_DST_COLOR:
    case GL_ONE_MINUS_DST_COLOR:
    case GL_SRC_ALPHA_SATURATE:
        return source;
    default:
        return false;
    }
}

} // namespace

void FfglDepthFunc(GLenum func)
{
    FF_RECORD(FfglDepthFunc(func));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (!IsCompareFunction(func))
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.depth.func = func;
}

void FfglBlendFunc(GLenum sfactor, GLenum dfactor)
{
    FF_RECORD(FfglBlendFunc(sfactor, dfactor));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    // OpenGL 1.1's factors; later versions (and the ES context) take every factor on both sides.
    const bool sourceOk = IsBlendFactor(sfactor, true) || sfactor == GL_SRC_COLOR || sfactor == GL_ONE_MINUS_SRC_COLOR;
    const bool destinationOk = IsBlendFactor(dfactor, false) || dfactor == GL_DST_COLOR ||
                               dfactor == GL_ONE_MINUS_DST_COLOR;
    if (!sourceOk || !destinationOk)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.colorBuffer.blendSrc = sfactor;
    l.state.colorBuffer.blendDst = dfactor;
}

void FfglAlphaFunc(GLenum func, GLclampf ref)
{
    FF_RECORD(FfglAlphaFunc(func, ref));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (!IsCompareFunction(func))
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.colorBuffer.alphaFunc = func;
    l.state.colorBuffer.alphaRef = std::fmin(std::fmax(ref, 0.0f), 1.0f);
    // The reference goes to the programs with the texture uniforms.
    l.textureVersion++;
}

void FfglCullFace(GLenum mode)
{
    FF_RECORD(FfglCullFace(mode));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (mode != GL_FRONT && mode != GL_BACK && mode != GL_FRONT_AND_BACK)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.polygon.cullFaceMode = mode;
}

void FfglFrontFace(GLenum mode)
{
    FF_RECORD(FfglFrontFace(mode));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (mode != GL_CW && mode != GL_CCW)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.polygon.frontFace = mode;
}

void FfglPolygonMode(GLenum face, GLenum mode)
{
    FF_RECORD(FfglPolygonMode(face, mode));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if ((face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) ||
        (mode != GL_POINT && mode != GL_LINE && mode != GL_FILL))
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    if (face != GL_BACK)
        l.state.polygon.modeFront = mode;
    if (face != GL_FRONT)
        l.state.polygon.modeBack = mode;
}

void FfglShadeModel(GLenum mode)
{
    FF_RECORD(FfglShadeModel(mode));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (mode != GL_FLAT && mode != GL_SMOOTH)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.lighting.shadeModel = mode;
}

void FfglLineWidth(GLfloat width)
{
    FF_RECORD(FfglLineWidth(width));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (width <= 0.0f)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    l.state.line.width = width;
}

void FfglPointSize(GLfloat size)
{
    FF_RECORD(FfglPointSize(size));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (size <= 0.0f)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    l.state.point.size = size;
    l.transformVersion++;
}

// ---------------------------------------------------------------------------------------------
// Lighting
// ---------------------------------------------------------------------------------------------

namespace {

void LightValues(GLenum lightName, GLenum pname, const std::array<float, 4>& v)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (lightName < GL_LIGHT0 || lightName >= GL_LIGHT0 + kLights)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    Light& light = l.state.lighting.lights[lightName - GL_LIGHT0];
    const Mat4& modelView = l.modelView.back();
    switch (pname)
    {
    case GL_AMBIENT: std::memcpy(light.ambient, v.data(), sizeof(light.ambient)); break;
    case GL_DIFFUSE: std::memcpy(light.diffuse, v.data(), sizeof(light.diffuse)); break;
    case GL_SPECULAR: std::memcpy(light.specular, v.data(), sizeof(light.specular)); break;
    case GL_POSITION:
        // Kept in eye coordinates, under the model-view matrix of this call.
        Transform(modelView, v.data(), light.position);
        break;
    case GL_SPOT_DIRECTION:
    {
        const float direction[4] = {v[0], v[1], v[2], 0.0f};
        float eye[4];
        Transform(modelView, direction, eye);
        std::memcpy(light.spotDirection, eye, sizeof(light.spotDirection));
        break;
    }
    case GL_SPOT_EXPONENT:
        if (v[0] < 0.0f || v[0] > 128.0f)
        {
            l.SetError(GL_INVALID_VALUE);
            return;
        }
        light.spotExponent = v[0];
        break;
    case GL_SPOT_CUTOFF:
        if ((v[0] < 0.0f || v[0] > 90.0f) && v[0] != 180.0f)
        {
            l.SetError(GL_INVALID_VALUE);
            return;
        }
        light.spotCutoff = v[0];
        break;
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION:
        if (v[0] < 0.0f)
        {
            l.SetError(GL_INVALID_VALUE);
            return;
        }
        light.attenuation[pname - GL_CONSTANT_ATTENUATION] = v[0];
        break;
    default:
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.lightingVersion++;
}

void MaterialValues(GLenum face, GLenum pname, const std::array<float, 4>& v)
{
    Layer& l = L();
    if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    for (int side = 0; side < 2; ++side)
    {
        if ((side == 0 && face == GL_BACK) || (side == 1 && face == GL_FRONT))
            continue;
        Material& m = l.state.lighting.material[side];
        switch (pname)
        {
        case GL_AMBIENT: std::memcpy(m.ambient, v.data(), sizeof(m.ambient)); break;
        case GL_DIFFUSE: std::memcpy(m.diffuse, v.data(), sizeof(m.diffuse)); break;
        case GL_SPECULAR: std::memcpy(m.specular, v.data(), sizeof(m.specular)); break;
        case GL_EMISSION: std::memcpy(m.emission, v.data(), sizeof(m.emission)); break;
        case GL_AMBIENT_AND_DIFFUSE:
            std::memcpy(m.ambient, v.data(), sizeof(m.ambient));
            std::memcpy(m.diffuse, v.data(), sizeof(m.diffuse));
            break;
        case GL_SHININESS:
            if (v[0] < 0.0f || v[0] > 128.0f)
            {
                l.SetError(GL_INVALID_VALUE);
                return;
            }
            m.shininess = v[0];
            break;
        case GL_COLOR_INDEXES: break;
        default:
            l.SetError(GL_INVALID_ENUM);
            return;
        }
    }
    l.lightingVersion++;
}

} // namespace

void FfglLightf(GLenum light, GLenum pname, GLfloat param)
{
    if (ParameterCount(pname) != 1)
    {
        L().SetError(GL_INVALID_ENUM);
        return;
    }
    FfglLightfv(light, pname, &param);
}

void FfglLightfv(GLenum light, GLenum pname, const GLfloat* params)
{
    const std::array<float, 4> v = Parameters(pname, params);
    FF_RECORD(LightValues(light, pname, v));
    LightValues(light, pname, v);
}

void FfglLightModelfv(GLenum pname, const GLfloat* params)
{
    const std::array<float, 4> v = Parameters(pname, params);
    FF_RECORD(FfglLightModelfv(pname, v.data()));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    LightingGroup& g = l.state.lighting;
    switch (pname)
    {
    case GL_LIGHT_MODEL_AMBIENT: std::memcpy(g.modelAmbient, v.data(), sizeof(g.modelAmbient)); break;
    case GL_LIGHT_MODEL_LOCAL_VIEWER: g.localViewer = v[0] != 0.0f; break;
    case GL_LIGHT_MODEL_TWO_SIDE: g.twoSide = v[0] != 0.0f; break;
    default: l.SetError(GL_INVALID_ENUM); return;
    }
    l.lightingVersion++;
}

void FfglLightModelf(GLenum pname, GLfloat param)
{
    if (pname == GL_LIGHT_MODEL_AMBIENT)
    {
        L().SetError(GL_INVALID_ENUM);
        return;
    }
    FfglLightModelfv(pname, &param);
}

void FfglLightModeli(GLenum pname, GLint param)
{
    FfglLightModelf(pname, static_cast<float>(param));
}

void FfglMaterialfv(GLenum face, GLenum pname, const GLfloat* params)
{
    const std::array<float, 4> v = Parameters(pname, params);
    FF_RECORD(MaterialValues(face, pname, v));
    MaterialValues(face, pname, v);
}

void FfglMaterialf(GLenum face, GLenum pname, GLfloat param)
{
    if (pname != GL_SHININESS)
    {
        L().SetError(GL_INVALID_ENUM);
        return;
    }
    FfglMaterialfv(face, pname, &param);
}

void FfglColorMaterial(GLenum face, GLenum mode)
{
    FF_RECORD(FfglColorMaterial(face, mode));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if ((face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) ||
        (mode != GL_EMISSION && mode != GL_AMBIENT && mode != GL_DIFFUSE && mode != GL_SPECULAR &&
         mode != GL_AMBIENT_AND_DIFFUSE))
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.lighting.colorMaterialFace = face;
    l.state.lighting.colorMaterialMode = mode;
}

void FfglGetLightfv(GLenum lightName, GLenum pname, GLfloat* params)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (lightName < GL_LIGHT0 || lightName >= GL_LIGHT0 + kLights)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    const Light& light = l.state.lighting.lights[lightName - GL_LIGHT0];
    switch (pname)
    {
    case GL_AMBIENT: std::memcpy(params, light.ambient, sizeof(light.ambient)); break;
    case GL_DIFFUSE: std::memcpy(params, light.diffuse, sizeof(light.diffuse)); break;
    case GL_SPECULAR: std::memcpy(params, light.specular, sizeof(light.specular)); break;
    case GL_POSITION: std::memcpy(params, light.position, sizeof(light.position)); break;
    case GL_SPOT_DIRECTION: std::memcpy(params, light.spotDirection, sizeof(light.spotDirection)); break;
    case GL_SPOT_EXPONENT: params[0] = light.spotExponent; break;
    case GL_SPOT_CUTOFF: params[0] = light.spotCutoff; break;
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION: params[0] = light.attenuation[pname - GL_CONSTANT_ATTENUATION]; break;
    default: l.SetError(GL_INVALID_ENUM); break;
    }
}

void FfglGetMaterialfv(GLenum face, GLenum pname, GLfloat* params)
{
    Layer& l = L();
    if (face != GL_FRONT && face != GL_BACK)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    const Material& m = l.state.lighting.material[face == GL_FRONT ? 0 : 1];
    switch (pname)
    {
    case GL_AMBIENT: std::memcpy(params, m.ambient, sizeof(m.ambient)); break;
    case GL_DIFFUSE: std::memcpy(params, m.diffuse, sizeof(m.diffuse)); break;
    case GL_SPECULAR: std::memcpy(params, m.specular, sizeof(m.specular)); break;
    case GL_EMISSION: std::memcpy(params, m.emission, sizeof(m.emission)); break;
    case GL_SHININESS: params[0] = m.shininess; break;
    default: l.SetError(GL_INVALID_ENUM); break;
    }
}

// ---------------------------------------------------------------------------------------------
// Fog
// ---------------------------------------------------------------------------------------------

void FfglFogfv(GLenum pname, const GLfloat* params)
{
    const std::array<float, 4> v = Parameters(pname, params);
    FF_RECORD(FfglFogfv(pname, v.data()));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    FogGroup& f = l.state.fog;
    switch (pname)
    {
    case GL_FOG_MODE:
    {
        const GLenum mode = static_cast<GLenum>(v[0]);
        if (mode != GL_LINEAR && mode != GL_EXP && mode != GL_EXP2)
        {
            l.SetError(GL_INVALID_ENUM);
            return;
        }
        f.mode = mode;
        break;
    }
    case GL_FOG_DENSITY:
        if (v[0] < 0.0f)
        {
            l.SetError(GL_INVALID_VALUE);
            return;
        }
        f.density = v[0];
        break;
    case GL_FOG_START: f.start = v[0]; break;
    case GL_FOG_END: f.end = v[0]; break;
    case GL_FOG_INDEX: f.index = v[0]; break;
    case GL_FOG_COLOR:
        for (int i = 0; i < 4; ++i)
            f.color[i] = std::fmin(std::fmax(v[i], 0.0f), 1.0f);
        break;
    default: l.SetError(GL_INVALID_ENUM); return;
    }
    l.fogVersion++;
}

void FfglFogf(GLenum pname, GLfloat param)
{
    if (pname == GL_FOG_COLOR)
    {
        L().SetError(GL_INVALID_ENUM);
        return;
    }
    FfglFogfv(pname, &param);
}

void FfglFogi(GLenum pname, GLint param) { FfglFogf(pname, static_cast<float>(param)); }

void FfglFogiv(GLenum pname, const GLint* params)
{
    float v[4] = {static_cast<float>(params[0]), 0, 0, 0};
    if (pname == GL_FOG_COLOR)
        for (int i = 0; i < 4; ++i)
            v[i] = static_cast<float>(params[i]) / 2147483647.0f;
    FfglFogfv(pname, v);
}

// ---------------------------------------------------------------------------------------------
// Texture environment and generation
// ---------------------------------------------------------------------------------------------

namespace {

bool IsCombineFunction(GLenum f, bool alpha)
{
    switch (f)
    {
    case GL_REPLACE:
    case GL_MODULATE:
    case GL_ADD:
    case GL_ADD_SIGNED:
    case GL_INTERPOLATE:
    case GL_SUBTRACT:
        return true;
    case GL_DOT3_RGB:
    case GL_DOT3_RGBA:
        return !alpha;
    default:
        return false;
    }
}

void EnvValues(GLenum target, GLenum pname, const std::array<float, 4>& v)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (target != GL_TEXTURE_ENV)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    TexEnv& e = l.state.texture.units[l.state.texture.activeUnit].env;
    const GLenum value = static_cast<GLenum>(v[0]);
    bool ok = true;
    switch (pname)
    {
    case GL_TEXTURE_ENV_MODE:
        ok = value == GL_MODULATE || value == GL_REPLACE || value == GL_DECAL || value == GL_BLEND || value == GL_ADD ||
             value == GL_COMBINE;
        if (ok)
            e.mode = value;
        break;
    case GL_TEXTURE_ENV_COLOR:
        for (int i = 0; i < 4; ++i)
            e.color[i] = std::fmin(std::fmax(v[i], 0.0f), 1.0f);
        break;
    case GL_COMBINE_RGB:
        ok = IsCombineFunction(value, false);
        if (ok)
            e.combineRgb = value;
        break;
    case GL_COMBINE_ALPHA:
        ok = IsCombineFunction(value, true);
        if (ok)
            e.combineAlpha = value;
        break;
    case GL_SOURCE0_RGB:
    case GL_SOURCE1_RGB:
    case GL_SOURCE2_RGB:
    case GL_SOURCE0_ALPHA:
    case GL_SOURCE1_ALPHA:
    case GL_SOURCE2_ALPHA:
        ok = value == GL_TEXTURE || value == GL_CONSTANT || value == GL_PRIMARY_COLOR || value == GL_PREVIOUS;
        if (ok)
        {
            if (pname <= GL_SOURCE2_RGB)
                e.sourceRgb[pname - GL_SOURCE0_RGB] = value;
            else
                e.sourceAlpha[pname - GL_SOURCE0_ALPHA] = value;
        }
        break;
    case GL_OPERAND0_RGB:
    case GL_OPERAND1_RGB:
    case GL_OPERAND2_RGB:
        ok = value == GL_SRC_COLOR || value == GL_ONE_MINUS_SRC_COLOR || value == GL_SRC_ALPHA ||
             value == GL_ONE_MINUS_SRC_ALPHA;
        if (ok)
            e.operandRgb[pname - GL_OPERAND0_RGB] = value;
        break;
    case GL_OPERAND0_ALPHA:
    case GL_OPERAND1_ALPHA:
    case GL_OPERAND2_ALPHA:
        ok = value == GL_SRC_ALPHA || value == GL_ONE_MINUS_SRC_ALPHA;
        if (ok)
            e.operandAlpha[pname - GL_OPERAND0_ALPHA] = value;
        break;
    case GL_RGB_SCALE:
    case GL_ALPHA_SCALE:
        if (v[0] != 1.0f && v[0] != 2.0f && v[0] != 4.0f)
        {
            l.SetError(GL_INVALID_VALUE);
            return;
        }
        (pname == GL_RGB_SCALE ? e.rgbScale : e.alphaScale) = v[0];
        break;
    default:
        ok = false;
        break;
    }
    if (!ok)
        l.SetError(GL_INVALID_ENUM);
    l.textureVersion++;
}

} // namespace

void FfglTexEnvfv(GLenum target, GLenum pname, const GLfloat* params)
{
    const std::array<float, 4> v = Parameters(pname, params);
    FF_RECORD(EnvValues(target, pname, v));
    EnvValues(target, pname, v);
}

void FfglTexEnvf(GLenum target, GLenum pname, GLfloat param)
{
    if (pname == GL_TEXTURE_ENV_COLOR)
    {
        L().SetError(GL_INVALID_ENUM);
        return;
    }
    FfglTexEnvfv(target, pname, &param);
}

void FfglTexEnvi(GLenum target, GLenum pname, GLint param) { FfglTexEnvf(target, pname, static_cast<float>(param)); }

void FfglGetTexEnviv(GLenum target, GLenum pname, GLint* params)
{
    Layer& l = L();
    if (target != GL_TEXTURE_ENV)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    const TexEnv& e = l.state.texture.units[l.state.texture.activeUnit].env;
    switch (pname)
    {
    case GL_TEXTURE_ENV_MODE: params[0] = static_cast<GLint>(e.mode); break;
    case GL_COMBINE_RGB: params[0] = static_cast<GLint>(e.combineRgb); break;
    case GL_COMBINE_ALPHA: params[0] = static_cast<GLint>(e.combineAlpha); break;
    case GL_SOURCE0_RGB:
    case GL_SOURCE1_RGB:
    case GL_SOURCE2_RGB: params[0] = static_cast<GLint>(e.sourceRgb[pname - GL_SOURCE0_RGB]); break;
    case GL_SOURCE0_ALPHA:
    case GL_SOURCE1_ALPHA:
    case GL_SOURCE2_ALPHA: params[0] = static_cast<GLint>(e.sourceAlpha[pname - GL_SOURCE0_ALPHA]); break;
    case GL_OPERAND0_RGB:
    case GL_OPERAND1_RGB:
    case GL_OPERAND2_RGB: params[0] = static_cast<GLint>(e.operandRgb[pname - GL_OPERAND0_RGB]); break;
    case GL_OPERAND0_ALPHA:
    case GL_OPERAND1_ALPHA:
    case GL_OPERAND2_ALPHA: params[0] = static_cast<GLint>(e.operandAlpha[pname - GL_OPERAND0_ALPHA]); break;
    case GL_RGB_SCALE: params[0] = static_cast<GLint>(e.rgbScale); break;
    case GL_ALPHA_SCALE: params[0] = static_cast<GLint>(e.alphaScale); break;
    case GL_TEXTURE_ENV_COLOR:
        for (int i = 0; i < 4; ++i)
            params[i] = static_cast<GLint>(e.color[i] * 2147483647.0);
        break;
    default: l.SetError(GL_INVALID_ENUM); break;
    }
}

namespace {

void GenValues(GLenum coord, GLenum pname, const std::array<float, 4>& v)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (coord < GL_S || coord > GL_Q)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    TexGen& g = l.state.texture.units[l.state.texture.activeUnit].gen[coord - GL_S];
    switch (pname)
    {
    case GL_TEXTURE_GEN_MODE:
    {
        const GLenum mode = static_cast<GLenum>(v[0]);
        const bool ok = mode == GL_OBJECT_LINEAR || mode == GL_EYE_LINEAR ||
                        (mode == GL_SPHERE_MAP && (coord == GL_S || coord == GL_T));
        if (!ok)
        {
            l.SetError(GL_INVALID_ENUM);
            return;
        }
        g.mode = mode;
        break;
    }
    case GL_OBJECT_PLANE: std::memcpy(g.objectPlane, v.data(), sizeof(g.objectPlane)); break;
    case GL_EYE_PLANE:
    {
        // Kept in eye coordinates: the plane times the inverse of this call's model-view.
        Mat4 inverse;
        Invert(l.modelView.back(), &inverse);
        for (int i = 0; i < 4; ++i)
            g.eyePlane[i] = v[0] * inverse.m[i * 4 + 0] + v[1] * inverse.m[i * 4 + 1] + v[2] * inverse.m[i * 4 + 2] +
                            v[3] * inverse.m[i * 4 + 3];
        break;
    }
    default: l.SetError(GL_INVALID_ENUM); return;
    }
    l.textureVersion++;
}

} // namespace

void FfglTexGenfv(GLenum coord, GLenum pname, const GLfloat* params)
{
    const std::array<float, 4> v = Parameters(pname, params);
    FF_RECORD(GenValues(coord, pname, v));
    GenValues(coord, pname, v);
}

void FfglTexGeni(GLenum coord, GLenum pname, GLint param)
{
    if (pname != GL_TEXTURE_GEN_MODE)
    {
        L().SetError(GL_INVALID_ENUM);
        return;
    }
    const float value = static_cast<float>(param);
    FfglTexGenfv(coord, pname, &value);
}

void FfglGetTexGeniv(GLenum coord, GLenum pname, GLint* params)
{
    Layer& l = L();
    if (coord < GL_S || coord > GL_Q || pname != GL_TEXTURE_GEN_MODE)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    params[0] = static_cast<GLint>(l.state.texture.units[l.state.texture.activeUnit].gen[coord - GL_S].mode);
}

void FfglActiveTexture(GLenum unit)
{
    FF_RECORD(FfglActiveTexture(unit));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (unit < GL_TEXTURE0 || unit >= GL_TEXTURE0 + static_cast<GLenum>(kUnits))
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    l.state.texture.activeUnit = static_cast<int>(unit - GL_TEXTURE0);
}

// ---------------------------------------------------------------------------------------------
// Attribute stacks
// ---------------------------------------------------------------------------------------------

void FfglPushAttrib(GLbitfield mask)
{
    FF_RECORD(FfglPushAttrib(mask));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (l.attribStack.size() >= static_cast<size_t>(kAttribStackDepth))
    {
        l.SetError(GL_STACK_OVERFLOW);
        return;
    }
    AttribEntry entry;
    entry.mask = mask;
    entry.state = l.state;
    if (mask & GL_TEXTURE_BIT)
        for (int u = 0; u < kUnits; ++u)
        {
            entry.boundTextures[u] = l.state.texture.units[u].binding2D;
            const TextureObject* object = l.BoundTexture(u);
            entry.boundExists[u] = object != nullptr;
            if (object != nullptr)
                entry.boundObjects[u] = *object;
        }
    l.attribStack.push_back(entry);
}

void FfglPopAttrib()
{
    FF_RECORD(FfglPopAttrib());
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (l.attribStack.empty())
    {
        l.SetError(GL_STACK_UNDERFLOW);
        return;
    }
    const AttribEntry& entry = l.attribStack.back();
    RestoreGroups(entry.mask, entry.state, l.state);
    if (entry.mask & GL_TEXTURE_BIT)
    {
        // The bound textures' parameters come back too (the objects keep their images).
        for (int u = 0; u < kUnits; ++u)
        {
            if (!entry.boundExists[u])
                continue;
            auto found = l.textures.find(entry.boundTextures[u]);
            if (found == l.textures.end())
                continue;
            TextureObject& object = found->second;
            const TextureObject& saved = entry.boundObjects[u];
            object.minFilter = saved.minFilter;
            object.magFilter = saved.magFilter;
            object.wrapS = saved.wrapS;
            object.wrapT = saved.wrapT;
            std::memcpy(object.borderColor, saved.borderColor, sizeof(object.borderColor));
            object.paramsDirty = true;
        }
    }
    l.attribStack.pop_back();
    l.transformVersion++;
    l.lightingVersion++;
    l.fogVersion++;
    l.textureVersion++;
}

void FfglPushClientAttrib(GLbitfield mask)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (l.clientAttribStack.size() >= static_cast<size_t>(kAttribStackDepth))
    {
        l.SetError(GL_STACK_OVERFLOW);
        return;
    }
    l.clientAttribStack.push_back({mask, l.client});
}

void FfglPopClientAttrib()
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (l.clientAttribStack.empty())
    {
        l.SetError(GL_STACK_UNDERFLOW);
        return;
    }
    const ClientAttribEntry& entry = l.clientAttribStack.back();
    if (entry.mask & GL_CLIENT_PIXEL_STORE_BIT)
    {
        l.client.pack = entry.state.pack;
        l.client.unpack = entry.state.unpack;
    }
    if (entry.mask & GL_CLIENT_VERTEX_ARRAY_BIT)
        l.client.clientActiveUnit = entry.state.clientActiveUnit;
    l.clientAttribStack.pop_back();
}
