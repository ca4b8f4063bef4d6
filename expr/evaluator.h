// Evaluation of expression trees against the variable store. Every mathematical failure becomes a
// bit of the caller's EvalStatus word; the first failure stops all further work, and the value
// returned with a nonzero word is meaningless.
#pragma once

#include "expr_node.h"
#include "status.h"

namespace qv {

// Evaluates tree with the current variable store. status must be zero on entry for a full
// evaluation (a nonzero word makes the walk return at once).
double evaluate(const ExprNode* tree, EvalStatus& status);

// The evaluation in progress, as seen by the platform's floating-point trap and math-library error
// hooks. Evaluations do not nest; a scope (the differential-equation solver keeps one around its
// whole integration) makes `status` the word that traps feed.
class EvalScope {
 public:
  explicit EvalScope(EvalStatus& status);
  ~EvalScope();
  EvalScope(const EvalScope&) = delete;
  EvalScope& operator=(const EvalScope&) = delete;

 private:
  EvalStatus* previous_;
};

// The word of the evaluation in progress, or nullptr outside any evaluation.
EvalStatus* evalStatusInProgress();

// Called by a trap handler for a trap inside an evaluation: adds bits to the word in progress and
// marks the evaluation as interrupted. The walk then unwinds at its next node (each node returns at
// once while the word is nonzero), which is where the evaluation resumes.
void raiseTrapInEvaluation(EvalStatus bits);

// Run by the evaluation that was interrupted by a trap, when it ends: restores the floating-point
// environment the trap handler changed to let the interrupted instruction finish.
using TrapRecovery = void (*)();
void setTrapRecovery(TrapRecovery recovery);

}  // namespace qv
