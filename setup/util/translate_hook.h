// Texts shown to the user pass through the installed translator by their English wording.
// Until a translator is installed they are shown as they are.
#pragma once

#include <functional>
#include <string>

namespace fnwd {

using TranslateFn = std::function<std::string(const std::string&)>;

void SetTranslator(TranslateFn fn);
std::string Translate(const std::string& english);

}  // namespace fnwd
