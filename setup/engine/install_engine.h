// The install engine: the behaviour of the configuration's TInstall. It reads the command line,
// keeps the install record, walks the container tree installing every selected file, schedules
// replacements of files in use, records what the uninstaller removes, and builds the distribution.
#pragma once

#include "command_line.h"
#include "notifications.h"

#include "install_objects.h"
#include "setup/archive/trnw_compress.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fnwd {

namespace ui {
class TForm;
}

inline constexpr const char* kInstallRecordRoot = "\\SOFTWARE\\Tarnwick\\Install";
inline constexpr const char* kUninstallRoot = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr const char* kHelpKey = "\\SOFTWARE\\Microsoft\\Windows\\Help";
inline constexpr const char* kSharedDllsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr const char* kKitMarkerFile = "T32V35.TXT";
inline constexpr const char* kLoadingProgramName = "TarnwickLoadProgram.exe";
// Exit code of a run that ends for a restart: the loading program then keeps the setup folder,
// which the after-restart run still needs.
inline constexpr int kExitForRestart = 3010;

// Shows the outcome of the installation until the wizard's pages take over.
class TOutcomeMessagePages : public TInstallPages {
public:
    void Broadcast(TInstallContainer& sender, int code, void* param) override;
    HWND Owner = nullptr;
    std::string ProductName;
};

class TInstallEngine {
public:
    // The configuration must hold a TInstall. The backdrop may be null (no main form).
    TInstallEngine(TConfigForm& configuration, ui::TForm* backdrop);
    ~TInstallEngine();
    TInstallEngine(const TInstallEngine&) = delete;
    TInstallEngine& operator=(const TInstallEngine&) = delete;

    // Everything the program does once the configuration is loaded. Returns true when the program
    // ends at once (build, floppy transfer, after-restart run, a bad command line) with exit_code;
    // otherwise the run starts from the backdrop's first activation inside the message loop.
    bool Loaded(const std::vector<std::string>& args, int& exit_code);

    // Shows a message box (text, MessageBox flags) and returns the button pressed; tests and
    // unattended callers may answer it themselves.
    std::function<int(const std::string& text, UINT flags)> OnMessage;

    // The install record of the running program (created when asked); its removal.
    void FindInstallRecord(bool create);
    void RemoveInstallRecord();

    // The pages that answer the broadcasts (the default shows the outcome in a message box).
    void SetPages(TInstallPages* pages) { pages_ = pages; }

    // Operations of the TInstall used by other parts of the program.
    void StartRun();
    void ShowStatus(const std::string& text);
    void HideStatus();
    void ReadArchiveInfo();
    void AddUnfinished(const std::string& name, int number);
    void RegisterRestartEntry();
    void NotifyGoodInstall();
    void NotifyBadInstall();
    void Cleanup();
    void Shutdown();
    bool UserAbortQuit();
    void Broadcast(TInstallContainer& sender, int code, void* param);
    void NotifyUp(TInstallObject& from, int code, void* param);

    TTrnwCompress& SharedArchive() { return archive_; }
    const TCommandLine& CommandLine() const { return cmd_; }
    const std::string& SourceFolder() const { return source_folder_; }
    const std::string& InstallRecordKey() const { return record_key_; }
    bool Running() const { return running_; }
    int ExitCode() const { return exit_code_; }

private:
    struct ArchiveInfo {
        bool Read = false;
        bool Found = false;
        int32_t CompressedSize = 0;
        int32_t FileSize = 0;
        double FileDate = 0;
        std::string Version;
    };
    struct GroupProgress {
        int64_t Total = 0;
        int64_t Done = 0;
    };
    // A file moved aside so that a new version could be written; restored when the run fails.
    struct Replaced {
        std::string Destination;
        std::string Backup;
    };

    void HookFirstActivation();
    static void CALLBACK FirstActivationTimer(HWND, UINT, UINT_PTR, DWORD);
    void Run();
    void HandleRunError(const std::exception* error, bool user_abort);
    void ProcessContainer(TInstallObject& object);
    void InstallGroup(TFileContainer& group);
    void InstallFile(TCustomInstallFile& file);
    void ReadInfoFromArchive(TCustomInstallFile& file);
    bool InUseCheck(TCustomInstallFile& file, const std::string& folder, std::string& target_name);
    void ScheduleReplacement(TCustomInstallFile& file, const std::string& old_path, const std::string& new_path);
    void Extract(TCustomInstallFile& file, const std::string& folder, const std::string& target_name);
    void AfterInstallSteps(TCustomInstallFile& file, const std::string& folder);
    void RegisterActiveX(TCustomInstallFile& file);
    void UpdateDllCounter(TCustomInstallFile& file, const std::string& path);
    void WriteUninstallEntry(TCustomInstallFile& file);
    void AddUninstallValue(const std::string& subkey, const std::string& value, bool numbered);
    void DiskPrompt(TCustomInstallFile& file, TTrnwCompress& archive, int disk, std::string& path);
    void FileProgress(TCustomInstallFile& file, const TlzhFileStats& stats, int code);
    void GroupReceives(TFileContainer& group, int code, void* param);

    void RestartWindows();
    void RunFilesAfterInstall();
    void AfterRebootRun();
    void FinishAfterReboot(TCustomInstallFile& file);
    void CommitReplacedFiles();
    std::vector<std::string> RestoreReplacedFiles();

    void BuildMode();
    void CompressTree(TInstallObject& object, const std::string& build_folder);
    void CompressFile(TCustomInstallFile& file);
    void CompressNetFile(TCustomInstallFile& file, const std::string& build_folder);
    void FloppyTransfer();

    int ShowMessage(const std::string& text, UINT flags = MB_OK | MB_ICONINFORMATION);
    HWND OwnerWindow() const;
    void ProcessMessages();

    TConfigForm& form_;
    TInstall* install_;
    ui::TForm* backdrop_;
    TOutcomeMessagePages default_pages_;
    TInstallPages* pages_ = nullptr;
    TCommandLine cmd_;
    std::string program_path_;
    std::string source_folder_;
    std::string record_key_;
    std::string downloaded_main_archive_;
    TTrnwCompress archive_;
    bool running_ = false;
    bool activated_ = false;
    bool archive_info_read_ = false;
    bool installation_started_ = false;
    int unfinished_count_ = 0;
    int exit_code_ = 0;
    double run_started_ = 0;
    std::vector<TCustomInstallFile*> deferred_activex_;
    std::map<const TCustomInstallFile*, ArchiveInfo> info_;
    std::set<const TCustomInstallFile*> restart_flag_;
    std::map<const TInstallContainer*, GroupProgress> groups_;
    std::vector<Replaced> replaced_;
    std::string cleanup_batch_;
    std::string status_line_;
    std::string failed_file_;
    std::vector<TFileListRecord> file_list_;       // build: the files packed for the network
    std::set<std::string> net_folders_;            // build: folders that hold network archives
    std::set<std::string> net_archives_started_;   // build: network archives begun in this build  // the file being written when the run failed

    static TInstallEngine* activating_;
};

// The date-time value (days since 1899-12-30, local time) of a file's modification time; 0 when
// the file cannot be read. And of the present moment.
double FileModificationDateTime(const std::string& path);
double NowDateTime();

}  // namespace fnwd
