#include "Show.h"

const std::vector<Section>& ShowSections()
{
    // Bars of 4 x 422.5 ms: eight bars last 13.5 s; the landscape gets 24 bars (40.6 s).
    static const std::vector<Section> kSections = {
        {"intro: stars and the headphone logo", 0, 8, SectionKind::Intro},
        {"kaos: loudspeakers, logo and hammer", 8, 8, SectionKind::Drive},
        {"flag and particle fountain", 16, 8, SectionKind::Lead},
        {"the dancer", 24, 8, SectionKind::Drive},
        {"cube spiral", 32, 8, SectionKind::Lead},
        {"landscape flight", 40, 16, SectionKind::Breakdown},
        {"landscape flight, greetings", 56, 8, SectionKind::Build},
        {"tunnel", 64, 8, SectionKind::Finale},
        {"kaos: house, cube and head", 72, 8, SectionKind::Drive},
        {"light balls and the space helix", 80, 8, SectionKind::Lead},
        {"credits", 88, 8, SectionKind::Chill},
        {"kaos finale", 96, 8, SectionKind::Finale},
        {"outro", 104, 8, SectionKind::Outro},
    };
    return kSections;
}

int ShowBars()
{
    const Section& last = ShowSections().back();
    return last.firstBar + last.bars;
}

int64_t ShowLengthMs() { return BarMs(ShowBars()); }
