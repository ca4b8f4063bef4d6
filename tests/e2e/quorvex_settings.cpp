// The settings dialogs of Quorvex, driven as a user would: Grid Range, Scale Graph, Graph Paper with
// its Log Paper Options, Theta Range and Fineness Control. Each changes what the graph window shows
// or what the program keeps, refuses invalid entries by staying open, and leaves things alone on
// Cancel.
#include "driver.h"
#include "quorvex_session.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

using namespace e2e;

namespace {

constexpr uint32_t AXES = QUORVEX_AXES;
constexpr uint32_t CURVE = 0xFF00FF;

// Menu commands and dialog controls.
constexpr int CM_FILESAVEAS = 1004;
constexpr int CM_FILEEXIT = 1008;
constexpr int CM_GRAPHPAPER = 3002;
constexpr int CM_SCALE = 3003;
constexpr int CM_GRIDRANGE = 3004;

constexpr int GR_LEFT = 2001, GR_RIGHT = 2002, GR_BOTTOM = 2003, GR_TOP = 2004, GR_AUTOSCALE = 2005,
              GR_DEFAULTS = 2006;
constexpr int SC_FACTOR = 2101, SC_ZOOMOUT = 2103;
constexpr int CM_THETARANGE = 3005, CM_FINENESS = 5002, CM_SAVESETUP = 1005;
constexpr int GP_RECTANGULAR = 2201, GP_TRIG = 2202, GP_LOGARITHMIC = 2204, GP_GRIDLINES = 2213, GP_BORDER = 2221,
              GP_AXES = 2222, GP_ARROWS = 2223, GP_AXISNAMES = 2224, GP_LOGOPTIONS = 2231, GP_TRIG_PICTURE = 2242;
constexpr int LO_BASE10 = 2301, LO_OTHER = 2303, LO_OTHERBASE = 2304, LO_LOGLOG = 2306;
constexpr int TR_START = 2401, TR_START_DEGREES = 2402, TR_START_PI = 2404, TR_END = 2411, TR_END_DEGREES = 2412,
              TR_DEFAULTS = 2420;
constexpr int FN_VALUE = 2501, FN_BAR = 2502;
constexpr int CM_COLORS = 3006, CM_HELPABOUT = 6501;
constexpr int CS_GRAY = 2602, CS_WHITE = 2603, CS_BLACK = 2604, CS_CUSTOM = 2605, CS_ELEMENTS = 2610,
              CS_COLORS = 2611, CS_DEFAULT = 2613;
constexpr int CM_FONTS = 3007, FO_ROLES = 2801, FO_SELECT = 2802, FO_SAMPLE = 2803;
constexpr int CHOOSER_FACE = 0x470, CHOOSER_SIZE = 0x472;  // boxes of the platform's font chooser
constexpr char SCALABLE_FACE[] = "DejaVu Sans Mono";
constexpr int GRAPH_1 = 6, MAGENTA = 4, BLUE = 1, DARK_GRAY = 14, WHITE = 7;

// Where the y axis stands, as a fraction of the plotting area's width.
double axisFraction(const Bitmap& shot)
{
    std::vector<int> columns(shot.width);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y) == AXES)
                ++columns[x];
    const RECT border = plotBorder(shot);
    int axis = -1, best = shot.height / 2;
    for (int x = border.left + 6; x < border.right - 6; ++x)
        if (columns[x] > best) {
            best = columns[x];
            axis = x;
        }
    if (axis < 0 || border.right <= border.left)
        return -1;
    return double(axis - border.left) / (border.right - border.left);
}

void expectAxis(const Session& s, double expected, const std::string& what, const std::string& picture)
{
    Bitmap shot = graphShot(s);
    shot.save(artefact(picture));
    const double f = axisFraction(shot);
    check(std::fabs(f - expected) < 0.01,
          what + ": y axis at " + std::to_string(f) + " of the width, expected " + std::to_string(expected));
}

HWND openDialog(const Session& s, int id, const std::string& caption)
{
    command(s.main, id);
    HWND dialog = s.program->waitForWindow("#32770", caption, 5000);
    check(dialog != nullptr, "\"" + caption + "\" opens");
    if (dialog)
        settle(dialog);
    return dialog;
}

bool closes(HWND dialog)
{
    DWORD start = GetTickCount();
    while (IsWindow(dialog) && GetTickCount() - start < 5000)
        Sleep(50);
    return !IsWindow(dialog);
}

