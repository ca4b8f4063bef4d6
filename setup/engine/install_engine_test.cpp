// The install engine against the real (Wine) registry and file system, with a small configuration
// whose product folder and archive lie in a scratch folder.
#include "install_engine.h"

#include "config_loader.h"
#include "setup/util/registry.h"
#include "setup/util/str_util.h"
#include "setup/util/version_resource.h"
#include "setup/util/win_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace fnwd {
namespace {

constexpr const char* kProduct = "FnwdEngineTestProduct";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteAll(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(folder + "\\" + name);
            else DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

struct RecordingPages : TInstallPages {
    std::vector<int> codes;               // broadcasts to the TInstall
    int last_group_percent = -1;          // of the TInstall's file progress
    int cancel_on = 0;                    // the user cancels the page of this code
    std::string disk_folder;              // the disk-change page points here
    std::vector<int> disks;
    void Broadcast(TInstallContainer& sender, int code, void* param) override {
        if (!dynamic_cast<TInstall*>(&sender)) return;
        codes.push_back(code);
        if (code == cancel_on) throw EAIUserAbort();
        if (code == bcChangeDisk && param && !disk_folder.empty()) {
            auto* disk = static_cast<TDiskParam*>(param);
            disks.push_back(disk->DiskNumber);
            disk->Folder = disk_folder;
            disk->File->Tag = 1;
        }
        if (code == bcFileProgress && param)
            last_group_percent = static_cast<TFileStatusParam*>(param)->GroupPercentDone;
    }
};

class InstallEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH + 1];
        GetTempPathA(sizeof temp, temp);
        dir_ = RemoveBackslash(temp) + "\\fnwd_engine_test_" + std::to_string(GetCurrentProcessId());
        RemoveTree(dir_);
        CreateDirectoryA(dir_.c_str(), nullptr);
        CreateDirectoryA((dir_ + "\\src").c_str(), nullptr);
        WriteAll(dir_ + "\\src\\a.txt", "archived a\r\n");
        WriteAll(dir_ + "\\src\\b.txt", std::string(50000, 'b'));
        CleanRegistry();
    }
    void TearDown() override {
        CleanRegistry();
        RemoveTree(dir_);
    }
    void CleanRegistry() {
        RegDeleteKeyTree(rrLocalMachine, "\\Software\\Tarnwick");
        RegDeleteKeyTree(rrLocalMachine, std::string(kUninstallRoot) + kProduct);
        RegDeleteValueIgnoringErrors(rrLocalMachine, kHelpKey, "A.TXT");
        RegDeleteValueIgnoringErrors(rrLocalMachine, kSharedDllsKey, dir_ + "\\prod\\a.txt");
        RegDeleteValueIgnoringErrors(rrLocalMachine, kRunOnceKey, "TarnwickUnfinished");
    }

    // The configuration: two files into <dir>\prod from <dir>\files.1.
    void Load(const std::string& install_extra = "", const std::string& files = "") {
        const std::string cfg =
            "form Form1: TForm1\n  Caption = 'Engine test'\nend\n"
            "object psInstallSource: TpsInstallSource\nend\n"
            "object psMainArchiveFile: TpsMainArchiveFile\nend\n"
            "object psContainerDestDir: TpsContainerDestDir\nend\n"
            "object psContainerArchiveFile: TpsContainerArchiveFile\nend\n"
            "object Install1: TInstall\n  DestDir = '\\prod'\n  DestDirType = psInstallSource\n"
            "  ArchiveFileType = psMainArchiveFile\n  Information.ProductName = '" + std::string(kProduct) + "'\n"
            "  RunAutomatic = False\n" + install_extra + "end\n" + (files.empty() ? DefaultFiles() : files);
        form_ = LoadConfiguration(cfg, env_);
        engine_ = std::make_unique<TInstallEngine>(*form_, nullptr);
        engine_->SetPages(&pages_);
        engine_->OnMessage = [this](const std::string& text, UINT) {
            messages_.push_back(text);
            return IDOK;
        };
    }
    std::string DefaultFiles() const {
        return
            "object FileA: TInstallFile\n  Container = Install1\n  FileName = 'a.txt'\n  DestName = 'a.txt'\n"
            "  IncludeFromDir = '" + dir_ + "\\src'\n  UniqueID = 1\n  DestDirType = psContainerDestDir\n"
            "  ArchiveFileType = psContainerArchiveFile\n  OverwriteMode = owVersion\n  RegisterAsHelp = True\n"
            "  UpdateDLLCounter = True\nend\n"
            "object FileB: TInstallFile\n  Container = Install1\n  FileName = 'b.txt'\n  DestName = 'b.txt'\n"
            "  IncludeFromDir = '" + dir_ + "\\src'\n  UniqueID = 2\n  DestDirType = psContainerDestDir\n"
            "  ArchiveFileType = psContainerArchiveFile\nend\n";
    }

    void BuildArchive() {
        TTrnwCompress archive;
        archive.SetCompressedFile(dir_ + "\\files.1");
        archive.SetFilesToProcess({dir_ + "\\src\\a.txt"});
        archive.Compress(lzcOverwrite, 1);
        archive.SetFilesToProcess({dir_ + "\\src\\b.txt"});
        archive.Compress(lzcOnlyAdd, 2);
    }

    bool Loaded(std::vector<std::string> args) {
        int code = 0;
        args.push_back("-s" + dir_);
        return engine_->Loaded(args, code);
    }

    std::string dir_;
    Win32Environment env_;
    std::unique_ptr<TConfigForm> form_;
    std::unique_ptr<TInstallEngine> engine_;
    RecordingPages pages_;
    std::vector<std::string> messages_;
};

