// fnwdarc: inspects and builds setup archives from the command line.
//
//   fnwdarc list ARCHIVE [--offset N]
//   fnwdarc add ARCHIVE [--append] [--level none|fastest|default|max] [--id N] FILE...
//   fnwdarc extract ARCHIVE DIR [--offset N] [--overwrite always|never|version|date|versiondate] [NAME...]
//   fnwdarc split ARCHIVE DIR [--offset N] [--volume-size BYTES] [--name FIRST_VOLUME]
//   fnwdarc trailer SETUPEXE
//   fnwdarc selfextract SETUPEXE SETUP_ARCHIVE [PRODUCT_ARCHIVE]
//
// list prints one line per entry, fields separated by tabs: stored name, size, compressed size,
// date (ISO 8601, local time), version, FileID, volumes (first-last).
#include "self_extract.h"
#include "trnw_compress.h"

#ifdef FNWDARC_VERSION_RESOURCES
#include "setup/util/version_resource.h"
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using fnwd::TTrnwCompress;

const char* const kUsage =
    "usage:\n"
    "  fnwdarc list ARCHIVE [--offset N]\n"
    "  fnwdarc add ARCHIVE [--append] [--level none|fastest|default|max] [--id N] FILE...\n"
    "  fnwdarc extract ARCHIVE DIR [--offset N] [--overwrite always|never|version|date|versiondate] [NAME...]\n"
    "  fnwdarc split ARCHIVE DIR [--offset N] [--volume-size BYTES] [--name FIRST_VOLUME]\n"
    "  fnwdarc trailer SETUPEXE\n"
    "  fnwdarc selfextract SETUPEXE SETUP_ARCHIVE [PRODUCT_ARCHIVE]\n";

struct UsageError {
    std::string text;
};

// Positional arguments and "--name value" / "--flag" options.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    std::set<std::string> flags;
};

Args Parse(int argc, char** argv, const std::set<std::string>& valued, const std::set<std::string>& flags) {
    Args a;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const std::string name = arg.substr(2);
            if (flags.count(name)) {
                a.flags.insert(name);
            } else if (valued.count(name)) {
                if (i + 1 >= argc) throw UsageError{"option " + arg + " needs a value"};
                a.options[name] = argv[++i];
            } else {
                throw UsageError{"unknown option " + arg};
            }
        } else {
            a.positional.push_back(arg);
        }
    }
    return a;
}

long long Number(const std::string& text, const char* what, long long low, long long high) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end || errno || v < low || v > high) throw UsageError{std::string("bad ") + what + ": " + text};
    return v;
}

void SetUp(TTrnwCompress& c) {
#ifdef FNWDARC_VERSION_RESOURCES
    c.VersionOf = [](const std::string& path) { return fnwd::ReadFileVersion(path); };
#else
    (void)c;
#endif
}

void ApplyOffset(TTrnwCompress& c, const Args& a) {
    if (a.options.count("offset")) c.SetOffset(static_cast<int32_t>(Number(a.options.at("offset"), "offset", 0, 0x7FFFFFFF)));
}

int List(int argc, char** argv) {
    const Args a = Parse(argc, argv, {"offset"}, {});
    if (a.positional.size() != 1) throw UsageError{"list needs ARCHIVE"};
    TTrnwCompress c;
    SetUp(c);
    c.SetCompressedFile(a.positional[0]);
    ApplyOffset(c, a);
    const int n = c.FileCount();
    for (int i = 0; i < n; ++i) {
        const fnwd::TEntryHeader& h = c.Headers().GetFileHeaders(i).Header;
        std::printf("%s\t%d\t%d\t%s\t%s\t%d\t%d-%d\n", h.FileName.c_str(), h.FileSize, h.CompressedSize,
                    fnwd::DateTimeToIso(h.FileDate).c_str(), h.Version.c_str(), h.FileID, h.FirstVolume,
                    h.LastVolume);
    }
    return 0;
}

int Add(int argc, char** argv) {
    const Args a = Parse(argc, argv, {"level", "id"}, {"append"});
    if (a.positional.size() < 2) throw UsageError{"add needs ARCHIVE and at least one FILE"};
    TTrnwCompress c;
    SetUp(c);
    c.SetCompressedFile(a.positional[0]);
    if (a.options.count("level")) {
        static const std::map<std::string, fnwd::TCompressionLevel> levels = {
            {"none", fnwd::colNone}, {"fastest", fnwd::colFastest}, {"default", fnwd::colDefault}, {"max", fnwd::colMax}};
        const auto it = levels.find(a.options.at("level"));
        if (it == levels.end()) throw UsageError{"bad level: " + a.options.at("level")};
        c.SetCompressionLevel(it->second);
    }
    const int id = a.options.count("id") ? static_cast<int>(Number(a.options.at("id"), "id", -0x7FFFFFFF, 0x7FFFFFFF)) : -1;
    for (size_t i = 1; i < a.positional.size(); ++i) {
        const std::string& file = a.positional[i];
        if (file.find(';') != std::string::npos) throw UsageError{"a file name cannot contain ';': " + file};
        if (file.size() > fnwd::kMaxStoredNameLength)
            std::fprintf(stderr, "fnwdarc: warning: %s is stored under its first %d characters\n", file.c_str(),
                         fnwd::kMaxStoredNameLength);
        c.AddFileToProcess(file);
    }
    bool aborted = false;
    c.OnAborted = [&](TTrnwCompress&) { aborted = true; };
    c.Compress(a.flags.count("append") > 0, id);
    return aborted ? 1 : 0;
}

