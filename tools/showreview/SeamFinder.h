// Seams: thin straight lines that differ from what lies on both sides of them, the way the edge
// of a layer shows when its texture's edge is filtered against the wrong colour (a mask whose
// outer texels blend with black darkens a line one or two pixels wide along the quad's edge).
//
// A seam candidate is a pixel band one to three pixels wide, across the line, that is darker
// (or brighter) than the pixels on both sides of it by a share of their brightness, where the
// two sides are alike and even (the next pixels out look the same): the picture runs on across
// the line, as it does under a layer's edge
// (a line between two different surfaces, such as a stroke in a picture or the bevel along a
// cube's edge, is drawn, not a seam). Half a texel of border darkens the outermost pixels by
// at most a half (three quarters in a corner), so a line darker than that is a gap between
// shapes, not a seam. Candidates
// in neighbouring rows (for near-vertical lines) or columns (near-horizontal) that move by at
// most a pixel at a time join into a line; where the picture is too dark to show anything the
// line may pass unseen. A line is reported when it is long, straight (no point further than a
// pixel and a half from the chord between its ends) and found on most of its length.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SeamSettings
{
    // Shortest line reported, as a share of the picture's height (vertical lines) or width
    // (horizontal lines).
    float minLengthShare = 0.1f;
    // How much darker (or brighter) than both sides a band must be, as a share of the side
    // nearer to it in brightness, and at least this many levels (0..255).
    float minContrast = 0.1f;
    float minLevels = 6.0f;
    // Darkest a seam can be, as a share of its sides.
    float maxDarkContrast = 0.75f;
    // How far the two sides may differ, as a share of the brighter one (and 3 levels).
    float maxSideDifference = 0.1f;
    // Sides darker than this show nothing either way; a line may cross such a stretch.
    float darkFloor = 20.0f;
    // Widest band that counts as a line, in pixels.
    int maxWidth = 3;
    // Report lines brighter than their sides too (a seam that adds light). Off by default:
    // neon strokes on an even ground look exactly so, and the pictures added over the frame are
    // made to stand on black (so their edges add nothing).
    bool brightLines = false;
};

struct SeamLine
{
    bool vertical = true;
    bool darker = true;         // darker than its sides, or brighter
    int x0 = 0, y0 = 0;         // first point (top row first)
    int x1 = 0, y1 = 0;         // last point
    int found = 0;              // rows (or columns) along it where the band was seen
    float contrast = 0.0f;      // mean share by which it differs from its sides

    int Length() const { return (vertical ? y1 - y0 : x1 - x0) + 1; }
    std::string Describe() const;
};

// Lines in an RGBA picture (rows top first, 4 bytes a pixel).
std::vector<SeamLine> FindSeams(const uint8_t* rgba, int width, int height, const SeamSettings& settings = {});
