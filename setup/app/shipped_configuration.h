// The installation description built into fnwdsetup.exe, loaded at start-up.
#pragma once

#include "component.h"
#include "setup/util/environment.h"

#include <memory>
#include <string>

namespace fnwd {

// The text of a description file built into the program ("fenwold.cfg", "license.txt",
// "readme.txt"); false when the program carries no such file.
bool ReadBuiltInFile(const std::string& name, std::string& contents);

// Loads the built-in description. Throws EConfigurationError (with the line) when it is malformed.
std::unique_ptr<TConfigForm> LoadShippedConfiguration(SystemEnvironment& env);

// Handles "--dump-config" when it is among the arguments: prints the loaded configuration (or the
// reason it cannot be loaded) to standard output / standard error. Returns true when the switch
// was there; exit_code then tells how the program ends.
bool HandleDumpConfigSwitch(int& exit_code);

}  // namespace fnwd
