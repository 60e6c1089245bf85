// SDL2 audio output (SDL_AUDIODRIVER picks the driver, e.g. "dummy" or "disk" for tests).
#pragma once

#include <memory>
#include <string>

#include "audio/AudioDevice.h"
#include "audio/Music.h"

// Opens the default output device at the stream's rate, stereo, 16 bits, paused, positioned at
// the stream's current position. Null with a one-line reason when there is no usable device.
std::unique_ptr<AudioDevice> OpenSdlAudioDevice(std::unique_ptr<MusicStream> stream, std::string* error);
