#include "command_line.h"

#include "setup/util/format.h"
#include "setup/util/str_util.h"

#include <cctype>

namespace fnwd {

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine cmd;
    for (const std::string& arg : args) {
        if (arg.size() < 2 || arg[0] != '-') throw EInstallError(Fmt(kInvalidParameterMessage, arg));
        const std::string value = arg.substr(2);
        switch (std::tolower(static_cast<unsigned char>(arg[1]))) {
        case 'b': cmd.Build = true; break;
        case 'f': cmd.Floppy = true; break;
        case 'd': cmd.Debug = true; break;
        case 'e': cmd.SelfExtract = true; cmd.SelfExtractName = value; break;
        case 'r': cmd.AfterReboot = true; break;
        case 's': cmd.HasSource = true; cmd.SourceValue = value; break;
        case 'c': cmd.Cleanup = true; break;
        default: throw EInstallError(Fmt(kInvalidParameterMessage, arg));
        }
    }
    if (cmd.Debug && Trim(cmd.SourceValue).empty()) throw EInstallError(kDebugNeedsSourceMessage);
    return cmd;
}

std::string SourceFolderOf(const TCommandLine& cmd, const std::string& program_path) {
    if (cmd.HasSource && !Trim(cmd.SourceValue).empty()) return RemoveBackslash(Trim(cmd.SourceValue));
    return RemoveBackslash(ExtractFileDir(program_path));
}

std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"') out += '\\';
        out += c;
    }
    // A trailing backslash would escape the closing quote.
    if (!arg.empty() && arg.back() == '\\') out += '\\';
    return out + "\"";
}

}  // namespace fnwd
