// The dialogs of the Point menu: Point Evaluate, which computes the newest equation at a typed value
// of its variable, and the modeless Variables panel of the parameters a, b and c.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "analysis/printout.h"
#include "dialogs.h"
#include "dialogs_tools_common.h"
#include "dialogs_tools_ids.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "doc/graph_file.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "expr/parser.h"
#include "expr/report.h"
#include "platform/ui.h"
#include "plot/ode.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

// Point Evaluate.

constexpr int VALUE_LIMIT = 11;
constexpr char MSG_CANNOT_EVALUATE[] = "Can't evaluate a point for this type of graph.";
constexpr char POINT_EVALUATE_HEADING[] = "Point Evaluate: ";
constexpr char RESULT_ERROR[] = "Error";

bool isDifferential(qv::GraphKind k)
{
    return k == qv::GraphKind::Ode || k == qv::GraphKind::OdePhase || k == qv::GraphKind::OdeSystem ||
           k == qv::GraphKind::OdeSystemPhase;
}

bool isSystem(qv::GraphKind k) { return k == qv::GraphKind::OdeSystem || k == qv::GraphKind::OdeSystemPhase; }

bool tablesOn() { return (qv::programOptions().tables & 1) != 0; }

// The family's parameter values, as the equation was drawn with them.
void takeParameters(const qv::Equation& e)
{
    if (e.aStart != qv::UNDEFINED_VALUE)
        qv::g_variables.set('a', e.aStart);
    if (e.bValue != qv::UNDEFINED_VALUE)
        qv::g_variables.set('b', e.bValue);
    if (e.cValue != qv::UNDEFINED_VALUE)
        qv::g_variables.set('c', e.cValue);
}

// Solving a differential equation from its initial values up to a value of t, with the step sizes
// and tolerance the graph is drawn with.
constexpr double ODE_END_SLACK = 1e-9;      // of the first step: t counts as reached
constexpr double ODE_STEP_BUDGET_CAP = 1e6;  // steps, whatever the fineness

struct OdeSolution {
    int components = 1;
    std::array<double, qv::ODE_MAX_COMPONENTS> values{};
};

qv::EvalStatus solveUpTo(const qv::Equation& e, const qv::GridSetup& g, double target, OdeSolution& out)
{
    const int n = std::clamp<int>(e.order, 1, qv::ODE_MAX_COMPONENTS);
    const char* letters = isSystem(e.kind()) ? "xyzw" : "xjkl";
    out.components = n;
    for (int i = 0; i < n; ++i)
        if (!e.tree[i])
            return qv::evalerr::LostAccuracy;
    qv::OdeDerivatives f = [&](double t, const double* y, double* dydt) -> qv::EvalStatus {
        qv::g_variables.set('t', t);
        for (int i = 0; i < n; ++i)
            qv::g_variables.set(qv::VarCode(letters[i]), y[i]);
        for (int i = 0; i < n; ++i) {
            qv::EvalStatus status = 0;
            dydt[i] = qv::evaluate(e.tree[i], status);
            if (status)
                return status;
            if (!std::isfinite(dydt[i]))
                return qv::evalerr::Overflow;
        }
        return 0;
    };
    double fineness = qv::programOptions().fineness;
    if (!(fineness > 0) || !std::isfinite(fineness))
        fineness = 1;
    const int width = std::max(1, g.areaRight - g.areaLeft);
    const double h0 = qv::ODE_FIRST_STEP_PIXELS * (g.xMax - g.xMin) / (width * fineness);
    double t = e.ivs[0];
    std::array<double, qv::ODE_MAX_COMPONENTS> y{};
    for (int i = 0; i < n; ++i)
        y[std::size_t(i)] = e.ivs[std::size_t(i) + 1];
    if (!(h0 > 0) || !std::isfinite(h0) || !std::isfinite(t) || !std::isfinite(target))
        return qv::evalerr::LostAccuracy;
    const qv::RkControl control{qv::ODE_TOLERANCE / (fineness * fineness * fineness), qv::ODE_CARRY_MIN_STEP * h0,
                                qv::ODE_MAX_STEP * h0};
    const double budget = std::min(ODE_STEP_BUDGET_CAP, std::max(1.0, qv::ODE_CARRY_STEPS * fineness));
    const int dir = target < t ? -1 : 1;
    double h = dir * h0;
    qv::EvalStatus arithmetic = 0;
    qv::EvalScope scope(arithmetic);
    for (double step = 0; step < budget; ++step) {
        const double remaining = target - t;
        if (!(dir * remaining > ODE_END_SLACK * h0)) {
            std::copy(y.begin(), y.end(), out.values.begin());
            return 0;
        }
        if (std::fabs(h) > std::fabs(remaining))
            h = remaining;
        std::array<double, qv::ODE_MAX_COMPONENTS> d{}, scale{};
        if (qv::EvalStatus status = f(t, y.data(), d.data()))
            return status;
        for (int i = 0; i < n; ++i)
            scale[std::size_t(i)] = std::fabs(y[std::size_t(i)]) + std::fabs(h * d[std::size_t(i)]) + qv::ODE_SCALE_FLOOR;
        const qv::RkOutcome o = qv::rkAdaptive(f, n, t, y.data(), d.data(), scale.data(), h, control);
        if (arithmetic)
            return qv::evalerr::Overflow;
        if (o.status)
            return o.status;
        if (o.stopped)
            return qv::ODE_STEP_TOO_SMALL;
        h = o.hNext;
    }
    return qv::ODE_STEP_TOO_SMALL;
}

