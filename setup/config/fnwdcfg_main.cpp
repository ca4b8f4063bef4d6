// fnwdcfg: checks a configuration description and prints the configuration it describes.
//
//   fnwdcfg FILE.cfg     prints one line per component (the same text as fnwdsetup --dump-config)
//
// Files named by "include" are read from the description's folder. A description that cannot be
// loaded is reported with its line and the program exits with 1.
#include "config_dump.h"
#include "config_loader.h"
#include "setup/util/str_util.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// Loading a description asks the machine nothing; paths are not expanded here.
class NoMachine : public fnwd::SystemEnvironment {
public:
    std::string ReadRegString(int, const std::string&, const std::string&, const std::string& def) override {
        return def;
    }
    std::string WindowsDir() override { return "C:\\WINDOWS"; }
    std::string SystemDir() override { return "C:\\WINDOWS\\SYSTEM"; }
    std::string CurrentDir() override { return "C:\\"; }
    bool FolderExists(const std::string&) override { return false; }
    bool IsSelfRegistering(const std::string&) override { return false; }
};

bool readFile(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    contents = s.str();
    return true;
}

std::string folderOf(const std::string& path) {
    size_t pos = path.find_last_of("/\\");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fnwdcfg FILE.cfg\n");
        return 2;
    }
    const std::string path = argv[1];
    std::string text;
    if (!readFile(path, text)) {
        std::fprintf(stderr, "fnwdcfg: cannot read %s\n", path.c_str());
        return 1;
    }
    const std::string folder = folderOf(path);
    NoMachine machine;
    try {
        auto form = fnwd::LoadConfiguration(text, machine, [&](const std::string& name, std::string& contents) {
            return readFile(folder + name, contents);
        });
        std::fputs(fnwd::DumpConfiguration(*form).c_str(), stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
        return 1;
    }
    return 0;
}
