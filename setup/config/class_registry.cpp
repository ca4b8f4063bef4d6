// The published properties of every configuration class: what a configuration description may
// set and what the dump shows.
#include "component.h"
#include "install_objects.h"
#include "path_kinds.h"
#include "ui_components.h"

#include <map>

namespace fnwd {

namespace {

template <typename C, typename G, typename S>
PropInfo boolProp(const char* name, G get, S set) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Bool;
    p.get = [get](const TComponent& c) {
        PropValue v;
        v.b = get(static_cast<const C&>(c));
        return v;
    };
    p.set = [set](TComponent& c, const PropValue& v) { set(static_cast<C&>(c), v.b); };
    return p;
}

template <typename C, typename G, typename S>
PropInfo intProp(const char* name, G get, S set) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Int;
    p.get = [get](const TComponent& c) {
        PropValue v;
        v.i = get(static_cast<const C&>(c));
        return v;
    };
    p.set = [set](TComponent& c, const PropValue& v) { set(static_cast<C&>(c), static_cast<int>(v.i)); };
    return p;
}

template <typename C, typename G, typename S>
PropInfo strProp(const char* name, G get, S set) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::String;
    p.get = [get](const TComponent& c) {
        PropValue v;
        v.s = get(static_cast<const C&>(c));
        return v;
    };
    p.set = [set](TComponent& c, const PropValue& v) { set(static_cast<C&>(c), v.s); };
    return p;
}

template <typename C, typename G, typename S>
PropInfo listProp(const char* name, G get, S set) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Strings;
    p.get = [get](const TComponent& c) {
        PropValue v;
        v.list = get(static_cast<const C&>(c));
        return v;
    };
    p.set = [set](TComponent& c, const PropValue& v) { set(static_cast<C&>(c), v.list); };
    return p;
}

template <typename C, typename E, typename G, typename S>
PropInfo enumProp(const char* name, const EnumInfo& info, G get, S set) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Enum;
    p.enum_info = &info;
    p.get = [get](const TComponent& c) {
        PropValue v;
        v.i = static_cast<int>(get(static_cast<const C&>(c)));
        return v;
    };
    p.set = [set](TComponent& c, const PropValue& v) { set(static_cast<C&>(c), static_cast<E>(v.i)); };
    return p;
}

template <typename C, typename G, typename S>
PropInfo setProp(const char* name, const EnumInfo& info, G get, S set) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Set;
    p.enum_info = &info;
    p.get = [get](const TComponent& c) {
        PropValue v;
        v.i = get(static_cast<const C&>(c));
        return v;
    };
    p.set = [set](TComponent& c, const PropValue& v) { set(static_cast<C&>(c), static_cast<uint8_t>(v.i)); };
    return p;
}

template <typename C, typename T, typename G, typename S>
PropInfo linkProp(const char* name, const char* target_class, G get, S set) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Link;
    p.link_class = target_class;
    p.get = [get](const TComponent& c) {
        PropValue v;
        v.link = const_cast<TComponent*>(static_cast<const TComponent*>(get(static_cast<const C&>(c))));
        return v;
    };
    p.set = [set](TComponent& c, const PropValue& v) { set(static_cast<C&>(c), dynamic_cast<T*>(v.link)); };
    return p;
}

// Field accessors for plain data members.
#define FIELD_BOOL(C, Name, field) \
    boolProp<C>(Name, [](const C& o) { return o.field; }, [](C& o, bool v) { o.field = v; })
#define FIELD_INT(C, Name, field) \
    intProp<C>(Name, [](const C& o) { return static_cast<int64_t>(o.field); }, [](C& o, int v) { o.field = v; })
#define FIELD_STR(C, Name, field) \
    strProp<C>(Name, [](const C& o) { return o.field; }, [](C& o, const std::string& v) { o.field = v; })
#define FIELD_LIST(C, Name, field)                                 \
    listProp<C>(Name, [](const C& o) { return o.field; },          \
                [](C& o, const std::vector<std::string>& v) { o.field = v; })
#define FIELD_ENUM(C, E, Name, info, field) \
    enumProp<C, E>(Name, info, [](const C& o) { return o.field; }, [](C& o, E v) { o.field = v; })

