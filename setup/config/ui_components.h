// Configuration components whose behaviour lives in the wizard, the link and the network parts:
// dialogs and their managers, shortcut groups and shortcuts, net locations, the translator, and
// the backdrop of the main form. Here they carry their published properties and links.
#pragma once

#include "install_objects.h"

#include <array>
#include <string>
#include <vector>

namespace fnwd {

class TDialogManager;

class TCustomBaseInstallDlg : public TInstallObject {
    FNWD_COMPONENT_CLASS()
public:
    TCustomBaseInstallDlg(TConfigForm& owner, const std::string& name) : TInstallObject(owner, name) {}
    int RegisteredType() const override { return kRegisteredDialog; }

    TDialogManager* DialogManager = nullptr;
    bool AutoSetFont = true;
    bool AutoTranslate = true;
    bool OverrideMainTranslator = false;
    TTrnwLanguage TranslateIntoLanguage = tlUser;
    std::string ThemeBitmap;  // picture resource; empty: the TInstall's DialogThemeBitmap
    std::function<void(TCustomBaseInstallDlg& sender)> OnBeforeExecute, OnAfterExecute;

    void Notification(TComponent* removed) override;
};

class TBaseInstallDlg : public TCustomBaseInstallDlg {
    FNWD_COMPONENT_CLASS()
public:
    using TCustomBaseInstallDlg::TCustomBaseInstallDlg;
};

#define FNWD_PAGE_DIALOG(Cls)                                                                        \
    class Cls : public TBaseInstallDlg {                                                             \
        FNWD_COMPONENT_CLASS()                                                                       \
    public:                                                                                          \
        using TBaseInstallDlg::TBaseInstallDlg;

FNWD_PAGE_DIALOG(TWelcomeDlg)
};
FNWD_PAGE_DIALOG(TLicenseDlg)
std::vector<std::string> LicenseAgreement;
};
FNWD_PAGE_DIALOG(TReadmeDlg)
std::vector<std::string> ReadmeText;
};
FNWD_PAGE_DIALOG(TSelectFolderDlg)
};
FNWD_PAGE_DIALOG(TGoodInstallationDlg)
};
FNWD_PAGE_DIALOG(TBadInstallationDlg)
};
#undef FNWD_PAGE_DIALOG

// The progress window while files are copied.
class TCopyFileDlg : public TCustomBaseInstallDlg {
    FNWD_COMPONENT_CLASS()
public:
    using TCustomBaseInstallDlg::TCustomBaseInstallDlg;
    TTarnwickDialogPosition Position = tdpBottomCenter;
    int RelativeLeftOffset = 0;
    int RelativeTopOffset = 30;
    int Width = 474;
    int Height = 146;
};

// The status-line window.
class TInstallStatusDlg : public TCustomBaseInstallDlg {
    FNWD_COMPONENT_CLASS()
public:
    using TCustomBaseInstallDlg::TCustomBaseInstallDlg;
};

// Shows a set of dialogs in order at one moment of the run.
class TDialogManager : public TInstallObject {
    FNWD_COMPONENT_CLASS()
public:
    TDialogManager(TConfigForm& owner, const std::string& name) : TInstallObject(owner, name) {}
    int RegisteredType() const override { return kRegisteredDialog; }

    TManagerType ManagerType = dmBeforeInstall;
    TTarnwickDialogPosition Position = tdpCenter;
    int RelativeLeftOffset = 0;
    int RelativeTopOffset = 0;
    int Width = 478;
    int Height = 395;
};

class TCustomShellLinkGroup : public TInstallObject {
    FNWD_COMPONENT_CLASS()
public:
    TCustomShellLinkGroup(TConfigForm& owner, const std::string& name) : TInstallObject(owner, name) {}
    int RegisteredType() const override { return kRegisteredShellLinkGroup; }
};

// The product's folder in the Start menu's Programs folder: at most one per program.
class TMainLinkGroup : public TCustomShellLinkGroup {
    FNWD_COMPONENT_CLASS()
public:
    TMainLinkGroup(TConfigForm& owner, const std::string& name);
    ~TMainLinkGroup() override;
    // Joining a container leaves the folder alone: the group always lives under the Programs folder.
    void SetContainer(TInstallContainer* container) override;
    // Always under the Programs folder, whatever DestDirType says.
    std::string GetExpandedDestDir() const override;
};

