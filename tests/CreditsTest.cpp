// CREDITS through real GL: where the model lands at 2000 ms, the extents and textures of the
// two caption cards, the per-frame fades (never clamped, the card kept after a fade-out), the
// exact parameter names, and the missing-model path.
#include "Credits.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "EffectFixture.h"
#include "Ms3dTestFile.h"

namespace
{

// Eye-space centres of the cards.
constexpr Point3 kCaptionCentre = {0, 2.5, -12};
constexpr Point3 kNameCentre = {1.8, -2, -12};

std::vector<uint8_t> EmptyModel()
{
    return Ms3dTestFile().Bytes();
}

void ClearToBlack() { FillFrame({0, 0, 0}); }

// The brightness a white card adds at this alpha (GL clamps the colour to 0..1).
int CardLevel(float alpha)
{
    return static_cast<int>(std::lround(255.0 * std::fmin(1.0, std::fmax(0.0, alpha))));
}

// An effect loaded from the scratch directory with the given model and caption pictures.
class Credits : public EffectTest<CCreditsEffect>
{
protected:
    Credits() : EffectTest(320, 240) {}

    void Load(const std::vector<uint8_t>& model, PixelFunction caption, PixelFunction name)
    {
        ASSERT_TRUE(WriteTestFile("dat/m_headphone.ms3d", model));
        ASSERT_TRUE(WriteTestJpeg("txt_coding.jpg", 8, 8, caption));
        ASSERT_TRUE(WriteTestJpeg("txt_qv517.jpg", 8, 8, name));
        ASSERT_EQ(Init(), 0);
        ASSERT_NE(m_effect.m_captionTexture, 0u);
        ASSERT_NE(m_effect.m_nameTexture, 0u);
        Prepare();
    }

    // The effect's camera at the fixture's size; cards are placed in eye space under it.
    View ModelCamera(const Matrix4& modelView) const { return Camera(modelView, 1, 1000); }
    WindowPoint CardToWindow(Point3 p) const { return Eye(1, 1000).Project(p); }

    // One frame at t = 0 on a black frame; returns the coding card's centre pixel.
    Rgba Frame()
    {
        ClearToBlack();
        Render(2000);
        return PixelAt(CardToWindow(kCaptionCentre));
    }
};

} // namespace

TEST_F(Credits, ModelLandsWhereTheFixedCameraPutsItAt2000)
{
    // A green self-lit cube of side 10 centred at (10, 0, 0), so that the turns move it.
    Ms3dTestFile cube;
    cube.AddBox(cube.AddGroup(cube.AddMaterial(EmissiveMaterial(0, 1, 0))), {5, -5, -5}, {15, 5, 5});
    ASSERT_NO_FATAL_FAILURE(Load(cube.Bytes(), Solid(255, 255, 255), Solid(255, 255, 255)));

    ClearToBlack();
    Render(2000);
    SaveFrame("credits_model");

    // t = 0: shifted to (0, 0, 20.5), turned 90 + 50 degrees about y and -30 about z.
    const Matrix4 camera = LookAtMatrix({75, 75, 75}, {0, 0, 0}, {0, 1, 0});
    Matrix4 model = Multiply(camera, TranslationMatrix(0, 0, 20.5));
    model = Multiply(model, RotationMatrix(140, 0, 1, 0));
    model = Multiply(model, RotationMatrix(-30, 0, 0, 1));
    const Rgba pixel = PixelAt(ModelCamera(model).Project(10, 0, 0));
    EXPECT_EQ(pixel.r, 0);
    EXPECT_GE(pixel.g, 250);
    EXPECT_EQ(pixel.b, 0);
    // Unturned, the cube would be elsewhere; that spot stays black.
    const WindowPoint unturned = ModelCamera(Multiply(camera, TranslationMatrix(0, 0, 20.5))).Project(10, 0, 0);
    EXPECT_EQ(PixelAt(unturned).g, 0);

    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_PROJECTION_MATRIX), ModelCamera(model).projection, 1e-6));
    // The last matrix set is the name card's.
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX), TranslationMatrix(1.8, -2, -12), 1e-6));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT0));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
}