// Presses a button that must leave the dialog open; true when it stayed, with the field selected
// (when one is given).
bool staysOpen(HWND dialog, int button, int selected = 0)
{
    click(GetDlgItem(dialog, button));
    Sleep(300);
    flush(dialog);
    if (!IsWindow(dialog) || !IsWindowVisible(dialog))
        return false;
    if (!selected)
        return true;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND field = GetDlgItem(dialog, selected);
    const DWORD range = DWORD(SendMessageA(field, EM_GETSEL, 0, 0));
    const int length = int(text(field).size());
    return info.hwndFocus == field && LOWORD(range) == 0 && HIWORD(range) == length;
}

double number(HWND dialog, int id) { return std::atof(text(GetDlgItem(dialog, id)).c_str()); }

struct Range {
    double left = 0, right = 0, bottom = 0, top = 0;
};

// The range as the Grid Range dialog shows it; the dialog is cancelled.
Range shownRange(const Session& s)
{
    Range r;
    HWND dialog = openDialog(s, CM_GRIDRANGE, "Grid Range");
    if (!dialog)
        return r;
    r = Range{number(dialog, GR_LEFT), number(dialog, GR_RIGHT), number(dialog, GR_BOTTOM), number(dialog, GR_TOP)};
    click(GetDlgItem(dialog, IDCANCEL));
    closes(dialog);
    return r;
}

void setRange(HWND dialog, const char* left, const char* right, const char* bottom, const char* top)
{
    setText(GetDlgItem(dialog, GR_LEFT), left);
    setText(GetDlgItem(dialog, GR_RIGHT), right);
    setText(GetDlgItem(dialog, GR_BOTTOM), bottom);
    setText(GetDlgItem(dialog, GR_TOP), top);
}

bool closeTo(double a, double b, double tolerance = 1e-6) { return std::fabs(a - b) <= tolerance; }

std::string describe(const Range& r)
{
    char text[200];
    std::snprintf(text, sizeof text, "(%g, %g) - (%g, %g)", r.left, r.bottom, r.right, r.top);
    return text;
}

void gridRange(Session& s)
{
    HWND dialog = openDialog(s, CM_GRIDRANGE, "Grid Range");
    if (!dialog)
        return;
    captureWindow(dialog).save(artefact("grid_range.bmp"));
    check(text(GetDlgItem(dialog, GR_LEFT)) == "-8" && text(GetDlgItem(dialog, GR_RIGHT)) == "8",
          "the fields show the range (\"" + text(GetDlgItem(dialog, GR_LEFT)) + "\", \"" +
              text(GetDlgItem(dialog, GR_RIGHT)) + "\")");
    check(IsDlgButtonChecked(dialog, GR_AUTOSCALE) == BST_CHECKED, "Autoscale starts ticked");

    // Invalid entries keep the dialog open with the field selected.
    struct Refusal {
        const char *left, *right, *bottom, *top;
        int selected;
        const char* what;
    };
    const Refusal refusals[] = {
        {"-2", "abc", "-1", "1", GR_RIGHT, "a field that does not evaluate"},
        {"", "6", "-1", "", GR_LEFT, "two empty fields"},
        {"-2", "6", "10^100", "2", GR_BOTTOM, "a bound beyond 9.9e99"},
        {"3", "3", "-1", "1", GR_RIGHT, "equal left and right"},
    };
    for (const Refusal& r : refusals) {
        setRange(dialog, r.left, r.right, r.bottom, r.top);
        check(staysOpen(dialog, IDOK, r.selected), std::string(r.what) + " keeps the dialog open, the field selected");
    }
    CheckDlgButton(dialog, GR_AUTOSCALE, BST_UNCHECKED);
    setRange(dialog, "-2", "6", "-1", "");
    check(staysOpen(dialog, IDOK, GR_TOP), "an empty field without Autoscale keeps it open");

    // Defaults shows the setup's range without applying it.
    setRange(dialog, "1", "2", "3", "4");
    click(GetDlgItem(dialog, GR_DEFAULTS));
    flush(dialog);
    check(text(GetDlgItem(dialog, GR_LEFT)) == "-8" && text(GetDlgItem(dialog, GR_RIGHT)) == "8" &&
              closeTo(number(dialog, GR_TOP), -number(dialog, GR_BOTTOM)) && number(dialog, GR_TOP) > 0,
          "Defaults fills in the default range (\"" + text(GetDlgItem(dialog, GR_BOTTOM)) + "\" to \"" +
              text(GetDlgItem(dialog, GR_TOP)) + "\")");
    click(GetDlgItem(dialog, IDCANCEL));
    check(closes(dialog), "Cancel closes it");
    expectAxis(s, 0.5, "Cancel leaves the range", "grid_range_cancel.bmp");

    // An empty top with Autoscale completes a square grid; a constant expression is a number.
    dialog = openDialog(s, CM_GRIDRANGE, "Grid Range");
    if (!dialog)
        return;
    setRange(dialog, "-2", "3*2", "-1", "");
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "a range with one empty field is taken");
    waitIdle(s);
    expectAxis(s, 0.25, "the new range is shown", "grid_range_square.bmp");
    const Bitmap shot = graphShot(s);
    const RECT border = plotBorder(shot);
    const double ratio = double(border.bottom - border.top) / (border.right - border.left);
    Range r = shownRange(s);
    check(closeTo(r.left, -2) && closeTo(r.right, 6) && closeTo(r.bottom, -1) && closeTo((r.top - r.bottom) / 8, ratio, 0.01),
          "the top is computed for a square grid " + describe(r) + ", area ratio " + std::to_string(ratio));

    // Reversed pairs are swapped.
    dialog = openDialog(s, CM_GRIDRANGE, "Grid Range");
    if (!dialog)
        return;
    setRange(dialog, "4", "-4", "3", "-3");
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "reversed pairs are taken");
    waitIdle(s);
    r = shownRange(s);
    check(closeTo(r.left, -4) && closeTo(r.right, 4) && closeTo(r.bottom, -3) && closeTo(r.top, 3),
          "and swapped " + describe(r));
    expectAxis(s, 0.5, "the swapped range is shown", "grid_range_swapped.bmp");
}

