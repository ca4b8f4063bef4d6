#include "win_environment.h"

#include "registry.h"
#include "version_resource.h"
#include "win_system.h"

namespace fnwd {

std::string Win32Environment::ReadRegString(int root, const std::string& key, const std::string& name,
                                            const std::string& def) {
    return RegReadString(root, key, name, def);
}
std::string Win32Environment::WindowsDir() { return GetWindowsDir(); }
std::string Win32Environment::SystemDir() { return GetSystemDir(); }
std::string Win32Environment::CurrentDir() { return GetCurrentDir(); }
bool Win32Environment::FolderExists(const std::string& path) { return DirectoryExists(path); }
bool Win32Environment::IsSelfRegistering(const std::string& path) { return fnwd::IsSelfRegistering(path); }

}  // namespace fnwd
