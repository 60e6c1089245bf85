// What the window does for the person watching, read back from the system through the
// platform's own window backend (SDL2 on an X server of the test's own on Linux; Win32 on the
// desktop under Wine): the pointer hidden over a fullscreen show only, and back in a window,
// while the start-up dialog is up and when the show has ended; the screen saver and display
// sleep held off while the show plays, and only then.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Backend.h"
#include "platform/BackendChoice.h"
#include "platform/CurrentContext.h"
#include "platform/GlFunctions.h"
#include "platform/RenderTarget.h"
#include "VirtualDisplay.h"

namespace {

class Presentation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_display.Available())
            GTEST_SKIP() << m_display.Why();
        m_backend = CreatePlatformBackend(BackendRole::Window);
        BackendConfig config;
        config.width = 160;
        config.height = 120;
        config.swapInterval = 0;
        std::string error;
        ASSERT_TRUE(m_backend->Open(config, &error)) << error;
        SetCurrentBackend(m_backend.get());
        ASSERT_TRUE(Gl().Load());
        ASSERT_TRUE(m_target.Create(160, 120, &error)) << error;
    }

    void TearDown() override
    {
        if (!m_backend)
            return;
        m_target.Destroy();
        SetCurrentBackend(nullptr);
        m_backend->Close();
    }

    bool PointerHidden() const { return m_backend->Presentation().pointerHidden; }
    bool ScreenSaverHeld() const { return m_backend->Presentation().screenSaverHeld; }

    // A few frames presented as the show presents them, overlay and all.
    void PresentFrames()
    {
        for (int frame = 0; frame < 3; ++frame)
        {
            m_backend->PollEvents();
            m_backend->Present(m_target.Framebuffer(), m_target.Width(), m_target.Height());
        }
    }

    ScopedVirtualDisplay m_display{640, 480};
    std::unique_ptr<Backend> m_backend;
    RenderTarget m_target;
};

TEST_F(Presentation, PointerIsHiddenOnlyOverAFullscreenShow)
{
    EXPECT_FALSE(PointerHidden()) << "a window, before the show";
    m_backend->SetFullscreen(true);
    EXPECT_FALSE(PointerHidden()) << "fullscreen while the start-up dialog is up";
    m_backend->SetShowPlaying(true);
    EXPECT_TRUE(PointerHidden()) << "the fullscreen show";
    m_backend->SetFullscreen(false);
    EXPECT_FALSE(PointerHidden()) << "F11: the show in a window";
    m_backend->SetFullscreen(true);
    EXPECT_TRUE(PointerHidden()) << "F11 again: fullscreen";
    m_backend->SetShowPlaying(false);
    EXPECT_FALSE(PointerHidden()) << "the show has ended";
}

TEST_F(Presentation, ScreenSaverIsHeldOffOnlyWhileTheShowPlays)
{
    EXPECT_FALSE(ScreenSaverHeld()) << "before the show (the start-up dialog's time)";
    m_backend->SetShowPlaying(true);
    EXPECT_TRUE(ScreenSaverHeld()) << "the show in a window";
    m_backend->SetFullscreen(true);
    m_backend->SetFullscreen(false);
    EXPECT_TRUE(ScreenSaverHeld()) << "after F11 twice";
    m_backend->SetShowPlaying(false);
    EXPECT_FALSE(ScreenSaverHeld()) << "the show has ended";
}

TEST_F(Presentation, OverlayLeavesThePointerAsTheShowSetIt)
{
    m_backend->SetShowPlaying(true);
    m_backend->SetFullscreen(true);
    m_backend->SetOverlay({"60.0 fps  16.67 ms", "", "layer 0: CLEAR"});
    PresentFrames();
    EXPECT_TRUE(PointerHidden()) << "the F1 overlay over a fullscreen show";
    m_backend->SetFullscreen(false);
    PresentFrames();
    EXPECT_FALSE(PointerHidden()) << "the F1 overlay over the show in a window";
    m_backend->SetShowPlaying(false);
}

} // namespace
