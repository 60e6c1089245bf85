// GLU for a build over the fixed-function layer (ZARNOVELT_GLES): the GLU functions the code base
// calls, mapped to the layer's own (gluPerspective is FfgluPerspective).
#ifndef ZARNOVELT_FIXEDFUNCTION_GLU_H
#define ZARNOVELT_FIXEDFUNCTION_GLU_H

#include <GL/gl.h>

#define GLU_INVALID_ENUM 100900
#define GLU_INVALID_VALUE 100901

#ifdef __cplusplus
extern "C" {
#endif

void FfgluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void FfgluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
                 GLdouble upX, GLdouble upY, GLdouble upZ);
void FfgluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
GLint FfgluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                          GLenum type, const void* data);

#ifdef __cplusplus
}
#endif

#define gluPerspective FfgluPerspective
#define gluLookAt FfgluLookAt
#define gluOrtho2D FfgluOrtho2D
#define gluBuild2DMipmaps FfgluBuild2DMipmaps

#endif
