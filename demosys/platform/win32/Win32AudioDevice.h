// Sound through winmm's waveOut. Internal to platform/win32.
#pragma once

#include <memory>
#include <string>

#include "audio/AudioDevice.h"
#include "audio/Music.h"

// Opens the default output device for `stream`, paused at the stream's position. Null with a
// one-line reason when there is no usable device.
std::unique_ptr<AudioDevice> OpenWin32AudioDevice(std::unique_ptr<MusicStream> stream, std::string* error);
