#include "Feedback.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

// Room for a few hundred cubes' worth of triangles, each a token, a count and three corners.
constexpr size_t kFeedbackFloats = 1 << 20;

struct ClipPoint
{
    double x, y, z, w;
};

ClipPoint ToClip(const Matrix4& m, Point3 p)
{
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14], m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15]};
}

// Keeps the part of a polygon where plane(point) >= 0 (Sutherland-Hodgman, one plane).
template <class Plane>
std::vector<ClipPoint> ClipBy(const std::vector<ClipPoint>& polygon, Plane plane)
{
    std::vector<ClipPoint> out;
    for (size_t i = 0; i < polygon.size(); ++i)
    {
        const ClipPoint& a = polygon[i];
        const ClipPoint& b = polygon[(i + 1) % polygon.size()];
        const double da = plane(a);
        const double db = plane(b);
        if (da >= 0.0)
            out.push_back(a);
        if ((da >= 0.0) != (db >= 0.0))
        {
            const double s = da / (da - db);
            out.push_back({a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), a.z + s * (b.z - a.z), a.w + s * (b.w - a.w)});
        }
    }
    return out;
}

// The face as GL rasterises it: projected, clipped to the view volume, in window coordinates.
FedBackPolygon ClippedWindowPolygon(const ExpectedFace& face)
{
    const Matrix4 m = Multiply(face.view.projection, face.view.modelView);
    std::vector<ClipPoint> polygon;
    for (const Point3& corner : face.corners)
        polygon.push_back(ToClip(m, corner));
    polygon = ClipBy(polygon, [](const ClipPoint& p) { return p.w + p.x; });
    polygon = ClipBy(polygon, [](const ClipPoint& p) { return p.w - p.x; });
    polygon = ClipBy(polygon, [](const ClipPoint& p) { return p.w + p.y; });
    polygon = ClipBy(polygon, [](const ClipPoint& p) { return p.w - p.y; });
    polygon = ClipBy(polygon, [](const ClipPoint& p) { return p.w + p.z; });
    polygon = ClipBy(polygon, [](const ClipPoint& p) { return p.w - p.z; });
    FedBackPolygon window;
    for (const ClipPoint& p : polygon)
        window.push_back({(p.x / p.w + 1.0) * 0.5 * face.view.width, (p.y / p.w + 1.0) * 0.5 * face.view.height,
                          (p.z / p.w + 1.0) * 0.5});
    return window;
}

double Area(const FedBackPolygon& polygon)
{
    double twice = 0.0;
    for (size_t i = 0; i < polygon.size(); ++i)
    {
        const WindowPoint& a = polygon[i];
        const WindowPoint& b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::fabs(twice) * 0.5;
}

double Perimeter(const FedBackPolygon& polygon)
{
    double length = 0.0;
    for (size_t i = 0; i < polygon.size(); ++i)
    {
        const WindowPoint& a = polygon[i];
        const WindowPoint& b = polygon[(i + 1) % polygon.size()];
        length += std::hypot(b.x - a.x, b.y - a.y);
    }
    return length;
}

double SegmentDistance(const WindowPoint& p, const WindowPoint& a, const WindowPoint& b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double s = lengthSquared > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    return std::hypot(p.x - (a.x + s * dx), p.y - (a.y + s * dy));
}

// How far a point lies outside a convex polygon (0 inside), in the window plane.
double DistanceOutside(const WindowPoint& p, const FedBackPolygon& polygon)
{
    bool positive = false;
    bool negative = false;
    double nearest = INFINITY;
    for (size_t i = 0; i < polygon.size(); ++i)
    {
        const WindowPoint& a = polygon[i];
        const WindowPoint& b = polygon[(i + 1) % polygon.size()];
        const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        positive = positive || cross > 0.0;
        negative = negative || cross < 0.0;
        nearest = std::min(nearest, SegmentDistance(p, a, b));
    }
    const bool inside = polygon.size() >= 3 && Area(polygon) > 0.0 && !(positive && negative);
    return inside ? 0.0 : nearest;
}

std::string Describe(const FedBackPolygon& polygon)
{
    std::ostringstream out;
    out.precision(6);
    for (const WindowPoint& p : polygon)
        out << " (" << p.x << ", " << p.y << ", " << p.z << ")";
    return out.str();
}

} // namespace

