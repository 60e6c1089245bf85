// Everything the library tells the person running the show goes through here, one line each on
// standard error:
//   ReportError        "Error: <text>"         something failed; the show goes on without it
//   ReportWarning      "Warning: <text>"       something odd that changes nothing essential
//   ReportWarningOnce  the same, once per distinct text for the whole process
//   ReportNotice       "<text>"                plain information (a reload, a dialog choice)
//   ReportFailure      "zarnovelt: <text>"     the reason the run could not start or finish
//   ReportMessageBox   "<caption>: <text>"     what MessageBoxA shows (a trailing line end in
//                                              the text is dropped: exactly one line)
// With a log file open (start-up variable 12) every line is also appended there. A test can
// receive every report besides standard error through a sink.
#pragma once

#include <functional>
#include <string>

enum class ReportKind
{
    Error,
    Warning,
    Notice,
    Failure,
    MessageBox,
};

void ReportError(const std::string& text);
void ReportWarning(const std::string& text);
void ReportWarningOnce(const std::string& text);
void ReportNotice(const std::string& text);
void ReportFailure(const std::string& text);
void ReportMessageBox(const std::string& text, const std::string& caption);

// Forgets which warnings were reported once.
void ClearReportedWarnings();

// Mirrors every later line to `path` (appended, created with its folder when missing). False
// with a reason when the file cannot be opened; standard error goes on either way.
bool OpenReportLog(const std::string& path, std::string* error);
void CloseReportLog();

// Receives every report (kind, the text as given, the caption for message boxes) besides
// standard error; null to stop.
using ReportSink = std::function<void(ReportKind kind, const std::string& text, const std::string& caption)>;
void SetReportSink(ReportSink sink);
