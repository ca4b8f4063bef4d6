#include "expr/wrap.h"

#include <cctype>
#include <cstring>

namespace qv {

namespace {

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigitOrPoint(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '.'; }

// Where to break a rest of text that is longer than width.
size_t breakPosition(const std::string& rest, size_t width)
{
    const char c = rest[width];
    size_t at = width;
    if (isLetter(c)) {
        while (at > 0 && isLetter(rest[at - 1]))
            --at;
        if (at == 0)
            at = width;  // a word longer than the line is cut
    } else if (isDigitOrPoint(c)) {
        while (at > 0 && isDigitOrPoint(rest[at - 1]))
            --at;
        if (at > 0 && rest[at - 1] == '-')
            --at;
        if (at == 0)
            at = width;  // a number that starts the line stays there
    } else if (c == ']' || c == ')' || c == '}') {
        for (size_t back = 1; back <= 5 && back <= width; ++back) {
            const char p = rest[width - back];
            if (std::strchr("[({}]) +,*/", p)) {
                if (back > 1)
                    at = std::strchr("}])+,*/", p) ? width - back + 1 : width - back;
                break;
            }
        }
    }
    if (at > 0 && (rest[at - 1] == '{' || rest[at - 1] == '\'')) {
        if (at > 1)
            --at;
    } else {
        while (at > 1 && (rest[at - 1] == '(' || rest[at - 1] == '['))
            --at;
    }
    return at > 0 ? at : width;  // every line takes at least one character
}

}  // namespace

int wrapText(std::string& output, const std::string& text, int width)
{
    std::string rest = text;
    size_t w = width > 5 ? size_t(width) : 6;  // further lines must keep at least one character
    int lines = 1;
    while (rest.size() > w) {
        const size_t at = breakPosition(rest, w);
        output.append(rest, 0, at);
        output += WRAP_BREAK;
        size_t next = at;
        while (next < rest.size() && rest[next] == ' ')
            ++next;
        rest.erase(0, next);
        ++lines;
        if (lines == 2)
            w -= 5;
    }
    output += rest;
    return lines;
}

}  // namespace qv
