#include "EffectFixture.h"

#include <algorithm>

#include "api/Library.h"

void EffectFixture::SetUp()
{
    ASSERT_TRUE(GlTestContext::Create(m_width, m_height));
}

void EffectFixture::TearDown()
{
    for (auto effect = m_owned.rbegin(); effect != m_owned.rend(); ++effect)
        if (std::find(m_running.begin(), m_running.end(), *effect) != m_running.end())
            End(**effect);
    ExpectNoGlError("the test");
    HideExtensions(false);
}

void EffectFixture::Reopen(int width, int height)
{
    m_width = width;
    m_height = height;
    ASSERT_TRUE(GlTestContext::Create(width, height));
}

View EffectFixture::Camera(const Matrix4& modelView, double nearPlane, double farPlane) const
{
    return {PerspectiveMatrix(45.0, static_cast<double>(m_width) / m_height, nearPlane, farPlane), modelView, m_width,
            m_height};
}

int EffectFixture::Init(CEffect& effect)
{
    const int result = effect.Init(m_width, m_height);
    ExpectNoGlError("Init");
    return result;
}

void EffectFixture::Prepare(CEffect& effect)
{
    effect.Prepare();
    ExpectNoGlError("Prepare");
    if (std::find(m_running.begin(), m_running.end(), &effect) == m_running.end())
        m_running.push_back(&effect);
}

void EffectFixture::Start(CEffect& effect)
{
    ASSERT_EQ(Init(effect), 0);
    Prepare(effect);
}

void EffectFixture::Render(CEffect& effect, long elapsed)
{
    effect.RenderFrame(elapsed);
    ExpectNoGlError("RenderFrame(" + std::to_string(elapsed) + ")");
}

void EffectFixture::Render(CEffect& effect, std::initializer_list<long> elapsedTimes)
{
    for (long elapsed : elapsedTimes)
        Render(effect, elapsed);
}

void EffectFixture::End(CEffect& effect)
{
    effect.End();
    ExpectNoGlError("End");
    m_running.erase(std::remove(m_running.begin(), m_running.end(), &effect), m_running.end());
}

void EffectFixture::Send(CEffect& effect, const std::string& name, int value)
{
    std::string copy = name;
    effect.ReceiveInt(copy.data(), value, 0);
    ExpectNoGlError("ReceiveInt(\"" + name + "\", " + std::to_string(value) + ")");
}

void EffectFixture::InitWithMissingModel(CEffect& effect, const MessageRecorder& messages,
                                         const std::string& modelPath)
{
    const std::string message = "Couldn't load the model dat\\model.ms3d";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Init(effect), 0);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], message);
    EXPECT_EQ(messages.Captions()[0], "Error");
    EXPECT_NE(printed.find("Error: " + message), std::string::npos) << printed;
    EXPECT_NE(printed.find(modelPath), std::string::npos) << printed;
}

void EffectFixture::HideExtensions(bool hidden)
{
    Library().options.noExtensions = hidden;
}

void EffectFixture::ExpectNoGlError(const std::string& call)
{
    EXPECT_TRUE(NoGlError(call));
}
