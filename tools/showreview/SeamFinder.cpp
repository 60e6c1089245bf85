#include "SeamFinder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

// A picture's brightness seen along one axis: `Along` steps down the lines looked for, `Across`
// crosses them (for vertical lines: along = rows, across = columns).
class Brightness
{
public:
    Brightness(const uint8_t* rgba, int width, int height, bool vertical)
        : m_width(width), m_vertical(vertical), m_levels(static_cast<size_t>(width) * height)
    {
        for (size_t p = 0; p < m_levels.size(); ++p)
            m_levels[p] = 0.299f * rgba[p * 4] + 0.587f * rgba[p * 4 + 1] + 0.114f * rgba[p * 4 + 2];
        m_along = vertical ? height : width;
        m_across = vertical ? width : height;
    }

    int Along() const { return m_along; }
    int Across() const { return m_across; }
    float At(int across, int along) const
    {
        return m_vertical ? m_levels[static_cast<size_t>(along) * m_width + across]
                          : m_levels[static_cast<size_t>(across) * m_width + along];
    }

private:
    int m_width;
    bool m_vertical;
    int m_along = 0;
    int m_across = 0;
    std::vector<float> m_levels;
};

struct Candidate
{
    int across;
    bool darker;
    float contrast;
    bool taken = false;
};

// Two levels close enough to be the same picture on either side of a line.
bool Alike(float a, float b, const SeamSettings& s)
{
    return std::fabs(a - b) <= s.maxSideDifference * std::max(a, b) + 3.0f;
}

// The narrowest band starting at `across` that differs from both its sides, if any.
bool BandAt(const Brightness& b, int across, int along, const SeamSettings& s, Candidate* found)
{
    for (int w = 1; w <= s.maxWidth; ++w)
    {
        if (across < 1 || across + w >= b.Across())
            return false;
        const float left = b.At(across - 1, along);
        const float right = b.At(across + w, along);
        float low = b.At(across, along);
        float high = low;
        for (int i = 1; i < w; ++i)
        {
            low = std::min(low, b.At(across + i, along));
            high = std::max(high, b.At(across + i, along));
        }
        const float darkSide = std::min(left, right);
        const float brightSide = std::max(left, right);
        if (!Alike(left, right, s))
            continue;
        // The sides are the picture running on, not strokes of their own: one pixel further
        // out it looks the same.
        if (across >= 2 && !Alike(left, b.At(across - 2, along), s))
            continue;
        if (across + w + 1 < b.Across() && !Alike(right, b.At(across + w + 1, along), s))
            continue;
        if (darkSide >= s.darkFloor && darkSide - high >= s.minLevels && darkSide - high >= s.minContrast * darkSide &&
            darkSide - high <= s.maxDarkContrast * darkSide)
        {
            *found = {across, true, (darkSide - high) / darkSide};
            return true;
        }
        const float base = std::max(brightSide, s.darkFloor);
        if (s.brightLines && low - brightSide >= s.minLevels && low - brightSide >= s.minContrast * base)
        {
            *found = {across, false, (low - brightSide) / base};
            return true;
        }
    }
    return false;
}

// Nothing either side of `across` is bright enough to show a line.
bool Unseen(const Brightness& b, int across, int along, const SeamSettings& s)
{
    for (int i = std::max(0, across - 1); i <= std::min(b.Across() - 1, across + s.maxWidth); ++i)
        if (b.At(i, along) >= s.darkFloor)
            return false;
    return true;
}

struct Run
{
    bool darker = true;
    std::vector<std::pair<int, int>> points;   // (across, along) where the band was seen
    int lastAcross = 0;
    int lastAlong = 0;
    int misses = 0;
    float contrast = 0.0f;
};

constexpr int kMaxMisses = 2;           // rows in a row where a visible line may not show
constexpr float kMinFoundShare = 0.4f;  // of its length a line must actually be seen on
constexpr float kMaxBend = 1.5f;        // pixels from the chord between its ends

