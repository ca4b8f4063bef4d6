// Reads the version resources of the fixture programs built beside this test.
#include "version_resource.h"

#include <gtest/gtest.h>

namespace fnwd {
namespace {

TEST(VersionResource, ReadsFixedBlockAndDefaultStringTable) {
    TVersionInfo v = ReadVersionInfo("vfix_full.exe");
    EXPECT_EQ(v.FileVersion, "1.90.3.17");
    EXPECT_EQ(v.ProductVersion, "2.0 beta");  // the string table's text replaces the number
    EXPECT_EQ(v.FileOS, "Windows NT with 32 bit Windows");
    EXPECT_EQ(v.FileType, "Application");
    EXPECT_EQ(v.FileSubType, "");
    EXPECT_EQ(v.Comment, "A comment");
    EXPECT_EQ(v.CompanyName, "Brackwater Software");
    EXPECT_EQ(v.FileDescription, "Fenwold fixture");
    EXPECT_EQ(v.InternalName, "fnwd32");
    EXPECT_EQ(v.LegalCopyright, "Copyright Brackwater");
    EXPECT_EQ(v.LegalTradeMarks, "Fenwold is a mark");
    EXPECT_EQ(v.OriginalFileName, "fnwd32.exe");
    EXPECT_EQ(v.PrivateBuild, "private");
    EXPECT_EQ(v.ProductName, "Fenwold");
    EXPECT_EQ(v.SpecialBuild, "special");
    EXPECT_EQ(ReadFileVersion("vfix_full.exe"), "1.90.3.17");
}

TEST(VersionResource, LanguageAndCharacterSetChooseTheTable) {
    TVersionResource r("vfix_full.exe");
    EXPECT_EQ(r.VersionInfo().CompanyName, "Brackwater Software");
    r.SetLanguage(lnGerman);  // 040704E4
    EXPECT_EQ(r.VersionInfo().CompanyName, "Brackwater GmbH");
    EXPECT_EQ(r.VersionInfo().ProductVersion, "2.0.0.1");  // no text there: the number stays
    EXPECT_EQ(r.VersionInfo().FileVersion, "1.90.3.17");
    r.SetCharacterSet(csUnicode);  // 040704B0 does not exist in this file
    EXPECT_EQ(r.VersionInfo().CompanyName, "");

    TVersionResource font("vfix_font.exe");
    EXPECT_EQ(font.VersionInfo().CompanyName, "");
    font.SetLanguage(lnSwedish);
    EXPECT_EQ(font.VersionInfo().CompanyName, "Svensk typ");
    EXPECT_EQ(font.VersionInfo().ProductVersion, "1.0 sv");
}

TEST(VersionResource, SubtypesAndUnknownCodes) {
    TVersionInfo driver = ReadVersionInfo("vfix_driver.exe");
    EXPECT_EQ(driver.FileVersion, "0.0.65535.2");
    EXPECT_EQ(driver.ProductVersion, "3.10.0.0");
    EXPECT_EQ(driver.FileOS, "Unknown");
    EXPECT_EQ(driver.FileType, "Device Driver");
    EXPECT_EQ(driver.FileSubType, "Sound");
    TVersionInfo font = ReadVersionInfo("vfix_font.exe");
    EXPECT_EQ(font.FileType, "Font");
    EXPECT_EQ(font.FileSubType, "TrueType");
    EXPECT_EQ(font.FileOS, "Windows 3.0 or later with MS-Dos");
}

TEST(VersionResource, FileWithoutResourceOrMissingFileGivesEmptyFields) {
    for (const char* path : {"vfix_none.exe", "no_such_file.exe"}) {
        TVersionResource r(path);
        const TVersionInfo& v = r.VersionInfo();
        EXPECT_EQ(v.FileVersion, "") << path;
        EXPECT_EQ(v.ProductVersion, "") << path;
        EXPECT_EQ(v.FileOS, "") << path;
        EXPECT_EQ(v.CompanyName, "") << path;
        EXPECT_EQ(ReadFileVersion(path), "") << path;
    }
    // Reading another file clears what the previous one left.
    TVersionResource r("vfix_full.exe");
    r.SetFileName("vfix_none.exe");
    EXPECT_EQ(r.VersionInfo().CompanyName, "");
}

TEST(VersionResource, DefaultIsTheRunningProgram) {
    TVersionResource r;
    EXPECT_EQ(r.FileName(), RunningProgramPath());
    EXPECT_FALSE(r.FileName().empty());
    TVersionResource& shared = SharedVersionResource();
    EXPECT_EQ(&shared, &SharedVersionResource());
    shared.SetFileName("vfix_full.exe");
    EXPECT_EQ(SharedVersionResource().VersionInfo().FileVersion, "1.90.3.17");
}

TEST(SelfRegistration, NeedsTheEntryUnderTheFirstTranslation) {
    EXPECT_TRUE(IsSelfRegistering("vfix_selfreg.exe"));
    EXPECT_FALSE(IsSelfRegistering("vfix_wrongtable.exe"));  // entry only in another table
    EXPECT_FALSE(IsSelfRegistering("vfix_driver.exe"));      // no translation table
    EXPECT_FALSE(IsSelfRegistering("vfix_full.exe"));
    EXPECT_FALSE(IsSelfRegistering("vfix_none.exe"));
    EXPECT_FALSE(IsSelfRegistering("no_such_file.exe"));
}

}  // namespace
}  // namespace fnwd
