#include "shell_folders.h"

#include "str_util.h"

namespace fnwd {

namespace {
std::string currentDrive(SystemEnvironment& env) { return ExtractFileDrive(env.CurrentDir()); }

std::string shellFolder(SystemEnvironment& env, const char* name, const std::string& fallback) {
    return RemoveBackslash(env.ReadRegString(rrCurrentUser, kShellFoldersKey, name, fallback));
}
}  // namespace

std::string WindowsFolder(SystemEnvironment& env) { return RemoveBackslash(env.WindowsDir()); }
std::string SystemFolder(SystemEnvironment& env) { return RemoveBackslash(env.SystemDir()); }

std::string ProgramFilesFolder(SystemEnvironment& env) {
    return RemoveBackslash(env.ReadRegString(rrLocalMachine, kCurrentVersionKey, "ProgramFilesDir",
                                             currentDrive(env) + "\\Program Files"));
}

std::string CommonFilesFolder(SystemEnvironment& env) {
    return RemoveBackslash(env.ReadRegString(rrLocalMachine, kCurrentVersionKey, "CommonFilesDir",
                                             currentDrive(env) + "\\Program Files\\Common Files"));
}

std::string DesktopFolder(SystemEnvironment& env) {
    return shellFolder(env, "Desktop", WindowsFolder(env) + "\\Desktop");
}

std::string StartMenuFolder(SystemEnvironment& env) {
    return shellFolder(env, "Start Menu", WindowsFolder(env) + "\\Startmen");
}

std::string ProgramsMenuFolder(SystemEnvironment& env) {
    return shellFolder(env, "Programs", StartMenuFolder(env) + "\\Programs");
}

std::string StartupFolder(SystemEnvironment& env) {
    return shellFolder(env, "Startup", WindowsFolder(env) + "\\Startup");
}

std::string BdeDllFolder(SystemEnvironment& env) {
    std::string path = env.ReadRegString(rrLocalMachine, kBdeKey, "DLLPath", "");
    if (path.empty()) path = AddBackslash(ProgramFilesFolder(env)) + "Borland\\Common Files\\BDE";
    return RemoveBackslash(Token(path, 1));
}

}  // namespace fnwd
