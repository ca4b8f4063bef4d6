#include "trnw_compress.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

namespace fnwd {

namespace {

constexpr size_t kDeflateBufferSize = 65536;   // compressed output is written in blocks of this size
constexpr size_t kInflateInputSize = 65536;
constexpr size_t kInflateChunkSize = 4096;     // extracted data goes out in chunks of this size
// zlib inflates into a larger buffer, which then goes out chunk by chunk: inflating 4 KiB at a time
// costs a quarter of the throughput.
constexpr size_t kInflateOutputSize = 65536;
constexpr size_t kCopyChunkSize = 8192;        // splitting and plain copies
constexpr int kVolumeAttempts = 4;
constexpr int kZlibWindowBits = 15;
constexpr int kZlibMemLevel = 8;
constexpr int64_t kMaxArchivePosition = std::numeric_limits<int32_t>::max();

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string FirstToken(const std::string& line) { return line.substr(0, line.find(';')); }

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Names that Windows maps to devices whatever folder they are in.
bool IsDeviceName(const std::string& name) {
    std::string base = UpperAscii(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDevices)
        if (base == d) return true;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '0' &&
        base[3] <= '9')
        return true;
    return false;
}

// A name may only stand for a plain file directly inside the extraction folder.
bool IsSafeFileName(const std::string& name) {
    if (name.empty()) return false;
    if (name.find_first_not_of(". ") == std::string::npos) return false;  // ".", "..", "..."
    for (unsigned char c : name)
        if (c < 0x20 || std::strchr("<>:\"/\\|?*", c)) return false;
    return !IsDeviceName(name);
}

class ZlibInflater {
public:
    ZlibInflater() {
        if (inflateInit(&zs) != Z_OK) throw EZlibError("cannot start inflating");
    }
    ~ZlibInflater() { inflateEnd(&zs); }
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;
    z_stream zs{};
};

class ZlibDeflater {
public:
    explicit ZlibDeflater(int level) {
        if (deflateInit2(&zs, level, Z_DEFLATED, kZlibWindowBits, kZlibMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
            throw EZlibError("cannot start deflating");
    }
    ~ZlibDeflater() { deflateEnd(&zs); }
    ZlibDeflater(const ZlibDeflater&) = delete;
    ZlibDeflater& operator=(const ZlibDeflater&) = delete;
    z_stream zs{};
};

std::string ZlibDetail(const z_stream& zs, int code) {
    if (zs.msg) return zs.msg;
    return "zlib error " + std::to_string(code);
}

}  // namespace

int ZlibLevel(TCompressionLevel level) {
    switch (level) {
    case colNone: return 0;
    case colFastest: return 1;
    case colDefault: return Z_DEFAULT_COMPRESSION;
    case colMax: return 9;
    }
    return 9;
}

// ---------------------------------------------------------------------------------------------
// Properties

void TTrnwCompress::SetCompressedFile(const std::string& path) {
    if (!SameTextAscii(fio::ChangeExtension(path, ".1"), fio::ChangeExtension(compressed_file_, ".1")))
        headers_loaded_ = false;
    compressed_file_ = path;
}

void TTrnwCompress::SetOffset(int32_t offset) {
    // Another offset in the same file is another archive.
    if (offset != offset_) headers_loaded_ = false;
    offset_ = offset;
}

void TTrnwCompress::SetFilesToProcess(const std::vector<std::string>& lines) {
    files_to_process_.clear();
    for (const std::string& line : lines) AddFileToProcess(line);
}

void TTrnwCompress::AddFileToProcess(const std::string& line) {
    if (!Trimmed(line).empty()) files_to_process_.push_back(line);
}

// ---------------------------------------------------------------------------------------------
// Shared helpers

void TTrnwCompress::Pump() {
    if (ProcessMessages) ProcessMessages();
}

void TTrnwCompress::CheckAbort() {
    if (abort_) throw EtcAborted(msg::kAborted);
}

void TTrnwCompress::FireStatus(const TlzhFileStatsEvent& event) {
    if (event) event(*this, stats_);
}

void TTrnwCompress::ApplyCapacity(fio::File& file) {
    if (DiskCapacity) file.SetCapacity(DiskCapacity(file.Path()));
}

void TTrnwCompress::WriteAll(fio::File& file, const void* data, size_t count) {
    const size_t written = file.Write(data, count);
    if (written == count) return;
    if (OnFullDisk) {
        // The handler may have made room; what did not fit is written once more.
        OnFullDisk(*this);
        ApplyCapacity(file);
        const size_t rest = count - written;
        if (file.Write(static_cast<const uint8_t*>(data) + written, rest) == rest) return;
    }
    throw EtcDiskFull(msg::kDiskFull);
}

void TTrnwCompress::FillStats(const TEntryHeader& header) {
    stats_.FilePercentDone = 0;
    stats_.FileBytesDone = 0;
    stats_.FileName = header.FileName;
    stats_.CompressedSize = header.CompressedSize;
    stats_.FileSize = header.FileSize;
    stats_.CompressionRatio = RoundedPercent(header.CompressedSize, header.FileSize, 255);
    stats_.Header = header;
    stats_.FileDone = 0;
}

void TTrnwCompress::RecomputeTotals() {
    headers_.ComputeTotals(stats_.TotalCompressedSize, stats_.TotalFileSize);
    stats_.TotalRatio = RoundedPercent(static_cast<double>(stats_.TotalCompressedSize),
                                       static_cast<double>(stats_.TotalFileSize), 255);
    stats_.TotalBytesDone = 0;
    stats_.TotalPercentDone = 0;
}

void TTrnwCompress::OpenVolume(int volume, fio::File::Mode mode, std::string& path, fio::File& file,
                               bool volume_set) {
    file.Close();
    for (int attempt = 0; attempt <= kVolumeAttempts; ++attempt) {
        if (volume_set) path = fio::ChangeExtension(path, "." + std::to_string(volume));
        if (fio::FileExists(path)) {
            if (!file.Open(path, mode)) throw ETrnwCompress(FormatMessage(msg::kCannotOpenArchive, path));
            return;
        }
        if (attempt == kVolumeAttempts) break;
        if (!OnNewDisk) throw ETrnwCompress(FormatMessage(msg::kWrongDisk, std::to_string(volume)));
        std::string folder = fio::FolderPart(path);
        OnNewDisk(*this, volume, folder);
        path = fio::AddSeparator(folder) + fio::FileNamePart(path);
    }
    throw ETrnwCompress(FormatMessage(msg::kCannotOpenArchive, path));
}

// ---------------------------------------------------------------------------------------------
// Reading the table of entries

void TTrnwCompress::ReadHeaders() {
    headers_loaded_ = false;
    id_table_.fill(-1);
    fio::File file;
    if (!file.Open(compressed_file_, fio::File::kRead))
        throw ETrnwCompress(FormatMessage(msg::kCannotOpenArchive, compressed_file_));
    if (!headers_.ReadFrom(file, offset_)) {
        headers_.Clear();
        throw ETrnwCompress(msg::kCorruptHeaders);
    }
    for (int i = 0; i < headers_.Count(); ++i) {
        const int32_t id = headers_.GetFileHeaders(i).Header.FileID;
        if (id >= 0 && id < kIdTableSize) id_table_[static_cast<size_t>(id)] = i;
    }
    headers_loaded_ = true;
}

void TTrnwCompress::EnsureHeaders() {
    if (!headers_loaded_ && !compressing_) ReadHeaders();
}

int TTrnwCompress::FileCount() {
    EnsureHeaders();
    return headers_.Count();
}

TlzhFileStats TTrnwCompress::GetFileStats(int index) {
    EnsureHeaders();
    if (index < 0 || index >= headers_.Count())
        throw ETrnwCompress(FormatMessage(msg::kUndefinedFile, std::to_string(index)));
    TlzhFileStats stats;
    std::swap(stats, stats_);
    FillStats(headers_.GetFileHeaders(index).Header);
    RecomputeTotals();
    std::swap(stats, stats_);
    return stats;
}

int TTrnwCompress::IndexOfName(const std::string& name) {
    EnsureHeaders();
    return headers_.FindByName(name);
}

int TTrnwCompress::IndexOfID(int id) {
    EnsureHeaders();
    if (id < 0 || id >= kIdTableSize) return -1;
    return id_table_[static_cast<size_t>(id)];
}

// ---------------------------------------------------------------------------------------------
// Adding files

void TTrnwCompress::Compress(bool append, int id) {
    abort_ = false;
    operation_ = Operation::Compressing;
    offset_ = 0;
    headers_loaded_ = false;
    compressing_ = true;
    ScopeExit cleanup([this] {
        files_to_process_.clear();
        compressing_ = false;
        compress_output_ = nullptr;
        headers_loaded_ = false;
    });

    fio::File archive;
    int completed = 0;           // entries of the archive that are whole on disk
    int64_t end_of_entries = 0;  // offset just after the last whole entry
    bool preamble_written = false;
    try {
        const std::string folder = fio::FolderPart(compressed_file_);
        if (!folder.empty()) fio::CreateFolders(folder);

        headers_.Clear();
        id_table_.fill(-1);
        if (append && fio::FileExists(compressed_file_)) {
            if (!archive.Open(compressed_file_, fio::File::kReadWrite))
                throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, compressed_file_));
            bool count_read = false;
            if (!headers_.ReadFrom(archive, 0, &count_read))
                throw ETrnwCompress(count_read ? msg::kCorruptHeaders : msg::kCannotReadCount);
            if (headers_.VolumeSet())
                throw ETrnwCompress(FormatMessage(msg::kAppendToVolumeSet, compressed_file_));
            // Appending behind bytes that belong to no entry would break the chain of headers.
            if (archive.Size() != headers_.EndOfEntries()) throw ETrnwCompress(msg::kCorruptHeaders);
            for (int i = 0; i < headers_.Count(); ++i) {
                const int32_t old_id = headers_.GetFileHeaders(i).Header.FileID;
                if (old_id >= 0 && old_id < kIdTableSize) id_table_[static_cast<size_t>(old_id)] = i;
            }
        }
        headers_.SetVolumeSet(false);
        completed = headers_.Count();
        end_of_entries = headers_.EndOfEntries();

