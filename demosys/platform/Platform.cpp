// The library's process-wide state, and the one place every message of the demo passes.
#include <cstdio>
#include <mutex>
#include <set>

#include "api/Library.h"

namespace {

MessageHook& Hook()
{
    static MessageHook hook;
    return hook;
}

std::set<std::string>& ReportedWarnings()
{
    static std::set<std::string> reported;
    return reported;
}

} // namespace

LibraryState& Library()
{
    static LibraryState state;
    return state;
}

void ResetLibrary()
{
    Backend* backend = Library().backend;
    Library() = LibraryState();
    Library().backend = backend;
    ClearReportedWarnings();
}

void SetMessageHook(MessageHook hook) { Hook() = std::move(hook); }

void ReportWarningOnce(const std::string& text)
{
    if (!ReportedWarnings().insert(text).second)
        return;
    std::fprintf(stderr, "Warning: %s\n", text.c_str());
}

void ClearReportedWarnings() { ReportedWarnings().clear(); }

int ReportMessage(const char* text, const char* caption)
{
    const std::string message = text != nullptr ? text : "";
    // Texts may carry their own line end ("...%s.\n"); print exactly one.
    std::string shown = message;
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
        shown.pop_back();
    std::fprintf(stderr, "%s: %s\n", caption != nullptr && *caption ? caption : "Message", shown.c_str());
    std::fflush(stderr);
    if (Hook())
        Hook()(message, caption != nullptr ? caption : "");
    return IDOK;
}
