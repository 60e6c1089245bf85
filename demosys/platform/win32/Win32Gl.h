// WGL contexts for the Win32 backends: on a window's device context, or on a memory bitmap when
// no window can have one (Wine without a display renders only into bitmaps). Internal to
// platform/win32.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Backend.h"

struct WglContext
{
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    HBITMAP bitmap = nullptr;       // the bitmap a bitmap context draws into
    HGDIOBJ previousBitmap = nullptr;
    bool ownsDc = false;            // a memory DC of ours (bitmap context)
};

// Chooses the pixel format the configuration asks for on the window's DC, creates the context
// and makes it current. False with a reason.
bool CreateWindowContext(HWND window, const BackendConfig& config, WglContext* context, std::string* error);

// A context that draws into a small memory bitmap (PFD_DRAW_TO_BITMAP); the show itself goes to
// the offscreen framebuffer anyway. False with a reason.
bool CreateBitmapContext(const BackendConfig& config, WglContext* context, std::string* error);

// Releases the context, its DC and its bitmap; the window stays.
void DestroyContext(WglContext* context);

// A GL entry point of the current context: wglGetProcAddress for what is beyond OpenGL 1.1,
// opengl32's own exports for 1.1 itself.
PROC WglProcAddress(const char* name);

// Sets the swap interval through WGL_EXT_swap_control where the driver has it.
void SetSwapInterval(int interval);

// The window class's module and icon (resource 110 of the executable).
HINSTANCE ModuleInstance();
HICON ProgramIcon();
