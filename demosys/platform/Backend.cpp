#include "platform/Backend.h"

#include "audio/AudioDevice.h"
#include "audio/Music.h"
#include "ui/StartupDialog.h"

void BackendEvents::Merge(const BackendEvents& more)
{
    quit |= more.quit;
    escape |= more.escape;
    space |= more.space;
    left |= more.left;
    right |= more.right;
    home |= more.home;
    reload |= more.reload;
    toggleOverlay |= more.toggleOverlay;
    toggleFullscreen |= more.toggleFullscreen;
}

DialogOutcome Backend::RunStartupDialog(const StartupDialogModel&, StartupChoices*) { return DialogOutcome::Start; }

std::unique_ptr<AudioDevice> Backend::OpenAudio(std::unique_ptr<MusicStream>, std::string* error)
{
    if (error != nullptr)
        *error = "no sound device on this platform";
    return nullptr;
}
