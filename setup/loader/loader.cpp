// TarnwickLoadProgram.exe: the start of the self-extracting "setup.exe". It unpacks the setup
// program ("setup.1", behind the loader in its own file) into a new temporary folder, starts it
// there with -e (its own file name), -s (its own folder) and -c, and waits for it.
#include <windows.h>

#include "setup/archive/self_extract.h"
#include "setup/archive/trnw_compress.h"

#include <string>
#include <vector>

namespace {

constexpr int kExitForRestart = 3010;  // the setup program ends for a restart: keep its folder

std::string OwnPath() {
    std::vector<char> buf(MAX_PATH + 1);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::string FolderOf(const std::string& path) {
    const size_t p = path.find_last_of("\\/");
    return p == std::string::npos ? std::string() : path.substr(0, p);
}

std::string NameOf(const std::string& path) {
    const size_t p = path.find_last_of("\\/:");
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string Quote(const std::string& arg) { return "\"" + arg + "\""; }

// A new folder under the temporary folder.
std::string MakeTempFolder() {
    char base[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof base, base);
    if (n == 0 || n > MAX_PATH) return {};
    for (unsigned i = 0; i < 10000; ++i) {
        char name[MAX_PATH + 32];
        wsprintfA(name, "%sfnwd%04X%04X", base, static_cast<unsigned>(GetCurrentProcessId() & 0xFFFF), i);
        if (CreateDirectoryA(name, nullptr)) return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolder(path);
            else DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

int Fail(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Setup", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string self = OwnPath();
    std::string folder;
    std::vector<std::string> unpacked;
    try {
        const fnwd::TSelfExtractTrailer trailer = fnwd::ReadSelfExtractTrailer(self);
        if (trailer.SetupStart <= 0 || trailer.SetupEnd < trailer.SetupStart)
            return Fail("This setup file holds no setup program: " + self);
        folder = MakeTempFolder();
        if (folder.empty()) return Fail("Cannot create a temporary folder for the setup program");

        fnwd::TTrnwCompress archive;
        archive.SetCompressedFile(self);
        archive.SetOffset(trailer.SetupStart);
        archive.SetExtractDirectory(folder);
        const int count = archive.FileCount();
        for (int i = 0; i < count; ++i) {
            const std::string stored = archive.Headers().GetFileHeaders(i).Header.FileName;
            archive.SetTargetFileName(NameOf(stored));
            archive.SetFilesToProcess({stored});
            archive.Extract();
            unpacked.push_back(folder + "\\" + NameOf(stored));
        }
        if (unpacked.empty()) throw fnwd::Exception("This setup file holds no setup program: " + self);
    } catch (const std::exception& e) {
        if (!folder.empty()) RemoveFolder(folder);
        return Fail(e.what());
    }

    // The setup program is the first entry of "setup.1". "setup.exe *TODISK" asks it to copy the
    // distribution to floppy disks.
    std::string command = Quote(unpacked.front()) + " " + Quote("-e" + NameOf(self)) + " " +
                          Quote("-s" + FolderOf(self)) + " -c";
    for (int i = 1; i < __argc; ++i)
        if (lstrcmpiA(__argv[i], "*TODISK") == 0) command += " -f";
    std::vector<char> buf(command.begin(), command.end());
    buf.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        const DWORD err = GetLastError();
        RemoveFolder(folder);
        return Fail("Cannot start the setup program " + unpacked.front() + " (error " + std::to_string(err) + ")");
    }
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    // The setup program's clean-up removes the folder too; this covers a setup program that
    // ended without it. After a run that ends for a restart the folder is still needed.
    if (code != kExitForRestart) {
        for (int attempt = 0; attempt < 20 && GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES; ++attempt) {
            RemoveFolder(folder);
            if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) break;
            Sleep(100);
        }
    }
    return static_cast<int>(code);
}
