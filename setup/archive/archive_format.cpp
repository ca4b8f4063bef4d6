#include "archive_format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace fnwd {

void PutInt32(uint8_t* p, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

int32_t GetInt32(const uint8_t* p) {
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return static_cast<int32_t>(v);
}

void PutDouble(uint8_t* p, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

double GetDouble(const uint8_t* p) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= uint64_t(p[i]) << (8 * i);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

namespace {

// Header field offsets.
constexpr int kOffSequence = 0;
constexpr int kOffFileDate = 4;
constexpr int kOffLastVolume = 12;
constexpr int kOffDataEnd = 16;
constexpr int kOffFileName = 20;
constexpr int kOffNextHeader = 124;
constexpr int kOffFileSize = 128;
constexpr int kOffDataStart = 132;
constexpr int kOffCompressedSize = 136;
constexpr int kOffFirstVolume = 140;
constexpr int kOffFileID = 144;
constexpr int kOffVersion = 148;

void PutShortString(uint8_t* p, const std::string& text, int max_length) {
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(max_length));
    p[0] = static_cast<uint8_t>(n);
    std::memcpy(p + 1, text.data(), n);
}

bool GetShortString(const uint8_t* p, int max_length, std::string& text) {
    if (p[0] > max_length) return false;
    text.assign(reinterpret_cast<const char*>(p + 1), p[0]);
    return true;
}

void PutCString(uint8_t* p, const std::string& text, int field) {
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(field - 1));
    std::memcpy(p, text.data(), n);
}

std::string GetCString(const uint8_t* p, int field) {
    const void* nul = std::memchr(p, 0, static_cast<size_t>(field));
    const size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - p) : static_cast<size_t>(field);
    return std::string(reinterpret_cast<const char*>(p), n);
}

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t kDateTimeEpoch = -25569;

struct CivilTime {
    int64_t year;
    unsigned month, day, hour, minute, second;
};

bool DecodeDateTime(double date_time, CivilTime& t) {
    if (!std::isfinite(date_time) || date_time < -693593.0 || date_time > 2958466.0) return false;
    double days = std::floor(date_time);
    int64_t ms = std::llround((date_time - days) * 86400000.0);
    if (ms >= 86400000) {
        days += 1;
        ms -= 86400000;
    }
    CivilFromDays(static_cast<int64_t>(days) + kDateTimeEpoch, t.year, t.month, t.day);
    const int64_t secs = ms / 1000;
    t.hour = static_cast<unsigned>(secs / 3600);
    t.minute = static_cast<unsigned>(secs / 60 % 60);
    t.second = static_cast<unsigned>(secs % 60);
    return true;
}

}  // namespace

HeaderBytes EncodeHeader(const TEntryHeader& h) {
    HeaderBytes b{};
    PutInt32(&b[kOffSequence], h.Sequence);
    PutDouble(&b[kOffFileDate], h.FileDate);
    b[kOffLastVolume] = h.LastVolume;
    PutInt32(&b[kOffDataEnd], h.DataEnd);
    PutShortString(&b[kOffFileName], h.FileName, kMaxStoredNameLength);
    PutInt32(&b[kOffNextHeader], h.NextHeader);
    PutInt32(&b[kOffFileSize], h.FileSize);
    PutInt32(&b[kOffDataStart], h.DataStart);
    PutInt32(&b[kOffCompressedSize], h.CompressedSize);
    b[kOffFirstVolume] = h.FirstVolume;
    PutInt32(&b[kOffFileID], h.FileID);
    PutShortString(&b[kOffVersion], h.Version, kMaxStoredVersionLength);
    return b;
}

