// What the packages carry about the program agrees with the program: the manual page names the
// options --help names and no others, and the changelog's newest entry and the manual page are
// for the version the program says it is.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "TestFiles.h"

namespace {

std::string SourceFile(const std::string& relative)
{
    const std::vector<uint8_t> bytes = ReadTestFile(SourceDir() + "/" + relative);
    return std::string(bytes.begin(), bytes.end());
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern)
{
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1].str());
    return found;
}

TEST(Packaging, ManPageNamesTheOptionsHelpNames)
{
    std::string help;
    ASSERT_EQ(RunCommand("'" + DemoBinary() + "' --help", &help), 0) << help;
    const std::string manPage = SourceFile("packaging/zarnovelt.6");
    ASSERT_FALSE(manPage.empty());

    // Options as --help lists them ("  --size WxH ..."), and as the manual page's option
    // headings (".BI \-\-size ...", ".B \-\-no\-music", ".BR \-\-help ...").
    const std::set<std::string> helpOptions = Matches(help, std::regex("\n  (--[a-z-]+)"));
    const std::string unescaped = std::regex_replace(manPage, std::regex(R"(\\-)"), "-");
    const std::set<std::string> manOptions = Matches(unescaped, std::regex(R"(\n\.TP\n\.B[IR]? (--[a-z-]+))"));
    EXPECT_GE(helpOptions.size(), 15u);
    EXPECT_EQ(manOptions, helpOptions);
}

TEST(Packaging, ChangelogAndManPageCarryTheProgramsVersion)
{
    std::string output;
    ASSERT_EQ(RunCommand("'" + DemoBinary() + "' --version", &output), 0) << output;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(output, match, std::regex("\nzarnovelt ([0-9.]+)\n"))) << output;
    const std::string version = match[1];

    const std::string changelog = SourceFile("CHANGELOG");
    EXPECT_EQ(changelog.rfind("zarnovelt (" + version + ") ", 0), 0u) << changelog.substr(0, 80);
    const std::string manPage = SourceFile("packaging/zarnovelt.6");
    EXPECT_TRUE(std::regex_search(manPage, std::regex("\n\\.TH ZARNOVELT 6 \"[^\"]*\" \"zarnovelt " +
                                                      std::regex_replace(version, std::regex("\\."), "\\.") + "\"")))
        << "the manual page is not for version " << version;
}

} // namespace
