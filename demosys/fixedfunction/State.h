// The layer's GL state, grouped exactly as OpenGL 1.1's attribute groups are: glPushAttrib saves
// the groups its mask names and glPopAttrib puts back exactly those. An enable that belongs to
// several groups (blending: colour buffer and enable) lives once, in its natural group, and
// both masks restore it. Matrix stacks, texture objects and display lists are no group's.
#pragma once

#include <GL/gl.h>

#include <cstdint>

namespace ff {

constexpr int kUnits = 2;          // texture units (ARB_multitexture)
constexpr int kLights = 8;
constexpr int kAttribStackDepth = 16;
constexpr int kModelViewStackDepth = 32;
constexpr int kProjectionStackDepth = 32;
constexpr int kTextureStackDepth = 10;
constexpr int kListNesting = 64;

// A 4 x 4 matrix, column-major as GL keeps it: m[column * 4 + row].
struct Mat4
{
    float m[16];
};

struct CurrentGroup
{
    float color[4];
    float normal[3];
    float texCoord[kUnits][4];
    float rasterPos[4];
    bool rasterPosValid;
    bool edgeFlag;
};

struct PointGroup
{
    float size;
    bool smooth;
};

struct LineGroup
{
    float width;
    bool smooth;
    bool stipple;
};

struct PolygonGroup
{
    bool cullFace;
    GLenum cullFaceMode;
    GLenum frontFace;
    GLenum modeFront;
    GLenum modeBack;
    bool smooth;
    bool stipple;
    bool offsetFill;
    bool offsetLine;
    bool offsetPoint;
    float offsetFactor;
    float offsetUnits;
};

struct Light
{
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float position[4];        // eye coordinates, transformed when set
    float spotDirection[3];   // eye coordinates
    float spotExponent;
    float spotCutoff;
    float attenuation[3];     // constant, linear, quadratic
    bool enabled;
};

struct Material
{
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emission[4];
    float shininess;
};

struct LightingGroup
{
    bool lighting;
    Light lights[kLights];
    float modelAmbient[4];
    bool localViewer;
    bool twoSide;
    Material material[2];     // front, back
    bool colorMaterial;
    GLenum colorMaterialFace;
    GLenum colorMaterialMode;
    GLenum shadeModel;
};

struct FogGroup
{
    bool enabled;
    GLenum mode;
    float density;
    float start;
    float end;
    float index;
    float color[4];
};

struct DepthGroup
{
    bool test;
    GLenum func;
    double clear;
    bool mask;
};

struct ColorBufferGroup
{
    bool alphaTest;
    GLenum alphaFunc;
    float alphaRef;
    bool blend;
    GLenum blendSrc;
    GLenum blendDst;
    bool dither;
    GLenum drawBuffer;
    bool logicOp;
    GLenum logicOpMode;
    float clearColor[4];
    bool colorMask[4];
};

struct StencilGroup
{
    bool test;
    GLint clear;
};

struct ViewportGroup
{
    GLint viewport[4];
    double depthRange[2];
};

struct TransformGroup
{
    GLenum matrixMode;
    bool normalize;
    bool rescaleNormal;
};

struct HintGroup
{
    GLenum perspectiveCorrection;
    GLenum pointSmooth;
    GLenum lineSmooth;
    GLenum polygonSmooth;
    GLenum fog;
};

struct ScissorGroup
{
    bool test;
    GLint box[4];
};

struct TexGen
{
    bool enabled;
    GLenum mode;
    float objectPlane[4];
    float eyePlane[4];        // eye coordinates, transformed when set
};

struct TexEnv
{
    GLenum mode;
    float color[4];
    GLenum combineRgb;
    GLenum combineAlpha;
    GLenum sourceRgb[3];
    GLenum sourceAlpha[3];
    GLenum operandRgb[3];
    GLenum operandAlpha[3];
    float rgbScale;
    float alphaScale;
};

struct TextureUnit
{
    bool enabled1D;
    bool enabled2D;
    GLuint binding2D;
    TexEnv env;
    TexGen gen[4];            // s, t, r, q
};

struct TextureGroup
{
    int activeUnit;
    TextureUnit units[kUnits];
};

struct PixelModeGroup
{
    GLenum readBuffer;
};

struct ListGroup
{
    GLuint base;
};

// Everything glPushAttrib can save.
struct ServerState
{
    CurrentGroup current;
    PointGroup point;
    LineGroup line;
    PolygonGroup polygon;
    PixelModeGroup pixelMode;
    LightingGroup lighting;
    FogGroup fog;
    DepthGroup depth;
    StencilGroup stencil;
    ViewportGroup viewport;
    TransformGroup transform;
    ColorBufferGroup colorBuffer;
    HintGroup hint;
    ListGroup list;
    TextureGroup texture;
    ScissorGroup scissor;
    bool autoNormal;
};

struct PixelStore
{
    GLint alignment;
    GLint rowLength;
    GLint skipRows;
    GLint skipPixels;
    bool swapBytes;
    bool lsbFirst;
};

// Everything glPushClientAttrib can save.
struct ClientState
{
    PixelStore pack;
    PixelStore unpack;
    int clientActiveUnit;
};

// GL's initial state.
ServerState InitialServerState(int viewportWidth, int viewportHeight);
ClientState InitialClientState();

// Puts back into `state` the groups of `mask` from `saved`, as glPopAttrib does.
void RestoreGroups(GLbitfield mask, const ServerState& saved, ServerState& state);

} // namespace ff