bool hasInitialValues(const qv::Equation& e)
{
    const std::size_t needed = std::size_t(std::clamp<int>(e.order, 1, qv::ODE_MAX_COMPONENTS)) + 1;
    if (e.ivs.size() < needed)
        return false;
    for (std::size_t i = 0; i < needed; ++i)
        if (!std::isfinite(e.ivs[i]))
            return false;
    return true;
}

// "x = 1.0, dx/dt = 2.0" and the like: one item for each value the solution carries.
std::string solutionText(const qv::Equation& e, const OdeSolution& s)
{
    static const char* const single[] = {"x", "dx/dt", "d2x/dt2", "d3x/dt3"};
    static const char* const singleOfY[] = {"y", "dy/dx", "d2y/dx2", "d3y/dx3"};
    static const char* const system[] = {"x", "y", "z", "w"};
    static const char* const systemOfY[] = {"x1", "x2", "x3", "x4"};
    const bool ofY = (e.flags & qv::eqflag::FunctionOfY) != 0;
    const char* const* names = isSystem(e.kind()) ? (ofY ? systemOfY : system) : (ofY ? singleOfY : single);
    std::string text;
    for (int i = 0; i < s.components; ++i) {
        if (i)
            text += ", ";
        text += names[i];
        text += qv::formatMessage(" = %y", {s.values[std::size_t(i)]});
    }
    return text;
}

