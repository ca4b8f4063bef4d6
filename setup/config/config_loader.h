// Reading a configuration description: a readable text that names the form's components, their
// classes and the properties that differ from their defaults.
//
//   # comment
//   form Form1: TForm1
//     Caption = 'Fenwold Installation'
//   end
//   object InstallFile: TInstallFile
//     Container = Install1              # links name other components (or nil)
//     FileName = 'fnwd32.exe'           # strings in single quotes, '' for a quote
//     InstallTypes = [itFull, itCompact]
//     Order = 1
//     RegisterAsHelp = True
//   end
//   object LicenseDlg1: TLicenseDlg
//     LicenseAgreement = include 'license.txt'   # string lists: ('a' 'b') or a text file
//   end
//
// Values are taken as stored (no consistency rules apply while loading). Anything wrong with the
// description is refused with the line and the reason; nothing half-loaded is ever returned.
#pragma once

#include "component.h"

#include <functional>
#include <memory>
#include <string>

namespace fnwd {

class EConfigurationError : public IException {
public:
    EConfigurationError(int line, const std::string& reason);
    int Line() const { return line_; }
    const std::string& Reason() const { return reason_; }

private:
    int line_;
    std::string reason_;
};

// Supplies the text of an included file; false when there is no such file.
using IncludeResolver = std::function<bool(const std::string& name, std::string& contents)>;

std::unique_ptr<TConfigForm> LoadConfiguration(const std::string& description, SystemEnvironment& env,
                                               const IncludeResolver& resolve = {});

// The lines of a text file: "\r\n" and "\n" both end a line; a final line break adds no line.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace fnwd