        // Every source is checked before the archive is touched, so a missing source leaves an
        // existing archive as it was.
        for (size_t k = 0; k < files_to_process_.size(); ++k) {
            const std::string source = FirstToken(files_to_process_[k]);
            TFileHeader h;
            h.Header.Sequence = static_cast<int32_t>(k + 1);
            h.Header.FileName = source.substr(0, kMaxStoredNameLength);
            h.Header.FileID = id;
            if (Trimmed(h.Header.FileName).empty()) throw ETrnwCompress(msg::kInvalidHeader);
            if (fio::SameFile(source, compressed_file_))
                throw ETrnwCompress(FormatMessage(msg::kSourceIsArchive, source));
            fio::File probe;
            fio::FileInfo info;
            if (!probe.Open(source, fio::File::kRead) || !fio::Stat(source, info))
                throw ETrnwCompress(FormatMessage(msg::kCannotOpenFile, source));
            if (info.Size > std::numeric_limits<int32_t>::max())
                throw ETrnwCompress(FormatMessage(msg::kFileTooLarge, source));
            h.Header.FileDate = fio::FileDateTime(info.ModTime);
            h.Header.FileSize = static_cast<int32_t>(info.Size);
            if (VersionOf) h.Header.Version = VersionOf(source).substr(0, kMaxStoredVersionLength);
            headers_.Add(h);
        }