void Close(const Run& run, bool vertical, int minLength, std::vector<SeamLine>* lines)
{
    if (run.points.size() < 2)
        return;
    const auto [firstAcross, firstAlong] = run.points.front();
    const auto [lastAcross, lastAlong] = run.points.back();
    const int length = lastAlong - firstAlong + 1;
    if (length < minLength || run.points.size() < kMinFoundShare * length)
        return;
    const float slope = static_cast<float>(lastAcross - firstAcross) / static_cast<float>(lastAlong - firstAlong);
    for (const auto& [across, along] : run.points)
        if (std::fabs(firstAcross + slope * static_cast<float>(along - firstAlong) - static_cast<float>(across)) > kMaxBend)
            return;
    SeamLine line;
    line.vertical = vertical;
    line.darker = run.darker;
    line.found = static_cast<int>(run.points.size());
    line.contrast = run.contrast / static_cast<float>(run.points.size());
    if (vertical)
    {
        line.x0 = firstAcross;
        line.y0 = firstAlong;
        line.x1 = lastAcross;
        line.y1 = lastAlong;
    }
    else
    {
        line.x0 = firstAlong;
        line.y0 = firstAcross;
        line.x1 = lastAlong;
        line.y1 = lastAcross;
    }
    lines->push_back(line);
}

void FindLines(const Brightness& b, bool vertical, const SeamSettings& s, std::vector<SeamLine>* lines)
{
    const int minLength = std::max(4, static_cast<int>(std::lround(s.minLengthShare * b.Along())));
    std::vector<Run> active;
    std::vector<Candidate> candidates;
    for (int along = 0; along < b.Along(); ++along)
    {
        candidates.clear();
        for (int across = 1; across < b.Across() - 1; ++across)
        {
            Candidate c{};
            if (BandAt(b, across, along, s, &c))
                candidates.push_back(c);
        }
        std::vector<Run> next;
        for (Run& run : active)
        {
            // Candidates come in order across the picture: look at the three places next to the
            // run's last one.
            Candidate* best = nullptr;
            auto from = std::lower_bound(candidates.begin(), candidates.end(), run.lastAcross - 1,
                                         [](const Candidate& c, int across) { return c.across < across; });
            for (auto c = from; c != candidates.end() && c->across <= run.lastAcross + 1; ++c)
                if (!c->taken && c->darker == run.darker &&
                    (best == nullptr || std::abs(c->across - run.lastAcross) < std::abs(best->across - run.lastAcross)))
                    best = &*c;
            if (best != nullptr)
            {
                best->taken = true;
                run.points.emplace_back(best->across, along);
                run.lastAcross = best->across;
                run.lastAlong = along;
                run.misses = 0;
                run.contrast += best->contrast;
                next.push_back(std::move(run));
            }
            else if (Unseen(b, run.lastAcross, along, s) || ++run.misses <= kMaxMisses)
            {
                next.push_back(std::move(run));
            }
            else
            {
                Close(run, vertical, minLength, lines);
            }
        }
        for (const Candidate& c : candidates)
            if (!c.taken)
            {
                Run run;
                run.darker = c.darker;
                run.points.emplace_back(c.across, along);
                run.lastAcross = c.across;
                run.lastAlong = along;
                run.contrast = c.contrast;
                next.push_back(std::move(run));
            }
        active = std::move(next);
    }
    for (const Run& run : active)
        Close(run, vertical, minLength, lines);
}

}  // namespace

std::string SeamLine::Describe() const
{
    char text[160];
    std::snprintf(text, sizeof text, "%s %s line from (%d, %d) to (%d, %d), %d px, seen on %d, %.0f %% %s than its sides",
                  darker ? "dark" : "bright", vertical ? "vertical" : "horizontal", x0, y0, x1, y1, Length(), found,
                  contrast * 100.0f, darker ? "darker" : "brighter");
    return text;
}

std::vector<SeamLine> FindSeams(const uint8_t* rgba, int width, int height, const SeamSettings& settings)
{
    std::vector<SeamLine> lines;
    if (rgba == nullptr || width < 3 || height < 3)
        return lines;
    for (bool vertical : {true, false})
        FindLines(Brightness(rgba, width, height, vertical), vertical, settings, &lines);
    return lines;
}
