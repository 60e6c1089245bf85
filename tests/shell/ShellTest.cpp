// The shell's hand-over to the library, observed through a library that records every call
// (RecordingLibrary.h): the fifteen effects created, the twelve start-up variables with their
// overloads, the start-up record's exact bytes, the registrations, the loading bar, the run, the
// tear-down and the deletions, in this order and no other; and the same shutdown when the run
// fails. The expected calls are written out from the shell's tables, not from its code.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "DemoGL.h"
#include "EffectTable.h"
#include "Effects.h"
#include "RecordingLibrary.h"

namespace {

const char* const kNames[15] = {"BALLS",     "BACKGROUND", "IMAGE",  "CLEAR", "FLAG",  "PARTY",  "BITCH", "CREDITS",
                                "STARFIELD", "LAND",       "TUNNEL", "BORDER", "KAOS", "SPIRAL", "SPACE"};

// Every call WinMain makes, in order, for a run that returns `appRunResult`.
std::vector<std::string> ExpectedCalls(const std::string& instance)
{
    std::vector<std::string> calls;
    for (int i = 0; i < 15; ++i)
        calls.push_back("Create(effect " + std::to_string(i) + ")");
    const char* const variables[12] = {"1, bool true",  "2, int 1",     "3, int 0",      "4, text \"revizi.xxx\"",
                                       "5, text \"demoflow.txt\"",      "6, bool false", "7, bool true",
                                       "8, bool true",  "9, bool false", "10, bool true", "11, bool false",
                                       "12, bool false"};
    for (const char* variable : variables)
        calls.push_back(std::string("SetVariable(") + variable + ")");
    for (int i = 0; i < 15; ++i)
        calls.push_back(std::string("Register(") + kNames[i] + ", effect " + std::to_string(i) + ")");
    calls.push_back("LoadingPBEnable(1, 1, 0.02, 0, 0)");
    // GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR; opacity 1; bar grey 0.5; border white.
    calls.push_back("LoadingPBSetAppearance(true, false, 0x300, 0x301, 1, 0.5, 0.5, 0.5, 1, 1, 1)");
    calls.push_back("AppRun(instance " + instance + ", record, \"zarnovelt\", false, 0, 0, 1)");
    calls.push_back("AppEnd()");
    for (int i = 0; i < 15; ++i)
        calls.push_back("Delete(effect " + std::to_string(i) + ")");
    return calls;
}

std::string Pointer(void* pointer)
{
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

TEST(Shell, HandsTheLibraryExactlyTheStartupSequence)
{
    int instanceObject = 0;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(&instanceObject);
    for (int result : {kAppRunOk, kAppRunFailed})
    {
        RecordingLibrary::Reset(result);
        char commandLine[] = "--ignored --headless";
        // Whatever the run returns, the shutdown is the same and the exit code is 0.
        EXPECT_EQ(WinMain(instance, nullptr, commandLine, 0), 0) << "AppRun returned " << result;
        EXPECT_EQ(RecordingLibrary::Calls(), ExpectedCalls(Pointer(instance))) << "AppRun returned " << result;
    }
}

TEST(Shell, StartupRecordBytesStayInPlaceUntilAppEnd)
{
    RecordingLibrary::Reset();
    char commandLine[] = "";
    ASSERT_EQ(WinMain(nullptr, nullptr, commandLine, 0), 0);
    const std::vector<unsigned char>& bytes = RecordingLibrary::RecordAtAppRun();
    ASSERT_EQ(bytes.size(), 544u);

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
    for (size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
    // The same record, unchanged, when the library is torn down.
    EXPECT_EQ(RecordingLibrary::RecordAtAppEnd(), bytes);
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
