#include "ui/StartupDialog.h"

#include <cstdlib>
#include <cstring>

#include "support/Report.h"

namespace {

std::string RecordText(const char* text) { return std::string(text, strnlen(text, 256)); }

std::string SizeLabel(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

} // namespace

StartupDialogModel MakeStartupDialog(const SStartupDat& record, const StartupChoices& choices, int autoStartFrames)
{
    StartupDialogModel model;
    model.title = RecordText(record.m_szDemoName);
    model.group = RecordText(record.m_szGroupName);
    model.offerResolution = record.m_bResolutionChoice;
    model.offerWindowMode = record.m_bWindowModeChoice;
    model.offerSound = record.m_bSoundChoice;
    model.offerFrameSync = record.m_bFrameSyncChoice;
    model.autoStartFrames = autoStartFrames;
    model.selected = -1;
    for (int i = 0; i < kResolutionCount; ++i)
    {
        const SResolution& size = kResolutions[i];
        model.resolutions.push_back({size.m_iWidth, size.m_iHeight, SizeLabel(size.m_iWidth, size.m_iHeight)});
        if (size.m_iWidth == choices.width && size.m_iHeight == choices.height)
            model.selected = i;
    }
    if (model.selected < 0)
    {
        model.resolutions.push_back(
            {choices.width, choices.height, SizeLabel(choices.width, choices.height) + " (command line)"});
        model.selected = static_cast<int>(model.resolutions.size()) - 1;
    }
    return model;
}

int DialogAutoStartFromEnvironment()
{
    const char* value = std::getenv("ZARNOVELT_DIALOG_AUTOSTART");
    if (value == nullptr || *value == '\0')
        return -1;
    char* end = nullptr;
    const long frames = std::strtol(value, &end, 10);
    if (end == nullptr || *end != '\0' || frames < 0 || frames > 100000)
    {
        ReportWarning(std::string("ZARNOVELT_DIALOG_AUTOSTART=") + value + " is not a frame count; ignored");
        return -1;
    }
    return static_cast<int>(frames);
}
