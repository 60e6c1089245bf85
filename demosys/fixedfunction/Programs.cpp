// The shader generator: GLSL ES 3.00 written from a ProgramKey, with OpenGL 1.1's per-vertex
// lighting, texture-coordinate generation, fog coordinate (the eye distance along z) and
// texture matrices in the vertex shader, and the texture environments, alpha test and fog in
// the fragment shader.
#include "fixedfunction/Programs.h"

#include <cstring>

#include "fixedfunction/EsFunctions.h"

namespace ff {

namespace {

const char* const kUniformNames[kUniformCount] = {
    "u_mvp",          "u_modelView",     "u_normalMatrix",     "u_normalScale",  "u_sceneColor",
    "u_lightPosition", "u_lightHalf",    "u_lightAmbient",     "u_lightDiffuse", "u_lightSpecular",
    "u_lightAttenuation", "u_lightSpotDirection", "u_lightSpot", "u_shininess",  "u_fogColor",
    "u_fogParams",    "u_alphaRef",      "u_pointSize",        "u_envColor0",    "u_envColor1",
    "u_texMatrix0",   "u_texMatrix1",    "u_borderColor0",     "u_borderColor1", "u_texSize0",
    "u_texSize1",     "u_objectPlane0",  "u_objectPlane1",     "u_eyePlane0",    "u_eyePlane1",
    "u_scale0",       "u_scale1",
};

bool NeedsEye(const ProgramKey& key)
{
    if (key.lighting || key.fog != FogMode::None)
        return true;
    for (const UnitKey& unit : key.units)
        if (unit.enabled && (unit.genS == GenMode::EyeLinear || unit.genT == GenMode::EyeLinear ||
                             unit.genS == GenMode::SphereMap || unit.genT == GenMode::SphereMap))
            return true;
    return false;
}

bool NeedsNormal(const ProgramKey& key)
{
    if (key.lighting)
        return true;
    for (const UnitKey& unit : key.units)
        if (unit.enabled && (unit.genS == GenMode::SphereMap || unit.genT == GenMode::SphereMap))
            return true;
    return false;
}

std::string Index(int i) { return std::to_string(i); }

// One generated coordinate (s or t) of a unit.
std::string GenExpression(GenMode mode, int unit, int coordinate)
{
    const std::string c = coordinate == 0 ? "x" : "y";
    switch (mode)
    {
    case GenMode::ObjectLinear:
        return "dot(u_objectPlane" + Index(unit) + "[" + Index(coordinate) + "], position)";
    case GenMode::EyeLinear:
        return "dot(u_eyePlane" + Index(unit) + "[" + Index(coordinate) + "], eye)";
    case GenMode::SphereMap:
        return "sphere." + c;
    default:
        return "a_tex" + Index(unit) + "." + c;
    }
}

std::string VertexSource(const ProgramKey& key)
{
    const bool eyeNeeded = NeedsEye(key);
    const bool normalNeeded = NeedsNormal(key);
    std::string s = "#version 300 es\nprecision highp float;\n";
    s += "in vec3 a_position;\n";
    s += key.lighting ? "" : "in vec4 a_color;\n";
    if (normalNeeded)
        s += "in vec3 a_normal;\n";
    s += "uniform mat4 u_mvp;\n";
    if (eyeNeeded)
        s += "uniform mat4 u_modelView;\n";
    if (normalNeeded)
        s += "uniform mat3 u_normalMatrix;\nuniform float u_normalScale;\n";
    if (key.lighting)
        s += "uniform vec4 u_sceneColor;\n"
             "uniform vec4 u_lightPosition[8];\nuniform vec3 u_lightHalf[8];\n"
             "uniform vec3 u_lightAmbient[8];\nuniform vec3 u_lightDiffuse[8];\nuniform vec3 u_lightSpecular[8];\n"
             "uniform vec3 u_lightAttenuation[8];\nuniform vec3 u_lightSpotDirection[8];\n"
             "uniform vec2 u_lightSpot[8];\nuniform float u_shininess;\n";
    if (key.points)
        s += "uniform float u_pointSize;\n";
    s += key.flat ? "flat out vec4 v_color;\n" : "out vec4 v_color;\n";
    if (key.fog != FogMode::None)
        s += "out float v_fog;\n";
    bool sphere = false;
    for (int u = 0; u < kUnits; ++u)
    {
        const UnitKey& unit = key.units[u];
        if (!unit.enabled)
            continue;
        const std::string n = Index(u);
        if (unit.genS == GenMode::None || unit.genT == GenMode::None)
            s += "in vec2 a_tex" + n + ";\n";
        if (unit.genS == GenMode::ObjectLinear || unit.genT == GenMode::ObjectLinear)
            s += "uniform vec4 u_objectPlane" + n + "[2];\n";
        if (unit.genS == GenMode::EyeLinear || unit.genT == GenMode::EyeLinear)
            s += "uniform vec4 u_eyePlane" + n + "[2];\n";
        if (unit.textureMatrix)
            s += "uniform mat4 u_texMatrix" + n + ";\n";
        s += "out vec2 v_tex" + n + ";\n";
        sphere = sphere || unit.genS == GenMode::SphereMap || unit.genT == GenMode::SphereMap;
    }

    s += "void main()\n{\n";
    s += "    vec4 position = vec4(a_position, 1.0);\n";
    s += "    gl_Position = u_mvp * position;\n";
    if (key.points)
        s += "    gl_PointSize = u_pointSize;\n";
    if (eyeNeeded)
        s += "    vec4 eye = u_modelView * position;\n";
    if (normalNeeded)
    {
        s += "    vec3 normal = u_normalMatrix * a_normal;\n";
        if (key.normalize)
            s += "    normal = normalize(normal);\n";
        else if (key.rescale)
            s += "    normal = normal * u_normalScale;\n";
    }
    if (key.lighting)
    {
        s += "    vec4 color = vec4(u_sceneColor.rgb, 0.0);\n";
        for (int i = 0; i < kLights; ++i)
        {
            if (!(key.lights & (1 << i)))
                continue;
            const std::string n = "[" + Index(i) + "]";
            s += "    {\n";
            if (key.positional & (1 << i))
            {
                s += "        vec3 vp = u_lightPosition" + n + ".xyz - eye.xyz;\n";
                s += "        float distance = length(vp);\n";
                s += "        vp = vp / distance;\n";
                if (key.attenuated & (1 << i))
                    s += "        float attenuation = 1.0 / (u_lightAttenuation" + n + ".x + distance * (u_lightAttenuation" + n +
                         ".y + distance * u_lightAttenuation" + n + ".z));\n";
                else
                    s += "        float attenuation = 1.0;\n";
                if (key.spot & (1 << i))
                {
                    s += "        float spot = dot(-vp, u_lightSpotDirection" + n + ");\n";
                    s += "        attenuation *= spot >= u_lightSpot" + n + ".y ? pow(max(spot, 0.0), u_lightSpot" + n +
                         ".x) : 0.0;\n";
                }
                if (key.localViewer)
                    s += "        vec3 halfVector = normalize(vp - normalize(eye.xyz));\n";
                else
                    s += "        vec3 halfVector = normalize(vp + vec3(0.0, 0.0, 1.0));\n";
            }
            else
            {
                s += "        vec3 vp = u_lightPosition" + n + ".xyz;\n";
                s += "        float attenuation = 1.0;\n";
                if (key.localViewer)
                    s += "        vec3 halfVector = normalize(vp - normalize(eye.xyz));\n";
                else
                    s += "        vec3 halfVector = u_lightHalf" + n + ";\n";
            }
            s += "        vec3 lit = u_lightAmbient" + n + ";\n";
            s += "        float nl = dot(normal, vp);\n";
            s += "        if (nl > 0.0)\n        {\n";
            s += "            lit += nl * u_lightDiffuse" + n + ";\n";
            s += "            float nh = max(dot(normal, halfVector), 0.0);\n";
            s += "            lit += (u_shininess == 0.0 ? 1.0 : pow(nh, u_shininess)) * u_lightSpecular" + n + ";\n";
            s += "        }\n";
            s += "        color.rgb += attenuation * lit;\n";
            s += "    }\n";
        }
        s += "    v_color = vec4(clamp(color.rgb, 0.0, 1.0), clamp(u_sceneColor.a, 0.0, 1.0));\n";
    }
    else
    {
        s += "    v_color = clamp(a_color, 0.0, 1.0);\n";
    }
    if (sphere)
    {
        s += "    vec3 u = normalize(eye.xyz);\n";
        s += "    vec3 r = u - 2.0 * normal * dot(normal, u);\n";
        s += "    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));\n";
        s += "    vec2 sphere = r.xy / m + 0.5;\n";
    }
    for (int u = 0; u < kUnits; ++u)
    {
        const UnitKey& unit = key.units[u];
        if (!unit.enabled)
            continue;
        const std::string n = Index(u);
        s += "    vec2 tex" + n + " = vec2(" + GenExpression(unit.genS, u, 0) + ", " + GenExpression(unit.genT, u, 1) +
             ");\n";
        if (unit.textureMatrix)
        {
            s += "    vec4 texTransformed" + n + " = u_texMatrix" + n + " * vec4(tex" + n + ", 0.0, 1.0);\n";
            s += "    tex" + n + " = texTransformed" + n + ".xy / texTransformed" + n + ".w;\n";
        }
        s += "    v_tex" + n + " = tex" + n + ";\n";
    }
    if (key.fog != FogMode::None)
        s += "    v_fog = abs(eye.z);\n";
    s += "}\n";
    return s;
}

const char* const kSourceNames[] = {"texel", "u_envColor", "primary", "previous"};

std::string CombineArgument(const UnitKey& unit, int n, int index, bool alpha)
{
    const int source = alpha ? unit.sourceAlpha[index] : unit.sourceRgb[index];
    std::string value = kSourceNames[source];
    if (source == 1)
        value += Index(n);
    const int operand = alpha ? unit.operandAlpha[index] : unit.operandRgb[index];
    if (alpha)
        return operand == 0 ? value + ".a" : "(1.0 - " + value + ".a)";
    switch (operand)
    {
    case 0: return value + ".rgb";
    case 1: return "(1.0 - " + value + ".rgb)";
    case 2: return "vec3(" + value + ".a)";
    default: return "vec3(1.0 - " + value + ".a)";
    }
}

std::string CombineFunction(int function, const std::string& a0, const std::string& a1, const std::string& a2,
                            bool alpha)
{
    switch (function)
    {
    case 0: return a0;
    case 1: return a0 + " * " + a1;
    case 2: return a0 + " + " + a1;
    case 3: return a0 + " + " + a1 + " - 0.5";
    case 4: return a0 + " * " + a2 + " + " + a1 + " * (1.0 - " + a2 + ")";
    case 5: return a0 + " - " + a1;
    default:
        // DOT3: 4 * ((a0 - 0.5) . (a1 - 0.5)) in every channel.
        return alpha ? "4.0 * dot(" + a0 + " - 0.5, " + a1 + " - 0.5)"
                     : "vec3(4.0 * dot(" + a0 + " - 0.5, " + a1 + " - 0.5))";
    }
}

std::string FragmentSource(const ProgramKey& key)
{
    std::string s = "#version 300 es\nprecision highp float;\n";
    s += key.flat ? "flat in vec4 v_color;\n" : "in vec4 v_color;\n";
    if (key.fog != FogMode::None)
        s += "in float v_fog;\nuniform vec4 u_fogColor;\nuniform vec4 u_fogParams;\n";
    if (key.alphaFunc)
        s += "uniform float u_alphaRef;\n";
    for (int u = 0; u < kUnits; ++u)
    {
        const UnitKey& unit = key.units[u];
        if (!unit.enabled)
            continue;
        const std::string n = Index(u);
        s += "in vec2 v_tex" + n + ";\nuniform sampler2D u_texture" + n + ";\nuniform vec4 u_envColor" + n + ";\n";
        if (unit.borderS || unit.borderT)
            s += "uniform vec4 u_borderColor" + n + ";\nuniform vec2 u_texSize" + n + ";\n";
        if (unit.env == EnvMode::Combine)
            s += "uniform vec2 u_scale" + n + ";\n";
    }
    s += "out vec4 fragColor;\n";
    s += "void main()\n{\n";
    s += "    vec4 primary = v_color;\n";
    s += "    vec4 previous = primary;\n";
    for (int u = 0; u < kUnits; ++u)
    {
        const UnitKey& unit = key.units[u];
        if (!unit.enabled)
            continue;
        const std::string n = Index(u);
        s += "    {\n";
        if (unit.borderS || unit.borderT)
        {
            // GL_CLAMP under linear filtering: the coordinate is clamped to [0, 1] and the
            // texels beyond the edge are the border colour. The edge texels come from a
            // clamp-to-edge lookup; the border's share is what lies outside the image.
            s += "        vec2 st = clamp(v_tex" + n + ", 0.0, 1.0);\n";
            s += "        vec4 texel = texture(u_texture" + n + ", st);\n";
            s += "        vec2 inside = clamp(min(st, 1.0 - st) * u_texSize" + n + " + 0.5, 0.0, 1.0);\n";
            std::string weight = unit.borderS && unit.borderT ? "inside.x * inside.y" : unit.borderS ? "inside.x" : "inside.y";
            s += "        texel = mix(u_borderColor" + n + ", texel, " + weight + ");\n";
        }
        else
        {
            s += "        vec4 texel = texture(u_texture" + n + ", v_tex" + n + ");\n";
        }
        if (!unit.hasAlpha)
            s += "        texel.a = 1.0;\n";
        switch (unit.env)
        {
        case EnvMode::Modulate:
            s += unit.hasAlpha ? "        previous = previous * texel;\n" : "        previous.rgb = previous.rgb * texel.rgb;\n";
            break;
        case EnvMode::Replace:
            s += unit.hasAlpha ? "        previous = texel;\n" : "        previous.rgb = texel.rgb;\n";
            break;
        case EnvMode::Decal:
            s += unit.hasAlpha ? "        previous.rgb = mix(previous.rgb, texel.rgb, texel.a);\n"
                               : "        previous.rgb = texel.rgb;\n";
            break;
        case EnvMode::Blend:
            s += "        previous.rgb = mix(previous.rgb, u_envColor" + n + ".rgb, texel.rgb);\n";
            if (unit.hasAlpha)
                s += "        previous.a = previous.a * texel.a;\n";
            break;
        case EnvMode::Add:
            s += "        previous.rgb = min(previous.rgb + texel.rgb, 1.0);\n";
            if (unit.hasAlpha)
                s += "        previous.a = previous.a * texel.a;\n";
            break;
        case EnvMode::Combine:
        {
            std::string rgb = CombineFunction(unit.combineRgb, CombineArgument(unit, u, 0, false),
                                              CombineArgument(unit, u, 1, false), CombineArgument(unit, u, 2, false), false);
            std::string alpha;
            if (unit.combineRgb == 7)
                alpha = "color.r";
            else
                alpha = CombineFunction(unit.combineAlpha, CombineArgument(unit, u, 0, true),
                                        CombineArgument(unit, u, 1, true), CombineArgument(unit, u, 2, true), true);
            s += "        vec4 color;\n";
            s += "        color.rgb = " + rgb + ";\n";
            s += "        color.a = " + alpha + ";\n";
            s += "        previous = clamp(color * vec4(vec3(u_scale" + n + ".x), u_scale" + n + ".y), 0.0, 1.0);\n";
            break;
        }
        }
        s += "    }\n";
    }
    if (key.alphaFunc)
    {
        static const char* const kTests[] = {"false", "a < r", "a == r", "a <= r", "a > r", "a != r", "a >= r", "true"};
        s += "    {\n        float a = previous.a;\n        float r = u_alphaRef;\n";
        s += std::string("        if (!(") + kTests[key.alphaFunc - 1] + "))\n            discard;\n    }\n";
    }
    switch (key.fog)
    {
    case FogMode::Linear:
        s += "    float fog = clamp((u_fogParams.y - v_fog) * u_fogParams.w, 0.0, 1.0);\n";
        break;
    case FogMode::Exp:
        s += "    float fog = clamp(exp(-u_fogParams.z * v_fog), 0.0, 1.0);\n";
        break;
    case FogMode::Exp2:
        s += "    float fog = clamp(exp(-(u_fogParams.z * v_fog) * (u_fogParams.z * v_fog)), 0.0, 1.0);\n";
        break;
    default:
        break;
    }
    if (key.fog != FogMode::None)
        s += "    previous.rgb = mix(u_fogColor.rgb, previous.rgb, fog);\n";
    s += "    fragColor = previous;\n}\n";
    return s;
}

GLuint CompileShader(GLenum type, const std::string& source, std::string* log)
{
    EsFunctions& es = Es();
    const GLuint shader = es.CreateShader(type);
    const char* text = source.c_str();
    es.ShaderSource(shader, 1, &text, nullptr);
    es.CompileShader(shader);
    GLint ok = GL_FALSE;
    es.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE)
        return shader;
    char buffer[2048] = {};
    es.GetShaderInfoLog(shader, sizeof(buffer) - 1, nullptr, buffer);
    *log = std::string(type == GL_VERTEX_SHADER ? "vertex" : "fragment") + " shader: " + buffer + "\n" + source;
    es.DeleteShader(shader);
    return 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The cache
// ---------------------------------------------------------------------------------------------

size_t ProgramCache::KeyHash::operator()(const ProgramKey& key) const
{
    // 64-bit FNV-1a over the key's bytes (keys are zero-filled before they are set), folded to
    // the width of size_t where it is narrower (32-bit builds, WebAssembly).
    const auto* bytes = reinterpret_cast<const unsigned char*>(&key);
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < sizeof(key); ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return static_cast<size_t>(hash ^ (hash >> 32));
}

bool ProgramCache::KeyEqual::operator()(const ProgramKey& a, const ProgramKey& b) const
{
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

Program* ProgramCache::Get(const ProgramKey& key, std::string* log)
{
    if (m_last != nullptr && KeyEqual()(key, m_lastKey))
        return m_last;
    auto found = m_programs.find(key);
    if (found != m_programs.end())
    {
        m_lastKey = key;
        m_last = found->second.get();
        return m_last;
    }
    EsFunctions& es = Es();
    const GLuint vertex = CompileShader(GL_VERTEX_SHADER, VertexSource(key), log);
    if (vertex == 0)
    {
        m_programs.emplace(key, nullptr);
        return nullptr;
    }
    const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, FragmentSource(key), log);
    if (fragment == 0)
    {
        es.DeleteShader(vertex);
        m_programs.emplace(key, nullptr);
        return nullptr;
    }
    const GLuint name = es.CreateProgram();
    es.AttachShader(name, vertex);
    es.AttachShader(name, fragment);
    es.BindAttribLocation(name, kPosition, "a_position");
    es.BindAttribLocation(name, kColor, "a_color");
    es.BindAttribLocation(name, kNormal, "a_normal");
    es.BindAttribLocation(name, kTex0, "a_tex0");
    es.BindAttribLocation(name, kTex1, "a_tex1");
    es.LinkProgram(name);
    es.DeleteShader(vertex);
    es.DeleteShader(fragment);
    GLint ok = GL_FALSE;
    es.GetProgramiv(name, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE)
    {
        char buffer[2048] = {};
        es.GetProgramInfoLog(name, sizeof(buffer) - 1, nullptr, buffer);
        *log = std::string("program: ") + buffer;
        es.DeleteProgram(name);
        m_programs.emplace(key, nullptr);
        return nullptr;
    }
    auto program = std::make_unique<Program>();
    program->name = name;
    for (int i = 0; i < kUniformCount; ++i)
        program->locations[i] = es.GetUniformLocation(name, kUniformNames[i]);
    // The samplers never change: unit n samples texture unit n.
    es.UseProgram(name);
    for (int u = 0; u < kUnits; ++u)
    {
        const std::string sampler = "u_texture" + std::to_string(u);
        const GLint location = es.GetUniformLocation(name, sampler.c_str());
        if (location >= 0)
            es.Uniform1i(location, u);
    }
    Program* raw = program.get();
    m_programs.emplace(key, std::move(program));
    m_lastKey = key;
    m_last = raw;
    return raw;
}

void ProgramCache::Release(bool callGl)
{
    if (callGl)
        for (auto& entry : m_programs)
            if (entry.second != nullptr)
                Es().DeleteProgram(entry.second->name);
    m_programs.clear();
    m_last = nullptr;
}

} // namespace ff