TEST_F(InstallEngineTest, InstallsKeepsWhatPolicyKeepsAndRecordsEverything) {
    BuildArchive();
    CreateDirectoryA((dir_ + "\\prod").c_str(), nullptr);
    // Neither side has a version: owVersion finds them the same and keeps the existing a.txt.
    WriteAll(dir_ + "\\prod\\a.txt", "existing a\r\n");
    Load();
    ASSERT_FALSE(Loaded({}));
    engine_->StartRun();
    EXPECT_TRUE(messages_.empty()) << messages_.front();

    EXPECT_EQ(ReadAll(dir_ + "\\prod\\a.txt"), "existing a\r\n");
    EXPECT_EQ(ReadAll(dir_ + "\\prod\\b.txt"), std::string(50000, 'b'));
    // A kept file still gets its help registration and its shared-DLL count.
    EXPECT_EQ(RegReadString(rrLocalMachine, kHelpKey, "A.TXT", ""), dir_ + "\\prod");
    EXPECT_EQ(RegReadInteger(rrLocalMachine, kSharedDllsKey, dir_ + "\\prod\\a.txt", 0), 1);
    const std::string files = std::string(kUninstallRoot) + kProduct + "\\Files";
    EXPECT_EQ(RegReadInteger(rrLocalMachine, files, "Entries", 0), 2);
    EXPECT_EQ(RegReadString(rrLocalMachine, files, "File1", ""), dir_ + "\\prod\\a.txt");
    EXPECT_EQ(RegReadString(rrLocalMachine, files, "File2", ""), dir_ + "\\prod\\b.txt");
    EXPECT_FALSE(RegKeyExists(rrLocalMachine, kInstallRecordRoot));
    // The whole installation's progress reaches 100 %, the kept file counted as done.
    EXPECT_EQ(pages_.last_group_percent, 100);

    const std::vector<int> start = {bcShowStatus, bcHideStatus, bcAfterReadArchiveInfo, -986, -976, -975, -982, -981,
                                    -977, bcBeforeInstall};
    std::vector<int> seen;
    for (int c : pages_.codes)
        if (std::find(start.begin(), start.end(), c) != start.end()) seen.push_back(c);
    EXPECT_EQ(seen, start);
    ASSERT_GE(pages_.codes.size(), 2u);
    EXPECT_EQ(pages_.codes[pages_.codes.size() - 2], bcAboutGoodInstall);
    EXPECT_EQ(pages_.codes.back(), bcGoodInstall);
}