void scale(Session& s)
{
    HWND dialog = openDialog(s, CM_SCALE, "Scale Graph");
    if (!dialog)
        return;
    captureWindow(dialog).save(artefact("scale.bmp"));
    check(text(GetDlgItem(dialog, SC_FACTOR)) == "2", "the factor shows the default zoom factor");
    for (const char* refused : {"1", "0.5", "x+"}) {
        setText(GetDlgItem(dialog, SC_FACTOR), refused);
        check(staysOpen(dialog, IDOK, SC_FACTOR), std::string("factor \"") + refused + "\" keeps it open");
    }
    click(GetDlgItem(dialog, IDCANCEL));
    check(closes(dialog), "Cancel closes it");
    Range r = shownRange(s);
    check(closeTo(r.left, -4) && closeTo(r.right, 4), "Cancel leaves the range " + describe(r));

    dialog = openDialog(s, CM_SCALE, "Scale Graph");
    if (!dialog)
        return;
    setText(GetDlgItem(dialog, SC_FACTOR), "3");
    click(GetDlgItem(dialog, SC_ZOOMOUT));
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "factor 3 is taken");
    waitIdle(s);
    r = shownRange(s);
    check(closeTo(r.left, -12) && closeTo(r.right, 12) && closeTo(r.bottom, -9) && closeTo(r.top, 9),
          "Zoom out by 3 makes the range three times as large " + describe(r));
    dialog = openDialog(s, CM_SCALE, "Scale Graph");
    if (!dialog)
        return;
    check(text(GetDlgItem(dialog, SC_FACTOR)) == "3", "3 is the new default zoom factor");
    setText(GetDlgItem(dialog, SC_FACTOR), "2*2");
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "a constant expression is a factor");
    waitIdle(s);
    r = shownRange(s);
    check(closeTo(r.left, -3) && closeTo(r.right, 3), "Zoom in by 2*2 " + describe(r));
    // The zoom button takes the new default factor.
    command(s.bar, 806);
    waitIdle(s);
    r = shownRange(s);
    check(closeTo(r.left, -12) && closeTo(r.right, 12), "the Zoom out button zooms by 4 " + describe(r));
}

bool ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void setGridRange(const Session& s, const char* left, const char* right, const char* bottom, const char* top)
{
    HWND dialog = openDialog(s, CM_GRIDRANGE, "Grid Range");
    if (!dialog)
        return;
    setRange(dialog, left, right, bottom, top);
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), std::string("the range is set from ") + left + " to " + right);
    waitIdle(s);
}

