// Reads arbitrary bytes as a graph document, then checks that what the writer makes of the result is
// stable: the second and the third save are the same text, apart from the queue, which every open
// reverses.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "doc/graph_file.h"
#include "expr/functions.h"

namespace {

std::string g_path;

const std::string& scratchPath()
{
    if (g_path.empty())
        // A memory file system when there is one: the target writes and reads a file per step.
        g_path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/fuzz_graph_file." +
                 std::to_string(getpid()) + ".gr";
    return g_path;
}

bool store(const std::string& text)
{
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// The text before [equations] and the equation lines after it.
void split(const std::string& text, std::string& settings, std::vector<std::string>& equations)
{
    const std::size_t at = text.find("\n[equations]\n");
    settings = text.substr(0, at);
    equations.clear();
    if (at == std::string::npos)
        return;
    std::size_t p = at + 13;
    while (p < text.size()) {
        const std::size_t nl = text.find('\n', p);
        equations.push_back(text.substr(p, nl - p));
        p = nl == std::string::npos ? text.size() : nl + 1;
    }
}

std::string saveAndReopen(const std::string& text)
{
    if (!store(text))
        return {};
    qv::GraphDoc* doc = qv::createFromSetup();
    if (qv::readGraphFile(*doc, scratchPath(), qv::READ_QUIET) < 0)
        std::abort();
    std::string out = qv::graphFileText(*doc, qv::FILE_DOCUMENT_WITH_SETTINGS);
    qv::freeDocument(doc);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 64 * 1024)
        return 0;
    qv::resetVariables();
    qv::documentProgram().options = qv::ProgramOptions{};
    qv::documentProgram().colourCounter = 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string first = saveAndReopen(input);
    const std::string second = saveAndReopen(first);
    const std::string third = saveAndReopen(second);
    std::string s2, s3;
    std::vector<std::string> e2, e3;
    split(second, s2, e2);
    split(third, s3, e3);
    std::reverse(e3.begin(), e3.end());
    if (s2 != s3 || e2 != e3) {
        std::fprintf(stderr, "unstable save:\n--- second\n%s\n--- third\n%s\n", second.c_str(), third.c_str());
        std::abort();
    }
    // The setup file of the same state reads back too.
    qv::GraphDoc* doc = qv::createFromSetup();
    if (store(input))
        (void)qv::readGraphFile(*doc, scratchPath(), qv::READ_MERGE);
    const std::string setup = qv::graphFileText(*doc, qv::FILE_SETUP);
    qv::freeDocument(doc);
    (void)saveAndReopen(setup);
    std::remove(scratchPath().c_str());
    return 0;
}
