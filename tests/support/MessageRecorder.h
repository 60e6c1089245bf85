// Records every message box the library shows (its text and caption) while it lives.
#pragma once

#include <string>
#include <vector>

#include "support/Report.h"

class MessageRecorder
{
public:
    MessageRecorder()
    {
        SetReportSink([this](ReportKind kind, const std::string& text, const std::string& caption) {
            if (kind != ReportKind::MessageBox)
                return;
            m_texts.push_back(text);
            m_captions.push_back(caption);
        });
    }
    ~MessageRecorder() { SetReportSink(nullptr); }

    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<std::string>& Texts() const { return m_texts; }
    const std::vector<std::string>& Captions() const { return m_captions; }

private:
    std::vector<std::string> m_texts;
    std::vector<std::string> m_captions;
};
