#include "str_util.h"

#include "exceptions.h"

#include <algorithm>
#include <cctype>

namespace fnwd {

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }
bool isNameDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }

// Position of the last "\", "/" or ":", or npos.
size_t lastNameDelimiter(const std::string& path) {
    for (size_t i = path.size(); i-- > 0;)
        if (isNameDelimiter(path[i])) return i;
    return std::string::npos;
}
}  // namespace

std::string AddBackslash(const std::string& text) {
    if (text.empty() || text.back() == '\\') return text;
    return text + '\\';
}

std::string RemoveBackslash(const std::string& text) {
    if (!text.empty() && text.back() == '\\') return text.substr(0, text.size() - 1);
    return text;
}

std::string Token(const std::string& text, int n, char delimiter) {
    if (n < 1) return {};
    size_t start = 0;
    for (int piece = 1; piece < n; ++piece) {
        size_t pos = text.find(delimiter, start);
        if (pos == std::string::npos) return {};
        start = pos + 1;
    }
    if (start > text.size()) return {};
    size_t end = text.find(delimiter, start);
    // The piece asked for ends at the next delimiter; when there is none it runs to the end.
    if (end == std::string::npos) return text.substr(start);
    return text.substr(start, end - start);
}

int TokenCount(const std::string& text) {
    int count = static_cast<int>(std::count(text.begin(), text.end(), ';'));
    if (!text.empty() && text.back() != ';') ++count;
    return count;
}

std::vector<std::string> SplitTokens(const std::string& text) {
    std::vector<std::string> list;
    int count = TokenCount(text);
    list.reserve(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i) list.push_back(Token(text, i));
    return list;
}

bool AfterColon(const std::string& text, std::string& target) {
    size_t pos = text.find(':');
    if (pos == std::string::npos) return false;
    target = text.substr(pos + 1);
    return true;
}

std::string FileNameSafe(const std::string& text) {
    static const std::string dropped = "\"*:;<>?\\|";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '/')
            out += '-';
        else if (dropped.find(c) == std::string::npos)
            out += c;
    }
    return out;
}

std::string UpperCase(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCase(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    return UpperCase(a) == UpperCase(b);
}

std::string Trim(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

std::string ExtractFileName(const std::string& path) {
    size_t pos = lastNameDelimiter(path);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ExtractFilePath(const std::string& path) {
    size_t pos = lastNameDelimiter(path);
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileDir(const std::string& path) {
    size_t pos = lastNameDelimiter(path);
    if (pos == std::string::npos) return {};
    // A separator right after a drive ("C:\x") is the root and stays.
    if (pos > 0 && isSeparator(path[pos]) && path[pos - 1] != ':' && !isNameDelimiter(path[pos - 1]))
        return path.substr(0, pos);
    return path.substr(0, pos + 1);
}

std::string ExtractFileExt(const std::string& path) {
    std::string name = ExtractFileName(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // \\server\share
        size_t server_end = path.find_first_of("\\/", 2);
        if (server_end == std::string::npos) return path;
        size_t share_end = path.find_first_of("\\/", server_end + 1);
        return share_end == std::string::npos ? path : path.substr(0, share_end);
    }
    return {};
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    size_t name_start = lastNameDelimiter(path);
    name_start = name_start == std::string::npos ? 0 : name_start + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < name_start) return path + ext;
    return path.substr(0, dot) + ext;
}

std::string NearestExistingFolder(const std::string& text, const FolderExistsFn& exists) {
    std::string candidate = text;
    while (!candidate.empty()) {
        if (exists(candidate)) return candidate;
        size_t pos = candidate.rfind('\\');
        if (pos == std::string::npos) return {};
        candidate.resize(pos);
    }
    return {};
}

bool ForceDirectoriesWith(const std::string& path, const FolderExistsFn& exists,
                          const CreateFolderFn& create) {
    if (path.empty()) throw Exception("Unable to create directory");
    std::string dir = RemoveBackslash(path);
    if (dir.size() <= 2 || exists(dir)) return true;
    // The root of a network share cannot be made from here: it exists or it does not.
    if (dir == ExtractFileDrive(dir)) return false;
    std::string parent = ExtractFilePath(dir);
    // A path whose parent is itself (a bare share, "\\") cannot be created from above.
    if (parent == dir || RemoveBackslash(parent) == dir) return create(dir);
    if (!parent.empty() && !ForceDirectoriesWith(parent, exists, create)) return false;
    return create(dir);
}

}  // namespace fnwd