        if (!archive.IsOpen() && !archive.Open(compressed_file_, fio::File::kCreate))
            throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, compressed_file_));
        ApplyCapacity(archive);
        if (!headers_.WritePreamble(archive, 0, headers_.Count())) throw ETrnwCompress(msg::kCannotWriteHeaders);
        preamble_written = true;
        if (!archive.Seek(end_of_entries)) throw ETrnwCompress(msg::kCannotWriteHeaders);

        RecomputeTotals();
        stats_.TotalCompressedSize = 0;  // counts what this call writes
        int32_t position = static_cast<int32_t>(end_of_entries);
        for (int i = completed; i < headers_.Count(); ++i) {
            compress_source_position_ = 0;
            CompressEntry(i, id, archive, position);
            completed = i + 1;
            end_of_entries = position;
        }
        if (!archive.Flush()) throw EtcDiskFull(msg::kDiskFull);
        archive.Close();
    } catch (...) {
        // Keep the archive readable: count only the entries that are whole and drop the rest.
        if (preamble_written && archive.IsOpen()) {
            headers_.WritePreamble(archive, 0, completed);
            archive.Close();
            fio::ResizeFile(compressed_file_, end_of_entries);
        }
        archive.Close();
        try {
            throw;
        } catch (const EtcAborted&) {
            if (OnAborted) OnAborted(*this);
        } catch (const EAbort&) {
        } catch (...) {
            abort_ = true;
            throw;
        }
    }
}

