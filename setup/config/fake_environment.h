// A machine for tests: a registry with exactly the values a test puts there, fixed folders, and a
// list of files whose version resource says they register themselves.
#pragma once

#include "setup/util/environment.h"
#include "setup/util/str_util.h"

#include <map>
#include <set>
#include <string>
#include <tuple>

namespace fnwd {

class FakeEnvironment : public SystemEnvironment {
public:
    std::map<std::tuple<int, std::string, std::string>, std::string> registry;
    std::string windows = "C:\\WINDOWS";
    std::string system = "C:\\WINDOWS\\SYSTEM";
    std::string current = "C:\\SETUP";
    std::set<std::string> folders;
    std::set<std::string> self_registering;  // upper-case paths

    std::string ReadRegString(int root, const std::string& key, const std::string& name,
                              const std::string& def) override {
        auto it = registry.find({root, key, name});
        return it == registry.end() ? def : it->second;
    }
    std::string WindowsDir() override { return windows; }
    std::string SystemDir() override { return system; }
    std::string CurrentDir() override { return current; }
    bool FolderExists(const std::string& path) override { return folders.count(path) > 0; }
    bool IsSelfRegistering(const std::string& path) override { return self_registering.count(UpperCase(path)) > 0; }
};

}  // namespace fnwd
