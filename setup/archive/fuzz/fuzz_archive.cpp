// Arbitrary bytes as an archive (or as the two volumes of a set): reading the table and extracting
// every entry must end in a result or an exception of the kit, never in a crash, and must write
// nothing but whole entries into the extraction folder.
#include "trnw_compress.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void RemoveWorkDir();

const fs::path& WorkDir() {
    static const fs::path dir = [] {
        std::atexit(RemoveWorkDir);
        return fs::temp_directory_path() / ("fnwd_fuzz_archive_" + std::to_string(getpid()));
    }();
    return dir;
}

void RemoveWorkDir() {
    std::error_code ec;
    fs::remove_all(WorkDir(), ec);
}

void WriteFile(const fs::path& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t mode = data[0];
    const size_t split = (size_t(data[1]) << 8 | data[2]);
    data += 3;
    size -= 3;

    const fs::path dir = WorkDir();
    fs::remove_all(dir);
    fs::create_directories(dir / "out");
    const std::string archive = (dir / "files.1").string();
    if (mode & 1) {  // a volume set spread over two files
        const size_t cut = size ? split % (size + 1) : 0;
        WriteFile(dir / "files.1", data, cut);
        WriteFile(dir / "files.2", data + cut, size - cut);
    } else {
        WriteFile(dir / "files.1", data, size);
    }
    if (mode & 2) WriteFile(dir / "out" / "existing", data, size < 16 ? size : 16);

    fnwd::TTrnwCompress c;
    c.SetCompressedFile(archive);
    c.SetExtractDirectory((dir / "out").string());
    c.SetOverwrite(static_cast<fnwd::TOverwriteType>((mode >> 2) % 5));
    c.SetOffset(mode & 0x20 ? 1 : 0);
    std::set<std::string> entry_names;
    try {
        const int count = c.FileCount();
        for (int i = 0; i < count; ++i)
            entry_names.insert(fnwd::fio::FileNamePart(c.Headers().GetFileHeaders(i).Header.FileName));
        for (int i = 0; i < count; ++i) {
            (void)c.GetFileStats(i);
            c.AddFileToProcess(c.Headers().GetFileHeaders(i).Header.FileName);
        }
        (void)c.IndexOfID(mode);
        c.Extract();
        // Every entry that was written has its full size (where no other entry shares its file name).
        std::map<std::string, int> uses;
        for (int i = 0; i < count; ++i) ++uses[fnwd::fio::FileNamePart(c.Headers().GetFileHeaders(i).Header.FileName)];
        for (int i = 0; i < count; ++i) {
            const auto& h = c.Headers().GetFileHeaders(i).Header;
            const std::string name = fnwd::fio::FileNamePart(h.FileName);
            const fs::path out = dir / "out" / name;
            std::error_code ec;
            if (uses[name] == 1 && name != "existing" && fs::is_regular_file(out, ec) &&
                fs::file_size(out, ec) != static_cast<uintmax_t>(h.FileSize))
                std::abort();
        }
    } catch (const fnwd::Exception&) {
    }
    // Nothing may appear beside the archive, and nothing below the extraction folder but files.
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name != "files.1" && name != "files.2" && name != "out") std::abort();
    }
    for (const auto& e : fs::directory_iterator(dir / "out")) {
        if (!e.is_regular_file()) std::abort();
        const std::string name = e.path().filename().string();
        if (name.rfind("~fw", 0) == 0 && !entry_names.count(name)) std::abort();  // a temporary file left behind
    }
    RemoveWorkDir();  // libFuzzer may end the process without running atexit handlers
    return 0;
}
