// Where a point lands on screen, worked out by the test on its own: column-major 4 x 4
// matrices in double precision, built the way GL and GLU build them from the numbers the test
// gives, and one projection from model space through model-view, projection and viewport to a
// window point. Nothing here reads GL or the effect's code.
#pragma once

#include <array>
#include <cmath>

using Matrix4 = std::array<double, 16>;   // element (row r, column c) at [c * 4 + r]

struct Point3
{
    double x, y, z;
};

// A point in window coordinates: x and y in pixels from the bottom-left corner (the pixel it
// falls in is (floor x, floor y)), z the depth (0..1).
struct WindowPoint
{
    double x, y, z;
};

// tan(22.5 degrees): half the height of a 45-degree view at eye distance 1.
constexpr double kHalfFovTangent = 0.41421356237309503;

// Half the height of a 45-degree view at a distance in front of the eye.
inline double HalfViewHeight(double distance) { return distance * kHalfFovTangent; }

inline Matrix4 IdentityMatrix()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

inline Matrix4 Multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
        {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + r] * b[c * 4 + k];
            m[c * 4 + r] = sum;
        }
    return m;
}

inline Matrix4 PerspectiveMatrix(double fovyDegrees, double aspect, double nearPlane, double farPlane)
{
    const double f = 1.0 / std::tan(fovyDegrees * M_PI / 360.0);
    Matrix4 m{};
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (farPlane + nearPlane) / (nearPlane - farPlane);
    m[11] = -1.0;
    m[14] = 2.0 * farPlane * nearPlane / (nearPlane - farPlane);
    return m;
}

inline Matrix4 OrthoMatrix(double left, double right, double bottom, double top, double nearPlane, double farPlane)
{
    Matrix4 m = IdentityMatrix();
    m[0] = 2.0 / (right - left);
    m[5] = 2.0 / (top - bottom);
    m[10] = -2.0 / (farPlane - nearPlane);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    return m;
}

inline Matrix4 LookAtMatrix(Point3 eye, Point3 centre, Point3 up)
{
    double f[3] = {centre.x - eye.x, centre.y - eye.y, centre.z - eye.z};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& v : f)
        v /= fl;
    // s = f x up, u = s x f (normalised s).
    double s[3] = {f[1] * up.z - f[2] * up.y, f[2] * up.x - f[0] * up.z, f[0] * up.y - f[1] * up.x};
    const double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double& v : s)
        v /= sl;
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    Matrix4 m = IdentityMatrix();
    for (int c = 0; c < 3; ++c)
    {
        m[c * 4 + 0] = s[c];
        m[c * 4 + 1] = u[c];
        m[c * 4 + 2] = -f[c];
    }
    m[12] = -(s[0] * eye.x + s[1] * eye.y + s[2] * eye.z);
    m[13] = -(u[0] * eye.x + u[1] * eye.y + u[2] * eye.z);
    m[14] = f[0] * eye.x + f[1] * eye.y + f[2] * eye.z;
    return m;
}

inline Matrix4 TranslationMatrix(double x, double y, double z)
{
    Matrix4 m = IdentityMatrix();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

inline Matrix4 ScaleMatrix(double s)
{
    Matrix4 m = IdentityMatrix();
    m[0] = m[5] = m[10] = s;
    return m;
}

// Rotation by angle degrees about a unit axis, counter-clockwise looking down the axis.
inline Matrix4 RotationMatrix(double degrees, double x, double y, double z)
{
    const double a = degrees * M_PI / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    Matrix4 m = IdentityMatrix();
    m[0] = x * x * (1 - c) + c;
    m[1] = y * x * (1 - c) + z * s;
    m[2] = x * z * (1 - c) - y * s;
    m[4] = x * y * (1 - c) - z * s;
    m[5] = y * y * (1 - c) + c;
    m[6] = y * z * (1 - c) + x * s;
    m[8] = x * z * (1 - c) + y * s;
    m[9] = y * z * (1 - c) - x * s;
    m[10] = z * z * (1 - c) + c;
    return m;
}

// The matrix applied to a point, with the perspective divide.
inline Point3 Transform(const Matrix4& m, Point3 p)
{
    const double w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
    return {(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12]) / w,
            (m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13]) / w,
            (m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]) / w};
}

// Where a model-space point lands in a viewport of width x height at the origin.
inline WindowPoint ProjectToWindow(const Matrix4& projection, const Matrix4& modelView, Point3 p, int width,
                                   int height)
{
    const Point3 ndc = Transform(Multiply(projection, modelView), p);
    return {(ndc.x + 1.0) * 0.5 * width, (ndc.y + 1.0) * 0.5 * height, (ndc.z + 1.0) * 0.5};
}

// A camera as a test states it: projection, model-view and the viewport's size.
struct View
{
    Matrix4 projection;
    Matrix4 modelView;
    int width, height;

    WindowPoint Project(Point3 p) const { return ProjectToWindow(projection, modelView, p, width, height); }
    WindowPoint Project(double x, double y, double z) const { return Project({x, y, z}); }
};
