// What the current GL context offers, for the library's own choices (the effects ask through
// DEMOGL_ExtensionCheckIfAvailable, which --no-extensions can switch off; these never are).
#pragma once

// True when the current context names the extension in its GL_EXTENSIONS string.
bool ContextHasExtension(const char* name);

// True when the current context has the GL_CLAMP_TO_EDGE wrap mode: OpenGL 1.2 or later, any
// OpenGL ES, or the edge-clamp extension of an older context.
bool ContextHasEdgeClamp();
