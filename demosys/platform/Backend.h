// The platform contract: everything the show needs from the machine it runs on, behind one small
// interface. A platform is a folder of its own under platform/ (sdl: a window, egl: headless GL,
// win32: a window and headless GL on Windows, null: no GL at all, for timeline tests);
// BackendChoice.cpp is the one place that picks them.
//
// A backend owns the window (if any) and its events, the GL context, presenting a frame, the
// start-up dialog's event loop, drawing the overlay over the presented picture, and opening the
// sound device. Every GL backend's show is drawn into an offscreen framebuffer of the chosen
// size (RenderTarget); a window backend shows it scaled to fit, so the window's size never
// changes what the effects see. Nobody outside the backend's folder knows the platform's types.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Win32Shim.h"

class AudioDevice;
class MusicStream;
struct StartupChoices;
struct StartupDialogModel;
enum class DialogOutcome;

struct BackendConfig
{
    int width = 640;
    int height = 480;
    bool fullscreen = false;
    int swapInterval = 1;
    std::string title = "Zarnovelt";
    // The GL context's pixel format and the window's place, from the start-up record.
    int colourBits = 32;            // 32: 8 bits a channel; 16: 5-6-5
    bool depthBuffer = true;
    bool stencilBuffer = false;
    int displayIndex = 0;           // which display the window opens (and goes fullscreen) on
    bool alwaysOnTop = false;
};

// What happened in the window since the last poll.
struct BackendEvents
{
    bool quit = false;          // window closed
    bool escape = false;        // Escape pressed
    bool space = false;         // pause / resume
    bool left = false;          // seek back
    bool right = false;         // seek forward
    bool home = false;          // restart
    bool reload = false;        // R: reload the script
    bool toggleOverlay = false; // F1
    bool toggleFullscreen = false; // F11

    // Adds what `more` says happened.
    void Merge(const BackendEvents& more);
};

// What the window has asked of the machine for the person watching, as the system reports it.
struct PresentationState
{
    bool pointerHidden = false;     // no mouse pointer over the window
    bool screenSaverHeld = false;   // the screen saver and display sleep are held off
};

class Backend
{
public:
    virtual ~Backend() = default;

    // Creates the context (and window) and makes it current. False with a reason on failure.
    virtual bool Open(const BackendConfig& config, std::string* error) = 0;

    // True when the backend draws with GL (known before Open).
    virtual bool HasGl() const = 0;

    // True when a person can see the output (a window).
    virtual bool IsInteractive() const = 0;

    // GL entry point lookup for the current context.
    virtual PROC GetProcAddress(const char* name) = 0;

    // Reads pending window events.
    virtual BackendEvents PollEvents() = 0;

    // Shows the frame held in the offscreen framebuffer `framebuffer` (width x height): a
    // window blits it scaled to fit with black bars, draws the overlay over it and swaps;
    // headless hands the frame to the driver as a swap would.
    virtual void Present(unsigned int framebuffer, int width, int height) = 0;

    // The native window as an HWND, for GetFocus (null when there is none).
    virtual HWND Window() const = 0;

    // Switches fullscreen on or off (window only).
    virtual void SetFullscreen(bool on) { (void)on; }

    // True while the window is fullscreen.
    virtual bool IsFullscreen() const { return false; }

    // Tells the window that the show has started playing (after the start-up dialog and loading)
    // or has ended. While it plays, the screen saver and display sleep are held off and the
    // mouse pointer is hidden over a fullscreen show; a window, a message box and the end of the
    // show give the pointer back, the end of the show (or Close) the screen saver. Window only.
    virtual void SetShowPlaying(bool playing) { (void)playing; }

    // The pointer's and the screen saver's state, read back from the system where it tells
    // (what the tests check after F11 or the show's end).
    virtual PresentationState Presentation() const { return {}; }

    // Applies new window settings after the start-up dialog: the window's size (kept within the
    // display), fullscreen and the swap interval. Window only.
    virtual void Reconfigure(const BackendConfig& config) { (void)config; }

    // Runs the start-up dialog in the window until Start or Quit, starting from *choices and
    // leaving the person's choices there. A backend without a window starts at once.
    virtual DialogOutcome RunStartupDialog(const StartupDialogModel& model, StartupChoices* choices);

    // The overlay's lines of text, drawn by Present over the picture in the window (never into
    // the offscreen frame, so neither effects nor captures see it). Empty: no overlay. An empty
    // line separates groups.
    virtual void SetOverlay(std::vector<std::string> lines) { (void)lines; }

    // Opens the sound device for `stream`, paused at the stream's position. Null with a
    // one-line reason when the platform has none.
    virtual std::unique_ptr<AudioDevice> OpenAudio(std::unique_ptr<MusicStream> stream, std::string* error);

    // Shows a message to the person at the window and waits for it to be dismissed, where the
    // platform does that (the text is on standard error already). Does nothing by default.
    virtual void ShowMessage(const std::string& text, const std::string& caption)
    {
        (void)text;
        (void)caption;
    }

    // Releases the context and window.
    virtual void Close() = 0;
};
