// When the show flies over the landscape, shared by the script (which starts and shows LAND)
// and the height map (laid out around the camera for those seconds).
//
// LAND's camera is placed by time for its first four seconds, on an approach from far away that
// shows the land as a small lump; from then on it moves by amounts per frame. So the script
// starts LAND a few beats before the cut on a layer below CLEAR, which clears its picture away
// while its flight gets under way, and shows it from the cut, when the camera is over the land's
// near edge, for as long as the flight at 60 frames a second stays over the land.
#pragma once

#include <cstdint>

#include "Show.h"

constexpr double kLandscapeCutBeat = 40 * kBeatsPerBar;   // bar 40
constexpr double kLandscapeUnseenBeats = 9;               // LAND runs unseen this long before the cut
constexpr double kLandscapeShownBeats = 28;               // and is shown this long from the cut

// In the show's time (ms): LAND starts, is shown, stops.
inline int64_t LandscapeStartMs() { return BeatMs(kLandscapeCutBeat - kLandscapeUnseenBeats); }
inline int64_t LandscapeShownMs() { return BeatMs(kLandscapeCutBeat); }
inline int64_t LandscapeStopMs() { return BeatMs(kLandscapeCutBeat + kLandscapeShownBeats); }