TEST_F(InstallEngineTest, SameProgramFindsItsRecordAnotherGetsANewOne) {
    Load();
    engine_->FindInstallRecord(true);
    const std::string first = engine_->InstallRecordKey();
    EXPECT_EQ(first, std::string(kInstallRecordRoot) + "\\Install1");
    EXPECT_EQ(RegReadString(rrLocalMachine, first, "Path", ""), RunningProgramPath());
    engine_->FindInstallRecord(true);
    EXPECT_EQ(engine_->InstallRecordKey(), first);
    // A record of a program of another size belongs to another setup file.
    RegWriteInteger(rrLocalMachine, first, "Size", 12345);
    engine_->FindInstallRecord(true);
    EXPECT_EQ(engine_->InstallRecordKey(), std::string(kInstallRecordRoot) + "\\Install2");
    engine_->RemoveInstallRecord();
    EXPECT_TRUE(RegKeyExists(rrLocalMachine, first));
    RegDeleteKeyTree(rrLocalMachine, first);
}

TEST_F(InstallEngineTest, ChoosesTheInstallType) {
    const std::vector<std::pair<std::string, TInstallType>> cases = {
        {"[itAlways]", itAlways}, {"[itCompact, itFull]", itCompact}, {"[itFull, itCustom]", itFull},
        {"[itCustom]", itCustom}, {"[itDefault, itCompact]", itDefault}};
    for (const auto& [types, expected] : cases) {
        Load("  InstallTypes = " + types + "\n");
        ASSERT_FALSE(Loaded({}));
        EXPECT_EQ(form_->Install()->ChosenInstallType(), expected) << types;
    }
}

TEST_F(InstallEngineTest, AnUnfinishedEntryThatIsNoNumberFailsTheAfterRestartRun) {
    Load();
    engine_->FindInstallRecord(true);
    RegWriteString(rrLocalMachine, engine_->InstallRecordKey() + "\\Unfinished", "FileA", "soon");
    Load();
    Loaded({"-r"});
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "There is an invalid entry for the unfinished install list FileA");
    EXPECT_EQ(pages_.codes.back(), bcBadInstall);
    EXPECT_EQ(engine_->ExitCode(), 1);
}

TEST_F(InstallEngineTest, ARestartRefusedByTheHandlerStillEndsWithoutTheGoodPages) {
    BuildArchive();
    Load("  Reboot = True\n");
    bool asked = false;
    form_->Install()->OnBeforeReboot = [&](TInstall&, bool& go_on) {
        asked = true;
        go_on = false;
    };
    ASSERT_FALSE(Loaded({}));
    engine_->StartRun();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(std::count(pages_.codes.begin(), pages_.codes.end(), bcGoodInstall), 0);
    EXPECT_EQ(std::count(pages_.codes.begin(), pages_.codes.end(), bcReboot), 1);
    EXPECT_EQ(engine_->ExitCode(), kExitForRestart);
    const std::string entry = RegReadString(rrLocalMachine, kRunOnceKey, "TarnwickUnfinished", "");
    EXPECT_EQ(entry, "\"" + RunningProgramPath() + "\" -r \"-s" + dir_ + "\"");
    // The record stays for the run after the restart.
    EXPECT_TRUE(RegKeyExists(rrLocalMachine, engine_->InstallRecordKey()));
}

