// The setup program's command line: switches of the form -X<value>.
#pragma once

#include "setup/util/exceptions.h"

#include <string>
#include <vector>

namespace fnwd {

// Failures of the install engine itself (messages are the kit's fixed texts).
class EInstallError : public ETarnwickAbnormal {
public:
    using ETarnwickAbnormal::ETarnwickAbnormal;
};

struct TCommandLine {
    bool Build = false;        // -b
    bool Floppy = false;       // -f
    bool Debug = false;        // -d
    bool SelfExtract = false;  // -e<self-extracting file name>
    std::string SelfExtractName;
    bool AfterReboot = false;  // -r
    bool HasSource = false;    // -s<folder>
    std::string SourceValue;
    bool Cleanup = false;      // -c
};

inline constexpr const char* kInvalidParameterMessage =
    "Invalid parameter <%s>. Valid command line parameters are: -b (Build), -d (Debug), -f (Transfer to floppies), "
    "-e (Called by self-extractor), -r (After reboot)";
inline constexpr const char* kDebugNeedsSourceMessage =
    "You forgot to pass in the build directory. In Run | Parameters, follow this format: -d \"-sC:\\My Build\"";

// Reads the arguments (without the program name). Throws EInstallError with the invalid-parameter
// message for an argument that is not a known switch, and with the debug message for -d without a
// non-blank -s value.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The source folder: the -s value when given, else the program's folder; never ending in "\".
std::string SourceFolderOf(const TCommandLine& cmd, const std::string& program_path);

// Quotes one argument for a Windows command line when it holds blanks or quotes.
std::string QuoteArgument(const std::string& arg);

}  // namespace fnwd