template <typename T>
std::function<TComponent*(TConfigForm&, const std::string&)> creator() {
    return [](TConfigForm& form, const std::string& name) -> TComponent* { return new T(form, name); };
}

const ClassInfo& rootClass() {
    static const ClassInfo info{"TComponent", nullptr, {}, {}, {}};
    return info;
}

const std::vector<std::string> kHiddenForDialogs = {"DestDir", "DestDirType", "Include", "InstallTypes"};

}  // namespace

// ---- The form ---------------------------------------------------------------------------------

const ClassInfo& TConfigForm::StaticClass() {
    static const ClassInfo info = [] {
        using C = TConfigForm;
        ClassInfo i{"TForm1", &rootClass(), {}, {}, {}};
        i.props = {
            FIELD_STR(C, "Caption", Caption),
            FIELD_INT(C, "Width", Width),
            FIELD_INT(C, "Height", Height),
            FIELD_ENUM(C, TPosition, "Position", kPositionInfo, Position),
            FIELD_STR(C, "Font.Name", FontName),
            FIELD_INT(C, "Font.Height", FontHeight),
        };
        return i;
    }();
    return info;
}

// ---- The container tree -----------------------------------------------------------------------

const ClassInfo& TInstallContainer::StaticClass() {
    static const ClassInfo info{"TInstallContainer", &rootClass(), {}, {}, {}};
    return info;
}

const ClassInfo& TInstallObject::StaticClass() {
    static const ClassInfo info = [] {
        using C = TInstallObject;
        ClassInfo i{"TInstallObject", &TInstallContainer::StaticClass(), {}, {}, {}};
        i.props = {
            linkProp<C, TInstallContainer>(
                "Container", "TInstallContainer", [](const C& o) { return o.Container(); },
                [](C& o, TInstallContainer* v) { o.SetContainer(v); }),
            strProp<C>("DestDir", [](const C& o) { return o.DestDir(); },
                       [](C& o, const std::string& v) { o.SetDestDir(v); }),
            linkProp<C, TCustomPathSpecifier>(
                "DestDirType", "TCustomPathSpecifier", [](const C& o) { return o.DestDirType(); },
                [](C& o, TCustomPathSpecifier* v) { o.SetDestDirType(v); }),
            FIELD_BOOL(C, "Include", Include),
            setProp<C>("InstallTypes", kInstallTypeInfo, [](const C& o) { return o.InstallTypes(); },
                       [](C& o, uint8_t v) { o.SetInstallTypes(v); }),
            intProp<C>("Order", [](const C& o) { return static_cast<int64_t>(o.Order()); },
                       [](C& o, int v) { o.SetOrder(v); }),
        };
        return i;
    }();
    return info;
}

const ClassInfo& TFileRelated::StaticClass() {
    static const ClassInfo info = [] {
        using C = TFileRelated;
        ClassInfo i{"TFileRelated", &TInstallObject::StaticClass(), {}, {}, {}};
        i.props = {
            strProp<C>("ArchiveFile", [](const C& o) { return o.ArchiveFile(); },
                       [](C& o, const std::string& v) { o.SetArchiveFile(v); }),
            linkProp<C, TCustomPathSpecifier>(
                "ArchiveFileType", "TCustomPathSpecifier", [](const C& o) { return o.ArchiveFileType(); },
                [](C& o, TCustomPathSpecifier* v) { o.SetArchiveFileType(v); }),
            FIELD_ENUM(C, TlzhCommand, "AddToArchive", kLzhCommandInfo, AddToArchive),
            FIELD_BOOL(C, "Net", Net),
            linkProp<C, TCustomNetInstallLocation>(
                "NetLocation", "TCustomNetInstallLocation", [](const C& o) { return o.NetLocation(); },
                [](C& o, TCustomNetInstallLocation* v) { o.SetNetLocation(v); }),
        };
        return i;
    }();
    return info;
}

