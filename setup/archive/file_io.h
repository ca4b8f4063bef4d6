// The file operations the archive component needs, over the C runtime, so that the component
// builds and runs the same on the host and in the Win32 build.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

namespace fnwd::fio {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// A non-empty path not ending in a separator gets the platform's separator appended.
std::string AddSeparator(const std::string& path);
// The part after the last "\" or "/"; the whole text when there is none.
std::string FileNamePart(const std::string& path);
// The part before the last "\" or "/", without it; empty when there is none.
std::string FolderPart(const std::string& path);
// Replaces the extension of the name part (from its last ".") by ext, which includes its dot.
std::string ChangeExtension(const std::string& path, const std::string& ext);

struct FileInfo {
    int64_t Size = 0;
    std::time_t ModTime = 0;
    bool Regular = false;
    bool Directory = false;
};
bool Stat(const std::string& path, FileInfo& info);
bool FileExists(const std::string& path);  // a regular file
bool FolderExists(const std::string& path);
// Creates the folder and every missing parent; true when the folder exists afterwards.
bool CreateFolders(const std::string& path);
bool RemoveFile(const std::string& path);
// Both paths name one existing file (through any spelling or link).
bool SameFile(const std::string& a, const std::string& b);
// Renames over an existing file in one step.
bool ReplaceFile(const std::string& from, const std::string& to);
bool SetModTime(const std::string& path, std::time_t mod_time);
bool ResizeFile(const std::string& path, int64_t size);

// The modification time as the archive's date-time value: the DOS date/time (local time, even
// seconds) of the file. Times before 1980 or after 2107 are clamped to the DOS range.
double FileDateTime(std::time_t mod_time);
// The local time that a date-time value stands for; false when the value is not a DOS date.
bool DateTimeToTime(double date_time, std::time_t& mod_time);

class File {
public:
    enum Mode { kRead, kReadWrite, kCreate };
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File();

    // Opens for shared reading, for reading and writing, or creates anew (truncating).
    bool Open(const std::string& path, Mode mode);
    // Creates a file that did not exist before; fails when the name is taken.
    bool CreateExclusive(const std::string& path);
    void Close();
    bool IsOpen() const { return f_ != nullptr; }
    const std::string& Path() const { return path_; }

    size_t Read(void* buffer, size_t count);
    // Fewer bytes than asked for mean the disk (or the capacity set below) is full.
    size_t Write(const void* buffer, size_t count);
    bool Seek(int64_t position);
    bool SeekEnd();
    int64_t Tell();
    int64_t Size();
    bool Flush();

    // Simulates a disk that holds at most this many bytes of this file (negative: no limit).
    void SetCapacity(int64_t bytes) { capacity_ = bytes; }

private:
    void Attach(std::FILE* f);

    std::FILE* f_ = nullptr;
    std::unique_ptr<char[]> buffer_;  // stdio's own buffer would be one disk block
    std::string path_;
    int64_t capacity_ = -1;
};

// Creates a new, uniquely named file in folder; returns its path or an empty text.
std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, File& file);

}  // namespace fnwd::fio
