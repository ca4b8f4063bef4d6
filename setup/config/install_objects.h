// The install container tree: containers and their helpers, file groups, install files and the
// single TInstall.
#pragma once

#include "component.h"

#include <functional>
#include <string>
#include <vector>

namespace fnwd {

class TInstallObject;
class TCustomInstallFile;

// Registered types: the order of helpers within their container.
inline constexpr int kRegisteredFileContainer = 1000;
inline constexpr int kRegisteredInstallFile = 2000;
inline constexpr int kRegisteredShellLinkGroup = 7000;
inline constexpr int kRegisteredShellLink = 8000;
inline constexpr int kRegisteredDialog = 9000;

using TContainerNotifyEvent = std::function<void(TInstallContainer& sender)>;
using TInstallFileNotifyEvent = std::function<void(TCustomInstallFile& sender)>;
using TInstallFileStatusEvent =
    std::function<void(TCustomInstallFile& sender, int file_percent_done, int total_percent_done)>;
using TInstallFileNewDiskEvent = std::function<void(TCustomInstallFile& sender, int new_disk, std::string& path)>;
using TDataReceivedEvent = std::function<void(TComponent& sender, const std::string& file_name, int64_t bytes,
                                              int64_t total_bytes, int64_t file_size)>;

// Anything that can hold helper components.
class TInstallContainer : public TComponent {
    FNWD_COMPONENT_CLASS()
public:
    TInstallContainer(TConfigForm& owner, const std::string& name);
    ~TInstallContainer() override;

    // The helper list stays sorted by registered type, then Order; outside loading the helpers'
    // Order is renumbered after each change.
    void AddHelper(TInstallObject* helper);
    void RemoveHelper(TInstallObject* helper);
    void RenumberHelpers();
    const std::vector<TInstallObject*>& Helpers() const { return helpers_; }
    int HelperCount() const { return static_cast<int>(helpers_.size()); }
    TInstallObject* Helper(int index) const;
    int CountOf(int registered_type) const;
    TInstallObject* Comp(int index, int registered_type) const;

    TInstallType ChosenInstallType() const { return chosen_type_; }
    // Sets the chosen install type for this container and everything below it.
    void SetChosenInstallType(TInstallType type);

    // Passes a notification code to the helpers of registered type 9000 (dialogs and managers).
    void Broadcast(int code, void* param);
    // Receives a broadcast; the hook lets the wizard attach its behaviour.
    virtual void ReceiveBroadcast(int code, void* param);
    std::function<void(TInstallContainer& receiver, int code, void* param)> OnBroadcast;

    bool Processed = false;

    void Notification(TComponent* removed) override;

protected:
    friend class TInstallObject;
    void InsertSorted(TInstallObject* helper);
    void EraseHelper(TInstallObject* helper);

private:
    std::vector<TInstallObject*> helpers_;
    TInstallType chosen_type_ = itAlways;
};

class TInstallObject : public TInstallContainer {
    FNWD_COMPONENT_CLASS()
public:
    TInstallObject(TConfigForm& owner, const std::string& name);
    ~TInstallObject() override;

    // The code that orders this object among its container's helpers.
    virtual int RegisteredType() const;

    TInstallContainer* Container() const { return container_; }
    virtual void SetContainer(TInstallContainer* container);
    const std::string& DestDir() const { return dest_dir_; }
    virtual void SetDestDir(const std::string& value);
    TCustomPathSpecifier* DestDirType() const { return dest_dir_type_; }
    virtual void SetDestDirType(TCustomPathSpecifier* specifier);
    bool Include = true;
    TInstallTypeSet InstallTypes() const { return install_types_; }
    void SetInstallTypes(TInstallTypeSet types);
    int Order() const { return order_; }
    void SetOrder(int order);

    TContainerNotifyEvent OnBeforeProcess;
    TContainerNotifyEvent OnAfterProcess;

    // Include, and selected for the chosen install type.
    bool IsSelected() const;
    // The expanded DestDirType followed by DestDir, without trailing backslash.
    virtual std::string GetExpandedDestDir() const;

    void Notification(TComponent* removed) override;

protected:
    friend class TInstallContainer;
    // Whether the consistency rules apply (not while loading).
    bool Rules() const { return !Loading(); }
    // Links the container without any rule (loading, and the rules' own moves).
    void AttachContainer(TInstallContainer* container);

