// System services of the setup program: Windows version class, system folders, temporary file
// names, short paths, folder existence and creation.
#pragma once

#include <string>

namespace fnwd {

enum WindowsVersionClass : int {
    wvWin32s = 0,
    wvWin9x = 1,        // Windows 95 and 98
    wvWinNT4Later = 2,  // Windows NT 4 or later
    wvWinNT35 = 3,      // Windows NT 3.5x
    wvOther = 4,
};

// Throws EAPIRoutines when the system cannot tell.
WindowsVersionClass GetWindowsVersionClass();
// Paths of at most 260 characters; EAPIRoutines on failure.
std::string GetSystemDir();
std::string GetWindowsDir();
std::string GetCurrentDir();

// A unique name in the system's temporary folder with the prefix "bat", created by the system.
// Unless keep is set the file is deleted again and only the name is returned.
// Throws EAPIRoutines "Cannot create a temporary file" when no name can be made.
std::string MakeTempFileName(bool keep = false);

// The 8.3 form of an existing path; empty when the system cannot give one.
std::string GetShortPath(const std::string& path);

// True when the path's attributes can be read and mark a directory.
bool DirectoryExists(const std::string& path);
// Creates the folder with all missing parents (see ForceDirectoriesWith).
bool ForceDirectories(const std::string& path);

}  // namespace fnwd
