// The fixture of the effect tests. It opens the headless GL context at the test's size, gives
// every test a scratch directory as its working directory (the effects read their files from
// there), runs an effect's calls (Init at the size, Prepare, RenderFrame at any elapsed time,
// End, ReceiveInt) and checks after each one that no GL error is pending; at the end it ends
// what is still running and checks once more.
//
//   class Balls : public EffectTest<CBallsEffect>
//   {
//   protected:
//       Balls() : EffectTest(640, 480) {}
//   };
//   TEST_F(Balls, Something)
//   {
//       ASSERT_TRUE(WriteTestJpeg("lightball.jpg", 8, 8, Solid(255, 255, 255)));
//       ASSERT_NO_FATAL_FAILURE(Start());
//       EarlierFrame frame;    // a nearer depth and fog left on by the effects before
//       frame.depth = 0.0;
//       frame.depthTest = frame.fog = true;
//       PrepareFrame(frame);
//       Render(2500);
//       EXPECT_TRUE(PixelNear(EyeToWindow(1.5, 0, -8.5), {200, 200, 200}, 8));
//       EXPECT_EQ(ReadTexture(m_effect.m_texture).wrapS, GL_REPEAT);
//       SaveFrame("balls_something");
//   }
//
// GlChecks.h (pixels, colours, GL state, textures), Projection.h (where points land),
// FrameSaver.h, MessageRecorder.h and TestFiles.h come with it.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "DemoGL.h"
#include "FrameSaver.h"
#include "GlChecks.h"
#include "MessageRecorder.h"
#include "Projection.h"
#include "TestFiles.h"

class EffectFixture : public ::testing::Test
{
protected:
    EffectFixture(int width, int height) : m_width(width), m_height(height) {}

    // Opens the context at the fixture's size: a black frame at depth 1, GL state as new.
    void SetUp() override;
    // Ends the fixture's own effects that are still running, checks that no GL error is left
    // and shows the extensions again.
    void TearDown() override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Opens the context again at a size (later Inits take it): a black frame, GL state as new.
    void Reopen(int width, int height);
    // The same at the current size: a fresh frame for the next picture.
    void ResetFrame() { Reopen(m_width, m_height); }

    // The 45-degree perspective most effects set up, at the fixture's size, under a model-view
    // the test builds; Eye is the same for eye-space points (identity model-view). The near
    // and far planes matter only for the window depth.
    View Camera(const Matrix4& modelView, double nearPlane = 0.1, double farPlane = 100.0) const;
    View Eye(double nearPlane = 0.1, double farPlane = 100.0) const { return Camera(IdentityMatrix(), nearPlane, farPlane); }
    WindowPoint EyeToWindow(double x, double y, double z) const { return Eye().Project(x, y, z); }
    // The window x of an eye-space x, and the window y of an eye-space y, at a distance in
    // front of the eye (for edges of pictures that face the viewer).
    double ScreenX(double eyeX, double distance) const { return EyeToWindow(eyeX, 0.0, -distance).x; }
    double ScreenY(double eyeY, double distance) const { return EyeToWindow(0.0, eyeY, -distance).y; }

    // An effect's calls, each followed by a check that no GL error is pending. Init uses the
    // fixture's size; Start is Init (which must return 0) and Prepare.
    int Init(CEffect& effect);
    void Prepare(CEffect& effect);
    void Start(CEffect& effect);
    void Render(CEffect& effect, long elapsed);
    void Render(CEffect& effect, std::initializer_list<long> elapsedTimes);
    void End(CEffect& effect);
    // ReceiveInt with a writable copy of the name.
    void Send(CEffect& effect, const std::string& name, int value);

    // Init of a model effect whose model file is missing: it still returns 0, and the failure
    // is shown once ("Couldn't load the model dat\model.ms3d", caption "Error", recorded by
    // messages) and printed to standard error with the path it looked for.
    void InitWithMissingModel(CEffect& effect, const MessageRecorder& messages, const std::string& modelPath);

    // Hides the GL extensions from later Prepares, as --no-extensions does, until called with
    // false or the test ends.
    void HideExtensions(bool hidden);

    // An effect of the fixture itself (alive until after TearDown), which TearDown ends if a
    // test leaves it running. Effects local to a test end themselves.
    void Own(CEffect& effect) { m_owned.push_back(&effect); }

private:
    void ExpectNoGlError(const std::string& call);

    int m_width;
    int m_height;
    ScopedTempDir m_dir;
    std::vector<CEffect*> m_owned;
    std::vector<const CEffect*> m_running;
};

// The fixture with one effect of its own, m_effect, and its calls without the argument.
template <class Effect>
class EffectTest : public EffectFixture
{
protected:
    EffectTest(int width, int height) : EffectFixture(width, height) { Own(m_effect); }

    using EffectFixture::End;
    using EffectFixture::Init;
    using EffectFixture::InitWithMissingModel;
    using EffectFixture::Prepare;
    using EffectFixture::Render;
    using EffectFixture::Send;
    using EffectFixture::Start;

    int Init() { return Init(m_effect); }
    void Prepare() { Prepare(m_effect); }
    void Start() { Start(m_effect); }
    void Render(long elapsed) { Render(m_effect, elapsed); }
    void Render(std::initializer_list<long> elapsedTimes) { Render(m_effect, elapsedTimes); }
    void End() { End(m_effect); }
    void Send(const std::string& name, int value) { Send(m_effect, name, value); }
    void InitWithMissingModel(const MessageRecorder& messages, const std::string& modelPath)
    {
        InitWithMissingModel(m_effect, messages, modelPath);
    }

    Effect m_effect;
};
