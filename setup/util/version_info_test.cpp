#include "version_info.h"

#include <gtest/gtest.h>

namespace fnwd {
namespace {

TEST(Languages, IdsFollowDeclarationOrder) {
    EXPECT_EQ(LanguageId(lnArabic), 1025);
    EXPECT_EQ(LanguageId(lnUSEnglish), 1033);
    EXPECT_EQ(LanguageId(lnGerman), 1031);
    EXPECT_EQ(LanguageId(lnBahasa), 1057);
    EXPECT_EQ(LanguageId(lnSimplifiedChinese), 2052);
    EXPECT_EQ(LanguageId(lnUKEnglish), 2057);
    EXPECT_EQ(LanguageId(lnSerboCroatian), 2074);
    EXPECT_EQ(LanguageId(lnCanadianFrench), 3084);
    EXPECT_EQ(LanguageId(lnSwissFrench), 4108);
}

TEST(CharacterSets, CodePages) {
    EXPECT_EQ(CodePage(csASCII), 0);
    EXPECT_EQ(CodePage(csJapan), 932);
    EXPECT_EQ(CodePage(csUnicode), 1200);
    EXPECT_EQ(CodePage(csMultilingual), 1252);
    EXPECT_EQ(CodePage(csArabic), 1256);
}

TEST(StringTable, DefaultTableName) {
    EXPECT_EQ(StringTablePath(LanguageId(lnUSEnglish), CodePage(csMultilingual)), "\\StringFileInfo\\040904E4\\");
    EXPECT_EQ(StringTablePath(0x407, 1200), "\\StringFileInfo\\040704B0\\");
}

TEST(FixedBlock, VersionNumbers) {
    EXPECT_EQ(VersionNumberText(0x0001005A, 0x00030011), "1.90.3.17");
    EXPECT_EQ(VersionNumberText(0xFFFF0000, 0x0000FFFF), "65535.0.0.65535");
}

TEST(FixedBlock, CodeTexts) {
    EXPECT_EQ(FileOSText(0x4), "32 bit Windows");
    EXPECT_EQ(FileOSText(0x40004), "Windows NT with 32 bit Windows");
    EXPECT_EQ(FileOSText(0x10001), "Windows 3.0 or later with MS-Dos");
    EXPECT_EQ(FileOSText(0x30003), "32 bit OS/2 with Presentation Manager");
    EXPECT_EQ(FileOSText(0), "Unknown");
    EXPECT_EQ(FileTypeText(2), "Dynamic-Link Library");
    EXPECT_EQ(FileTypeText(7), "Static-Link Library");
    EXPECT_EQ(FileTypeText(6), "Unknown");
    EXPECT_EQ(FileSubTypeText(3, 10), "Communications");
    EXPECT_EQ(FileSubTypeText(3, 11), "Unknown");
    EXPECT_EQ(FileSubTypeText(4, 2), "Vector");
    EXPECT_EQ(FileSubTypeText(4, 0), "Unknown");
    EXPECT_EQ(FileSubTypeText(1, 3), "");
}

}  // namespace
}  // namespace fnwd
