// The music through Web Audio (WebAudioDevice.cpp).
#pragma once

#include <memory>
#include <string>

#include "audio/AudioDevice.h"
#include "audio/Music.h"

// Opens Web Audio for `stream`, paused at the stream's position. Null with a one-line reason
// when the page has no running audio context (the browser allows sound only after a click).
std::unique_ptr<AudioDevice> OpenWebAudioDevice(std::unique_ptr<MusicStream> stream, std::string* error);
