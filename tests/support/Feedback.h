// The geometry a frame hands to the rasteriser, read back through GL's feedback mode, and the
// check that it is the geometry a test expects. The test names each face it expects, in
// drawing order, with its corners in model space and the view they are seen under; the check
// projects and clips each face the way GL does and demands that the next polygons GL reported
// cover exactly that shape. GL may split a face into triangles and clip each on its own: the
// check compares shapes (corners, area, depths), so it does not depend on how.
//
//   const FedBackFrame frame = CaptureFeedback([&] { Render(2500); });
//   EXPECT_TRUE(FacesMatch(frame.All(), {{view, {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}}}));
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Projection.h"

// One polygon as feedback reports it: corners in window coordinates (x, y in pixels from the
// bottom-left corner, z the depth 0..1).
using FedBackPolygon = std::vector<WindowPoint>;

struct FedBackFrame
{
    // The polygons in drawing order, split at every glPassThrough: runs[0] holds what came
    // before the first marker, runs[k] what came after marker k.
    std::vector<std::vector<FedBackPolygon>> runs;
    // False when the frame sent more than the feedback buffer holds.
    bool complete = true;

    std::vector<FedBackPolygon> All() const;
};

// Runs draw (one or more frames) in feedback mode, 3D positions only. Nothing reaches the
// frame buffer meanwhile; the render mode is GL_RENDER again afterwards.
FedBackFrame CaptureFeedback(const std::function<void()>& draw);

// A flat convex face the test expects: its corners in model space, in drawing order, and the
// view (projection, model-view, viewport) they are drawn under.
struct ExpectedFace
{
    View view;
    std::vector<Point3> corners;
};

// Faces seen under one view, in order.
std::vector<ExpectedFace> FacesUnder(const View& view, const std::vector<std::vector<Point3>>& faces);

// The polygons are the faces, in order: each face, clipped to the view, is covered by the next
// polygons and by nothing else (a face wholly outside the view is covered by none), its clipped
// corners lie within `pixels` of reported corners with depths within `depth`, and the covered
// area is the face's. Reported polygons left over fail the check too.
::testing::AssertionResult FacesMatch(const std::vector<FedBackPolygon>& polygons,
                                      const std::vector<ExpectedFace>& faces, double pixels = 0.05,
                                      double depth = 1e-5);