void TTrnwCompress::CompressEntry(int index, int id, fio::File& archive, int32_t& position) {
    TFileHeader& item = headers_.GetFileHeaders(index);
    TEntryHeader& h = item.Header;
    const std::string source = FirstToken(files_to_process_[static_cast<size_t>(h.Sequence - 1)]);

    fio::File input;
    if (!input.Open(source, fio::File::kRead)) throw ETrnwCompress(FormatMessage(msg::kCannotOpenFile, source));
    FillStats(h);
    stats_.CompressedSize = 0;
    FireStatus(OnBeforeAdding);

    const int64_t header_position = position;
    const int64_t data_start = header_position + kHeaderSize;
    h.DataStart = static_cast<int32_t>(std::min<int64_t>(data_start, kMaxArchivePosition));
    {
        const HeaderBytes provisional = EncodeHeader(h);
        if (archive.Write(provisional.data(), provisional.size()) != provisional.size())
            throw ETrnwCompress(msg::kCannotWriteHeaders);
    }

    std::vector<uint8_t> in(kDeflateBufferSize), out(kDeflateBufferSize);
    ZlibDeflater deflater(ZlibLevel(level_));
    z_stream& zs = deflater.zs;
    compress_output_ = &archive;
    compress_output_start_ = data_start;
    bool at_end = false;
    int result = Z_OK;
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    while (result != Z_STREAM_END) {
        if (zs.avail_in == 0 && !at_end) {
            const size_t n = input.Read(in.data(), in.size());
            at_end = n < in.size();
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(n);
        }
        result = deflate(&zs, at_end ? Z_FINISH : Z_NO_FLUSH);
        if (result == Z_STREAM_ERROR) throw EZlibError(ZlibDetail(zs, result));
        compress_source_position_ = static_cast<int64_t>(zs.total_in);
        if (zs.avail_out == 0) {
            WriteAll(archive, out.data(), out.size());
            zs.next_out = out.data();
            zs.avail_out = static_cast<uInt>(out.size());
            AddStatus();
        }
    }
    const size_t pending = out.size() - zs.avail_out;
    if (pending) WriteAll(archive, out.data(), pending);

    const int64_t end = archive.Tell();
    if (end > kMaxArchivePosition) throw ETrnwCompress(FormatMessage(msg::kArchiveTooLarge, compressed_file_));
    // The source may have changed since it was measured; the header tells what was stored.
    if (zs.total_in > static_cast<uLong>(std::numeric_limits<int32_t>::max()))
        throw ETrnwCompress(FormatMessage(msg::kFileTooLarge, source));
    if (static_cast<int64_t>(zs.total_in) != h.FileSize) {
        stats_.TotalFileSize += static_cast<int64_t>(zs.total_in) - h.FileSize;
        h.FileSize = static_cast<int32_t>(zs.total_in);
        stats_.FileSize = h.FileSize;
    }
    const int32_t compressed = static_cast<int32_t>(end - data_start);
    stats_.CompressedSize = compressed;
    stats_.CompressionRatio = RoundedPercent(compressed, h.FileSize, 255);
    stats_.FileDone = 1;
    AddStatus();
    stats_.FileDone = 0;

    stats_.TotalCompressedSize += compressed;
    stats_.TotalRatio = RoundedPercent(static_cast<double>(stats_.TotalCompressedSize),
                                       static_cast<double>(stats_.TotalFileSize), 255);
    h.DataEnd = static_cast<int32_t>(end - 1);
    h.NextHeader = static_cast<int32_t>(end);
    h.CompressedSize = compressed;
    h.FileID = id;
    if (id >= 0 && id < kIdTableSize) id_table_[static_cast<size_t>(id)] = index;

    const HeaderBytes final_header = EncodeHeader(h);
    if (!archive.Seek(header_position) || archive.Write(final_header.data(), final_header.size()) != final_header.size())
        throw ETrnwCompress(msg::kCannotWriteHeaders);
    if (!archive.Seek(end)) throw ETrnwCompress(msg::kCannotWriteHeaders);
    item.ReadFromArchive = true;
    position = static_cast<int32_t>(end);
    compress_output_ = nullptr;
    stats_.Header = h;
    FireStatus(OnAfterAdding);
}