class TCustomInstallShellLink : public TInstallObject {
    FNWD_COMPONENT_CLASS()
public:
    TCustomInstallShellLink(TConfigForm& owner, const std::string& name) : TInstallObject(owner, name) {}
    int RegisteredType() const override { return kRegisteredShellLink; }

    std::string LinkName;
    TInstallObject* ObjectLink = nullptr;
    std::string ObjectLocation;
    TCustomPathSpecifier* ObjectLocationType = nullptr;
    std::string Parameters;
    int HotKey = 0;
    TMethodType Method = mtAutoDetect;

    void Notification(TComponent* removed) override;
};

class TInstallShellLink : public TCustomInstallShellLink {
    FNWD_COMPONENT_CLASS()
public:
    using TCustomInstallShellLink::TCustomInstallShellLink;
};

// A shortcut in the main link group, to which it always belongs.
class TInstallMainLink : public TCustomInstallShellLink {
    FNWD_COMPONENT_CLASS()
public:
    TInstallMainLink(TConfigForm& owner, const std::string& name);
    // Joins the main link group (with psContainerDestDir) when there is one and it has not yet.
    void JoinMainLinkGroup();
};

struct TLoginInformation {
    bool Anonymous = true;
    std::string Directory;
    std::string Hostname;
    std::string Password;
    TInternetProtocol Protocol = ipHTTP;
    std::string Username;

    // Filled in: for an anonymous login a host name, otherwise any of host name, password, user.
    bool IsFilledIn() const;
};

class TCustomNetInstallLocation : public TComponent {
    FNWD_COMPONENT_CLASS()
public:
    TCustomNetInstallLocation(TConfigForm& owner, const std::string& name);
    ~TCustomNetInstallLocation() override;
    TLoginInformation LoginInformation;
    std::function<void(TCustomNetInstallLocation& sender)> OnBeforeLogin, OnAfterLogin, OnBeforeDownload;
    std::function<void(TCustomNetInstallLocation& sender, bool aborted)> OnAfterDownload;
};

class TNetInstallLocation : public TCustomNetInstallLocation {
    FNWD_COMPONENT_CLASS()
public:
    using TCustomNetInstallLocation::TCustomNetInstallLocation;
};

// One language of the translator.
struct TTranslatorLanguage {
    std::string FontName = "MS Sans Serif";
    int FontHeight = 11;
    bool FontOverride = false;
    std::vector<std::string> Strings;
};

class TTranslator : public TComponent {
    FNWD_COMPONENT_CLASS()
public:
    TTranslator(TConfigForm& owner, const std::string& name);
    ~TTranslator() override;
    // Indexed by position in kTranslatorLanguages.
    std::array<TTranslatorLanguage, 16> Languages;
    TTrnwLanguage TranslateIntoLanguage = tlUser;
};

// The gradient panel behind the wizard and its captions.
class TBackdrop : public TComponent {
    FNWD_COMPONENT_CLASS()
public:
    using TComponent::TComponent;
    TAlign Align = alClient;
    TBackdropDirection Direction = bdUp;
    TColorName StartColor = clBlue;
    TColorName EndColor = clBlack;
};

class TCaptionControl : public TComponent {
    FNWD_COMPONENT_CLASS()
public:
    using TComponent::TComponent;
    TComponent* Parent = nullptr;
    std::string Caption;
    TAlignment Alignment = taLeftJustify;
    int Top = 0;
    std::string FontName = "MS Sans Serif";
    int FontHeight = 11;
    TColorName FontColor = clWindowText;
    uint8_t FontStyle = 0;  // bits of TFontStyle

    void Notification(TComponent* removed) override;
};

// A caption drawn with a raised three-dimensional effect.
class TRotate3DLabel : public TCaptionControl {
    FNWD_COMPONENT_CLASS()
public:
    using TCaptionControl::TCaptionControl;
};

class TLabel : public TCaptionControl {
    FNWD_COMPONENT_CLASS()
public:
    using TCaptionControl::TCaptionControl;
};

}  // namespace fnwd
