#include "shipped_configuration.h"

#include "config_dump.h"
#include "config_loader.h"
#include "setup/util/win_environment.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

namespace fnwd {

namespace {

struct BuiltIn {
    const char* file;
    const char* resource;
};
constexpr BuiltIn kBuiltIn[] = {
    {"fenwold.cfg", "FNWD_CONFIG"},
    {"license.txt", "FNWD_LICENSE"},
    {"readme.txt", "FNWD_README"},
};

// The program may be started from a console (tests, product makers): write there if there is one.
void writeStd(DWORD which, const std::string& text) {
    HANDLE h = GetStdHandle(which);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    size_t done = 0;
    while (done < text.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 65536));
        if (!WriteFile(h, text.data() + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

bool hasDumpSwitch() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    bool found = false;
    for (int i = 1; i < argc; ++i)
        if (lstrcmpW(argv[i], L"--dump-config") == 0) found = true;
    LocalFree(argv);
    return found;
}

}  // namespace

bool ReadBuiltInFile(const std::string& name, std::string& contents) {
    for (const BuiltIn& b : kBuiltIn) {
        if (lstrcmpiA(b.file, name.c_str()) != 0) continue;
        HRSRC res = FindResourceA(nullptr, b.resource, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
        if (!res) return false;
        HGLOBAL data = LoadResource(nullptr, res);
        const void* bytes = data ? LockResource(data) : nullptr;
        if (!bytes) return false;
        contents.assign(static_cast<const char*>(bytes), SizeofResource(nullptr, res));
        return true;
    }
    return false;
}

std::unique_ptr<TConfigForm> LoadShippedConfiguration(SystemEnvironment& env) {
    std::string text;
    if (!ReadBuiltInFile("fenwold.cfg", text)) throw IException("The program carries no installation description");
    return LoadConfiguration(text, env, ReadBuiltInFile);
}

bool HandleDumpConfigSwitch(int& exit_code) {
    if (!hasDumpSwitch()) return false;
    AttachConsole(ATTACH_PARENT_PROCESS);
    Win32Environment env;
    try {
        auto form = LoadShippedConfiguration(env);
        writeStd(STD_OUTPUT_HANDLE, DumpConfiguration(*form));
        exit_code = 0;
    } catch (const std::exception& e) {
        writeStd(STD_ERROR_HANDLE, std::string("fenwold.cfg: ") + e.what() + "\n");
        exit_code = 1;
    }
    return true;
}

}  // namespace fnwd
