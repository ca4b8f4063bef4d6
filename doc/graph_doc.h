// The graph document: the redraw queue of equations, the grid, labels, annotations, fonts and the
// tool results of one graph screen, with the pending-update bits through which every change reaches
// the screen. The program holds one current document and a never-shown SetupDoc that seeds new ones.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "doc/block_store.h"
#include "doc/colour_scheme.h"
#include "doc/equation.h"
#include "plot/grid_setup.h"

namespace qv {

constexpr int MAX_LABEL_TEXT = 40;
constexpr int MAX_TITLE_TEXT = 76;
constexpr int MAX_AXIS_NAME = 7;
constexpr int MAX_ANNOTATION_TEXT = 39;  // characters taken from the Annotate field
constexpr int MAX_FONT_FACE = 31;
constexpr int DESCRIPTION_LIMIT = 351;
constexpr char UNTITLED[] = "Untitled";

// Status-line colour escapes: ESCAPE then 128 + n selects graph colour n, ESCAPE then NORMAL returns
// to the normal text colour.
constexpr char COLOUR_ESCAPE = char(254);
constexpr char COLOUR_NORMAL = char(15);

constexpr char MSG_NO_MEMORY[] = "Not enough free memory to perform this operation.";
constexpr char MSG_NOT_IN_QUEUE[] = "Equation not found in queue; can't delete.";
constexpr char MSG_QUEUE_CLEARED[] = "Redraw queue cleared.";
constexpr char MSG_ANNOTATIONS_FULL[] = "Sorry, only %d annotations are supported at a time.";
constexpr char MSG_SELECT_ANNOTATION[] = "Please select an annotation to change, edit the text, and then click Change";

struct Annotation {
    double x = 0, y = 0;  // grid (world) coordinates
    std::string text;
};

// A logical-font description as the platform's font chooser fills it.
struct LogicalFont {
    int height = 0, width = 0, escapement = 0, orientation = 0, weight = 400;
    std::uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0, outPrecision = 0, clipPrecision = 0,
                 quality = 0, pitchAndFamily = 0;
    std::string faceName;  // at most MAX_FONT_FACE characters
    bool operator==(const LogicalFont&) const = default;
};

enum GridFontRole { FONT_LEGENDS, FONT_SYMBOLS, FONT_AXLABEL, FONT_ANNOTES, FONT_TITLES, FONT_LEFTLBL, FONT_RIGHTLBL };
constexpr int GRID_FONT_COUNT = 7;

struct GridFont {
    LogicalFont font;
    std::uintptr_t handle = 0;  // the created font, owned by the shell's drawing layer
    int measuredHeight = 0, averageWidth = 0;
    int savedHeight = 0, savedWidth = 0;  // screen sizes kept while printing scales the font
    char customized = 'n';
};

struct GraphDoc;

// The tangent line on screen: the equation it touches (empty when no tangent is shown), the point of
// tangency and dy/dx there (infinite for a vertical line). The document detaches equations from it.
struct TangentRecord {
    GraphDoc* document = nullptr;
    Equation* equation = nullptr;
    float x = 0, y = 0;
    float slope = 0;
    bool shown() const { return equation != nullptr; }
    void detach(const Equation* e)
    {
        if (e && equation == e)
            clear();
    }
    void clear()
    {
        equation = nullptr;
        x = y = slope = 0;
    }
};

// The integrated region on screen: the curve (and the optional lower curve, none meaning the x-axis),
// the interval as chosen, the last area and the bounding box of the drawn shading, kept to erase it.
// first is empty when no region is shown.
struct IntegrationRecord {
    GraphDoc* document = nullptr;
    Equation* first = nullptr;
    Equation* second = nullptr;
    float from = 0, to = 0;
    float area = 0;
    DeviceRect shaded{};
    bool shown() const { return first != nullptr; }
    // Clears the region when e is one of its curves; true when it did.
    bool detach(const Equation* e)
    {
        if (!e || (first != e && second != e))
            return false;
        clear();
        return true;
    }
    void clear()
    {
        first = second = nullptr;
        from = to = area = 0;
        shaded = DeviceRect{};
    }
};

struct GraphDoc {
    std::int16_t serial = 0;
    std::string path = UNTITLED;
    bool modified = false;
    bool integrableListStale = false;
    std::uint16_t pending = 0;
    bool savedSetup = false;
    Equation* queueHead = nullptr;
    std::int16_t count = 0;
    std::int16_t onScreen = 0;
    GridSetup grid;
    std::vector<Annotation> annotations;  // the slots; annotationCount of them in use
    std::uint8_t annotationCount = 0;
    std::string leftLabel, rightLabel, title;
    bool showLabels = false;
    TangentRecord tangent;
    IntegrationRecord integration;
    std::array<GridFont, GRID_FONT_COUNT> fonts{};
    std::uintptr_t graphWindow = 0;
    std::int16_t currentAnnotation = -1;
    DeviceRect graphArea{};
    std::array<std::int32_t, 4> margins{500, 500, 500, 500};  // left, top, right, bottom, 1/1000 inch
    std::string xAxisName = "x", yAxisName = "y";

