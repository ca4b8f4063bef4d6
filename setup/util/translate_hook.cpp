#include "translate_hook.h"

#include <utility>

namespace fnwd {

namespace {
TranslateFn& translator() {
    static TranslateFn fn;
    return fn;
}
}  // namespace

void SetTranslator(TranslateFn fn) { translator() = std::move(fn); }

std::string Translate(const std::string& english) {
    const TranslateFn& fn = translator();
    return fn ? fn(english) : english;
}

}  // namespace fnwd
