// The settings dialogs: Grid Range, Scale Graph, Graph Paper with Log Paper Options, Theta Range and
// Fineness Control. Each is modal over the window that opened it and centred over the main window;
// an invalid field is selected and keeps its dialog open.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "dialogs.h"
#include "dialogs_settings_ids.h"
#include "doc/graph_doc.h"
#include "doc/graph_file.h"
#include "expr/number_format.h"
#include "expr/parser.h"
#include "platform/win32/gdi_surface.h"
#include "plot/colours.h"
#include "plot/grid_draw.h"
#include "plot/grid_setup.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

constexpr int RANGE_FIELD_LIMIT = 11;
constexpr int SCALE_FIELD_LIMIT = 8;
constexpr std::size_t DEFAULT_SCALE_LIMIT = 7;  // the default zoom factor's room
constexpr int THETA_FIELD_LIMIT = 8;
constexpr int BASE_FIELD_LIMIT = 8;
constexpr int FINENESS_FIELD_LIMIT = 6;
constexpr int FIELD_BUFFER = 64;

constexpr double THETA_PI = 3.1415926536;
constexpr double RADIANS_PER_DEGREE = 0.01745329252;
constexpr double NATURAL_BASE = 2.718281828;
constexpr double DECIMAL_BASE = 10;
constexpr char DEFAULT_TSTOP_TEXT[] = "6.2831853072";

// The fineness bar: position = ln(f) * scale + centre, from 1 to 100.
constexpr int FINENESS_BAR_MIN = 1;
constexpr int FINENESS_BAR_MAX = 100;
constexpr double FINENESS_BAR_CENTRE = 50;
constexpr double FINENESS_BAR_SCALE = 30;
constexpr int FINENESS_BAR_PAGE = 10;

constexpr char MESSAGE_CAPTION[] = "Quorvex";

// A dialog opened from another dialog (the Options Panel) belongs to that one, so that the panel
// cannot be used while it is open.
HWND dialogOwner()
{
    HWND active = GetActiveWindow();
    if (active && IsWindowEnabled(active) && active != g_shell.main) {
        DWORD process = 0;
        GetWindowThreadProcessId(active, &process);
        if (process == GetCurrentProcessId())
            return active;
    }
    return g_shell.main;
}

