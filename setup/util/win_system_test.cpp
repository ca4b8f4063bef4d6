// Runs under Wine against real folders and files.
#include "exceptions.h"
#include "shell_folders.h"
#include "str_util.h"
#include "win_environment.h"
#include "win_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace fnwd {
namespace {

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fresh folder in the build tree, removed with everything below it afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        path_ = AddBackslash(GetCurrentDir()) + "scratch_" + std::to_string(GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        remove(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { remove(path_); }
    const std::string& path() const { return path_; }

private:
    static void remove(const std::string& dir) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                std::string full = dir + "\\" + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    remove(full);
                else
                    DeleteFileA(full.c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(dir.c_str());
    }
    std::string path_;
};

TEST(WindowsVersion, WineReportsAnNtSystem) { EXPECT_EQ(GetWindowsVersionClass(), wvWinNT4Later); }

TEST(SystemFolders, ExistAndHaveNoTrailingBackslash) {
    std::string win = GetWindowsDir(), sys = GetSystemDir();
    EXPECT_TRUE(DirectoryExists(win)) << win;
    EXPECT_TRUE(DirectoryExists(sys)) << sys;
    EXPECT_NE(win.back(), '\\');
    EXPECT_TRUE(SameText(ExtractFileDir(sys), win)) << sys;
}

TEST(TempFiles, NamesAreUniqueAndDeletedUnlessKept) {
    std::string a = MakeTempFileName();
    std::string b = MakeTempFileName(true);
    EXPECT_NE(a, b);
    EXPECT_TRUE(SameText(ExtractFileName(a).substr(0, 3), "bat")) << a;
    EXPECT_FALSE(fileExists(a));
    EXPECT_TRUE(fileExists(b));
    DeleteFileA(b.c_str());
}

TEST(ShortPaths, LongNamesGetAnEightDotThreeForm) {
    ScratchFolder scratch;
    std::string longName = scratch.path() + "\\A rather long file name.text";
    HANDLE h = CreateFileA(longName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    std::string shortName = GetShortPath(longName);
    ASSERT_FALSE(shortName.empty());
    EXPECT_TRUE(fileExists(shortName));
    EXPECT_LE(ExtractFileName(shortName).size(), 12u) << shortName;
    EXPECT_EQ(GetShortPath(scratch.path() + "\\missing.file"), "");
}

TEST(Folders, ExistenceNeedsADirectory) {
    ScratchFolder scratch;
    std::string file = scratch.path() + "\\plain.txt";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(DirectoryExists(scratch.path()));
    EXPECT_TRUE(DirectoryExists(scratch.path() + "\\"));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DirectoryExists(scratch.path() + "\\nothing"));
    EXPECT_FALSE(DirectoryExists(""));
}

TEST(Folders, ForceDirectoriesCreatesTheWholeChain) {
    ScratchFolder scratch;
    std::string deep = scratch.path() + "\\A\\B\\C\\";
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(scratch.path() + "\\A"));
    EXPECT_TRUE(DirectoryExists(scratch.path() + "\\A\\B\\C"));
    EXPECT_TRUE(ForceDirectories(deep));  // existing is fine
    // A file in the way cannot become a folder.
    std::string file = scratch.path() + "\\F";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_FALSE(ForceDirectories(file + "\\G"));
    EXPECT_THROW(ForceDirectories(""), Exception);
}

TEST(Folders, NearestExistingFolderOnRealFolders) {
    ScratchFolder scratch;
    EXPECT_EQ(NearestExistingFolder(scratch.path() + "\\x\\y\\z", DirectoryExists), scratch.path());
}

TEST(Environment, SpecialFoldersOfTheRealMachine) {
    Win32Environment env;
    // Wine keeps the program-files folder in the registry and creates the shell folders.
    std::string pf = ProgramFilesFolder(env);
    EXPECT_TRUE(DirectoryExists(pf)) << pf;
    EXPECT_NE(pf.back(), '\\');
    for (const std::string& folder : {DesktopFolder(env), ProgramsMenuFolder(env), StartMenuFolder(env)}) {
        EXPECT_FALSE(folder.empty());
        EXPECT_NE(folder.back(), '\\') << folder;
    }
    EXPECT_TRUE(SameText(SystemFolder(env), GetSystemDir()));
    EXPECT_TRUE(SameText(WindowsFolder(env), GetWindowsDir()));
}

}  // namespace
}  // namespace fnwd
