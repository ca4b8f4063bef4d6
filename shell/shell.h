// The program's windows and the state the shell keeps for them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace qv {
struct Equation;
struct GraphDoc;
struct LogicalFont;
class GdiSurface;
}  // namespace qv

namespace shell {

constexpr char kMainClass[] = "QUORPLOT";
constexpr char kGraphClass[] = "QUORPWND";
constexpr char kProgramTitle[] = "Quorvex for Win32";
constexpr char kProgramVersion[] = "1.60e";
constexpr int kMaxTitle = 249;
constexpr int kMaxStatusText = 200;

// Private commands.
constexpr int CM_REDRAW_AFTER_REGRID = 7000;  // to the graph window
constexpr int CM_REDRAW_ALL_POSTED = 7100;    // to the main window
constexpr int CM_ADOPT_DOCUMENT = 7300;       // to the graph window, the document in lParam

// Mouse modes of the graph window without a tool: the left button is down, then a zoom selection is
// being dragged.
constexpr int TOOL_BUTTON_DOWN = 1024;
constexpr int TOOL_ZOOM_SELECTION = 1;
constexpr int TOOL_COORDINATES = 2;  // the coordinate cursor
constexpr int TOOL_INITIAL_VALUE = 4;
constexpr int TOOL_INITIAL_SLOPE = 8;      // the second point, for the slope
constexpr int TOOL_SYSTEM_VALUES = 128;    // further values of a system, at the first point's x
constexpr int TOOL_ANNOTATION = 16;
constexpr int TOOL_DOMAIN = 32;
constexpr int TOOL_TANGENT = 256;
constexpr int TOOL_INTEGRATE = 512;
constexpr int TOOL_DRAGGING = 2048;  // added while the domain or integration region is dragged
// The modes that count as a mouse tool for the focus and activation rules.
constexpr int ACTIVE_TOOLS = 2 | 4 | 8 | 16 | 32 | 128 | 256 | 512;

// Layout states of the main window.
constexpr int LAYOUT_NONE = 0;
constexpr int LAYOUT_NEEDED = 2;
constexpr int LAYOUT_MINIMIZED_IDLE = 4;
constexpr int LAYOUT_MINIMIZED_DRAWING = 8;

struct Shell {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HWND commandBar = nullptr;
    HWND equationField = nullptr;
    HWND toolbar = nullptr;
    HWND graph = nullptr;
    HWND printout = nullptr;
    HWND statusBar = nullptr;
    HACCEL accelerators = nullptr;
    HMENU menu = nullptr;
    HMENU toolPromptMenu = nullptr;
    HCURSOR cursors[3]{};
    int toolbarHeight = 0;
    int screenWidth = 0;
    double screenRatio = 1.0;  // vertical over horizontal pixels per inch
    int layoutState = LAYOUT_NONE;
    SIZE rememberedSize{};
    bool wasMinimized = false;
    int toolMode = 0;
    bool closeAfterDrawing = false;  // the user confirmed closing while a graph was drawn
    std::string statusText;
    int statusCategory = 15;
    qv::GdiSurface* graphSurface = nullptr;  // over the graph window's own device context
    HWND variablesPanel = nullptr;           // the modeless dialogs, while they are open
    HWND integrateDialog = nullptr;
};

extern Shell g_shell;

bool smallScreen();
std::string loadString(UINT id);
// Creates the three window fonts again from the program's options and gives them to their windows.
void refreshWindowFonts();

// window_helpers.cpp
// A dialog centred over the main window.
void centreOverMain(HWND dialog);
LOGFONTA logFontOf(const qv::LogicalFont& f);
HFONT createFontOf(const qv::LogicalFont& f);

// main_window.cpp
bool registerClasses(HINSTANCE instance);
void unregisterClasses(HINSTANCE instance);
LRESULT CALLBACK mainWindowProc(HWND, UINT, WPARAM, LPARAM);
void layoutMainWindow();
void updateTitle();
void refreshCheckMarks();
bool isIdle();
// The factor of the zoom buttons and of Scale without a selection.
double defaultZoomFactor();
inline bool activeTool() { return (g_shell.toolMode & ACTIVE_TOOLS) != 0; }
// Asks "Save %s before ...?" when the document has unsaved equations; false when the user cancels.
bool askToSave(const char* format, const char* caption);
// Reads a document: the first replaces the current one, a later one is read into it.
bool openDocumentFile(const std::string& path, bool first);

// graph_window.cpp
LRESULT CALLBACK graphWindowProc(HWND, UINT, WPARAM, LPARAM);
void createGraphWindow(qv::GraphDoc* doc);
void setScrollbars(bool on);

// mouse_tools.cpp
bool hasSelection();
void eraseSelection(qv::GraphDoc& doc);
// Keeps the pointer inside the plotting area of the graph window.
void confineToPlottingArea();
// The active tool's hold on the pointer and its cursor, again after the program was in the background.
void restoreToolPointer();
void graphButtonDown(int x, int y);
void graphPointerMove(int x, int y);
void graphButtonUp(int x, int y);
void graphRightButtonDown(int x, int y);
// The right button's release, ESC, or the capture taken away.
void cancelTool();
void toggleCoordinateCursor();
// Whether the line in the equation field can take a domain from the mouse.
bool domainToolApplies();
void startDomainTool();
void startInitialValueTool();
void startTangentTool();
// Places the document's current annotation (new or moved) where the user clicks; the graph is then
// repainted with it.
void startAnnotationPlacement();
void startIntegrationTool();
// Draws the active tool's selection, rubber line and markers again after the window was repainted.
void repaintToolMarks();

// initial_values_dialog.cpp: asks for the second (and, for order 4, the third) derivative; false on
// Cancel. The values are appended.
bool askHigherDerivatives(int order, std::vector<double>& values);
// Keys for the active tool; false when they are not the tool's.
bool graphKey(UINT message, WPARAM key, LPARAM flags);
// Shows the active tool's cursor; false when no tool is active.
bool setToolCursor();

// command_bar.cpp
HWND createCommandBar(HWND main);
// The text in the equation field.
std::string fieldText();
// "ON SCREEN: " or "OFF SCREEN: " and the description of the entry.
std::string screenStatusOf(const qv::Equation& e);
void createToolbar();
bool returnFocusToEquationField();
void graphCommand();
void toolbarBeginDrawing();
void toolbarEndDrawing();
void redrawLast();

// status_bar.cpp
HWND createStatusBar(HWND main);
void setStatusText(const std::string& text, int category = 15);
void drawStatusItem(const DRAWITEMSTRUCT& item);

// engine_link.cpp: the engine's interfaces on these windows.
void installEngineLinks();
void replaceDocument(qv::GraphDoc* doc);

// file_dialogs.cpp
enum class OpenChoice { Cancelled, Open, OpenGraphAll, Merge };
OpenChoice openDialog(std::string& path);
// Returns 0 when cancelled, else the kind of file to write (plain document or with settings).
int saveDialog(std::string& path);

}  // namespace shell
