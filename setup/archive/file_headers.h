// The in-memory table of an archive's entries.
#pragma once

#include "archive_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fnwd {

namespace fio {
class File;
}

struct TFileHeader {
    bool ReadFromArchive = false;  // false for a header made from a source file until written
    TEntryHeader Header;
};

struct TlzhFileStats {
    uint8_t FilePercentDone = 0;
    int32_t FileBytesDone = 0;
    std::string FileName;
    int32_t CompressedSize = 0;
    uint8_t CompressionRatio = 0;
    int32_t FileSize = 0;
    TEntryHeader Header;
    uint8_t FileDone = 0;
    uint8_t TotalPercentDone = 0;
    // The totals run over a whole archive, which may hold more than 2 GB uncompressed.
    int64_t TotalBytesDone = 0;
    int64_t TotalCompressedSize = 0;
    uint8_t TotalRatio = 0;
    int64_t TotalFileSize = 0;
};

// round(part / whole * 100) with ties to even, 0 when whole is 0, held to 0..limit.
uint8_t RoundedPercent(double part, double whole, int limit = 100);

class TFileHeaders {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Fails with "%d is an invalid TFileHeader index in TFileHeaders.GetFileHeaders".
    TFileHeader& GetFileHeaders(int index);
    const TFileHeader& GetFileHeaders(int index) const;
    // Fails with "Tried to add an invalid file header" for a blank name.
    void Add(const TFileHeader& header);
    void Clear();

    bool VolumeSet() const { return volume_set_; }
    void SetVolumeSet(bool volume_set) { volume_set_ = volume_set; }

    // First entry whose name equals the first ";"-separated token of name (ASCII case-insensitive).
    int FindByName(const std::string& name) const;
    void ComputeTotals(int64_t& total_compressed, int64_t& total_size) const;

    // Reads the preamble and every header of an archive that starts at offset in file, checking
    // that the headers describe data the file can hold. Returns false (and leaves the list in an
    // undefined state) when the file is short or the headers are inconsistent; *count_read tells
    // whether the preamble itself could be read.
    bool ReadFrom(fio::File& file, int64_t offset, bool* count_read = nullptr);
    // Writes the preamble and, for a volume set, every header back to back after it.
    bool WritePreamble(fio::File& file, int64_t position, int32_t count) const;
    bool WriteAllHeadersBackToBack(fio::File& file) const;

    // Offset just after the last entry's data: where an appended entry goes.
    int64_t EndOfEntries() const;

private:
    std::vector<TFileHeader> items_;
    bool volume_set_ = false;
};

// ASCII case-insensitive comparison, the way the kit compares file names.
bool SameTextAscii(const std::string& a, const std::string& b);

}  // namespace fnwd
