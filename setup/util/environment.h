// What the portable parts of the setup program need to know about the machine they install on.
//
// The win32 build implements it with the registry and the file system (Win32Environment in
// win_environment.h); host tests give it fixed answers.
#pragma once

#include <string>

namespace fnwd {

// Registry roots as the small codes the configuration and the engine pass around.
enum RegistryRoot : int {
    rrClassesRoot = 0,
    rrCurrentConfig = 1,
    rrCurrentUser = 2,
    rrDynData = 3,
    rrLocalMachine = 4,
    rrUsers = 5,
};

class SystemEnvironment {
public:
    virtual ~SystemEnvironment() = default;
    // A string value, or def when the key or value is missing or cannot be read.
    virtual std::string ReadRegString(int root, const std::string& key, const std::string& name,
                                      const std::string& def) = 0;
    virtual std::string WindowsDir() = 0;
    virtual std::string SystemDir() = 0;
    virtual std::string CurrentDir() = 0;
    virtual bool FolderExists(const std::string& path) = 0;
    // The file's version resource says it registers itself ("OLESelfRegister"); false on any failure.
    virtual bool IsSelfRegistering(const std::string& path) = 0;
};

}  // namespace fnwd
