#include "win_system.h"

#include "exceptions.h"
#include "str_util.h"

#include <windows.h>

namespace fnwd {

WindowsVersionClass GetWindowsVersionClass() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    BOOL ok = GetVersionExA(&info);
#pragma GCC diagnostic pop
    if (!ok) throw EAPIRoutines("Could not get information about the current version of Windows");
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s: return wvWin32s;
    case VER_PLATFORM_WIN32_WINDOWS: return wvWin9x;
    case VER_PLATFORM_WIN32_NT: {
        std::string text = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion);
        return text.find("3.5") != std::string::npos ? wvWinNT35 : wvWinNT4Later;
    }
    default: return wvOther;
    }
}

std::string GetSystemDir() {
    char buf[MAX_PATH + 1];
    UINT n = GetSystemDirectoryA(buf, sizeof buf);
    if (n == 0 || n > MAX_PATH) throw EAPIRoutines("Could not retrieve the system directroy from windows");
    return std::string(buf, n);
}

std::string GetWindowsDir() {
    char buf[MAX_PATH + 1];
    UINT n = GetWindowsDirectoryA(buf, sizeof buf);
    if (n == 0 || n > MAX_PATH) throw EAPIRoutines("Could not retrieve the windows directory from windows");
    return std::string(buf, n);
}

std::string GetCurrentDir() {
    char buf[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    if (n == 0 || n > MAX_PATH) return {};
    return std::string(buf, n);
}

std::string MakeTempFileName(bool keep) {
    char folder[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH) throw EAPIRoutines("Cannot create a temporary file");
    char name[MAX_PATH + 1];
    if (GetTempFileNameA(folder, "bat", 0, name) == 0) throw EAPIRoutines("Cannot create a temporary file");
    if (!keep) DeleteFileA(name);
    return name;
}

std::string GetShortPath(const std::string& path) {
    char buf[MAX_PATH + 1];
    DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
    if (n == 0 || n > MAX_PATH) return {};
    return std::string(buf, n);
}

bool DirectoryExists(const std::string& path) {
    if (path.empty()) return false;
    DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::string& path) {
    return ForceDirectoriesWith(path, DirectoryExists,
                                [](const std::string& dir) { return CreateDirectoryA(dir.c_str(), nullptr) != 0; });
}

}  // namespace fnwd
