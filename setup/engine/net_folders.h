// Where the build puts the archives of files that are fetched from a server.
#pragma once

#include "install_objects.h"

#include <string>

namespace fnwd {

// The sub-folder of the build folder for the net location that serves the file (its own, else the
// nearest container's): the host name and the directory (or, when that is empty, the protocol's
// name), each safe as a file name. Throws EInstallError when no location serves the file.
std::string NetArchiveFolder(TInstallObject& file, const std::string& build_folder);

}  // namespace fnwd