// Answers the message box about a logarithmic range; true when it was shown.
bool answerLogMessage(const Session& s)
{
    HWND message = s.program->waitForWindow("#32770", "Quorvex", 5000);
    if (!message)
        return false;
    bool said = false;
    for (HWND child = GetWindow(message, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        said = said || text(child).rfind("You cannot display values less than or equal to zero on a logarithmic scale.", 0) == 0;
    click(GetDlgItem(message, IDOK));
    closes(message);
    return said;
}

void graphPaper(Session& s)
{
    setGridRange(s, "-8", "8", "-8", "8");
    HWND dialog = openDialog(s, CM_GRAPHPAPER, "Graph Paper");
    if (!dialog)
        return;
    captureWindow(dialog).save(artefact("graph_paper.bmp"));
    check(ticked(dialog, GP_RECTANGULAR) && ticked(dialog, GP_GRIDLINES) && ticked(dialog, GP_BORDER) &&
              ticked(dialog, GP_AXES) && ticked(dialog, GP_ARROWS) && ticked(dialog, GP_AXISNAMES),
          "the dialog shows the new document's paper");
    // The picture beside a paper kind selects it; Cancel forgets it.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GP_TRIG_PICTURE, STN_CLICKED), LPARAM(GetDlgItem(dialog, GP_TRIG_PICTURE)));
    flush(dialog);
    check(ticked(dialog, GP_TRIG) && !ticked(dialog, GP_RECTANGULAR), "the picture beside Trig selects it");
    click(GetDlgItem(dialog, IDCANCEL));
    check(closes(dialog), "Cancel closes it");
    dialog = openDialog(s, CM_GRAPHPAPER, "Graph Paper");
    if (!dialog)
        return;
    check(ticked(dialog, GP_RECTANGULAR), "Cancel kept rectangular paper");

    // Log Options selects logarithmic paper; its base must be above 0; typing a base chooses it.
    click(GetDlgItem(dialog, GP_LOGOPTIONS));
    HWND options = s.program->waitForWindow("#32770", "Log Paper Options", 5000);
    check(options != nullptr, "Log Options opens \"Log Paper Options\"");
    if (!options)
        return;
    captureWindow(options).save(artefact("log_options.bmp"));
    check(ticked(options, LO_BASE10), "base 10 to start with");
    setText(GetDlgItem(options, LO_OTHERBASE), "-2");
    check(ticked(options, LO_OTHER), "typing a base selects Other base");
    check(staysOpen(options, IDOK, LO_OTHERBASE), "a base of -2 keeps it open");
    click(GetDlgItem(options, LO_BASE10));
    click(GetDlgItem(options, LO_LOGLOG));
    click(GetDlgItem(options, IDOK));
    check(closes(options), "Log-Log in base 10 is taken");
    check(ticked(dialog, GP_LOGARITHMIC), "Log Options selected logarithmic paper");
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "logarithmic paper is taken");
    waitIdle(s);
    captureWindow(s.main).save(artefact("log_log.bmp"));
    Range r = shownRange(s);
    check(closeTo(r.left, 8e-4, 1e-9) && closeTo(r.right, 8) && r.bottom > 0 && closeTo(r.top, 8),
          "log-log paper takes left 8/10^4 and a positive bottom " + describe(r));

    // Back to rectangular, then logarithmic over a range below zero: the range is asked for, and a
    // cancelled Grid Range puts the paper back.
    dialog = openDialog(s, CM_GRAPHPAPER, "Graph Paper");
    if (!dialog)
        return;
    click(GetDlgItem(dialog, GP_RECTANGULAR));
    click(GetDlgItem(dialog, IDOK));
    closes(dialog);
    waitIdle(s);
    setGridRange(s, "-8", "8", "-5", "-1");
    dialog = openDialog(s, CM_GRAPHPAPER, "Graph Paper");
    if (!dialog)
        return;
    click(GetDlgItem(dialog, GP_LOGARITHMIC));
    click(GetDlgItem(dialog, IDOK));
    check(answerLogMessage(s), "a range below zero on logarithmic paper is refused with a message");
    HWND range = s.program->waitForWindow("#32770", "Grid Range", 5000);
    check(range != nullptr, "and the Grid Range dialog");
    if (range) {
        captureWindow(range).save(artefact("grid_range_log.bmp"));
        // The paper is log-log, as Log Options chose before.
        setRange(range, "1", "100", "0", "5");
        click(GetDlgItem(range, IDOK));
        check(answerLogMessage(s), "a bottom of 0 on logarithmic paper is refused with the message");
        check(IsWindow(range), "and the dialog stays");
        click(GetDlgItem(range, IDCANCEL));
        closes(range);
    }
    waitIdle(s);
    r = shownRange(s);
    check(closeTo(r.left, -8) && closeTo(r.right, 8) && closeTo(r.bottom, -5) && closeTo(r.top, -1),
          "cancelling it keeps the range " + describe(r));
    dialog = openDialog(s, CM_GRAPHPAPER, "Graph Paper");
    if (!dialog)
        return;
    check(ticked(dialog, GP_RECTANGULAR), "and the paper");
    click(GetDlgItem(dialog, GP_LOGARITHMIC));
    click(GetDlgItem(dialog, IDOK));
    answerLogMessage(s);
    range = s.program->waitForWindow("#32770", "Grid Range", 5000);
    if (range) {
        setRange(range, "1", "100", "0.5", "5");
        click(GetDlgItem(range, IDOK));
        const bool taken = closes(range);
        check(taken, "a positive bottom is taken");
    }
    waitIdle(s);
    captureWindow(s.main).save(artefact("log_log_given.bmp"));
    r = shownRange(s);
    check(closeTo(r.left, 1) && closeTo(r.right, 100) && closeTo(r.bottom, 0.5) && closeTo(r.top, 5),
          "log-log paper over the range given " + describe(r));
    dialog = openDialog(s, CM_GRAPHPAPER, "Graph Paper");
    if (!dialog)
        return;
    check(ticked(dialog, GP_LOGARITHMIC), "the paper is logarithmic");
    click(GetDlgItem(dialog, GP_RECTANGULAR));
    click(GetDlgItem(dialog, IDOK));
    closes(dialog);
    waitIdle(s);
    setGridRange(s, "-8", "8", "-8", "8");
}

void thetaRange(Session& s)
{
    HWND dialog = openDialog(s, CM_THETARANGE, "Theta Range");
    if (!dialog)
        return;
    captureWindow(dialog).save(artefact("theta_range.bmp"));
    check(text(GetDlgItem(dialog, TR_START)) == "0" && text(GetDlgItem(dialog, TR_END)) == "6.28",
          "the fields show 0 to 2 pi (\"" + text(GetDlgItem(dialog, TR_END)) + "\")");
    setText(GetDlgItem(dialog, TR_START), "pi/");
    check(staysOpen(dialog, IDOK, TR_START), "a start that does not evaluate keeps it open");
    setText(GetDlgItem(dialog, TR_START), "1");
    click(GetDlgItem(dialog, TR_START_PI));
    click(GetDlgItem(dialog, TR_START_DEGREES));
    setText(GetDlgItem(dialog, TR_END), "360");
    click(GetDlgItem(dialog, TR_END_DEGREES));
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "1 X pi degrees to 360 degrees is taken");
    dialog = openDialog(s, CM_THETARANGE, "Theta Range");
    if (!dialog)
        return;
    check(closeTo(number(dialog, TR_START), 3.1415926536 * 3.1415926536 / 180, 1e-4) &&
              text(GetDlgItem(dialog, TR_END)) == "6.28",
          "they are pi*pi/180 and 2 pi in radians (\"" + text(GetDlgItem(dialog, TR_START)) + "\", \"" +
              text(GetDlgItem(dialog, TR_END)) + "\")");
    setText(GetDlgItem(dialog, TR_START), "3");
    setText(GetDlgItem(dialog, TR_END), "-1");
    click(GetDlgItem(dialog, IDOK));
    closes(dialog);
    dialog = openDialog(s, CM_THETARANGE, "Theta Range");
    if (!dialog)
        return;
    check(closeTo(number(dialog, TR_START), -1) && closeTo(number(dialog, TR_END), 3), "reversed limits are swapped");
    setText(GetDlgItem(dialog, TR_START), "7");
    click(GetDlgItem(dialog, IDCANCEL));
    closes(dialog);
    dialog = openDialog(s, CM_THETARANGE, "Theta Range");
    if (!dialog)
        return;
    check(closeTo(number(dialog, TR_START), -1), "Cancel leaves them");
    click(GetDlgItem(dialog, TR_DEFAULTS));
    flush(dialog);
    check(text(GetDlgItem(dialog, TR_START)) == "0" && text(GetDlgItem(dialog, TR_END)) == "6.2831853072" &&
              !ticked(dialog, TR_START_PI),
          "Defaults fills in 0 and 6.2831853072");
    click(GetDlgItem(dialog, IDOK));
    closes(dialog);
}

