// quorvex-cli table: the coordinate table the Printout window shows while a Cartesian equation is
// drawn, without drawing.
#pragma once

#include <cstdio>

namespace qv::cli {

// table LINE [--from X] [--to X] [--step S]; argv holds the arguments after "table". Prints the
// Printout lines; returns 0, 1 when the line cannot be tabulated (message on err) or 2 for bad usage.
int cmdTable(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace qv::cli
