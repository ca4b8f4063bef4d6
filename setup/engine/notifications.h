// Codes that install objects send up their container chain and that the engine broadcasts to the
// dialogs, and the parameters that travel with them.
#pragma once

#include "setup/archive/file_headers.h"

#include <cstdint>
#include <string>

namespace fnwd {

class TCustomInstallFile;
class TInstallContainer;

// Sent up the container chain.
inline constexpr int ncFileInstalled = 1001;
inline constexpr int ncBeforeInstallFile = 1002;
inline constexpr int ncReplacingInUse = 1003;
inline constexpr int ncBeforeCompress = 1004;
inline constexpr int ncAfterCompress = 1005;
inline constexpr int ncBeforeCopy = 1006;
inline constexpr int ncAfterCopy = 1007;
inline constexpr int ncInstallProgress = 1008;
inline constexpr int ncCompressProgress = 1009;
inline constexpr int ncCopyProgress = 1010;
inline constexpr int ncNeedDisk = 1011;
inline constexpr int ncGroupStart = 1012;
inline constexpr int ncGroupEnd = 1013;
inline constexpr int ncDownloadProgress = 1014;
inline constexpr int ncSkippedByHandler = 1015;
inline constexpr int ncSkippedByPolicy = 1016;

// Broadcast to the helpers of registered type 9000.
inline constexpr int bcShowStatus = -974;
inline constexpr int bcHideStatus = -973;
inline constexpr int bcBeforeInstall = -980;
inline constexpr int bcGoodInstall = -979;
inline constexpr int bcBadInstall = -978;
inline constexpr int bcReboot = -987;
inline constexpr int bcChangeDisk = -993;
inline constexpr int bcFileProgress = -998;
inline constexpr int bcDownloadProgress = -988;
inline constexpr int bcFilesDone = -996;
inline constexpr int bcReplacingInUse = -997;
inline constexpr int bcAboutGoodInstall = -995;
inline constexpr int bcAboutBadInstall = -994;
inline constexpr int bcGroupStart = -992;
inline constexpr int bcBeforeReadArchiveInfo = -984;
inline constexpr int bcAfterReadArchiveInfo = -983;
// Sent in this order just before bcBeforeInstall so that the pages can prepare.
inline constexpr int kPrepareBroadcasts[] = {-986, -976, -975, -982, -981, -977};

struct TFileStatusParam {
    TCustomInstallFile* File = nullptr;
    int64_t FileBytesDone = 0;
    int FilePercentDone = 0;
    std::string FileName;
    TlzhFileStats Stats;
    int64_t GroupBytesDone = 0;
    int GroupPercentDone = 0;
};

struct TDownloadStatusParam {
    std::string FileName;
    int64_t BytesDone = 0;
    int64_t TotalBytes = 0;
};

struct TDiskParam {
    int DiskNumber = 0;
    std::string Folder;                  // the dialog may change it
    TCustomInstallFile* File = nullptr;  // a dialog that handled the request sets the file's Tag
};

struct TMessageParam {
    std::string Text;
};

// What the wizard pages answer. The engine hands every broadcast to the container's dialogs and
// then to this interface; the wizard puts its page managers behind it.
class TInstallPages {
public:
    virtual ~TInstallPages() = default;
    virtual void Broadcast(TInstallContainer& sender, int code, void* param) = 0;
};

}  // namespace fnwd
