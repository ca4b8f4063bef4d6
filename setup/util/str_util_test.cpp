#include "exceptions.h"
#include "format.h"
#include "str_util.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace fnwd {
namespace {

TEST(Backslash, AddAndRemove) {
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("C:\\A"), "C:\\A\\");
    EXPECT_EQ(AddBackslash("C:\\A\\"), "C:\\A\\");
    EXPECT_EQ(RemoveBackslash("C:\\A\\"), "C:\\A");
    EXPECT_EQ(RemoveBackslash("C:\\A\\\\"), "C:\\A\\");  // only one is removed
    EXPECT_EQ(RemoveBackslash("C:\\A"), "C:\\A");
    EXPECT_EQ(RemoveBackslash(""), "");
}

TEST(Tokens, PiecesByPosition) {
    struct Case {
        const char* text;
        int n;
        const char* want;
    } cases[] = {
        {"a;b", 1, "a"}, {"a;b", 2, "b"}, {"a;b", 3, ""},  {"", 1, ""},       {"a;;c", 2, ""},
        {"a;;c", 3, "c"}, {";x", 1, ""},  {";x", 2, "x"}, {"a;b;", 3, ""},   {"abc", 0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Token(c.text, c.n), c.want) << c.text << " #" << c.n;
    EXPECT_EQ(Token("k=v=w", 2, '='), "v");
}

TEST(Tokens, CountAndSplit) {
    EXPECT_EQ(TokenCount("a;b;"), 2);
    EXPECT_EQ(TokenCount("a;b"), 2);
    EXPECT_EQ(TokenCount(""), 0);
    EXPECT_EQ(TokenCount(";"), 1);
    EXPECT_EQ(TokenCount("a;;b"), 3);
    EXPECT_EQ(SplitTokens("a;b;"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitTokens("x;;y"), (std::vector<std::string>{"x", "", "y"}));
    EXPECT_TRUE(SplitTokens("").empty());
}

TEST(AfterColon, TakesTextAfterFirstColonOnly) {
    std::string target = "unchanged";
    EXPECT_FALSE(AfterColon("no colon here", target));
    EXPECT_EQ(target, "unchanged");
    EXPECT_TRUE(AfterColon("key:a:b", target));
    EXPECT_EQ(target, "a:b");
    EXPECT_TRUE(AfterColon("key:", target));
    EXPECT_EQ(target, "");
}

TEST(FileNameSafe, DropsAndReplaces) {
    EXPECT_EQ(FileNameSafe("host/dir"), "host-dir");
    EXPECT_EQ(FileNameSafe("a:b|c"), "abc");
    EXPECT_EQ(FileNameSafe("\"*:;<>?\\|"), "");
    EXPECT_EQ(FileNameSafe("www.example.org/files/v1 (x)"), "www.example.org-files-v1 (x)");
}

TEST(PathParts, NamesDirsExtensionsDrives) {
    EXPECT_EQ(ExtractFileName("C:\\DEV\\fnwd32.exe"), "fnwd32.exe");
    EXPECT_EQ(ExtractFileName("C:fnwd32.exe"), "fnwd32.exe");
    EXPECT_EQ(ExtractFileName("a/b/c.txt"), "c.txt");
    EXPECT_EQ(ExtractFileName("plain"), "plain");
    EXPECT_EQ(ExtractFileDir("C:\\DEV\\fnwd32.exe"), "C:\\DEV");
    EXPECT_EQ(ExtractFileDir("C:\\fnwd32.exe"), "C:\\");
    EXPECT_EQ(ExtractFileDir("plain"), "");
    EXPECT_EQ(ExtractFilePath("C:\\DEV\\fnwd32.exe"), "C:\\DEV\\");
    EXPECT_EQ(ExtractFileExt("C:\\DEV\\Fnwd32.hlp"), ".hlp");
    EXPECT_EQ(ExtractFileExt("C:\\D.EV\\noext"), "");
    EXPECT_EQ(ExtractFileDrive("D:\\x"), "D:");
    EXPECT_EQ(ExtractFileDrive("\\\\srv\\share\\x"), "\\\\srv\\share");
    EXPECT_EQ(ExtractFileDrive("\\x"), "");
    EXPECT_EQ(ChangeFileExt("C:\\b\\files.1", ".3"), "C:\\b\\files.3");
    EXPECT_EQ(ChangeFileExt("C:\\b.d\\files", ".1"), "C:\\b.d\\files.1");
    EXPECT_EQ(ChangeFileExt("setup.exe", ""), "setup");
}

TEST(CaseAndTrim, AsciiFolding) {
    EXPECT_TRUE(SameText("FNWD32.cnt", "fnwd32.CNT"));
    EXPECT_FALSE(SameText("a", "ab"));
    EXPECT_EQ(UpperCase("Fnwd32.hlp"), "FNWD32.HLP");
    EXPECT_EQ(Trim("  a b \t"), "a b");
    EXPECT_EQ(Trim("   "), "");
}

TEST(NearestExistingFolder, WalksUpToAnExistingFolder) {
    std::set<std::string> existing = {"C:", "C:\\Program Files"};
    auto exists = [&](const std::string& p) { return existing.count(p) > 0; };
    EXPECT_EQ(NearestExistingFolder("C:\\Program Files\\Brackwater\\Sub", exists), "C:\\Program Files");
    EXPECT_EQ(NearestExistingFolder("C:\\Program Files", exists), "C:\\Program Files");
    EXPECT_EQ(NearestExistingFolder("C:\\Nothing", exists), "C:");
    EXPECT_EQ(NearestExistingFolder("Q:\\none\\at\\all", exists), "");
    EXPECT_EQ(NearestExistingFolder("", exists), "");
}

TEST(ForceDirectories, CreatesParentsFirst) {
    std::set<std::string> existing;
    std::vector<std::string> created;
    auto exists = [&](const std::string& p) { return existing.count(p) > 0; };
    auto create = [&](const std::string& p) {
        created.push_back(p);
        existing.insert(p);
        return true;
    };
    EXPECT_TRUE(ForceDirectoriesWith("C:\\A\\B\\C\\", exists, create));
    EXPECT_EQ(created, (std::vector<std::string>{"C:\\A", "C:\\A\\B", "C:\\A\\B\\C"}));

    created.clear();
    EXPECT_TRUE(ForceDirectoriesWith("C:\\A\\B\\D", exists, create));
    EXPECT_EQ(created, (std::vector<std::string>{"C:\\A\\B\\D"}));

    created.clear();
    EXPECT_TRUE(ForceDirectoriesWith("C:", exists, create));  // a drive counts as existing
    EXPECT_TRUE(created.empty());

    EXPECT_THROW(ForceDirectoriesWith("", exists, create), Exception);
}

TEST(ForceDirectories, StopsAtFirstFailure) {
    std::vector<std::string> attempted;
    auto exists = [](const std::string&) { return false; };
    auto create = [&](const std::string& p) {
        attempted.push_back(p);
        return p != "C:\\A";
    };
    EXPECT_FALSE(ForceDirectoriesWith("C:\\A\\B", exists, create));
    EXPECT_EQ(attempted, (std::vector<std::string>{"C:\\A"}));
    attempted.clear();
    EXPECT_FALSE(ForceDirectoriesWith("\\\\srv\\share\\dir", exists, create));
    EXPECT_TRUE(attempted.empty());  // the share root itself is never "created"
}

TEST(Fmt, FillsPlaceholdersInOrder) {
    EXPECT_EQ(Fmt("Cannot install into registry. Key: %s Ident: %s Value %s", "K", "I", "V"),
              "Cannot install into registry. Key: K Ident: I Value V");
    EXPECT_EQ(Fmt("Index: %d, ComponentType: %d", 3, -1), "Index: 3, ComponentType: -1");
    EXPECT_EQ(Fmt("100%% of %s", std::string("x")), "100% of x");
    EXPECT_EQ(Fmt("missing %s and %d", "one"), "missing one and %d");
    EXPECT_EQ(Fmt("odd %q %"), "odd %q %");
}

TEST(Exceptions, TreeKeepsUserAbortApartFromSilentAbort) {
    try {
        throw EAIUserAbort();
    } catch (const EAbort&) {
        FAIL() << "a user abort must not be taken for a silent abort";
    } catch (const IException& e) {
        EXPECT_STREQ(e.what(), "Installation aborted by the user");
    }
    EXPECT_THROW(throw EIRCannotWriteValue("k"), ETarnwickAbnormal);
    EXPECT_THROW(throw EAPIRoutines("x"), IException);
}

}  // namespace
}  // namespace fnwd
