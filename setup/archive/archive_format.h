// Byte layout of the setup archives, the self-extracting trailer and the remote file list.
//
// The reader and the writer both go through these codecs, so the layout is defined once. Every
// integer is little-endian whatever the host; FileDate is an IEEE double stored the same way.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace fnwd {

inline constexpr int kPreambleSize = 5;
inline constexpr int kHeaderSize = 172;
inline constexpr int kMaxStoredNameLength = 100;
inline constexpr int kMaxStoredVersionLength = 20;
inline constexpr int kIdTableSize = 2000;
inline constexpr int kTrailerSize = 56;
inline constexpr int kFileListRecordSize = 72;
inline constexpr int kFileListNameField = 40;
inline constexpr int kFileListVersionField = 20;
inline constexpr const char* kSelfExtractSignature = "SELFEXTRACTING";

struct TEntryHeader {
    int32_t Sequence = 0;
    double FileDate = 0;  // days since 1899-12-30, fraction = time of day
    uint8_t LastVolume = 0;
    int32_t DataEnd = 0;  // inclusive
    std::string FileName;
    int32_t NextHeader = 0;
    int32_t FileSize = 0;
    int32_t DataStart = 0;
    int32_t CompressedSize = 0;
    uint8_t FirstVolume = 0;
    int32_t FileID = 0;
    std::string Version;

    bool operator==(const TEntryHeader&) const = default;
};

using HeaderBytes = std::array<uint8_t, kHeaderSize>;

// Names and versions longer than their fields are cut.
HeaderBytes EncodeHeader(const TEntryHeader& header);
// False when a length byte claims more characters than its field holds.
bool DecodeHeader(const uint8_t* bytes, TEntryHeader& header);

struct TPreamble {
    int32_t Count = 0;
    uint8_t VolumeSet = 0;
};
std::array<uint8_t, kPreambleSize> EncodePreamble(const TPreamble& preamble);
TPreamble DecodePreamble(const uint8_t* bytes);

struct TSelfExtractTrailer {
    bool SignatureValid = false;  // reported only; readers do not depend on it
    int32_t SetupStart = 0;
    int32_t SetupEnd = 0;
    int32_t ArchiveStart = 0;  // 0 when there is no product archive
    int32_t ArchiveEnd = 0;
};
std::array<uint8_t, kTrailerSize> EncodeTrailer(const TSelfExtractTrailer& trailer);
TSelfExtractTrailer DecodeTrailer(const uint8_t* bytes);

struct TFileListRecord {
    int32_t FileSize = 0;
    double FileDate = 0;
    std::string ComponentName;  // at most 39 characters
    std::string Version;        // at most 19 characters

    bool operator==(const TFileListRecord&) const = default;
};
std::array<uint8_t, kFileListRecordSize> EncodeFileListRecord(const TFileListRecord& record);
TFileListRecord DecodeFileListRecord(const uint8_t* bytes);

// Little-endian primitives.
void PutInt32(uint8_t* p, int32_t value);
int32_t GetInt32(const uint8_t* p);
void PutDouble(uint8_t* p, double value);
double GetDouble(const uint8_t* p);

// Dates: the DOS date/time of a file as the archive's date-time value, and back. DOS dates run
// from 1980 to 2107 with two-second steps; the conversion back fails outside that range and for
// values that are not finite.
double DosDateTimeToDateTime(uint16_t dos_date, uint16_t dos_time);
bool DateTimeToDosDateTime(double date_time, uint16_t& dos_date, uint16_t& dos_time);
// "2024-05-17T13:45:30"; empty when the value is not a valid date.
std::string DateTimeToIso(double date_time);

}  // namespace fnwd
