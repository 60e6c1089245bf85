// DEMOGL_ExtensionCheckIfAvailable: the library's extension numbers mapped to GL extension
// names of the current context. --no-extensions reports every extension as missing.
#include <GL/gl.h>

#include <cstring>

#include "api/Library.h"
#include "platform/CurrentContext.h"

namespace {

bool HasExtension(const char* name)
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

} // namespace

bool DEMOGL_ExtensionCheckIfAvailable(int iExtension)
{
    if (Library().options.noExtensions || !CurrentContextHasGl())
        return false;
    switch (iExtension)
    {
    case kExtensionMultitexture:
        return HasExtension("GL_ARB_multitexture") && wglGetProcAddress("glActiveTextureARB") != nullptr &&
               wglGetProcAddress("glMultiTexCoord2fARB") != nullptr;
    case kExtensionTexEnvCombine:
        return HasExtension("GL_ARB_texture_env_combine") || HasExtension("GL_EXT_texture_env_combine");
    default:
        return false;
    }
}
