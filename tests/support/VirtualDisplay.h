// A display for tests that open the platform's own window backend in the test process. On Linux
// an X server of the test's own (Xvfb, on a display number it picks itself, so tests running
// side by side never meet), with DISPLAY pointing at it while the object lives; on Windows the
// desktop that is there (under Wine, the virtual display the checks run on).
#pragma once

#include <optional>
#include <string>

#include "TestFiles.h"

class ScopedVirtualDisplay
{
public:
    ScopedVirtualDisplay(int width, int height);
    ~ScopedVirtualDisplay();
    ScopedVirtualDisplay(const ScopedVirtualDisplay&) = delete;
    ScopedVirtualDisplay& operator=(const ScopedVirtualDisplay&) = delete;

    // False when no display could be had; Why() says why (a test skips with it).
    bool Available() const { return m_why.empty(); }
    const std::string& Why() const { return m_why; }

private:
    std::string m_why;
    long m_server = 0;      // the X server's process id (Linux)
    // DISPLAY while the object lives (Linux); put back after the server has been stopped.
    std::optional<ScopedEnvironment> m_display;
};
