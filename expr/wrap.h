// Breaks a long equation text into lines for narrow places (the Printout window, message boxes)
// without splitting words or numbers.
#pragma once

#include <string>

namespace qv {

// The break between two lines: carriage return, line feed and five spaces.
constexpr char WRAP_BREAK[] = "\r\n     ";

// Copies text into output with line breaks so that the first line holds at most width characters and
// every further line at most width - 5. Returns the number of lines written.
int wrapText(std::string& output, const std::string& text, int width);

}  // namespace qv