TEST_F(InstallEngineTest, ASpoiledEntryRestoresTheFilesTheRunReplaced) {
    BuildArchive();
    // Spoil b.txt's compressed data (the second entry, after a.txt's).
    {
        std::fstream f(dir_ + "\\files.1", std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(0, std::ios::end);
        const std::streamoff size = f.tellg();
        f.seekp(size - 20);
        f.write("\x11\x22\x33\x44\x55\x66\x77\x88", 8);
    }
    CreateDirectoryA((dir_ + "\\prod").c_str(), nullptr);
    WriteAll(dir_ + "\\prod\\b.txt", "old b");
    Load("  InstallTypes = [itAlways]\n");
    ASSERT_FALSE(Loaded({}));
    engine_->StartRun();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find(dir_ + "\\prod\\b.txt"), std::string::npos) << messages_[0];
    EXPECT_NE(messages_[0].find("restored to their previous versions"), std::string::npos) << messages_[0];
    EXPECT_EQ(ReadAll(dir_ + "\\prod\\b.txt"), "old b");
    EXPECT_EQ(ReadAll(dir_ + "\\prod\\a.txt"), "archived a\r\n");
    EXPECT_EQ(GetFileAttributesA((dir_ + "\\prod\\b.txt.~1").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(pages_.codes.back(), bcBadInstall);
}

TEST_F(InstallEngineTest, RegistersAServerAndRecordsItForTheUninstaller) {
    char cwd[MAX_PATH + 1];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    ASSERT_TRUE(CopyFileA((std::string(cwd) + "\\fnwd_activex_stub.dll").c_str(), (dir_ + "\\src\\stub.dll").c_str(),
                          FALSE));
    TTrnwCompress archive;
    archive.SetCompressedFile(dir_ + "\\files.1");
    archive.SetFilesToProcess({dir_ + "\\src\\stub.dll"});
    archive.Compress(lzcOverwrite, 7);
    RegDeleteKeyTree(rrLocalMachine, "\\Software\\FnwdActiveXStub");
    Load("", "object Server: TInstallFile\n  Container = Install1\n  FileName = 'stub.dll'\n  DestName = 'stub.dll'\n"
             "  IncludeFromDir = '" + dir_ + "\\src'\n  UniqueID = 7\n  DestDirType = psContainerDestDir\n"
             "  ArchiveFileType = psContainerArchiveFile\n  ActiveX = True\nend\n");
    ASSERT_FALSE(Loaded({}));
    engine_->StartRun();
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_EQ(RegReadInteger(rrLocalMachine, "\\Software\\FnwdActiveXStub", "Registered", 0), 1);
    const std::string key = std::string(kUninstallRoot) + kProduct + "\\ActiveX";
    EXPECT_EQ(RegReadInteger(rrLocalMachine, key, "Entries", 0), 1);
    EXPECT_EQ(RegReadString(rrLocalMachine, key, "File1", ""), dir_ + "\\prod\\stub.dll;0");
    RegDeleteKeyTree(rrLocalMachine, "\\Software\\FnwdActiveXStub");
}

TEST_F(InstallEngineTest, CancellingAPageEndsQuietlyWithTheBadPagesAndNoRecord) {
    BuildArchive();
    Load();
    pages_.cancel_on = bcBeforeInstall;
    ASSERT_FALSE(Loaded({}));
    engine_->StartRun();
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(pages_.codes.back(), bcBadInstall);
    EXPECT_FALSE(RegKeyExists(rrLocalMachine, kInstallRecordRoot));
    EXPECT_EQ(GetFileAttributesA((dir_ + "\\prod").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(engine_->Running());
}

TEST_F(InstallEngineTest, AHeldFileWithAnUndecidableDateIsWrittenBesideItForTheRestart) {
    BuildArchive();
    CreateDirectoryA((dir_ + "\\prod").c_str(), nullptr);
    WriteAll(dir_ + "\\prod\\b.txt", "old b");
    WriteAll(dir_ + "\\prod\\b.1", "taken");
    HANDLE held = CreateFileA((dir_ + "\\prod\\b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Load("", "object FileB: TInstallFile\n  Container = Install1\n  FileName = 'b.txt'\n  DestName = 'b.txt'\n"
             "  IncludeFromDir = '" + dir_ + "\\src'\n  UniqueID = 2\n  DestDirType = psContainerDestDir\n"
             "  ArchiveFileType = psContainerArchiveFile\n  OverwriteMode = owDate\nend\n");
    ASSERT_FALSE(Loaded({}));
    engine_->StartRun();
    CloseHandle(held);

    // The date comparison cannot open the held file: the file is replaced, beside the old one
    // under the first free numbered name.
    EXPECT_EQ(ReadAll(dir_ + "\\prod\\b.txt"), "old b");
    EXPECT_EQ(ReadAll(dir_ + "\\prod\\b.1"), "taken");
    EXPECT_EQ(ReadAll(dir_ + "\\prod\\b.2"), std::string(50000, 'b'));
    EXPECT_TRUE(form_->Install()->Reboot);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Could not reboot windows. Please manually reboot windows.");
    EXPECT_EQ(engine_->ExitCode(), kExitForRestart);
    const std::string record = engine_->InstallRecordKey();
    EXPECT_EQ(RegReadString(rrLocalMachine, record + "\\Unfinished", "FileB", ""), "0");
    EXPECT_NE(RegReadString(rrLocalMachine, kRunOnceKey, "TarnwickUnfinished", "").find(" -r "), std::string::npos);
    // The uninstaller removes the file under its own name.
    EXPECT_EQ(RegReadString(rrLocalMachine, std::string(kUninstallRoot) + kProduct + "\\Files", "File1", ""),
              dir_ + "\\prod\\b.txt");

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                            KEY_READ | KEY_WRITE, &key),
              ERROR_SUCCESS);
    char data[8192] = {};
    DWORD size = sizeof data - 2;
    ASSERT_EQ(RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    std::string pending(data, size);
    for (char& c : pending) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(pending.find("B.2"), std::string::npos);
    EXPECT_NE(pending.find("B.TXT"), std::string::npos);
    RegDeleteValueA(key, "PendingFileRenameOperations");
    RegCloseKey(key);
}

TEST_F(InstallEngineTest, TheDiskChangePageFindsTheNextVolume) {
    {
        TTrnwCompress whole;
        whole.SetCompressedFile(dir_ + "\\whole.1");
        whole.SetFilesToProcess({dir_ + "\\src\\a.txt"});
        whole.Compress(lzcOverwrite, 1);
        whole.SetFilesToProcess({dir_ + "\\src\\b.txt"});
        whole.Compress(lzcOnlyAdd, 2);
        // Volume 1 ends inside b.txt's data; volume 2 goes to another "disk".
        CreateDirectoryA((dir_ + "\\disk2").c_str(), nullptr);
        whole.DiskCapacity = [](const std::string& path) -> int64_t {
            return SameText(ExtractFileName(path), "files.1") ? 5 + 2 * 172 + 40 : -1;
        };
        whole.OnNewDisk = [](TTrnwCompress&, int, std::string&) {};
        whole.SplitToVolumes(dir_, "files.1");
    }
    ASSERT_TRUE(MoveFileA((dir_ + "\\files.2").c_str(), (dir_ + "\\disk2\\files.2").c_str()));
    ASSERT_NE(GetFileAttributesA((dir_ + "\\disk2\\files.2").c_str()), INVALID_FILE_ATTRIBUTES);
    Load();
    pages_.disk_folder = dir_ + "\\disk2";
    ASSERT_FALSE(Loaded({}));
    engine_->StartRun();
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_EQ(pages_.disks, std::vector<int>{2});
    EXPECT_EQ(ReadAll(dir_ + "\\prod\\a.txt"), "archived a\r\n");
    EXPECT_EQ(ReadAll(dir_ + "\\prod\\b.txt"), std::string(50000, 'b'));
}

}  // namespace
}  // namespace fnwd
