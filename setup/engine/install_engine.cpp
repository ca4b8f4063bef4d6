#include "install_engine.h"

#include "forms.h"
#include "net_folders.h"
#include "path_kinds.h"
#include "setup/archive/self_extract.h"
#include "setup/util/format.h"
#include "setup/util/registry.h"
#include "setup/util/str_util.h"
#include "setup/util/translate_hook.h"
#include "setup/util/version_resource.h"
#include "setup/util/win_system.h"

#include <ole2.h>

#include <cmath>
#include <cstdio>
#include <fstream>

namespace fnwd {

namespace {

constexpr const char* kNoLoadingProgramPath =
    "The path of the loading program was not passed correctly. If you are running your install project in the IDE, "
    "then you need to add two command line parameters. Go to Run | Parameters and add -d \"-sC:\\My Build\" where "
    "C:\\My Build is the build directory that holds the loading program";
constexpr const char* kNoMainForm =
    "Application.MainForm is undefined and the TInstall is not on a form. Therefore, therefore the TInstall can't run "
    "the installation automatically";
constexpr const char* kNoUnfinishedKey = "The TInstall could not either write or read unfinished business from the registry";
constexpr const char* kBlankArchive =
    "Cannot either compress or decompress the following file because it's archive file property is blank. File is :%s";
constexpr const char* kNoContainer =
    "%s cannot perform ReadInfoFromArchive because either no container is assigned or the container is not "
    "TFileContainer";
constexpr const char* kBlankDestDir =
    "Cannot compress,copy, or install the following file because it's destination directory is blank. File is :%s";
constexpr const char* kBatchRunOnceFailed =
    "%s cannot register a routine in the register to move the files after the computer is reboot";
constexpr const char* kSharedDllsFailed =
    "Could not open the key SharedDLLs key in the registry. File component %s. GetLastError return: %d";
constexpr const char* kWinExecFailed =
    "Could not register the ActiveX component, %s, because the WinExec(%s,SW_HIDE) function returned a value < 32. "
    "The file component is %s. The following value is the value of the GetLastError function: %d";
constexpr const char* kLoadLibraryFailed =
    "Could not register the ActiveX component, %s, because the LoadLibrary(%s) procedure returned a value of 0. The "
    "file component is %s. The following value is the value of the GetLastError function: %d";
constexpr const char* kNoDllRegisterServer =
    "Could not register the ActiveX component, %s, because the DllRegisterServer function could not be found. The "
    "file component is %s. The following value is the value of the GetLastError function: %d";
constexpr const char* kDllRegisterServerFailed =
    "Could not register the ActiveX component, %s, because the DllRegisterServer function returned a value of %d. "
    "The file component is %s";
constexpr const char* kRunOnceFailed = "Cannot register the install to be run on reboot in the RunOnce key in the registry";
constexpr const char* kRebootFailed = "Could not reboot windows. Please manually reboot windows.";
constexpr const char* kInvalidUnfinished = "There is an invalid entry for the unfinished install list %s";
constexpr const char* kInsertDisk = "Please insert disk #%d";
constexpr const char* kNoBuildInf = "Need to have a BUILD.INF file in this directory with the first line specifying the build directory";
constexpr const char* kEmptyBuildInf = "Must be 1 line in BUILD.INF. This line should specify the build directory";
constexpr const char* kNoStandAlone =
    "Cannot build a stand alone executable if the UseLoadingProgram property of the TInstall is set to False";
constexpr const char* kSetup1DiskFull =
    "The disk that you have specified has been determined to be either too full or is corrupt while trying to copy "
    "the SETUP.1 archive file. You should probably clear all files off of the drive. Minimally, you should leave "
    "enough space on the drive for the SETUP.1 archive file.";
constexpr const char* kBadKitFolder =
    "The HKEY_LOCAL_MACHINE | %s key in the registry is either missing or points to an invalid Tarnwick directory";
constexpr const char* kKitRegistryKey = "\\Software\\Orlanvey\\T32V35";
constexpr const char* kNoLoader = "The loader program %s was not found";
constexpr const char* kCannotCopyLoader = "Cannot copy the loading program from %s to %s";
constexpr const char* kFloppyNeedsSelfExtract =
    "Sorry... You can only transfer this installation to floppies through the self-extracting file. Usage example: "
    "setup.exe *TODISK";
constexpr const char* kTransferring = "Transferring this installation to floppies. Please wait...";
constexpr const char* kFloppySetupExe = "Cannot create setup.exe on the A drive. Probably not enough room";
constexpr const char* kFloppySetup1 = "Cannot create setup.1 on the A drive. Probably not enough room";
constexpr const char* kInsertFloppy = "Please insert disk %d";
constexpr const char* kFloppyAborted = "Aborted by user";
constexpr const char* kReadingFileInfo = "Reading file information...";
constexpr const char* kRestartEntryName = "TarnwickUnfinished";
constexpr const char* kBatchEntryName = "TarnwickBatFile";
// Shown by the stand-in for the completion pages.
constexpr const char* kGoodOutcome = "%s has been installed successfully.";
constexpr const char* kBadOutcome = "The installation of %s was not completed.";
constexpr const char* kRestoredFiles =
    "The following files had already been replaced and were restored to their previous versions:";
constexpr const char* kFailedFile = "The file being installed was";
constexpr const char* kReplacedFiles = "The following files had already been replaced and could not be restored:";
// The uninstall record's "Files" subkeys are tried in turn; a registry that takes none of them
// is reported instead of being retried without end.
constexpr int kMaxFilesSubkeys = 100;

constexpr UINT_PTR kStartTimerId = 0x4655;
constexpr double kSameDateTolerance = 1e-7;
constexpr int64_t kFileTimeTicksPerDay = 864000000000LL;
constexpr double kDaysFrom1601To1899 = 109205.0;

double FileTimeToDateTime(const FILETIME& utc) {
    FILETIME local;
    if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
    ULARGE_INTEGER v;
    v.LowPart = local.dwLowDateTime;
    v.HighPart = local.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / static_cast<double>(kFileTimeTicksPerDay) - kDaysFrom1601To1899;
}

bool FileExistsW32(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int64_t FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ProgramPath() { return RunningProgramPath(); }

TFileContainer* FileContainerOf(TInstallObject& object) {
    return dynamic_cast<TFileContainer*>(object.Container());
}


}  // namespace

TInstallEngine* TInstallEngine::activating_ = nullptr;

double FileModificationDateTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return FileTimeToDateTime(d.ftLastWriteTime);
}

double NowDateTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeToDateTime(now);
}

// ---- The stand-in for the completion pages ---------------------------------------------------

