// The resources that fnwdsetup.exe carries, read the way the program reads them.
#include "install_objects.h"
#include "shipped_configuration.h"
#include "setup/util/win_environment.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace fnwd {
namespace {

TEST(BuiltInFiles, DescriptionAndTextsAreThere) {
    std::string text;
    ASSERT_TRUE(ReadBuiltInFile("fenwold.cfg", text));
    EXPECT_NE(text.find("object Install1: TInstall"), std::string::npos);
    ASSERT_TRUE(ReadBuiltInFile("LICENSE.TXT", text));  // names compare as Windows compares them
    EXPECT_EQ(text.rfind("BRACKWATER SOFTWARE LICENCE AGREEMENT", 0), 0u);
    EXPECT_FALSE(ReadBuiltInFile("other.txt", text));
}

TEST(BuiltInFiles, ConfigurationLoadsOnTheRealMachine) {
    Win32Environment env;
    auto form = LoadShippedConfiguration(env);
    ASSERT_NE(form->Install(), nullptr);
    form->Install()->SourceFolder = "C:\\setup";
    // The product folder lies under the machine's program-files folder.
    std::string dest = form->Install()->GetExpandedDestDir();
    EXPECT_EQ(dest.substr(dest.size() - 11), "\\Brackwater") << dest;
    EXPECT_EQ(form->Install()->GetExpandedArchiveFile(), "C:\\setup\\files.1");
}

TEST(BuiltInFiles, ThemePicturesAre117By290With16Bits) {
    for (const char* name : {"INSTALLTHEME1", "FNWDTHEME"}) {
        HBITMAP bmp = static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bmp, nullptr) << name;
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectA(bmp, sizeof dib, &dib), static_cast<int>(sizeof dib)) << name;
        EXPECT_EQ(dib.dsBm.bmWidth, 117) << name;
        EXPECT_EQ(dib.dsBm.bmHeight, 290) << name;
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 16) << name;
        DeleteObject(bmp);
    }
}

}  // namespace
}  // namespace fnwd
