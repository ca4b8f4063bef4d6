// quorvex-cli print, diff, parse and derive: the printer, the differentiator and the checking side of
// adding an equation line, with their results in stable text forms.
#pragma once

#include <cstdio>

namespace qv::cli {

// Each returns the process exit code: 0 success, 1 the input was refused, 2 usage error (nothing
// printed; the caller prints the usage).
int cmdPrint(int argc, char** argv, std::FILE* out);
int cmdDiff(int argc, char** argv, std::FILE* out);
int cmdParse(int argc, char** argv, std::FILE* out);
int cmdDerive(int argc, char** argv, std::FILE* out);

}  // namespace qv::cli
