#include "overwrite.h"

#include "file_io.h"

#include <algorithm>

namespace fnwd {

namespace {

std::string TokenAt(const std::string& text, size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        const size_t dot = text.find('.', start);
        if (dot == std::string::npos) return std::string();
        start = dot + 1;
    }
    const size_t dot = text.find('.', start);
    return text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

size_t TokenTotal(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '.')) + 1;
}

bool IsDecimal(const std::string& token) {
    return !token.empty() && std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int CompareDecimal(const std::string& a, const std::string& b) {
    const size_t za = std::min(a.find_first_not_of('0'), a.size());
    const size_t zb = std::min(b.find_first_not_of('0'), b.size());
    const std::string_view va(a.data() + za, a.size() - za), vb(b.data() + zb, b.size() - zb);
    if (va.size() != vb.size()) return va.size() < vb.size() ? -1 : 1;
    return va.compare(vb) < 0 ? -1 : va.compare(vb) > 0 ? 1 : 0;
}

int CompareBytes(const std::string& a, const std::string& b) {
    const int r = std::string_view(a).compare(b);  // char_traits<char> compares as unsigned char
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

bool DateOf(const std::string& path, double& date_time) {
    // The file must open for shared reading, as a locked file cannot be compared.
    fio::File file;
    if (!file.Open(path, fio::File::kRead)) return false;
    fio::FileInfo info;
    if (!fio::Stat(path, info)) return false;
    date_time = fio::FileDateTime(info.ModTime);
    return true;
}

TCompareResult ByDate(const ArchivedSide& archived, const std::string& destination) {
    double archived_date = archived.FileDate;
    if (!archived.SourcePath.empty() && !DateOf(archived.SourcePath, archived_date)) return crError;
    double existing_date;
    if (!DateOf(destination, existing_date)) return crError;
    if (archived_date > existing_date) return crArchivedNewer;
    if (archived_date == existing_date) return crSame;
    return crExistingNewer;
}

}  // namespace

int CompareVersions(const std::string& archived, const std::string& existing) {
    const size_t n = std::max(TokenTotal(archived), TokenTotal(existing));
    for (size_t i = 0; i < n; ++i) {
        const std::string a = TokenAt(archived, i), d = TokenAt(existing, i);
        if (a.empty() || d.empty()) {
            if (a.empty() && d.empty()) return 0;
            return a.empty() ? -1 : 1;
        }
        const int r = IsDecimal(a) && IsDecimal(d) ? CompareDecimal(a, d) : CompareBytes(a, d);
        if (r != 0) return r;
    }
    return 0;
}

TCompareResult DecideOverwrite(TOverwriteType policy, const ArchivedSide& archived,
                               const std::string& destination, const VersionReader& version_of) {
    const auto by_version = [&]() {
        const std::string existing = version_of ? version_of(destination) : std::string();
        const int r = CompareVersions(archived.Version, existing);
        return r == 0 ? crSame : r > 0 ? crArchivedNewer : crExistingNewer;
    };
    switch (policy) {
    case owAlways:
        return crArchivedNewer;
    case owNever:
        return !destination.empty() && fio::FileExists(destination) ? crExistingNewer : crArchivedNewer;
    case owVersion:
        return by_version();
    case owDate:
        return ByDate(archived, destination);
    case owVersionDate: {
        const TCompareResult r = by_version();
        return r == crSame ? ByDate(archived, destination) : r;
    }
    }
    return crError;
}

}  // namespace fnwd
