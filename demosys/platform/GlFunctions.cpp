#include "platform/GlFunctions.h"

#include "Win32Shim.h"

namespace {

template <typename T>
void LoadOne(T& target, const char* name)
{
    target = reinterpret_cast<T>(wglGetProcAddress(name));
}

} // namespace

bool GlFunctions::Load()
{
    LoadOne(GenFramebuffers, "glGenFramebuffers");
    LoadOne(DeleteFramebuffers, "glDeleteFramebuffers");
    LoadOne(BindFramebuffer, "glBindFramebuffer");
    LoadOne(FramebufferTexture2D, "glFramebufferTexture2D");
    LoadOne(FramebufferRenderbuffer, "glFramebufferRenderbuffer");
    LoadOne(CheckFramebufferStatus, "glCheckFramebufferStatus");
    LoadOne(GenRenderbuffers, "glGenRenderbuffers");
    LoadOne(DeleteRenderbuffers, "glDeleteRenderbuffers");
    LoadOne(BindRenderbuffer, "glBindRenderbuffer");
    LoadOne(RenderbufferStorage, "glRenderbufferStorage");
    LoadOne(BlitFramebuffer, "glBlitFramebuffer");
    LoadOne(GenBuffers, "glGenBuffers");
    LoadOne(DeleteBuffers, "glDeleteBuffers");
    LoadOne(BindBuffer, "glBindBuffer");
    LoadOne(BufferData, "glBufferData");
    LoadOne(MapBuffer, "glMapBuffer");
    LoadOne(UnmapBuffer, "glUnmapBuffer");
    LoadOne(ActiveTexture, "glActiveTexture");
    return GenFramebuffers && DeleteFramebuffers && BindFramebuffer && FramebufferRenderbuffer &&
           CheckFramebufferStatus && GenRenderbuffers && DeleteRenderbuffers && BindRenderbuffer &&
           RenderbufferStorage && BlitFramebuffer;
}

GlFunctions& Gl()
{
    static GlFunctions functions;
    return functions;
}
