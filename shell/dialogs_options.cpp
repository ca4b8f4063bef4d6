// The Options Panel: every drawing option of the program in one dialog, with the range, scale, theta,
// paper, colour and legend dialogs a button away.
#include <windows.h>

#include <string>

#include "dialogs.h"
#include "dialogs_tools_common.h"
#include "dialogs_tools_ids.h"
#include "doc/graph_doc.h"
#include "doc/graph_file.h"
#include "expr/number_format.h"
#include "expr/report.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

constexpr int FINENESS_LIMIT = 6;
constexpr double FINENESS_ABOVE = 0.1;
constexpr double FINENESS_AT_MOST = 6;
constexpr double DEFAULT_FINENESS = 1;
constexpr int COUNT_DIGITS = 2;
constexpr std::uint16_t TABLES_ON = 1;
constexpr UINT HELP_CONTEXT_OPTIONS = 1;
constexpr char HELP_FILE[] = "quorplot.hlp";

struct OptionsState {
    qv::GraphDoc* doc = nullptr;
    double fineness = 1;  // as it was when the panel opened
};

void showRanges(HWND dialog, const qv::GraphDoc& doc)
{
    const qv::GridSetup& g = doc.grid;
    SetDlgItemTextA(dialog, IDC_OP_RANGE, qv::formatMessage("(%X, %Y) - (%X, %Y)", {g.xMin, g.yMin, g.xMax, g.yMax}).c_str());
    SetDlgItemTextA(dialog, IDC_OP_THETA, qv::formatMessage("%t to %t", {g.tstart, g.tstop}).c_str());
}

void showLegendsBox(HWND dialog, const qv::GraphDoc& doc)
{
    tick(dialog, IDC_OP_LEGENDS, (doc.grid.legendFlags & qv::LEGENDS_ON) != 0);
}

void enableCount(HWND dialog) { EnableWindow(GetDlgItem(dialog, IDC_OP_COUNT), ticked(dialog, IDC_OP_AUTOREDRAW)); }

void fillOptions(HWND dialog, const OptionsState& state)
{
    const qv::ProgramOptions& o = qv::programOptions();
    const qv::GraphDoc& doc = *state.doc;
    showRanges(dialog, doc);
    showLegendsBox(dialog, doc);
    tick(dialog, IDC_OP_LABELS, doc.showLabels);
    tick(dialog, IDC_OP_WIDELINES, o.widelines);
    tick(dialog, IDC_OP_DOTS, o.drawdots);
    tick(dialog, IDC_OP_WARNINGS, o.warnings);
    tick(dialog, IDC_OP_TABLES, (o.tables & TABLES_ON) != 0);
    tick(dialog, IDC_OP_AUTOREDRAW, o.autoredraw);
    tick(dialog, IDC_OP_AUTOSQUARE, o.autosquare);
    limitField(dialog, IDC_OP_COUNT, COUNT_DIGITS);
    SetDlgItemInt(dialog, IDC_OP_COUNT, UINT(o.autonum), FALSE);
    limitField(dialog, IDC_OP_FINENESS, FINENESS_LIMIT);
    showNumber(dialog, IDC_OP_FINENESS, o.fineness);
    enableCount(dialog);
}

// Defaults fill the boxes without applying them. The point tables box is left unticked, as tables
// are off in the default table options.
void fillDefaults(HWND dialog)
{
    tick(dialog, IDC_OP_AUTOREDRAW, true);
    tick(dialog, IDC_OP_WARNINGS, false);
    tick(dialog, IDC_OP_LEGENDS, true);
    tick(dialog, IDC_OP_AUTOSQUARE, true);
    tick(dialog, IDC_OP_LABELS, false);
    tick(dialog, IDC_OP_WIDELINES, false);
    tick(dialog, IDC_OP_DOTS, false);
    tick(dialog, IDC_OP_TABLES, false);
    SetDlgItemInt(dialog, IDC_OP_COUNT, UINT(qv::programOptions().maxeqs), FALSE);
    showNumber(dialog, IDC_OP_FINENESS, DEFAULT_FINENESS);
    enableCount(dialog);
}