void TTrnwCompress::AddStatus() {
    CheckAbort();
    Pump();
    if (!compress_output_) throw ETrnwCompress(msg::kNilDestFile);
    const int64_t done = std::min<int64_t>(compress_source_position_, std::numeric_limits<int32_t>::max());
    stats_.TotalBytesDone += done - stats_.FileBytesDone;
    stats_.FileBytesDone = static_cast<int32_t>(done);
    stats_.CompressedSize =
        static_cast<int32_t>(std::min<int64_t>(compress_output_->Tell() - compress_output_start_, kMaxArchivePosition));
    stats_.FilePercentDone = RoundedPercent(stats_.FileBytesDone, stats_.FileSize);
    stats_.TotalPercentDone =
        RoundedPercent(static_cast<double>(stats_.TotalBytesDone), static_cast<double>(stats_.TotalFileSize));
    FireStatus(OnStatus);
}

// ---------------------------------------------------------------------------------------------
// Extracting

void TTrnwCompress::Extract() {
    abort_ = false;
    operation_ = Operation::Extracting;
    ScopeExit cleanup([this] {
        files_to_process_.clear();
        target_file_name_.clear();
    });
    try {
        EnsureHeaders();
        current_volume_ = 0;
        RecomputeTotals();
        const std::vector<std::string> lines = files_to_process_;
        for (const std::string& line : lines) ExtractEntry(line);
    } catch (const EtcAborted&) {
        if (OnAborted) OnAborted(*this);
    } catch (const EAbort&) {
    } catch (...) {
        abort_ = true;
        throw;
    }
}

std::string TTrnwCompress::ValidatedTargetName(const TEntryHeader& header) const {
    const std::string name = fio::FileNamePart(target_file_name_);
    if (!IsSafeFileName(name))
        throw ETrnwCompress(FormatMessage(msg::kUnsafeName, header.FileName, compressed_file_, extract_directory_));
    return name;
}

std::string TTrnwCompress::DestinationPath(const std::string& name) const {
    return fio::AddSeparator(extract_directory_) + name;
}

void TTrnwCompress::ExtractEntry(const std::string& line) {
    const int index = headers_.FindByName(line);
    if (index < 0) throw ETrnwCompress(FormatMessage(msg::kNotInArchive, line, compressed_file_));
    const TEntryHeader header = headers_.GetFileHeaders(index).Header;

    FillStats(header);
    if (Trimmed(target_file_name_).empty()) target_file_name_ = fio::FileNamePart(header.FileName);
    FireStatus(OnBeforeExtracting);

    std::string destination = DestinationPath(ValidatedTargetName(header));
    fio::FileInfo existing;
    bool write = true;
    if (fio::Stat(destination, existing)) {
        const TCompareResult decision =
            DecideOverwrite(overwrite_, ArchivedSide{header.Version, header.FileDate, {}}, destination, VersionOf);
        if (decision == crError) throw ETrnwCompress(msg::kCompareFailed);
        write = decision == crArchivedNewer;
        if (write && OnReplace) {
            OnReplace(*this, stats_);
            destination = DestinationPath(ValidatedTargetName(header));
        }
    }
    if (!write) {
        stats_.FileDone = 1;
        FireStatus(OnStatus);
        target_file_name_.clear();
        return;
    }

    fio::File volume;
    std::string volume_path = compressed_file_;
    OpenVolume(header.FirstVolume == 0 ? 1 : header.FirstVolume, fio::File::kRead, volume_path, volume,
               headers_.VolumeSet());
    compressed_file_ = volume_path;
    current_volume_ = header.FirstVolume;

    // The entry goes to a new file beside the destination first, so that a failure or an abort
    // leaves an existing file as it was and never leaves a partial one behind.
    const std::string folder = fio::FolderPart(destination);
    if (!folder.empty()) fio::CreateFolders(folder);
    fio::File output;
    const std::string temp = fio::CreateUniqueFile(folder, "~fw", output);
    if (temp.empty()) throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, destination));
    bool keep_temp = false;
    ScopeExit drop_temp([&] {
        output.Close();
        if (!keep_temp) fio::RemoveFile(temp);
    });
    ApplyCapacity(output);

    if (!volume.Seek(static_cast<int64_t>(offset_) + header.DataStart)) throw ETrnwCompress(msg::kCorruptHeaders);
    InflateEntry(header, volume, output, volume_path);
    if (!output.Flush()) throw EtcDiskFull(msg::kDiskFull);
    output.Close();
    volume.Close();

    stats_.FileDone = 1;
    FireStatus(OnStatus);

    fio::FileInfo written;
    if (!fio::Stat(temp, written) || written.Size != header.FileSize)
        throw ETrnwCompress(FormatMessage(msg::kSizeMismatch, header.FileName));
    std::time_t mod_time;
    if (!fio::DateTimeToTime(header.FileDate, mod_time) || !fio::SetModTime(temp, mod_time))
        throw ETrnwCompress(msg::kCannotSetDate);
    if (!fio::ReplaceFile(temp, destination))
        throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, destination));
    keep_temp = true;
    target_file_name_.clear();
}

