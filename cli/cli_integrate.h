// quorvex-cli integrate: the area under a curve, or between two, as the Integrate command reports it.
#pragma once

#include <cstdio>

namespace qv::cli {

// integrate LINE [LINE2] --from A --to B [--method trapezoid|simpson|above|below] [--segments N];
// argv holds the arguments after "integrate". Prints the status line of the result (colour escapes
// as \xHH) or the message box of the failure; returns 0, 1 when the integration or a line fails, 2
// for bad usage.
int cmdIntegrate(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace qv::cli