void evaluatePoint(HWND dialog, const qv::Equation& e)
{
    qv::resetVariables();
    std::uint16_t status = 0;
    double value = qv::evaluateConstantText(fieldOf(dialog, IDC_PE_VALUE).c_str(), status);
    if (status != 0)
        return;
    takeParameters(e);
    if (ticked(dialog, IDC_PE_XPI))
        value *= qv::PI_CONSTANT;
    if (ticked(dialog, IDC_PE_DEGREES))
        value *= qv::DEGREE_FACTOR;
    const char independent = char(qv::independentVariable(e));
    const char dependent = char(qv::dependentVariable(e));
    qv::g_variables.set(qv::VarCode(independent), value);

    qv::ReportSettings& settings = qv::reportSettings();
    const bool warnings = settings.warnings;
    settings.warnings = true;
    const bool parametric = e.kind() == qv::GraphKind::Parametric;
    const bool twoBranches = (e.flags & qv::eqflag::TwoBranches) != 0;
    qv::EvalStatus failure = 0;
    std::string values;
    if (isDifferential(e.kind())) {
        OdeSolution solution;
        const qv::GraphDoc* doc = currentDocument();
        failure = doc ? solveUpTo(e, doc->grid, value, solution) : qv::evalerr::LostAccuracy;
        if (!failure)
            values = solutionText(e, solution);
    } else {
        const double solved = qv::evaluate(e.tree[1], failure);
        double other = 0;
        if (!failure && (parametric || twoBranches) && e.tree[0])
            other = qv::evaluate(e.tree[0], failure);
        if (parametric)
            values = qv::formatMessage("x = %X; y = %y", {other, solved});
        else
            values = qv::formatMessage("%c = %y", {qv::MessageArg(dependent), solved});
        if (!parametric && twoBranches)
            values += qv::formatMessage(", %Y", {other});
    }
    if (failure) {
        SetDlgItemTextA(dialog, IDC_PE_RESULT, RESULT_ERROR);
        qv::report(failure, independent, value, qv::REPORT_WARNINGS);
    } else {
        const std::string result = qv::formatMessage("At %c = %X: ", {qv::MessageArg(independent), value}) + values;
        SetDlgItemTextA(dialog, IDC_PE_RESULT, result.c_str());
        if (tablesOn())
            qv::printoutAdd(result);
    }
    settings.warnings = warnings;
}

INT_PTR CALLBACK pointEvaluateProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* e = reinterpret_cast<const qv::Equation*>(lParam);
        SetDlgItemTextA(dialog, IDC_PE_EQUATION, e->text.c_str());
        const char letter = char(qv::independentVariable(*e));
        SetDlgItemTextA(dialog, IDC_PE_VALUELABEL, (std::string("&") + letter + " =").c_str());
        limitField(dialog, IDC_PE_VALUE, VALUE_LIMIT);
        CheckRadioButton(dialog, IDC_PE_RADIANS, IDC_PE_DEGREES, IDC_PE_RADIANS);
        centreOverMain(dialog);
        selectField(dialog, IDC_PE_VALUE);
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_PE_CALCULATE:
            evaluatePoint(dialog, *dialogData<const qv::Equation>(dialog));
            selectField(dialog, IDC_PE_VALUE);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// Variables panel.

constexpr int PANEL_TYPED_LIMIT = 11;
constexpr std::size_t PANEL_TEXT_KEPT = 10;
constexpr UINT HELP_CONTEXT_VARIABLES = 3;
constexpr char HELP_FILE[] = "quorplot.hlp";
constexpr int PANEL_FIELDS[5] = {IDC_VA_FROM, IDC_VA_TO, IDC_VA_STEP, IDC_VA_B, IDC_VA_C};

std::string* panelText(int id)
{
    qv::VariablesPanel& p = qv::variablesPanel();
    switch (id) {
    case IDC_VA_FROM: return &p.aStart;
    case IDC_VA_TO: return &p.aStop;
    case IDC_VA_STEP: return &p.aStep;
    case IDC_VA_B: return &p.b;
    default: return &p.c;
    }
}

