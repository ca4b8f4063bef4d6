// The batch command line: the expression engine without windows, for scripts and checks. Its output
// forms are a stable interface.
#pragma once

#include <cstdio>

namespace qv::cli {

// Runs one command; returns the process exit code (0 success, 1 parse error, 2 usage error).
int run(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace qv::cli
