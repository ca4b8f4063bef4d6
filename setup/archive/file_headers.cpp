#include "file_headers.h"

#include "archive_errors.h"
#include "file_io.h"

#include <algorithm>
#include <cmath>

namespace fnwd {

namespace {

// Deflate cannot expand data by more than this factor, so a header claiming more is corrupt.
constexpr int64_t kMaxInflateRatio = 1032;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

bool SizesPlausible(const TEntryHeader& h) {
    return h.FileSize >= 0 && h.CompressedSize > 0 &&
           static_cast<int64_t>(h.FileSize) <= static_cast<int64_t>(h.CompressedSize) * kMaxInflateRatio;
}

}  // namespace

bool SameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

uint8_t RoundedPercent(double part, double whole, int limit) {
    if (whole == 0) return 0;
    const double value = std::nearbyint(part / whole * 100.0);
    if (!std::isfinite(value) || value <= 0) return 0;
    return static_cast<uint8_t>(std::min<double>(value, limit));
}

TFileHeader& TFileHeaders::GetFileHeaders(int index) {
    if (index < 0 || index >= Count())
        throw ETrnwCompress(FormatMessage(msg::kBadHeaderIndex, std::to_string(index)));
    return items_[static_cast<size_t>(index)];
}

const TFileHeader& TFileHeaders::GetFileHeaders(int index) const {
    return const_cast<TFileHeaders*>(this)->GetFileHeaders(index);
}

void TFileHeaders::Add(const TFileHeader& header) {
    if (IsBlank(header.Header.FileName)) throw ETrnwCompress(msg::kInvalidHeader);
    items_.push_back(header);
}

void TFileHeaders::Clear() {
    items_.clear();
    volume_set_ = false;
}

int TFileHeaders::FindByName(const std::string& name) const {
    const std::string wanted = name.substr(0, name.find(';'));
    for (int i = 0; i < Count(); ++i)
        if (SameTextAscii(items_[static_cast<size_t>(i)].Header.FileName, wanted)) return i;
    return -1;
}

void TFileHeaders::ComputeTotals(int64_t& total_compressed, int64_t& total_size) const {
    total_compressed = 0;
    total_size = 0;
    for (const TFileHeader& h : items_) {
        total_compressed += h.Header.CompressedSize;
        total_size += h.Header.FileSize;
    }
}

int64_t TFileHeaders::EndOfEntries() const {
    return items_.empty() ? kPreambleSize : items_.back().Header.NextHeader;
}

bool TFileHeaders::ReadFrom(fio::File& file, int64_t offset, bool* count_read) {
    Clear();
    if (count_read) *count_read = false;
    const int64_t file_size = file.Size();
    if (file_size < 0 || offset < 0 || offset > file_size) return false;
    const int64_t avail = file_size - offset;

    uint8_t preamble_bytes[kPreambleSize];
    if (!file.Seek(offset) || file.Read(preamble_bytes, kPreambleSize) != kPreambleSize) return false;
    if (count_read) *count_read = true;
    const TPreamble preamble = DecodePreamble(preamble_bytes);
    if (preamble.VolumeSet > 1 || preamble.Count < 0) return false;
    if (preamble.Count > (avail - kPreambleSize) / kHeaderSize) return false;
    volume_set_ = preamble.VolumeSet == 1;
    items_.reserve(static_cast<size_t>(preamble.Count));

    int64_t p = kPreambleSize;
    int64_t next_free = kPreambleSize;  // entries and headers never overlap what came before
    for (int32_t i = 0; i < preamble.Count; ++i) {
        if (p < next_free || p + kHeaderSize > avail) return false;
        uint8_t bytes[kHeaderSize];
        if (!file.Seek(offset + p) || file.Read(bytes, kHeaderSize) != kHeaderSize) return false;
        TFileHeader h;
        h.ReadFromArchive = true;
        if (!DecodeHeader(bytes, h.Header) || IsBlank(h.Header.FileName)) return false;
        const TEntryHeader& e = h.Header;
        if (!SizesPlausible(e)) return false;
        if (!volume_set_) {
            if (e.FirstVolume > 1 || e.LastVolume > 1) return false;
            if (e.DataStart < p + kHeaderSize) return false;
            if (static_cast<int64_t>(e.DataEnd) != static_cast<int64_t>(e.DataStart) + e.CompressedSize - 1) return false;
            if (e.DataEnd >= avail || e.NextHeader <= e.DataEnd || e.NextHeader > avail) return false;
            next_free = static_cast<int64_t>(e.DataEnd) + 1;
        } else {
            if (e.NextHeader < p + kHeaderSize) return false;
            next_free = p + kHeaderSize;
        }
        items_.push_back(h);
        p = e.NextHeader;
    }

    if (volume_set_) {
        // Data follows the headers on volume 1 and runs on from volume to volume in entry order.
        int64_t vol = 1, pos = next_free;
        for (const TFileHeader& h : items_) {
            const TEntryHeader& e = h.Header;
            if (e.FirstVolume < 1 || e.LastVolume < e.FirstVolume) return false;
            if (e.FirstVolume < vol || (e.FirstVolume == vol && e.DataStart < pos)) return false;
            if (e.DataStart < 0 || e.DataEnd < 0) return false;
            if (e.FirstVolume == e.LastVolume) {
                if (e.DataEnd < e.DataStart) return false;
                if (static_cast<int64_t>(e.CompressedSize) != static_cast<int64_t>(e.DataEnd) - e.DataStart + 1)
                    return false;
            } else if (e.CompressedSize < static_cast<int64_t>(e.DataEnd) + 1) {
                return false;
            }
            if (e.FirstVolume == 1 && e.DataStart > avail) return false;
            if (e.LastVolume == 1 && e.DataEnd >= avail) return false;
            vol = e.LastVolume;
            pos = static_cast<int64_t>(e.DataEnd) + 1;
        }
    }
    return true;
}

bool TFileHeaders::WritePreamble(fio::File& file, int64_t position, int32_t count) const {
    const auto bytes = EncodePreamble(TPreamble{count, static_cast<uint8_t>(volume_set_ ? 1 : 0)});
    return file.Seek(position) && file.Write(bytes.data(), bytes.size()) == bytes.size();
}

bool TFileHeaders::WriteAllHeadersBackToBack(fio::File& file) const {
    if (!WritePreamble(file, 0, Count())) return false;
    for (const TFileHeader& h : items_) {
        const HeaderBytes bytes = EncodeHeader(h.Header);
        if (file.Write(bytes.data(), bytes.size()) != bytes.size()) return false;
    }
    return true;
}

}  // namespace fnwd
