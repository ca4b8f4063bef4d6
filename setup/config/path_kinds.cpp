#include "path_kinds.h"

#include "install_objects.h"
#include "setup/util/format.h"
#include "setup/util/shell_folders.h"
#include "setup/util/str_util.h"
#include "ui_components.h"

namespace fnwd {

const StandardSpecifierName kStandardSpecifiers[14] = {
    {"TpsBDEDLL", "psBDEDLL"},
    {"TpsCommonFiles", "psCommonFiles"},
    {"TpsContainerArchiveFile", "psContainerArchiveFile"},
    {"TpsContainerDestDir", "psContainerDestDir"},
    {"TpsDesktopMenu", "psDesktopMenu"},
    {"TpsInstallSource", "psInstallSource"},
    {"TpsMainArchiveFile", "psMainArchiveFile"},
    {"TpsMainInstall", "psMainInstall"},
    {"TpsProgramFiles", "psProgramFiles"},
    {"TpsProgramMenu", "psProgramMenu"},
    {"TpsStartMenu", "psStartMenu"},
    {"TpsStartupMenu", "psStartupMenu"},
    {"TpsSystem", "psSystem"},
    {"TpsWindow", "psWindow"},
};

namespace {
std::string nameOf(const TComponent* object) { return object ? object->Name() : std::string(); }
}  // namespace

// ---- TCustomPathSpecifier ---------------------------------------------------------------------

TCustomPathSpecifier::TCustomPathSpecifier(TConfigForm& owner, const std::string& name, bool standard)
    : TComponent(owner, name) {
    owner.RegisterPathSpecifier(this, standard);
}

TCustomPathSpecifier::~TCustomPathSpecifier() { owner_->UnregisterPathSpecifier(this); }

std::string TCustomPathSpecifier::DescriptionFor(const TComponent*) const { return Description(); }
void TCustomPathSpecifier::CheckObject(const TComponent*) const {}
std::string TCustomPathSpecifier::Expand(const TComponent*) const { return {}; }

std::string TCustomPathSpecifier::ExpandPath(const TComponent* object) const {
    TConfigForm::ExpansionGuard guard(Owner());
    CheckObject(object);
    return RemoveBackslash(Expand(object));
}

TInstall& TCustomPathSpecifier::RequireInstall(const TComponent* object) const {
    TInstall* install = Owner().Install();
    if (!install)
        throw IException(Fmt("There is no TInstall component so the path specifier could not be expanded for %s",
                             nameOf(object)));
    return *install;
}

void TCustomPathSpecifier::RequireInstallObject(const TComponent* object) const {
    if (!dynamic_cast<const TInstallObject*>(object))
        throw IException(Fmt("%s must be a %s to use the %s path specifier", nameOf(object), "TInstallObject", Name()));
}

// ---- The standard specifiers ------------------------------------------------------------------

#define FNWD_PLAIN_SPECIFIER(Cls, KindValue, Text)                                       \
    PathKind Cls::Kind() const { return PathKind::KindValue; }                           \
    std::string Cls::Description() const { return Text; }                                \
    std::string Cls::DescriptionFor(const TComponent*) const { return Description(); }

FNWD_PLAIN_SPECIFIER(TpsBDEDLL, BDEDLL, "Borland Database Engine DLL Path")
FNWD_PLAIN_SPECIFIER(TpsCommonFiles, CommonFiles, "Path of the common files directory under the program files directory")
FNWD_PLAIN_SPECIFIER(TpsContainerArchiveFile, ContainerArchiveFile, "Path to the archive file of the container")
FNWD_PLAIN_SPECIFIER(TpsDesktopMenu, DesktopMenu, "Path of the Desktop")
FNWD_PLAIN_SPECIFIER(TpsInstallSource, InstallSource, "Path from which the user ran the install")
FNWD_PLAIN_SPECIFIER(TpsMainArchiveFile, MainArchiveFile,
                     "Archive containing most or all non-internet installation files")
FNWD_PLAIN_SPECIFIER(TpsMainInstall, MainInstall, "Path of the destination directory of the TInstall")
FNWD_PLAIN_SPECIFIER(TpsProgramFiles, ProgramFiles, "Path of the program files directory")
FNWD_PLAIN_SPECIFIER(TpsProgramMenu, ProgramMenu, "Path of the Programs folder under the Start Menu")
FNWD_PLAIN_SPECIFIER(TpsStartMenu, StartMenu, "Path of Start Menu")
FNWD_PLAIN_SPECIFIER(TpsStartupMenu, StartupMenu,
                     "Path of the Startup folder in the Programs folder under the Start Menu")
FNWD_PLAIN_SPECIFIER(TpsSystem, System, "Path of system directory")
FNWD_PLAIN_SPECIFIER(TpsWindow, Window, "Path of the Windows directory")
#undef FNWD_PLAIN_SPECIFIER

PathKind TpsContainerDestDir::Kind() const { return PathKind::ContainerDestDir; }
std::string TpsContainerDestDir::Description() const { return "Path of the group (container)"; }
std::string TpsContainerDestDir::DescriptionFor(const TComponent* object) const {
    auto* obj = dynamic_cast<const TInstallObject*>(object);
    if (!obj || !obj->Container()) return Description();
    auto* group = dynamic_cast<const TFileContainer*>(obj->Container());
    return Fmt("Path of the <%s> group", group ? group->GroupName : obj->Container()->Name());
}

void TpsBDEDLL::CheckObject(const TComponent*) const {}
void TpsCommonFiles::CheckObject(const TComponent*) const {}
void TpsDesktopMenu::CheckObject(const TComponent*) const {}
void TpsProgramFiles::CheckObject(const TComponent*) const {}
void TpsProgramMenu::CheckObject(const TComponent*) const {}
void TpsStartMenu::CheckObject(const TComponent*) const {}
void TpsStartupMenu::CheckObject(const TComponent*) const {}
void TpsSystem::CheckObject(const TComponent*) const {}
void TpsWindow::CheckObject(const TComponent*) const {}

void TpsContainerDestDir::CheckObject(const TComponent* object) const {
    RequireInstallObject(object);
    if (!static_cast<const TInstallObject*>(object)->Container())
        throw IException(Fmt("Cannot use ddContainerDestDir for %s unless you assign a Container", nameOf(object)));
}

void TpsContainerArchiveFile::CheckObject(const TComponent* object) const {
    RequireInstallObject(object);
    const TInstallContainer* container = static_cast<const TInstallObject*>(object)->Container();
    if (!container)
        throw IException(Fmt("Cannot use ddContainerArchiveFile for %s unless you assign a Container", nameOf(object)));
    if (!dynamic_cast<const TFileRelated*>(container))
        throw IException(Fmt("Cannot use the ddContainerArchiveFile path specifier for %s because the Container is not a TFileRelated descendant",
                             nameOf(object)));
}

void TpsInstallSource::CheckObject(const TComponent* object) const { RequireInstall(object); }
void TpsMainArchiveFile::CheckObject(const TComponent* object) const { RequireInstall(object); }
void TpsMainInstall::CheckObject(const TComponent* object) const {
    TInstall& install = RequireInstall(object);
    if (object == &install) throw IException("Cannot use the ddMainInstallDir path specifier for a TInstall component");
}

std::string TpsBDEDLL::Expand(const TComponent*) const { return BdeDllFolder(Env()); }
std::string TpsCommonFiles::Expand(const TComponent*) const { return CommonFilesFolder(Env()); }
std::string TpsDesktopMenu::Expand(const TComponent*) const { return DesktopFolder(Env()); }
std::string TpsProgramFiles::Expand(const TComponent*) const { return ProgramFilesFolder(Env()); }
std::string TpsProgramMenu::Expand(const TComponent*) const { return ProgramsMenuFolder(Env()); }
std::string TpsStartMenu::Expand(const TComponent*) const { return StartMenuFolder(Env()); }
std::string TpsStartupMenu::Expand(const TComponent*) const { return StartupFolder(Env()); }
std::string TpsSystem::Expand(const TComponent*) const { return SystemFolder(Env()); }
std::string TpsWindow::Expand(const TComponent*) const { return WindowsFolder(Env()); }

std::string TpsContainerDestDir::Expand(const TComponent* object) const {
    const TInstallContainer* container = static_cast<const TInstallObject*>(object)->Container();
    auto* parent = dynamic_cast<const TInstallObject*>(container);
    return parent ? parent->GetExpandedDestDir() : std::string();
}

std::string TpsContainerArchiveFile::Expand(const TComponent* object) const {
    auto* container = static_cast<const TFileRelated*>(static_cast<const TInstallObject*>(object)->Container());
    return container->GetExpandedArchiveFile();
}

std::string TpsInstallSource::Expand(const TComponent* object) const {
    return RemoveBackslash(RequireInstall(object).SourceFolder);
}

std::string TpsMainArchiveFile::Expand(const TComponent* object) const {
    const TInstall& install = RequireInstall(object);
    const std::string source = RemoveBackslash(install.SourceFolder);
    if (install.SelfExtractSwitch) {
        if (Trim(install.SelfExtractName).empty())
            throw IException("You forgot to pass in the name of the self-extracting executable. Usage example: \"-eSetup.exe\"");
        return source + "\\" + install.SelfExtractName;
    }
    return source + "\\files.1";
}

std::string TpsMainInstall::Expand(const TComponent* object) const {
    return RequireInstall(object).GetExpandedDestDir();
}

// ---- psObjectLink -----------------------------------------------------------------------------

std::string TpsObjectLink::Description() const { return "Path of the file or file group in the ObjectLink property"; }

void TpsObjectLink::CheckObject(const TComponent* object) const {
    auto* link = dynamic_cast<const TCustomInstallShellLink*>(object);
    if (!link)
        throw IException(Fmt("%s must be a %s to use the %s path specifier", nameOf(object), "TCustomInstallShellLink",
                             Name()));
    if (!link->ObjectLink)
        throw IException(Fmt("Cannot use ddObjectLink for %s unless you assign a value to ObjectLink", nameOf(object)));
}

std::string TpsObjectLink::Expand(const TComponent* object) const {
    const TInstallObject* target = static_cast<const TCustomInstallShellLink*>(object)->ObjectLink;
    if (auto* file = dynamic_cast<const TCustomInstallFile*>(target))
        return file->GetExpandedDestDir() + "\\" + file->DestName();
    return target->GetExpandedDestDir();
}

}  // namespace fnwd
