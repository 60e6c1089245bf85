// GLU's viewing functions, as their manual pages define them: each multiplies the current
// matrix on the right.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "fixedfunction/Matrix.h"

void FfgluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double radians = fovy / 2.0 * 3.14159265358979323846 / 180.0;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0)
        return;
    const double cotangent = std::cos(radians) / sine;
    GLdouble m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1.0;
    m[14] = -2.0 * zNear * zFar / deltaZ;
    glMultMatrixd(m);
}

void FfgluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
                 GLdouble upX, GLdouble upY, GLdouble upZ)
{
    // f = normalised (centre - eye), s = f x up normalised, u = s x f.
    float f[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                  static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    auto cross = [](const float* a, const float* b, float* r) {
        r[0] = a[1] * b[2] - a[2] * b[1];
        r[1] = a[2] * b[0] - a[0] * b[2];
        r[2] = a[0] * b[1] - a[1] * b[0];
    };
    ff::Normalise3(f);
    float s[3];
    cross(f, up, s);
    ff::Normalise3(s);
    float u[3];
    cross(s, f, u);
    GLfloat m[16] = {};
    m[0] = s[0];
    m[4] = s[1];
    m[8] = s[2];
    m[1] = u[0];
    m[5] = u[1];
    m[9] = u[2];
    m[2] = -f[0];
    m[6] = -f[1];
    m[10] = -f[2];
    m[15] = 1.0f;
    glMultMatrixf(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

void FfgluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    glOrtho(left, right, bottom, top, -1.0, 1.0);
}
