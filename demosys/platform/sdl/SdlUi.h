// Dear ImGui in the demo's SDL2 window, drawn with its OpenGL 2 backend into the window's own
// framebuffer (never into the show's offscreen framebuffer, so neither the effects nor a capture
// ever see it). The start-up dialog and the F1 overlay are drawn with it.
#pragma once

#include <string>
#include <vector>

union SDL_Event;
struct SDL_Window;

class SdlUi
{
public:
    ~SdlUi();

    // Creates the ImGui context for the window, whose GL context must be current. Writes no
    // settings file. False when the window is null.
    bool Init(SDL_Window* window);
    void Shutdown();
    bool IsReady() const { return m_ready; }

    // Passes a window event to ImGui.
    void ProcessEvent(const SDL_Event& event);

    // Starts a UI frame; build widgets with ImGui:: calls, then Render. With `ownsPointer` ImGui
    // shows the pointer and sets its shape (the dialog); without, it leaves the pointer as the
    // backend set it (the overlay, which takes no input, over a fullscreen show).
    void BeginFrame(bool ownsPointer = true);

    // Draws the frame into the framebuffer bound for drawing, restoring every GL state it
    // changes (attributes, client arrays, matrices, texture binding, current colour).
    void Render();

    // One frame holding the overlay's lines in the window's top-left corner; an empty line is
    // drawn as a separator.
    void DrawOverlay(const std::vector<std::string>& lines);

private:
    bool m_ready = false;
};
