// The machine's well-known folders, as the path specifiers expand them: registry values first,
// fixed fallbacks when a value is missing. None of the results ends in a backslash.
#pragma once

#include "environment.h"

#include <string>

namespace fnwd {

inline constexpr const char* kCurrentVersionKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr const char* kShellFoldersKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kBdeKey = "\\Software\\Borland\\Database Engine";

std::string ProgramFilesFolder(SystemEnvironment& env);
std::string CommonFilesFolder(SystemEnvironment& env);
std::string DesktopFolder(SystemEnvironment& env);
std::string StartMenuFolder(SystemEnvironment& env);
std::string ProgramsMenuFolder(SystemEnvironment& env);
std::string StartupFolder(SystemEnvironment& env);
std::string BdeDllFolder(SystemEnvironment& env);
std::string WindowsFolder(SystemEnvironment& env);
std::string SystemFolder(SystemEnvironment& env);

}  // namespace fnwd