// A click away from the curve empties the status line, where a redraw would name the curve.
HWND emptyStatus(const Session& s)
{
    RECT area{};
    GetClientRect(s.graph, &area);
    const LPARAM away = MAKELPARAM(area.right / 5, area.bottom / 5);
    PostMessageA(s.graph, WM_LBUTTONDOWN, MK_LBUTTON, away);
    PostMessageA(s.graph, WM_LBUTTONUP, 0, away);
    flush(s.main);
    HWND status = findChildById(s.main, 800);
    check(text(status).empty(), "a click away from the curve empties the status line (\"" + text(status) + "\")");
    return status;
}

void fineness(Session& s, const std::string& setup)
{
    HWND status = emptyStatus(s);
    HWND dialog = openDialog(s, CM_FINENESS, "Fineness Control");
    if (!dialog)
        return;
    captureWindow(dialog).save(artefact("fineness.bmp"));
    HWND bar = GetDlgItem(dialog, FN_BAR);
    auto position = [&] { return int(SendMessageA(bar, SBM_GETPOS, 0, 0)); };
    check(text(GetDlgItem(dialog, FN_VALUE)) == "1" && position() == 50, "fineness 1 with the bar in the middle");
    PostMessageA(dialog, WM_HSCROLL, SB_LINERIGHT, LPARAM(bar));
    flush(dialog);
    check(position() == 51 && text(GetDlgItem(dialog, FN_VALUE)) == "1.0339",
          "an arrow moves the bar by one (\"" + text(GetDlgItem(dialog, FN_VALUE)) + "\")");
    PostMessageA(dialog, WM_HSCROLL, SB_PAGELEFT, LPARAM(bar));
    flush(dialog);
    check(position() == 41, "the page area moves it by ten");
    setText(GetDlgItem(dialog, FN_VALUE), "2");
    check(position() == 71, "typing 2 puts the bar at ln(2)*30+50 (" + std::to_string(position()) + ")");
    for (const char* refused : {"0", "-1", "two"}) {
        setText(GetDlgItem(dialog, FN_VALUE), refused);
        check(staysOpen(dialog, IDOK, FN_VALUE), std::string("fineness \"") + refused + "\" keeps it open");
    }
    setText(GetDlgItem(dialog, FN_VALUE), "0.5");
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "fineness 0.5 is taken");
    waitIdle(s);
    check(text(status).empty(), "a coarser fineness draws nothing again (\"" + text(status) + "\")");
    command(s.main, CM_SAVESETUP);
    Sleep(800);
    std::ifstream in(setup, std::ios::binary);
    std::stringstream saved;
    saved << in.rdbuf();
    check(saved.str().find("\nfineness=0.5") != std::string::npos, "the program keeps fineness 0.5");
    dialog = openDialog(s, CM_FINENESS, "Fineness Control");
    if (!dialog)
        return;
    check(text(GetDlgItem(dialog, FN_VALUE)) == "0.5", "and shows it next time");
    setText(GetDlgItem(dialog, FN_VALUE), "3");
    click(GetDlgItem(dialog, IDCANCEL));
    closes(dialog);
    dialog = openDialog(s, CM_FINENESS, "Fineness Control");
    if (!dialog)
        return;
    check(text(GetDlgItem(dialog, FN_VALUE)) == "0.5", "Cancel leaves it");
    click(GetDlgItem(dialog, IDCANCEL));
    closes(dialog);
    emptyStatus(s);
    dialog = openDialog(s, CM_FINENESS, "Fineness Control");
    if (!dialog)
        return;
    setText(GetDlgItem(dialog, FN_VALUE), "1");
    click(GetDlgItem(dialog, IDOK));
    closes(dialog);
    waitIdle(s);
    // The curve's name comes in its colour, between escape bytes.
    check(text(status).rfind("Graphing: ", 0) == 0 && text(status).find("y=x") != std::string::npos,
          "a finer one draws the graph again");
}

