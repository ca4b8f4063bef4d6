// Whether an archived (or source) file may replace an existing one.
#pragma once

#include <functional>
#include <string>

namespace fnwd {

enum TOverwriteType { owAlways, owNever, owVersion, owDate, owVersionDate };

enum TCompareResult { crError, crSame, crArchivedNewer, crExistingNewer };

// The file version text of a file ("1.90.0.0"), empty when it has none. The setup program wires
// this to its version-resource reader; elsewhere files have no version.
using VersionReader = std::function<std::string(const std::string& path)>;

// Compares dotted version texts token by token: numerically when both tokens are decimal
// integers, else by character codes; a missing token is older than a present one.
// Returns <0 when archived is older, 0 when equal, >0 when archived is newer.
int CompareVersions(const std::string& archived, const std::string& existing);

// The archived side: its version and its date-time, or a source file whose own date must be read
// (CopyFile). An unreadable source or destination gives crError for the date comparisons.
struct ArchivedSide {
    std::string Version;
    double FileDate = 0;
    std::string SourcePath;  // non-empty: take the date from this file when it is needed
};

TCompareResult DecideOverwrite(TOverwriteType policy, const ArchivedSide& archived,
                               const std::string& destination, const VersionReader& version_of);

}  // namespace fnwd
