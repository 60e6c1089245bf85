// Generated shaders: the state that changes what a vertex or fragment computes is packed into a
// small key, one program is built per key (GLSL ES 3.00) and kept; state changes that only
// change values go to uniforms.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fixedfunction/State.h"

namespace ff {

enum class EnvMode : uint8_t { Modulate, Replace, Decal, Blend, Add, Combine };
enum class GenMode : uint8_t { None, ObjectLinear, EyeLinear, SphereMap };
enum class FogMode : uint8_t { None, Linear, Exp, Exp2 };

struct UnitKey
{
    uint8_t enabled;
    EnvMode env;
    uint8_t hasAlpha;
    GenMode genS;
    GenMode genT;
    uint8_t textureMatrix;
    uint8_t borderS;        // GL_CLAMP with linear filtering: the border colour mixes in
    uint8_t borderT;
    // Combine: the function, sources and operands as GL enums' positions (Programs.cpp).
    uint8_t combineRgb;
    uint8_t combineAlpha;
    uint8_t sourceRgb[3];
    uint8_t sourceAlpha[3];
    uint8_t operandRgb[3];
    uint8_t operandAlpha[3];
};

struct ProgramKey
{
    uint8_t lighting;
    uint8_t lights;         // bit i: light i on
    uint8_t positional;     // bit i: light i has w != 0
    uint8_t spot;           // bit i: cut-off below 180
    uint8_t attenuated;     // bit i: attenuation other than (1, 0, 0)
    uint8_t localViewer;
    uint8_t normalize;
    uint8_t rescale;
    FogMode fog;
    uint8_t flat;
    uint8_t alphaFunc;      // 0: no alpha test, else the GL function minus GL_NEVER plus 1
    uint8_t points;
    UnitKey units[kUnits];
};

enum Uniform
{
    kMvp,
    kModelView,
    kNormalMatrix,
    kNormalScale,
    kSceneColor,
    kLightPosition,       // [8] eye position, or the normalised direction of a directional light
    kLightHalf,           // [8] the half vector of a directional light
    kLightAmbient,        // [8] light ambient * material ambient
    kLightDiffuse,        // [8]
    kLightSpecular,       // [8]
    kLightAttenuation,    // [8]
    kLightSpotDirection,  // [8]
    kLightSpot,           // [8] (exponent, cos cut-off)
    kShininess,
    kFogColor,
    kFogParams,           // (start, end, density, 1 / (end - start))
    kAlphaRef,
    kPointSize,
    kEnvColor0,
    kEnvColor1,
    kTexMatrix0,
    kTexMatrix1,
    kBorderColor0,
    kBorderColor1,
    kTexSize0,
    kTexSize1,
    kObjectPlane0,        // [2] s, t
    kObjectPlane1,
    kEyePlane0,
    kEyePlane1,
    kScale0,              // (rgb scale, alpha scale)
    kScale1,
    kUniformCount
};

struct Program
{
    GLuint name = 0;
    GLint locations[kUniformCount];
    uint32_t transformVersion = 0;
    uint32_t lightingVersion = 0;
    uint32_t fogVersion = 0;
    uint32_t textureVersion = 0;
};

// The attribute locations every program binds.
enum Attribute
{
    kPosition = 0,
    kColor = 1,
    kNormal = 2,
    kTex0 = 3,
    kTex1 = 4,
    kAttributeCount
};

class ProgramCache
{
public:
    // The program for a key, built on first use; null when it fails, with the compiler's log
    // the first time only: a key that failed once is not compiled again (a lost context would
    // otherwise fail, and print, on every draw) until Release.
    Program* Get(const ProgramKey& key, std::string* log);
    void Release(bool callGl);

private:
    struct KeyHash
    {
        size_t operator()(const ProgramKey& key) const;
    };
    struct KeyEqual
    {
        bool operator()(const ProgramKey& a, const ProgramKey& b) const;
    };
    // Null for a key whose program failed to build.
    std::unordered_map<ProgramKey, std::unique_ptr<Program>, KeyHash, KeyEqual> m_programs;
    ProgramKey m_lastKey = {};
    Program* m_last = nullptr;
};

} // namespace ff
