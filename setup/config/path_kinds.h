// Path specifiers: small components that turn a symbolic folder into a real one for an object.
#pragma once

#include "component.h"

#include <string>

namespace fnwd {

enum class PathKind {
    Custom, BDEDLL, CommonFiles, ContainerArchiveFile, ContainerDestDir, DesktopMenu, InstallSource,
    MainArchiveFile, MainInstall, ProgramFiles, ProgramMenu, StartMenu, StartupMenu, System, Window, ObjectLink
};

class TCustomPathSpecifier : public TComponent {
    FNWD_COMPONENT_CLASS()
public:
    TCustomPathSpecifier(TConfigForm& owner, const std::string& name, bool standard = false);
    ~TCustomPathSpecifier() override;

    virtual PathKind Kind() const { return PathKind::Custom; }
    virtual std::string Description() const { return "Unspecified"; }
    // The description as shown for a particular object.
    virtual std::string DescriptionFor(const TComponent* object) const;
    // Raises when the specifier cannot serve the object.
    virtual void CheckObject(const TComponent* object) const;
    // CheckObject, then the folder (never ending in a backslash).
    std::string ExpandPath(const TComponent* object) const;

protected:
    virtual std::string Expand(const TComponent* object) const;
    // The TInstall, or the "no TInstall" failure for the object.
    TInstall& RequireInstall(const TComponent* object) const;
    void RequireInstallObject(const TComponent* object) const;
};

class TStandardPathSpecifier : public TCustomPathSpecifier {
    FNWD_COMPONENT_CLASS()
public:
    TStandardPathSpecifier(TConfigForm& owner, const std::string& name) : TCustomPathSpecifier(owner, name, true) {}
};

#define FNWD_STANDARD_SPECIFIER(Cls)                                                              \
    class Cls : public TStandardPathSpecifier {                                                   \
        FNWD_COMPONENT_CLASS()                                                                    \
    public:                                                                                       \
        Cls(TConfigForm& owner, const std::string& name) : TStandardPathSpecifier(owner, name) {} \
        PathKind Kind() const override;                                                           \
        std::string Description() const override;                                                 \
        std::string DescriptionFor(const TComponent* object) const override;                      \
        void CheckObject(const TComponent* object) const override;                                \
                                                                                                  \
    protected:                                                                                    \
        std::string Expand(const TComponent* object) const override;                              \
    };

FNWD_STANDARD_SPECIFIER(TpsBDEDLL)
FNWD_STANDARD_SPECIFIER(TpsCommonFiles)
FNWD_STANDARD_SPECIFIER(TpsContainerArchiveFile)
FNWD_STANDARD_SPECIFIER(TpsContainerDestDir)
FNWD_STANDARD_SPECIFIER(TpsDesktopMenu)
FNWD_STANDARD_SPECIFIER(TpsInstallSource)
FNWD_STANDARD_SPECIFIER(TpsMainArchiveFile)
FNWD_STANDARD_SPECIFIER(TpsMainInstall)
FNWD_STANDARD_SPECIFIER(TpsProgramFiles)
FNWD_STANDARD_SPECIFIER(TpsProgramMenu)
FNWD_STANDARD_SPECIFIER(TpsStartMenu)
FNWD_STANDARD_SPECIFIER(TpsStartupMenu)
FNWD_STANDARD_SPECIFIER(TpsSystem)
FNWD_STANDARD_SPECIFIER(TpsWindow)

#undef FNWD_STANDARD_SPECIFIER

// The installed path of a link's ObjectLink.
class TpsObjectLink : public TCustomPathSpecifier {
    FNWD_COMPONENT_CLASS()
public:
    TpsObjectLink(TConfigForm& owner, const std::string& name) : TCustomPathSpecifier(owner, name) {}
    PathKind Kind() const override { return PathKind::ObjectLink; }
    std::string Description() const override;
    void CheckObject(const TComponent* object) const override;

protected:
    std::string Expand(const TComponent* object) const override;
};

// The class names and component names of the fourteen standard specifiers, in the order above.
struct StandardSpecifierName {
    const char* class_name;
    const char* component_name;
};
extern const StandardSpecifierName kStandardSpecifiers[14];

// The Kind of a specifier, PathKind::Custom for none.
inline PathKind KindOf(const TCustomPathSpecifier* specifier) { return specifier ? specifier->Kind() : PathKind::Custom; }

}  // namespace fnwd