void TTrnwCompress::InflateEntry(const TEntryHeader& header, fio::File& volume, fio::File& destination,
                                 std::string& volume_path) {
    std::vector<uint8_t> in(kInflateInputSize), output(kInflateOutputSize);
    ZlibInflater inflater;
    z_stream& zs = inflater.zs;
    // The stored offsets of the volume opened first are relative to the archive start; later
    // volumes hold nothing but data from their byte 0.
    int64_t base = offset_;
    int64_t position = base + header.DataStart;
    const auto limit = [&]() -> int64_t {
        return current_volume_ == header.LastVolume || !headers_.VolumeSet() ? base + header.DataEnd + 1
                                                                             : std::numeric_limits<int64_t>::max();
    };
    const auto more_volumes = [&]() { return headers_.VolumeSet() && current_volume_ < header.LastVolume; };

    bool ended = false;
    for (;;) {
        zs.next_out = output.data();
        zs.avail_out = static_cast<uInt>(output.size());
        bool input_exhausted = false;
        while (zs.avail_out > 0 && !ended) {
            if (zs.avail_in == 0) {
                const int64_t room = limit() - position;
                const size_t want = static_cast<size_t>(std::clamp<int64_t>(room, 0, static_cast<int64_t>(in.size())));
                const size_t n = want ? volume.Read(in.data(), want) : 0;
                if (n == 0) {
                    if (more_volumes()) {
                        ++current_volume_;
                        OpenVolume(current_volume_, fio::File::kRead, volume_path, volume, true);
                        compressed_file_ = volume_path;
                        base = 0;
                        position = 0;
                        continue;
                    }
                    input_exhausted = true;
                    break;
                }
                position += static_cast<int64_t>(n);
                zs.next_in = in.data();
                zs.avail_in = static_cast<uInt>(n);
            }
            const int result = inflate(&zs, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                ended = true;
            } else if (result == Z_NEED_DICT || result == Z_DATA_ERROR || result == Z_MEM_ERROR ||
                       result == Z_STREAM_ERROR) {
                throw EZlibError(ZlibDetail(zs, result));
            }
        }
        const size_t produced = output.size() - zs.avail_out;
        if (static_cast<int64_t>(stats_.FileBytesDone) + static_cast<int64_t>(produced) > header.FileSize)
            throw ETrnwCompress(FormatMessage(msg::kSizeMismatch, header.FileName));

        // Out in chunks: each is followed by the abort check, message processing and OnStatus.
        size_t sent = 0;
        do {
            const size_t n = std::min(kInflateChunkSize, produced - sent);
            CheckAbort();
            Pump();
            if (n == 0) break;
            WriteAll(destination, output.data() + sent, n);
            sent += n;
            stats_.FileBytesDone += static_cast<int32_t>(n);
            stats_.TotalBytesDone += static_cast<int64_t>(n);
            stats_.FilePercentDone = RoundedPercent(stats_.FileBytesDone, stats_.FileSize);
            stats_.TotalPercentDone =
                RoundedPercent(static_cast<double>(stats_.TotalBytesDone), static_cast<double>(stats_.TotalFileSize));
            FireStatus(OnStatus);
        } while (sent < produced);

        if (produced) continue;
        if (ended) break;
        if (input_exhausted) throw EZlibError("unexpected end of compressed data");
    }
    // The entry's data must end exactly where its stream ends.
    if (zs.avail_in > 0 || position < limit() || more_volumes())
        throw EZlibError("compressed data continues after the end of the stream");
}

