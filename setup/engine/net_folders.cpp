#include "net_folders.h"

#include "command_line.h"
#include "ui_components.h"
#include "setup/util/str_util.h"

namespace fnwd {

namespace {

constexpr const char* kNoNetLocation =
    "Must assign a net location via the NetLocation property before you can set the distribute type";

TCustomNetInstallLocation* NetLocationOf(TInstallObject& object) {
    for (TInstallObject* o = &object; o;) {
        if (auto* related = dynamic_cast<TFileRelated*>(o); related && related->NetLocation())
            return related->NetLocation();
        o = dynamic_cast<TInstallObject*>(o->Container());
    }
    return nullptr;
}

}  // namespace

std::string NetArchiveFolder(TInstallObject& file, const std::string& build_folder) {
    TCustomNetInstallLocation* location = NetLocationOf(file);
    if (!location) throw EInstallError(kNoNetLocation);
    const TLoginInformation& login = location->LoginInformation;
    const std::string directory = Trim(login.Directory);
    return AddBackslash(build_folder) + FileNameSafe(login.Hostname) + "\\" +
           (directory.empty() ? std::string(login.Protocol == ipFTP ? "FTP" : "HTTP") : FileNameSafe(directory));
}

}  // namespace fnwd