// To the left of the main window when there is room, else to its right, else against the screen's
// right edge; centred on the main window's height.
void placePanel(HWND panel)
{
    RECT main, own;
    GetWindowRect(g_shell.main, &main);
    GetWindowRect(panel, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    int x = screen - width;
    if (main.left - width >= 0)
        x = main.left - width;
    else if (main.right + width <= screen)
        x = main.right;
    int y = main.top + ((main.bottom - main.top) - height) / 2;
    if (y < 0)
        y = 0;
    SetWindowPos(panel, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void showConstants(HWND panel)
{
    qv::resetVariables();
    const struct {
        int id;
        char name;
    } constants[] = {{IDC_VA_D, 'd'}, {IDC_VA_E, 'e'}, {IDC_VA_P, 'p'}};
    for (const auto& c : constants) {
        char line[40];
        std::snprintf(line, sizeof line, "%c = %.11g", c.name, qv::g_variables.get(qv::VarCode(c.name)));
        SetDlgItemTextA(panel, c.id, line);
    }
}

void updateVariables(HWND panel)
{
    qv::GraphDoc* doc = currentDocument();
    if (!doc || !isIdle())
        return;
    qv::resetVariables();
    for (int id : PANEL_FIELDS) {
        if (qv::evaluatePanelText(fieldOf(panel, id)) == qv::UNDEFINED_VALUE) {
            selectField(panel, id);
            return;
        }
    }
    for (int id : PANEL_FIELDS)
        *panelText(id) = fieldOf(panel, id).substr(0, PANEL_TEXT_KEPT);
    // Lines the panel adds are not the user's edits: the document stays as modified as it was.
    const bool modified = doc->modified;
    const qv::GridSetup& g = doc->grid;
    const int added = qv::applyPanel(*doc, qv::panel::A | qv::panel::B | qv::panel::C,
                                     qv::GridRanges{g.xMin, g.xMax, g.yMin, g.yMax});
    doc->modified = modified;
    if (added > 0)
        qv::redrawNewest(*doc, added);
}

INT_PTR CALLBACK variablesProc(HWND panel, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        for (int id : PANEL_FIELDS) {
            limitField(panel, id, PANEL_TYPED_LIMIT);
            SetDlgItemTextA(panel, id, panelText(id)->c_str());
        }
        showConstants(panel);
        SendMessageA(panel, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconA(g_shell.instance, "QUORPLOT")));
        placePanel(panel);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_VA_UPDATE:
            updateVariables(panel);
            return TRUE;
        case IDC_VA_HELP:
            WinHelpA(g_shell.main, (qv::programDirectory() + HELP_FILE).c_str(), HELP_CONTEXT, HELP_CONTEXT_VARIABLES);
            return TRUE;
        case IDCANCEL:
            DestroyWindow(panel);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        DestroyWindow(panel);
        return TRUE;
    case WM_DESTROY:
        // The texts stay as they were typed, evaluated or not.
        for (int id : PANEL_FIELDS)
            *panelText(id) = fieldOf(panel, id).substr(0, PANEL_TEXT_KEPT);
        g_shell.variablesPanel = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void pointEvaluateDialog(qv::GraphDoc& doc)
{
    if (!doc.queueHead)
        return;
    qv::promoteEquation(doc, fieldText());
    const qv::Equation& e = *doc.queueHead;
    // A slope field has no solution to follow; nor has an equation whose values are incomplete.
    if (isDifferential(e.kind()) && !hasInitialValues(e)) {
        qv::userInterface().messageBox(MSG_CANNOT_EVALUATE);
        return;
    }
    std::string status = POINT_EVALUATE_HEADING;
    qv::describeEquation(status, e);
    setStatusText(status, qv::MESSAGE_INFORMATION);
    if (tablesOn()) {
        qv::printoutDetach();
        qv::printoutAdd(qv::PRINTOUT_BANNER);
        qv::printoutAdd(POINT_EVALUATE_HEADING);
        qv::printoutWrapped(e.text);
        qv::printoutAdd("");
    }
    runDialog(IDD_POINTEVALUATE, pointEvaluateProc, const_cast<qv::Equation*>(&e));
}

void variablesPanelCommand()
{
    if (g_shell.variablesPanel) {
        SetFocus(g_shell.variablesPanel);
        return;
    }
    g_shell.variablesPanel =
        CreateDialogParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_VARIABLES), g_shell.main, variablesProc, 0);
    if (g_shell.variablesPanel)
        ShowWindow(g_shell.variablesPanel, SW_SHOW);
}

}  // namespace shell