// ---------------------------------------------------------------------------------------------
// Splitting into volumes

void TTrnwCompress::SplitToVolumes(const std::string& destination_folder, const std::string& first_volume_name) {
    abort_ = false;
    ScopeExit cleanup([this] { files_to_process_.clear(); });
    try {
        EnsureHeaders();
        if (headers_.VolumeSet()) throw ETrnwCompress(FormatMessage(msg::kSplitVolumeSet, compressed_file_));
        current_volume_ = 1;
        RecomputeTotals();

        TFileHeaders set = headers_;
        set.SetVolumeSet(true);
        for (int i = 0; i < set.Count(); ++i)
            set.GetFileHeaders(i).Header.NextHeader = kPreambleSize + (i + 1) * kHeaderSize;

        fio::File source;
        if (!source.Open(compressed_file_, fio::File::kRead))
            throw ETrnwCompress(FormatMessage(msg::kCannotOpenArchive, compressed_file_));

        std::string folder = destination_folder;
        const std::string volume_name = fio::FileNamePart(first_volume_name);
        std::string volume_path = fio::AddSeparator(folder) + volume_name;
        const auto refuse_source = [&](const std::string& path) {
            if (fio::SameFile(path, compressed_file_))
                throw ETrnwCompress(FormatMessage(msg::kVolumeIsSource, path, compressed_file_));
        };
        refuse_source(volume_path);
        fio::File volume;
        if (!volume.Open(volume_path, fio::File::kCreate))
            throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, volume_path));
        ApplyCapacity(volume);
        if (!set.WriteAllHeadersBackToBack(volume)) throw ETrnwCompress(msg::kCannotWriteHeaders);

        std::vector<uint8_t> buffer(kCopyChunkSize);
        for (int i = 0; i < set.Count(); ++i) {
            TEntryHeader& h = set.GetFileHeaders(i).Header;
            FillStats(headers_.GetFileHeaders(i).Header);
            if (!source.Seek(static_cast<int64_t>(offset_) + h.DataStart)) throw ETrnwCompress(msg::kCorruptHeaders);
            h.DataStart = static_cast<int32_t>(volume.Tell());
            h.FirstVolume = static_cast<uint8_t>(current_volume_);
            int64_t remaining = h.CompressedSize;
            while (remaining > 0) {
                CheckAbort();
                const size_t n = source.Read(buffer.data(), static_cast<size_t>(std::min<int64_t>(remaining, buffer.size())));
                if (n == 0) throw ETrnwCompress(msg::kCorruptHeaders);
                Pump();
                size_t written = volume.Write(buffer.data(), n);
                while (written < n) {
                    // The disk is full: the rest of the chunk goes to the start of the next one, and
                    // on to further disks when a disk is smaller than a chunk.
                    volume.Close();
                    if (current_volume_ >= 255) throw ETrnwCompress(msg::kTooLittleSpace);
                    ++current_volume_;
                    if (!OnNewDisk) throw ETrnwCompress(msg::kNoNewDiskHandler);
                    OnNewDisk(*this, current_volume_, folder);
                    volume_path = fio::AddSeparator(folder) +
                                  fio::ChangeExtension(volume_name, "." + std::to_string(current_volume_));
                    refuse_source(volume_path);
                    if (!volume.Open(volume_path, fio::File::kCreate))
                        throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, volume_path));
                    ApplyCapacity(volume);
                    const size_t more = volume.Write(buffer.data() + written, n - written);
                    if (more == 0) throw ETrnwCompress(msg::kTooLittleSpace);
                    written += more;
                }
                remaining -= static_cast<int64_t>(n);
                stats_.FileBytesDone += static_cast<int32_t>(n);
                stats_.TotalBytesDone += static_cast<int64_t>(n);
                stats_.FilePercentDone = RoundedPercent(stats_.FileBytesDone, stats_.CompressedSize);
                stats_.TotalPercentDone = RoundedPercent(static_cast<double>(stats_.TotalBytesDone),
                                                         static_cast<double>(stats_.TotalCompressedSize));
                FireStatus(OnStatus);
            }
            h.DataEnd = static_cast<int32_t>(volume.Tell() - 1);
            h.LastVolume = static_cast<uint8_t>(current_volume_);
        }
        if (!volume.Flush()) throw ETrnwCompress(msg::kTooLittleSpace);
        volume.Close();

        // The final values go to volume 1, which may have to be inserted again.
        std::string first_path = fio::AddSeparator(folder) + volume_name;
        OpenVolume(1, fio::File::kReadWrite, first_path, volume, false);
        if (!set.WriteAllHeadersBackToBack(volume) || !volume.Flush()) throw ETrnwCompress(msg::kCannotWriteHeaders);
    } catch (const EtcAborted&) {
        if (OnAborted) OnAborted(*this);
    } catch (...) {
        abort_ = true;
        throw;
    }
}

