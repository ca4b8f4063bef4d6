#include "archive_errors.h"

namespace fnwd {

std::string FormatMessage(const char* pattern, const std::string& a, const std::string& b, const std::string& c) {
    const std::string* args[] = {&a, &b, &c};
    size_t next = 0;
    std::string out;
    const char* plain = pattern;  // start of the text not yet copied
    const char* p = pattern;
    const auto flush = [&](const char* upto) { out.append(plain, static_cast<size_t>(upto - plain)); };
    while (*p) {
        if (p[0] == '%' && p[1] == '%') {
            flush(p + 1);
            p += 2;
            plain = p;
        } else if (p[0] == '%' && (p[1] == 's' || p[1] == 'd') && next < 3) {
            flush(p);
            const std::string& arg = *args[next++];
            out.append(arg.data(), arg.size());
            p += 2;
            plain = p;
        } else {
            ++p;
        }
    }
    flush(p);
    return out;
}

}  // namespace fnwd
