#include "api/GlErrorCheck.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "support/Report.h"

namespace {

size_t g_errorsSeen = 0;

} // namespace

const char* GlErrorName(unsigned int code)
{
    switch (code)
    {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW: return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW: return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    default: return "unknown GL error";
    }
}

bool GlCheckForcedByEnvironment()
{
    const char* value = std::getenv("ZARNOVELT_CHECK_GL");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

int CheckGlErrorsAfter(const std::string& effect, const char* call)
{
    int pending = 0;
    // Each glGetError clears one flag; the bound keeps the loop finite even for a driver that
    // kept answering.
    for (GLenum code = glGetError(); code != GL_NO_ERROR && pending < 64; code = glGetError())
    {
        ++pending;
        ++g_errorsSeen;
        ReportWarningOnce(std::string("GL error ") + GlErrorName(code) + " after " + effect + " " +
                          (call != nullptr ? call : ""));
    }
    return pending;
}

size_t GlErrorsSeen() { return g_errorsSeen; }
