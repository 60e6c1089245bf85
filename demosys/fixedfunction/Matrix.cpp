#include "fixedfunction/Matrix.h"

#include <cmath>
#include <cstring>

namespace ff {

Mat4 Identity()
{
    Mat4 m = {};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

bool IsIdentity(const Mat4& m)
{
    const Mat4 identity = Identity();
    return std::memcmp(m.m, identity.m, sizeof(m.m)) == 0;
}

Mat4 Multiply(const Mat4& a, const Mat4& b)
{
    Mat4 r;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            r.m[column * 4 + row] = a.m[0 * 4 + row] * b.m[column * 4 + 0] + a.m[1 * 4 + row] * b.m[column * 4 + 1] +
                                    a.m[2 * 4 + row] * b.m[column * 4 + 2] + a.m[3 * 4 + row] * b.m[column * 4 + 3];
    return r;
}

void Normalise3(float* v)
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f)
        for (int i = 0; i < 3; ++i)
            v[i] /= length;
}

Mat4 Rotation(float angle, float x, float y, float z)
{
    Mat4 m = Identity();
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f)
        return m;
    x /= length;
    y /= length;
    z /= length;
    const double radians = static_cast<double>(angle) * 3.14159265358979323846 / 180.0;
    const float s = std::sin(static_cast<float>(radians));
    const float c = std::cos(static_cast<float>(radians));
    const float t = 1.0f - c;
    // Turns about a principal axis keep exact zeros and ones.
    m.m[0] = x * x * t + c;
    m.m[1] = y * x * t + z * s;
    m.m[2] = x * z * t - y * s;
    m.m[4] = x * y * t - z * s;
    m.m[5] = y * y * t + c;
    m.m[6] = y * z * t + x * s;
    m.m[8] = x * z * t + y * s;
    m.m[9] = y * z * t - x * s;
    m.m[10] = z * z * t + c;
    return m;
}

Mat4 OrthoMatrix(double l, double r, double b, double t, double n, double f)
{
    Mat4 m = Identity();
    m.m[0] = static_cast<float>(2.0 / (r - l));
    m.m[5] = static_cast<float>(2.0 / (t - b));
    m.m[10] = static_cast<float>(-2.0 / (f - n));
    m.m[12] = static_cast<float>(-(r + l) / (r - l));
    m.m[13] = static_cast<float>(-(t + b) / (t - b));
    m.m[14] = static_cast<float>(-(f + n) / (f - n));
    return m;
}

Mat4 FrustumMatrix(double l, double r, double b, double t, double n, double f)
{
    Mat4 m = {};
    m.m[0] = static_cast<float>(2.0 * n / (r - l));
    m.m[5] = static_cast<float>(2.0 * n / (t - b));
    m.m[8] = static_cast<float>((r + l) / (r - l));
    m.m[9] = static_cast<float>((t + b) / (t - b));
    m.m[10] = static_cast<float>(-(f + n) / (f - n));
    m.m[11] = -1.0f;
    m.m[14] = static_cast<float>(-2.0 * f * n / (f - n));
    return m;
}

bool Invert(const Mat4& matrix, Mat4* inverse)
{
    // Cofactors in double precision, then one division.
    double a[16];
    for (int i = 0; i < 16; ++i)
        a[i] = matrix.m[i];
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    const double determinant = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (determinant == 0.0)
    {
        *inverse = Identity();
        return false;
    }
    for (int i = 0; i < 16; ++i)
        inverse->m[i] = static_cast<float>(inv[i] / determinant);
    return true;
}

void Transform(const Mat4& m, const float in[4], float out[4])
{
    float r[4];
    for (int row = 0; row < 4; ++row)
        r[row] = m.m[row] * in[0] + m.m[4 + row] * in[1] + m.m[8 + row] * in[2] + m.m[12 + row] * in[3];
    for (int i = 0; i < 4; ++i)
        out[i] = r[i];
}

void NormalMatrix(const Mat4& modelView, float out[9])
{
    Mat4 inverse;
    Invert(modelView, &inverse);
    // (M^-1)^T: column c of the result is row c of the inverse.
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            out[column * 3 + row] = inverse.m[row * 4 + column];
}

} // namespace ff