std::vector<FedBackPolygon> FedBackFrame::All() const
{
    std::vector<FedBackPolygon> all;
    for (const auto& run : runs)
        all.insert(all.end(), run.begin(), run.end());
    return all;
}

FedBackFrame CaptureFeedback(const std::function<void()>& draw)
{
    std::vector<GLfloat> buffer(kFeedbackFloats);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);

    FedBackFrame frame;
    frame.runs.emplace_back();
    frame.complete = used >= 0;
    const size_t end = used >= 0 ? static_cast<size_t>(used) : buffer.size();
    size_t i = 0;
    const auto corner = [&buffer](size_t at) { return WindowPoint{buffer[at], buffer[at + 1], buffer[at + 2]}; };
    while (i < end)
    {
        const GLenum token = static_cast<GLenum>(buffer[i++]);
        switch (token)
        {
        case GL_POLYGON_TOKEN:
        {
            const size_t count = static_cast<size_t>(buffer[i++]);
            FedBackPolygon polygon;
            for (size_t k = 0; k < count && i + 3 <= end; ++k, i += 3)
                polygon.push_back(corner(i));
            frame.runs.back().push_back(polygon);
            break;
        }
        case GL_PASS_THROUGH_TOKEN:
            ++i;
            frame.runs.emplace_back();
            break;
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN:
            i += 3;
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            i += 6;
            break;
        default:
            // Not a token of GL_3D feedback: the rest cannot be read.
            frame.complete = false;
            i = end;
            break;
        }
    }
    return frame;
}

std::vector<ExpectedFace> FacesUnder(const View& view, const std::vector<std::vector<Point3>>& faces)
{
    std::vector<ExpectedFace> expected;
    for (const auto& corners : faces)
        expected.push_back({view, corners});
    return expected;
}

::testing::AssertionResult FacesMatch(const std::vector<FedBackPolygon>& polygons,
                                      const std::vector<ExpectedFace>& faces, double pixels, double depth)
{
    size_t next = 0;
    for (size_t f = 0; f < faces.size(); ++f)
    {
        const FedBackPolygon expected = ClippedWindowPolygon(faces[f]);
        if (expected.size() < 3)
            continue;   // wholly outside the view: GL draws nothing of it
        const double expectedArea = Area(expected);
        const double areaTolerance = Perimeter(expected) * pixels + 0.01;
        std::vector<bool> found(expected.size(), false);
        double area = 0.0;
        const size_t first = next;
        const auto complete = [&] {
            return std::fabs(area - expectedArea) <= areaTolerance &&
                   std::all_of(found.begin(), found.end(), [](bool b) { return b; });
        };
        // Take the next polygons for as long as they lie on this face, until they cover it.
        while (next < polygons.size() && !complete())
        {
            const FedBackPolygon& polygon = polygons[next];
            const bool onFace = std::all_of(polygon.begin(), polygon.end(), [&](const WindowPoint& p) {
                return DistanceOutside(p, expected) <= pixels;
            });
            if (!onFace)
                break;
            area += Area(polygon);
            for (size_t c = 0; c < expected.size(); ++c)
                for (const WindowPoint& p : polygon)
                    if (std::hypot(p.x - expected[c].x, p.y - expected[c].y) <= pixels &&
                        std::fabs(p.z - expected[c].z) <= depth)
                        found[c] = true;
            ++next;
        }
        if (!complete())
        {
            ::testing::AssertionResult failure = ::testing::AssertionFailure();
            failure << "face " << f << " should be drawn as" << Describe(expected) << " (area " << expectedArea
                    << "); GL drew, from polygon " << first << " on:";
            for (size_t k = first; k < std::min(polygons.size(), first + 3); ++k)
                failure << "\n   " << Describe(polygons[k]) << " (area " << Area(polygons[k]) << ")";
            if (first >= polygons.size())
                failure << " nothing more";
            return failure;
        }
    }
    if (next != polygons.size())
        return ::testing::AssertionFailure() << polygons.size() - next << " polygons more than the " << faces.size()
                                             << " faces, the first:" << Describe(polygons[next]);
    return ::testing::AssertionSuccess();
}
