// Reading a file's version resource.
#pragma once

#include "version_info.h"

#include <string>

namespace fnwd {

// The version information of one file. Setting FileName, Language or CharacterSet reads the file
// again; a file without version resource leaves every field empty.
class TVersionResource {
public:
    TVersionResource();  // the running program, lnUSEnglish, csMultilingual
    explicit TVersionResource(const std::string& file_name);

    const std::string& FileName() const { return file_name_; }
    void SetFileName(const std::string& file_name);
    TLanguage Language() const { return language_; }
    void SetLanguage(TLanguage language);
    TCharacterSet CharacterSet() const { return charset_; }
    void SetCharacterSet(TCharacterSet charset);

    const TVersionInfo& VersionInfo() const { return info_; }
    void Refresh();

private:
    std::string file_name_;
    TLanguage language_ = lnUSEnglish;
    TCharacterSet charset_ = csMultilingual;
    TVersionInfo info_;
};

// The one instance that the archive component and the version comparisons share.
TVersionResource& SharedVersionResource();

// The fields of a file's version resource with the string table of the given language and code
// page (by default 040904E4).
TVersionInfo ReadVersionInfo(const std::string& path, uint16_t language_id = 1033, uint16_t code_page = 1252);

// The file version from the fixed block ("1.90.0.0"), empty when the file has no version resource.
std::string ReadFileVersion(const std::string& path);

// The version resource has a translation table and, under the string table of its first entry,
// an "OLESelfRegister" entry. Any failure means no.
bool IsSelfRegistering(const std::string& path);

// Path of the running program.
std::string RunningProgramPath();

}  // namespace fnwd