TEST_F(Credits, CardsSpanTheirExtentsWithTheirOwnPictures)
{
    ASSERT_NO_FATAL_FAILURE(Load(EmptyModel(), Solid(255, 0, 0), Solid(0, 255, 0)));
    m_effect.m_showCaption = m_effect.m_showName = true;
    m_effect.m_captionAlpha = m_effect.m_nameAlpha = 1.0f;
    ClearToBlack();
    Render(2000);
    SaveFrame("credits_cards");

    struct Card
    {
        const char* name;
        Point3 centre;
        double halfWidth, halfHeight;
        int channel;   // 0 red, 1 green
    };
    // At t = 0 the coding card is 8 x 2 and the name card 8.6 x 2.4 (cos 0 = 1 widens it).
    const Card cards[] = {{"coding", kCaptionCentre, 4.0, 1.0, 0}, {"name", kNameCentre, 4.3, 1.2, 1}};
    const auto level = [](const Rgba& p, int channel) { return channel == 0 ? p.r : p.g; };
    const auto other = [](const Rgba& p, int channel) { return channel == 0 ? p.g : p.r; };
    constexpr double kMargin = 2.0;
    for (const Card& card : cards)
    {
        SCOPED_TRACE(card.name);
        const WindowPoint lo = CardToWindow({card.centre.x - card.halfWidth, card.centre.y - card.halfHeight, -12});
        const WindowPoint hi = CardToWindow({card.centre.x + card.halfWidth, card.centre.y + card.halfHeight, -12});
        const WindowPoint mid = CardToWindow(card.centre);
        const WindowPoint inside[] = {{lo.x + kMargin, mid.y, 0}, {hi.x - kMargin, mid.y, 0},
                                      {mid.x, lo.y + kMargin, 0}, {mid.x, hi.y - kMargin, 0}, mid};
        for (const WindowPoint& p : inside)
        {
            const Rgba pixel = PixelAt(p);
            EXPECT_GE(level(pixel, card.channel), 250) << "inside at " << p.x << ", " << p.y;
            EXPECT_LE(other(pixel, card.channel), 4) << "inside at " << p.x << ", " << p.y;
        }
        const WindowPoint outside[] = {{lo.x - kMargin, mid.y, 0}, {hi.x + kMargin, mid.y, 0},
                                       {mid.x, lo.y - kMargin, 0}, {mid.x, hi.y + kMargin, 0}};
        for (const WindowPoint& p : outside)
            EXPECT_EQ(level(PixelAt(p), card.channel), 0) << "outside at " << p.x << ", " << p.y;
    }

    // Left behind: white at the last card's alpha, the name picture bound.
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_nameTexture);
    EXPECT_FALSE(IsOn(GL_BLEND));
}

TEST_F(Credits, FadesStepOncePerFrameUnclampedAndKeepTheCard)
{
    ASSERT_NO_FATAL_FAILURE(Load(EmptyModel(), Solid(255, 255, 255), Solid(255, 255, 255)));

    // Fade in from 0: visible at 0.1 in the very next frame, stops rising in the tenth frame
    // just above 1.
    Send("CODING", 1);
    for (int frame = 1; frame <= 10; ++frame)
    {
        SCOPED_TRACE("fade-in frame " + std::to_string(frame));
        const Rgba pixel = Frame();
        if (frame == 1)
        {
            EXPECT_EQ(m_effect.m_captionAlpha, 0.1f);
        }
        EXPECT_NEAR(m_effect.m_captionAlpha, frame * 0.1, 1e-5);
        EXPECT_EQ(m_effect.m_captionFadingIn, frame < 10);
        EXPECT_NEAR(pixel.r, CardLevel(m_effect.m_captionAlpha), 2);
    }
    EXPECT_EQ(m_effect.m_captionAlpha, std::nextafter(1.0f, 2.0f)) << "1.0000001, not clamped";
    EXPECT_EQ(Frame().r, 255);
    EXPECT_EQ(m_effect.m_captionAlpha, std::nextafter(1.0f, 2.0f)) << "no step without a fade";

    // Fade out: eleven frames to reach alpha <= 0, ending near -0.1; the card stays shown.
    Send("CODING", 2);
    for (int frame = 1; frame <= 11; ++frame)
    {
        SCOPED_TRACE("fade-out frame " + std::to_string(frame));
        const Rgba pixel = Frame();
        EXPECT_EQ(m_effect.m_captionFadingOut, frame < 11);
        EXPECT_TRUE(m_effect.m_showCaption);
        EXPECT_NEAR(pixel.r, CardLevel(m_effect.m_captionAlpha), 2);
    }
    SaveFrame("credits_faded_out");
    EXPECT_NEAR(m_effect.m_captionAlpha, -0.1f, 1e-6);
    EXPECT_EQ(Frame().r, 0) << "a card below zero adds nothing";

    // A fade-in from there also takes eleven frames.
    Send("CODING", 1);
    int frames = 0;
    while (m_effect.m_captionFadingIn && frames < 20)
    {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 11);
    EXPECT_GE(m_effect.m_captionAlpha, 1.0f);

    // A fade-in sent at 1 adds one step and stops.
    m_effect.m_captionAlpha = 1.0f;
    Send("CODING", 1);
    Frame();
    EXPECT_FLOAT_EQ(m_effect.m_captionAlpha, 1.1f);
    EXPECT_FALSE(m_effect.m_captionFadingIn);
}

