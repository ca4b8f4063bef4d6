// String and path helpers of the setup program.
//
// Paths are Windows paths: "\" separates folders ("/" is accepted too when taking names apart),
// "X:" is a drive. Paths never end in a backslash except where a helper says so.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace fnwd {

// A non-empty text not ending in "\" gets one appended; empty stays empty.
std::string AddBackslash(const std::string& text);
// One trailing "\" is removed.
std::string RemoveBackslash(const std::string& text);

// The n-th (1-based) piece between delimiters; empty when there are fewer pieces. Pieces never
// contain the delimiter except that the last piece asked for runs to the end of the text.
std::string Token(const std::string& text, int n, char delimiter = ';');
// Number of ";" in the text, plus one when the text is non-empty and does not end in ";".
int TokenCount(const std::string& text);
// The ";"-separated tokens 1 .. TokenCount(text).
std::vector<std::string> SplitTokens(const std::string& text);
// The text after the first ":" goes to target; without a ":" target is left alone.
// Returns whether a colon was found.
bool AfterColon(const std::string& text, std::string& target);
// "/" becomes "-"; the characters " * : ; < > ? \ | are dropped; all others stay.
std::string FileNameSafe(const std::string& text);

// ASCII case folding: names, keys and extensions are compared the way Windows compares them.
std::string UpperCase(const std::string& text);
std::string LowerCase(const std::string& text);
bool SameText(const std::string& a, const std::string& b);
std::string Trim(const std::string& text);

// Parts of a path. ExtractFileName: after the last "\", "/" or ":". ExtractFileDir: before the
// last separator, without trailing backslash (keeps "C:\" for a file in a drive's root).
// ExtractFileExt: from the last "." of the name part, including the dot; empty when none.
// ExtractFileDrive: "X:" or "\\server\share", else empty.
std::string ExtractFileName(const std::string& path);
std::string ExtractFileDir(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // with the trailing separator
std::string ExtractFileExt(const std::string& path);
std::string ExtractFileDrive(const std::string& path);
// Replaces the extension (which may be empty) by ext ("" removes it; ext includes its dot).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

using FolderExistsFn = std::function<bool(const std::string&)>;
using CreateFolderFn = std::function<bool(const std::string&)>;

// The text when it names an existing folder, else the same test on the text cut before its last
// backslash, and so on. Empty when nothing along the way exists.
std::string NearestExistingFolder(const std::string& text, const FolderExistsFn& exists);

// Creates a folder with all its missing parents, the parent first. One trailing backslash is
// ignored; a path of at most two characters (a drive) counts as existing. Throws fnwd::Exception
// "Unable to create directory" for an empty path; returns false when a creation failed.
bool ForceDirectoriesWith(const std::string& path, const FolderExistsFn& exists,
                          const CreateFolderFn& create);

}  // namespace fnwd