    TInstallContainer* container_ = nullptr;
    std::string dest_dir_;
    TCustomPathSpecifier* dest_dir_type_ = nullptr;
    TInstallTypeSet install_types_ = InstallTypeBit(itAlways);
    int order_ = -1;
};

// Adds archive and network settings.
class TFileRelated : public TInstallObject {
    FNWD_COMPONENT_CLASS()
public:
    TFileRelated(TConfigForm& owner, const std::string& name);

    void SetContainer(TInstallContainer* container) override;
    const std::string& ArchiveFile() const { return archive_file_; }
    void SetArchiveFile(const std::string& value);
    TCustomPathSpecifier* ArchiveFileType() const { return archive_file_type_; }
    void SetArchiveFileType(TCustomPathSpecifier* specifier);
    TlzhCommand AddToArchive = lzcOverwrite;
    bool Net = false;
    TCustomNetInstallLocation* NetLocation() const { return net_location_; }
    virtual void SetNetLocation(TCustomNetInstallLocation* location);
    TDataReceivedEvent OnDataReceived;

    std::string GetExpandedArchiveFile() const;

    void Notification(TComponent* removed) override;

protected:
    std::string archive_file_;
    TCustomPathSpecifier* archive_file_type_ = nullptr;
    TCustomNetInstallLocation* net_location_ = nullptr;
};

// A group of files with its own archive and folder.
class TFileContainer : public TFileRelated {
    FNWD_COMPONENT_CLASS()
public:
    TFileContainer(TConfigForm& owner, const std::string& name);
    int RegisteredType() const override { return kRegisteredFileContainer; }

    bool AllowChangeDir = true;
    bool AllowChoice = true;
    std::vector<std::string> Description;
    std::string GroupName;

    TInstallFileNewDiskEvent OnNewDisk;
    TInstallFileNotifyEvent OnReplacing;
    TInstallFileStatusEvent OnStatus;
    TContainerNotifyEvent OnBeforeInstallObjects;
    std::function<void(TFileContainer& sender, bool was_aborted)> OnAfterInstallObjects;
};

// A user-selectable group of files.
class TInstallFileGroup : public TFileContainer {
    FNWD_COMPONENT_CLASS()
public:
    TInstallFileGroup(TConfigForm& owner, const std::string& name);
};

struct TInstallInformation {
    std::string CompanyName = "My Company";
    std::string ProductName = "My product";
    std::string Version = "1.0";
};

// Stored with the configuration; no step of the setup program reads it.
struct TBuildInfo {
    std::string AppName;
    std::string AppURL;
    std::string BuildDirectory = "c:\\build";
    std::string CredentialsFile;
    std::string OCXName = "twsetup";
    std::string PrivateKeyFile;
    bool SignCode = false;
    std::string URLPath;
};

using TInstallNotifyEvent = std::function<void(TInstall& sender)>;
using TInstallContinueEvent = std::function<void(TInstall& sender, bool& flag)>;

class TCustomInstall : public TFileContainer {
    FNWD_COMPONENT_CLASS()
public:
    TCustomInstall(TConfigForm& owner, const std::string& name);
    ~TCustomInstall() override;

    bool AutoMaximizeWindow() const { return auto_maximize_; }
    void SetAutoMaximizeWindow(bool value);
    bool HideMainForm() const { return hide_main_form_; }
    void SetHideMainForm(bool value);
    std::string DialogThemeBitmap = "INSTALLTHEME1";  // name of the picture resource
    TDistributeType DistributeType() const { return distribute_type_; }
    void SetDistributeType(TDistributeType type);
    void SetNetLocation(TCustomNetInstallLocation* location) override;
    TInstallInformation Information;
    TBuildInfo BuildInfo;
    const std::vector<std::string>& PresetupFiles() const { return presetup_files_; }
    void SetPresetupFiles(const std::vector<std::string>& files);
    bool Reboot = false;
    bool RunAutomatic = true;
    bool UseLoadingProgram() const { return use_loading_program_; }
    void SetUseLoadingProgram(bool value);

    // How the program was started (set by the install engine from its command line): the source
    // folder without trailing backslash, and the self-extractor switch with its file name.
    std::string SourceFolder;
    bool SelfExtractSwitch = false;
    std::string SelfExtractName;

