// The fixed-function layer: the OpenGL 1.1 + GLU that the effects, the model renderer and the
// library call, drawn with generated shaders over OpenGL ES 3 (and so WebGL 2). A build with
// ZARNOVELT_GLES puts the shadow headers include/GL/gl.h, glu.h and glext.h first on the
// include path, so every GL call of the code base lands here (GL/gl.h maps each name to a
// function of the layer's own name). The layer reaches OpenGL ES only through a table of
// functions it fills from the platform's loader; it holds no platform code itself.
//
// What a backend calls, in this order:
//   1. FixedFunctionLoad(loader) right after its OpenGL ES 3 context is current. It fills the
//      table, and starts the layer's state afresh as a new context's (GL's initial state).
//   2. Its GetProcAddress answers FixedFunctionGetProcAddress(name), so wglGetProcAddress (the
//      effects' extension functions, the library's framebuffer functions) gets the layer's.
//   3. FixedFunctionInvalidate() after foreign GL code drew with the context (Dear ImGui): the
//      layer sets all of its GL ES state again before it next draws.
//   4. FixedFunctionRelease() while the context is still current, before it is destroyed; or
//      FixedFunctionContextLost() when the context is already gone (a browser's lost WebGL
//      context): the layer forgets its objects without touching GL.
#pragma once

#include <string>

// Fills the layer's table of OpenGL ES 3 functions through getProcAddress (eglGetProcAddress,
// or the browser's own entry points) and resets the layer to GL's initial state. False with a
// reason when a function the layer needs is missing or the context is older than ES 3.0.
bool FixedFunctionLoad(void* (*getProcAddress)(const char* name), std::string* error);

// The layer's function for a GL entry point name ("glActiveTextureARB", "glGenFramebuffers",
// ...); null for a name the layer does not offer.
void* FixedFunctionGetProcAddress(const char* name);

// Foreign GL code has changed the context's state: the layer sets all of it again before its
// next draw, clear, read-back or upload, and drops GL errors the foreign code left.
void FixedFunctionInvalidate();

// The context is about to be destroyed (and is current): the layer deletes its programs and
// buffers and forgets its state, until the next FixedFunctionLoad.
void FixedFunctionRelease();

// The context is gone already: the layer forgets its programs, buffers and state without
// calling GL, until the next FixedFunctionLoad.
void FixedFunctionContextLost();

// True between a successful FixedFunctionLoad and FixedFunctionRelease / ContextLost.
bool FixedFunctionLoaded();

// What the build draws with, for --version and --help: "OpenGL 1.1 through the fixed-function
// layer over OpenGL ES 3".
const char* FixedFunctionDescription();
