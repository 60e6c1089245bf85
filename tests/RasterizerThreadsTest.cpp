// The software rasterizer's thread count: a user's LP_NUM_THREADS always wins; otherwise one
// thread more than the cores, never fewer than two (none or one thread made frames far slower)
// and never more than sixteen.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "platform/RasterizerThreads.h"

namespace {

TEST(RasterizerThreads, ChoiceFromCoresUnlessTheUserSetOne)
{
    EXPECT_EQ(RasterizerThreadsFor(nullptr, 0), "2");    // cores unknown
    EXPECT_EQ(RasterizerThreadsFor(nullptr, 1), "2");
    EXPECT_EQ(RasterizerThreadsFor(nullptr, 2), "3");
    EXPECT_EQ(RasterizerThreadsFor(nullptr, 8), "9");
    EXPECT_EQ(RasterizerThreadsFor(nullptr, 64), "16");
    EXPECT_EQ(RasterizerThreadsFor("", 2), "3");         // set but empty counts as not set
    EXPECT_EQ(RasterizerThreadsFor("1", 8), "1");
    EXPECT_EQ(RasterizerThreadsFor("0", 2), "0");
}

TEST(RasterizerThreads, EnvironmentKeepsTheUsersValue)
{
    setenv("LP_NUM_THREADS", "5", 1);
    ChooseRasterizerThreads();
    EXPECT_STREQ(getenv("LP_NUM_THREADS"), "5");

    for (const bool empty : {false, true})
    {
        if (empty)
            setenv("LP_NUM_THREADS", "", 1);
        else
            unsetenv("LP_NUM_THREADS");
        ChooseRasterizerThreads();
        const char* chosen = getenv("LP_NUM_THREADS");
        ASSERT_NE(chosen, nullptr);
        const int threads = std::stoi(chosen);
        EXPECT_GE(threads, 2);
        EXPECT_LE(threads, 16);
    }
    unsetenv("LP_NUM_THREADS");
}

} // namespace
