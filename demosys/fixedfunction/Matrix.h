// Matrix arithmetic in single precision, column-major, in the order the GL 1.1 matrix calls
// define it: every call multiplies the current matrix on the right.
#pragma once

#include "fixedfunction/State.h"

namespace ff {

Mat4 Identity();
bool IsIdentity(const Mat4& m);
// a * b
Mat4 Multiply(const Mat4& a, const Mat4& b);
// Rotation by angle degrees about (x, y, z); the axis is normalised, a zero axis is no turn.
Mat4 Rotation(float angle, float x, float y, float z);
Mat4 OrthoMatrix(double left, double right, double bottom, double top, double nearValue, double farValue);
Mat4 FrustumMatrix(double left, double right, double bottom, double top, double nearValue, double farValue);
// The inverse of m; false (and the identity) when m is singular.
bool Invert(const Mat4& m, Mat4* inverse);
// v[0..2] scaled to length 1; a zero vector is left as it is.
void Normalise3(float* v);
// m * (x, y, z, w)
void Transform(const Mat4& m, const float in[4], float out[4]);
// The upper 3 x 3 of the inverse transpose, for normals, column-major.
void NormalMatrix(const Mat4& modelView, float out[9]);

} // namespace ff