// Picks an entry of a list box of the dialog as a click would.
void pick(HWND dialog, int list, int index)
{
    HWND box = GetDlgItem(dialog, list);
    SendMessageA(box, LB_SETCURSEL, index, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE), LPARAM(box));
    flush(dialog);
}

int selection(HWND dialog, int list) { return int(SendDlgItemMessageA(dialog, list, LB_GETCURSEL, 0, 0)); }

std::string savedSetup(const Session& s, const std::string& setup)
{
    command(s.main, CM_SAVESETUP);
    Sleep(800);
    std::ifstream in(setup, std::ios::binary);
    std::stringstream saved;
    saved << in.rdbuf();
    return saved.str();
}

// The colour filling most of the plotting area.
uint32_t paperColour(const Session& s)
{
    const Bitmap shot = graphShot(s);
    return shot.at(shot.width / 8 + 3, shot.height / 8 + 3);
}

void colours(Session& s, const std::string& setup)
{
    HWND dialog = openDialog(s, CM_COLORS, "Select Color Scheme");
    if (!dialog)
        return;
    check(ticked(dialog, CS_GRAY), "the Gray scheme is shown");
    check(SendDlgItemMessageA(dialog, CS_ELEMENTS, LB_GETCOUNT, 0, 0) == 13 &&
              SendDlgItemMessageA(dialog, CS_COLORS, LB_GETCOUNT, 0, 0) == 16,
          "13 elements and 16 colours are listed");
    check(selection(dialog, CS_ELEMENTS) == 0 && selection(dialog, CS_COLORS) == DARK_GRAY,
          "Background is selected with its Dark Gray");
    pick(dialog, CS_ELEMENTS, GRAPH_1);
    check(selection(dialog, CS_COLORS) == MAGENTA, "Graph 1 shows its Magenta");
    pick(dialog, CS_COLORS, BLUE);
    check(ticked(dialog, CS_CUSTOM) && !ticked(dialog, CS_GRAY), "another colour for Graph 1 makes the scheme custom");
    captureWindow(dialog).save(artefact("colors_custom.bmp"));
    pick(dialog, CS_COLORS, MAGENTA);
    check(ticked(dialog, CS_GRAY) && !ticked(dialog, CS_CUSTOM), "its own colour again makes it Gray");
    click(GetDlgItem(dialog, CS_WHITE));
    flush(dialog);
    pick(dialog, CS_ELEMENTS, 0);
    check(selection(dialog, CS_COLORS) == WHITE, "White loads a white background");
    captureWindow(dialog).save(artefact("colors.bmp"));
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "OK closes it");
    waitIdle(s);
    check(paperColour(s) == 0xFFFFFF, "the graph is drawn on white paper");
    check(savedSetup(s, setup).find("\ncolor=2") != std::string::npos, "the White scheme is remembered");

    dialog = openDialog(s, CM_COLORS, "Select Color Scheme");
    if (!dialog)
        return;
    check(ticked(dialog, CS_WHITE), "the White scheme is shown next time");
    click(GetDlgItem(dialog, CS_BLACK));
    click(GetDlgItem(dialog, IDCANCEL));
    check(closes(dialog), "Cancel closes it");
    waitIdle(s);
    check(paperColour(s) == 0xFFFFFF, "Cancel keeps the paper white");
    dialog = openDialog(s, CM_COLORS, "Select Color Scheme");
    if (!dialog)
        return;
    click(GetDlgItem(dialog, CS_DEFAULT));
    flush(dialog);
    check(ticked(dialog, CS_GRAY), "Default loads Gray");
    click(GetDlgItem(dialog, IDOK));
    closes(dialog);
    waitIdle(s);
    check(paperColour(s) == 0x808080, "the paper is gray again");
    check(savedSetup(s, setup).find("\ncolor=") == std::string::npos, "Gray is not remembered as a choice");
}

