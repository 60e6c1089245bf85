// The extension types the code base names, for a build over the fixed-function layer
// (ZARNOVELT_GLES). The constants are in GL/gl.h; the entry points come from wglGetProcAddress,
// which the layer answers.
#ifndef ZARNOVELT_FIXEDFUNCTION_GLEXT_H
#define ZARNOVELT_FIXEDFUNCTION_GLEXT_H

#include <GL/gl.h>

#ifndef APIENTRYP
#define APIENTRYP *
#endif

typedef void(APIENTRYP PFNGLACTIVETEXTUREARBPROC)(GLenum texture);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2FARBPROC)(GLenum target, GLfloat s, GLfloat t);
typedef void*(APIENTRYP PFNGLMAPBUFFERPROC)(GLenum target, GLenum access);

#endif
