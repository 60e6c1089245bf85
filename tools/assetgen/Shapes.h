// Shapes as signed distance fields in pixel coordinates of a working canvas (negative inside),
// and the three ways pictures use them: filled with a one-pixel soft edge, stroked, or as a
// glow that falls off with the distance from the shape. Every shape carries a bounding box so
// rendering only visits the pixels it can touch.
#pragma once

#include <functional>
#include <vector>

#include "Canvas.h"

struct Vec2
{
    float x = 0.0f;
    float y = 0.0f;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float s) { return {a.x * s, a.y * s}; }

struct Bounds
{
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;

    Bounds Grown(float margin) const { return {x0 - margin, y0 - margin, x1 + margin, y1 + margin}; }
};

Bounds Merge(const Bounds& a, const Bounds& b);

struct Shape
{
    std::function<float(float, float)> distance;
    Bounds bounds;

    float Distance(float x, float y) const { return distance(x, y); }
};

Shape Circle(Vec2 centre, float radius);
Shape Ellipse(Vec2 centre, float radiusX, float radiusY);
// Axis-aligned box with rounded corners (halfWidth, halfHeight include the rounding).
Shape RoundedBox(Vec2 centre, float halfWidth, float halfHeight, float cornerRadius);
// Simple polygon (either winding), inside by the even-odd rule.
Shape Polygon(std::vector<Vec2> points);
// A segment with round ends.
Shape Capsule(Vec2 a, Vec2 b, float radius);
// A thick open or closed polyline.
Shape Polyline(const std::vector<Vec2>& points, float radius, bool closed);
// Part of a ring between two angles (radians, counter-clockwise from +x with y pointing down
// the picture, so angles grow clockwise on screen).
Shape Arc(Vec2 centre, float radius, float halfWidth, float angle0, float angle1);

Shape Union(const Shape& a, const Shape& b);
Shape Union(const std::vector<Shape>& shapes);
Shape Intersection(const Shape& a, const Shape& b);
Shape Difference(const Shape& a, const Shape& b);
// Grows (positive) or shrinks (negative) a shape by `amount` pixels.
Shape Offset(const Shape& shape, float amount);
// The band of half-width `halfWidth` around a shape's edge.
Shape Outline(const Shape& shape, float halfWidth);
// Rotated by `angle` radians about `pivot`.
Shape Rotated(const Shape& shape, Vec2 pivot, float angle);
// Mirrored about the vertical line x = axisX.
Shape MirroredX(const Shape& shape, float axisX);

// Points along a cubic Bezier curve (including both ends).
std::vector<Vec2> Bezier(Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3, int segments);
// Appends `more` to `points`, skipping its first point when it equals the last one.
void AppendPath(std::vector<Vec2>* points, const std::vector<Vec2>& more);

// Coverage 0..1 of a shape on a width x height plane, with an edge `softness` pixels wide.
Plane Fill(const Shape& shape, int width, int height, float softness = 1.0f);
// 1 inside, exp(-distance / radius) outside: a glow around the shape.
Plane Glow(const Shape& shape, int width, int height, float radius);
// Coverage of a band of the given width centred on the shape's edge.
Plane Stroke(const Shape& shape, int width, int height, float strokeWidth, float softness = 1.0f);
