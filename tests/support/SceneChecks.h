// Checks shared by the effect rendering tests: matrices read back from GL, compared with the
// independently built ones of CameraMath.h, and the messages the effects show.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "CameraMath.h"
#include "GlTestContext.h"
#include "api/Library.h"
#include "support/Report.h"

inline Matrix4 ReadMatrix(GLenum which)
{
    Matrix4 m{};
    glGetDoublev(which, m.data());
    return m;
}

// Every element within tolerance, relative to the larger of 1 and the element's size.
inline ::testing::AssertionResult MatricesNear(const Matrix4& actual, const Matrix4& expected, double tolerance)
{
    for (int i = 0; i < 16; ++i)
    {
        const double scale = std::fmax(1.0, std::fabs(expected[i]));
        if (std::fabs(actual[i] - expected[i]) > tolerance * scale)
            return ::testing::AssertionFailure() << "element " << i << " (row " << i % 4 << ", column " << i / 4
                                                 << ") is " << actual[i] << ", expected " << expected[i];
    }
    return ::testing::AssertionSuccess();
}

// The pixel a window point falls in.
inline Rgba PixelAt(const WindowPoint& p)
{
    return GlTestContext::Pixel(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)));
}

inline float DepthAt(const WindowPoint& p)
{
    float depth = -1.0f;
    glReadPixels(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)), 1, 1, GL_DEPTH_COMPONENT,
                 GL_FLOAT, &depth);
    return depth;
}

// Records every message box (text, caption) while it lives.
class MessageRecorder
{
public:
    MessageRecorder()
    {
        SetReportSink([this](ReportKind kind, const std::string& text, const std::string& caption) {
            if (kind != ReportKind::MessageBox)
                return;
            m_messages.emplace_back(text, caption);
        });
    }
    ~MessageRecorder() { SetReportSink(nullptr); }

    const std::vector<std::pair<std::string, std::string>>& Messages() const { return m_messages; }

    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

private:
    std::vector<std::pair<std::string, std::string>> m_messages;
};

// Writes the current frame as <name>.png into the directory named by ZARNOVELT_FRAMES, when
// it is set, so the rendered pictures can be looked at; otherwise does nothing.
inline void SaveFrame(const std::string& name)
{
    const char* directory = std::getenv("ZARNOVELT_FRAMES");
    if (directory != nullptr && *directory)
        GlTestContext::SavePng(std::string(directory) + "/" + name + ".png");
}
