#include "fixedfunction/State.h"

#include <cstring>

namespace ff {

namespace {

void Set4(float* to, float a, float b, float c, float d)
{
    to[0] = a;
    to[1] = b;
    to[2] = c;
    to[3] = d;
}

} // namespace

ServerState InitialServerState(int viewportWidth, int viewportHeight)
{
    ServerState s;
    std::memset(&s, 0, sizeof(s));
    Set4(s.current.color, 1, 1, 1, 1);
    s.current.normal[2] = 1.0f;
    for (auto& tex : s.current.texCoord)
        Set4(tex, 0, 0, 0, 1);
    Set4(s.current.rasterPos, 0, 0, 0, 1);
    s.current.rasterPosValid = true;
    s.current.edgeFlag = true;
    s.point.size = 1.0f;
    s.line.width = 1.0f;
    s.polygon.cullFaceMode = GL_BACK;
    s.polygon.frontFace = GL_CCW;
    s.polygon.modeFront = s.polygon.modeBack = GL_FILL;
    s.pixelMode.readBuffer = GL_BACK;

    LightingGroup& l = s.lighting;
    for (int i = 0; i < kLights; ++i)
    {
        Light& light = l.lights[i];
        Set4(light.ambient, 0, 0, 0, 1);
        if (i == 0)
        {
            Set4(light.diffuse, 1, 1, 1, 1);
            Set4(light.specular, 1, 1, 1, 1);
        }
        else
        {
            Set4(light.diffuse, 0, 0, 0, 1);
            Set4(light.specular, 0, 0, 0, 1);
        }
        Set4(light.position, 0, 0, 1, 0);
        light.spotDirection[2] = -1.0f;
        light.spotCutoff = 180.0f;
        light.attenuation[0] = 1.0f;
    }
    Set4(l.modelAmbient, 0.2f, 0.2f, 0.2f, 1.0f);
    for (Material& m : l.material)
    {
        Set4(m.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
        Set4(m.diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
        Set4(m.specular, 0, 0, 0, 1);
        Set4(m.emission, 0, 0, 0, 1);
    }
    l.colorMaterialFace = GL_FRONT_AND_BACK;
    l.colorMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    l.shadeModel = GL_SMOOTH;

    s.fog.mode = GL_EXP;
    s.fog.density = 1.0f;
    s.fog.end = 1.0f;
    s.depth.func = GL_LESS;
    s.depth.clear = 1.0;
    s.depth.mask = true;
    s.viewport.viewport[2] = viewportWidth;
    s.viewport.viewport[3] = viewportHeight;
    s.viewport.depthRange[1] = 1.0;
    s.transform.matrixMode = GL_MODELVIEW;

    ColorBufferGroup& c = s.colorBuffer;
    c.alphaFunc = GL_ALWAYS;
    c.blendSrc = GL_ONE;
    c.blendDst = GL_ZERO;
    c.dither = true;
    c.drawBuffer = GL_BACK;
    c.logicOpMode = GL_COPY;
    for (bool& mask : c.colorMask)
        mask = true;


    s.hint.perspectiveCorrection = s.hint.pointSmooth = s.hint.lineSmooth = s.hint.polygonSmooth = s.hint.fog =
        GL_DONT_CARE;
    s.scissor.box[2] = viewportWidth;
    s.scissor.box[3] = viewportHeight;

    for (TextureUnit& unit : s.texture.units)
    {
        TexEnv& e = unit.env;
        e.mode = GL_MODULATE;
        e.combineRgb = e.combineAlpha = GL_MODULATE;
        e.sourceRgb[0] = e.sourceAlpha[0] = GL_TEXTURE;
        e.sourceRgb[1] = e.sourceAlpha[1] = GL_PREVIOUS;
        e.sourceRgb[2] = e.sourceAlpha[2] = GL_CONSTANT;
        e.operandRgb[0] = e.operandRgb[1] = GL_SRC_COLOR;
        e.operandRgb[2] = GL_SRC_ALPHA;
        e.operandAlpha[0] = e.operandAlpha[1] = e.operandAlpha[2] = GL_SRC_ALPHA;
        e.rgbScale = e.alphaScale = 1.0f;
        for (int c2 = 0; c2 < 4; ++c2)
        {
            TexGen& g = unit.gen[c2];
            g.mode = GL_EYE_LINEAR;
            // s: (1, 0, 0, 0), t: (0, 1, 0, 0), r and q: zero.
            if (c2 < 2)
            {
                g.objectPlane[c2] = 1.0f;
                g.eyePlane[c2] = 1.0f;
            }
        }
    }
    return s;
}

ClientState InitialClientState()
{
    ClientState c;
    std::memset(&c, 0, sizeof(c));
    c.pack.alignment = 4;
    c.unpack.alignment = 4;
    return c;
}

void RestoreGroups(GLbitfield mask, const ServerState& saved, ServerState& s)
{
    if (mask & GL_CURRENT_BIT)
        s.current = saved.current;
    if (mask & GL_POINT_BIT)
        s.point = saved.point;
    if (mask & GL_LINE_BIT)
        s.line = saved.line;
    if (mask & GL_POLYGON_BIT)
        s.polygon = saved.polygon;
    if (mask & GL_PIXEL_MODE_BIT)
        s.pixelMode = saved.pixelMode;
    if (mask & GL_LIGHTING_BIT)
        s.lighting = saved.lighting;
    if (mask & GL_FOG_BIT)
        s.fog = saved.fog;
    if (mask & GL_DEPTH_BUFFER_BIT)
        s.depth = saved.depth;
    if (mask & GL_STENCIL_BUFFER_BIT)
        s.stencil = saved.stencil;
    if (mask & GL_VIEWPORT_BIT)
        s.viewport = saved.viewport;
    if (mask & GL_TRANSFORM_BIT)
        s.transform = saved.transform;
    if (mask & GL_COLOR_BUFFER_BIT)
    {
        s.colorBuffer = saved.colorBuffer;

    }
    if (mask & GL_HINT_BIT)
        s.hint = saved.hint;
    if (mask & GL_LIST_BIT)
        s.list = saved.list;
    if (mask & GL_TEXTURE_BIT)
        s.texture = saved.texture;
    if (mask & GL_SCISSOR_BIT)
        s.scissor = saved.scissor;
    if (mask & GL_ENABLE_BIT)
    {
        // Every enable, wherever its group keeps it; the per-light enables too, as OpenGL 1.1
        // says.
        s.colorBuffer.alphaTest = saved.colorBuffer.alphaTest;
        s.colorBuffer.blend = saved.colorBuffer.blend;
        s.colorBuffer.logicOp = saved.colorBuffer.logicOp;
        s.colorBuffer.dither = saved.colorBuffer.dither;

        s.autoNormal = saved.autoNormal;
        s.polygon.cullFace = saved.polygon.cullFace;
        s.polygon.smooth = saved.polygon.smooth;
        s.polygon.stipple = saved.polygon.stipple;
        s.polygon.offsetFill = saved.polygon.offsetFill;
        s.polygon.offsetLine = saved.polygon.offsetLine;
        s.polygon.offsetPoint = saved.polygon.offsetPoint;
        s.depth.test = saved.depth.test;
        s.fog.enabled = saved.fog.enabled;
        s.lighting.lighting = saved.lighting.lighting;
        s.lighting.colorMaterial = saved.lighting.colorMaterial;
        for (int i = 0; i < kLights; ++i)
            s.lighting.lights[i].enabled = saved.lighting.lights[i].enabled;
        s.line.smooth = saved.line.smooth;
        s.line.stipple = saved.line.stipple;
        s.point.smooth = saved.point.smooth;
        s.transform.normalize = saved.transform.normalize;
        s.transform.rescaleNormal = saved.transform.rescaleNormal;
        s.scissor.test = saved.scissor.test;
        s.stencil.test = saved.stencil.test;
        for (int u = 0; u < kUnits; ++u)
        {
            s.texture.units[u].enabled1D = saved.texture.units[u].enabled1D;
            s.texture.units[u].enabled2D = saved.texture.units[u].enabled2D;
            for (int c = 0; c < 4; ++c)
                s.texture.units[u].gen[c].enabled = saved.texture.units[u].gen[c].enabled;
        }
    }
}

} // namespace ff
