// Differential equations: the slope field of a first-order equation without initial values, and the
// solution curves through the initial values of an equation of order up to four or of a system of up
// to four first-order equations, integrated with an adaptive fourth-order Runge-Kutta method. Each
// solution component is drawn against its own horizontal variable into its own point list; the first
// is drawn while it is computed, the others are only recorded (the driver draws and joins them).
#pragma once

#include <functional>

#include "doc/graph_doc.h"
#include "expr/expr_node.h"
#include "expr/status.h"
#include "plot/point_list.h"

namespace qv {

constexpr int ODE_MAX_COMPONENTS = 4;

// The integrator. h0, the first step, is ODE_FIRST_STEP_PIXELS device columns of x range divided by
// the fineness; the other steps are multiples of it.
constexpr double ODE_FIRST_STEP_PIXELS = 0.4;
constexpr double ODE_TOLERANCE = 1e-6;            // divided by fineness cubed
constexpr double ODE_DRAW_MIN_STEP = 0.0001;      // times h0, while drawing
constexpr double ODE_CARRY_MIN_STEP = 0.00001;    // times h0, while carrying the state to the range
constexpr double ODE_MAX_STEP = 15;               // times h0
constexpr double ODE_SAFETY = 0.9;
constexpr double ODE_SHRINK_EXPONENT = -0.25;
constexpr double ODE_GROW_EXPONENT = -0.2;
constexpr double ODE_GROW_THRESHOLD = 0.0006;     // below this relative error the step grows fourfold
constexpr double ODE_GROWTH = 4;
constexpr double ODE_GIVE_UP_ERROR = 5;           // at the smallest step, a larger error is error 8
constexpr double ODE_SCALE_FLOOR = 1e-30;
constexpr double ODE_VALUE_LIMIT = 9.9e99;        // a pass stops at values beyond this
constexpr int ODE_CARRY_STEPS = 5000;             // times the fineness
// A step that cannot meet the tolerance: the curve ends there without a message.
constexpr EvalStatus ODE_STEP_TOO_SMALL = evalerr::LostAccuracy;

// The slope field.
constexpr int FLOW_FIELD_COLUMNS = 30;            // times the fineness, across the x range
constexpr double FLOW_MARK_HALF_LENGTH = 0.4;     // of the spacing

constexpr char MSG_FLOW_FIELD_LOG[] =
    "Drawing flow fields is not supported when using logarithmic graph paper. Change back to linear paper to "
    "graph this ODE.";

// The right-hand sides of a system of n first-order equations: dydt = f(t, y). Returns the status of
// the evaluation (0 when every component evaluated to a number).
using OdeDerivatives = std::function<EvalStatus(double t, const double* y, double* dydt)>;

// One classic fourth-order Runge-Kutta step of h from (t, y), whose derivatives dydt are given:
// out = y + h/6 (k1 + 2 k2 + 2 k3 + k4). out may not alias y.
EvalStatus rkStep(const OdeDerivatives& f, int n, double t, const double* y, const double* dydt, double h,
                  double* out);

struct RkControl {
    double tolerance = ODE_TOLERANCE;
    double minStep = 0;  // magnitudes
    double maxStep = 0;
};

struct RkOutcome {
    EvalStatus status = 0;  // ODE_STEP_TOO_SMALL, or the evaluation's status; t and y are then unchanged
    bool stopped = false;   // the smallest step could not meet the tolerance: this direction ends
    double hDid = 0;
    double hNext = 0;
};

// One adaptive step by step doubling: tries h (shrinking it while the error is too large and the step
// is above the smallest), advances t and y by the step taken, and proposes the next step. scale holds
// the error scale of each component.
RkOutcome rkAdaptive(const OdeDerivatives& f, int n, double& t, double* y, const double* dydt, const double* scale,
                     double h, const RkControl& control);

// The plotter of the differential-equation kinds: a slope field for a first-order Ode without initial
// values, else the solution curves.
int plotOde(GraphDoc& doc, Equation& eq, const ExprNode* tree);

// The lists an OdeSystem's curves are recorded into, one per component, the first drawn as it is
// computed; set by the driver around the plotter call (nullptr restores the work list alone).
void setOdeCurveLists(PointList* const* lists, int count);

}  // namespace qv