void TOutcomeMessagePages::Broadcast(TInstallContainer& sender, int code, void*) {
    if (!dynamic_cast<TInstall*>(&sender)) return;
    if (code == bcGoodInstall)
        MessageBoxA(Owner, Translate(Fmt(kGoodOutcome, ProductName)).c_str(), Translate("Installation").c_str(),
                    MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    else if (code == bcBadInstall)
        MessageBoxA(Owner, Translate(Fmt(kBadOutcome, ProductName)).c_str(), Translate("Installation").c_str(),
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// ---- Construction and start ------------------------------------------------------------------

TInstallEngine::TInstallEngine(TConfigForm& configuration, ui::TForm* backdrop)
    : form_(configuration), install_(configuration.Install()), backdrop_(backdrop) {
    if (!install_) throw EInstallError("The configuration holds no TInstall component");
    pages_ = &default_pages_;
    program_path_ = ProgramPath();
    default_pages_.ProductName = install_->Information.ProductName;
    archive_.ProcessMessages = [this] { ProcessMessages(); };
    archive_.VersionOf = [](const std::string& path) { return ReadFileVersion(path); };
    for (TCustomInstallFile* f : form_.InstallFiles())
        f->OnStateOperation = [this](TCustomInstallFile& file, TInstallFileState op) {
            if (op == ifsInstall) InstallFile(file);
            else if (op == ifsCompress) CompressFile(file);
        };
}

TInstallEngine::~TInstallEngine() {
    if (activating_ == this) activating_ = nullptr;
    // The clean-up batch removes the setup folder once this program has gone.
    if (!cleanup_batch_.empty()) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION pi{};
        std::string cmd = "cmd.exe /c \"" + cleanup_batch_ + "\"";
        if (GetWindowsVersionClass() == wvWin9x) cmd = "command.com /c " + cleanup_batch_;
        std::vector<char> buf(cmd.begin(), cmd.end());
        buf.push_back('\0');
        if (CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW | DETACHED_PROCESS, nullptr,
                           nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
}

HWND TInstallEngine::OwnerWindow() const { return backdrop_ ? backdrop_->Handle() : nullptr; }

void TInstallEngine::ProcessMessages() { ui::TApplication::Instance().ProcessMessages(); }

int TInstallEngine::ShowMessage(const std::string& text, UINT flags) {
    if (OnMessage) return OnMessage(text, flags);
    return MessageBoxA(OwnerWindow(), text.c_str(), form_.Caption.empty() ? "Setup" : form_.Caption.c_str(),
                flags | MB_TASKMODAL);
}

bool TInstallEngine::Loaded(const std::vector<std::string>& args, int& exit_code) {
    default_pages_.Owner = OwnerWindow();
    try {
        cmd_ = ParseCommandLine(args);
        source_folder_ = SourceFolderOf(cmd_, program_path_);
        install_->SourceFolder = source_folder_;
        install_->SelfExtractSwitch = cmd_.SelfExtract;
        install_->SelfExtractName = cmd_.SelfExtractName;
        FindInstallRecord(false);
        if (!record_key_.empty()) {
            const std::string local = RegReadString(rrLocalMachine, record_key_ + "\\" + install_->Name(), "LocalFile", "");
            if (!local.empty() && FileExistsW32(local)) downloaded_main_archive_ = local;
        }
        if (!backdrop_ && install_->RunAutomatic) throw EInstallError(kNoMainForm);

        // The install type for the whole tree: the first of these that the TInstall lists.
        TInstallType chosen = itAlways;
        for (TInstallType t : {itDefault, itCompact, itFull, itCustom})
            if (install_->InstallTypes() & InstallTypeBit(t)) {
                chosen = t;
                break;
            }
        install_->SetChosenInstallType(chosen);
    } catch (const std::exception& e) {
        ShowMessage(e.what(), MB_OK | MB_ICONERROR);
        exit_code = 1;
        return true;
    }

    if (cmd_.Build) {
        BuildMode();
        exit_code = exit_code_;
        return true;
    }
    if (cmd_.Floppy) {
        FloppyTransfer();
        exit_code = exit_code_;
        return true;
    }
    if (cmd_.AfterReboot) {
        AfterRebootRun();
        exit_code = exit_code_;
        return install_->RunAutomatic;
    }
    HookFirstActivation();
    if (install_->HideMainForm() && backdrop_) {
        backdrop_->Left = -2 * backdrop_->Width;
        backdrop_->Top = -2 * backdrop_->Height;
        backdrop_->Position = ui::poDesigned;
    }
    return false;
}

void TInstallEngine::HookFirstActivation() {
    if (!backdrop_) return;
    auto previous = backdrop_->OnShow;
    backdrop_->OnShow = [this, previous](ui::TForm& form) {
        if (activated_) {
            if (previous) previous(form);
            return;
        }
        activated_ = true;
        if (previous) previous(form);
        if (install_->AutoMaximizeWindow()) ShowWindow(form.Handle(), SW_MAXIMIZE);
        if (install_->RunAutomatic) {
            // The run starts once the window is on the screen, from the message loop.
            activating_ = this;
            SetTimer(form.Handle(), kStartTimerId, 1, &TInstallEngine::FirstActivationTimer);
            // The previous handler comes back last: this assignment ends the handler running now.
            ui::TForm* backdrop = backdrop_;
            backdrop->OnShow = previous;
        }
    };
}

void CALLBACK TInstallEngine::FirstActivationTimer(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    TInstallEngine* engine = activating_;
    activating_ = nullptr;
    if (engine) engine->StartRun();
}

void TInstallEngine::StartRun() {
    try {
        Run();
    } catch (const EAIUserAbort& e) {
        HandleRunError(&e, true);
    } catch (const EAbort& e) {
        // A silent abort that reached the run ends it like a cancellation.
        HandleRunError(&e, true);
    } catch (const std::exception& e) {
        if (running_) HandleRunError(&e, false);
        else ShowMessage(e.what(), MB_OK | MB_ICONERROR);
    }
}

// ---- The run ---------------------------------------------------------------------------------

void TInstallEngine::Run() {
    run_started_ = NowDateTime();
    deferred_activex_.clear();
    unfinished_count_ = 0;
    running_ = true;

    if (install_->UseLoadingProgram() && !cmd_.HasSource) throw EInstallError(kNoLoadingProgramPath);
    FindInstallRecord(true);
    if (record_key_.empty()) throw EInstallError(kNoUnfinishedKey);
    RegDeleteKeyTree(rrLocalMachine, record_key_ + "\\Unfinished");

    if (cmd_.SelfExtract) {
        const std::string sfx = AddBackslash(source_folder_) + cmd_.SelfExtractName;
        const TSelfExtractTrailer trailer = ReadSelfExtractTrailer(sfx);
        archive_.SetOffset(trailer.ArchiveStart);
    }
    ReadArchiveInfo();

    if (install_->OnAfterInitialized) install_->OnAfterInitialized(*install_);
    for (int code : kPrepareBroadcasts) Broadcast(*install_, code, nullptr);
    Broadcast(*install_, bcBeforeInstall, nullptr);

    installation_started_ = true;
    ProcessContainer(*install_);

    for (TCustomInstallFile* f : deferred_activex_) RegisterActiveX(*f);
    deferred_activex_.clear();

    if (unfinished_count_ > 0 || install_->Reboot) RegisterRestartEntry();
    CommitReplacedFiles();

    if (install_->Reboot) {
        Broadcast(*install_, bcReboot, nullptr);
        bool go_on = true;
        if (install_->OnBeforeReboot) install_->OnBeforeReboot(*install_, go_on);
        if (!go_on) install_->Reboot = false;
        if (install_->Reboot) {
            RegWriteInteger(rrLocalMachine, record_key_, "Language", tlEnglish);
            RestartWindows();
        }
        running_ = false;
        exit_code_ = kExitForRestart;
        ui::TApplication::Instance().Terminate(exit_code_);
        return;
    }

    NotifyGoodInstall();
    Cleanup();
    RemoveInstallRecord();
    if (install_->RunAutomatic) Shutdown();
    RunFilesAfterInstall();
    running_ = false;
}

void TInstallEngine::HandleRunError(const std::exception* error, bool user_abort) {
    running_ = false;
    exit_code_ = 1;
    try {
        // Files this run replaced go back to their previous versions, so that a failure never
        // leaves a product that is part old and part new without saying so.
        const std::vector<std::string> restored = RestoreReplacedFiles();
        if (user_abort) {
            NotifyBadInstall();
            Cleanup();
            RemoveInstallRecord();
            if (install_->RunAutomatic) Shutdown();
            return;
        }
        NotifyBadInstall();
        std::string text = error ? error->what() : "";
        if (!failed_file_.empty()) text += "\r\n\r\n" + Translate(kFailedFile) + " " + failed_file_;
        if (!restored.empty()) {
            text += "\r\n\r\n" + Translate(kRestoredFiles);
            for (const std::string& f : restored) text += "\r\n" + f;
        }
        if (!replaced_.empty()) {
            text += "\r\n\r\n" + Translate(kReplacedFiles);
            for (const Replaced& r : replaced_) text += "\r\n" + r.Destination;
        }
        ShowMessage(text, MB_OK | MB_ICONERROR);
        Shutdown();
    } catch (...) {
        if (install_->RunAutomatic) ui::TApplication::Instance().Terminate(exit_code_);
    }
}

void TInstallEngine::Broadcast(TInstallContainer& sender, int code, void* param) {
    sender.Broadcast(code, param);
    if (pages_) pages_->Broadcast(sender, code, param);
}

void TInstallEngine::ShowStatus(const std::string& text) {
    status_line_ = text;
    TMessageParam p{text};
    Broadcast(*install_, bcShowStatus, &p);
}

void TInstallEngine::HideStatus() {
    status_line_.clear();
    Broadcast(*install_, bcHideStatus, nullptr);
}

bool TInstallEngine::UserAbortQuit() {
    bool quit = true;
    if (install_->OnUserAbort) install_->OnUserAbort(*install_, quit);
    return quit;
}

void TInstallEngine::NotifyGoodInstall() {
    if (install_->OnBeforeNotifyGoodInstall) install_->OnBeforeNotifyGoodInstall(*install_);
    Broadcast(*install_, bcAboutGoodInstall, nullptr);
    Broadcast(*install_, bcGoodInstall, nullptr);
    if (install_->OnAfterNotifyGoodInstall) install_->OnAfterNotifyGoodInstall(*install_);
}

void TInstallEngine::NotifyBadInstall() {
    if (install_->OnBeforeNotifyBadInstall) install_->OnBeforeNotifyBadInstall(*install_);
    Broadcast(*install_, bcAboutBadInstall, nullptr);
    Broadcast(*install_, bcBadInstall, nullptr);
    if (install_->OnAfterNotifyBadInstall) install_->OnAfterNotifyBadInstall(*install_);
}

void TInstallEngine::Shutdown() {
    bool quit = true;
    if (install_->OnBeforeShutdown) install_->OnBeforeShutdown(*install_, quit);
    if (quit) ui::TApplication::Instance().Terminate(exit_code_);
}

void TInstallEngine::RunFilesAfterInstall() {
    for (TCustomInstallFile* f : form_.InstallFiles()) {
        if (!f->RunAfterInstall) continue;
        bool run = true;
        if (install_->OnBeforeRunFile) install_->OnBeforeRunFile(*install_, *f, run);
        if (!run) continue;
        const std::string folder = RemoveBackslash(f->GetExpandedDestDir());
        const std::string path = AddBackslash(folder) + f->DestName();
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
    }
}

// ---- Install record --------------------------------------------------------------------------

void TInstallEngine::FindInstallRecord(bool create) {
    const double date = FileModificationDateTime(program_path_);
    const int64_t size = FileSizeOf(program_path_);
    record_key_.clear();
    for (const std::string& sub : RegSubKeyNames(rrLocalMachine, kInstallRecordRoot)) {
        const std::string key = std::string(kInstallRecordRoot) + "\\" + sub;
        const double d = RegReadFloat(rrLocalMachine, key, "CreationDate", -1);
        const int32_t s = RegReadInteger(rrLocalMachine, key, "Size", -1);
        if (std::fabs(d - date) < kSameDateTolerance && s == size) {
            record_key_ = key;
            break;
        }
    }
    if (!create) return;
    bool is_new = false;
    if (record_key_.empty()) {
        for (int n = 1;; ++n) {
            const std::string key = std::string(kInstallRecordRoot) + "\\" + Fmt("Install%d", n);
            if (!RegKeyExists(rrLocalMachine, key)) {
                record_key_ = key;
                break;
            }
        }
        is_new = true;
    }
    try {
        RegWriteString(rrLocalMachine, record_key_, "Path", program_path_);
        RegWriteFloat(rrLocalMachine, record_key_, "LastRunDate", run_started_);
        if (is_new) {
            RegWriteFloat(rrLocalMachine, record_key_, "CreationDate", date);
            RegWriteInteger(rrLocalMachine, record_key_, "Size", static_cast<int32_t>(size));
            if (cmd_.SelfExtract)
                RegWriteString(rrLocalMachine, record_key_, "SelfExtract",
                               AddBackslash(source_folder_) + cmd_.SelfExtractName);
        }
    } catch (const EIRCannotWriteValue&) {
        record_key_.clear();
    }
}

void TInstallEngine::RemoveInstallRecord() {
    if (record_key_.empty()) return;
    for (const std::string& sub : RegSubKeyNames(rrLocalMachine, record_key_)) {
        const std::string key = record_key_ + "\\" + sub;
        const std::string local = RegReadString(rrLocalMachine, key, "LocalFile", "");
        if (!Trim(local).empty()) DeleteFileA(local.c_str());
        RegDeleteKeyTree(rrLocalMachine, key);
    }
    RegDeleteKeyTree(rrLocalMachine, record_key_);
    record_key_.clear();
    if (RegSubKeyNames(rrLocalMachine, kInstallRecordRoot).empty())
        RegDeleteKeyTree(rrLocalMachine, kInstallRecordRoot);
    if (RegSubKeyNames(rrLocalMachine, "\\Software\\Tarnwick").empty())
        RegDeleteKeyTree(rrLocalMachine, "\\Software\\Tarnwick");
}

void TInstallEngine::AddUnfinished(const std::string& name, int number) {
    if (record_key_.empty()) throw EInstallError(kNoUnfinishedKey);
    try {
        RegWriteString(rrLocalMachine, record_key_ + "\\Unfinished", name, std::to_string(number));
    } catch (const EIRCannotWriteValue&) {
        throw EInstallError(kNoUnfinishedKey);
    }
    ++unfinished_count_;
}

void TInstallEngine::RegisterRestartEntry() {
    std::string command = "\"" + program_path_ + "\" -r";
    if (cmd_.SelfExtract)
        command += " \"-e" + cmd_.SelfExtractName + "\" \"-s" + source_folder_ + "\"";
    else
        command += " \"-s" + source_folder_ + "\"";
    if (cmd_.Cleanup) command += " -c";
    if (!AddRunOnceEntry(kRestartEntryName, command, true)) throw EInstallError(kRunOnceFailed);
}

void TInstallEngine::RestartWindows() {
    if (GetWindowsVersionClass() != wvWin9x) {
        HANDLE token = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            TOKEN_PRIVILEGES tp{};
            tp.PrivilegeCount = 1;
            tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid))
                AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
            CloseHandle(token);
        }
    }
    // Under Wine a restart request only ends the session's programs and runs its start-up
    // entries at once, while files stay held by programs that outlive it: the move would not
    // happen. There the user restarts (wineboot -r) as after any failed request.
    if (RunningUnderWine() || !ExitWindowsEx(EWX_REBOOT, 0)) {
        if (install_->OnFailedReboot) install_->OnFailedReboot(*install_);
        else ShowMessage(Translate(kRebootFailed), MB_OK | MB_ICONWARNING);
    }
}

void TInstallEngine::Cleanup() {
    if (!install_->UseLoadingProgram() || cmd_.Debug || !cmd_.Cleanup) return;
    bool go_on = true;
    if (install_->OnBeforeCleanup) install_->OnBeforeCleanup(*install_, go_on);
    if (!go_on) return;
    const std::string folder = ExtractFileDir(program_path_);
    for (const std::string& f : install_->PresetupFiles())
        DeleteFileA((AddBackslash(folder) + ExtractFileName(f)).c_str());
    std::string batch;
    try {
        batch = ChangeFileExt(MakeTempFileName(false), ".bat");
    } catch (const std::exception&) {
        return;
    }
    std::ofstream out(batch, std::ios::binary);
    if (!out) return;
    const bool nt = GetWindowsVersionClass() != wvWin9x;
    out << "ERASE \"" << program_path_ << "\"\r\n";
    // DELTREE exists only on the 95/98 class; the NT class removes a tree with RMDIR.
    if (nt) out << "RMDIR /S /Q \"" << folder << "\"\r\n";
    else out << "DELTREE /Y " << folder << "\r\n";
    out << "ERASE \"" << ChangeFileExt(batch, ".PIF") << "\"\r\n";
    out << "ERASE \"" << batch << "\"\r\n";
    cleanup_batch_ = batch;
}

// ---- Archive information ---------------------------------------------------------------------

void TInstallEngine::ReadArchiveInfo() {
    if (archive_info_read_) return;
    if (install_->OnBeforeReadArchiveInfo) install_->OnBeforeReadArchiveInfo(*install_);
    Broadcast(*install_, bcBeforeReadArchiveInfo, nullptr);
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ShowStatus(Translate(kReadingFileInfo));
    for (TCustomInstallFile* f : form_.InstallFiles()) ReadInfoFromArchive(*f);
    SetCursor(old);
    HideStatus();
    archive_info_read_ = true;
    if (install_->OnAfterReadArchiveInfo) install_->OnAfterReadArchiveInfo(*install_);
    Broadcast(*install_, bcAfterReadArchiveInfo, nullptr);
}

void TInstallEngine::ReadInfoFromArchive(TCustomInstallFile& file) {
    ArchiveInfo& info = info_[&file];
    if (info.Read && installation_started_) return;
    if (!FileContainerOf(file)) throw EInstallError(Fmt(kNoContainer, file.Name()));
    const std::string archive_path = file.GetExpandedArchiveFile();
    if (Trim(archive_path).empty()) throw EInstallError(Fmt(kBlankArchive, file.Name()));
    const std::string main_archive = install_->GetExpandedArchiveFile();
    TTrnwCompress private_archive;
    TTrnwCompress* archive = &archive_;
    if (!SameText(archive_path, main_archive)) {
        archive = &private_archive;
        archive->SetOffset(0);
    }
    archive->SetCompressedFile(archive_path);
    const int index = archive->IndexOfID(file.UniqueID());
    info = ArchiveInfo{};
    info.Read = true;
    if (index < 0) return;
    const TEntryHeader& h = archive->Headers().GetFileHeaders(index).Header;
    info.Found = true;
    info.CompressedSize = h.CompressedSize;
    info.FileDate = h.FileDate;
    info.FileSize = h.FileSize;
    info.Version = h.Version;
}

// ---- Processing the tree ---------------------------------------------------------------------

void TInstallEngine::ProcessContainer(TInstallObject& object) {
    if (object.OnBeforeProcess) object.OnBeforeProcess(object);
    try {
        if (object.Include) {
            if (object.IsSelected()) {
                if (auto* group = dynamic_cast<TFileContainer*>(&object)) InstallGroup(*group);
                else if (auto* file = dynamic_cast<TCustomInstallFile*>(&object)) InstallFile(*file);
                object.Processed = true;
                if (auto* file = dynamic_cast<TCustomInstallFile*>(&object)) WriteUninstallEntry(*file);
            }
        }
    } catch (const EAbort&) {
        // Ends this object's processing quietly.
    }
    if (object.OnAfterProcess) object.OnAfterProcess(object);
}

void TInstallEngine::InstallGroup(TFileContainer& group) {
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    for (TInstallObject* helper : group.Helpers())
        if (auto* f = dynamic_cast<TCustomInstallFile*>(helper))
            if (!info_[f].Read) ReadInfoFromArchive(*f);
    Broadcast(group, bcGroupStart, nullptr);
    NotifyUp(group, ncGroupStart, nullptr);
    GroupProgress& progress = groups_[&group];
    progress = GroupProgress{};
    for (TInstallObject* helper : group.Helpers())
        if (auto* f = dynamic_cast<TCustomInstallFile*>(helper))
            if (f->IsSelected()) progress.Total += info_[f].FileSize;
    if (group.OnBeforeInstallObjects) group.OnBeforeInstallObjects(group);
    const std::vector<TInstallObject*> helpers = group.Helpers();
    for (TInstallObject* helper : helpers)
        if (helper->Include) ProcessContainer(*helper);
    NotifyUp(group, ncGroupEnd, nullptr);
    SetCursor(old);
    Broadcast(group, bcFilesDone, nullptr);
    if (group.OnAfterInstallObjects) group.OnAfterInstallObjects(group, archive_.Abort());
}

void TInstallEngine::NotifyUp(TInstallObject& from, int code, void* param) {
    for (TInstallContainer* c = from.Container(); c;) {
        if (auto* group = dynamic_cast<TFileContainer*>(c)) GroupReceives(*group, code, param);
        auto* obj = dynamic_cast<TInstallObject*>(c);
        c = obj ? obj->Container() : nullptr;
    }
}

void TInstallEngine::GroupReceives(TFileContainer& group, int code, void* param) {
    GroupProgress& progress = groups_[&group];
    if (code == ncInstallProgress || code == ncCompressProgress || code == ncCopyProgress) {
        auto* p = static_cast<TFileStatusParam*>(param);
        if (!p) return;
        p->GroupBytesDone = progress.Done + p->FileBytesDone;
        p->GroupPercentDone = progress.Total == 0 ? 0 : RoundedPercent(double(p->GroupBytesDone), double(progress.Total));
        if (group.OnStatus && p->File) group.OnStatus(*p->File, p->FilePercentDone, p->GroupPercentDone);
        Broadcast(group, bcFileProgress, p);
        if (p->Stats.FileDone) progress.Done += p->Stats.FileSize;
    } else if (code == ncSkippedByHandler || code == ncSkippedByPolicy) {
        auto* p = static_cast<TFileStatusParam*>(param);
        if (!p) return;
        p->FilePercentDone = 100;
        p->GroupBytesDone = progress.Done + p->Stats.FileSize;
        p->GroupPercentDone = progress.Total == 0 ? 0 : RoundedPercent(double(p->GroupBytesDone), double(progress.Total));
        if (group.OnStatus && p->File) group.OnStatus(*p->File, 100, p->GroupPercentDone);
        Broadcast(group, bcFileProgress, p);
        progress.Done += p->Stats.FileSize;
    } else if (code == ncNeedDisk) {
        // The group's own OnNewDisk runs from the disk prompt; here its disk-change pages may show.
        Broadcast(group, bcChangeDisk, param);
    }
}

// ---- One file --------------------------------------------------------------------------------

void TInstallEngine::InstallFile(TCustomInstallFile& file) {
    restart_flag_.erase(&file);
    TFileStatusParam skipped;
    skipped.File = &file;
    skipped.FileName = file.DestName();
    skipped.Stats.FileSize = info_[&file].FileSize;
    skipped.Stats.FileDone = 1;
    try {
        NotifyUp(file, ncBeforeInstallFile, nullptr);
        if (file.OnBeforeInstall) file.OnBeforeInstall(file);
    } catch (const EAbort&) {
        NotifyUp(file, ncSkippedByHandler, &skipped);
        return;
    }
    const std::string folder = RemoveBackslash(file.GetExpandedDestDir());
    if (Trim(folder).empty()) throw EInstallError(Fmt(kBlankDestDir, file.Name()));
    const std::string destination = AddBackslash(folder) + file.DestName();
    ReadInfoFromArchive(file);
    const ArchiveInfo& info = info_[&file];

    bool replace = true;
    if (FileExistsW32(destination)) {
        const TCompareResult r = DecideOverwrite(file.OverwriteMode, ArchivedSide{info.Version, info.FileDate, {}},
                                                 destination, archive_.VersionOf);
        replace = r == crArchivedNewer || r == crError;
    }
    std::string target_name = file.DestName();
    if (replace) {
        try {
            replace = InUseCheck(file, folder, target_name);
        } catch (const EAbort&) {
            replace = false;
        }
    }
    if (replace) {
        failed_file_ = AddBackslash(folder) + target_name;
        Extract(file, folder, target_name);
        failed_file_.clear();
        if (target_name != file.DestName())
            ScheduleReplacement(file, destination, AddBackslash(folder) + target_name);
        AfterInstallSteps(file, folder);
        if (file.OnAfterInstall) file.OnAfterInstall(file);
        NotifyUp(file, ncFileInstalled, nullptr);
        Broadcast(file, bcFilesDone, nullptr);
    } else {
        NotifyUp(file, ncSkippedByPolicy, &skipped);
        AfterInstallSteps(file, folder);
        if (file.OnAfterInstall) file.OnAfterInstall(file);
        NotifyUp(file, ncFileInstalled, nullptr);
    }
}

// Returns whether the file is still to be written. The old file is moved aside rather than
// deleted, so that a failed run can put it back.
bool TInstallEngine::InUseCheck(TCustomInstallFile& file, const std::string& folder, std::string& target_name) {
    if (file.OnReplacing) file.OnReplacing(file);
    if (auto* group = FileContainerOf(file); group && group->OnReplacing) group->OnReplacing(file);
    Broadcast(*install_, bcReplacingInUse, &file);
    NotifyUp(file, ncReplacingInUse, &file);
    const std::string destination = AddBackslash(folder) + file.DestName();
    if (!FileExistsW32(destination)) return true;
    std::string backup;
    for (int n = 1; n < 1000; ++n) {
        backup = destination + Fmt(".~%d", n);
        if (GetFileAttributesA(backup.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    }
    if (MoveFileA(destination.c_str(), backup.c_str())) {
        replaced_.push_back({destination, backup});
        return true;
    }
    // In use: the new file goes beside the old one and replaces it at the restart.
    restart_flag_.insert(&file);
    for (int n = 1;; ++n) {
        const std::string name = ChangeFileExt(file.DestName(), Fmt(".%d", n));
        if (GetFileAttributesA((AddBackslash(folder) + name).c_str()) == INVALID_FILE_ATTRIBUTES) {
            target_name = name;
            break;
        }
    }
    return true;
}

void TInstallEngine::ScheduleReplacement(TCustomInstallFile& file, const std::string& old_path,
                                         const std::string& new_path) {
    std::string old_short = GetShortPath(old_path);
    if (old_short.empty()) old_short = old_path;
    std::string new_short = GetShortPath(new_path);
    if (new_short.empty()) new_short = new_path;
    if (GetWindowsVersionClass() == wvWin9x) {
        const std::string wininit = AddBackslash(GetWindowsDir()) + "WININIT.INI";
        WritePrivateProfileStringA("Rename", old_short.c_str(), new_short.c_str(), wininit.c_str());
        install_->Reboot = true;
        return;
    }
    install_->Reboot = true;
    if (MoveFileExA(new_short.c_str(), old_short.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
        return;
    std::string batch;
    try {
        batch = ChangeFileExt(MakeTempFileName(false), ".bat");
    } catch (const std::exception&) {
        throw EInstallError(Fmt(kBatchRunOnceFailed, file.Name()));
    }
    {
        std::ofstream out(batch, std::ios::binary);
        out << "erase " << old_short << "\r\n" << "move " << new_short << " " << old_short << "\r\n";
        if (!out) throw EInstallError(Fmt(kBatchRunOnceFailed, file.Name()));
    }
    AddUnfinished(batch, 1);
    if (!AddRunOnceEntry(kBatchEntryName, batch, true)) throw EInstallError(Fmt(kBatchRunOnceFailed, file.Name()));
}

void TInstallEngine::Extract(TCustomInstallFile& file, const std::string& folder, const std::string& target_name) {
    const std::string archive_path = file.GetExpandedArchiveFile();
    if (Trim(archive_path).empty()) throw EInstallError(Fmt(kBlankArchive, file.Name()));
    TTrnwCompress private_archive;
    TTrnwCompress* archive = &archive_;
    if (!SameText(archive_path, install_->GetExpandedArchiveFile())) {
        archive = &private_archive;
        private_archive.ProcessMessages = archive_.ProcessMessages;
        private_archive.VersionOf = archive_.VersionOf;
    }
    ForceDirectories(folder);
    archive->SetCompressedFile(archive_path);
    archive->SetExtractDirectory(folder);
    archive->SetTargetFileName(target_name);
    archive->SetOverwrite(file.OverwriteMode);
    archive->OnAborted = [](TTrnwCompress&) { throw EAIUserAbort(); };
    archive->OnNewDisk = [this, &file](TTrnwCompress& sender, int disk, std::string& path) {
        DiskPrompt(file, sender, disk, path);
    };
    archive->OnStatus = [this, &file](TTrnwCompress&, const TlzhFileStats& stats) {
        FileProgress(file, stats, ncInstallProgress);
    };
    archive->SetFilesToProcess({file.SourcePath()});
    const std::string written = AddBackslash(folder) + target_name;
    try {
        archive->Extract();
    } catch (...) {
        // Never leave a half-written file in the product folder.
        DeleteFileA(written.c_str());
        archive->OnAborted = nullptr;
        archive->OnNewDisk = nullptr;
        archive->OnStatus = nullptr;
        throw;
    }
    archive->OnAborted = nullptr;
    archive->OnNewDisk = nullptr;
    archive->OnStatus = nullptr;
    if (archive->Abort()) archive_.SetAbort(true);
}

void TInstallEngine::FileProgress(TCustomInstallFile& file, const TlzhFileStats& stats, int code) {
    if (file.OnStatus) file.OnStatus(file, stats.FilePercentDone, stats.TotalPercentDone);
    TFileStatusParam p;
    p.File = &file;
    p.FileBytesDone = stats.FileBytesDone;
    p.FilePercentDone = stats.FilePercentDone;
    p.FileName = file.DestName();
    p.Stats = stats;
    Broadcast(file, bcFileProgress, &p);
    NotifyUp(file, code, &p);
    ProcessMessages();
}

void TInstallEngine::DiskPrompt(TCustomInstallFile& file, TTrnwCompress& archive, int disk, std::string& path) {
    TDiskParam p{disk, RemoveBackslash(path), &file};
    if (file.OnNewDisk) file.OnNewDisk(file, disk, p.Folder);
    file.Tag = 0;
    NotifyUp(file, ncNeedDisk, &p);
    for (TInstallContainer* c = file.Container(); c;) {
        if (auto* g = dynamic_cast<TFileContainer*>(c); g && g->OnNewDisk) g->OnNewDisk(file, disk, p.Folder);
        auto* o = dynamic_cast<TInstallObject*>(c);
        c = o ? o->Container() : nullptr;
    }
    if (!file.OnNewDisk && file.Tag == 0) {
        const int answer = ShowMessage(Translate(Fmt(kInsertDisk, disk)), MB_OKCANCEL | MB_ICONINFORMATION);
        archive.SetAbort(answer != IDOK);
    }
    path = RemoveBackslash(p.Folder);
}

void TInstallEngine::AfterInstallSteps(TCustomInstallFile& file, const std::string& folder) {
    if (file.RegisterAsHelp) RegWriteString(rrLocalMachine, kHelpKey, UpperCase(file.DestName()), folder);
    if (file.UpdateDLLCounter) UpdateDllCounter(file, AddBackslash(folder) + file.DestName());
    if (restart_flag_.count(&file)) {
        AddUnfinished(file.Name(), 0);
    } else if (file.ActiveX()) {
        try {
            RegisterActiveX(file);
        } catch (const std::exception&) {
            deferred_activex_.push_back(&file);
        }
    }
}

void TInstallEngine::UpdateDllCounter(TCustomInstallFile& file, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(kSharedDllsKey).substr(1).c_str(), 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw EInstallError(Fmt(kSharedDllsFailed, file.Name(), static_cast<int>(GetLastError())));
    RegCloseKey(key);
    const std::string short_path = GetShortPath(path);
    std::string name = path;
    int32_t count = 0;
    if (!short_path.empty() && RegValueExists(rrLocalMachine, kSharedDllsKey, short_path)) {
        name = short_path;
        count = RegReadInteger(rrLocalMachine, kSharedDllsKey, short_path, 0);
    } else {
        count = RegReadInteger(rrLocalMachine, kSharedDllsKey, path, 0);
    }
    RegWriteInteger(rrLocalMachine, kSharedDllsKey, name, count + 1);
}

void TInstallEngine::RegisterActiveX(TCustomInstallFile& file) {
    const std::string folder = RemoveBackslash(file.GetExpandedDestDir());
    const std::string path = AddBackslash(folder) + file.DestName();
    if (!FileExistsW32(path)) throw EInstallError(Fmt(kBlankDestDir, file.Name()));
    char previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    if (SameText(ExtractFileExt(path), ".EXE")) {
        SetCurrentDirectoryA(folder.c_str());
        const std::string command = path + " /REGSERVER";
        const UINT r = WinExec(command.c_str(), SW_HIDE);
        SetCurrentDirectoryA(previous);
        if (r < 32)
            throw EInstallError(Fmt(kWinExecFailed, path, command, file.Name(), static_cast<int>(GetLastError())));
        return;
    }
    OleInitialize(nullptr);
    SetCurrentDirectoryA(folder.c_str());
    struct Restore {
        const char* dir;
        ~Restore() {
            SetCurrentDirectoryA(dir);
            OleUninitialize();
        }
    } restore{previous};
    HMODULE lib = LoadLibraryA(path.c_str());
    if (!lib) throw EInstallError(Fmt(kLoadLibraryFailed, path, path, file.Name(), static_cast<int>(GetLastError())));
    using RegisterFn = HRESULT(__stdcall*)();
    auto fn = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(lib, "DllRegisterServer")));
    if (!fn) {
        const int err = static_cast<int>(GetLastError());
        FreeLibrary(lib);
        throw EInstallError(Fmt(kNoDllRegisterServer, path, file.Name(), err));
    }
    const HRESULT hr = fn();
    FreeLibrary(lib);
    if (FAILED(hr)) throw EInstallError(Fmt(kDllRegisterServerFailed, path, static_cast<int>(hr), file.Name()));
}

void TInstallEngine::AddUninstallValue(const std::string& subkey, const std::string& value, bool numbered) {
    const std::string base = std::string(kUninstallRoot) + install_->Information.ProductName + "\\";
    for (int attempt = 0; attempt < (numbered ? kMaxFilesSubkeys : 1); ++attempt) {
        const std::string key = base + subkey + (attempt == 0 ? std::string() : std::to_string(attempt));
        try {
            const int32_t n = RegReadInteger(rrLocalMachine, key, "Entries", 0) + 1;
            RegWriteString(rrLocalMachine, key, Fmt("File%d", n), value);
            RegWriteInteger(rrLocalMachine, key, "Entries", n);
            return;
        } catch (const EIRCannotWriteValue& e) {
            if (!numbered || attempt + 1 == kMaxFilesSubkeys) throw;
        }
    }
}

void TInstallEngine::WriteUninstallEntry(TCustomInstallFile& file) {
    const std::string path = AddBackslash(RemoveBackslash(file.GetExpandedDestDir())) + file.DestName();
    if (file.ActiveX())
        AddUninstallValue("ActiveX", path + ";" + (SameText(ExtractFileExt(path), ".EXE") ? "1" : "0"), false);
    else
        AddUninstallValue("Files", path, true);
}

// ---- Replaced files --------------------------------------------------------------------------

void TInstallEngine::CommitReplacedFiles() {
    for (const Replaced& r : replaced_)
        if (!DeleteFileA(r.Backup.c_str()))
            MoveFileExA(r.Backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    replaced_.clear();
}

std::vector<std::string> TInstallEngine::RestoreReplacedFiles() {
    std::vector<std::string> restored;
    std::vector<Replaced> left;
    for (const Replaced& r : replaced_) {
        DeleteFileA(r.Destination.c_str());
        if (MoveFileA(r.Backup.c_str(), r.Destination.c_str())) restored.push_back(r.Destination);
        else left.push_back(r);
    }
    replaced_ = left;
    return restored;
}

// ---- After the restart -----------------------------------------------------------------------

void TInstallEngine::AfterRebootRun() {
    running_ = true;
    try {
        FindInstallRecord(false);
        std::vector<std::pair<std::string, std::string>> pairs;
        if (!record_key_.empty()) {
            const std::string key = record_key_ + "\\Unfinished";
            for (const std::string& name : RegValueNames(rrLocalMachine, key))
                pairs.emplace_back(name, RegReadString(rrLocalMachine, key, name, ""));
            RegDeleteKeyTree(rrLocalMachine, key);
        }
        for (const auto& [name, number] : pairs) {
            const std::string n = Trim(number);
            if (n != "0" && n != "1") throw EInstallError(Fmt(kInvalidUnfinished, name));
            if (n == "1") {
                DeleteFileA(name.c_str());
                continue;
            }
            for (TCustomInstallFile* f : form_.InstallFiles())
                if (SameText(f->Name(), name)) FinishAfterReboot(*f);
        }
        NotifyGoodInstall();
        Cleanup();
        RemoveInstallRecord();
        if (install_->RunAutomatic) Shutdown();
        RunFilesAfterInstall();
        running_ = false;
    } catch (const EAIUserAbort& e) {
        HandleRunError(&e, true);
    } catch (const std::exception& e) {
        HandleRunError(&e, false);
    }
}

void TInstallEngine::FinishAfterReboot(TCustomInstallFile& file) {
    if (file.ActiveX()) RegisterActiveX(file);
}

// ---- Build mode ------------------------------------------------------------------------------

void TInstallEngine::BuildMode() {
    exit_code_ = 0;
    const std::string program_folder = ExtractFileDir(program_path_);
    try {
        const std::string inf = AddBackslash(program_folder) + "BUILD.INF";
        std::ifstream in(inf, std::ios::binary);
        if (!in) throw EInstallError(kNoBuildInf);
        std::string line;
        if (!std::getline(in, line)) throw EInstallError(kEmptyBuildInf);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        const std::string build = RemoveBackslash(Trim(line));
        if (build.empty()) throw EInstallError(kEmptyBuildInf);
        if (!install_->UseLoadingProgram()) throw EInstallError(kNoStandAlone);
        ForceDirectories(build);

        // setup.1: this program, then the pre-setup files.
        const std::string setup1 = AddBackslash(build) + "setup.1";
        try {
            archive_.SetCompressedFile(setup1);
            archive_.SetFilesToProcess({program_path_});
            archive_.Compress(lzcOverwrite, 0);
            for (const std::string& f : install_->PresetupFiles()) {
                archive_.SetFilesToProcess({f});
                archive_.Compress(lzcOnlyAdd, 0);
            }
        } catch (const EtcDiskFull&) {
            throw EInstallError(kSetup1DiskFull);
        }

        // The kit folder is this program's folder; its marker file says so.
        if (!FileExistsW32(AddBackslash(program_folder) + kKitMarkerFile))
            throw EInstallError(Fmt(kBadKitFolder, kKitRegistryKey));
        const std::string loader = AddBackslash(program_folder) + kLoadingProgramName;
        const std::string setup_exe = AddBackslash(build) + "setup.exe";
        if (!FileExistsW32(loader)) throw EInstallError(Fmt(kNoLoader, loader));
        if (!CopyFileA(loader.c_str(), setup_exe.c_str(), FALSE))
            throw EInstallError(Fmt(kCannotCopyLoader, loader, setup_exe));

        // The product archive: the TInstall's archive points at files.1 for the build.
        const std::string files1 = AddBackslash(build) + "files.1";
        TCustomPathSpecifier* saved_type = install_->ArchiveFileType();
        const std::string saved_file = install_->ArchiveFile();
        install_->SetArchiveFileType(nullptr);
        install_->SetArchiveFile(files1);
        try {
            file_list_.clear();
            net_folders_.clear();
            net_archives_started_.clear();
            CompressTree(*install_, build);
            // The file list of a web or net distribution lies beside the archives it describes.
            if (install_->DistributeType() != dtTraditional)
                for (const std::string& folder : net_folders_) WriteFileList(AddBackslash(folder) + "filelist.lst", file_list_);
        } catch (...) {
            install_->SetArchiveFileType(saved_type);
            install_->SetArchiveFile(saved_file);
            throw;
        }
        install_->SetArchiveFileType(saved_type);
        install_->SetArchiveFile(saved_file);

        BuildSelfExtractingFile(setup_exe, setup1, FileExistsW32(files1) ? files1 : std::string());
    } catch (const std::exception& e) {
        exit_code_ = 1;
        ShowMessage(e.what(), MB_OK | MB_ICONERROR);
    }
}

void TInstallEngine::CompressTree(TInstallObject& object, const std::string& build_folder) {
    if (auto* group = dynamic_cast<TFileContainer*>(&object)) {
        const std::string archive = group->GetExpandedArchiveFile();
        if (group->AddToArchive != lzcOnlyAdd && !Trim(archive).empty()) DeleteFileA(archive.c_str());
        for (TInstallObject* helper : group->Helpers()) CompressTree(*helper, build_folder);
    } else if (auto* file = dynamic_cast<TCustomInstallFile*>(&object)) {
        const TDistributeType dist = install_->DistributeType();
        if (dist == dtWeb || (dist == dtTraditionalNet && file->Net)) CompressNetFile(*file, build_folder);
        else CompressFile(*file);
    }
}

// A network file goes into the folder of its location: into its own archive when it has its own
// location or its policy compares versions or dates, else into its group's archive there.
void TInstallEngine::CompressNetFile(TCustomInstallFile& file, const std::string& build_folder) {
    const std::string folder = NetArchiveFolder(file, build_folder);
    ForceDirectories(folder);
    const bool own = file.NetLocation() != nullptr || file.OverwriteMode == owVersion ||
                     file.OverwriteMode == owDate || file.OverwriteMode == owVersionDate;
    TInstallContainer* group = file.Container();
    const std::string archive =
        AddBackslash(folder) + (own || !group ? file.Name() : group->Name()) + ".1";
    // Each archive starts anew in a build; later files of a group are appended.
    if (net_archives_started_.insert(UpperCase(archive)).second) DeleteFileA(archive.c_str());

    if (file.OnBeforeCompress) file.OnBeforeCompress(file);
    NotifyUp(file, ncBeforeCompress, nullptr);
    archive_.SetCompressedFile(archive);
    archive_.SetFilesToProcess({file.SourcePath()});
    archive_.Compress(lzcOnlyAdd, file.UniqueID());
    NotifyUp(file, ncAfterCompress, nullptr);
    if (file.OnAfterCompress) file.OnAfterCompress(file);

    archive_.SetCompressedFile(archive);
    const int index = archive_.IndexOfID(file.UniqueID());
    if (index >= 0) {
        const TEntryHeader& h = archive_.Headers().GetFileHeaders(index).Header;
        TFileListRecord record;
        record.FileSize = h.FileSize;
        record.FileDate = h.FileDate;
        record.ComponentName = file.Name();
        record.Version = h.Version;
        file_list_.push_back(record);
        net_folders_.insert(folder);
    }
}

void TInstallEngine::CompressFile(TCustomInstallFile& file) {
    const std::string archive = file.GetExpandedArchiveFile();
    if (Trim(archive).empty()) throw EInstallError(Fmt(kBlankArchive, file.Name()));
    if (file.OnBeforeCompress) file.OnBeforeCompress(file);
    NotifyUp(file, ncBeforeCompress, nullptr);
    archive_.SetCompressedFile(archive);
    archive_.SetFilesToProcess({file.SourcePath()});
    archive_.OnStatus = [this, &file](TTrnwCompress&, const TlzhFileStats& stats) {
        FileProgress(file, stats, ncCompressProgress);
    };
    try {
        archive_.Compress(lzcOnlyAdd, file.UniqueID());
    } catch (...) {
        archive_.OnStatus = nullptr;
        throw;
    }
    archive_.OnStatus = nullptr;
    NotifyUp(file, ncAfterCompress, nullptr);
    if (file.OnAfterCompress) file.OnAfterCompress(file);
}

// ---- Floppy transfer -------------------------------------------------------------------------

void TInstallEngine::FloppyTransfer() {
    exit_code_ = 0;
    try {
        if (!cmd_.SelfExtract) throw EInstallError(kFloppyNeedsSelfExtract);
        ShowStatus(Translate(kTransferring));
        const std::string sfx = AddBackslash(source_folder_) + cmd_.SelfExtractName;
        const TSelfExtractTrailer trailer = ReadSelfExtractTrailer(sfx);
        std::ifstream in(sfx, std::ios::binary);
        auto copy_range = [&](const std::string& target, int64_t from, int64_t to, const char* failure) {
            std::ofstream out(target, std::ios::binary | std::ios::trunc);
            if (!out) throw EInstallError(failure);
            in.clear();
            in.seekg(from);
            std::vector<char> block(8192);
            for (int64_t left = to - from; left > 0;) {
                const std::streamsize n = static_cast<std::streamsize>(std::min<int64_t>(left, 8192));
                if (!in.read(block.data(), n) || !out.write(block.data(), n)) throw EInstallError(failure);
                left -= n;
            }
            out.close();
            if (!out) throw EInstallError(failure);
        };
        copy_range("a:\\setup.exe", 0, trailer.SetupStart, kFloppySetupExe);
        copy_range("a:\\setup.1", trailer.SetupStart, int64_t(trailer.SetupEnd) + 1, kFloppySetup1);
        if (trailer.ArchiveStart > 0) {
            archive_.SetCompressedFile(sfx);
            archive_.SetOffset(trailer.ArchiveStart);
            archive_.OnNewDisk = [this](TTrnwCompress&, int disk, std::string&) {
                const int answer = ShowMessage(Translate(Fmt(kInsertFloppy, disk)), MB_OKCANCEL | MB_ICONQUESTION);
                if (answer != IDOK) throw EInstallError(kFloppyAborted);
            };
            archive_.SplitToVolumes("a:", "files.1");
            archive_.OnNewDisk = nullptr;
        }
        HideStatus();
    } catch (const std::exception& e) {
        exit_code_ = 1;
        HideStatus();
        ShowMessage(e.what(), MB_OK | MB_ICONERROR);
    }
}

}  // namespace fnwd
