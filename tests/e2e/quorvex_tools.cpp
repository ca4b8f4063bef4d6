// The dialogs of the Labels menu, the integration options and tools, and Find Critical Points:
// what each changes (read back from the saved document and setup file, the status line and the
// dialogs' own results), that invalid entries keep a dialog open, and that Cancel changes nothing.
#include "driver.h"
#include "quorvex_session.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace e2e;

namespace {

// Control identifiers of the dialogs.
constexpr int AN_TEXT = 3002, AN_LIST = 3004, AN_PLACE = 3005, AN_CHANGE = 3006, AN_DELETE = 3007;
constexpr int GL_TITLE = 3020, GL_LEFT = 3021, GL_RIGHT = 3022, GL_CLEARALL = 3023;
constexpr int AL_NONE = 3040, AL_CUSTOM = 3042, AL_XINCR = 3043, AL_YINCR = 3044, AL_SCALE = 3046;
constexpr int IO_SIMPSON = 3061, IO_SPECIFY = 3064, IO_SEGMENTS = 3065, IO_MOUSE = 3067, IO_DIALOG = 3068;
constexpr int IC_FROM = 3082, IC_TO = 3083, IC_CALCULATE = 3084, IC_AREA = 3085;
constexpr int CP_RESULTS = 3101, CP_GUESS = 3102, CP_CALCULATE = 3106;
constexpr int PE_VALUE = 3122, PE_DEGREES = 3124, PE_XPI = 3125, PE_CALCULATE = 3126, PE_RESULT = 3127;
constexpr int TO_CUSTOM = 3162, TO_INCREMENT = 3163, TO_SCALE = 3165, TO_COLUMNS = 3166;
constexpr int OP_RANGE = 3180, OP_CHANGERANGE = 3182, OP_SCALEGRID = 3183, OP_CHANGETHETA = 3184, OP_PAPER = 3185,
              OP_COLORS = 3186, OP_CUSTOM = 3187, OP_DEFAULTS = 3188, OP_FINENESS = 3190,
              OP_LEGENDS = 3191, OP_WIDELINES = 3193, OP_WARNINGS = 3195, OP_TABLES = 3196, OP_AUTOREDRAW = 3197,
              OP_COUNT = 3198;
constexpr int AL_AUTOMATIC = 3041;
constexpr int VA_FROM = 3140, VA_B = 3143, VA_UPDATE = 3148;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Opens a dialog with a menu command; nullptr when it does not appear.
HWND open(Session& s, int id, const char* caption)
{
    command(s.main, id);
    HWND dialog = s.program->waitForWindow("#32770", caption, 5000);
    check(dialog != nullptr, std::string("\"") + caption + "\" opens");
    if (dialog)
        flush(dialog);
    return dialog;
}

HWND item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

void press(HWND dialog, int id)
{
    click(item(dialog, id));
    Sleep(150);
    if (IsWindow(dialog))
        flush(dialog);
}

bool stillOpen(HWND dialog)
{
    Sleep(250);
    return IsWindow(dialog) && IsWindowVisible(dialog);
}

bool closes(HWND dialog)
{
    for (int i = 0; i < 40 && IsWindow(dialog); ++i)
        Sleep(50);
    return !IsWindow(dialog);
}

bool checked(HWND dialog, int id) { return SendMessageA(item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void shoot(HWND dialog, const std::string& name)
{
    settle(dialog);
    captureWindow(dialog).save(artefact(name));
}

// Saves the document to its own file and returns the file's text.
std::string saved(Session& s, const std::string& path)
{
    DeleteFileA(path.c_str());
    command(s.main, 1003);
    for (int i = 0; i < 40 && readFile(path).empty(); ++i)
        Sleep(50);
    Sleep(100);
    return readFile(path);
}

void answerMessage(Session& s, const std::string& caption, const std::string& what)
{
    HWND box = s.program->waitForWindow("#32770", caption, 4000);
    check(box != nullptr, what);
    if (box)
        click(item(box, IDOK));
    Sleep(200);
}

void integrateWithMouse(Session& s);

void annotations(Session& s, const std::string& document)
{
    HWND dialog = open(s, 4003, "Annotate Graph");
    if (!dialog)
        return;
    shoot(dialog, "annotate.bmp");
    // Nothing typed: nothing to add, the dialog stays.
    press(dialog, AN_PLACE);
    check(stillOpen(dialog) && has(text(s.status), "annotations are supported"),
          "Place with no text keeps the dialog open (\"" + text(s.status) + "\")");
    setText(item(dialog, AN_TEXT), "the peak");
    HMENU menu = GetMenu(s.main);
    press(dialog, AN_PLACE);
    check(closes(dialog), "Place closes the dialog");
    flush(s.main);
    check(GetMenu(s.main) != menu, "the placement prompt is shown");
    RECT g;
    GetClientRect(s.graph, &g);
    const POINT at{g.right / 4, g.bottom / 4};
    PostMessageA(s.graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(s.graph, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    flush(s.main);
    check(GetMenu(s.main) == menu, "the click places it");
    std::string file = saved(s, document);
    check(has(file, "[annotations]") && has(file, "text0 = the peak") && has(file, "x0 = -"),
          "the annotation is kept at the upper left");
    // A double click on it opens the dialog with it chosen.
    settle(s.main);
    captureWindow(s.main).save(artefact("annotated.bmp"));
    PostMessageA(s.graph, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x + 4, at.y + 4));
    dialog = s.program->waitForWindow("#32770", "Annotate Graph", 4000);
    check(dialog != nullptr, "a double click on the annotation opens the dialog");
    if (dialog) {
        flush(dialog);
        check(SendMessageA(item(dialog, AN_LIST), LB_GETCURSEL, 0, 0) == 0 && text(item(dialog, AN_TEXT)) == "the peak",
              "with the annotation chosen");
        press(dialog, IDCANCEL);
        check(closes(dialog), "closed again");
    }

    // Change and Delete work on the chosen one; Close leaves the rest.
    dialog = open(s, 4003, "Annotate Graph");
    if (!dialog)
        return;
    check(SendMessageA(item(dialog, AN_LIST), LB_GETCOUNT, 0, 0) == 1, "the list shows the annotation");
    press(dialog, AN_CHANGE);
    check(text(s.status) == "Please select an annotation to change, edit the text, and then click Change",
          "Change without a choice says what to do");
    SendMessageA(item(dialog, AN_LIST), LB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(AN_LIST, LBN_SELCHANGE), LPARAM(item(dialog, AN_LIST)));
    check(text(item(dialog, AN_TEXT)) == "the peak", "choosing it shows its text");
    setText(item(dialog, AN_TEXT), "the minimum");
    press(dialog, AN_CHANGE);
    check(stillOpen(dialog), "Change keeps the dialog open");
    shoot(dialog, "annotate_list.bmp");
    press(dialog, IDCANCEL);
    check(closes(dialog), "Close closes it");
    file = saved(s, document);
    check(has(file, "text0 = the minimum") && !has(file, "the peak"), "Change replaced the text");

    dialog = open(s, 4003, "Annotate Graph");
    if (!dialog)
        return;
    SendMessageA(item(dialog, AN_LIST), LB_SETCURSEL, 0, 0);
    press(dialog, AN_DELETE);
    check(SendMessageA(item(dialog, AN_LIST), LB_GETCOUNT, 0, 0) == 0, "Delete removes it from the list");
    press(dialog, IDCANCEL);
    check(closes(dialog), "closed after Delete");
    file = saved(s, document);
    check(!has(file, "[annotations]"), "no annotation is left");
}

void labels(Session& s, const std::string& document)
{
    HWND dialog = open(s, 4002, "Graph Labels");
    if (!dialog)
        return;
    setText(item(dialog, GL_TITLE), "Parabola");
    setText(item(dialog, GL_LEFT), "height   ");
    setText(item(dialog, GL_RIGHT), "right side");
    shoot(dialog, "graph_labels.bmp");
    press(dialog, IDOK);
    check(closes(dialog), "OK closes Graph Labels");
    std::string file = saved(s, document);
    check(has(file, "title=Parabola\n") && has(file, "left=height\n") && has(file, "right=right side\n"),
          "the labels are kept, trailing blanks removed");

    dialog = open(s, 4002, "Graph Labels");
    if (!dialog)
        return;
    check(text(item(dialog, GL_TITLE)) == "Parabola", "the title is shown again");
    press(dialog, GL_CLEARALL);
    check(text(item(dialog, GL_TITLE)).empty() && text(item(dialog, GL_LEFT)).empty() &&
              text(item(dialog, GL_RIGHT)).empty(),
          "Clear All empties the three fields");
    press(dialog, IDCANCEL);
    check(closes(dialog), "Cancel closes Graph Labels");
    file = saved(s, document);
    check(has(file, "title=Parabola\n"), "Cancel keeps the labels");
}

void legends(Session& s, const std::string& document)
{
    HWND dialog = open(s, 4001, "Axis Legends");
    if (!dialog)
        return;
    check(!checked(dialog, AL_CUSTOM), "automatic spacing at first");
    setText(item(dialog, AL_XINCR), "2");
    check(checked(dialog, AL_CUSTOM), "typing an increment selects Custom");
    struct Case {
        const char* x;
        const char* y;
        bool accepted;
    };
    const Case cases[] = {{"2", "-1", false}, {"0", "", false}, {"2", "foo(", false}, {"2", "pi/2", true}};
    for (const Case& c : cases) {
        setText(item(dialog, AL_XINCR), c.x);
        setText(item(dialog, AL_YINCR), c.y);
        if (c.accepted) {
            click(item(dialog, AL_SCALE));
            shoot(dialog, "axis_legends.bmp");
        }
        press(dialog, IDOK);
        check(c.accepted ? closes(dialog) : stillOpen(dialog),
              std::string("increments ") + c.x + " and \"" + c.y + (c.accepted ? "\" are taken" : "\" keep it open"));
    }
    std::string file = saved(s, document);
    check(has(file, "legends=scale\n") && has(file, "xlegspace=2\n") && has(file, "ylegspace=1.5707963"),
          "custom spacing scaling with the grid is kept");

    dialog = open(s, 4001, "Axis Legends");
    if (!dialog)
        return;
    check(checked(dialog, AL_CUSTOM) && checked(dialog, AL_SCALE), "the custom choice is shown again");
    click(item(dialog, AL_NONE));
    press(dialog, IDCANCEL);
    check(closes(dialog), "Cancel closes Axis Legends");
    file = saved(s, document);
    check(has(file, "legends=scale\n"), "Cancel keeps the legends");
    dialog = open(s, 4001, "Axis Legends");
    if (!dialog)
        return;
    click(item(dialog, AL_NONE));
    press(dialog, IDOK);
    check(closes(dialog), "OK with no legends");
    file = saved(s, document);
    check(has(file, "legends=off\n"), "the legends are off");
}

// The pointer moved for real along a path in the graph window, the left button held down: the
// program keeps it inside the plotting area and on the curve while it drags.
void drag(const Session& s, POINT from, POINT to)
{
    dragInGraph(s, from, to);
    PostMessageA(s.graph, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    flush(s.main);
}

// With both input options, a region dragged with the mouse is shown in the Integrate curve dialog.
void integrateWithMouse(Session& s)
{
    HWND dialog = open(s, 6004, "Integration Options");
    if (!dialog)
        return;
    click(item(dialog, IO_MOUSE));
    press(dialog, IDOK);
    check(closes(dialog), "the mouse is ticked again");
    const Bitmap shot = graphShot(s);
    int axis = -1, most = 0;
    for (int x = shot.width / 5; x < shot.width * 4 / 5; ++x) {
        const int n = shot.count(0x800000, x, 0, x + 1, shot.height);
        if (n > most) {
            most = n;
            axis = x;
        }
    }
    // The curve is the only thing drawn in neither the paper's, the grid's nor the axes' colour.
    auto onCurve = [&](int x) {
        for (int y = 0; y < shot.height; ++y)
            if (shot.at(x, y) != 0x808080 && shot.at(x, y) != 0x00FF00 && shot.at(x, y) != 0x800000)
                return POINT{x, y};
        return POINT{x, -1};
    };
    const POINT from = onCurve(axis + 2), to = onCurve(axis + shot.width / 10);
    check(axis > 0 && from.y > 0 && to.y > 0, "the curve is found beside the y axis (axis " + std::to_string(axis) +
                                                  ", rows " + std::to_string(from.y) + ", " + std::to_string(to.y) + ")");
    if (axis <= 0 || from.y <= 0 || to.y <= 0)
        return;
    command(s.main, 6003);
    flush(s.main);
    drag(s, from, to);
    HWND curve = s.program->waitForWindow("#32770", "Integrate curve", 5000);
    check(curve != nullptr, "integrating with the mouse shows the Integrate curve dialog");
    if (!curve)
        return;
    flush(curve);
    const double start = std::atof(text(item(curve, IC_FROM)).c_str());
    check(std::fabs(start) < 0.2 && text(item(curve, IC_AREA)) != "ERROR" && !text(item(curve, IC_AREA)).empty(),
          "with the region dragged (from \"" + text(item(curve, IC_FROM)) + "\", area \"" +
              text(item(curve, IC_AREA)) + "\")");
    press(curve, IDCANCEL);
    check(closes(curve), "closed after the mouse");
}

void integration(Session& s, const std::string& setup)
{
    HWND dialog = open(s, 6004, "Integration Options");
    if (!dialog)
        return;
    check(checked(dialog, IO_MOUSE) && !checked(dialog, IO_DIALOG), "the mouse is ticked at first");
    click(item(dialog, IO_MOUSE));
    press(dialog, IDOK);
    check(stillOpen(dialog), "both input boxes unticked cannot be confirmed");
    click(item(dialog, IO_DIALOG));
    click(item(dialog, IO_SIMPSON));
    setText(item(dialog, IO_SEGMENTS), "15");
    check(checked(dialog, IO_SPECIFY), "typing a count selects Specify");
    press(dialog, IDOK);
    check(stillOpen(dialog), "Simpson's Rule with 15 segments cannot be confirmed");
    setText(item(dialog, IO_SEGMENTS), "50");
    shoot(dialog, "integration_options.bmp");
    press(dialog, IDOK);
    check(closes(dialog), "Simpson's Rule with 50 segments is taken");
    DeleteFileA(setup.c_str());
    command(s.main, 1005);
    Sleep(600);
    const std::string ini = readFile(setup);
    check(has(ini, "intflags=34\n") && has(ini, "intnumseg=50\n"), "the options are stored (Simpson, dialog box)");

    // Without the mouse, Integrate opens the Integrate curve dialog.
    command(s.main, 6003);
    HWND curve = s.program->waitForWindow("#32770", "Integrate curve", 5000);
    check(curve != nullptr, "Integrate opens the Integrate curve dialog");
    if (!curve)
        return;
    setText(item(curve, IC_FROM), "0");
    setText(item(curve, IC_TO), "3");
    press(curve, IC_CALCULATE);
    Sleep(300);
    const double area = std::atof(text(item(curve, IC_AREA)).c_str());
    check(std::fabs(area + 3) < 1e-6, "the integral of x^2-4 from 0 to 3 is -3 (\"" + text(item(curve, IC_AREA)) + "\")");
    check(text(s.status).rfind("Interval: ", 0) == 0, "the status reports it (\"" + text(s.status) + "\")");
    shoot(curve, "integrate_curve.bmp");
    setText(item(curve, IC_TO), "3+");
    press(curve, IC_CALCULATE);
    check(text(item(curve, IC_AREA)) == "ERROR", "a limit that is no constant gives ERROR");
    press(curve, IDCANCEL);
    check(closes(curve), "Close ends the Integrate curve dialog");

    // Deleting the integrated curve takes the region and the dialog with it.
    command(s.main, 6003);
    curve = s.program->waitForWindow("#32770", "Integrate curve", 5000);
    check(curve && text(item(curve, IC_TO)) == "3", "the dialog opens again on the region");
    setText(s.field, "y=x^2-4");
    command(s.main, 2004);
    check(curve && closes(curve), "deleting the curve closes it");
    graph(s, "y=x^2-4");
    integrateWithMouse(s);
}

void tableOptions(Session& s, const std::string& setup)
{
    HWND dialog = open(s, 5004, "Point Tables Options");
    if (!dialog)
        return;
    check(!checked(dialog, TO_CUSTOM) && text(item(dialog, TO_INCREMENT)).empty(), "grid spacing at first");
    click(item(dialog, TO_CUSTOM));
    flush(dialog);
    check(text(item(dialog, TO_INCREMENT)) == "1", "choosing Custom fills in the last increment (\"" +
                                                        text(item(dialog, TO_INCREMENT)) + "\")");
    struct Case {
        const char* increment;
        const char* columns;
        bool accepted;
    };
    const Case cases[] = {{"1", "5", false}, {"1", "0", false}, {"0", "2", false}, {"-1/2", "2", false},
                          {"1/2", "2", true}};
    for (const Case& c : cases) {
        setText(item(dialog, TO_INCREMENT), c.increment);
        setText(item(dialog, TO_COLUMNS), c.columns);
        if (c.accepted) {
            click(item(dialog, TO_SCALE));
            shoot(dialog, "table_options.bmp");
        }
        press(dialog, IDOK);
        check(c.accepted ? closes(dialog) : stillOpen(dialog), std::string("increment ") + c.increment + ", " +
                                                                   c.columns + (c.accepted ? " graphs are taken" : " graphs keep it open"));
    }
    DeleteFileA(setup.c_str());
    command(s.main, 1005);
    Sleep(600);
    const std::string ini = readFile(setup);
    check(has(ini, "tableopts=24\n") && has(ini, "tableincr=0.5\n") && has(ini, "tablecols=2\n"),
          "a custom increment of 0.5 scaling with the grid, two graphs a table");
    dialog = open(s, 5004, "Point Tables Options");
    if (!dialog)
        return;
    check(checked(dialog, TO_CUSTOM) && checked(dialog, TO_SCALE) && text(item(dialog, TO_COLUMNS)) == "2",
          "they are shown again");
    setText(item(dialog, TO_COLUMNS), "4");
    press(dialog, IDCANCEL);
    check(closes(dialog), "Cancel closes it");
    command(s.main, 1005);
    Sleep(600);
    check(has(readFile(setup), "tablecols=2\n"), "Cancel keeps the options");
}

void optionsPanel(Session& s, const std::string& setup)
{
    HWND dialog = open(s, 5001, "Options Panel");
    if (!dialog)
        return;
    check(text(item(dialog, OP_RANGE)).rfind("(-8", 0) == 0, "the range is shown (\"" + text(item(dialog, OP_RANGE)) + "\")");
    check(!checked(dialog, OP_LEGENDS), "the legends turned off before are shown off");
    click(item(dialog, OP_AUTOREDRAW));
    flush(dialog);
    check(!IsWindowEnabled(item(dialog, OP_COUNT)), "the count is disabled without AutoRedraw");
    click(item(dialog, OP_AUTOREDRAW));
    flush(dialog);
    check(IsWindowEnabled(item(dialog, OP_COUNT)), "and enabled with it");
    // The buttons open the other dialogs; what they change shows in the panel.
    click(item(dialog, OP_CUSTOM));
    if (HWND legends = s.program->waitForWindow("#32770", "Axis Legends", 4000)) {
        check(GetWindow(legends, GW_OWNER) == dialog && !IsWindowEnabled(dialog),
              "Axis Legends is owned by the panel, which waits for it");
        click(item(legends, AL_AUTOMATIC));
        click(item(legends, IDOK));
        check(closes(legends), "Custom... opens Axis Legends");
    } else {
        check(false, "Custom... opens Axis Legends");
    }
    flush(dialog);
    check(checked(dialog, OP_LEGENDS), "the legends box follows it");
    click(item(dialog, OP_CHANGERANGE));
    if (HWND range = s.program->waitForWindow("#32770", "Grid Range", 4000)) {
        click(item(range, IDCANCEL));
        check(closes(range), "Change Range opens Grid Range");
    } else {
        check(false, "Change Range opens Grid Range");
    }
    check(stillOpen(dialog), "the panel stays open after it");
    const struct {
        int button;
        const char* caption;
    } others[] = {{OP_SCALEGRID, "Scale Graph"}, {OP_CHANGETHETA, "Theta Range"}, {OP_PAPER, "Graph Paper"},
                  {OP_COLORS, "Select Color Scheme"}};
    for (const auto& other : others) {
        click(item(dialog, other.button));
        HWND opened = s.program->waitForWindow("#32770", other.caption, 4000);
        check(opened != nullptr, std::string("the panel opens ") + other.caption);
        if (opened) {
            click(item(opened, IDCANCEL));
            closes(opened);
        }
    }
    for (const char* bad : {"0.1", "7", "x"}) {
        setText(item(dialog, OP_FINENESS), bad);
        press(dialog, IDOK);
        check(stillOpen(dialog), std::string("fineness ") + bad + " keeps it open");
    }
    setText(item(dialog, OP_FINENESS), "2");
    click(item(dialog, OP_WIDELINES));
    click(item(dialog, OP_WARNINGS));
    click(item(dialog, OP_TABLES));
    setText(item(dialog, OP_COUNT), "5");
    shoot(dialog, "options_panel.bmp");
    press(dialog, IDOK);
    check(closes(dialog), "OK closes the Options Panel");
    waitIdle(s);
    command(s.main, 1005);
    Sleep(600);
    std::string ini = readFile(setup);
    check(has(ini, "fineness=2\n") && has(ini, "widelines=on\n") && has(ini, "warnings=on\n") &&
              has(ini, "autonum=5\n") && has(ini, "tables=on\n"),
          "fineness, wide lines, warnings, point tables and the count are stored");
    HWND printout = findChild(s.main, "ListBox");
    check(printout && IsWindowVisible(printout), "Print point tables shows the Printout window");

    dialog = open(s, 5001, "Options Panel");
    if (!dialog)
        return;
    press(dialog, OP_DEFAULTS);
    check(text(item(dialog, OP_FINENESS)) == "1" && text(item(dialog, OP_COUNT)) == "25" &&
              !checked(dialog, OP_WIDELINES) && !checked(dialog, OP_WARNINGS) && !checked(dialog, OP_TABLES),
          "Defaults fills in the default options");
    press(dialog, IDCANCEL);
    check(closes(dialog), "Cancel closes the panel");
    command(s.main, 1005);
    Sleep(600);
    ini = readFile(setup);
    check(has(ini, "fineness=2\n") && has(ini, "widelines=on\n"), "Cancel after Defaults keeps the options");
}

void criticalPoints(Session& s)
{
    HWND dialog = open(s, 6005, "Find Critical Points");
    if (!dialog)
        return;
    HWND results = item(dialog, CP_RESULTS);
    check(SendMessageA(results, LB_GETCOUNT, 0, 0) == 3, "a zero, a minimum and a zero are listed");
    check(text(s.status).rfind("Find Critical Points: ", 0) == 0, "the status names the equation");
    setText(item(dialog, CP_GUESS), "5");
    press(dialog, CP_CALCULATE);
    check(SendMessageA(results, LB_GETCOUNT, 0, 0) == 4, "a guess adds the zero near it");
    shoot(dialog, "critical_points.bmp");
    setText(item(dialog, CP_GUESS), "x+");
    press(dialog, CP_CALCULATE);
    answerMessage(s, "Quorvex", "a guess that is no constant is refused with a message");
    check(SendMessageA(results, LB_GETCOUNT, 0, 0) == 4 && stillOpen(dialog), "nothing is added, the dialog stays");
    press(dialog, IDCANCEL);
    check(closes(dialog), "Close ends Find Critical Points");
}

double numberAfter(const std::string& text, const std::string& mark)
{
    const std::size_t at = text.find(mark);
    return at == std::string::npos ? 1e300 : std::atof(text.c_str() + at + mark.size());
}

void pointEvaluate(Session& s)
{
    // With Print Tables on (the Options Panel turned it on), the evaluations go to the Printout
    // window too.
    HWND printout = findChild(s.main, "ListBox");
    check(printout && IsWindowVisible(printout), "the Printout window is shown");
    setText(s.field, "y=x^2-4");
    HWND dialog = open(s, 5501, "Point Evaluate");
    if (!dialog)
        return;
    check(text(s.status).rfind("Point Evaluate: ", 0) == 0, "the status names the equation (\"" + text(s.status) + "\")");
    const LRESULT lines = SendMessageA(printout, LB_GETCOUNT, 0, 0);
    setText(item(dialog, PE_VALUE), "3");
    press(dialog, PE_CALCULATE);
    check(printout && lines >= 4 && SendMessageA(printout, LB_GETCOUNT, 0, 0) == lines + 1,
          "the heading and each result are printed out");
    std::string result = text(item(dialog, PE_RESULT));
    check(result.rfind("At x = 3", 0) == 0 && std::fabs(numberAfter(result, "y = ") - 5) < 1e-9,
          "x^2-4 at 3 is 5 (\"" + result + "\")");
    setText(item(dialog, PE_VALUE), "1");
    click(item(dialog, PE_DEGREES));
    click(item(dialog, PE_XPI));
    press(dialog, PE_CALCULATE);
    result = text(item(dialog, PE_RESULT));
    const double at = 3.1415926536 * 0.01745329252;
    check(std::fabs(numberAfter(result, "y = ") - (at * at - 4)) < 1e-4,
          "Degrees and X pi evaluate at pi*pi/180 (\"" + result + "\")");
    shoot(dialog, "point_evaluate.bmp");
    setText(item(dialog, PE_VALUE), "2*");
    press(dialog, PE_CALCULATE);
    check(text(item(dialog, PE_RESULT)) == result && stillOpen(dialog), "a value that does not parse changes nothing");
    press(dialog, IDCANCEL);
    check(closes(dialog), "Close ends Point Evaluate");

    graph(s, "y=sqrt(x)");
    dialog = open(s, 5501, "Point Evaluate");
    if (!dialog)
        return;
    setText(item(dialog, PE_VALUE), "-4");
    press(dialog, PE_CALCULATE);
    if (HWND box = s.program->waitForWindow("#32770", "Quorvex", 1500))
        click(item(box, IDOK));
    Sleep(200);
    check(text(item(dialog, PE_RESULT)) == "Error", "sqrt(x) at -4 is an error (\"" + text(item(dialog, PE_RESULT)) + "\")");
    press(dialog, IDCANCEL);
    check(closes(dialog), "closed after the error");

    // A differential equation is solved from its initial values up to the value.
    graph(s, "d2x=-x {0, 0, 1}");
    dialog = open(s, 5501, "Point Evaluate");
    if (!dialog)
        return;
    setText(item(dialog, PE_VALUE), "pi/2");
    press(dialog, PE_CALCULATE);
    result = text(item(dialog, PE_RESULT));
    check(result.rfind("At t = 1.5", 0) == 0 && std::fabs(numberAfter(result, ": x = ") - 1) < 1e-3 &&
              std::fabs(numberAfter(result, "dx/dt = ")) < 1e-3,
          "x''=-x from (0, 0, 1) at pi/2 is 1 with slope 0 (\"" + result + "\")");
    shoot(dialog, "point_evaluate_ode.bmp");
    press(dialog, IDCANCEL);
    check(closes(dialog), "closed after the differential equation");

    // A differential equation without initial values has no value to show.
    graph(s, "dx=x");
    command(s.main, 5501);
    answerMessage(s, "Quorvex", "Point Evaluate refuses a slope field");
    check(s.program->waitForWindow("#32770", "Point Evaluate", 300) == nullptr, "and does not open");
}

void variables(Session& s)
{
    graph(s, "y=b*x");
    command(s.main, 5505);
    HWND panel = s.program->waitForWindow("#32770", "Variables", 5000);
    check(panel != nullptr, "the Variables panel opens");
    if (!panel)
        return;
    flush(panel);
    check(text(item(panel, VA_FROM)) == "1" && text(item(panel, VA_B)) == "1", "it shows the parameters");
    const int before = int(SendMessageA(s.field, CB_GETCOUNT, 0, 0));
    setText(item(panel, VA_B), "3+");
    press(panel, VA_UPDATE);
    answerMessage(s, "Quorvex", "a value that is no constant is refused with a message");
    check(int(SendMessageA(s.field, CB_GETCOUNT, 0, 0)) == before && IsWindow(panel), "nothing is applied");
    setText(item(panel, VA_B), "3");
    shoot(panel, "variables.bmp");
    press(panel, VA_UPDATE);
    waitIdle(s);
    check(int(SendMessageA(s.field, CB_GETCOUNT, 0, 0)) == before + 1, "Update adds the equation with the new b");
    SendMessageA(s.field, CB_SETCURSEL, 0, 0);
    check(has(text(s.field), "{b: 3}"), "with its clause (\"" + text(s.field) + "\")");
    PostMessageA(panel, WM_CLOSE, 0, 0);
    check(closes(panel), "the panel closes");
    command(s.main, 5505);
    panel = s.program->waitForWindow("#32770", "Variables", 5000);
    check(panel && text(item(panel, VA_B)) == "3", "it opens again with the texts kept");
    if (panel) {
        PostMessageA(panel, WM_CLOSE, 0, 0);
        closes(panel);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: e2e_quorvex_tools QUORVEX.EXE ARTEFACT_DIR\n");
        return 2;
    }
    const std::string exe = std::string("\"") + argv[1] + "\"";
    const std::string dir = argv[2];
    setArtefactDirectory(dir);
    const std::string document = dir + "\\tools.gr";
    const std::string setup = dir + "\\tools.ini";
    check(writeFile(document, "[saved-setup]\n[grid]\nleft=-8\nright=8\ntop=auto\nbottom=auto\n\n[equations]\ny=x^2-4\n"),
          "tools.gr written");
    DeleteFileA(setup.c_str());
    {
        Program p(exe + " \"/i:" + setup + "\" tools", dir);
        Session s{&p};
        check(attach(s), "start with tools.gr");
        waitIdle(s);
        annotations(s, document);
        labels(s, document);
        legends(s, document);
        waitIdle(s);
        integration(s, setup);
        criticalPoints(s);
        tableOptions(s, setup);
        optionsPanel(s, setup);
        pointEvaluate(s);
        variables(s);
        check(p.running(), "still running after the dialogs");
        exitProgram(s, "tools");
    }
    return finish();
}
