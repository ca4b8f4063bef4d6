// quorvex-cli doc: opens a graph document the way the program does and prints the state it gives.
#pragma once

#include <cstdio>

namespace qv::cli {

// doc FILE [--setup INI] [--write OUT --kind 1|2|4]. Returns 0, 1 when a file cannot be read or
// written, 2 for a usage error.
int cmdDoc(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace qv::cli
