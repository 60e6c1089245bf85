// DEMOGL_ExtensionCheckIfAvailable: the library's extension numbers mapped to GL extension
// names of the current context. --no-extensions reports every extension as missing. And what the
// context offers the library itself (api/Extensions.h).
#include "api/Extensions.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "api/Library.h"
#include "platform/CurrentContext.h"

bool ContextHasExtension(const char* name)
{
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (all == nullptr)
        return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(all, name); at != nullptr; at = std::strstr(at + 1, name))
    {
        const bool startsWord = at == all || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

bool ContextHasEdgeClamp()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version == nullptr)
        return false;
    // "OpenGL ES 2.0 ...", "OpenGL ES-CM 1.1 ...": every version of ES has it.
    if (std::strncmp(version, "OpenGL ES", 9) == 0)
        return true;
    // "1.1.0", "4.5 (Compatibility Profile) Mesa 22.3.6": the version comes first.
    char* end = nullptr;
    const long major = std::strtol(version, &end, 10);
    const long minor = end != nullptr && *end == '.' ? std::strtol(end + 1, nullptr, 10) : 0;
    if (major > 1 || (major == 1 && minor >= 2))
        return true;
    return ContextHasExtension("GL_EXT_texture_edge_clamp") || ContextHasExtension("GL_SGIS_texture_edge_clamp");
}

bool DEMOGL_ExtensionCheckIfAvailable(int iExtension)
{
    if (Library().options.noExtensions || !CurrentContextHasGl())
        return false;
    switch (iExtension)
    {
    case kExtensionMultitexture:
        return ContextHasExtension("GL_ARB_multitexture") && wglGetProcAddress("glActiveTextureARB") != nullptr &&
               wglGetProcAddress("glMultiTexCoord2fARB") != nullptr;
    case kExtensionTexEnvCombine:
        return ContextHasExtension("GL_ARB_texture_env_combine") || ContextHasExtension("GL_EXT_texture_env_combine");
    default:
        return false;
    }
}
