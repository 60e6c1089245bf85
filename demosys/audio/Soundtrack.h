// The script's music line, read once: the file's bytes, its length (a script without an "end"
// line ends with the music) and fresh streams of it for the sound device and for a capture's
// soundtrack. A missing or undecodable file is reported once, naming the script line, and the
// show runs silent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/Music.h"
#include "script/Timeline.h"

class Soundtrack
{
public:
    // Reads and checks the timeline's music file (relative to the working directory).
    // scriptName is the script as named in messages.
    void Load(const Timeline& timeline, const std::string& scriptName);

    // The music line names a file that decodes.
    bool HasMusic() const { return m_ok; }
    const std::string& File() const { return m_file; }

    // The music's length in ms, rounded up; -1 without music or when the format cannot tell.
    int64_t LengthMs() const;

    // When the show ends: the "end" line; without one, the end of the music, or the last event
    // when there is no music.
    int64_t ShowEndMs(const Timeline& timeline) const;

    // A new stream of the music at volumePercent, positioned at startMs. Silence (44.1 kHz)
    // when there is no music or `audible` is false.
    std::unique_ptr<MusicStream> Stream(int64_t startMs, int volumePercent, bool audible) const;

private:
    std::string m_file;
    std::vector<uint8_t> m_bytes;
    bool m_ok = false;
    int64_t m_lengthSamples = -1;
    int m_rate = kModuleSampleRate;
};