void about(Session& s)
{
    HWND dialog = openDialog(s, CM_HELPABOUT, "About Quorvex");
    if (!dialog)
        return;
    captureWindow(dialog).save(artefact("about.bmp"));
    bool name = false, version = false;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        name = name || text(child) == "Quorvex for Win32 ";
        version = version || text(child) == "Version 1.60e";
    }
    check(name && version, "it names the program and its version");
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "OK closes it");
}

int heightOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

// Opens the platform's font chooser for the selected role and answers it with this size (or with
// Cancel when none is given).
bool chooseFont(const Session& s, HWND fonts, const char* size)
{
    click(GetDlgItem(fonts, FO_SELECT));
    HWND chooser = s.program->waitForWindow("#32770", "Font", 5000);
    if (!chooser)
        return false;
    settle(chooser);
    captureWindow(chooser).save(artefact("font_chooser.bmp"));
    if (size) {
        HWND face = GetDlgItem(chooser, CHOOSER_FACE);
        SendMessageA(face, CB_SELECTSTRING, WPARAM(-1), LPARAM(SCALABLE_FACE));
        PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(CHOOSER_FACE, CBN_SELCHANGE), LPARAM(face));
        flush(chooser);
        HWND sizes = GetDlgItem(chooser, CHOOSER_SIZE);
        SendMessageA(sizes, CB_SELECTSTRING, WPARAM(-1), LPARAM(size));
        PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(CHOOSER_SIZE, CBN_SELCHANGE), LPARAM(sizes));
        flush(chooser);
    }
    click(GetDlgItem(chooser, size ? IDOK : IDCANCEL));
    return closes(chooser);
}

