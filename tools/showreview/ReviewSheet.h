// Review sheets of a captured show: pages of labelled thumbnails, one per captured frame, for a
// person to read second by second; and before/after pages that set two captures of the same
// seconds side by side.
#pragma once

#include <string>
#include <vector>

#include "SeamFinder.h"

struct ReviewFrame
{
    std::string label;              // shown under the thumbnail, e.g. "1:07"
    std::string path;               // the PNG frame
    std::string afterPath;          // before/after pages: the second capture's frame
    std::vector<SeamLine> seams;    // drawn over the thumbnail in red, counted in the label
    std::vector<SeamLine> beforeSeams;  // before/after pages: the first capture's, drawn over it
};

struct SheetLayout
{
    std::string title;
    int columns = 4;
    int rows = 5;
    int thumbWidth = 480;           // height follows the frames' shape
};

// Writes pages <outPrefix>_01.png, _02.png, ... of columns x rows frames each (pairs on
// before/after pages, each pair taking two cells side by side). Adds the written paths to
// `written`; false with a reason when a frame cannot be read or a page written.
bool WriteReviewPages(const std::vector<ReviewFrame>& frames, const SheetLayout& layout, const std::string& outPrefix,
                      std::vector<std::string>* written, std::string* error);
