// Find Critical Points: the zeros, maxima and minima of a Cartesian function, refined by Newton's
// method from the candidates its plotter collected (or from a guess of the user), with duplicates
// dropped and extrema told apart by the second derivative, listed for the dialog and in the point
// table. The dialog itself calls these functions.
#pragma once

#include <string>
#include <vector>

#include "doc/graph_doc.h"

namespace qv {

constexpr char MSG_NEWTON_NOT_DIFFERENTIABLE[] =
    "Cannot solve this equation using Newton's method; it doesn't appear to be differentiable.";
constexpr char MSG_NO_SECOND_DERIVATIVE[] =
    "Cannot find extrema using Newton's method (couldn't compute second derivative).";
constexpr char MSG_NO_CRITICAL_POINTS[] = "No critical points or zeros found for this equation.";
constexpr char MSG_NO_CRITICAL_EQUATIONS[] =
    "Can't find critical points for any equations on screen. This feature only works for Cartesian functions.";
constexpr char MSG_NOT_A_CONSTANT[] = "This expression does not evaluate to a constant: ";
constexpr char MSG_FIND_CRITICAL_POINTS[] = "Find Critical Points: ";

// Entry types of a critical-point list; as masks, ZERO selects zeros and EXTREMUM every extremum.
namespace critical {
constexpr int Discarded = 0;
constexpr int Zero = 1;
constexpr int Maximum = 2;
constexpr int Minimum = 4;
constexpr int Extremum = 6;
constexpr int Both = Zero | Extremum;
}  // namespace critical

// Newton stops when a step is at most this fraction of the grid's width.
constexpr double NEWTON_TOLERANCE_FRACTION = 1e-10;
// The dialog's guess field and the tab stops of its result list, in dialog units.
constexpr int GUESS_TEXT_LIMIT = 11;
constexpr int RESULT_TAB_STOPS[2] = {42, 96};

// "None", "Zero", "Max", "Min", or "??".
const char* criticalTypeName(int type);

// Whether the plotter keeps a critical-point list for e: a drawn Cartesian function with one branch
// and no inequality.
bool hasCriticalPointList(const Equation& e);

// Refines the entries of list whose type matches mask with Newton's method on e's derivatives: each
// takes its root (its extremum type told by the second derivative) or is discarded; a root within
// the tolerance of the last one accepted is a duplicate. Returns how many were found; messages tell
// why nothing could be tried.
int refineCriticalPoints(GraphDoc& doc, const Equation& e, std::vector<CriticalPoint>& list, int mask);

// The line of one refined entry: its type name, its position and, for an extremum, the value there.
std::string criticalPointLine(const Equation& e, const CriticalPoint& c);

// List results: refines e's own list when it has not been, and returns the lines of the dialog's
// result list (one for each point found, or the line that none was); with point tables on they go
// to the table as well, under a heading.
std::vector<std::string> listCriticalPoints(GraphDoc& doc, Equation& e);

// Opening the dialog: the equations it offers (queue order, newest first) and the one to select.
// None: the message is shown and the dialog closes.
struct CriticalPointsChoice {
    std::vector<Equation*> equations;
    int selected = -1;
};
CriticalPointsChoice criticalPointEquations(GraphDoc& doc);

// The status line and, with point tables on, the start of a table section for e.
void announceCriticalPoints(GraphDoc& doc, const Equation& e);

// Calculate: the guess (a constant expression) starts Newton's method for one zero (zeros) or one
// extremum. Returns false when the guess is no constant (the message was shown); otherwise line gets
// the result's line, or stays empty when nothing was found.
bool calculateCriticalPoint(GraphDoc& doc, const Equation& e, const std::string& guess, bool zeros,
                            std::string& line);

}  // namespace qv
