// The display on Windows is the desktop: there is nothing to start, only to find out whether a
// window can open on it.
#include "VirtualDisplay.h"

#include "platform/BackendChoice.h"

ScopedVirtualDisplay::ScopedVirtualDisplay(int, int)
{
    if (!WindowAvailable())
        m_why = "no desktop to open a window on";
}

ScopedVirtualDisplay::~ScopedVirtualDisplay() = default;
