// WGL contexts on a window or a bitmap, and GL entry points (see Win32Gl.h).
#include "platform/win32/Win32Gl.h"

#include <GL/gl.h>

namespace {

PIXELFORMATDESCRIPTOR PixelFormatFor(const BackendConfig& config, DWORD flags)
{
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = flags | PFD_SUPPORT_OPENGL;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = static_cast<BYTE>(config.colourBits >= 24 ? 32 : 16);
    format.cDepthBits = static_cast<BYTE>(config.depthBuffer ? 24 : 0);
    format.cStencilBits = static_cast<BYTE>(config.stencilBuffer ? 8 : 0);
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

bool MakeContext(WglContext* context, const PIXELFORMATDESCRIPTOR& wanted, std::string* error)
{
    const int chosen = ChoosePixelFormat(context->dc, &wanted);
    if (chosen == 0 || !SetPixelFormat(context->dc, chosen, &wanted))
    {
        *error = "no OpenGL pixel format (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    context->rc = wglCreateContext(context->dc);
    if (context->rc == nullptr)
    {
        *error = "wglCreateContext failed (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (!wglMakeCurrent(context->dc, context->rc))
    {
        *error = "wglMakeCurrent failed (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

} // namespace

bool CreateWindowContext(HWND window, const BackendConfig& config, WglContext* context, std::string* error)
{
    context->window = window;
    context->dc = GetDC(window);
    if (context->dc == nullptr)
    {
        *error = "the window has no device context";
        return false;
    }
    if (!MakeContext(context, PixelFormatFor(config, PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER), error))
    {
        DestroyContext(context);
        return false;
    }
    return true;
}

bool CreateBitmapContext(const BackendConfig& config, WglContext* context, std::string* error)
{
    context->dc = CreateCompatibleDC(nullptr);
    context->ownsDc = true;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = 16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    context->bitmap = context->dc != nullptr ? CreateDIBSection(context->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                                             : nullptr;
    if (context->bitmap == nullptr)
    {
        *error = "no memory bitmap for a GL context";
        DestroyContext(context);
        return false;
    }
    context->previousBitmap = SelectObject(context->dc, context->bitmap);
    BackendConfig bitmapConfig = config;
    bitmapConfig.colourBits = 32;
    if (!MakeContext(context, PixelFormatFor(bitmapConfig, PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI), error))
    {
        DestroyContext(context);
        return false;
    }
    return true;
}

void DestroyContext(WglContext* context)
{
    if (context->rc != nullptr)
    {
        if (wglGetCurrentContext() == context->rc)
            wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context->rc);
    }
    if (context->ownsDc && context->dc != nullptr)
    {
        if (context->previousBitmap != nullptr)
            SelectObject(context->dc, context->previousBitmap);
        DeleteDC(context->dc);
    }
    else if (context->dc != nullptr && context->window != nullptr)
    {
        ReleaseDC(context->window, context->dc);
    }
    if (context->bitmap != nullptr)
        DeleteObject(context->bitmap);
    const HWND window = context->window;
    *context = WglContext();
    context->window = window;
}

PROC WglProcAddress(const char* name)
{
    if (name == nullptr)
        return nullptr;
    PROC address = wglGetProcAddress(name);
    // Some drivers answer 1, 2, 3 or -1 instead of null for what they do not have.
    const INT_PTR value = reinterpret_cast<INT_PTR>(address);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1)
    {
        static const HMODULE openGl = GetModuleHandleW(L"opengl32.dll");
        address = openGl != nullptr ? GetProcAddress(openGl, name) : nullptr;
    }
    return address;
}

void SetSwapInterval(int interval)
{
    using SwapIntervalFunction = BOOL(WINAPI*)(int);
    const auto swapInterval = reinterpret_cast<SwapIntervalFunction>(WglProcAddress("wglSwapIntervalEXT"));
    if (swapInterval != nullptr)
        swapInterval(interval);
}

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

HICON ProgramIcon()
{
    return static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(110), IMAGE_ICON, 0, 0,
                                         LR_DEFAULTSIZE | LR_SHARED));
}
