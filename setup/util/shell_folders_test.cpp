#include "shell_folders.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace fnwd {
namespace {

// A machine whose registry holds exactly the values a test puts there.
class FakeEnvironment : public SystemEnvironment {
public:
    std::map<std::tuple<int, std::string, std::string>, std::string> values;
    std::string current = "D:\\work";

    std::string ReadRegString(int root, const std::string& key, const std::string& name,
                              const std::string& def) override {
        auto it = values.find({root, key, name});
        return it == values.end() ? def : it->second;
    }
    std::string WindowsDir() override { return "C:\\WINDOWS"; }
    std::string SystemDir() override { return "C:\\WINDOWS\\system32"; }
    std::string CurrentDir() override { return current; }
    bool FolderExists(const std::string&) override { return false; }
    bool IsSelfRegistering(const std::string&) override { return false; }
};

TEST(SpecialFolders, FallbacksWhenRegistryIsEmpty) {
    FakeEnvironment env;
    EXPECT_EQ(ProgramFilesFolder(env), "D:\\Program Files");
    EXPECT_EQ(CommonFilesFolder(env), "D:\\Program Files\\Common Files");
    EXPECT_EQ(DesktopFolder(env), "C:\\WINDOWS\\Desktop");
    EXPECT_EQ(StartMenuFolder(env), "C:\\WINDOWS\\Startmen");
    EXPECT_EQ(ProgramsMenuFolder(env), "C:\\WINDOWS\\Startmen\\Programs");
    EXPECT_EQ(StartupFolder(env), "C:\\WINDOWS\\Startup");
    EXPECT_EQ(BdeDllFolder(env), "D:\\Program Files\\Borland\\Common Files\\BDE");
    EXPECT_EQ(WindowsFolder(env), "C:\\WINDOWS");
    EXPECT_EQ(SystemFolder(env), "C:\\WINDOWS\\system32");
}

TEST(SpecialFolders, RegistryValuesWinAndLoseTrailingBackslash) {
    FakeEnvironment env;
    env.values[{rrLocalMachine, kCurrentVersionKey, "ProgramFilesDir"}] = "E:\\Apps\\";
    env.values[{rrLocalMachine, kCurrentVersionKey, "CommonFilesDir"}] = "E:\\Apps\\Common";
    env.values[{rrCurrentUser, kShellFoldersKey, "Start Menu"}] = "C:\\Users\\u\\Start Menu";
    env.values[{rrCurrentUser, kShellFoldersKey, "Desktop"}] = "C:\\Users\\u\\Desktop";
    env.values[{rrCurrentUser, kShellFoldersKey, "Startup"}] = "C:\\S";
    env.values[{rrLocalMachine, kBdeKey, "DLLPath"}] = "F:\\BDE;F:\\Other";
    EXPECT_EQ(ProgramFilesFolder(env), "E:\\Apps");
    EXPECT_EQ(CommonFilesFolder(env), "E:\\Apps\\Common");
    EXPECT_EQ(StartMenuFolder(env), "C:\\Users\\u\\Start Menu");
    // Without its own value the Programs folder follows the Start menu.
    EXPECT_EQ(ProgramsMenuFolder(env), "C:\\Users\\u\\Start Menu\\Programs");
    EXPECT_EQ(DesktopFolder(env), "C:\\Users\\u\\Desktop");
    EXPECT_EQ(StartupFolder(env), "C:\\S");
    EXPECT_EQ(BdeDllFolder(env), "F:\\BDE");
}

TEST(SpecialFolders, EmptyBdePathFallsBackToProgramFiles) {
    FakeEnvironment env;
    env.values[{rrLocalMachine, kBdeKey, "DLLPath"}] = "";
    env.values[{rrLocalMachine, kCurrentVersionKey, "ProgramFilesDir"}] = "C:\\PF";
    EXPECT_EQ(BdeDllFolder(env), "C:\\PF\\Borland\\Common Files\\BDE");
}

}  // namespace
}  // namespace fnwd
