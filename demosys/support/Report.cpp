#include "support/Report.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>

namespace {

// Reports may come from the decoding and capture threads as well as the show's.
struct ReportState
{
    std::mutex mutex;
    std::set<std::string> warnedOnce;
    FILE* log = nullptr;
    ReportSink sink;
};

ReportState& State()
{
    static ReportState state;
    return state;
}

void Emit(ReportKind kind, const std::string& line, const std::string& text, const std::string& caption)
{
    ReportState& state = State();
    ReportSink sink;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
        if (state.log != nullptr)
        {
            std::fprintf(state.log, "%s\n", line.c_str());
            std::fflush(state.log);
        }
        sink = state.sink;
    }
    if (sink)
        sink(kind, text, caption);
}

} // namespace

void ReportError(const std::string& text) { Emit(ReportKind::Error, "Error: " + text, text, ""); }

void ReportWarning(const std::string& text) { Emit(ReportKind::Warning, "Warning: " + text, text, ""); }

void ReportWarningOnce(const std::string& text)
{
    {
        ReportState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        if (!state.warnedOnce.insert(text).second)
            return;
    }
    ReportWarning(text);
}

void ReportNotice(const std::string& text) { Emit(ReportKind::Notice, text, text, ""); }

void ReportFailure(const std::string& text) { Emit(ReportKind::Failure, "zarnovelt: " + text, text, ""); }

void ReportMessageBox(const std::string& text, const std::string& caption)
{
    // Texts may carry their own line end ("...%s.\n"); print exactly one.
    std::string shown = text;
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
        shown.pop_back();
    Emit(ReportKind::MessageBox, (caption.empty() ? "Message" : caption) + ": " + shown, text, caption);
}

void ClearReportedWarnings()
{
    ReportState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.warnedOnce.clear();
}

bool OpenReportLog(const std::string& path, std::string* error)
{
    CloseReportLog();
    std::error_code code;
    const std::filesystem::path file(path);
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), code);
    FILE* log = std::fopen(path.c_str(), "a");
    if (log == nullptr)
    {
        if (error != nullptr)
            *error = "cannot write the log file \"" + path + "\"";
        return false;
    }
    ReportState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.log = log;
    return true;
}

void CloseReportLog()
{
    ReportState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.log != nullptr)
        std::fclose(state.log);
    state.log = nullptr;
}

void SetReportSink(ReportSink sink)
{
    ReportState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.sink = std::move(sink);
}