TEST_F(Credits, ParametersSwitchCaptionsByTheirExactNames)
{
    ASSERT_NO_FATAL_FAILURE(Load(EmptyModel(), Solid(255, 255, 255), Solid(255, 255, 255)));
    struct Case
    {
        const char* name;
        int value;
        bool show, fadingIn, fadingOut;
    };
    // Starting each time from a caption fading in at alpha 0.5.
    const Case cases[] = {
        {"CODING", 1, true, true, false},  {"CODING", 2, true, false, true}, {"CODING", 0, false, false, false},
        {"CODING", 3, false, false, false}, {"CODING", -1, false, false, false},
        {"coding", 0, true, true, false},  {"CODING ", 0, true, true, false}, {"CODINGS", 0, true, true, false},
        {"CODIN", 0, true, true, false},   {"QV", 0, true, true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string("\"") + c.name + "\" = " + std::to_string(c.value));
        m_effect.m_showCaption = m_effect.m_captionFadingIn = true;
        m_effect.m_captionFadingOut = false;
        m_effect.m_captionAlpha = 0.5f;
        Send(c.name, c.value);
        EXPECT_EQ(m_effect.m_showCaption, c.show);
        EXPECT_EQ(m_effect.m_captionFadingIn, c.fadingIn);
        EXPECT_EQ(m_effect.m_captionFadingOut, c.fadingOut);
        EXPECT_EQ(m_effect.m_captionAlpha, 0.5f) << "the alpha waits for the next frame";
    }

    // Hidden mid-fade: gone in the next frame, its alpha kept for the next fade.
    Send("CODING", 1);
    Frame();
    Frame();
    const float kept = m_effect.m_captionAlpha;
    Send("CODING", 0);
    EXPECT_EQ(Frame().r, 0);
    EXPECT_EQ(m_effect.m_captionAlpha, kept);

    // "QV" drives the name card alone.
    Send("QV", 1);
    EXPECT_TRUE(m_effect.m_showName && m_effect.m_nameFadingIn);
    EXPECT_FALSE(m_effect.m_showCaption);
    Frame();
    EXPECT_EQ(m_effect.m_nameAlpha, 0.1f);
    EXPECT_NEAR(PixelAt(CardToWindow(kNameCentre)).r, CardLevel(0.1f), 2);
}

TEST_F(Credits, MissingModelIsReportedOnceWithoutLoadingThePicturesAndCallsStayHarmless)
{
    ASSERT_TRUE(WriteTestJpeg("txt_coding.jpg", 8, 8, Solid(255, 255, 255)));
    ASSERT_TRUE(WriteTestJpeg("txt_qv517.jpg", 8, 8, Solid(255, 255, 255)));
    MessageRecorder messages;
    ASSERT_NO_FATAL_FAILURE(InitWithMissingModel(messages, "dat/m_headphone.ms3d"));

    // Nothing was stored by Init; the defined values stand.
    EXPECT_EQ(m_effect.m_captionTexture, 0u);
    EXPECT_EQ(m_effect.m_nameTexture, 0u);
    EXPECT_GT(m_effect.m_width, 0);
    EXPECT_GT(m_effect.m_height, 0);
    EXPECT_EQ(m_effect.m_timeOffset, 2000);
    EXPECT_FALSE(m_effect.m_showCaption || m_effect.m_captionFadingIn || m_effect.m_captionFadingOut);
    EXPECT_FALSE(m_effect.m_showName || m_effect.m_nameFadingIn || m_effect.m_nameFadingOut);
    EXPECT_EQ(m_effect.m_captionAlpha, 0.0f);
    EXPECT_EQ(m_effect.m_nameAlpha, 0.0f);

    Prepare();
    Send("CODING", 1);
    Send("QV", 2);
    for (long elapsed : {0L, 2000L, 2016L})
    {
        ClearToBlack();
        Render(elapsed);
    }
    End();
    Prepare();
    Render(2033);
    EXPECT_EQ(messages.Texts().size(), 1u);
}
