// TTrnwCompress: reads, writes, extracts and splits the setup program's archives.
//
// One instance serves one operation at a time on the program's single thread. Long operations
// call ProcessMessages at every progress point, which is how a Cancel button reaches Abort.
#pragma once

#include "archive_errors.h"
#include "archive_format.h"
#include "file_headers.h"
#include "file_io.h"
#include "overwrite.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fnwd {

enum TCompressionLevel { colNone, colFastest, colDefault, colMax };
enum TlzhCommand { lzcOverwrite, lzcOnlyAdd };

class TTrnwCompress;
using TNotifyEvent = std::function<void(TTrnwCompress& sender)>;
using TlzhFileStatsEvent = std::function<void(TTrnwCompress& sender, const TlzhFileStats& stats)>;
using TlzhNewDiskEvent = std::function<void(TTrnwCompress& sender, int disk_number, std::string& path)>;

// zlib's level for a TCompressionLevel.
int ZlibLevel(TCompressionLevel level);

class TTrnwCompress {
public:
    TTrnwCompress() = default;
    TTrnwCompress(const TTrnwCompress&) = delete;
    TTrnwCompress& operator=(const TTrnwCompress&) = delete;

    // Published properties.
    bool Abort() const { return abort_; }
    void SetAbort(bool abort) { abort_ = abort; }
    const std::string& CompressedFile() const { return compressed_file_; }
    // Switching between volumes of one set keeps the loaded headers; another archive drops them.
    void SetCompressedFile(const std::string& path);
    TCompressionLevel CompressionLevel() const { return level_; }
    void SetCompressionLevel(TCompressionLevel level) { level_ = level; }
    const std::string& ExtractDirectory() const { return extract_directory_; }
    void SetExtractDirectory(const std::string& folder) { extract_directory_ = folder; }
    const std::vector<std::string>& FilesToProcess() const { return files_to_process_; }
    // Blank lines are dropped.
    void SetFilesToProcess(const std::vector<std::string>& lines);
    void AddFileToProcess(const std::string& line);
    int32_t Offset() const { return offset_; }
    void SetOffset(int32_t offset);
    TOverwriteType Overwrite() const { return overwrite_; }
    void SetOverwrite(TOverwriteType overwrite) { overwrite_ = overwrite; }

    TNotifyEvent OnAborted;
    TlzhFileStatsEvent OnAfterAdding;
    TlzhFileStatsEvent OnBeforeAdding;
    TlzhFileStatsEvent OnBeforeExtracting;
    TNotifyEvent OnFullDisk;
    TlzhNewDiskEvent OnNewDisk;
    TlzhFileStatsEvent OnReplace;
    TlzhFileStatsEvent OnStatus;

    // The name under which the first entry of the next Extract is written; cleared after it.
    const std::string& TargetFileName() const { return target_file_name_; }
    void SetTargetFileName(const std::string& name) { target_file_name_ = name; }

    // Services of the surrounding program.
    std::function<void()> ProcessMessages;  // let pending window messages be processed
    VersionReader VersionOf;                // file version text of a file; none when unset
    // Bytes that a file created for writing may hold (negative: as much as the disk takes). Lets
    // a removable disk of a given capacity be simulated, and disk-full handling be exercised.
    std::function<int64_t(const std::string& path)> DiskCapacity;

    // Operations.
    void ReadHeaders();
    int FileCount();
    TlzhFileStats GetFileStats(int index);
    int IndexOfName(const std::string& name);
    // -1 when no entry carries the ID (also for IDs outside 0..1999).
    int IndexOfID(int id);
    void Compress(bool append, int id);
    void Compress(TlzhCommand command, int id) { Compress(command == lzcOnlyAdd, id); }
    void Extract();
    void SplitToVolumes(const std::string& destination_folder, const std::string& first_volume_name);
    void CopyFile(const std::string& source, const std::string& destination);
    void AddStatus();

    // The loaded entry table (loaded on demand by the operations above).
    const TFileHeaders& Headers() const { return headers_; }
    bool HeadersLoaded() const { return headers_loaded_; }

    enum class Operation { None, Compressing, Extracting };
    Operation CurrentOperation() const { return operation_; }
    int CurrentVolume() const { return current_volume_; }

private:
    void EnsureHeaders();
    void FireStatus(const TlzhFileStatsEvent& event);
    void CheckAbort();
    void Pump();
    // Writes all of count bytes or applies the disk-full rule.
    void WriteAll(fio::File& file, const void* data, size_t count);
    void ApplyCapacity(fio::File& file);
    void FillStats(const TEntryHeader& header);
    void RecomputeTotals();
    void OpenVolume(int volume, fio::File::Mode mode, std::string& path, fio::File& file, bool volume_set);

    // Compress.
    void CompressEntry(int index, int id, fio::File& archive, int32_t& appended_end);
    // Extract.
    void ExtractEntry(const std::string& line);
    void InflateEntry(const TEntryHeader& header, fio::File& volume, fio::File& destination,
                      std::string& volume_path);
    std::string ValidatedTargetName(const TEntryHeader& header) const;
    std::string DestinationPath(const std::string& name) const;

    bool abort_ = false;
    std::string compressed_file_;
    TCompressionLevel level_ = colMax;
    std::string extract_directory_;
    std::vector<std::string> files_to_process_;
    int32_t offset_ = 0;
    TOverwriteType overwrite_ = owAlways;
    std::string target_file_name_;

    TFileHeaders headers_;
    bool headers_loaded_ = false;
    std::array<int32_t, kIdTableSize> id_table_{};
    Operation operation_ = Operation::None;
    int current_volume_ = 0;
    TlzhFileStats stats_;

    // State of the running compression, for AddStatus.
    bool compressing_ = false;
    fio::File* compress_output_ = nullptr;
    int64_t compress_output_start_ = 0;
    int64_t compress_source_position_ = 0;
};

}  // namespace fnwd
