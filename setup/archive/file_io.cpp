#include "file_io.h"

#include "archive_format.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/utime.h>
#else
#include <unistd.h>
#include <utime.h>
#endif

namespace fnwd::fio {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string AddSeparator(const std::string& path) {
    if (path.empty() || IsSeparator(path.back())) return path;
    return path + kPathSeparator;
}

std::string FileNamePart(const std::string& path) {
    const size_t pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string FolderPart(const std::string& path) {
    const size_t pos = path.find_last_of("\\/");
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string ChangeExtension(const std::string& path, const std::string& ext) {
    const size_t sep = path.find_last_of("\\/");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return path + ext;
    return path.substr(0, dot) + ext;
}

bool Stat(const std::string& path, FileInfo& info) {
#ifdef _WIN32
    struct _stat64 st;
    if (_stat64(path.c_str(), &st) != 0) return false;
    info.Regular = (st.st_mode & _S_IFMT) == _S_IFREG;
    info.Directory = (st.st_mode & _S_IFMT) == _S_IFDIR;
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    info.Regular = S_ISREG(st.st_mode);
    info.Directory = S_ISDIR(st.st_mode);
#endif
    info.Size = static_cast<int64_t>(st.st_size);
    info.ModTime = static_cast<std::time_t>(st.st_mtime);
    return true;
}

bool FileExists(const std::string& path) {
    FileInfo info;
    return Stat(path, info) && info.Regular;
}

bool FolderExists(const std::string& path) {
    FileInfo info;
    return Stat(path, info) && info.Directory;
}

bool CreateFolders(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path), ec);
    return FolderExists(path) || FolderExists(AddSeparator(path));
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), ec) && !ec;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from), std::filesystem::path(to), ec);
    return !ec;
}

bool SetModTime(const std::string& path, std::time_t mod_time) {
#ifdef _WIN32
    struct __utimbuf64 times;
    times.actime = mod_time;
    times.modtime = mod_time;
    return _utime64(path.c_str(), &times) == 0;
#else
    struct utimbuf times;
    times.actime = mod_time;
    times.modtime = mod_time;
    return utime(path.c_str(), &times) == 0;
#endif
}

bool ResizeFile(const std::string& path, int64_t size) {
    std::error_code ec;
    std::filesystem::resize_file(std::filesystem::path(path), static_cast<std::uintmax_t>(size), ec);
    return !ec;
}

double FileDateTime(std::time_t mod_time) {
    const std::tm* local = std::localtime(&mod_time);
    if (!local) return DosDateTimeToDateTime(0x21, 0);  // 1980-01-01
    std::tm t = *local;
    const int year = t.tm_year + 1900;
    if (year < 1980) return DosDateTimeToDateTime(0x21, 0);
    if (year > 2107) return DosDateTimeToDateTime(static_cast<uint16_t>(127 << 9 | 12 << 5 | 31),
                                                  static_cast<uint16_t>(23 << 11 | 59 << 5 | 29));
    const uint16_t dos_date = static_cast<uint16_t>((year - 1980) << 9 | (t.tm_mon + 1) << 5 | t.tm_mday);
    const uint16_t dos_time = static_cast<uint16_t>(t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec / 2);
    return DosDateTimeToDateTime(dos_date, dos_time);
}

bool DateTimeToTime(double date_time, std::time_t& mod_time) {
    uint16_t dos_date, dos_time;
    if (!DateTimeToDosDateTime(date_time, dos_date, dos_time)) return false;
    std::tm t{};
    t.tm_year = 1980 + (dos_date >> 9) - 1900;
    t.tm_mon = ((dos_date >> 5) & 15) - 1;
    t.tm_mday = dos_date & 31;
    t.tm_hour = dos_time >> 11;
    t.tm_min = (dos_time >> 5) & 63;
    t.tm_sec = (dos_time & 31) * 2;
    t.tm_isdst = -1;
    const std::time_t result = std::mktime(&t);
    if (result == static_cast<std::time_t>(-1)) return false;
    mod_time = result;
    return true;
}

