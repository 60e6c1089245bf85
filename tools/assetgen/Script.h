// The timeline script demoflow.txt: the show, cut on the beat of the soundtrack.
#pragma once

#include <string>

// The soundtrack's file name, as the script's music line names it.
constexpr const char* kSoundtrackFile = "soundtrack.ogg";

// The whole script text.
std::string MakeDemoFlow();
