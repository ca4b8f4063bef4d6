// Graph documents (".gr") and the setup file on disk. One line-oriented text format of sections and
// "key=value" lines serves a plain document, a document with settings and the setup file; one reader
// takes all three, and what a file holds is decided by the writer alone.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "doc/graph_doc.h"

namespace qv {

// Mode bits of readGraphFile.
constexpr int READ_NORMAL = 1;  // an open: the document takes the path
constexpr int READ_QUIET = 2;   // no failure message, path and name left alone
constexpr int READ_MERGE = 8;   // path and name left alone, the document becomes modified

// Kinds of writeGraphFile.
constexpr int FILE_PLAIN_DOCUMENT = 1;
constexpr int FILE_DOCUMENT_WITH_SETTINGS = 2;
constexpr int FILE_SETUP = 4;

constexpr int READ_FAILED = -1;
constexpr int MAX_FILE_LINE = 250;
// Larger files are refused as not being documents: they are read whole before anything is applied.
constexpr long long MAX_GRAPH_FILE_BYTES = 64LL * 1024 * 1024;

constexpr char SETUP_FILE_NAME[] = "quorplot.ini";
constexpr char MSG_CANNOT_OPEN[] = "Unable to open file %s--try again.";
constexpr char MSG_CANNOT_WRITE[] = "Unable to write to file %s--try again.";
constexpr char MSG_SAVED[] = "Saved %s.";

// Font roles in file and Fonts-dialog order: the three window fonts, then the seven grid fonts.
constexpr int FONT_ROLE_COUNT = 10;
constexpr int WINDOW_FONT_COUNT = 3;
extern const char* const FONT_ROLE_KEYS[FONT_ROLE_COUNT];

// What reading a file asks of the windows. The shell installs its own; the default keeps the window
// rectangle so that a setup file written headless carries the one it read.
class GraphFileHost {
public:
    virtual ~GraphFileHost() = default;
    // A font line was read: role 0..2 is a window font (doc is then null), 3..9 a grid font of doc.
    virtual void fontRead(GraphDoc* /*doc*/, int /*role*/) {}
    // The "winpos" rectangle, applied after the whole file was read; the children are laid out anew.
    virtual void moveMainWindow(const SelectionRect& r) { windowRect = r; }
    virtual SelectionRect mainWindowRect() const { return windowRect; }
    // The "scrollbars" option changed.
    virtual void scrollbarsChanged(bool /*on*/) {}

    SelectionRect windowRect{};
};
GraphFileHost& graphFileHost();
// nullptr restores the default host. The caller keeps ownership.
void installGraphFileHost(GraphFileHost* host);

// Reads a document or setup file into doc (program-wide keys go to programOptions()). Returns the
// number of non-empty lines read in [equations], or READ_FAILED when the file cannot be read; then
// the document is unchanged. programKeys, when given, collects the program-wide option keys applied.
int readGraphFile(GraphDoc& doc, const std::string& path, int mode, std::set<std::string>* programKeys = nullptr);

// Writes doc as the given kind. The file is written beside its destination and renamed over it only
// when complete, so a failed write leaves the previous file as it was; on failure the message is shown
// and nothing changes.
bool writeGraphFile(GraphDoc& doc, const std::string& path, int kind);

// The text writeGraphFile puts into the file (lines end in "\n").
std::string graphFileText(const GraphDoc& doc, int kind);

// Set once at start-up from the program's own full path and its arguments (after the program name):
// the last argument beginning with "/i:" names the setup file, made absolute.
void initFilePaths(const std::string& programPath, const std::vector<std::string>& arguments);
// The program's folder, up to and including its last path separator.
const std::string& programDirectory();
const std::string& setupFilePath();

// The number test of the format: only the characters 0-9 + - . E e, at least one digit, and (unlike a
// plain conversion, which would read "--5" as 0) a complete decimal number. Returns the unset value,
// positive infinity, for anything else and for values beyond the double range.
double readFileNumber(const std::string& text);
// The leading decimal integer of the text (0 if none), clamped to the int range.
int readFileInteger(const std::string& text);

}  // namespace qv
