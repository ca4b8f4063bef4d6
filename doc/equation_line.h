// From a typed line to a solved, classified Equation record: solving each relation for its plotted
// variable, joining parametric pairs and systems, reading the brace clauses, the failure messages of
// adding a line, the derivative record, and the variables panel.
#pragma once

#include <string>
#include <vector>

#include "doc/equation.h"
#include "expr/status.h"

namespace qv {

struct GraphDoc;

// The grid ranges the numeric fallback of the solver searches (the document grid supplies them).
struct GridRanges {
  double xMin = -8, xMax = 8;
  double yMin = -8, yMax = 8;
};

// Solves a freshly parsed relation (tree 0 = left side, tree 1 = right side) for the variable its
// kind plots; derivativeOrder is the highest derivative order the parser saw in the relation.
ParseStatus solveRelation(Equation& e, int derivativeOrder, const GridRanges& ranges);

// The whole procedure of parsing a line held in e.text: on success the record is complete (its text
// lower-cased before the comment and possibly extended by default parameter clauses). On failure
// the record holds partial results and must be freed. Silent.
ParseStatus parseLine(Equation& e, const GridRanges& ranges = {});

// The text Add line shows for a failed status, placeholders filled from the record.
std::string parseFailureMessage(ParseStatus status, const Equation& e);

// Parses text into a new record; on success it joins the document's queue (dots flag, colours,
// insertion), otherwise the failure message is shown and the record freed.
ParseStatus addLine(GraphDoc& doc, const std::string& text, const GridRanges& ranges = {});

// The flags word the line would get (0 when it does not parse).
std::uint16_t classifyText(const std::string& text, const GridRanges& ranges = {});

// Positive: the order of a single differential equation; negative: minus the number of equations of
// a system; 0: no initial values.
int initialValueCount(const std::string& text);

// Removes the clause named by letter (or, with acceptUnnamed, the first unnamed clause) and appends
// clauseText, keeping the comment at the end; the result is cut to the longest equation text.
std::string replaceClause(const std::string& text, char letter, bool acceptUnnamed, const std::string& clauseText);

// Replaces the initial-value clause of text by the given 2 to 5 values.
std::string writeInitialValues(const std::string& text, const std::vector<double>& values);

// The record of the derivative of e, or nullptr when e has none.
Equation* derivativeEquation(const Equation& e);
constexpr char MSG_NO_DERIVATIVE[] =
    "Cannot find the derivative of this function. See the help file for a list of non-differentiable functions.";
// Find Derivative: the derivative record joins the queue like a typed line; without one the user is
// told why. Returns the new record (owned by the queue) or nullptr.
Equation* addDerivative(GraphDoc& doc, const Equation& e);

// The variables panel: the texts of the a range and of b and c.
struct VariablesPanel {
  std::string aStart = "1", aStop = "3", aStep = "1", b = "1", c = "1";
};
VariablesPanel& variablesPanel();

// Evaluates a panel entry as a constant; shows why it does not and returns UNDEFINED_VALUE then.
double evaluatePanelText(const std::string& text);

// Which panel values the user entered.
namespace panel {
constexpr unsigned A = 1, B = 2, C = 4;
}
// Applies the panel's values to the queued equations that use parameters; returns how many records
// are up to date. The caller has reset the variables and checked that every entry evaluates.
int applyPanel(GraphDoc& doc, unsigned entered, const GridRanges& ranges = {});

}  // namespace qv