    TInstallNotifyEvent OnAfterInitialized, OnBeforeReadArchiveInfo, OnAfterReadArchiveInfo,
        OnBeforeNotifyGoodInstall, OnAfterNotifyGoodInstall, OnBeforeNotifyBadInstall, OnAfterNotifyBadInstall,
        OnFailedReboot;
    TInstallContinueEvent OnBeforeCleanup, OnBeforeReboot, OnBeforeShutdown, OnUserAbort;
    std::function<void(TInstall& sender, TCustomInstallFile& file_to_run, bool& default_action)> OnBeforeRunFile;

    void Notification(TComponent* removed) override;

private:
    bool auto_maximize_ = true;
    bool hide_main_form_ = false;
    TDistributeType distribute_type_ = dtTraditional;
    std::vector<std::string> presetup_files_;
    bool use_loading_program_ = true;
};

// The whole installation: exactly one per program.
class TInstall : public TCustomInstall {
    FNWD_COMPONENT_CLASS()
public:
    // The single instance registers itself with the form (a second one is refused).
    TInstall(TConfigForm& owner, const std::string& name);
    ~TInstall() override;
};

// One file to install.
class TCustomInstallFile : public TFileRelated {
    FNWD_COMPONENT_CLASS()
public:
    TCustomInstallFile(TConfigForm& owner, const std::string& name);
    ~TCustomInstallFile() override;
    int RegisteredType() const override { return kRegisteredInstallFile; }

    void SetContainer(TInstallContainer* container) override;
    const std::string& FileName() const { return file_name_; }
    void SetFileName(const std::string& value);
    const std::string& IncludeFromDir() const { return include_from_dir_; }
    void SetIncludeFromDir(const std::string& value);
    const std::string& DestName() const { return dest_name_; }
    void SetDestName(const std::string& value);
    void SetDestDir(const std::string& value) override;
    void SetDestDirType(TCustomPathSpecifier* specifier) override;
    TInstallFileType FileType() const { return file_type_; }
    void SetFileType(TInstallFileType type);
    TOverwriteType OverwriteMode = owAlways;
    bool ActiveX() const { return active_x_; }
    void SetActiveX(bool value);
    bool RegisterAsHelp = false;
    bool RunAfterInstall = false;
    bool UpdateDLLCounter = false;
    TInstallFileState State() const { return state_; }
    // Runs the operation through OnStateOperation (the install engine's) and returns to ifsNone.
    void SetState(TInstallFileState state);
    std::function<void(TCustomInstallFile& file, TInstallFileState operation)> OnStateOperation;
    int UniqueID() const { return unique_id_; }
    // Loading only: the stored ID (0..1999).
    void SetStoredUniqueID(int id);
    bool HasUniqueID() const { return unique_id_ >= 0; }
    void AssignFreeUniqueID();

    // IncludeFromDir + "\" + FileName: the source at build time and the name inside the archive.
    std::string SourcePath() const;

    TInstallFileNotifyEvent OnBeforeCompress, OnAfterCompress, OnBeforeCopy, OnAfterCopy, OnBeforeInstall,
        OnAfterInstall, OnReplacing;
    TInstallFileStatusEvent OnStatus;
    TInstallFileNewDiskEvent OnNewDisk;

private:
    void CheckContainer(TInstallContainer* container) const;
    void CheckDuplicate(TInstallContainer* container, const std::string& include_from_dir,
                        const std::string& file_name) const;
    void SourceNameChanged();
    void ChangeFileType(TInstallFileType type);
    std::string UpperExtension() const;

    std::string file_name_;
    std::string include_from_dir_;
    std::string dest_name_;
    TInstallFileType file_type_ = iftNormal;
    bool active_x_ = false;
    TInstallFileState state_ = ifsNone;
    int unique_id_ = -1;
};

class TInstallFile : public TCustomInstallFile {
    FNWD_COMPONENT_CLASS()
public:
    TInstallFile(TConfigForm& owner, const std::string& name) : TCustomInstallFile(owner, name) {}
};

// The uninstaller itself, shipped in the archive like any file.
class TUninstallEXE : public TCustomInstallFile {
    FNWD_COMPONENT_CLASS()
public:
    TUninstallEXE(TConfigForm& owner, const std::string& name) : TCustomInstallFile(owner, name) { Net = true; }
};

}  // namespace fnwd
