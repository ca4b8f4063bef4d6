#include "command_line.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

using Names = std::vector<std::string>;

TEST(CommandLine, SplitsOnBlanksCommasAndSemicolonsAndKeepsQuotedNamesWhole)
{
    const struct {
        const char* text;
        Names names;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"a", {"a"}},
        {"a b,c;d\te", {"a", "b", "c", "d", "e"}},
        {"a,,;  b", {"a", "b"}},
        {"\"two words.gr\" \"x y\"", {"two words.gr", "x y"}},
        {"\"two words.gr\"next", {"two words.gr", "next"}},
        {"\"unclosed name", {"unclosed name"}},
        {"\"\" a", {"a"}},
        {"/i:c:\\setup.ini doc", {"/i:c:\\setup.ini", "doc"}},
        {"\"/i:c:\\my setup.ini\" doc", {"/i:c:\\my setup.ini", "doc"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitCommandLine(c.text), c.names) << c.text;
}

TEST(CommandLine, DocumentNamesGetTheExtensionAndSkipTheSetupFile)
{
    EXPECT_EQ(documentNames("line \"two words\" plot.GR /i:setup.ini a.b.c"),
              (Names{"line.gr", "two words.gr", "plot.GR", "a.b.c"}));
    EXPECT_EQ(documentNames("/i:x.ini \"/i:y z.ini\""), Names{});
    // Only a name that starts with "/i:" is the setup file.
    EXPECT_EQ(documentNames("doc/i:x"), Names{"doc/i:x.gr"});
    EXPECT_EQ(documentNames("/I:x.ini"), Names{"/I:x.ini"});
}

TEST(CommandLine, TrimmedRemovesBlanksAtBothEnds)
{
    EXPECT_EQ(trimmed("  a b \t"), "a b");
    EXPECT_EQ(trimmed(" \t "), "");
    EXPECT_EQ(trimmed("x"), "x");
}

}  // namespace
}  // namespace shell
