#include "command_line.h"

#include <gtest/gtest.h>

namespace fnwd {
namespace {

TEST(CommandLine, SwitchesTakeTheirValuesAndAnyCase) {
    const TCommandLine cmd = ParseCommandLine({"-esetup.exe", "-SC:\\My Build", "-C", "-r"});
    EXPECT_TRUE(cmd.SelfExtract);
    EXPECT_EQ(cmd.SelfExtractName, "setup.exe");
    EXPECT_TRUE(cmd.HasSource);
    EXPECT_EQ(cmd.SourceValue, "C:\\My Build");
    EXPECT_TRUE(cmd.Cleanup);
    EXPECT_TRUE(cmd.AfterReboot);
    EXPECT_FALSE(cmd.Build);
    EXPECT_FALSE(cmd.Floppy);
    EXPECT_FALSE(cmd.Debug);

    const TCommandLine b = ParseCommandLine({"-bignored", "-Fx"});
    EXPECT_TRUE(b.Build);
    EXPECT_TRUE(b.Floppy);
}

TEST(CommandLine, InvalidArgumentsNameThemselves) {
    for (const std::string bad : {"-x", "b", "-", "", "/b", "x-b"}) {
        try {
            ParseCommandLine({"-b", bad});
            ADD_FAILURE() << bad;
        } catch (const EInstallError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Invalid parameter <" + bad +
                          ">. Valid command line parameters are: -b (Build), -d (Debug), -f (Transfer to floppies), "
                          "-e (Called by self-extractor), -r (After reboot)");
        }
    }
}

TEST(CommandLine, DebugNeedsANonBlankSource) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"-d"}, {"-d", "-s"}, {"-d", "-s   "}}) {
        try {
            ParseCommandLine(args);
            ADD_FAILURE();
        } catch (const EInstallError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "You forgot to pass in the build directory. In Run | Parameters, follow this format: "
                      "-d \"-sC:\\My Build\"");
        }
    }
    EXPECT_TRUE(ParseCommandLine({"-d", "-sC:\\b"}).Debug);
}

TEST(CommandLine, SourceFolder) {
    EXPECT_EQ(SourceFolderOf(ParseCommandLine({}), "C:\\Temp\\x\\fnwdsetup.exe"), "C:\\Temp\\x");
    EXPECT_EQ(SourceFolderOf(ParseCommandLine({"-sD:\\dist\\"}), "C:\\Temp\\x\\fnwdsetup.exe"), "D:\\dist");
    EXPECT_EQ(SourceFolderOf(ParseCommandLine({"-s"}), "C:\\Temp\\fnwdsetup.exe"), "C:\\Temp");
}

TEST(CommandLine, Quoting) {
    EXPECT_EQ(QuoteArgument("-sC:\\build"), "-sC:\\build");
    EXPECT_EQ(QuoteArgument("-sC:\\My Build"), "\"-sC:\\My Build\"");
    EXPECT_EQ(QuoteArgument("-sC:\\My Build\\"), "\"-sC:\\My Build\\\\\"");
    EXPECT_EQ(QuoteArgument(""), "\"\"");
}

}  // namespace
}  // namespace fnwd
