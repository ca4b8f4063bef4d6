// Any bytes as a configuration description: loading either succeeds or raises its error; the
// dump of whatever loads must work too.
#include "config_dump.h"
#include "config_loader.h"
#include "fake_environment.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fnwd::FakeEnvironment env;
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        auto form = fnwd::LoadConfiguration(text, env, [](const std::string& name, std::string& contents) {
            if (name != "a.txt") return false;
            contents = "line one\nline two\n";
            return true;
        });
        std::string dump = fnwd::DumpConfiguration(*form);
        (void)dump;
    } catch (const fnwd::Exception&) {
    }
    return 0;
}