// The dialog procedures keep their state in DWLP_USER, set from the creation parameter.
template <typename State>
State& stateOf(HWND dialog)
{
    return *reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Controls can report before the state is attached; those reports are not acted on.
bool hasState(HWND dialog) { return GetWindowLongPtrA(dialog, DWLP_USER) != 0; }

// The numbers put into the fields of the open dialog, with the text they were shown as: the short
// form in a field stands for the exact value as long as the user leaves it as it is, so that OK on
// an untouched field changes nothing.
struct ShownNumber {
    std::string text;
    double value;
};
std::map<HWND, ShownNumber> g_shownNumbers;

template <typename State>
bool runDialog(int templateId, DLGPROC procedure, State& state)
{
    const bool ok = DialogBoxParamA(g_shell.instance, MAKEINTRESOURCEA(templateId), dialogOwner(), procedure,
                                    reinterpret_cast<LPARAM>(&state)) == IDOK;
    g_shownNumbers.clear();
    return ok;
}

std::string fieldText(HWND dialog, int id)
{
    char text[FIELD_BUFFER] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool isBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

void selectField(HWND dialog, int id)
{
    HWND field = GetDlgItem(dialog, id);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

// Reads a field as a constant expression; false for text that does not evaluate or is blank.
bool evaluateField(HWND dialog, int id, double& value)
{
    const std::string text = fieldText(dialog, id);
    const auto shown = g_shownNumbers.find(GetDlgItem(dialog, id));
    if (shown != g_shownNumbers.end() && shown->second.text == text) {
        value = shown->second.value;
        return true;
    }
    std::uint16_t status = 0;
    value = qv::evaluateConstantText(text.c_str(), status);
    return status == 0 && !isBlank(text) && std::isfinite(value);
}

// The same, selecting the field when it is invalid.
bool readField(HWND dialog, int id, double& value)
{
    if (evaluateField(dialog, id, value))
        return true;
    selectField(dialog, id);
    return false;
}

void putNumber(HWND dialog, int id, double value)
{
    const std::string text = std::isfinite(value) ? qv::formatMessage("%*", {value}) : "";
    if (!text.empty())
        g_shownNumbers[GetDlgItem(dialog, id)] = ShownNumber{text, value};
    SetDlgItemTextA(dialog, id, text.c_str());
}

void limitField(HWND dialog, int id, int characters)
{
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, characters, 0);
}

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void showMessage(HWND owner, const char* text)
{
    MessageBoxA(owner, text, MESSAGE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

// ---- Grid Range ----

struct GridRangeState {
    qv::GridSetup* grid = nullptr;
};

// The four fields, each with the completeSquare mode that computes its bound when it is left empty.
struct RangeField {
    int id;
    int mode;
    double qv::GridSetup::*bound;
    bool yAxis;
};
constexpr RangeField RANGE_FIELDS[] = {
    {IDC_GR_LEFT, 2, &qv::GridSetup::xMin, false},
    {IDC_GR_RIGHT, 4, &qv::GridSetup::xMax, false},
    {IDC_GR_BOTTOM, 3, &qv::GridSetup::yMin, true},
    {IDC_GR_TOP, 1, &qv::GridSetup::yMax, true},
};

bool logarithmicAxis(const qv::GridSetup& grid, bool yAxis) { return yAxis ? grid.logY() : grid.logX(); }

void showRange(HWND dialog, const qv::GridSetup& grid)
{
    for (const RangeField& f : RANGE_FIELDS)
        putNumber(dialog, f.id, grid.*f.bound);
}

// The setup document's range, made whole the way a new grid would be, without touching the grid.
void showDefaultRange(HWND dialog, const qv::GridSetup& grid)
{
    qv::GridSetup defaults = grid;
    const qv::GraphDoc* setup = qv::documentProgram().setupDoc;
    defaults.resetToDefaultRange(setup ? setup->grid : qv::GridSetup{});
    showRange(dialog, defaults);
}

bool boundFits(const qv::GridSetup& grid, const RangeField& f, double value)
{
    // The paper takes a logarithmic minimum only above the limit itself.
    return std::fabs(value) <= qv::BOUND_LIMIT && !(logarithmicAxis(grid, f.yAxis) && !(value > qv::LOG_MINIMUM));
}

// Reads the four fields into a copy of the grid and completes an empty one; false, with the dialog
// told what is wrong, when the range cannot be taken.
bool readRange(HWND dialog, qv::GridSetup& grid)
{
    const RangeField* empty = nullptr;
    int emptyCount = 0;
    for (const RangeField& f : RANGE_FIELDS) {
        if (isBlank(fieldText(dialog, f.id))) {
            if (!empty)
                empty = &f;
            ++emptyCount;
            continue;
        }
        double value = 0;
        if (!readField(dialog, f.id, value))
            return false;
        if (std::fabs(value) > qv::BOUND_LIMIT) {
            selectField(dialog, f.id);
            return false;
        }
        if (!boundFits(grid, f, value)) {
            showMessage(dialog, qv::MSG_LOG_RANGE);
            selectField(dialog, f.id);
            return false;
        }
        grid.*f.bound = value;
    }
    if (emptyCount > 1 || (emptyCount == 1 && !isChecked(dialog, IDC_GR_AUTOSCALE))) {
        selectField(dialog, empty->id);
        return false;
    }
    // Equal limits leave no range to show: the second of the pair is the one to correct.
    if ((!empty || empty->yAxis) && grid.xMin == grid.xMax) {
        selectField(dialog, IDC_GR_RIGHT);
        return false;
    }
    if ((!empty || !empty->yAxis) && grid.yMin == grid.yMax) {
        selectField(dialog, IDC_GR_TOP);
        return false;
    }
    if (empty) {
        if (!empty->yAxis && grid.yMin > grid.yMax)
            std::swap(grid.yMin, grid.yMax);
        if (empty->yAxis && grid.xMin > grid.xMax)
            std::swap(grid.xMin, grid.xMax);
        if (grid.logX() || grid.logY())
            grid.refreshLogScale();
        grid.completeSquare(empty->mode);
        const double computed = grid.*empty->bound;
        const bool distinct = empty->yAxis ? grid.yMin != grid.yMax : grid.xMin != grid.xMax;
        if (!std::isfinite(computed) || !distinct || !boundFits(grid, *empty, computed)) {
            if (std::isfinite(computed) && logarithmicAxis(grid, empty->yAxis) && !(computed > qv::LOG_MINIMUM))
                showMessage(dialog, qv::MSG_LOG_RANGE);
            selectField(dialog, empty->id);
            return false;
        }
    }
    grid.normaliseRanges();
    if (grid.logX() || grid.logY())
        grid.refreshLogScale();
    return true;
}

INT_PTR CALLBACK gridRangeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const GridRangeState& state = *reinterpret_cast<const GridRangeState*>(lParam);
        for (const RangeField& f : RANGE_FIELDS)
            limitField(dialog, f.id, RANGE_FIELD_LIMIT);
        showRange(dialog, *state.grid);
        CheckDlgButton(dialog, IDC_GR_AUTOSCALE, BST_CHECKED);
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        if (!hasState(dialog))
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: {
            GridRangeState& state = stateOf<GridRangeState>(dialog);
            qv::GridSetup trial = *state.grid;
            if (readRange(dialog, trial)) {
                *state.grid = trial;
                EndDialog(dialog, IDOK);
            }
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_GR_DEFAULTS: showDefaultRange(dialog, *stateOf<GridRangeState>(dialog).grid); return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- Scale Graph ----

struct ScaleState {
    double factor = 2;
    bool out = false;
    std::string text;
};

// The factor as the default zoom factor keeps it: the text as typed when it is a plain number that
// fits, else the number written so that it does (an expression would otherwise read back as 0).
std::string defaultScaleText(const std::string& typed, double factor)
{
    const char* begin = typed.c_str();
    char* end = nullptr;
    const double plain = std::strtod(begin, &end);
    std::string rest = end ? end : "";
    if (typed.size() <= DEFAULT_SCALE_LIMIT && end != begin && isBlank(rest) && plain == factor)
        return typed;
    for (int precision = 6; precision > 0; --precision) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*g", precision, factor);
        if (std::strlen(text) <= DEFAULT_SCALE_LIMIT && std::atof(text) > 1)
            return text;
    }
    return qv::programOptions().defscale;
}

INT_PTR CALLBACK scaleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        limitField(dialog, IDC_SC_FACTOR, SCALE_FIELD_LIMIT);
        SetDlgItemTextA(dialog, IDC_SC_FACTOR, qv::programOptions().defscale.c_str());
        CheckRadioButton(dialog, IDC_SC_ZOOMIN, IDC_SC_ZOOMOUT, IDC_SC_ZOOMIN);
        centreOverMain(dialog);
        return TRUE;
    case WM_COMMAND:
        if (!hasState(dialog))
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: {
            ScaleState& state = stateOf<ScaleState>(dialog);
            double factor = 0;
            if (!evaluateField(dialog, IDC_SC_FACTOR, factor) || !(factor > 1)) {
                selectField(dialog, IDC_SC_FACTOR);
                return TRUE;
            }
            state.factor = factor;
            state.out = isChecked(dialog, IDC_SC_ZOOMOUT);
            state.text = fieldText(dialog, IDC_SC_FACTOR);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- Log Paper Options ----

struct LogOptionsState {
    qv::GraphDoc* doc = nullptr;
    bool ready = false;  // past filling in the fields: a change of the base field is the user's
};

INT_PTR CALLBACK logOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const qv::GridSetup& grid = reinterpret_cast<const LogOptionsState*>(lParam)->doc->grid;
        limitField(dialog, IDC_LO_OTHERBASE, BASE_FIELD_LIMIT);
        int base = IDC_LO_OTHER;
        if (grid.logBase == DECIMAL_BASE)
            base = IDC_LO_BASE10;
        else if (grid.logBase == NATURAL_BASE)
            base = IDC_LO_NATURAL;
        else
            putNumber(dialog, IDC_LO_OTHERBASE, grid.logBase);
        CheckRadioButton(dialog, IDC_LO_BASE10, IDC_LO_OTHER, base);
        CheckRadioButton(dialog, IDC_LO_SEMILOG, IDC_LO_LOGLOG, grid.logLogChosen ? IDC_LO_LOGLOG : IDC_LO_SEMILOG);
        reinterpret_cast<LogOptionsState*>(lParam)->ready = true;
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        if (!hasState(dialog))
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_LO_OTHERBASE:
            // Typing a base chooses it.
            if (HIWORD(wParam) == EN_CHANGE && stateOf<LogOptionsState>(dialog).ready)
                CheckRadioButton(dialog, IDC_LO_BASE10, IDC_LO_OTHER, IDC_LO_OTHER);
            return TRUE;
        case IDOK: {
            qv::GraphDoc& doc = *stateOf<LogOptionsState>(dialog).doc;
            double base = DECIMAL_BASE;
            if (isChecked(dialog, IDC_LO_NATURAL))
                base = NATURAL_BASE;
            else if (isChecked(dialog, IDC_LO_OTHER)) {
                // A base of 1 has no logarithm to divide by: it would put every point at infinity.
                if (!evaluateField(dialog, IDC_LO_OTHERBASE, base) || !(base > 0) || base == 1) {
                    selectField(dialog, IDC_LO_OTHERBASE);
                    return TRUE;
                }
            }
            qv::GridSetup& grid = doc.grid;
            grid.logLogChosen = isChecked(dialog, IDC_LO_LOGLOG) ? 1 : 0;
            if (base != grid.logBase) {
                grid.logBase = base;
                grid.refreshLogScale();
                doc.pending |= qv::PENDING_REPAINT;
            }
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- Graph Paper ----

struct GraphPaperState {
    qv::GraphDoc* doc = nullptr;
};

struct PaperChoice {
    int id;
    std::uint16_t flags;
};
constexpr PaperChoice PAPER_KINDS[] = {
    {IDC_GP_RECTANGULAR, qv::PAPER_RECTANGULAR},
    {IDC_GP_TRIG, qv::PAPER_TRIG},
    {IDC_GP_POLAR, qv::PAPER_POLAR},
    {IDC_GP_LOGARITHMIC, qv::PAPER_LOG_Y},
};
constexpr PaperChoice GRID_DETAILS[] = {
    {IDC_GP_NOGRID, 0},
    {IDC_GP_DOTS, qv::PAPER_DOTS},
    {IDC_GP_GRIDLINES, qv::PAPER_GRID_LINES},
    {IDC_GP_SOLIDGRID, qv::PAPER_SOLID_GRID},
};
constexpr PaperChoice DECORATIONS[] = {
    {IDC_GP_BORDER, qv::PAPER_BORDER},
    {IDC_GP_AXES, qv::PAPER_AXES},
    {IDC_GP_ARROWS, qv::PAPER_ARROWS},
    {IDC_GP_AXISNAMES, qv::PAPER_AXIS_NAMES},
};
constexpr int PICTURE_COUNT = 8;  // one beside each paper kind, then each grid detail

// The radio button a picture stands beside.
int radioOfPicture(int picture)
{
    const int index = picture - IDC_GP_PICTURE_FIRST;
    return index < 4 ? PAPER_KINDS[index].id : GRID_DETAILS[index - 4].id;
}

void showPaper(HWND dialog, std::uint16_t flags)
{
    int kind = IDC_GP_RECTANGULAR;
    for (const PaperChoice& c : PAPER_KINDS)
        if (flags & c.flags)
            kind = c.id;
    CheckRadioButton(dialog, IDC_GP_RECTANGULAR, IDC_GP_LOGARITHMIC, kind);
    int detail = IDC_GP_NOGRID;
    for (const PaperChoice& c : GRID_DETAILS)
        if (c.flags && (flags & c.flags))
            detail = c.id;
    CheckRadioButton(dialog, IDC_GP_NOGRID, IDC_GP_SOLIDGRID, detail);
    for (const PaperChoice& c : DECORATIONS)
        CheckDlgButton(dialog, c.id, (flags & c.flags) ? BST_CHECKED : BST_UNCHECKED);
}

std::uint16_t chosenPaper(HWND dialog, const qv::GridSetup& grid)
{
    std::uint16_t flags = 0;
    for (const PaperChoice& c : PAPER_KINDS)
        if (isChecked(dialog, c.id))
            flags |= c.flags;
    if ((flags & qv::PAPER_LOG_Y) && grid.logLogChosen)
        flags |= qv::PAPER_LOG_X;
    for (const PaperChoice* group : {GRID_DETAILS, DECORATIONS})
        for (int i = 0; i < 4; ++i)
            if (isChecked(dialog, group[i].id))
                flags |= group[i].flags;
    return flags;
}

// A small sample of the paper kind or grid detail beside its radio button.
void drawPaperPicture(const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    const RECT r = item.rcItem;
    const int w = r.right - r.left, h = r.bottom - r.top;
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HPEN frame = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN light = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    HGDIOBJ oldPen = SelectObject(dc, frame);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    const int cx = r.left + w / 2, cy = r.top + h / 2;
    auto line = [&](int x0, int y0, int x1, int y1) {
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
    };
    switch (static_cast<int>(item.CtlID) - IDC_GP_PICTURE_FIRST) {
    case 0:  // rectangular: axes through the middle
        line(r.left + 2, cy, r.right - 2, cy);
        line(cx, r.top + 2, cx, r.bottom - 2);
        break;
    case 1:  // trig: the axes and a wave
        line(r.left + 2, cy, r.right - 2, cy);
        for (int x = r.left + 2; x < r.right - 3; ++x) {
            const double t = double(x - r.left - 2) / (w - 4) * 2 * THETA_PI;
            line(x, cy - int(std::sin(t) * h / 3), x + 1, cy - int(std::sin(t + 2 * THETA_PI / (w - 4)) * h / 3));
        }
        break;
    case 2:  // polar: rings about the centre
        Ellipse(dc, cx - w / 3, cy - h / 3, cx + w / 3 + 1, cy + h / 3 + 1);
        Ellipse(dc, cx - w / 6, cy - h / 6, cx + w / 6 + 1, cy + h / 6 + 1);
        break;
    case 3:  // logarithmic: lines closing up towards each decade
        SelectObject(dc, light);
        for (int k = 1; k <= 9; ++k) {
            const int y = r.bottom - 2 - int(std::log10(double(k)) * (h - 4));
            line(r.left + 2, y, r.right - 2, y);
        }
        break;
    case 5:  // dots
        for (int y = r.top + 3; y < r.bottom - 2; y += 4)
            for (int x = r.left + 3; x < r.right - 2; x += 4)
                SetPixel(dc, x, y, RGB(0, 0, 0));
        break;
    case 6:  // grid lines
    case 7:  // solid grid
        SelectObject(dc, static_cast<int>(item.CtlID) - IDC_GP_PICTURE_FIRST == 6 ? light : frame);
        for (int y = r.top + 4; y < r.bottom - 2; y += 4)
            line(r.left + 1, y, r.right - 1, y);
        for (int x = r.left + 4; x < r.right - 2; x += 4)
            line(x, r.top + 1, x, r.bottom - 1);
        break;
    default:  // no grid: the empty frame
        break;
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(frame);
    DeleteObject(light);
}

INT_PTR CALLBACK graphPaperProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const GraphPaperState& state = *reinterpret_cast<const GraphPaperState*>(lParam);
        showPaper(dialog, state.doc->grid.paperFlags);
        EnableWindow(GetDlgItem(dialog, IDC_GP_LEGENDS), toolDialogAvailable(CM_LEGENDS));
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID < IDC_GP_PICTURE_FIRST || item.CtlID >= IDC_GP_PICTURE_FIRST + PICTURE_COUNT)
            return FALSE;
        drawPaperPicture(item);
        return TRUE;
    }
    case WM_COMMAND: {
        if (!hasState(dialog))
            return FALSE;
        const int id = LOWORD(wParam);
        GraphPaperState& state = stateOf<GraphPaperState>(dialog);
        if (id >= IDC_GP_PICTURE_FIRST && id < IDC_GP_PICTURE_FIRST + PICTURE_COUNT) {
            const int radio = radioOfPicture(id);
            const bool paper = id < IDC_GP_PICTURE_FIRST + 4;
            CheckRadioButton(dialog, paper ? IDC_GP_RECTANGULAR : IDC_GP_NOGRID,
                             paper ? IDC_GP_LOGARITHMIC : IDC_GP_SOLIDGRID, radio);
            SetFocus(GetDlgItem(dialog, radio));
            return TRUE;
        }
        switch (id) {
        case IDC_GP_LOGOPTIONS: {
            CheckRadioButton(dialog, IDC_GP_RECTANGULAR, IDC_GP_LOGARITHMIC, IDC_GP_LOGARITHMIC);
            LogOptionsState options{state.doc};
            runDialog(IDD_LOGOPTIONS, logOptionsProc, options);
            return TRUE;
        }
        case IDC_GP_LEGENDS: toolDialogCommand(*state.doc, CM_LEGENDS); return TRUE;
        case IDOK:
            state.doc->grid.paperFlags = chosenPaper(dialog, state.doc->grid);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// ---- Theta Range ----

struct ThetaRangeState {
    qv::GraphDoc* doc = nullptr;
};

// The start row's controls; the end row's are ROW_STEP further on.
constexpr int THETA_ROW_STEP = IDC_TR_END - IDC_TR_START;

void showTheta(HWND dialog, double start, double stop)
{
    for (int row = 0; row < 2; ++row) {
        const int offset = row * THETA_ROW_STEP;
        putNumber(dialog, IDC_TR_START + offset, row ? stop : start);
        CheckRadioButton(dialog, IDC_TR_START_DEGREES + offset, IDC_TR_START_RADIANS + offset,
                         IDC_TR_START_RADIANS + offset);
        CheckDlgButton(dialog, IDC_TR_START_PI + offset, BST_UNCHECKED);
    }
}

// A row's value in radians.
bool readTheta(HWND dialog, int offset, double& value)
{
    if (!readField(dialog, IDC_TR_START + offset, value))
        return false;
    if (isChecked(dialog, IDC_TR_START_PI + offset))
        value *= THETA_PI;
    if (isChecked(dialog, IDC_TR_START_DEGREES + offset))
        value *= RADIANS_PER_DEGREE;
    return true;
}

INT_PTR CALLBACK thetaRangeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const qv::GridSetup& grid = reinterpret_cast<const ThetaRangeState*>(lParam)->doc->grid;
        limitField(dialog, IDC_TR_START, THETA_FIELD_LIMIT);
        limitField(dialog, IDC_TR_END, THETA_FIELD_LIMIT);
        showTheta(dialog, grid.tstart, grid.tstop);
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        if (!hasState(dialog))
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: {
            double start = 0, stop = 0;
            if (!readTheta(dialog, 0, start) || !readTheta(dialog, THETA_ROW_STEP, stop))
                return TRUE;
            if (start > stop)
                std::swap(start, stop);
            qv::GridSetup& grid = stateOf<ThetaRangeState>(dialog).doc->grid;
            grid.tstart = start;
            grid.tstop = stop;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_TR_DEFAULTS:
            showTheta(dialog, 0, qv::DEFAULT_TSTOP);
            SetDlgItemTextA(dialog, IDC_TR_END, DEFAULT_TSTOP_TEXT);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- Fineness Control ----

struct FinenessState {
    double fineness = 1;
    bool showingBar = false;  // the field is being written from the bar: no echo back
};

int finenessBarPosition(double fineness)
{
    const double p = std::log(fineness) * FINENESS_BAR_SCALE + FINENESS_BAR_CENTRE;
    if (!(p > FINENESS_BAR_MIN))
        return FINENESS_BAR_MIN;
    if (p > FINENESS_BAR_MAX)
        return FINENESS_BAR_MAX;
    return int(std::lround(p));
}

double finenessAt(int position) { return std::exp((position - FINENESS_BAR_CENTRE) / FINENESS_BAR_SCALE); }

// The fineness as the field can hold it.
std::string finenessText(double fineness)
{
    char text[32] = "";
    for (int precision = FINENESS_FIELD_LIMIT; precision > 0; --precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, fineness);
        if (std::strlen(text) <= std::size_t(FINENESS_FIELD_LIMIT))
            break;
    }
    return text;
}

void moveFinenessBar(HWND dialog, WPARAM request)
{
    HWND bar = GetDlgItem(dialog, IDC_FN_BAR);
    int position = GetScrollPos(bar, SB_CTL);
    switch (LOWORD(request)) {
    case SB_LINELEFT: --position; break;
    case SB_LINERIGHT: ++position; break;
    case SB_PAGELEFT: position -= FINENESS_BAR_PAGE; break;
    case SB_PAGERIGHT: position += FINENESS_BAR_PAGE; break;
    case SB_LEFT: position = FINENESS_BAR_MIN; break;
    case SB_RIGHT: position = FINENESS_BAR_MAX; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = HIWORD(request); break;
    default: return;
    }
    position = std::max(FINENESS_BAR_MIN, std::min(FINENESS_BAR_MAX, position));
    SetScrollPos(bar, SB_CTL, position, TRUE);
    FinenessState& state = stateOf<FinenessState>(dialog);
    state.showingBar = true;
    SetDlgItemTextA(dialog, IDC_FN_VALUE, finenessText(finenessAt(position)).c_str());
    state.showingBar = false;
}

INT_PTR CALLBACK finenessProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        FinenessState& state = *reinterpret_cast<FinenessState*>(lParam);
        HWND bar = GetDlgItem(dialog, IDC_FN_BAR);
        SetScrollRange(bar, SB_CTL, FINENESS_BAR_MIN, FINENESS_BAR_MAX, FALSE);
        SetScrollPos(bar, SB_CTL, finenessBarPosition(state.fineness), TRUE);
        limitField(dialog, IDC_FN_VALUE, FINENESS_FIELD_LIMIT);
        state.showingBar = true;
        SetDlgItemTextA(dialog, IDC_FN_VALUE, finenessText(state.fineness).c_str());
        state.showingBar = false;
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_HSCROLL:
        if (hasState(dialog) && reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_FN_BAR))
            moveFinenessBar(dialog, wParam);
        return TRUE;
    case WM_COMMAND:
        if (!hasState(dialog))
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_FN_VALUE: {
            // Typing moves the bar to the value typed.
            double value = 0;
            if (HIWORD(wParam) == EN_CHANGE && !stateOf<FinenessState>(dialog).showingBar &&
                evaluateField(dialog, IDC_FN_VALUE, value) && value > 0)
                SetScrollPos(GetDlgItem(dialog, IDC_FN_BAR), SB_CTL, finenessBarPosition(value), TRUE);
            return TRUE;
        }
        case IDOK: {
            double value = 0;
            if (!evaluateField(dialog, IDC_FN_VALUE, value) || !(value > 0)) {
                selectField(dialog, IDC_FN_VALUE);
                return TRUE;
            }
            stateOf<FinenessState>(dialog).fineness = value;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- Select Color Scheme ----

struct ColourState {
    qv::ColourScheme working{};
};

constexpr int SCHEME_RADIOS = 4;  // Monochrome, Gray, White, Black, in the built-in schemes' order
constexpr int SWATCH_WIDTH = 24;
constexpr int COLOUR_ITEM_HEIGHT = 16;
constexpr int PREVIEW_BORDER_GAP = 3;
constexpr int PREVIEW_DIAGONAL_STEP = 7;

COLORREF paletteColour(int index)
{
    return index >= 0 && index < qv::PALETTE_SIZE ? COLORREF(qv::PALETTE[std::size_t(index)]) : RGB(0, 0, 0);
}

COLORREF workingColour(const ColourState& state, int element)
{
    return COLORREF(qv::colourOf(state.working, element));
}

int selectedElement(HWND dialog)
{
    const LRESULT element = SendDlgItemMessageA(dialog, IDC_CS_ELEMENTS, LB_GETCURSEL, 0, 0);
    return element >= 0 && element < qv::SCHEME_SIZE ? int(element) : 0;
}

// The radio button of the scheme the working copy equals, the element's colour, and the preview.
void showWorkingScheme(HWND dialog)
{
    const ColourState& state = stateOf<ColourState>(dialog);
    const int builtin = qv::builtinSchemeOf(state.working);
    CheckRadioButton(dialog, IDC_CS_MONOCHROME, IDC_CS_CUSTOM, builtin >= 0 ? IDC_CS_MONOCHROME + builtin : IDC_CS_CUSTOM);
    SendDlgItemMessageA(dialog, IDC_CS_COLORS, LB_SETCURSEL, state.working[std::size_t(selectedElement(dialog))], 0);
    InvalidateRect(GetDlgItem(dialog, IDC_CS_PREVIEW), nullptr, FALSE);
}

void drawColourItem(const DRAWITEMSTRUCT& item)
{
    if (item.itemID == UINT(-1))
        return;
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    RECT swatch{item.rcItem.left + 2, item.rcItem.top + 2, item.rcItem.left + 2 + SWATCH_WIDTH, item.rcItem.bottom - 2};
    HBRUSH fill = CreateSolidBrush(paletteColour(int(item.itemID)));
    FillRect(dc, &swatch, fill);
    DeleteObject(fill);
    FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    char name[64] = "";
    SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(name));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT label = item.rcItem;
    label.left = swatch.right + 6;
    DrawTextA(dc, name, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &item.rcItem);
}

// A text in the font of one of the document's grid roles.
void drawPreviewText(HDC dc, const char* text, int role, COLORREF colour, int x, int y, UINT align)
{
    HFONT font = nullptr;
    if (const qv::GraphDoc* doc = qv::documentProgram().current)
        font = createFontOf(doc->fonts[std::size_t(role)].font);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetTextColor(dc, colour);
    SetTextAlign(dc, align);
    TextOutA(dc, x, y, text, int(std::strlen(text)));
    if (font) {
        SelectObject(dc, old);
        DeleteObject(font);
    }
}

void drawLine(HDC dc, COLORREF colour, int style, int width, int x0, int y0, int x1, int y1)
{
    HPEN pen = CreatePen(style, width, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// A small graph screen in the working colours.
void drawSchemePreview(const ColourState& state, const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    const RECT r = item.rcItem;
    const int w = r.right - r.left, h = r.bottom - r.top;
    HBRUSH back = CreateSolidBrush(workingColour(state, qv::COLOUR_BACK));
    FillRect(dc, &r, back);
    DeleteObject(back);
    SetBkMode(dc, TRANSPARENT);
    const COLORREF grid = workingColour(state, qv::COLOUR_GRID);
    for (int quarter : {1, 3}) {
        const int x = r.left + w * quarter / 4, y = r.top + h * quarter / 4;
        drawLine(dc, grid, PS_DOT, 1, x, r.top, x, r.bottom);
        drawLine(dc, grid, PS_DOT, 1, r.left, y, r.right, y);
    }
    const COLORREF axes = workingColour(state, qv::COLOUR_AXES);
    drawLine(dc, axes, PS_SOLID, 1, r.left, r.top + h / 2, r.right, r.top + h / 2);
    drawLine(dc, axes, PS_SOLID, 1, r.left + w / 2, r.top, r.left + w / 2, r.bottom);
    HBRUSH border = CreateSolidBrush(workingColour(state, qv::COLOUR_BORDER));
    FrameRect(dc, &r, border);
    const RECT inner{r.left + PREVIEW_BORDER_GAP, r.top + PREVIEW_BORDER_GAP, r.right - PREVIEW_BORDER_GAP,
                     r.bottom - PREVIEW_BORDER_GAP};
    FrameRect(dc, &inner, border);
    DeleteObject(border);
    drawPreviewText(dc, "1", qv::FONT_LEGENDS, workingColour(state, qv::COLOUR_LEGEND), r.left + w * 3 / 4,
                    r.top + h / 2 + 2, TA_CENTER | TA_TOP);
    drawPreviewText(dc, "annotation", qv::FONT_ANNOTES, workingColour(state, qv::COLOUR_ANNOTE),
                    inner.left + 4, inner.bottom - 2, TA_LEFT | TA_BOTTOM);
    for (int k = 1; k <= qv::GRAPH_COLOURS; ++k) {
        const int reach = PREVIEW_BORDER_GAP + 2 + k * PREVIEW_DIAGONAL_STEP;
        drawLine(dc, workingColour(state, qv::COLOUR_GRAPH_BASE + k), PS_SOLID, 2, r.left + reach,
                 r.top + PREVIEW_BORDER_GAP + 2, r.left + PREVIEW_BORDER_GAP + 2, r.top + reach);
    }
}

void loadScheme(HWND dialog, int builtin)
{
    qv::selectBuiltinScheme(stateOf<ColourState>(dialog).working, builtin);
    showWorkingScheme(dialog);
}

INT_PTR CALLBACK coloursProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        for (int i = 0; i < qv::SCHEME_SIZE; ++i)
            SendDlgItemMessageA(dialog, IDC_CS_ELEMENTS, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(loadString(IDS_COLOR_ELEMENT_FIRST + i).c_str()));
        for (int i = 0; i < qv::PALETTE_SIZE; ++i)
            SendDlgItemMessageA(dialog, IDC_CS_COLORS, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(loadString(IDS_PALETTE_FIRST + i).c_str()));
        SendDlgItemMessageA(dialog, IDC_CS_ELEMENTS, LB_SETCURSEL, qv::COLOUR_BACK, 0);
        showWorkingScheme(dialog);
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_MEASUREITEM: {
        auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item.CtlID != IDC_CS_COLORS)
            return FALSE;
        item.itemHeight = COLOUR_ITEM_HEIGHT;
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID == IDC_CS_COLORS)
            drawColourItem(item);
        else if (item.CtlID == IDC_CS_PREVIEW && hasState(dialog))
            drawSchemePreview(stateOf<ColourState>(dialog), item);
        else
            return FALSE;
        return TRUE;
    }
    case WM_COMMAND: {
        if (!hasState(dialog))
            return FALSE;
        const int id = LOWORD(wParam);
        ColourState& state = stateOf<ColourState>(dialog);
        if (id >= IDC_CS_MONOCHROME && id < IDC_CS_MONOCHROME + SCHEME_RADIOS && HIWORD(wParam) == BN_CLICKED) {
            loadScheme(dialog, id - IDC_CS_MONOCHROME);
            return TRUE;
        }
        switch (id) {
        case IDC_CS_CUSTOM:
            // Custom names what the lists made; choosing it alone changes nothing.
            showWorkingScheme(dialog);
            return TRUE;
        case IDC_CS_DEFAULT: loadScheme(dialog, qv::SCHEME_GRAY); return TRUE;
        case IDC_CS_ELEMENTS:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                showWorkingScheme(dialog);
            return TRUE;
        case IDC_CS_COLORS:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                const LRESULT colour = SendDlgItemMessageA(dialog, IDC_CS_COLORS, LB_GETCURSEL, 0, 0);
                if (colour >= 0 && colour < qv::PALETTE_SIZE)
                    state.working[std::size_t(selectedElement(dialog))] = std::uint8_t(colour);
                showWorkingScheme(dialog);
            }
            return TRUE;
        case IDOK: EndDialog(dialog, IDOK); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// ---- About ----

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_AB_DATE, (std::string("Built ") + __DATE__).c_str());
        centreOverMain(dialog);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- Fonts ----

constexpr int FONT_ROLE_COUNT = qv::WINDOW_FONT_COUNT + qv::GRID_FONT_COUNT;
constexpr int ROLE_EDIT = 0;
constexpr int ROLE_TABLES = 1;
constexpr int ROLE_STATUS = 2;
constexpr int ROLE_TITLES = qv::WINDOW_FONT_COUNT + qv::FONT_TITLES;
constexpr int ROLE_LEFT_LABEL = qv::WINDOW_FONT_COUNT + qv::FONT_LEFTLBL;

struct FontsState {
    qv::GraphDoc* doc = nullptr;
    std::array<qv::LogicalFont, FONT_ROLE_COUNT> working{};
    std::array<bool, FONT_ROLE_COUNT> changed{};
    HFONT sampleFont = nullptr;
};

bool isWindowRole(int role) { return role < qv::WINDOW_FONT_COUNT; }

// The font a role draws with now: a grid role that was never chosen uses the default for the screen.
qv::LogicalFont currentFont(const qv::GraphDoc& doc, int role)
{
    if (isWindowRole(role))
        return qv::programOptions().windowFonts[std::size_t(role)].font;
    const int grid = role - qv::WINDOW_FONT_COUNT;
    const qv::LogicalFont& stored = doc.fonts[std::size_t(grid)].font;
    return stored.faceName.empty() ? qv::defaultGridFont(grid, smallScreen()) : stored;
}

int selectedRole(HWND dialog)
{
    const LRESULT role = SendDlgItemMessageA(dialog, IDC_FO_ROLES, LB_GETCURSEL, 0, 0);
    return role >= 0 && role < FONT_ROLE_COUNT ? int(role) : 0;
}

// The sample field shows the role's face name in the role's font.
void showFontSample(HWND dialog)
{
    FontsState& state = stateOf<FontsState>(dialog);
    qv::LogicalFont font = state.working[std::size_t(selectedRole(dialog))];
    font.escapement = font.orientation = 0;
    HFONT sample = createFontOf(font);
    HWND field = GetDlgItem(dialog, IDC_FO_SAMPLE);
    std::string face = font.faceName;
    if (face.empty() && sample) {
        HDC dc = GetDC(field);
        HGDIOBJ old = SelectObject(dc, sample);
        char name[LF_FACESIZE] = "";
        GetTextFaceA(dc, sizeof name, name);
        SelectObject(dc, old);
        ReleaseDC(field, dc);
        face = name;
    }
    SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(sample), TRUE);
    SetWindowTextA(field, face.c_str());
    if (state.sampleFont)
        DeleteObject(state.sampleFont);
    state.sampleFont = sample;
}

// The device context of the current printer, for the roles that are printed; null without one.
HDC printerContext()
{
    char name[256] = "";
    DWORD size = sizeof name;
    if (!GetDefaultPrinterA(name, &size))
        return nullptr;
    return CreateDCA("WINSPOOL", name, nullptr, nullptr);
}

// Side labels are kept upright: their turn is given when the font is created.
qv::LogicalFont fromLogFont(const LOGFONTA& lf)
{
    qv::LogicalFont f;
    f.height = lf.lfHeight;
    f.width = lf.lfWidth;
    f.weight = lf.lfWeight;
    f.italic = lf.lfItalic;
    f.underline = lf.lfUnderline;
    f.strikeOut = lf.lfStrikeOut;
    f.charSet = lf.lfCharSet;
    f.outPrecision = lf.lfOutPrecision;
    f.clipPrecision = lf.lfClipPrecision;
    f.quality = lf.lfQuality;
    f.pitchAndFamily = lf.lfPitchAndFamily;
    f.faceName = std::string(lf.lfFaceName).substr(0, qv::MAX_FONT_FACE);
    return f;
}

// The platform's font chooser for the selected role, listing the fonts that role can use.
void chooseRoleFont(HWND dialog)
{
    FontsState& state = stateOf<FontsState>(dialog);
    const int role = selectedRole(dialog);
    LOGFONTA lf = logFontOf(state.working[std::size_t(role)]);
    CHOOSEFONTA chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = dialog;
    chooser.lpLogFont = &lf;
    chooser.Flags = CF_INITTOLOGFONTSTRUCT;
    HDC printer = nullptr;
    if (isWindowRole(role)) {
        chooser.Flags |= CF_SCREENFONTS;
    } else {
        printer = printerContext();
        chooser.Flags |= printer ? CF_BOTH : CF_SCREENFONTS;
        chooser.Flags |= role >= ROLE_LEFT_LABEL ? CF_TTONLY : CF_SCALABLEONLY;
        if (printer && role < ROLE_LEFT_LABEL)
            chooser.Flags |= CF_WYSIWYG;
        chooser.hDC = printer;
    }
    const bool chosen = ChooseFontA(&chooser) != 0;
    if (printer)
        DeleteDC(printer);
    if (!chosen)
        return;
    state.working[std::size_t(role)] = fromLogFont(lf);
    state.changed[std::size_t(role)] = true;
    showFontSample(dialog);
}

INT_PTR CALLBACK fontsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        for (int role = 0; role < FONT_ROLE_COUNT; ++role)
            SendDlgItemMessageA(dialog, IDC_FO_ROLES, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(loadString(IDS_FONT_ROLE_FIRST + role).c_str()));
        SendDlgItemMessageA(dialog, IDC_FO_ROLES, LB_SETCURSEL, 0, 0);
        showFontSample(dialog);
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_DESTROY:
        if (hasState(dialog)) {
            FontsState& state = stateOf<FontsState>(dialog);
            SendDlgItemMessageA(dialog, IDC_FO_SAMPLE, WM_SETFONT, 0, FALSE);
            if (state.sampleFont)
                DeleteObject(state.sampleFont);
            state.sampleFont = nullptr;
        }
        return FALSE;
    case WM_COMMAND:
        if (!hasState(dialog))
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_FO_ROLES:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                showFontSample(dialog);
            else if (HIWORD(wParam) == LBN_DBLCLK)
                chooseRoleFont(dialog);
            return TRUE;
        case IDC_FO_SELECT: chooseRoleFont(dialog); return TRUE;
        case IDOK: EndDialog(dialog, IDOK); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// Gives the changed roles their fonts and what each change asks of the windows.
void applyChosenFonts(const FontsState& state)
{
    qv::GraphDoc& doc = *state.doc;
    qv::ProgramOptions& options = qv::programOptions();
    const int editHeight = options.windowFonts[ROLE_EDIT].measuredHeight;
    const int statusHeight = options.windowFonts[ROLE_STATUS].measuredHeight;
    bool windowFonts = false, gridFonts = false;
    for (int role = 0; role < FONT_ROLE_COUNT; ++role) {
        if (!state.changed[std::size_t(role)])
            continue;
        qv::GridFont& slot = isWindowRole(role) ? options.windowFonts[std::size_t(role)]
                                                : doc.fonts[std::size_t(role - qv::WINDOW_FONT_COUNT)];
        slot.font = state.working[std::size_t(role)];
        slot.customized = 'y';
        if (isWindowRole(role)) {
            windowFonts = true;
        } else {
            gridFonts = true;
            if (role < ROLE_TITLES)
                doc.pending |= qv::PENDING_REPAINT;
            else if (doc.showLabels)
                doc.pending |= qv::PENDING_REGRID | qv::PENDING_RELAYOUT;
        }
    }
    if (windowFonts) {
        refreshWindowFonts();
        if (options.windowFonts[ROLE_EDIT].measuredHeight != editHeight ||
            options.windowFonts[ROLE_STATUS].measuredHeight != statusHeight) {
            layoutMainWindow();
            doc.pending |= qv::PENDING_REGRID | qv::PENDING_RELAYOUT;
        }
        if (state.changed[ROLE_TABLES] && g_shell.printout && (options.tables & 1))
            InvalidateRect(g_shell.printout, nullptr, TRUE);
    }
    if (gridFonts && g_shell.graphSurface)
        qv::measureGridFonts(doc, *g_shell.graphSurface, smallScreen());
}

}  // namespace

// ---- The entry points ----

bool gridRangeDialog(qv::GridSetup& grid)
{
    GridRangeState state{&grid};
    return runDialog(IDD_GRIDRANGE, gridRangeProc, state);
}

bool openGridRangeDialog(qv::GraphDoc& doc)
{
    if (!gridRangeDialog(doc.grid))
        return false;
    doc.pending |= qv::PENDING_REGRID;
    return true;
}

bool openScaleDialog(qv::GraphDoc& doc)
{
    ScaleState state;
    if (!runDialog(IDD_SCALE, scaleProc, state))
        return false;
    qv::ProgramOptions& options = qv::programOptions();
    options.defscale = defaultScaleText(state.text, state.factor);
    double increment = options.tableincr;
    if (doc.grid.scaleGrid(state.out ? -state.factor : state.factor, &increment)) {
        options.tableincr = increment;
        doc.pending |= qv::PENDING_REGRID;
    }
    return true;
}

bool openGraphPaperDialog(qv::GraphDoc& doc)
{
    const std::uint16_t previous = doc.grid.paperFlags;
    GraphPaperState state{&doc};
    if (!runDialog(IDD_GRAPHPAPER, graphPaperProc, state))
        return false;
    const qv::GridSetup chosen = doc.grid;
    doc.pending |= doc.grid.adoptLogPaper(previous, gridRangeDialog);
    if (chosen.paperFlags != previous && doc.grid.paperFlags == previous) {
        // The range asked for was refused: the paper went back, and so does the range the repair
        // had already moved towards it.
        doc.grid.xMin = chosen.xMin;
        doc.grid.xMax = chosen.xMax;
        doc.grid.yMin = chosen.yMin;
        doc.grid.yMax = chosen.yMax;
        if (doc.grid.logX() || doc.grid.logY())
            doc.grid.refreshLogScale();
    }
    return true;
}

bool openThetaRangeDialog(qv::GraphDoc& doc)
{
    // A new theta range is drawn with the next regrid.
    ThetaRangeState state{&doc};
    return runDialog(IDD_THETARANGE, thetaRangeProc, state);
}

// Only a finer sampling is worth drawing again at once.
bool openFinenessDialog(qv::GraphDoc& doc)
{
    qv::ProgramOptions& options = qv::programOptions();
    FinenessState state{options.fineness};
    if (!runDialog(IDD_FINENESS, finenessProc, state))
        return false;
    const bool finer = state.fineness > options.fineness;
    options.fineness = state.fineness;
    if (finer)
        doc.pending |= qv::PENDING_REGRID;
    return finer;
}

bool openColorsDialog(qv::GraphDoc& doc)
{
    qv::ProgramOptions& options = qv::programOptions();
    ColourState state{options.colourScheme};
    if (!runDialog(IDD_COLORS, coloursProc, state))
        return false;
    options.colourScheme = state.working;
    const int builtin = qv::builtinSchemeOf(state.working);
    // Gray is the built-in default and is not remembered as a choice.
    options.colourChoice = std::int8_t(builtin == qv::SCHEME_GRAY ? -1 : builtin);
    doc.pending |= qv::PENDING_REPAINT;
    return true;
}

void showAbout()
{
    DialogBoxParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_ABOUT), dialogOwner(), aboutProc, 0);
}

bool openFontsDialog(qv::GraphDoc& doc)
{
    FontsState state;
    state.doc = &doc;
    for (int role = 0; role < FONT_ROLE_COUNT; ++role)
        state.working[std::size_t(role)] = currentFont(doc, role);
    if (!runDialog(IDD_FONTS, fontsProc, state))
        return false;
    applyChosenFonts(state);
    return true;
}

bool settingsDialogCommand(qv::GraphDoc& doc, int id)
{
    switch (id) {
    case CM_GRIDRANGE: openGridRangeDialog(doc); return true;
    case CM_SCALE: openScaleDialog(doc); return true;
    case CM_GRAPHPAPER: openGraphPaperDialog(doc); return true;
    case CM_THETARANGE: openThetaRangeDialog(doc); return true;
    case CM_FINENESS: openFinenessDialog(doc); return true;
    case CM_COLORS: openColorsDialog(doc); return true;
    case CM_HELPABOUT: showAbout(); return true;
    case CM_FONTS: openFontsDialog(doc); return true;
    default: return false;
    }
}

bool settingsDialogAvailable(int id)
{
    switch (id) {
    case CM_GRIDRANGE:
    case CM_SCALE:
    case CM_GRAPHPAPER:
    case CM_THETARANGE:
    case CM_FINENESS:
    case CM_COLORS:
    case CM_FONTS:
    case CM_HELPABOUT: return true;
    default: return false;
    }
}

}  // namespace shell