const ClassInfo& TFileContainer::StaticClass() {
    static const ClassInfo info = [] {
        using C = TFileContainer;
        ClassInfo i{"TFileContainer", &TFileRelated::StaticClass(), {}, {}, {}};
        i.props = {
            FIELD_BOOL(C, "AllowChangeDir", AllowChangeDir),
            FIELD_BOOL(C, "AllowChoice", AllowChoice),
            FIELD_LIST(C, "Description", Description),
            FIELD_STR(C, "GroupName", GroupName),
        };
        return i;
    }();
    return info;
}

const ClassInfo& TInstallFileGroup::StaticClass() {
    static const ClassInfo info{"TInstallFileGroup", &TFileContainer::StaticClass(), {}, {},
                                creator<TInstallFileGroup>()};
    return info;
}

const ClassInfo& TCustomInstall::StaticClass() {
    static const ClassInfo info = [] {
        using C = TCustomInstall;
        ClassInfo i{"TCustomInstall", &TFileContainer::StaticClass(), {}, {}, {}};
        i.props = {
            boolProp<C>("AutoMaximizeWindow", [](const C& o) { return o.AutoMaximizeWindow(); },
                        [](C& o, bool v) { o.SetAutoMaximizeWindow(v); }),
            boolProp<C>("HideMainForm", [](const C& o) { return o.HideMainForm(); },
                        [](C& o, bool v) { o.SetHideMainForm(v); }),
            FIELD_STR(C, "DialogThemeBitmap", DialogThemeBitmap),
            enumProp<C, TDistributeType>("DistributeType", kDistributeTypeInfo,
                                         [](const C& o) { return o.DistributeType(); },
                                         [](C& o, TDistributeType v) { o.SetDistributeType(v); }),
            FIELD_STR(C, "Information.CompanyName", Information.CompanyName),
            FIELD_STR(C, "Information.ProductName", Information.ProductName),
            FIELD_STR(C, "Information.Version", Information.Version),
            FIELD_STR(C, "BuildInfo.AppName", BuildInfo.AppName),
            FIELD_STR(C, "BuildInfo.AppURL", BuildInfo.AppURL),
            FIELD_STR(C, "BuildInfo.BuildDirectory", BuildInfo.BuildDirectory),
            FIELD_STR(C, "BuildInfo.CredentialsFile", BuildInfo.CredentialsFile),
            FIELD_STR(C, "BuildInfo.OCXName", BuildInfo.OCXName),
            FIELD_STR(C, "BuildInfo.PrivateKeyFile", BuildInfo.PrivateKeyFile),
            FIELD_BOOL(C, "BuildInfo.SignCode", BuildInfo.SignCode),
            FIELD_STR(C, "BuildInfo.URLPath", BuildInfo.URLPath),
            listProp<C>("PresetupFiles", [](const C& o) { return o.PresetupFiles(); },
                        [](C& o, const std::vector<std::string>& v) { o.SetPresetupFiles(v); }),
            FIELD_BOOL(C, "Reboot", Reboot),
            FIELD_BOOL(C, "RunAutomatic", RunAutomatic),
            boolProp<C>("UseLoadingProgram", [](const C& o) { return o.UseLoadingProgram(); },
                        [](C& o, bool v) { o.SetUseLoadingProgram(v); }),
        };
        return i;
    }();
    return info;
}

const ClassInfo& TInstall::StaticClass() {
    static const ClassInfo info{"TInstall", &TCustomInstall::StaticClass(), {}, {}, creator<TInstall>()};
    return info;
}

