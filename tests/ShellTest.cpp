// The shell's hand-over to the library: the fifteen effects registered in the registry's order
// under their script names, the start-up variables, the loading bar, and the start-up record's
// exact bytes.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DemoGL.h"
#include "EffectTable.h"
#include "Effects.h"
#include "api/Library.h"

namespace {

// Runs WinMain with --version so the library returns at once, and keeps what it was given.
class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetLibrary();
        Library().backendKind = BackendKind::Null;
        Options options;
        options.showVersion = true;
        Library().options = options;
        Library().optionsGiven = true;
        testing::internal::CaptureStdout();
        char commandLine[] = "ignored";
        m_result = WinMain(nullptr, nullptr, commandLine, 0);
        m_printed = testing::internal::GetCapturedStdout();
    }
    void TearDown() override { ResetLibrary(); }

    int m_result = -1;
    std::string m_printed;
};

TEST_F(ShellTest, RegistersTheFifteenEffectsInOrder)
{
    EXPECT_EQ(m_result, 0);
    const std::vector<std::string> expected = {"BALLS", "BACKGROUND", "IMAGE", "CLEAR",  "FLAG",
                                               "PARTY", "BITCH",      "CREDITS", "STARFIELD", "LAND",
                                               "TUNNEL", "BORDER",    "KAOS",  "SPIRAL", "SPACE"};
    std::vector<std::string> names;
    std::set<const CEffect*> objects;
    for (const RegisteredEffect& registered : Library().effects)
    {
        names.push_back(registered.name);
        objects.insert(registered.effect);
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(objects.size(), expected.size()) << "each name has its own object";
    EXPECT_EQ(Library().appRunCount, 1);
    EXPECT_NE(m_printed.find("Zarnovelt by Quillmarsh party gang"), std::string::npos) << m_printed;
}

TEST_F(ShellTest, SetsTheStartupVariablesAndLoadingBar)
{
    const StartupVariables& v = Library().variables;
    EXPECT_TRUE(v.showStartupDialog);
    EXPECT_EQ(v.swapInterval, 1);
    EXPECT_EQ(v.dataSource, 0);
    EXPECT_EQ(v.archiveFile, "revizi.xxx");
    EXPECT_EQ(v.scriptFile, "demoflow.txt");
    EXPECT_FALSE(v.fullScreen);
    EXPECT_TRUE(v.playMusic);
    EXPECT_TRUE(v.showLoadingBar);
    EXPECT_FALSE(v.showOverlay);
    EXPECT_TRUE(v.escapeEnds);
    EXPECT_FALSE(v.loopShow);
    EXPECT_FALSE(v.writeLogFile);

    const LoadingBarSettings& bar = Library().loadingBar;
    EXPECT_TRUE(bar.enabled);
    EXPECT_FLOAT_EQ(bar.width, 1.0f);
    EXPECT_FLOAT_EQ(bar.height, 0.02f);
    EXPECT_FLOAT_EQ(bar.x, 0.0f);
    EXPECT_FLOAT_EQ(bar.y, 0.0f);
    EXPECT_TRUE(bar.drawBar);
    EXPECT_FALSE(bar.backgroundPicture);
    EXPECT_EQ(bar.srcBlend, static_cast<unsigned>(GL_SRC_COLOR));
    EXPECT_EQ(bar.dstBlend, static_cast<unsigned>(GL_ONE_MINUS_SRC_COLOR));
    EXPECT_FLOAT_EQ(bar.opacity, 1.0f);
    EXPECT_FLOAT_EQ(bar.bar[0], 0.5f);
    EXPECT_FLOAT_EQ(bar.border[2], 1.0f);
}

TEST_F(ShellTest, StartupRecordBytes)
{
    unsigned char bytes[sizeof(SStartupDat)];
    std::memcpy(bytes, &Library().lastStartupRecord, sizeof(bytes));
    ASSERT_EQ(sizeof(bytes), 544u);

    // Every byte the record defines, the rest zero: padding and the tails of both texts.
    unsigned char expected[544] = {};
    expected[0] = 1;
    expected[4] = 2;
    expected[8] = expected[9] = expected[10] = 1;
    std::memcpy(expected + 11, "Zarnovelt", 9);
    std::memcpy(expected + 267, "Quillmarsh party gang", 21);
    expected[523] = 1;
    expected[524] = 1;
    expected[525] = 0;
    expected[532] = 1;
    expected[533] = 1;
    expected[540] = 90;
    for (size_t i = 0; i < sizeof(bytes); ++i)
        EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
}

template <typename Effect>
bool IsA(const CEffect* effect)
{
    return dynamic_cast<const Effect*>(effect) != nullptr;
}

// The table the shell, the benchmark and the tests create the show from: each script name makes
// a new object of its own class (a name paired with another class would still register fifteen
// distinct objects under the right names).
TEST(EffectTable, EachNameMakesANewObjectOfItsClass)
{
    struct Expected
    {
        const char* name;
        bool (*isClass)(const CEffect*);
    };
    const Expected expected[] = {
        {"BALLS", IsA<CBallsEffect>},   {"BACKGROUND", IsA<CBackgroundEffect>}, {"IMAGE", IsA<CImageEffect>},
        {"CLEAR", IsA<CClearEffect>},   {"FLAG", IsA<CFlagEffect>},             {"PARTY", IsA<CPartyEffect>},
        {"BITCH", IsA<CBitchEffect>},   {"CREDITS", IsA<CCreditsEffect>},       {"STARFIELD", IsA<CStarfieldEffect>},
        {"LAND", IsA<CLandEffect>},     {"TUNNEL", IsA<CTunnelEffect>},         {"BORDER", IsA<CBorderEffect>},
        {"KAOS", IsA<CKaosEffect>},     {"SPIRAL", IsA<CSpiralEffect>},         {"SPACE", IsA<CSpaceEffect>},
    };
    ASSERT_EQ(std::size(expected), static_cast<size_t>(kEffectCount));
    for (int i = 0; i < kEffectCount; ++i)
    {
        SCOPED_TRACE(expected[i].name);
        EXPECT_STREQ(kEffectTable[i].name, expected[i].name);
        const std::unique_ptr<CEffect> first(kEffectTable[i].factory());
        const std::unique_ptr<CEffect> second(kEffectTable[i].factory());
        EXPECT_TRUE(expected[i].isClass(first.get()));
        EXPECT_TRUE(expected[i].isClass(second.get()));
        EXPECT_NE(first.get(), second.get());
    }
}

} // namespace