void fonts(Session& s, const std::string& setup)
{
    HWND dialog = openDialog(s, CM_FONTS, "Fonts");
    if (!dialog)
        return;
    captureWindow(dialog).save(artefact("fonts.bmp"));
    check(SendDlgItemMessageA(dialog, FO_ROLES, LB_GETCOUNT, 0, 0) == 10 && selection(dialog, FO_ROLES) == 0,
          "ten roles, the first selected");
    const std::string editFace = text(GetDlgItem(dialog, FO_SAMPLE));
    check(!editFace.empty(), "the sample shows the equation editor's face (\"" + editFace + "\")");
    pick(dialog, FO_ROLES, 5);
    check(!text(GetDlgItem(dialog, FO_SAMPLE)).empty(), "and the axis labels' face (\"" +
                                                            text(GetDlgItem(dialog, FO_SAMPLE)) + "\")");
    pick(dialog, FO_ROLES, 0);
    const int fieldHeight = heightOf(s.field);
    check(chooseFont(s, dialog, "28"), "the font chooser opens for the equation editor and takes a face at size 28");
    click(GetDlgItem(dialog, IDCANCEL));
    check(closes(dialog), "Cancel closes the Fonts dialog");
    waitIdle(s);
    check(heightOf(s.field) == fieldHeight, "Cancel discards the chosen font");

    dialog = openDialog(s, CM_FONTS, "Fonts");
    if (!dialog)
        return;
    check(chooseFont(s, dialog, nullptr), "a cancelled chooser closes");
    check(chooseFont(s, dialog, "28"), "size 28 is chosen");
    check(text(GetDlgItem(dialog, FO_SAMPLE)) == SCALABLE_FACE,
          "the sample shows the face chosen (\"" + text(GetDlgItem(dialog, FO_SAMPLE)) + "\")");
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "Done closes it");
    waitIdle(s);
    check(heightOf(s.field) > fieldHeight, "Done gives the equation field the larger font (" +
                                               std::to_string(fieldHeight) + " to " + std::to_string(heightOf(s.field)) + ")");
    captureWindow(s.main).save(artefact("large_edit_font.bmp"));
    check(savedSetup(s, setup).find("\nedit=") != std::string::npos, "the chosen font is kept in the setup");

    // A grid role keeps its font in the document.
    dialog = openDialog(s, CM_FONTS, "Fonts");
    if (!dialog)
        return;
    pick(dialog, FO_ROLES, 3);
    check(chooseFont(s, dialog, "12"), "a font is chosen for the legends");
    click(GetDlgItem(dialog, IDOK));
    check(closes(dialog), "Done closes it");
    waitIdle(s);
    dialog = openDialog(s, CM_FONTS, "Fonts");
    if (!dialog)
        return;
    pick(dialog, FO_ROLES, 3);
    check(text(GetDlgItem(dialog, FO_SAMPLE)) == SCALABLE_FACE,
          "the legends keep it (\"" + text(GetDlgItem(dialog, FO_SAMPLE)) + "\")");
    click(GetDlgItem(dialog, IDCANCEL));
    closes(dialog);
    captureWindow(s.main).save(artefact("legends_font.bmp"));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: e2e_quorvex_settings QUORVEX.EXE ARTEFACT_DIR\n");
        return 2;
    }
    const std::string exe = std::string("\"") + argv[1] + "\"";
    const std::string dir = argv[2];
    setArtefactDirectory(dir);
    const std::string setup = dir + "\\settings.ini";
    DeleteFileA(setup.c_str());

    Program p(exe + " \"/i:" + setup + "\"", dir);
    Session s{&p};
    check(attach(s), "Quorvex starts");
    graph(s, "y=x");
    gridRange(s);
    scale(s);
    graphPaper(s);
    thetaRange(s);
    fineness(s, setup);
    colours(s, setup);
    fonts(s, setup);
    about(s);
    exitProgram(s, "settings");
    return finish();
}
