#include "self_extract.h"

#include "archive_errors.h"
#include "file_headers.h"
#include "file_io.h"

#include <limits>

namespace fnwd {

TSelfExtractTrailer ReadSelfExtractTrailer(const std::string& path) {
    const ETrnwCompress failure(FormatMessage(msg::kCannotReadTrailer, path));
    fio::File file;
    if (!file.Open(path, fio::File::kRead)) throw failure;
    const int64_t size = file.Size();
    uint8_t bytes[kTrailerSize];
    if (size < kTrailerSize || !file.Seek(size - kTrailerSize) || file.Read(bytes, kTrailerSize) != kTrailerSize)
        throw failure;
    const TSelfExtractTrailer t = DecodeTrailer(bytes);
    const int64_t body = size - kTrailerSize;
    const auto inside = [&](int32_t start, int32_t end) { return start >= 0 && start <= end && end < body; };
    if (!inside(t.SetupStart, t.SetupEnd)) throw failure;
    if (t.ArchiveStart != 0 || t.ArchiveEnd != 0) {
        if (!inside(t.ArchiveStart, t.ArchiveEnd) || t.ArchiveStart <= t.SetupEnd) throw failure;
    }
    return t;
}

namespace {

bool AppendFile(fio::File& out, const std::string& path, int32_t& start, int32_t& end) {
    fio::File in;
    if (!in.Open(path, fio::File::kRead)) return false;
    const int64_t first = out.Tell();
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        const size_t n = in.Read(buffer.data(), buffer.size());
        if (n && out.Write(buffer.data(), n) != n) return false;
        if (n < buffer.size()) break;
    }
    const int64_t last = out.Tell() - 1;
    if (last >= std::numeric_limits<int32_t>::max() || last < first) return false;
    start = static_cast<int32_t>(first);
    end = static_cast<int32_t>(last);
    return true;
}

}  // namespace

TSelfExtractTrailer BuildSelfExtractingFile(const std::string& setup_exe, const std::string& setup_archive,
                                            const std::string& product_archive) {
    fio::File out;
    TSelfExtractTrailer t;
    const auto fail = [&](const std::string& what) {
        return ETrnwCompress(FormatMessage(msg::kCannotBuildSelfExtract, what, setup_exe));
    };
    if (!out.Open(setup_exe, fio::File::kReadWrite) || !out.SeekEnd()) throw fail(setup_archive);
    if (!AppendFile(out, setup_archive, t.SetupStart, t.SetupEnd)) throw fail(setup_archive);
    if (!product_archive.empty() && !AppendFile(out, product_archive, t.ArchiveStart, t.ArchiveEnd))
        throw fail(product_archive);
    const auto bytes = EncodeTrailer(t);
    if (out.Write(bytes.data(), bytes.size()) != bytes.size() || !out.Flush()) throw fail(setup_archive);
    t.SignatureValid = true;
    return t;
}

void WriteFileList(const std::string& path, const std::vector<TFileListRecord>& records) {
    for (const TFileListRecord& r : records) {
        if (r.ComponentName.size() >= kFileListNameField)
            throw ETrnwCompress(FormatMessage(msg::kFileListNameTooLong, r.ComponentName));
        if (r.Version.size() >= kFileListVersionField)
            throw ETrnwCompress(FormatMessage(msg::kFileListVersionTooLong, r.Version, r.ComponentName));
    }
    fio::File out;
    if (!out.Open(path, fio::File::kCreate)) throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, path));
    uint8_t count[4];
    PutInt32(count, static_cast<int32_t>(records.size()));
    bool ok = out.Write(count, 4) == 4;
    for (const TFileListRecord& r : records) {
        const auto bytes = EncodeFileListRecord(r);
        ok = ok && out.Write(bytes.data(), bytes.size()) == bytes.size();
    }
    if (!ok || !out.Flush()) {
        out.Close();
        fio::RemoveFile(path);
        throw EtcDiskFull(msg::kDiskFull);
    }
}

std::vector<TFileListRecord> ReadFileList(const std::string& path) {
    fio::File in;
    if (!in.Open(path, fio::File::kRead)) throw ETrnwCompress(FormatMessage(msg::kCannotOpenFile, path));
    const int64_t size = in.Size();
    uint8_t count_bytes[4];
    if (in.Read(count_bytes, 4) != 4) throw ETrnwCompress(FormatMessage(msg::kCorruptFileList, path));
    const int32_t count = GetInt32(count_bytes);
    if (count < 0 || static_cast<int64_t>(count) * kFileListRecordSize > size - 4)
        throw ETrnwCompress(FormatMessage(msg::kCorruptFileList, path));
    std::vector<TFileListRecord> records;
    records.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        uint8_t bytes[kFileListRecordSize];
        if (in.Read(bytes, kFileListRecordSize) != kFileListRecordSize)
            throw ETrnwCompress(FormatMessage(msg::kCorruptFileList, path));
        records.push_back(DecodeFileListRecord(bytes));
    }
    return records;
}

const TFileListRecord* FindFileListRecord(const std::vector<TFileListRecord>& records, const std::string& name) {
    for (const TFileListRecord& r : records)
        if (SameTextAscii(r.ComponentName, name)) return &r;
    return nullptr;
}

}  // namespace fnwd
