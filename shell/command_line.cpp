#include "command_line.h"

namespace shell {

namespace {
constexpr char SEPARATORS[] = " \t,;";
constexpr char SETUP_PREFIX[] = "/i:";
}  // namespace

std::vector<std::string> splitCommandLine(const std::string& raw)
{
    std::vector<std::string> names;
    std::size_t i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == ' ' || c == ',' || c == ';' || c == '\t') {
            ++i;
            continue;
        }
        std::string name;
        if (c == '"') {
            const std::size_t close = raw.find('"', i + 1);
            name = raw.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? raw.size() : close + 1;
        } else {
            const std::size_t end = raw.find_first_of(SEPARATORS, i);
            name = raw.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? raw.size() : end;
        }
        if (!name.empty())
            names.push_back(name);
    }
    return names;
}

std::string withDocumentExtension(std::string name)
{
    if (name.find('.') == std::string::npos)
        name += ".gr";
    return name;
}

std::vector<std::string> documentNames(const std::string& text)
{
    std::vector<std::string> names;
    for (const std::string& name : splitCommandLine(text))
        if (name.rfind(SETUP_PREFIX, 0) != 0)
            names.push_back(withDocumentExtension(name));
    return names;
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace shell
