// Exceptions raised by the archive component, and their fixed messages.
//
// ETrnwCompress and its descendants join the kit's exception tree so that the install engine's
// single handler treats them like every other failure of the kit. A failure reported by zlib is a
// plain Exception with the message "error"; its Detail() keeps zlib's own words for tools and logs.
#pragma once

#include "setup/util/exceptions.h"

#include <string>

namespace fnwd {

class ETrnwCompress : public ETarnwickAbnormal {
public:
    using ETarnwickAbnormal::ETarnwickAbnormal;
};

// A write came up short and no OnFullDisk handler made room.
class EtcDiskFull : public ETrnwCompress {
public:
    using ETrnwCompress::ETrnwCompress;
};

// Abort was set during an operation; the operation catches it itself and fires OnAborted.
class EtcAborted : public ETrnwCompress {
public:
    using ETrnwCompress::ETrnwCompress;
};

class EZlibError : public Exception {
public:
    explicit EZlibError(std::string detail) : Exception("error"), detail_(std::move(detail)) {}
    const std::string& Detail() const { return detail_; }

private:
    std::string detail_;
};

namespace msg {
inline constexpr const char* kCannotOpenArchive = "Cannot open the compressed file %s";
inline constexpr const char* kCorruptHeaders =
    "Could not read the file headers for the compressed file. The Archive file could possible be corrupt";
inline constexpr const char* kCannotReadCount = "Could not read the file header count for the compressed file";
inline constexpr const char* kCannotWriteHeaders = "Could not write the file headers for the compressed file";
inline constexpr const char* kInvalidHeader = "Tried to add an invalid file header";
inline constexpr const char* kBadHeaderIndex = "%d is an invalid TFileHeader index in TFileHeaders.GetFileHeaders";
inline constexpr const char* kUndefinedFile = "Tried to access the %dth file. This file is not defined";
inline constexpr const char* kWrongDisk = "Could not open the correct disk file %d";
inline constexpr const char* kNotInArchive = "The file <%s> was not found in the archive <%s>";
inline constexpr const char* kCompareFailed = "Error comparing file versions in TTrnwCompress";
inline constexpr const char* kCannotOpenFile = "Cannot open the file %s";
inline constexpr const char* kCannotCreateFile = "Cannot create the file %s";
inline constexpr const char* kSizeMismatch =
    "The decompressed file's size does not match with the actual size of the file.  The file is %s";
inline constexpr const char* kCannotSetDate = "Cannot set the date of the file just extracted.";
inline constexpr const char* kDiskFull = "The disk is full";
inline constexpr const char* kNoNewDiskHandler =
    "There was no event handler for the OnNewDisk event, therefore no new disk could be inserted";
inline constexpr const char* kTooLittleSpace = "There is too little space on this disk to operate";
inline constexpr const char* kAborted = "Operation aborted by user";
inline constexpr const char* kNilDestFile = "AddStatus has Nil DestFile";

// Refusals of input that the component cannot handle safely.
inline constexpr const char* kUnsafeName =
    "The file <%s> in the archive <%s> has a name that cannot be used for a file in the folder <%s>";
inline constexpr const char* kAppendToVolumeSet = "Cannot add files to %s because it is a volume set";
inline constexpr const char* kSplitVolumeSet = "Cannot split %s because it is already a volume set";
inline constexpr const char* kFileTooLarge = "The file %s is too large for the compressed file";
inline constexpr const char* kSourceIsArchive = "Cannot add %s to itself";
inline constexpr const char* kVolumeIsSource = "Cannot write the volume %s over the compressed file %s";
inline constexpr const char* kArchiveTooLarge = "The compressed file %s cannot grow beyond 2 GB";

// The self-extracting setup file and the remote file list.
inline constexpr const char* kCannotReadTrailer =
    "Could not read the extraction info from the archive file %s when trying to find the correct offset into the self extracting file";
inline constexpr const char* kCannotBuildSelfExtract =
    "Cannot create the self-extracting exe because %s could not be loaded onto %s";
inline constexpr const char* kCorruptFileList = "The file list %s is corrupt";
inline constexpr const char* kFileListNameTooLong =
    "The component name %s is longer than the 39 characters a file list can hold";
inline constexpr const char* kFileListVersionTooLong =
    "The version %s of %s is longer than the 19 characters a file list can hold";
}  // namespace msg

// Fills %s and %d placeholders in order; "%%" is a percent sign; anything else stays as it is.
std::string FormatMessage(const char* pattern, const std::string& a = std::string(),
                          const std::string& b = std::string(), const std::string& c = std::string());

}  // namespace fnwd