bool DecodeHeader(const uint8_t* b, TEntryHeader& h) {
    h.Sequence = GetInt32(b + kOffSequence);
    h.FileDate = GetDouble(b + kOffFileDate);
    h.LastVolume = b[kOffLastVolume];
    h.DataEnd = GetInt32(b + kOffDataEnd);
    h.NextHeader = GetInt32(b + kOffNextHeader);
    h.FileSize = GetInt32(b + kOffFileSize);
    h.DataStart = GetInt32(b + kOffDataStart);
    h.CompressedSize = GetInt32(b + kOffCompressedSize);
    h.FirstVolume = b[kOffFirstVolume];
    h.FileID = GetInt32(b + kOffFileID);
    return GetShortString(b + kOffFileName, kMaxStoredNameLength, h.FileName) &&
           GetShortString(b + kOffVersion, kMaxStoredVersionLength, h.Version);
}

std::array<uint8_t, kPreambleSize> EncodePreamble(const TPreamble& p) {
    std::array<uint8_t, kPreambleSize> b{};
    PutInt32(b.data(), p.Count);
    b[4] = p.VolumeSet;
    return b;
}

TPreamble DecodePreamble(const uint8_t* b) { return TPreamble{GetInt32(b), b[4]}; }

std::array<uint8_t, kTrailerSize> EncodeTrailer(const TSelfExtractTrailer& t) {
    std::array<uint8_t, kTrailerSize> b{};
    PutShortString(b.data(), kSelfExtractSignature, 14);
    PutInt32(&b[16], t.SetupStart);
    PutInt32(&b[20], t.SetupEnd);
    PutInt32(&b[24], t.ArchiveStart);
    PutInt32(&b[28], t.ArchiveEnd);
    return b;
}

TSelfExtractTrailer DecodeTrailer(const uint8_t* b) {
    TSelfExtractTrailer t;
    t.SignatureValid = b[0] == 14 && std::memcmp(b + 1, kSelfExtractSignature, 14) == 0;
    t.SetupStart = GetInt32(b + 16);
    t.SetupEnd = GetInt32(b + 20);
    t.ArchiveStart = GetInt32(b + 24);
    t.ArchiveEnd = GetInt32(b + 28);
    return t;
}

std::array<uint8_t, kFileListRecordSize> EncodeFileListRecord(const TFileListRecord& r) {
    std::array<uint8_t, kFileListRecordSize> b{};
    PutInt32(&b[0], r.FileSize);
    PutDouble(&b[4], r.FileDate);
    PutCString(&b[12], r.ComponentName, kFileListNameField);
    PutCString(&b[52], r.Version, kFileListVersionField);
    return b;
}

TFileListRecord DecodeFileListRecord(const uint8_t* b) {
    TFileListRecord r;
    r.FileSize = GetInt32(b);
    r.FileDate = GetDouble(b + 4);
    r.ComponentName = GetCString(b + 12, kFileListNameField);
    r.Version = GetCString(b + 52, kFileListVersionField);
    return r;
}

double DosDateTimeToDateTime(uint16_t dos_date, uint16_t dos_time) {
    const int64_t year = 1980 + (dos_date >> 9);
    const unsigned month = (dos_date >> 5) & 15;
    const unsigned day = dos_date & 31;
    const unsigned hour = dos_time >> 11;
    const unsigned minute = (dos_time >> 5) & 63;
    const unsigned second = (dos_time & 31) * 2;
    const int64_t days = DaysFromCivil(year, month, day) - kDateTimeEpoch;
    return static_cast<double>(days) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

bool DateTimeToDosDateTime(double date_time, uint16_t& dos_date, uint16_t& dos_time) {
    CivilTime t;
    if (!DecodeDateTime(date_time, t) || t.year < 1980 || t.year > 2107) return false;
    dos_date = static_cast<uint16_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
    dos_time = static_cast<uint16_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
    return true;
}

std::string DateTimeToIso(double date_time) {
    CivilTime t;
    if (!DecodeDateTime(date_time, t)) return std::string();
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02u", static_cast<long long>(t.year), t.month,
                  t.day, t.hour, t.minute, t.second);
    return text;
}

}  // namespace fnwd
