// Helpers of the archive tests: scratch folders, file contents, and an archive writer that shares
// no code with the component, so that the component's reader is checked against the layout itself.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace fnwd::testing {

using Bytes = std::vector<uint8_t>;

// A fresh folder below the test's working folder, removed again at the end of the test.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const;
    // Every file below the folder (relative paths, sorted).
    std::vector<std::string> Files() const;

private:
    std::string path_;
};

Bytes ReadBytes(const std::string& path);
void CreateFolderForTest(const std::string& path);
// Sets a file's modification time to the given local date and time.
void SetLocalModTime(const std::string& path, int year, int month, int day, int hour, int minute, int second);
std::time_t ModTime(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);
// Deterministic data; text-like (compressible) or random.
Bytes TextData(size_t size, unsigned seed);
Bytes RandomData(size_t size, unsigned seed);
Bytes ZlibCompress(const Bytes& data, int level = 6);

void Put32(Bytes& out, size_t at, uint32_t value);
uint32_t Get32(const Bytes& in, size_t at);

struct HandEntry {
    std::string name;
    Bytes data;
    double date = 45000.5;  // 2023-03-15 12:00:00
    std::string version;
    int32_t id = 0;
    Bytes stream;  // filled by the writer: the zlib stream stored for the entry
};

// A single-volume archive laid out byte by byte. Offsets of entry i's header and data are
// returned for tests that corrupt them.
struct HandArchive {
    Bytes bytes;
    std::vector<size_t> header_at;
    std::vector<size_t> data_at;
};
HandArchive BuildSingleVolume(std::vector<HandEntry>& entries);

// A volume set: volume 1 holds the preamble and all headers, data runs on over volumes of at most
// capacity bytes each.
std::vector<Bytes> BuildVolumeSet(std::vector<HandEntry>& entries, size_t capacity);

// Header field offsets, as the layout fixes them.
namespace field {
inline constexpr size_t Sequence = 0, FileDate = 4, LastVolume = 12, DataEnd = 16, FileName = 20, NextHeader = 124,
                        FileSize = 128, DataStart = 132, CompressedSize = 136, FirstVolume = 140, FileID = 144,
                        Version = 148;
}

}  // namespace fnwd::testing
