// The overwrite decision: version comparison and the policy table.
#include "archive_test_util.h"
#include "trnw_compress.h"

#include <gtest/gtest.h>

#include <map>

namespace fnwd {
namespace {

using testing::Bytes;
using testing::HandEntry;
using testing::ScratchDir;

TEST(Overwrite, VersionsCompareTokenByToken) {
    struct Case { const char* archived; const char* existing; int expected; };
    const Case cases[] = {
        {"1.90", "1.9", 1},
        {"1.0.1", "1.0", 1},
        {"1.0", "1.0.1", -1},
        {"2.0.0.1", "2.0.0.10", -1},
        {"2.0.0.10", "2.0.0.1", 1},
        {"", "", 0},
        {"", "1.0", -1},
        {"1.0", "", 1},
        {"1.2.3.4", "1.2.3.4", 0},
        {"01.2", "1.2", 0},                  // numeric tokens compare by value
        {"1.b", "1.a", 1},                   // otherwise by character codes
        {"1.10a", "1.9a", -1},               // "1" < "9"
        {"1..5", "1..3", 0},                 // an empty token on both sides ends the comparison
        {"99999999999999999999.1", "99999999999999999998.9", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareVersions(c.archived, c.existing), c.expected) << c.archived << " vs " << c.existing;
}

// One archived entry against one installed file, for every policy.
TEST(Overwrite, PolicyTableDecidesWhetherTheInstalledFileIsReplaced) {
    constexpr double kOlder = 44000.0, kNewer = 46000.0;  // 2020-06-19 and 2025-12-09
    struct Case {
        TOverwriteType policy;
        const char* archived_version;
        const char* installed_version;
        double archived_date;  // the installed file is dated 2023-03-15 (45000)
        bool replaced;
    };
    const Case cases[] = {
        {owAlways, "1.0", "2.0", kOlder, true},
        {owNever, "2.0", "1.0", kNewer, false},
        {owVersion, "2.0.0.1", "2.0.0.10", kNewer, false},
        {owVersion, "2.0.0.10", "2.0.0.1", kOlder, true},
        {owVersion, "1.0", "1.0", kNewer, false},   // same stays
        {owVersion, "", "", kNewer, false},         // files without version compare equal
        {owVersion, "1.0", "", kOlder, true},
        {owDate, "", "", kNewer, true},
        {owDate, "", "", kOlder, false},
        {owDate, "9.0", "1.0", 45000.0, false},     // same date stays
        {owVersionDate, "2.0", "1.0", kOlder, true},
        {owVersionDate, "1.0", "2.0", kNewer, false},
        {owVersionDate, "1.0", "1.0", kNewer, true},  // equal versions: the date decides
        {owVersionDate, "1.0", "1.0", kOlder, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.policy) + " " + k.archived_version + " vs " + k.installed_version + " @" +
                     std::to_string(k.archived_date));
        ScratchDir dir;
        std::vector<HandEntry> e(1);
        e[0] = {"C:\\B\\PROG.EXE", testing::TextData(5000, 5), k.archived_date, k.archived_version, 0, {}};
        testing::WriteBytes(dir / "files.1", testing::BuildSingleVolume(e).bytes);
        testing::CreateFolderForTest(dir / "out");
        testing::WriteText(dir / "out/PROG.EXE", "installed");
        testing::SetLocalModTime(dir / "out/PROG.EXE", 2023, 3, 15, 12, 0, 0);

        TTrnwCompress c;
        c.VersionOf = [&](const std::string& p) {
            return fio::FileNamePart(p) == "PROG.EXE" ? std::string(k.installed_version) : std::string("?");
        };
        int replace_events = 0, statuses_done = 0;
        c.OnReplace = [&](TTrnwCompress&, const TlzhFileStats&) { ++replace_events; };
        c.OnStatus = [&](TTrnwCompress&, const TlzhFileStats& s) { statuses_done += s.FileDone; };
        c.SetOverwrite(k.policy);
        c.SetCompressedFile(dir / "files.1");
        c.SetExtractDirectory(dir / "out");
        c.AddFileToProcess(e[0].name);
        c.Extract();
        EXPECT_EQ(replace_events, k.replaced ? 1 : 0);
        EXPECT_EQ(statuses_done, 1);  // a skipped entry also ends with FileDone
        EXPECT_EQ(testing::ReadBytes(dir / "out/PROG.EXE") == e[0].data, k.replaced);
    }
}

TEST(Overwrite, ADateThatCannotBeReadIsAnError) {
    ScratchDir dir;
    std::vector<HandEntry> e(1);
    e[0] = {"C:\\B\\PROG.EXE", testing::TextData(5000, 5), 45000.0, "", 0, {}};
    testing::WriteBytes(dir / "files.1", testing::BuildSingleVolume(e).bytes);
    testing::CreateFolderForTest(dir / "out/PROG.EXE");  // a folder cannot be opened as a file
    TTrnwCompress c;
    c.SetOverwrite(owDate);
    c.SetCompressedFile(dir / "files.1");
    c.SetExtractDirectory(dir / "out");
    c.AddFileToProcess(e[0].name);
    try {
        c.Extract();
        FAIL();
    } catch (const ETrnwCompress& ex) {
        EXPECT_STREQ(ex.what(), "Error comparing file versions in TTrnwCompress");
    }
    c.SetOverwrite(owAlways);  // replacing a folder is refused, and the folder stays
    c.AddFileToProcess(e[0].name);
    EXPECT_THROW(c.Extract(), ETrnwCompress);
    EXPECT_TRUE(fio::FolderExists(dir / "out/PROG.EXE"));
}

TEST(Overwrite, CopyFileComparesTheSourceFileItself) {
    ScratchDir dir;
    testing::WriteText(dir / "new.dll", "new");
    testing::WriteText(dir / "old.dll", "old");
    testing::SetLocalModTime(dir / "new.dll", 2024, 1, 1, 0, 0, 0);
    testing::SetLocalModTime(dir / "old.dll", 2020, 1, 1, 0, 0, 0);
    std::map<std::string, std::string> versions = {{dir / "new.dll", "3.1"}, {dir / "old.dll", "3.1"}};
    TTrnwCompress c;
    c.VersionOf = [&](const std::string& p) { return versions[p]; };
    c.SetOverwrite(owVersionDate);
    c.CopyFile(dir / "old.dll", dir / "new.dll");  // equal versions, source older: kept
    EXPECT_EQ(testing::ReadBytes(dir / "new.dll"), (Bytes{'n', 'e', 'w'}));
    c.CopyFile(dir / "new.dll", dir / "old.dll");  // source newer: replaced
    EXPECT_EQ(testing::ReadBytes(dir / "old.dll"), (Bytes{'n', 'e', 'w'}));
    versions[dir / "old.dll"] = "3.2";
    testing::WriteText(dir / "newest.dll", "newest");
    versions[dir / "newest.dll"] = "3.10";
    c.SetOverwrite(owVersion);
    c.CopyFile(dir / "newest.dll", dir / "old.dll");
    EXPECT_EQ(testing::ReadBytes(dir / "old.dll"), (Bytes{'n', 'e', 'w', 'e', 's', 't'}));
}

}  // namespace
}  // namespace fnwd