// ---------------------------------------------------------------------------------------------
// Plain copies

void TTrnwCompress::CopyFile(const std::string& source, const std::string& destination) {
    abort_ = false;
    SetOffset(0);
    extract_directory_ = fio::FolderPart(destination);
    target_file_name_ = fio::FileNamePart(destination);
    ScopeExit cleanup([this] { target_file_name_.clear(); });

    stats_ = TlzhFileStats();
    stats_.FileName = source;
    std::string target = destination;
    fio::FileInfo existing;
    if (fio::Stat(target, existing)) {
        const std::string version = VersionOf ? VersionOf(source) : std::string();
        const TCompareResult decision = DecideOverwrite(overwrite_, ArchivedSide{version, 0, source}, target, VersionOf);
        if (decision == crError) throw ETrnwCompress(msg::kCompareFailed);
        if (decision != crArchivedNewer) return;
        if (OnReplace) {
            OnReplace(*this, stats_);
            target = fio::AddSeparator(extract_directory_) + target_file_name_;
        }
    }

    fio::File input;
    fio::FileInfo info;
    if (!input.Open(source, fio::File::kRead) || !fio::Stat(source, info))
        throw ETrnwCompress(FormatMessage(msg::kCannotOpenFile, source));
    stats_.FileSize = static_cast<int32_t>(std::min<int64_t>(info.Size, std::numeric_limits<int32_t>::max()));
    stats_.TotalFileSize = info.Size;

    fio::File output;
    const std::string temp = fio::CreateUniqueFile(fio::FolderPart(target), "~fw", output);
    if (temp.empty()) throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, target));
    bool keep_temp = false;
    ScopeExit drop_temp([&] {
        output.Close();
        if (!keep_temp) fio::RemoveFile(temp);
    });
    ApplyCapacity(output);

    std::vector<uint8_t> buffer(kCopyChunkSize);
    int64_t done = 0;
    for (;;) {
        if (abort_) return;
        const size_t n = input.Read(buffer.data(), buffer.size());
        WriteAll(output, buffer.data(), n);
        done += static_cast<int64_t>(n);
        stats_.FileBytesDone = static_cast<int32_t>(std::min<int64_t>(done, std::numeric_limits<int32_t>::max()));
        stats_.TotalBytesDone = done;
        stats_.FilePercentDone = RoundedPercent(static_cast<double>(done), static_cast<double>(info.Size));
        stats_.TotalPercentDone = stats_.FilePercentDone;
        FireStatus(OnStatus);
        Pump();
        if (n < buffer.size()) break;
    }
    if (!output.Flush()) throw EtcDiskFull(msg::kDiskFull);
    output.Close();
    if (!fio::SetModTime(temp, info.ModTime)) throw ETrnwCompress(msg::kCannotSetDate);
    if (!fio::ReplaceFile(temp, target)) throw ETrnwCompress(FormatMessage(msg::kCannotCreateFile, target));
    keep_temp = true;
    stats_.FileDone = 1;
    FireStatus(OnStatus);
}

}  // namespace fnwd