bool applyOptions(HWND dialog, OptionsState& state)
{
    double fineness = 0;
    if (!readConstant(dialog, IDC_OP_FINENESS, fineness, false) || !(fineness > FINENESS_ABOVE) ||
        fineness > FINENESS_AT_MOST) {
        selectField(dialog, IDC_OP_FINENESS);
        return false;
    }
    qv::ProgramOptions& o = qv::programOptions();
    qv::GraphDoc& doc = *state.doc;
    o.autoredraw = ticked(dialog, IDC_OP_AUTOREDRAW);
    const bool wide = ticked(dialog, IDC_OP_WIDELINES), dots = ticked(dialog, IDC_OP_DOTS);
    if (wide != o.widelines || dots != o.drawdots) {
        o.widelines = wide;
        o.drawdots = dots;
        for (qv::Equation* e = doc.queueHead; e; e = e->next) {
            if (e->flags & qv::eqflag::Inequality)
                continue;
            e->flags = dots ? (e->flags | qv::eqflag::Dots) : (e->flags & ~qv::eqflag::Dots);
        }
        doc.pending |= qv::PENDING_REPAINT;
    }
    o.warnings = ticked(dialog, IDC_OP_WARNINGS);
    qv::reportSettings().warnings = o.warnings;  // what the evaluator's messages consult
    o.autosquare = ticked(dialog, IDC_OP_AUTOSQUARE);
    if (ticked(dialog, IDC_OP_TABLES) != ((o.tables & TABLES_ON) != 0)) {
        o.tables ^= TABLES_ON;
        doc.pending |= qv::PENDING_REGRID | qv::PENDING_RELAYOUT | qv::PENDING_RESIZE_MAIN;
    }
    if (ticked(dialog, IDC_OP_LEGENDS) != ((doc.grid.legendFlags & qv::LEGENDS_ON) != 0)) {
        doc.grid.legendFlags ^= qv::LEGENDS_ON;
        doc.pending |= qv::PENDING_REPAINT;
    }
    if (ticked(dialog, IDC_OP_LABELS) != doc.showLabels) {
        doc.showLabels = !doc.showLabels;
        doc.pending |= qv::PENDING_REGRID | qv::PENDING_RELAYOUT;
    }
    o.fineness = fineness;
    if (fineness != state.fineness)
        doc.pending |= qv::PENDING_REGRID;
    if (o.autoredraw) {
        BOOL read = FALSE;
        const int count = int(GetDlgItemInt(dialog, IDC_OP_COUNT, &read, FALSE));
        // More than the queue holds would only mean all of it.
        o.autonum = static_cast<std::int16_t>(!read || count < 1 || count > o.maxeqs ? o.maxeqs : count);
    }
    return true;
}

INT_PTR CALLBACK optionsPanelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        fillOptions(dialog, *reinterpret_cast<OptionsState*>(lParam));
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND: {
        auto* state = dialogData<OptionsState>(dialog);
        qv::GraphDoc& doc = *state->doc;
        switch (LOWORD(wParam)) {
        case IDC_OP_AUTOREDRAW:
            enableCount(dialog);
            return TRUE;
        case IDC_OP_CHANGERANGE:
            openGridRangeDialog(doc);
            showRanges(dialog, doc);
            return TRUE;
        case IDC_OP_SCALEGRID:
            openScaleDialog(doc);
            showRanges(dialog, doc);
            return TRUE;
        case IDC_OP_CHANGETHETA:
            openThetaRangeDialog(doc);
            showRanges(dialog, doc);
            return TRUE;
        case IDC_OP_PAPER:
            openGraphPaperDialog(doc);
            showRanges(dialog, doc);
            showLegendsBox(dialog, doc);
            return TRUE;
        case IDC_OP_COLORS:
            if (openColorsDialog(doc))
                doc.pending |= qv::PENDING_REPAINT;
            return TRUE;
        case IDC_OP_CUSTOM:
            axisLegendsDialog(doc);
            showLegendsBox(dialog, doc);
            return TRUE;
        case IDC_OP_DEFAULTS:
            fillDefaults(dialog);
            return TRUE;
        case IDC_OP_HELP:
            WinHelpA(g_shell.main, (qv::programDirectory() + HELP_FILE).c_str(), HELP_CONTEXT, HELP_CONTEXT_OPTIONS);
            return TRUE;
        case IDOK:
            if (applyOptions(dialog, *state))
                EndDialog(dialog, IDOK);
            return TRUE;
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

}  // namespace

void optionsPanelDialog(qv::GraphDoc& doc)
{
    OptionsState state{&doc, qv::programOptions().fineness};
    if (runDialog(IDD_OPTIONSPANEL, optionsPanelProc, &state) == IDOK)
        refreshCheckMarks();
}

}  // namespace shell
