// Headless WGL: a hidden window's context, or, where no window can have one (Wine without a
// display), a context on a memory bitmap. Either way the show renders into the offscreen
// framebuffer (RenderTarget) and nothing is shown.
#include <GL/gl.h>

#include "platform/win32/Win32Backend.h"
#include "platform/win32/Win32Gl.h"

namespace {

const wchar_t kHiddenClass[] = L"ZarnoveltHiddenGl";

class Win32HeadlessBackend : public Backend
{
public:
    ~Win32HeadlessBackend() override { Close(); }

    bool Open(const BackendConfig& config, std::string* error) override
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = ModuleInstance();
        windowClass.lpszClassName = kHiddenClass;
        RegisterClassExW(&windowClass);
        std::string windowError;
        m_context.window = CreateWindowExW(0, kHiddenClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                                           ModuleInstance(), nullptr);
        if (m_context.window != nullptr && CreateWindowContext(m_context.window, config, &m_context, &windowError))
            return true;
        if (m_context.window != nullptr)
            DestroyWindow(m_context.window);
        m_context.window = nullptr;
        std::string bitmapError;
        if (CreateBitmapContext(config, &m_context, &bitmapError))
            return true;
        *error = "no headless OpenGL context: hidden window: " + (windowError.empty() ? "not created" : windowError) +
                 "; bitmap: " + bitmapError;
        return false;
    }

    bool HasGl() const override { return true; }
    bool IsInteractive() const override { return false; }
    PROC GetProcAddress(const char* name) override { return WglProcAddress(name); }

    BackendEvents PollEvents() override
    {
        // The hidden window gets messages too; they are answered, never acted on.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        return {};
    }

    // A flush per frame is what a swap does: the driver renders what it has been given.
    void Present(unsigned int, int, int) override { glFlush(); }
    HWND Window() const override { return nullptr; }

    void Close() override
    {
        DestroyContext(&m_context);
        if (m_context.window != nullptr)
            DestroyWindow(m_context.window);
        m_context.window = nullptr;
    }

private:
    WglContext m_context;
};

} // namespace

std::unique_ptr<Backend> CreateWin32HeadlessBackend() { return std::make_unique<Win32HeadlessBackend>(); }