const ClassInfo& TCustomInstallFile::StaticClass() {
    static const ClassInfo info = [] {
        using C = TCustomInstallFile;
        ClassInfo i{"TCustomInstallFile", &TFileRelated::StaticClass(), {}, {}, {}};
        i.props = {
            strProp<C>("FileName", [](const C& o) { return o.FileName(); },
                       [](C& o, const std::string& v) { o.SetFileName(v); }),
            strProp<C>("IncludeFromDir", [](const C& o) { return o.IncludeFromDir(); },
                       [](C& o, const std::string& v) { o.SetIncludeFromDir(v); }),
            strProp<C>("DestName", [](const C& o) { return o.DestName(); },
                       [](C& o, const std::string& v) { o.SetDestName(v); }),
            enumProp<C, TInstallFileType>("FileType", kInstallFileTypeInfo, [](const C& o) { return o.FileType(); },
                                          [](C& o, TInstallFileType v) { o.SetFileType(v); }),
            FIELD_ENUM(C, TOverwriteType, "OverwriteMode", kOverwriteTypeInfo, OverwriteMode),
            boolProp<C>("ActiveX", [](const C& o) { return o.ActiveX(); }, [](C& o, bool v) { o.SetActiveX(v); }),
            FIELD_BOOL(C, "RegisterAsHelp", RegisterAsHelp),
            FIELD_BOOL(C, "RunAfterInstall", RunAfterInstall),
            FIELD_BOOL(C, "UpdateDLLCounter", UpdateDLLCounter),
            enumProp<C, TInstallFileState>("State", kInstallFileStateInfo, [](const C& o) { return o.State(); },
                                           [](C& o, TInstallFileState v) { o.SetState(v); }),
            intProp<C>("UniqueID", [](const C& o) { return static_cast<int64_t>(o.UniqueID()); },
                       [](C& o, int v) { o.SetStoredUniqueID(v); }),
        };
        i.props.back().always_dump = true;
        return i;
    }();
    return info;
}

const ClassInfo& TInstallFile::StaticClass() {
    static const ClassInfo info{"TInstallFile", &TCustomInstallFile::StaticClass(), {}, {}, creator<TInstallFile>()};
    return info;
}

const ClassInfo& TUninstallEXE::StaticClass() {
    static const ClassInfo info{"TUninstallEXE", &TCustomInstallFile::StaticClass(), {},
                                {"ActiveX", "RegisterAsHelp", "RunAfterInstall"}, creator<TUninstallEXE>()};
    return info;
}

// ---- Dialogs and managers ---------------------------------------------------------------------

const ClassInfo& TCustomBaseInstallDlg::StaticClass() {
    static const ClassInfo info = [] {
        using C = TCustomBaseInstallDlg;
        ClassInfo i{"TCustomBaseInstallDlg", &TInstallObject::StaticClass(), {}, kHiddenForDialogs, {}};
        i.props = {
            linkProp<C, TDialogManager>("DialogManager", "TDialogManager", [](const C& o) { return o.DialogManager; },
                                        [](C& o, TDialogManager* v) { o.DialogManager = v; }),
            FIELD_BOOL(C, "AutoSetFont", AutoSetFont),
            FIELD_BOOL(C, "AutoTranslate", AutoTranslate),
            FIELD_BOOL(C, "OverrideMainTranslator", OverrideMainTranslator),
            FIELD_ENUM(C, TTrnwLanguage, "TranslateIntoLanguage", kTrnwLanguageInfo, TranslateIntoLanguage),
            FIELD_STR(C, "ThemeBitmap", ThemeBitmap),
        };
        return i;
    }();
    return info;
}

const ClassInfo& TBaseInstallDlg::StaticClass() {
    static const ClassInfo info{"TBaseInstallDlg", &TCustomBaseInstallDlg::StaticClass(), {}, {}, {}};
    return info;
}

