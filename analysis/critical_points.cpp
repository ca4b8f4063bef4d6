#include "analysis/critical_points.h"

#include <cmath>

#include "analysis/printout.h"
#include "doc/equation_line.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "expr/parser.h"
#include "expr/report.h"
#include "expr/solver.h"
#include "platform/ui.h"
#include "plot/graphing_driver.h"

namespace qv {

namespace {

constexpr char FIRST_DASHES[] = "---------";
constexpr char COLUMN_DASHES[] = "\t------------";

void setParameters(const Equation& e)
{
    g_variables.set('b', e.bValue);
    g_variables.set('c', e.cValue);
}

// The derivative record of e. Making it resets the variable store; the values the caller set (the
// family member of a guess) are given back, since the roots are sought on that member.
Equation* derivativeKeepingVariables(const Equation& e)
{
    const VariableStore saved = g_variables;
    Equation* d = derivativeEquation(e);
    g_variables = saved;
    return d;
}

// One Newton pass over the entries of the mask: roots of r's curve, with slope dr.
int refinePass(const GraphDoc& doc, const Equation& r, const ExprNode* dr, std::vector<CriticalPoint>& list, int mask)
{
    const GridSetup& g = doc.grid;
    const double tolerance = (g.xMax - g.xMin) * NEWTON_TOLERANCE_FRACTION;
    const VarCode v = independentVariable(r);
    setParameters(r);
    bool accepted = false;
    double lastAccepted = 0;
    int found = 0;
    for (CriticalPoint& c : list) {
        if ((c.type & mask) == 0)
            continue;
        EvalStatus status = 0;
        const double x = newton(r.tree[1], dr, v, c.x, tolerance, status);
        if (status) {
            report(status, char(v), x, REPORT_WARNINGS);
            c.type = critical::Discarded;
            continue;
        }
        if (accepted && std::fabs(x - lastAccepted) <= tolerance) {
            c.type = critical::Discarded;
            continue;
        }
        c.x = x;
        ++found;
        accepted = true;
        lastAccepted = x;
        if (c.type == critical::Extremum) {
            g_variables.set(v, x);
            EvalStatus curvatureStatus = 0;
            const double curvature = evaluate(dr, curvatureStatus);
            c.type = std::int16_t(curvatureStatus == 0 && curvature > 0 ? critical::Minimum : critical::Maximum);
        }
    }
    return found;
}

bool isExtremum(int type) { return type == critical::Maximum || type == critical::Minimum; }

}  // namespace

const char* criticalTypeName(int type)
{
    switch (type) {
    case critical::Discarded:
        return "None";
    case critical::Zero:
        return "Zero";
    case critical::Maximum:
        return "Max";
    case critical::Minimum:
        return "Min";
    default:
        return "??";
    }
}

bool hasCriticalPointList(const Equation& e)
{
    if (e.kind() != GraphKind::Cartesian || (e.flags & (eqflag::TwoBranches | eqflag::Inequality)) || !e.tree[1])
        return false;
    return (e.flags & eqflag::OnGrid) || e.points || !e.critical.empty();
}

int refineCriticalPoints(GraphDoc& doc, const Equation& e, std::vector<CriticalPoint>& list, int mask)
{
    if (list.empty())
        return 0;
    Equation* first = derivativeKeepingVariables(e);
    if (!first || !first->tree[1]) {
        freeEquation(first);
        userInterface().messageBox(MSG_NEWTON_NOT_DIFFERENTIABLE);
        return 0;
    }
    int found = 0;
    if (mask & critical::Zero)
        found += refinePass(doc, e, first->tree[1], list, critical::Zero);
    if (mask & critical::Extremum) {
        Equation* second = derivativeKeepingVariables(*first);
        if (!second || !second->tree[1])
            userInterface().messageBox(MSG_NO_SECOND_DERIVATIVE);
        else
            found += refinePass(doc, *first, second->tree[1], list, mask & critical::Extremum);
        freeEquation(second);
    }
    freeEquation(first);
    return found;
}

std::string criticalPointLine(const Equation& e, const CriticalPoint& c)
{
    const bool ofY = (e.flags & eqflag::FunctionOfY) != 0;
    std::string line = criticalTypeName(c.type);
    line += formatMessage(ofY ? "\t%y" : "\t%x", {c.x});
    if (isExtremum(c.type)) {
        setParameters(e);
        g_variables.set(independentVariable(e), c.x);
        EvalStatus status = 0;
        const double value = evaluate(e.tree[1], status);
        line += status ? std::string("\tError") : formatMessage(ofY ? "\t%x" : "\t%y", {value});
    }
    return line;
}

std::vector<std::string> listCriticalPoints(GraphDoc& doc, Equation& e)
{
    if (!e.critical.empty() && e.criticalFound == 0)
        e.criticalFound = std::uint16_t(refineCriticalPoints(doc, e, e.critical, critical::Both));
    const bool table = tablesPrinted();
    std::vector<std::string> lines;
    if (e.criticalFound == 0) {
        lines.push_back(MSG_NO_CRITICAL_POINTS);
        if (table)
            printoutAdd(MSG_NO_CRITICAL_POINTS);
        return lines;
    }
    if (table) {
        printoutAdd(formatMessage("Type\t%c\t%c", {char(independentVariable(e)), char(dependentVariable(e))}));
        printoutAdd(std::string(FIRST_DASHES) + COLUMN_DASHES + COLUMN_DASHES);
    }
    for (const CriticalPoint& c : e.critical) {
        if (c.type == critical::Discarded)
            continue;
        lines.push_back(criticalPointLine(e, c));
        if (table)
            printoutAdd(lines.back());
    }
    return lines;
}

CriticalPointsChoice criticalPointEquations(GraphDoc& doc)
{
    CriticalPointsChoice choice;
    for (Equation* e = doc.queueHead; e; e = e->next)
        if (hasCriticalPointList(*e))
            choice.equations.push_back(e);
    if (choice.equations.empty()) {
        userInterface().messageBox(MSG_NO_CRITICAL_EQUATIONS);
        return choice;
    }
    // The box lists the queue from the newest, so the newest equation, when it has a list, is the
    // first entry as well.
    choice.selected = 0;
    return choice;
}

void announceCriticalPoints(GraphDoc& /*doc*/, const Equation& e)
{
    std::string status = MSG_FIND_CRITICAL_POINTS;
    describeEquation(status, e);
    userInterface().statusLine(status, MESSAGE_INFORMATION);
    if (!tablesPrinted())
        return;
    printoutDetach();
    printoutAdd(PRINTOUT_BANNER);
    printoutAdd(MSG_FIND_CRITICAL_POINTS);
    printoutWrapped(e.text);
}

bool calculateCriticalPoint(GraphDoc& doc, const Equation& e, const std::string& guess, bool zeros,
                            std::string& line)
{
    line.clear();
    resetVariables();
    std::uint16_t status = 0;
    const double start = evaluateConstantText(guess.c_str(), status);
    if (status || !std::isfinite(start)) {
        userInterface().messageBox(MSG_NOT_A_CONSTANT + guess);
        return false;
    }
    g_variables.set('a', e.aStart);
    setParameters(e);
    const int mask = zeros ? critical::Zero : critical::Extremum;
    std::vector<CriticalPoint> one{CriticalPoint{start, std::int16_t(mask)}};
    if (refineCriticalPoints(doc, e, one, mask) > 0)
        line = criticalPointLine(e, one.front());
    return true;
}

}  // namespace qv
