// The GL error audit behind the scheduler: after an effect call, every pending glGetError code
// is taken and reported once as "GL error <code> after <EFFECT> <call>". The command line turns
// it on with --check-gl; ZARNOVELT_CHECK_GL=1 in the environment turns it on for every run of
// the library in that process tree, which is how the test suite and CI keep it always on.
#pragma once

#include <cstddef>
#include <string>

// "GL_INVALID_ENUM", ... for a glGetError code; "unknown GL error" for anything else.
const char* GlErrorName(unsigned int code);

// True when ZARNOVELT_CHECK_GL is set to anything but "" or "0".
bool GlCheckForcedByEnvironment();

// Takes every pending GL error (a current context is needed) and reports each distinct
// "GL error <name> after <effect> <call>" once. Returns how many codes were pending.
int CheckGlErrorsAfter(const std::string& effect, const char* call);

// GL error codes CheckGlErrorsAfter has taken in this process, reported or not.
size_t GlErrorsSeen();
