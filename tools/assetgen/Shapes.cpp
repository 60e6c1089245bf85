#include "Shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

float Length(float x, float y) { return std::sqrt(x * x + y * y); }

float SegmentDistance(float px, float py, Vec2 a, Vec2 b)
{
    const float bax = b.x - a.x;
    const float bay = b.y - a.y;
    const float pax = px - a.x;
    const float pay = py - a.y;
    const float lengthSquared = bax * bax + bay * bay;
    const float h = lengthSquared > 0.0f ? std::clamp((pax * bax + pay * bay) / lengthSquared, 0.0f, 1.0f) : 0.0f;
    return Length(pax - bax * h, pay - bay * h);
}

Bounds PointsBounds(const std::vector<Vec2>& points)
{
    Bounds b{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
             std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()};
    for (const Vec2& p : points)
    {
        b.x0 = std::min(b.x0, p.x);
        b.y0 = std::min(b.y0, p.y);
        b.x1 = std::max(b.x1, p.x);
        b.y1 = std::max(b.y1, p.y);
    }
    return b;
}

// Visits every pixel of the plane that `bounds` touches, with its centre coordinates, and
// narrows the plane's extent to those pixels (the plane starts as zeros).
template <typename Function>
void ForPixels(const Bounds& bounds, Plane* plane, Function function)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(bounds.x0)));
    const int y0 = std::max(0, static_cast<int>(std::floor(bounds.y0)));
    const int x1 = std::min(plane->Width() - 1, static_cast<int>(std::ceil(bounds.x1)));
    const int y1 = std::min(plane->Height() - 1, static_cast<int>(std::ceil(bounds.y1)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            function(x, y, x + 0.5f, y + 0.5f);
    plane->SetExtent(x0, y0, x1 + 1, y1 + 1);
}

}  // namespace

