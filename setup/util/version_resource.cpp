#include "version_resource.h"

#include <windows.h>

#include <vector>

namespace fnwd {

namespace {

// The raw version resource of a file; empty when there is none.
std::vector<char> loadResource(const std::string& path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return {};
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return {};
    return data;
}

bool queryString(std::vector<char>& data, const std::string& sub_block, std::string& out) {
    void* ptr = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), sub_block.c_str(), &ptr, &len) || ptr == nullptr) return false;
    const char* text = static_cast<const char*>(ptr);
    // The length may or may not count the terminator; the text ends at the first NUL either way.
    size_t n = 0;
    while (n < len && text[n] != '\0') ++n;
    out.assign(text, n);
    return true;
}

const VS_FIXEDFILEINFO* fixedBlock(std::vector<char>& data) {
    void* ptr = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), "\\", &ptr, &len) || ptr == nullptr || len < sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(ptr);
}

}  // namespace

TVersionInfo ReadVersionInfo(const std::string& path, uint16_t language_id, uint16_t code_page) {
    TVersionInfo info;
    std::vector<char> data = loadResource(path);
    if (data.empty()) return info;

    if (const VS_FIXEDFILEINFO* fixed = fixedBlock(data)) {
        info.FileVersion = VersionNumberText(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        info.ProductVersion = VersionNumberText(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
        info.FileOS = FileOSText(fixed->dwFileOS);
        info.FileType = FileTypeText(fixed->dwFileType);
        info.FileSubType = FileSubTypeText(fixed->dwFileType, fixed->dwFileSubtype);
    }

    const std::string table = StringTablePath(language_id, code_page);
    struct Entry {
        const char* key;
        std::string TVersionInfo::*field;
    };
    static const Entry entries[] = {
        {"Comment", &TVersionInfo::Comment},
        {"CompanyName", &TVersionInfo::CompanyName},
        {"FileDescription", &TVersionInfo::FileDescription},
        {"InternalName", &TVersionInfo::InternalName},
        {"LegalCopyright", &TVersionInfo::LegalCopyright},
        {"LegalTradeMarks", &TVersionInfo::LegalTradeMarks},
        {"OriginalFileName", &TVersionInfo::OriginalFileName},
        {"PrivateBuild", &TVersionInfo::PrivateBuild},
        {"ProductName", &TVersionInfo::ProductName},
        {"ProductVersion", &TVersionInfo::ProductVersion},
        {"SpecialBuild", &TVersionInfo::SpecialBuild},
    };
    for (const Entry& e : entries) {
        std::string value;
        if (queryString(data, table + e.key, value)) info.*e.field = value;
    }
    return info;
}

std::string ReadFileVersion(const std::string& path) {
    std::vector<char> data = loadResource(path);
    if (data.empty()) return {};
    const VS_FIXEDFILEINFO* fixed = fixedBlock(data);
    return fixed ? VersionNumberText(fixed->dwFileVersionMS, fixed->dwFileVersionLS) : std::string();
}

bool IsSelfRegistering(const std::string& path) {
    std::vector<char> data = loadResource(path);
    if (data.empty()) return false;
    void* ptr = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &ptr, &len) || ptr == nullptr || len < 4)
        return false;
    const WORD* translation = static_cast<const WORD*>(ptr);
    std::string value;
    return queryString(data, StringTablePath(translation[0], translation[1]) + "OLESelfRegister", value);
}

std::string RunningProgramPath() {
    char buf[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n > MAX_PATH) return {};
    return std::string(buf, n);
}

TVersionResource& SharedVersionResource() {
    static TVersionResource shared;
    return shared;
}

TVersionResource::TVersionResource() : TVersionResource(RunningProgramPath()) {}

TVersionResource::TVersionResource(const std::string& file_name) : file_name_(file_name) { Refresh(); }

void TVersionResource::SetFileName(const std::string& file_name) {
    file_name_ = file_name;
    Refresh();
}

void TVersionResource::SetLanguage(TLanguage language) {
    language_ = language;
    Refresh();
}

void TVersionResource::SetCharacterSet(TCharacterSet charset) {
    charset_ = charset;
    Refresh();
}

void TVersionResource::Refresh() {
    info_ = ReadVersionInfo(file_name_, LanguageId(language_), CodePage(charset_));
}

}  // namespace fnwd