File::File(File&& other) noexcept
    : f_(other.f_), buffer_(std::move(other.buffer_)), path_(std::move(other.path_)), capacity_(other.capacity_) {
    other.f_ = nullptr;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        f_ = other.f_;
        buffer_ = std::move(other.buffer_);
        path_ = std::move(other.path_);
        capacity_ = other.capacity_;
        other.f_ = nullptr;
    }
    return *this;
}

File::~File() { Close(); }

namespace {
constexpr size_t kStdioBuffer = 65536;
}  // namespace

void File::Attach(std::FILE* f) {
    f_ = f;
    if (!f_) return;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kStdioBuffer);
    std::setvbuf(f_, buffer_.get(), _IOFBF, kStdioBuffer);
}

bool File::Open(const std::string& path, Mode mode) {
    Close();
    const char* how = mode == kRead ? "rb" : mode == kReadWrite ? "r+b" : "wb";
    Attach(std::fopen(path.c_str(), how));
    if (f_ && mode != kCreate) {
        // Folders open as streams on some systems; only regular files are archives or sources.
        FileInfo info;
        if (!Stat(path, info) || !info.Regular) Close();
    }
    path_ = path;
    capacity_ = -1;
    return f_ != nullptr;
}

bool File::CreateExclusive(const std::string& path) {
    Close();
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return false;
    Attach(_fdopen(fd, "wb"));
    if (!f_) _close(fd);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    Attach(fdopen(fd, "wb"));
    if (!f_) ::close(fd);
#endif
    path_ = path;
    capacity_ = -1;
    return f_ != nullptr;
}

void File::Close() {
    if (f_) std::fclose(f_);
    f_ = nullptr;
}

size_t File::Read(void* buffer, size_t count) {
    if (!f_ || count == 0) return 0;
    return std::fread(buffer, 1, count, f_);
}

size_t File::Write(const void* buffer, size_t count) {
    if (!f_ || count == 0) return 0;
    if (capacity_ >= 0) {
        const int64_t room = capacity_ - Tell();
        if (room <= 0) return 0;
        if (static_cast<int64_t>(count) > room) count = static_cast<size_t>(room);
    }
    return std::fwrite(buffer, 1, count, f_);
}

bool File::Seek(int64_t position) {
    if (!f_ || position < 0) return false;
#ifdef _WIN32
    return _fseeki64(f_, position, SEEK_SET) == 0;
#else
    return fseeko(f_, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

bool File::SeekEnd() {
    if (!f_) return false;
#ifdef _WIN32
    return _fseeki64(f_, 0, SEEK_END) == 0;
#else
    return fseeko(f_, 0, SEEK_END) == 0;
#endif
}

int64_t File::Tell() {
    if (!f_) return -1;
#ifdef _WIN32
    return _ftelli64(f_);
#else
    return static_cast<int64_t>(ftello(f_));
#endif
}

int64_t File::Size() {
    if (!f_) return -1;
    const int64_t here = Tell();
    if (!SeekEnd()) return -1;
    const int64_t size = Tell();
    Seek(here);
    return size;
}

bool File::Flush() { return f_ && std::fflush(f_) == 0; }

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, File& file) {
    static unsigned counter = 0;
#ifdef _WIN32
    const unsigned pid = static_cast<unsigned>(_getpid());
#else
    const unsigned pid = static_cast<unsigned>(getpid());
#endif
    const unsigned seed = pid * 2654435761u ^ static_cast<unsigned>(std::time(nullptr));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "%.3s%08X.tmp", prefix.c_str(), seed + ++counter * 40503u);
        const std::string path = AddSeparator(folder) + name;
        if (file.CreateExclusive(path)) return path;
        if (errno != EEXIST) break;
    }
    return std::string();
}

}  // namespace fnwd::fio
