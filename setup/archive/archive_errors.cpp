#include "archive_errors.h"

namespace fnwd {

std::string FormatMessage(const char* pattern, const std::string& a, const std::string& b, const std::string& c) {
    const std::string* args[] = {&a, &b, &c};
    size_t next = 0;
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == '%') {
            out += '%';
            ++p;
        } else if (p[0] == '%' && (p[1] == 's' || p[1] == 'd') && next < 3) {
            out += *args[next++];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace fnwd
