// The loaded configuration as text: one line per component with its class, for install objects
// their container and order, and every property that differs from its class's default, written
// the way a configuration description writes values.
#pragma once

#include "component.h"

#include <string>

namespace fnwd {

std::string DumpConfiguration(const TConfigForm& form);
// One component's line (without the line break).
std::string DumpComponent(const TComponent& component);
// A property value in description syntax.
std::string FormatPropValue(const PropInfo& prop, const PropValue& value);

}  // namespace fnwd
