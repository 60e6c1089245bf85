#include "api/Library.h"

#include "support/Report.h"

LibraryState::LibraryState() = default;
LibraryState::~LibraryState() = default;
LibraryState::LibraryState(LibraryState&&) noexcept = default;
LibraryState& LibraryState::operator=(LibraryState&&) noexcept = default;

LibraryState& Library()
{
    static LibraryState state;
    return state;
}

void ResetLibrary()
{
    LibraryState& library = Library();
    library.variables = StartupVariables();
    library.effects.clear();
    library.loadingBar = LoadingBarSettings();
    library.options = Options();
    library.lastRunStatus = kAppRunOk;
    ClearReportedWarnings();
}