#define FNWD_SIMPLE_CLASS(Cls, Parent)                                                                \
    const ClassInfo& Cls::StaticClass() {                                                             \
        static const ClassInfo info{#Cls, &Parent::StaticClass(), {}, {}, creator<Cls>()};           \
        return info;                                                                                  \
    }

FNWD_SIMPLE_CLASS(TWelcomeDlg, TBaseInstallDlg)
FNWD_SIMPLE_CLASS(TSelectFolderDlg, TBaseInstallDlg)
FNWD_SIMPLE_CLASS(TGoodInstallationDlg, TBaseInstallDlg)
FNWD_SIMPLE_CLASS(TBadInstallationDlg, TBaseInstallDlg)
FNWD_SIMPLE_CLASS(TInstallStatusDlg, TCustomBaseInstallDlg)

const ClassInfo& TLicenseDlg::StaticClass() {
    static const ClassInfo info{"TLicenseDlg", &TBaseInstallDlg::StaticClass(),
                                {FIELD_LIST(TLicenseDlg, "LicenseAgreement", LicenseAgreement)}, {},
                                creator<TLicenseDlg>()};
    return info;
}

const ClassInfo& TReadmeDlg::StaticClass() {
    static const ClassInfo info{"TReadmeDlg", &TBaseInstallDlg::StaticClass(),
                                {FIELD_LIST(TReadmeDlg, "ReadmeText", ReadmeText)}, {}, creator<TReadmeDlg>()};
    return info;
}

const ClassInfo& TCopyFileDlg::StaticClass() {
    static const ClassInfo info = [] {
        using C = TCopyFileDlg;
        ClassInfo i{"TCopyFileDlg", &TCustomBaseInstallDlg::StaticClass(), {}, {}, creator<TCopyFileDlg>()};
        i.props = {
            FIELD_ENUM(C, TTarnwickDialogPosition, "Position", kDialogPositionInfo, Position),
            FIELD_INT(C, "RelativeLeftOffset", RelativeLeftOffset),
            FIELD_INT(C, "RelativeTopOffset", RelativeTopOffset),
            FIELD_INT(C, "Width", Width),
            FIELD_INT(C, "Height", Height),
        };
        return i;
    }();
    return info;
}

const ClassInfo& TDialogManager::StaticClass() {
    static const ClassInfo info = [] {
        using C = TDialogManager;
        ClassInfo i{"TDialogManager", &TInstallObject::StaticClass(), {}, kHiddenForDialogs, creator<TDialogManager>()};
        i.props = {
            FIELD_ENUM(C, TManagerType, "ManagerType", kManagerTypeInfo, ManagerType),
            FIELD_ENUM(C, TTarnwickDialogPosition, "Position", kDialogPositionInfo, Position),
            FIELD_INT(C, "RelativeLeftOffset", RelativeLeftOffset),
            FIELD_INT(C, "RelativeTopOffset", RelativeTopOffset),
            FIELD_INT(C, "Width", Width),
            FIELD_INT(C, "Height", Height),
        };
        return i;
    }();
    return info;
}

// ---- Shortcut groups and shortcuts ------------------------------------------------------------

const ClassInfo& TCustomShellLinkGroup::StaticClass() {
    static const ClassInfo info{"TCustomShellLinkGroup", &TInstallObject::StaticClass(), {}, {}, {}};
    return info;
}

const ClassInfo& TMainLinkGroup::StaticClass() {
    static const ClassInfo info{"TMainLinkGroup", &TCustomShellLinkGroup::StaticClass(), {},
                                {"DestDirType", "InstallTypes", "Order"}, creator<TMainLinkGroup>()};
    return info;
}

const ClassInfo& TCustomInstallShellLink::StaticClass() {
    static const ClassInfo info = [] {
        using C = TCustomInstallShellLink;
        ClassInfo i{"TCustomInstallShellLink", &TInstallObject::StaticClass(), {}, {}, {}};
        i.props = {
            FIELD_STR(C, "LinkName", LinkName),
            linkProp<C, TInstallObject>("ObjectLink", "TInstallObject", [](const C& o) { return o.ObjectLink; },
                                        [](C& o, TInstallObject* v) { o.ObjectLink = v; }),
            FIELD_STR(C, "ObjectLocation", ObjectLocation),
            linkProp<C, TCustomPathSpecifier>(
                "ObjectLocationType", "TCustomPathSpecifier", [](const C& o) { return o.ObjectLocationType; },
                [](C& o, TCustomPathSpecifier* v) { o.ObjectLocationType = v; }),
            FIELD_STR(C, "Parameters", Parameters),
            FIELD_INT(C, "HotKey", HotKey),
            FIELD_ENUM(C, TMethodType, "Method", kMethodTypeInfo, Method),
        };
        return i;
    }();
    return info;
}

FNWD_SIMPLE_CLASS(TInstallShellLink, TCustomInstallShellLink)

const ClassInfo& TInstallMainLink::StaticClass() {
    static const ClassInfo info{"TInstallMainLink", &TCustomInstallShellLink::StaticClass(), {}, {"Container"},
                                creator<TInstallMainLink>()};
    return info;
}

// ---- Net locations, translator, backdrop ------------------------------------------------------

const ClassInfo& TCustomNetInstallLocation::StaticClass() {
    static const ClassInfo info = [] {
        using C = TCustomNetInstallLocation;
        ClassInfo i{"TCustomNetInstallLocation", &rootClass(), {}, {}, {}};
        i.props = {
            FIELD_BOOL(C, "LoginInformation.Anonymous", LoginInformation.Anonymous),
            FIELD_STR(C, "LoginInformation.Directory", LoginInformation.Directory),
            FIELD_STR(C, "LoginInformation.Hostname", LoginInformation.Hostname),
            FIELD_STR(C, "LoginInformation.Password", LoginInformation.Password),
            FIELD_ENUM(C, TInternetProtocol, "LoginInformation.Protocol", kInternetProtocolInfo,
                       LoginInformation.Protocol),
            FIELD_STR(C, "LoginInformation.Username", LoginInformation.Username),
        };
        return i;
    }();
    return info;
}

FNWD_SIMPLE_CLASS(TNetInstallLocation, TCustomNetInstallLocation)

const ClassInfo& TTranslator::StaticClass() {
    static const ClassInfo info = [] {
        using C = TTranslator;
        ClassInfo i{"TTranslator", &rootClass(), {}, {}, creator<TTranslator>()};
        for (size_t n = 0; n < kTranslatorLanguages.size(); ++n) {
            const std::string prefix = "lg" + kTranslatorLanguages[n].second;
            i.props.push_back(strProp<C>((prefix + ".Font.Name").c_str(),
                                         [n](const C& o) { return o.Languages[n].FontName; },
                                         [n](C& o, const std::string& v) { o.Languages[n].FontName = v; }));
            i.props.push_back(intProp<C>((prefix + ".Font.Height").c_str(),
                                         [n](const C& o) { return static_cast<int64_t>(o.Languages[n].FontHeight); },
                                         [n](C& o, int v) { o.Languages[n].FontHeight = v; }));
            i.props.push_back(boolProp<C>((prefix + ".FontOverride").c_str(),
                                          [n](const C& o) { return o.Languages[n].FontOverride; },
                                          [n](C& o, bool v) { o.Languages[n].FontOverride = v; }));
            i.props.push_back(listProp<C>((prefix + ".Strings").c_str(),
                                          [n](const C& o) { return o.Languages[n].Strings; },
                                          [n](C& o, const std::vector<std::string>& v) { o.Languages[n].Strings = v; }));
        }
        i.props.push_back(FIELD_ENUM(C, TTrnwLanguage, "TranslateIntoLanguage", kTrnwLanguageInfo, TranslateIntoLanguage));
        return i;
    }();
    return info;
}

const ClassInfo& TBackdrop::StaticClass() {
    static const ClassInfo info = [] {
        using C = TBackdrop;
        ClassInfo i{"TBackdrop", &rootClass(), {}, {}, creator<TBackdrop>()};
        i.props = {
            FIELD_ENUM(C, TAlign, "Align", kAlignInfo, Align),
            FIELD_ENUM(C, TBackdropDirection, "Direction", kBackdropDirectionInfo, Direction),
            FIELD_ENUM(C, TColorName, "StartColor", kColorInfo, StartColor),
            FIELD_ENUM(C, TColorName, "EndColor", kColorInfo, EndColor),
        };
        return i;
    }();
    return info;
}

const ClassInfo& TCaptionControl::StaticClass() {
    static const ClassInfo info = [] {
        using C = TCaptionControl;
        ClassInfo i{"TCaptionControl", &rootClass(), {}, {}, {}};
        i.props = {
            linkProp<C, TComponent>("Parent", "TComponent", [](const C& o) { return o.Parent; },
                                    [](C& o, TComponent* v) { o.Parent = v; }),
            FIELD_STR(C, "Caption", Caption),
            FIELD_ENUM(C, TAlignment, "Alignment", kAlignmentInfo, Alignment),
            FIELD_INT(C, "Top", Top),
            FIELD_STR(C, "Font.Name", FontName),
            FIELD_INT(C, "Font.Height", FontHeight),
            FIELD_ENUM(C, TColorName, "Font.Color", kColorInfo, FontColor),
            setProp<C>("Font.Style", kFontStyleInfo, [](const C& o) { return o.FontStyle; },
                       [](C& o, uint8_t v) { o.FontStyle = v; }),
        };
        return i;
    }();
    return info;
}

FNWD_SIMPLE_CLASS(TRotate3DLabel, TCaptionControl)
FNWD_SIMPLE_CLASS(TLabel, TCaptionControl)

// ---- Path specifiers --------------------------------------------------------------------------

const ClassInfo& TCustomPathSpecifier::StaticClass() {
    static const ClassInfo info{"TCustomPathSpecifier", &rootClass(), {}, {}, {}};
    return info;
}

const ClassInfo& TStandardPathSpecifier::StaticClass() {
    static const ClassInfo info{"TStandardPathSpecifier", &TCustomPathSpecifier::StaticClass(), {}, {}, {}};
    return info;
}

FNWD_SIMPLE_CLASS(TpsBDEDLL, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsCommonFiles, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsContainerArchiveFile, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsContainerDestDir, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsDesktopMenu, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsInstallSource, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsMainArchiveFile, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsMainInstall, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsProgramFiles, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsProgramMenu, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsStartMenu, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsStartupMenu, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsSystem, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsWindow, TStandardPathSpecifier)
FNWD_SIMPLE_CLASS(TpsObjectLink, TCustomPathSpecifier)
#undef FNWD_SIMPLE_CLASS

// ---- Lookup -----------------------------------------------------------------------------------

std::vector<const ClassInfo*> AllClasses() {
    return {
        &TInstallContainer::StaticClass(), &TInstallObject::StaticClass(), &TFileRelated::StaticClass(),
        &TFileContainer::StaticClass(), &TInstallFileGroup::StaticClass(), &TCustomInstall::StaticClass(),
        &TInstall::StaticClass(), &TCustomInstallFile::StaticClass(), &TInstallFile::StaticClass(),
        &TUninstallEXE::StaticClass(), &TCustomBaseInstallDlg::StaticClass(), &TBaseInstallDlg::StaticClass(),
        &TWelcomeDlg::StaticClass(), &TLicenseDlg::StaticClass(), &TReadmeDlg::StaticClass(),
        &TSelectFolderDlg::StaticClass(), &TGoodInstallationDlg::StaticClass(),
        &TBadInstallationDlg::StaticClass(), &TCopyFileDlg::StaticClass(), &TInstallStatusDlg::StaticClass(),
        &TDialogManager::StaticClass(), &TCustomShellLinkGroup::StaticClass(), &TMainLinkGroup::StaticClass(),
        &TCustomInstallShellLink::StaticClass(), &TInstallShellLink::StaticClass(),
        &TInstallMainLink::StaticClass(), &TCustomNetInstallLocation::StaticClass(),
        &TNetInstallLocation::StaticClass(), &TTranslator::StaticClass(), &TBackdrop::StaticClass(),
        &TCaptionControl::StaticClass(), &TRotate3DLabel::StaticClass(), &TLabel::StaticClass(),
        &TCustomPathSpecifier::StaticClass(), &TStandardPathSpecifier::StaticClass(), &TpsBDEDLL::StaticClass(),
        &TpsCommonFiles::StaticClass(), &TpsContainerArchiveFile::StaticClass(),
        &TpsContainerDestDir::StaticClass(), &TpsDesktopMenu::StaticClass(), &TpsInstallSource::StaticClass(),
        &TpsMainArchiveFile::StaticClass(), &TpsMainInstall::StaticClass(), &TpsProgramFiles::StaticClass(),
        &TpsProgramMenu::StaticClass(), &TpsStartMenu::StaticClass(), &TpsStartupMenu::StaticClass(),
        &TpsSystem::StaticClass(), &TpsWindow::StaticClass(), &TpsObjectLink::StaticClass(),
    };
}

const ClassInfo* FindClass(const std::string& name) {
    static const std::map<std::string, const ClassInfo*> by_name = [] {
        std::map<std::string, const ClassInfo*> m;
        for (const ClassInfo* c : AllClasses()) m[c->name] = c;
        return m;
    }();
    auto it = by_name.find(name);
    return it == by_name.end() ? nullptr : it->second;
}

}  // namespace fnwd
