// Helper of the install scenarios, run under Wine beside the setup program:
//   answer LOG STOP      answers every message box (OK) and appends "caption|text" to LOG,
//                        until the file STOP exists
//   hold FILE READY STOP opens FILE without sharing, creates READY, and holds it until STOP exists
//   setres EXE NAME FILE replaces the RCDATA resource NAME of EXE with the contents of FILE
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

std::string WindowText(HWND w) {
    char buf[4096];
    const int n = GetWindowTextA(w, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

struct Scan {
    std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialogs(HWND w, LPARAM lp) {
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(w)) reinterpret_cast<Scan*>(lp)->dialogs.push_back(w);
    return TRUE;
}

BOOL CALLBACK CollectStatics(HWND w, LPARAM lp) {
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        const std::string t = WindowText(w);
        if (!t.empty()) {
            auto* out = reinterpret_cast<std::string*>(lp);
            if (!out->empty()) *out += " ";
            *out += t;
        }
    }
    return TRUE;
}

int Answer(const char* log, const char* stop) {
    std::set<HWND> answered;
    while (!Exists(stop)) {
        Scan scan;
        EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&scan));
        for (HWND d : scan.dialogs) {
            if (answered.count(d)) continue;
            Sleep(200);  // let the box finish drawing its texts
            std::string text;
            EnumChildWindows(d, CollectStatics, reinterpret_cast<LPARAM>(&text));
            for (char& c : text)
                if (c == '\r' || c == '\n') c = ' ';
            std::ofstream(log, std::ios::app) << WindowText(d) << "|" << text << "\n";
            answered.insert(d);
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        Sleep(100);
    }
    return 0;
}

int Hold(const char* file, const char* ready, const char* stop) {
    HANDLE h = CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s (%lu)\n", file, GetLastError());
        return 1;
    }
    std::ofstream(ready) << "held\n";
    while (!Exists(stop)) Sleep(100);
    CloseHandle(h);
    return 0;
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD lang, LONG_PTR lp) {
    *reinterpret_cast<WORD*>(lp) = lang;
    return FALSE;
}

int SetResource(const char* exe, const char* name, const char* file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::fprintf(stderr, "cannot read %s\n", file), 1;
    std::stringstream ss;
    ss << in.rdbuf();
    std::string data = ss.str();
    WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    if (HMODULE m = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesA(m, MAKEINTRESOURCEA(10), name, FirstLanguage, reinterpret_cast<LONG_PTR>(&lang));
        FreeLibrary(m);
    }
    HANDLE u = BeginUpdateResourceA(exe, FALSE);
    if (!u) return std::fprintf(stderr, "cannot open %s for update (%lu)\n", exe, GetLastError()), 1;
    if (!UpdateResourceA(u, MAKEINTRESOURCEA(10), name, lang, data.data(), static_cast<DWORD>(data.size()))) {
        EndUpdateResourceA(u, TRUE);
        return std::fprintf(stderr, "cannot update %s (%lu)\n", name, GetLastError()), 1;
    }
    if (!EndUpdateResourceA(u, FALSE)) return std::fprintf(stderr, "cannot write %s (%lu)\n", exe, GetLastError()), 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "answer" && argc == 4) return Answer(argv[2], argv[3]);
    if (cmd == "hold" && argc == 5) return Hold(argv[2], argv[3], argv[4]);
    if (cmd == "setres" && argc == 5) return SetResource(argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "usage: fnwd_e2e_helper answer LOG STOP | hold FILE READY STOP | setres EXE NAME FILE\n");
    return 2;
}
