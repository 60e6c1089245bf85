// Dear ImGui in the demo's SDL2 window, drawn with its OpenGL 2 backend into the window's own
// framebuffer (never into the show's offscreen framebuffer, so neither the effects nor a capture
// ever see it). Used by the start-up dialog and the F1 overlay.
#pragma once

#include "Win32Shim.h"

class WindowUi
{
public:
    ~WindowUi();

    // Creates the ImGui context for the window (an SDL_Window* as HWND) whose GL context is
    // current. Writes no settings file. False when the window is null.
    bool Init(HWND window);
    void Shutdown();
    bool IsReady() const { return m_ready; }

    // Passes a window event (an SDL_Event*) to ImGui.
    void ProcessEvent(const void* event);

    // Starts a UI frame; build widgets with ImGui:: calls, then Render.
    void BeginFrame();

    // Draws the frame into the framebuffer bound for drawing, restoring every GL state it
    // changes (attributes, client arrays, matrices, texture binding, current colour).
    void Render();

private:
    bool m_ready = false;
};