Bounds Merge(const Bounds& a, const Bounds& b)
{
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

Shape Circle(Vec2 centre, float radius)
{
    return {[=](float x, float y) { return Length(x - centre.x, y - centre.y) - radius; },
            {centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius}};
}

Shape Ellipse(Vec2 centre, float radiusX, float radiusY)
{
    // A close approximation of the true distance near the edge, which is all the soft edges
    // and glows need.
    return {[=](float x, float y) {
                const float px = x - centre.x;
                const float py = y - centre.y;
                const float k0 = Length(px / radiusX, py / radiusY);
                const float k1 = Length(px / (radiusX * radiusX), py / (radiusY * radiusY));
                if (k1 < 1e-6f)
                    return -std::min(radiusX, radiusY);
                return k0 * (k0 - 1.0f) / k1;
            },
            {centre.x - radiusX, centre.y - radiusY, centre.x + radiusX, centre.y + radiusY}};
}

Shape RoundedBox(Vec2 centre, float halfWidth, float halfHeight, float cornerRadius)
{
    return {[=](float x, float y) {
                const float qx = std::fabs(x - centre.x) - halfWidth + cornerRadius;
                const float qy = std::fabs(y - centre.y) - halfHeight + cornerRadius;
                const float outside = Length(std::max(qx, 0.0f), std::max(qy, 0.0f));
                return outside + std::min(std::max(qx, qy), 0.0f) - cornerRadius;
            },
            {centre.x - halfWidth, centre.y - halfHeight, centre.x + halfWidth, centre.y + halfHeight}};
}

Shape Polygon(std::vector<Vec2> points)
{
    const Bounds bounds = PointsBounds(points);
    return {[points = std::move(points)](float x, float y) {
                float best = std::numeric_limits<float>::max();
                bool inside = false;
                const size_t n = points.size();
                for (size_t i = 0, j = n - 1; i < n; j = i++)
                {
                    const Vec2 a = points[j];
                    const Vec2 b = points[i];
                    best = std::min(best, SegmentDistance(x, y, a, b));
                    if ((b.y > y) != (a.y > y) && x < (a.x - b.x) * (y - b.y) / (a.y - b.y) + b.x)
                        inside = !inside;
                }
                return inside ? -best : best;
            },
            bounds};
}

Shape Capsule(Vec2 a, Vec2 b, float radius)
{
    return {[=](float x, float y) { return SegmentDistance(x, y, a, b) - radius; },
            Bounds{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}.Grown(radius)};
}

Shape Polyline(const std::vector<Vec2>& points, float radius, bool closed)
{
    const Bounds bounds = PointsBounds(points).Grown(radius);
    return {[points, radius, closed](float x, float y) {
                float best = std::numeric_limits<float>::max();
                for (size_t i = 0; i + 1 < points.size(); ++i)
                    best = std::min(best, SegmentDistance(x, y, points[i], points[i + 1]));
                if (closed && points.size() > 2)
                    best = std::min(best, SegmentDistance(x, y, points.back(), points.front()));
                return best - radius;
            },
            bounds};
}

Shape Arc(Vec2 centre, float radius, float halfWidth, float angle0, float angle1)
{
    const Vec2 end0{centre.x + radius * std::cos(angle0), centre.y + radius * std::sin(angle0)};
    const Vec2 end1{centre.x + radius * std::cos(angle1), centre.y + radius * std::sin(angle1)};
    const float middle = 0.5f * (angle0 + angle1);
    const float span = 0.5f * (angle1 - angle0);
    return {[=](float x, float y) {
                const float px = x - centre.x;
                const float py = y - centre.y;
                float angle = std::atan2(py, px) - middle;
                angle = std::remainder(angle, 6.2831853f);
                if (std::fabs(angle) <= span)
                    return std::fabs(Length(px, py) - radius) - halfWidth;
                return std::min(Length(x - end0.x, y - end0.y), Length(x - end1.x, y - end1.y)) - halfWidth;
            },
            Bounds{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius}.Grown(halfWidth)};
}

Shape Union(const Shape& a, const Shape& b)
{
    return {[a, b](float x, float y) { return std::min(a.Distance(x, y), b.Distance(x, y)); }, Merge(a.bounds, b.bounds)};
}

Shape Union(const std::vector<Shape>& shapes)
{
    Bounds bounds = shapes.front().bounds;
    for (const Shape& s : shapes)
        bounds = Merge(bounds, s.bounds);
    return {[shapes](float x, float y) {
                float best = std::numeric_limits<float>::max();
                for (const Shape& s : shapes)
                {
                    // A shape whose box is far away cannot be the nearest; skip its distance.
                    const float boxDx = std::max({s.bounds.x0 - x, 0.0f, x - s.bounds.x1});
                    const float boxDy = std::max({s.bounds.y0 - y, 0.0f, y - s.bounds.y1});
                    if (boxDx * boxDx + boxDy * boxDy >= best * best && best > 0.0f)
                        continue;
                    best = std::min(best, s.Distance(x, y));
                }
                return best;
            },
            bounds};
}

Shape Intersection(const Shape& a, const Shape& b)
{
    const Bounds bounds{std::max(a.bounds.x0, b.bounds.x0), std::max(a.bounds.y0, b.bounds.y0),
                        std::min(a.bounds.x1, b.bounds.x1), std::min(a.bounds.y1, b.bounds.y1)};
    return {[a, b](float x, float y) { return std::max(a.Distance(x, y), b.Distance(x, y)); }, bounds};
}

Shape Difference(const Shape& a, const Shape& b)
{
    return {[a, b](float x, float y) { return std::max(a.Distance(x, y), -b.Distance(x, y)); }, a.bounds};
}

Shape Offset(const Shape& shape, float amount)
{
    return {[shape, amount](float x, float y) { return shape.Distance(x, y) - amount; },
            shape.bounds.Grown(std::max(amount, 0.0f))};
}

Shape Outline(const Shape& shape, float halfWidth)
{
    return {[shape, halfWidth](float x, float y) { return std::fabs(shape.Distance(x, y)) - halfWidth; },
            shape.bounds.Grown(halfWidth)};
}

Shape Rotated(const Shape& shape, Vec2 pivot, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    std::vector<Vec2> corners = {{shape.bounds.x0, shape.bounds.y0}, {shape.bounds.x1, shape.bounds.y0},
                                 {shape.bounds.x1, shape.bounds.y1}, {shape.bounds.x0, shape.bounds.y1}};
    for (Vec2& p : corners)
    {
        const Vec2 d = p - pivot;
        p = {pivot.x + d.x * c - d.y * s, pivot.y + d.x * s + d.y * c};
    }
    return {[shape, pivot, c, s](float x, float y) {
                const float dx = x - pivot.x;
                const float dy = y - pivot.y;
                return shape.Distance(pivot.x + dx * c + dy * s, pivot.y - dx * s + dy * c);
            },
            PointsBounds(corners)};
}

Shape MirroredX(const Shape& shape, float axisX)
{
    return {[shape, axisX](float x, float y) { return shape.Distance(2.0f * axisX - x, y); },
            {2.0f * axisX - shape.bounds.x1, shape.bounds.y0, 2.0f * axisX - shape.bounds.x0, shape.bounds.y1}};
}

std::vector<Vec2> Bezier(Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3, int segments)
{
    std::vector<Vec2> points;
    for (int i = 0; i <= segments; ++i)
    {
        const float t = static_cast<float>(i) / segments;
        const float u = 1.0f - t;
        points.push_back(p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t));
    }
    return points;
}

void AppendPath(std::vector<Vec2>* points, const std::vector<Vec2>& more)
{
    for (size_t i = 0; i < more.size(); ++i)
    {
        if (i == 0 && !points->empty() && std::fabs(points->back().x - more[0].x) < 1e-4f &&
            std::fabs(points->back().y - more[0].y) < 1e-4f)
            continue;
        points->push_back(more[i]);
    }
}

Plane Fill(const Shape& shape, int width, int height, float softness)
{
    Plane plane(width, height);
    ForPixels(shape.bounds.Grown(softness + 1.0f), &plane, [&](int x, int y, float px, float py) {
        plane.At(x, y) = std::clamp(0.5f - shape.Distance(px, py) / softness, 0.0f, 1.0f);
    });
    return plane;
}

Plane Glow(const Shape& shape, int width, int height, float radius)
{
    Plane plane(width, height);
    ForPixels(shape.bounds.Grown(radius * 7.0f), &plane, [&](int x, int y, float px, float py) {
        const float d = shape.Distance(px, py);
        plane.At(x, y) = d <= 0.0f ? 1.0f : std::exp(-d / radius);
    });
    return plane;
}

Plane Stroke(const Shape& shape, int width, int height, float strokeWidth, float softness)
{
    return Fill(Outline(shape, strokeWidth * 0.5f), width, height, softness);
}