    std::string_view name() const;
    Equation* tail() const;
};

// Options of the whole program, saved only in the setup file.
struct ProgramOptions {
    std::int16_t maxeqs = 25;
    std::int16_t maxannote = 10;
    std::int16_t autonum = 25;
    bool autoredraw = true;
    bool autosquare = true;
    std::uint16_t tables = 20;
    double tableincr = 1;
    std::int16_t tablecols = 3;
    bool warnings = false;
    bool drawdots = false;
    bool widelines = false;
    ColourScheme colourScheme = BUILTIN_SCHEMES[SCHEME_GRAY];
    std::int8_t colourChoice = -1;  // the remembered built-in scheme: 0 Monochrome, 2 White, 3 Black; -1 none
    std::uint8_t intflags = 25;
    std::uint16_t intnumseg = 100;
    double fineness = 1.0;
    std::string defscale = "2";
    std::int16_t ylegpos = 2;
    bool hogCPU = false;
    bool scrollbars = false;
    int copygraphs = 1507;  // Copy Graphs WMF Monochrome
    std::uint32_t printOptions = 36;
    std::array<GridFont, 3> windowFonts{};  // the equation field, the Printout window and the status bar
};

// What the document asks of the windows that show it. The shell implements it with the equation
// field's list, the Printout window and the graph window; the default does nothing (headless).
class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void listInsert(int /*index*/, const std::string& /*text*/) {}
    virtual void listRemove(int /*index*/) {}
    virtual void listClear() {}
    virtual void printoutClear() {}
    virtual void repaintGraphArea(GraphDoc&) {}      // invalidate and repaint at once
    virtual void postRedrawAfterRegrid(GraphDoc&) {}  // the graph window's redraw-after-regrid command
    virtual void relayoutMainWindow() {}
    virtual void closeIntegrateDialog() {}
    // The Grid Range dialog, when logarithmic paper cannot show the range: true when the user gave one.
    virtual bool gridRangeDialog(GridSetup&) { return false; }
};

// The graphing driver as the queue uses it.
class GraphingDriver {
public:
    virtual ~GraphingDriver() = default;
    virtual void beginDrawing(GraphDoc&) {}
    // Draws one equation unless it is already on screen; a drawn one gets its on-screen flag and counts
    // in onScreen.
    virtual void graphEquation(GraphDoc&, Equation&) {}
    virtual bool aborted() const { return false; }
    virtual void redrawToolRecords(GraphDoc&) {}  // the tangent and the integration, on the new grid
    virtual void endDrawing(GraphDoc&) {}
};

struct RangeSnapshot {
    double left = 0, right = 0, bottom = 0, top = 0, squareRatio = 1;
    std::uint16_t paperFlags = 0;
};

// Program-wide state of the documents.
struct DocumentProgram {
    ProgramOptions options;
    GraphDoc* current = nullptr;
    GraphDoc* setupDoc = nullptr;
    DocumentView* view = nullptr;
    GraphingDriver* driver = nullptr;
    std::int16_t nextSerial = 0;
    int colourCounter = 0;  // the last colour given; the next is 1 after 7
    bool hasPrevious = false, hasCurrent = false;
    RangeSnapshot previous, currentSnapshot;
    double pixelAspect = 1.0;
    bool smallScreen = false;
    bool printing = false;
    BlockStash* printingStash = nullptr;
    PointBlock* beingFilled = nullptr;

    DocumentView& viewOrNone();
    GraphingDriver& driverOrNone();
};
DocumentProgram& documentProgram();
ProgramOptions& programOptions();

GraphDoc* createDocument();
GraphDoc* createFromSetup();
void freeDocument(GraphDoc* doc);
void setPath(GraphDoc& doc, const std::string& path);
bool isUntitled(const GraphDoc& doc);

// The queue side of adding a parsed line: dots flag, colours, insertion as the newest entry.
void addEquation(GraphDoc& doc, Equation* parsed);
void insertNewest(GraphDoc& doc, Equation* e);
Equation* findEquation(const GraphDoc& doc, const std::string& text);
int promoteEquation(GraphDoc& doc, const std::string& text);
bool deleteEquation(GraphDoc& doc, const std::string& text);
bool hideEquation(GraphDoc& doc, const std::string& text);
void clearAll(GraphDoc& doc);
void clearScreen(GraphDoc& doc);
void redrawNewest(GraphDoc& doc, int n);
void redrawAfterRegrid(GraphDoc& doc, int budget);
void applyPendingUpdates(GraphDoc& doc);
void applyNewGrid(GraphDoc& doc, bool redraw);
void takeRangeSnapshot(const GraphDoc& doc);
void forgetRangeSnapshots();
bool canUndo();
void undoGridRange(GraphDoc& doc);
// Appends the coloured description of an equation to a status text, never beyond limit characters.
void describeEquation(std::string& buffer, const Equation& e, std::size_t limit = DESCRIPTION_LIMIT);
// How many curves, and so colours, an equation draws.
int curveCount(const Equation& e);
LabelSpace labelSpaceOf(const GraphDoc& doc);

// Annotations. placeAnnotation returns the slot index to be placed, or -1 when nothing is to be placed.
int placeAnnotation(GraphDoc& doc, int selected, const std::string& typed);
bool changeAnnotation(GraphDoc& doc, int selected, const std::string& text);
bool deleteAnnotation(GraphDoc& doc, int selected);

}  // namespace qv
