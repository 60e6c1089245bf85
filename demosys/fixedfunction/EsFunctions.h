// The OpenGL ES 3 functions the layer calls, in one table filled from the platform's loader.
// Nothing else in the layer names a real GL function.
#pragma once

#ifndef GL_GLES_PROTOTYPES
#define GL_GLES_PROTOTYPES 0
#endif
#include <GLES3/gl3.h>

#include <string>

#define ZARNOVELT_ES_FUNCTIONS(X) \
    X(ACTIVETEXTURE, ActiveTexture) \
    X(ATTACHSHADER, AttachShader) \
    X(BINDATTRIBLOCATION, BindAttribLocation) \
    X(BINDBUFFER, BindBuffer) \
    X(BINDFRAMEBUFFER, BindFramebuffer) \
    X(BINDRENDERBUFFER, BindRenderbuffer) \
    X(BINDTEXTURE, BindTexture) \
    X(BINDVERTEXARRAY, BindVertexArray) \
    X(BLENDFUNC, BlendFunc) \
    X(BLITFRAMEBUFFER, BlitFramebuffer) \
    X(BUFFERDATA, BufferData) \
    X(BUFFERSUBDATA, BufferSubData) \
    X(CHECKFRAMEBUFFERSTATUS, CheckFramebufferStatus) \
    X(CLEAR, Clear) \
    X(CLEARCOLOR, ClearColor) \
    X(CLEARDEPTHF, ClearDepthf) \
    X(COLORMASK, ColorMask) \
    X(COMPILESHADER, CompileShader) \
    X(CREATEPROGRAM, CreateProgram) \
    X(CREATESHADER, CreateShader) \
    X(CULLFACE, CullFace) \
    X(DELETEBUFFERS, DeleteBuffers) \
    X(DELETEFRAMEBUFFERS, DeleteFramebuffers) \
    X(DELETEPROGRAM, DeleteProgram) \
    X(DELETERENDERBUFFERS, DeleteRenderbuffers) \
    X(DELETESHADER, DeleteShader) \
    X(DELETETEXTURES, DeleteTextures) \
    X(DELETEVERTEXARRAYS, DeleteVertexArrays) \
    X(DEPTHFUNC, DepthFunc) \
    X(DEPTHMASK, DepthMask) \
    X(DEPTHRANGEF, DepthRangef) \
    X(DISABLE, Disable) \
    X(DISABLEVERTEXATTRIBARRAY, DisableVertexAttribArray) \
    X(DRAWARRAYS, DrawArrays) \
    X(DRAWBUFFERS, DrawBuffers) \
    X(DRAWELEMENTS, DrawElements) \
    X(ENABLE, Enable) \
    X(ENABLEVERTEXATTRIBARRAY, EnableVertexAttribArray) \
    X(FINISH, Finish) \
    X(FLUSH, Flush) \
    X(FRAMEBUFFERRENDERBUFFER, FramebufferRenderbuffer) \
    X(FRAMEBUFFERTEXTURE2D, FramebufferTexture2D) \
    X(FRONTFACE, FrontFace) \
    X(GENBUFFERS, GenBuffers) \
    X(GENERATEMIPMAP, GenerateMipmap) \
    X(GENFRAMEBUFFERS, GenFramebuffers) \
    X(GENRENDERBUFFERS, GenRenderbuffers) \
    X(GENTEXTURES, GenTextures) \
    X(GENVERTEXARRAYS, GenVertexArrays) \
    X(GETBUFFERPARAMETERIV, GetBufferParameteriv) \
    X(GETERROR, GetError) \
    X(GETFLOATV, GetFloatv) \
    X(GETINTEGERV, GetIntegerv) \
    X(GETPROGRAMINFOLOG, GetProgramInfoLog) \
    X(GETPROGRAMIV, GetProgramiv) \
    X(GETSHADERINFOLOG, GetShaderInfoLog) \
    X(GETSHADERIV, GetShaderiv) \
    X(GETSTRING, GetString) \
    X(GETUNIFORMLOCATION, GetUniformLocation) \
    X(ISTEXTURE, IsTexture) \
    X(LINEWIDTH, LineWidth) \
    X(LINKPROGRAM, LinkProgram) \
    X(MAPBUFFERRANGE, MapBufferRange) \
    X(PIXELSTOREI, PixelStorei) \
    X(READBUFFER, ReadBuffer) \
    X(READPIXELS, ReadPixels) \
    X(RENDERBUFFERSTORAGE, RenderbufferStorage) \
    X(SCISSOR, Scissor) \
    X(SHADERSOURCE, ShaderSource) \
    X(TEXIMAGE2D, TexImage2D) \
    X(TEXPARAMETERI, TexParameteri) \
    X(TEXSUBIMAGE2D, TexSubImage2D) \
    X(UNIFORM1F, Uniform1f) \
    X(UNIFORM1I, Uniform1i) \
    X(UNIFORM2FV, Uniform2fv) \
    X(UNIFORM3FV, Uniform3fv) \
    X(UNIFORM4FV, Uniform4fv) \
    X(UNIFORMMATRIX3FV, UniformMatrix3fv) \
    X(UNIFORMMATRIX4FV, UniformMatrix4fv) \
    X(UNMAPBUFFER, UnmapBuffer) \
    X(USEPROGRAM, UseProgram) \
    X(VERTEXATTRIB4F, VertexAttrib4f) \
    X(VERTEXATTRIBPOINTER, VertexAttribPointer) \
    X(VIEWPORT, Viewport)

namespace ff {

struct EsFunctions
{
#define ZARNOVELT_ES_MEMBER(upper, name) PFNGL##upper##PROC name = nullptr;
    ZARNOVELT_ES_FUNCTIONS(ZARNOVELT_ES_MEMBER)
#undef ZARNOVELT_ES_MEMBER

    // Fills every entry; false with the first missing name.
    bool Load(void* (*getProcAddress)(const char* name), std::string* missing);
};

// The table (empty until FixedFunctionLoad).
EsFunctions& Es();

} // namespace ff
