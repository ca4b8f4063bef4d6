// The real machine behind SystemEnvironment: the registry, the system folders, the file system.
#pragma once

#include "environment.h"

namespace fnwd {

class Win32Environment : public SystemEnvironment {
public:
    std::string ReadRegString(int root, const std::string& key, const std::string& name,
                              const std::string& def) override;
    std::string WindowsDir() override;
    std::string SystemDir() override;
    std::string CurrentDir() override;
    bool FolderExists(const std::string& path) override;
    bool IsSelfRegistering(const std::string& path) override;
};

}  // namespace fnwd
