// The dialogs of the Labels menu (Axis Legends, Graph Labels, Annotate) and of integration
// (Integration Options, the modeless Integrate curve dialog), Find Critical Points, and the commands
// that open them and the other tool dialogs.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/critical_points.h"
#include "analysis/integration.h"
#include "analysis/printout.h"
#include "dialogs.h"
#include "dialogs_tools_common.h"
#include "dialogs_tools_ids.h"
#include "doc/graph_doc.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "expr/parser.h"
#include "platform/ui.h"
#include "resource.h"
#include "shell.h"

namespace shell {

// Helpers shared by the tool dialogs.

std::string fieldOf(HWND dialog, int id)
{
    HWND field = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(field);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(field, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void selectField(HWND dialog, int id)
{
    HWND field = GetDlgItem(dialog, id);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

bool readConstant(HWND dialog, int id, double& value, bool emptyIsZero)
{
    const std::string text = fieldOf(dialog, id);
    if (emptyIsZero && text.find_first_not_of(' ') == std::string::npos) {
        value = 0;
        return true;
    }
    std::uint16_t status = 0;
    value = qv::evaluateConstantText(text.c_str(), status);
    if (status == 0)
        return true;
    selectField(dialog, id);
    return false;
}

void showNumber(HWND dialog, int id, double value)
{
    SetDlgItemTextA(dialog, id, qv::formatMessage("%*", {value}).c_str());
}

bool ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void tick(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void limitField(HWND dialog, int id, int characters)
{
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, characters, 0);
}

std::string withoutTrailingBlanks(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

qv::GraphDoc* currentDocument() { return qv::documentProgram().current; }

bool inQueue(const qv::GraphDoc& doc, const qv::Equation* e)
{
    for (const qv::Equation* q = doc.queueHead; q; q = q->next)
        if (q == e)
            return true;
    return false;
}

// A modal dialog of ours: owned by the main window, or by the modal dialog it was opened from (the
// Options Panel, Graph Paper), which must not take input while it is open. Its parameter is passed to
// WM_INITDIALOG.
INT_PTR runDialog(int templateId, DLGPROC procedure, void* parameter)
{
    HWND owner = g_shell.main;
    HWND active = GetActiveWindow();
    if (active && active != g_shell.main && active != g_shell.variablesPanel && active != g_shell.integrateDialog &&
        GetWindow(active, GW_OWNER) == g_shell.main && !IsWindowEnabled(g_shell.main))
        owner = active;
    return DialogBoxParamA(g_shell.instance, MAKEINTRESOURCEA(templateId), owner, procedure,
                           reinterpret_cast<LPARAM>(parameter));
}

namespace {

// Annotate Graph.

constexpr int ANNOTATION_TYPED_LIMIT = qv::MAX_ANNOTATION_TEXT + 1;
constexpr INT_PTR ANNOTATE_PLACE = 100;

struct AnnotateState {
    qv::GraphDoc* doc = nullptr;
    int selected = -1;
    bool changed = false;
};

void fillAnnotationList(HWND dialog, const qv::GraphDoc& doc, int selected)
{
    HWND list = GetDlgItem(dialog, IDC_AN_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < doc.annotationCount; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(doc.annotations[std::size_t(i)].text.c_str()));
    SendMessageA(list, LB_SETCURSEL, selected, 0);
}

int selectedAnnotation(HWND dialog)
{
    const LRESULT index = SendDlgItemMessageA(dialog, IDC_AN_LIST, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : int(index);
}

INT_PTR CALLBACK annotateProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<AnnotateState*>(lParam);
        limitField(dialog, IDC_AN_TEXT, ANNOTATION_TYPED_LIMIT);
        fillAnnotationList(dialog, *state->doc, state->selected);
        if (state->selected >= 0)
            SetDlgItemTextA(dialog, IDC_AN_TEXT, state->doc->annotations[std::size_t(state->selected)].text.c_str());
        centreOverMain(dialog);
        selectField(dialog, IDC_AN_TEXT);
        return FALSE;
    }
    case WM_COMMAND: {
        auto* state = dialogData<AnnotateState>(dialog);
        qv::GraphDoc& doc = *state->doc;
        switch (LOWORD(wParam)) {
        case IDC_AN_LIST:
            // The text of the chosen annotation goes into the field: Place then moves it, Change
            // edits it.
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                const int index = selectedAnnotation(dialog);
                if (index >= 0)
                    SetDlgItemTextA(dialog, IDC_AN_TEXT, doc.annotations[std::size_t(index)].text.c_str());
            }
            return TRUE;
        case IDOK:
        case IDC_AN_PLACE:
            if (qv::placeAnnotation(doc, selectedAnnotation(dialog), fieldOf(dialog, IDC_AN_TEXT)) < 0) {
                selectField(dialog, IDC_AN_TEXT);
                return TRUE;
            }
            EndDialog(dialog, ANNOTATE_PLACE);
            return TRUE;
        case IDC_AN_CHANGE: {
            const int index = selectedAnnotation(dialog);
            if (qv::changeAnnotation(doc, index, withoutTrailingBlanks(fieldOf(dialog, IDC_AN_TEXT)))) {
                state->changed = true;
                fillAnnotationList(dialog, doc, index);
            }
            return TRUE;
        }
        case IDC_AN_DELETE: {
            const int index = selectedAnnotation(dialog);
            if (qv::deleteAnnotation(doc, index)) {
                state->changed = true;
                fillAnnotationList(dialog, doc, -1);
                SetDlgItemTextA(dialog, IDC_AN_TEXT, "");
            }
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

void annotateDialog(qv::GraphDoc& doc, int selected)
{
    if (selected >= doc.annotationCount)
        selected = -1;
    AnnotateState state{&doc, selected};
    const INT_PTR result = runDialog(IDD_ANNOTATE, annotateProc, &state);
    if (state.changed)
        doc.pending |= qv::PENDING_REPAINT;
    if (result == ANNOTATE_PLACE)
        startAnnotationPlacement();
}

// Graph Labels.

constexpr int TITLE_LIMIT = qv::MAX_TITLE_TEXT - 1;
constexpr int SIDE_LABEL_LIMIT = qv::MAX_LABEL_TEXT - 1;

INT_PTR CALLBACK graphLabelsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* doc = reinterpret_cast<const qv::GraphDoc*>(lParam);
        limitField(dialog, IDC_GL_TITLE, TITLE_LIMIT);
        limitField(dialog, IDC_GL_LEFT, SIDE_LABEL_LIMIT);
        limitField(dialog, IDC_GL_RIGHT, SIDE_LABEL_LIMIT);
        SetDlgItemTextA(dialog, IDC_GL_TITLE, doc->title.c_str());
        SetDlgItemTextA(dialog, IDC_GL_LEFT, doc->leftLabel.c_str());
        SetDlgItemTextA(dialog, IDC_GL_RIGHT, doc->rightLabel.c_str());
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_GL_CLEARALL:
            for (int id : {IDC_GL_TITLE, IDC_GL_LEFT, IDC_GL_RIGHT})
                SetDlgItemTextA(dialog, id, "");
            selectField(dialog, IDC_GL_TITLE);
            return TRUE;
        case IDOK: {
            auto* doc = dialogData<qv::GraphDoc>(dialog);
            const qv::LabelSpace before = qv::labelSpaceOf(*doc);
            doc->title = fieldOf(dialog, IDC_GL_TITLE).substr(0, TITLE_LIMIT);
            doc->leftLabel = withoutTrailingBlanks(fieldOf(dialog, IDC_GL_LEFT).substr(0, SIDE_LABEL_LIMIT));
            doc->rightLabel = withoutTrailingBlanks(fieldOf(dialog, IDC_GL_RIGHT).substr(0, SIDE_LABEL_LIMIT));
            if (doc->showLabels) {
                // A label appearing or going away changes the room the graph area has.
                const qv::LabelSpace after = qv::labelSpaceOf(*doc);
                if (after.titleEmpty != before.titleEmpty || after.leftEmpty != before.leftEmpty ||
                    after.rightEmpty != before.rightEmpty)
                    doc->pending |= qv::PENDING_REGRID | qv::PENDING_RELAYOUT;
                else
                    doc->pending |= qv::PENDING_REPAINT;
            }
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// Axis Legends.

constexpr int INCREMENT_LIMIT = 11;

struct LegendsState {
    qv::GraphDoc* doc = nullptr;
    bool filling = true;  // the fields are being filled: their change notices are not typing
};

INT_PTR CALLBACK axisLegendsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<LegendsState*>(lParam);
        const qv::GridSetup& g = state->doc->grid;
        const bool custom = (g.legendFlags & (qv::LEGENDS_CUSTOM | qv::LEGENDS_SCALE)) != 0;
        const int spacing = !(g.legendFlags & qv::LEGENDS_ON) ? IDC_AL_NONE : custom ? IDC_AL_CUSTOM : IDC_AL_AUTOMATIC;
        CheckRadioButton(dialog, IDC_AL_NONE, IDC_AL_CUSTOM, spacing);
        CheckRadioButton(dialog, IDC_AL_LOCK, IDC_AL_SCALE,
                         (g.legendFlags & qv::LEGENDS_SCALE) ? IDC_AL_SCALE : IDC_AL_LOCK);
        limitField(dialog, IDC_AL_XINCR, INCREMENT_LIMIT);
        limitField(dialog, IDC_AL_YINCR, INCREMENT_LIMIT);
        if (g.xLegendSpacing != 0)
            showNumber(dialog, IDC_AL_XINCR, g.xLegendSpacing);
        if (g.yLegendSpacing != 0)
            showNumber(dialog, IDC_AL_YINCR, g.yLegendSpacing);
        tick(dialog, IDC_AL_SHOWNAMES, (g.paperFlags & qv::PAPER_AXIS_NAMES) != 0);
        limitField(dialog, IDC_AL_XNAME, qv::MAX_AXIS_NAME);
        limitField(dialog, IDC_AL_YNAME, qv::MAX_AXIS_NAME);
        SetDlgItemTextA(dialog, IDC_AL_XNAME, state->doc->xAxisName.c_str());
        SetDlgItemTextA(dialog, IDC_AL_YNAME, state->doc->yAxisName.c_str());
        state->filling = false;
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND: {
        auto* state = dialogData<LegendsState>(dialog);
        const int id = LOWORD(wParam);
        if ((id == IDC_AL_XINCR || id == IDC_AL_YINCR) && HIWORD(wParam) == EN_CHANGE) {
            if (state && !state->filling)
                CheckRadioButton(dialog, IDC_AL_NONE, IDC_AL_CUSTOM, IDC_AL_CUSTOM);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (id != IDOK)
            return FALSE;
        qv::GraphDoc& doc = *state->doc;
        qv::GridSetup& g = doc.grid;
        const bool custom = ticked(dialog, IDC_AL_CUSTOM);
        double x = 0, y = 0;
        if (custom) {
            if (!readConstant(dialog, IDC_AL_XINCR, x, true) || !readConstant(dialog, IDC_AL_YINCR, y, true))
                return TRUE;
            if (x < 0 || (x == 0 && y == 0)) {
                selectField(dialog, IDC_AL_XINCR);
                return TRUE;
            }
            if (y < 0) {
                selectField(dialog, IDC_AL_YINCR);
                return TRUE;
            }
        }
        std::uint16_t flags = 0;
        if (custom)
            flags = qv::LEGENDS_ON | qv::LEGENDS_CUSTOM | (ticked(dialog, IDC_AL_SCALE) ? qv::LEGENDS_SCALE : 0);
        else if (ticked(dialog, IDC_AL_AUTOMATIC))
            flags = qv::LEGENDS_ON;
        if (flags != g.legendFlags || custom) {
            g.legendFlags = flags;
            if (custom) {
                g.xLegendSpacing = x;
                g.yLegendSpacing = y;
            }
            doc.pending |= qv::PENDING_REPAINT;
            qv::printout().table.newTable = true;
        }
        const bool names = ticked(dialog, IDC_AL_SHOWNAMES);
        const std::string xName = fieldOf(dialog, IDC_AL_XNAME).substr(0, qv::MAX_AXIS_NAME);
        const std::string yName = fieldOf(dialog, IDC_AL_YNAME).substr(0, qv::MAX_AXIS_NAME);
        if (names != ((g.paperFlags & qv::PAPER_AXIS_NAMES) != 0) || xName != doc.xAxisName || yName != doc.yAxisName) {
            g.paperFlags = names ? (g.paperFlags | qv::PAPER_AXIS_NAMES) : (g.paperFlags & ~qv::PAPER_AXIS_NAMES);
            doc.xAxisName = xName;
            doc.yAxisName = yName;
            doc.pending |= qv::PENDING_REPAINT;
        }
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// Integration Options.

constexpr int SEGMENTS_LIMIT = 8;

struct IntegrationOptionsState {
    bool filling = true;
};

// A segment count as typed: digits only, positive, within what the options keep.
bool readSegmentCount(const std::string& text, int& count)
{
    if (text.empty() || text.size() > std::size_t(SEGMENTS_LIMIT) ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < 1 || value > qv::MAX_INTEGRATION_SEGMENTS)
        return false;
    count = int(value);
    return true;
}

INT_PTR CALLBACK integrationOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<IntegrationOptionsState*>(lParam);
        const qv::ProgramOptions& o = qv::programOptions();
        const int method = (o.intflags & qv::INT_TRAPEZOIDAL)       ? IDC_IO_TRAPEZOIDAL
                           : (o.intflags & qv::INT_SIMPSON)         ? IDC_IO_SIMPSON
                           : (o.intflags & qv::INT_RECTANGLES_ABOVE) ? IDC_IO_ABOVE
                                                                     : IDC_IO_BELOW;
        CheckRadioButton(dialog, IDC_IO_TRAPEZOIDAL, IDC_IO_BELOW, method);
        CheckRadioButton(dialog, IDC_IO_SPECIFY, IDC_IO_AUTOMATIC,
                         (o.intflags & qv::INT_AUTO_SEGMENTS) ? IDC_IO_AUTOMATIC : IDC_IO_SPECIFY);
        limitField(dialog, IDC_IO_SEGMENTS, SEGMENTS_LIMIT);
        SetDlgItemInt(dialog, IDC_IO_SEGMENTS, o.intnumseg, FALSE);
        tick(dialog, IDC_IO_MOUSE, (o.intflags & qv::INT_MOUSE) != 0);
        tick(dialog, IDC_IO_DIALOG, (o.intflags & qv::INT_SHOW_DIALOG) != 0);
        state->filling = false;
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDC_IO_SEGMENTS && HIWORD(wParam) == EN_CHANGE) {
            if (auto* state = dialogData<IntegrationOptionsState>(dialog); state && !state->filling)
                CheckRadioButton(dialog, IDC_IO_SPECIFY, IDC_IO_AUTOMATIC, IDC_IO_SPECIFY);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (id != IDOK)
            return FALSE;
        const bool mouse = ticked(dialog, IDC_IO_MOUSE), box = ticked(dialog, IDC_IO_DIALOG);
        if (!mouse && !box) {
            // One way or the other the region has to be chosen.
            MessageBeep(MB_OK);
            SetFocus(GetDlgItem(dialog, IDC_IO_MOUSE));
            return TRUE;
        }
        std::uint8_t flags = ticked(dialog, IDC_IO_TRAPEZOIDAL) ? qv::INT_TRAPEZOIDAL
                             : ticked(dialog, IDC_IO_SIMPSON)   ? qv::INT_SIMPSON
                             : ticked(dialog, IDC_IO_ABOVE)     ? qv::INT_RECTANGLES_ABOVE
                                                                : qv::INT_RECTANGLES_BELOW;
        int segments = qv::programOptions().intnumseg;
        if (ticked(dialog, IDC_IO_AUTOMATIC)) {
            flags |= qv::INT_AUTO_SEGMENTS;
        } else if (!readSegmentCount(fieldOf(dialog, IDC_IO_SEGMENTS), segments) ||
                   ((flags & qv::INT_SIMPSON) && segments % 2 != 0)) {
            selectField(dialog, IDC_IO_SEGMENTS);
            return TRUE;
        }
        if (mouse)
            flags |= qv::INT_MOUSE;
        if (box)
            flags |= qv::INT_SHOW_DIALOG;
        qv::programOptions().intflags = flags;
        qv::programOptions().intnumseg = static_cast<std::uint16_t>(segments);
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void integrationOptionsDialog(qv::GraphDoc& doc)
{
    IntegrationOptionsState state;
    if (runDialog(IDD_INTOPTIONS, integrationOptionsProc, &state) != IDOK)
        return;
    // The region on screen follows the new method and segment count.
    const qv::IntegrationRecord& r = doc.integration;
    if (r.shown() && inQueue(doc, r.first) && (!r.second || inQueue(doc, r.second)))
        qv::integrateRegion(doc, r.first, r.second, r.from, r.to);
}

// Integrate curve: modeless, showing the region on screen whenever it changes.

constexpr int LIMIT_VALUE = 11;
constexpr char NO_SECOND_CURVE[] = "<none>";
constexpr char AREA_ERROR[] = "ERROR";

std::vector<qv::Equation*> g_integrable;  // the curves the two lists offer, in list order

void fillIntegrableLists(HWND dialog, qv::GraphDoc& doc)
{
    g_integrable.clear();
    for (qv::Equation* e = doc.queueHead; e; e = e->next)
        if ((e->flags & qv::eqflag::OnGrid) && qv::isIntegrable(*e))
            g_integrable.push_back(e);
    HWND first = GetDlgItem(dialog, IDC_IC_FIRST), second = GetDlgItem(dialog, IDC_IC_SECOND);
    SendMessageA(first, CB_RESETCONTENT, 0, 0);
    SendMessageA(second, CB_RESETCONTENT, 0, 0);
    SendMessageA(second, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(NO_SECOND_CURVE));
    for (const qv::Equation* e : g_integrable) {
        SendMessageA(first, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e->text.c_str()));
        SendMessageA(second, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e->text.c_str()));
    }
}

int integrableIndex(const qv::Equation* e)
{
    for (std::size_t i = 0; i < g_integrable.size(); ++i)
        if (g_integrable[i] == e)
            return int(i);
    return -1;
}

// The lists again, with the region's curves (or the given one) chosen and its interval and area.
void showIntegration(HWND dialog, qv::GraphDoc& doc, const qv::Equation* preferred)
{
    const int oldFirst = int(SendDlgItemMessageA(dialog, IDC_IC_FIRST, CB_GETCURSEL, 0, 0));
    const qv::Equation* keep = oldFirst >= 0 && std::size_t(oldFirst) < g_integrable.size() ? g_integrable[oldFirst] : nullptr;
    fillIntegrableLists(dialog, doc);
    const qv::IntegrationRecord& r = doc.integration;
    const qv::Equation* first = r.shown() ? r.first : preferred ? preferred : keep;
    int index = integrableIndex(first);
    if (index < 0 && !g_integrable.empty())
        index = 0;
    SendDlgItemMessageA(dialog, IDC_IC_FIRST, CB_SETCURSEL, index, 0);
    const int second = r.shown() && r.second && r.second != r.first ? integrableIndex(r.second) + 1 : 0;
    SendDlgItemMessageA(dialog, IDC_IC_SECOND, CB_SETCURSEL, second, 0);
    if (r.shown()) {
        showNumber(dialog, IDC_IC_FROM, r.from);
        showNumber(dialog, IDC_IC_TO, r.to);
        SetDlgItemTextA(dialog, IDC_IC_AREA, qv::formatMessage("%x", {double(r.area)}).c_str());
    }
}

void refreshIntegrateDialog(qv::GraphDoc& doc)
{
    if (g_shell.integrateDialog && &doc == currentDocument())
        showIntegration(g_shell.integrateDialog, doc, nullptr);
}

void calculateIntegral(HWND dialog)
{
    qv::GraphDoc* doc = currentDocument();
    if (!doc)
        return;
    const int first = int(SendDlgItemMessageA(dialog, IDC_IC_FIRST, CB_GETCURSEL, 0, 0));
    const int second = int(SendDlgItemMessageA(dialog, IDC_IC_SECOND, CB_GETCURSEL, 0, 0));
    const bool chosen = first >= 0 && std::size_t(first) < g_integrable.size() && second >= 0 &&
                        std::size_t(second) <= g_integrable.size();
    qv::Equation* upper = chosen ? g_integrable[std::size_t(first)] : nullptr;
    qv::Equation* lower = chosen && second > 0 ? g_integrable[std::size_t(second - 1)] : nullptr;
    // The queue may have changed since the lists were made: offer what is there now.
    if (!upper || !inQueue(*doc, upper) || (lower && !inQueue(*doc, lower))) {
        showIntegration(dialog, *doc, nullptr);
        SetDlgItemTextA(dialog, IDC_IC_AREA, AREA_ERROR);
        return;
    }
    qv::resetVariables();
    double from = 0, to = 0;
    if (!readConstant(dialog, IDC_IC_FROM, from, false) || !readConstant(dialog, IDC_IC_TO, to, false)) {
        SetDlgItemTextA(dialog, IDC_IC_AREA, AREA_ERROR);
        return;
    }
    if (qv::integrateRegion(*doc, upper, lower, from, to))
        SetDlgItemTextA(dialog, IDC_IC_AREA, qv::formatMessage("%x", {double(doc->integration.area)}).c_str());
    else
        SetDlgItemTextA(dialog, IDC_IC_AREA, AREA_ERROR);
}

INT_PTR CALLBACK integrateCurveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        limitField(dialog, IDC_IC_FROM, LIMIT_VALUE);
        limitField(dialog, IDC_IC_TO, LIMIT_VALUE);
        if (qv::GraphDoc* doc = currentDocument())
            showIntegration(dialog, *doc, reinterpret_cast<const qv::Equation*>(lParam));
        centreOverMain(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_IC_CALCULATE:
            calculateIntegral(dialog);
            return TRUE;
        case CM_INTEGRATE_REFRESH:
            if (qv::GraphDoc* doc = currentDocument())
                showIntegration(dialog, *doc, nullptr);
            return TRUE;
        case IDCANCEL:
            DestroyWindow(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        g_shell.integrateDialog = nullptr;
        g_integrable.clear();
        qv::registerIntegrateDialogRefresh(nullptr);
        return FALSE;
    default:
        return FALSE;
    }
}

void openIntegrateCurveDialog(qv::GraphDoc& doc, const qv::Equation* preferred)
{
    if (g_shell.integrateDialog) {
        showIntegration(g_shell.integrateDialog, doc, preferred);
        SetFocus(g_shell.integrateDialog);
        return;
    }
    g_shell.integrateDialog = CreateDialogParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_INTEGRATECURVE), g_shell.main,
                                                 integrateCurveProc, reinterpret_cast<LPARAM>(preferred));
    if (!g_shell.integrateDialog)
        return;
    qv::registerIntegrateDialogRefresh(refreshIntegrateDialog);
    ShowWindow(g_shell.integrateDialog, SW_SHOW);
}

// The Integrate command without the mouse: the dialog for the region's curve, or for the first
// curve on screen that can be integrated.
void integrateCommand(qv::GraphDoc& doc)
{
    if (g_shell.integrateDialog) {
        SetFocus(g_shell.integrateDialog);
        return;
    }
    const qv::Equation* curve = doc.integration.shown() ? doc.integration.first : nullptr;
    for (const qv::Equation* e = doc.queueHead; e && !curve; e = e->next)
        if ((e->flags & qv::eqflag::OnGrid) && qv::isIntegrable(*e))
            curve = e;
    if (!curve) {
        qv::userInterface().messageBox(qv::MSG_CANNOT_INTEGRATE);
        return;
    }
    openIntegrateCurveDialog(doc, curve);
}

// Find Critical Points.

struct CriticalState {
    qv::GraphDoc* doc = nullptr;
    qv::CriticalPointsChoice choice;
};

qv::Equation* chosenEquation(HWND dialog, const CriticalState& state)
{
    const LRESULT index = SendDlgItemMessageA(dialog, IDC_CP_EQUATION, CB_GETCURSEL, 0, 0);
    if (index < 0 || std::size_t(index) >= state.choice.equations.size())
        return nullptr;
    qv::Equation* e = state.choice.equations[std::size_t(index)];
    return inQueue(*state.doc, e) ? e : nullptr;
}

void listResults(HWND dialog, CriticalState& state, bool announce)
{
    HWND list = GetDlgItem(dialog, IDC_CP_RESULTS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    qv::Equation* e = chosenEquation(dialog, state);
    if (!e)
        return;
    const char independent = char(qv::independentVariable(*e));
    const char dependent = char(qv::dependentVariable(*e));
    SetDlgItemTextA(dialog, IDC_CP_XHEAD, std::string(1, independent).c_str());
    SetDlgItemTextA(dialog, IDC_CP_YHEAD, std::string(1, dependent).c_str());
    SetDlgItemTextA(dialog, IDC_CP_GUESSLABEL, (std::string("&Guess ") + independent + " =").c_str());
    if (announce)
        qv::announceCriticalPoints(*state.doc, *e);
    for (const std::string& line : qv::listCriticalPoints(*state.doc, *e)) {
        const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SendMessageA(list, LB_SETCURSEL, at, 0);
    }
}

INT_PTR CALLBACK criticalPointsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<CriticalState*>(lParam);
        HWND combo = GetDlgItem(dialog, IDC_CP_EQUATION);
        for (const qv::Equation* e : state->choice.equations)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e->text.c_str()));
        SendMessageA(combo, CB_SETCURSEL, state->choice.selected, 0);
        int stops[2] = {qv::RESULT_TAB_STOPS[0], qv::RESULT_TAB_STOPS[1]};
        SendDlgItemMessageA(dialog, IDC_CP_RESULTS, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
        limitField(dialog, IDC_CP_GUESS, qv::GUESS_TEXT_LIMIT);
        CheckRadioButton(dialog, IDC_CP_ZEROS, IDC_CP_EXTREMA, IDC_CP_ZEROS);
        centreOverMain(dialog);
        listResults(dialog, *state, true);
        selectField(dialog, IDC_CP_GUESS);
        return FALSE;
    }
    case WM_COMMAND: {
        auto* state = dialogData<CriticalState>(dialog);
        switch (LOWORD(wParam)) {
        case IDC_CP_EQUATION:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                listResults(dialog, *state, false);
            return TRUE;
        case IDOK:
        case IDC_CP_CALCULATE: {
            qv::Equation* e = chosenEquation(dialog, *state);
            if (!e)
                return TRUE;
            std::string line;
            if (qv::calculateCriticalPoint(*state->doc, *e, fieldOf(dialog, IDC_CP_GUESS), ticked(dialog, IDC_CP_ZEROS),
                                           line) &&
                !line.empty()) {
                const LRESULT at = SendDlgItemMessageA(dialog, IDC_CP_RESULTS, LB_ADDSTRING, 0,
                                                       reinterpret_cast<LPARAM>(line.c_str()));
                SendDlgItemMessageA(dialog, IDC_CP_RESULTS, LB_SETCURSEL, at, 0);
            }
            selectField(dialog, IDC_CP_GUESS);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

void criticalPointsDialog(qv::GraphDoc& doc)
{
    CriticalState state{&doc, qv::criticalPointEquations(doc)};
    if (state.choice.equations.empty())
        return;  // the user has been told why
    if (state.choice.selected < 0)
        state.choice.selected = 0;
    runDialog(IDD_CRITICALPOINTS, criticalPointsProc, &state);
}

// Point Tables Options.

constexpr std::uint16_t TABLES_ON = 1;
constexpr std::uint16_t TABLES_LEGEND_SPACING = 2;
constexpr std::uint16_t TABLES_GRID_SPACING = 4;
constexpr std::uint16_t TABLES_CUSTOM = 8;
constexpr std::uint16_t TABLES_SCALE = 16;
constexpr int TABLE_COLUMNS_MIN = 1, TABLE_COLUMNS_MAX = 4;
constexpr int TABLE_COLUMNS_DIGITS = 1;

struct TableOptionsState {
    bool filling = true;
};

INT_PTR CALLBACK tableOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<TableOptionsState*>(lParam);
        const qv::ProgramOptions& o = qv::programOptions();
        const int spacing = (o.tables & TABLES_CUSTOM)           ? IDC_TO_CUSTOM
                            : (o.tables & TABLES_LEGEND_SPACING) ? IDC_TO_LEGENDS
                                                                 : IDC_TO_GRID;
        CheckRadioButton(dialog, IDC_TO_LEGENDS, IDC_TO_CUSTOM, spacing);
        CheckRadioButton(dialog, IDC_TO_LOCK, IDC_TO_SCALE, (o.tables & TABLES_SCALE) ? IDC_TO_SCALE : IDC_TO_LOCK);
        limitField(dialog, IDC_TO_INCREMENT, INCREMENT_LIMIT);
        if (spacing == IDC_TO_CUSTOM)
            showNumber(dialog, IDC_TO_INCREMENT, o.tableincr);
        limitField(dialog, IDC_TO_COLUMNS, TABLE_COLUMNS_DIGITS);
        SetDlgItemInt(dialog, IDC_TO_COLUMNS, UINT(o.tablecols), FALSE);
        state->filling = false;
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        auto* state = dialogData<TableOptionsState>(dialog);
        if (id == IDC_TO_INCREMENT && HIWORD(wParam) == EN_CHANGE) {
            if (state && !state->filling)
                CheckRadioButton(dialog, IDC_TO_LEGENDS, IDC_TO_CUSTOM, IDC_TO_CUSTOM);
            return TRUE;
        }
        if (id == IDC_TO_CUSTOM && HIWORD(wParam) == BN_CLICKED) {
            if (GetWindowTextLengthA(GetDlgItem(dialog, IDC_TO_INCREMENT)) == 0) {
                state->filling = true;
                showNumber(dialog, IDC_TO_INCREMENT, qv::programOptions().tableincr);
                state->filling = false;
            }
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (id != IDOK)
            return FALSE;
        BOOL read = FALSE;
        const UINT columns = GetDlgItemInt(dialog, IDC_TO_COLUMNS, &read, FALSE);
        if (!read || columns < UINT(TABLE_COLUMNS_MIN) || columns > UINT(TABLE_COLUMNS_MAX)) {
            selectField(dialog, IDC_TO_COLUMNS);
            return TRUE;
        }
        const bool custom = ticked(dialog, IDC_TO_CUSTOM);
        double increment = 0;
        if (custom && (!readConstant(dialog, IDC_TO_INCREMENT, increment, false) || !(increment > 0))) {
            selectField(dialog, IDC_TO_INCREMENT);
            return TRUE;
        }
        qv::ProgramOptions& o = qv::programOptions();
        std::uint16_t tables = o.tables & TABLES_ON;
        if (custom)
            tables |= TABLES_CUSTOM | (ticked(dialog, IDC_TO_SCALE) ? TABLES_SCALE : 0);
        else
            tables |= (ticked(dialog, IDC_TO_LEGENDS) ? TABLES_LEGEND_SPACING : TABLES_GRID_SPACING) |
                      (o.tables & TABLES_SCALE);
        if (tables != o.tables || custom)
            qv::printout().table.newTable = true;
        o.tables = tables;
        if (custom)
            o.tableincr = increment;
        o.tablecols = static_cast<std::int16_t>(columns);
        qv::printout().tableColumns = int(columns);
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

bool axisLegendsDialog(qv::GraphDoc& doc)
{
    LegendsState state{&doc};
    return runDialog(IDD_AXISLEGENDS, axisLegendsProc, &state) == IDOK;
}

bool toolDialogAvailable(int id)
{
    switch (id) {
    case CM_ANNOTATE:
    case CM_TITLE:
    case CM_LEGENDS:
    case CM_INTOPTIONS:
    case CM_INTEGRATE:
    case CM_CRITICAL:
    case CM_EVALUATE:
    case CM_VARIABLES:
    case CM_TABLEOPTIONS:
    case CM_SETTINGS:
        return true;
    default:
        return false;
    }
}

bool toolDialogCommand(qv::GraphDoc& doc, int id)
{
    switch (id) {
    case CM_ANNOTATE: annotateDialog(doc, -1); return true;
    case CM_TITLE: runDialog(IDD_GRAPHLABELS, graphLabelsProc, &doc); return true;
    case CM_LEGENDS: axisLegendsDialog(doc); return true;
    case CM_INTOPTIONS: integrationOptionsDialog(doc); return true;
    case CM_INTEGRATE: integrateCommand(doc); return true;
    case CM_CRITICAL: criticalPointsDialog(doc); return true;
    case CM_EVALUATE: pointEvaluateDialog(doc); return true;
    case CM_VARIABLES: variablesPanelCommand(); return true;
    case CM_SETTINGS: optionsPanelDialog(doc); return true;
    case CM_TABLEOPTIONS: {
        TableOptionsState state;
        runDialog(IDD_TABLEOPTIONS, tableOptionsProc, &state);
        return true;
    }
    default: return false;
    }
}

void showIntegrateCurveDialog(qv::GraphDoc& doc) { openIntegrateCurveDialog(doc, doc.integration.first); }

void openAnnotateDialog(qv::GraphDoc& doc, int index)
{
    if (isIdle() && !activeTool())
        annotateDialog(doc, index);
}

}  // namespace shell
