// The program's command line: the names of the documents to open and of the setup file.
#pragma once

#include <string>
#include <vector>

namespace shell {

// Splits the text after the program name into names: blanks, tabs, commas and semicolons separate
// them; a name that starts with a double quote runs to the next double quote (or the end).
std::vector<std::string> splitCommandLine(const std::string& text);
// The names of the documents: every name but the "/i:" ones, each with ".gr" when it has no dot.
std::vector<std::string> documentNames(const std::string& text);
// ".gr" appended when the name has no dot.
std::string withDocumentExtension(std::string name);
// The text without blanks and tabs at either end.
std::string trimmed(const std::string& text);

}  // namespace shell