int Extract(int argc, char** argv) {
    const Args a = Parse(argc, argv, {"offset", "overwrite"}, {});
    if (a.positional.size() < 2) throw UsageError{"extract needs ARCHIVE and DIR"};
    TTrnwCompress c;
    SetUp(c);
    c.SetCompressedFile(a.positional[0]);
    ApplyOffset(c, a);
    c.SetExtractDirectory(a.positional[1]);
    if (a.options.count("overwrite")) {
        static const std::map<std::string, fnwd::TOverwriteType> policies = {
            {"always", fnwd::owAlways}, {"never", fnwd::owNever}, {"version", fnwd::owVersion},
            {"date", fnwd::owDate}, {"versiondate", fnwd::owVersionDate}};
        const auto it = policies.find(a.options.at("overwrite"));
        if (it == policies.end()) throw UsageError{"bad overwrite policy: " + a.options.at("overwrite")};
        c.SetOverwrite(it->second);
    }
    std::vector<std::string> names(a.positional.begin() + 2, a.positional.end());
    if (names.empty()) {
        // Every entry once; a name stored twice stands for its first entry.
        const int n = c.FileCount();
        for (int i = 0; i < n; ++i) {
            const std::string& name = c.Headers().GetFileHeaders(i).Header.FileName;
            if (c.IndexOfName(name) == i) names.push_back(name);
        }
    }
    c.SetFilesToProcess(names);
    bool aborted = false;
    c.OnAborted = [&](TTrnwCompress&) { aborted = true; };
    c.Extract();
    return aborted ? 1 : 0;
}

int Split(int argc, char** argv) {
    const Args a = Parse(argc, argv, {"offset", "volume-size", "name"}, {});
    if (a.positional.size() != 2) throw UsageError{"split needs ARCHIVE and DIR"};
    TTrnwCompress c;
    SetUp(c);
    c.SetCompressedFile(a.positional[0]);
    ApplyOffset(c, a);
    if (a.options.count("volume-size")) {
        const int64_t size = Number(a.options.at("volume-size"), "volume size", 1, 0x7FFFFFFF);
        c.DiskCapacity = [size](const std::string&) { return size; };
    }
    // Every volume goes to the same folder, as if the disks were changed in one drive.
    c.OnNewDisk = [](TTrnwCompress&, int, std::string&) {};
    const std::string name = a.options.count("name")
                                 ? a.options.at("name")
                                 : fnwd::fio::ChangeExtension(fnwd::fio::FileNamePart(a.positional[0]), ".1");
    if (!fnwd::fio::FolderExists(a.positional[1]) && !fnwd::fio::CreateFolders(a.positional[1]))
        throw fnwd::ETrnwCompress("Cannot create the folder " + a.positional[1]);
    c.SplitToVolumes(a.positional[1], name);
    std::printf("%d\n", c.CurrentVolume());
    return 0;
}

int Trailer(int argc, char** argv) {
    const Args a = Parse(argc, argv, {}, {});
    if (a.positional.size() != 1) throw UsageError{"trailer needs SETUPEXE"};
    const fnwd::TSelfExtractTrailer t = fnwd::ReadSelfExtractTrailer(a.positional[0]);
    std::printf("signature\t%s\n", t.SignatureValid ? "SELFEXTRACTING" : "missing");
    std::printf("setup\t%d\t%d\n", t.SetupStart, t.SetupEnd);
    std::printf("archive\t%d\t%d\n", t.ArchiveStart, t.ArchiveEnd);
    return 0;
}

int SelfExtract(int argc, char** argv) {
    const Args a = Parse(argc, argv, {}, {});
    if (a.positional.size() < 2 || a.positional.size() > 3) throw UsageError{"selfextract needs SETUPEXE and SETUP_ARCHIVE"};
    fnwd::BuildSelfExtractingFile(a.positional[0], a.positional[1], a.positional.size() == 3 ? a.positional[2] : "");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    static const std::map<std::string, int (*)(int, char**)> commands = {
        {"list", List}, {"add", Add}, {"extract", Extract}, {"split", Split}, {"trailer", Trailer},
        {"selfextract", SelfExtract}};
    const auto it = commands.find(command);
    if (it == commands.end()) {
        std::fprintf(stderr, "fnwdarc: unknown command %s\n%s", command.c_str(), kUsage);
        return 2;
    }
    try {
        return it->second(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "fnwdarc: %s\n%s", e.text.c_str(), kUsage);
        return 2;
    } catch (const fnwd::EZlibError& e) {
        std::fprintf(stderr, "fnwdarc: %s (%s)\n", e.what(), e.Detail().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fnwdarc: %s\n", e.what());
        return 1;
    }
}
