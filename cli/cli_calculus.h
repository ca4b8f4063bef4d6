// quorvex-cli critical and tangent: Find Critical Points and Draw Tangent on one Cartesian (or other)
// line drawn on the program's default graph window, without windows.
#pragma once

#include <cstdio>

namespace qv::cli {

// critical LINE [--grid L,R,B,T] [--guess G [--extrema]]; argv holds the arguments after "critical".
// Prints the dialog's result lines (or, with --guess, the line of the one point found from the
// guess) and the messages shown as "messagebox: TEXT". Returns 0, 1 when nothing could be listed or
// 2 for bad usage.
int cmdCritical(int argc, char** argv, std::FILE* out, std::FILE* err);

// tangent LINE X Y [--grid L,R,B,T] [-o OUT.svg|OUT.bmp]; argv holds the arguments after "tangent".
// Prints the status line of the tangent at the picked point (bytes a terminal would not show, such
// as the colour switches, written as \xHH) or the message shown; with -o also draws the graph screen
// with the tangent. Returns 0, 1 when no tangent was found or the picture could not be written, or 2
// for bad usage.
int cmdTangent(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace qv::cli
