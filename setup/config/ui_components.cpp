#include "ui_components.h"

#include "path_kinds.h"
#include "setup/util/shell_folders.h"
#include "setup/util/str_util.h"

namespace fnwd {

void TCustomBaseInstallDlg::Notification(TComponent* removed) {
    TInstallObject::Notification(removed);
    if (static_cast<TComponent*>(DialogManager) == removed) DialogManager = nullptr;
}

TMainLinkGroup::TMainLinkGroup(TConfigForm& owner, const std::string& name) : TCustomShellLinkGroup(owner, name) {
    owner.RegisterMainLinkGroup(this);
    dest_dir_type_ = owner.FindStandardSpecifier("TpsProgramMenu");
    dest_dir_ = owner.Install() ? "\\" + owner.Install()->Information.ProductName : "\\MainFolderName";
}

TMainLinkGroup::~TMainLinkGroup() { owner_->UnregisterMainLinkGroup(this); }

void TMainLinkGroup::SetContainer(TInstallContainer* container) { AttachContainer(container); }

std::string TMainLinkGroup::GetExpandedDestDir() const {
    TConfigForm::ExpansionGuard guard(Owner());
    return RemoveBackslash(ProgramsMenuFolder(Env()) + dest_dir_);
}

void TCustomInstallShellLink::Notification(TComponent* removed) {
    TInstallObject::Notification(removed);
    if (static_cast<TComponent*>(ObjectLink) == removed) ObjectLink = nullptr;
    if (static_cast<TComponent*>(ObjectLocationType) == removed) ObjectLocationType = nullptr;
}

TInstallMainLink::TInstallMainLink(TConfigForm& owner, const std::string& name)
    : TCustomInstallShellLink(owner, name) {
    if (!owner.IsLoading()) JoinMainLinkGroup();
}

void TInstallMainLink::JoinMainLinkGroup() {
    TMainLinkGroup* group = Owner().MainLinkGroup();
    if (!group || container_ == group) return;
    AttachContainer(group);
    if (!dest_dir_type_) dest_dir_type_ = Owner().FindStandardSpecifier("TpsContainerDestDir");
}

bool TLoginInformation::IsFilledIn() const {
    if (Anonymous) return !Trim(Hostname).empty();
    return !Trim(Hostname).empty() || !Trim(Password).empty() || !Trim(Username).empty();
}

TCustomNetInstallLocation::TCustomNetInstallLocation(TConfigForm& owner, const std::string& name)
    : TComponent(owner, name) {
    owner.RegisterNetLocation(this);
}

TCustomNetInstallLocation::~TCustomNetInstallLocation() { owner_->UnregisterNetLocation(this); }

TTranslator::TTranslator(TConfigForm& owner, const std::string& name) : TComponent(owner, name) {
    owner.RegisterTranslator(this);
}

TTranslator::~TTranslator() { owner_->UnregisterTranslator(this); }

void TCaptionControl::Notification(TComponent* removed) {
    if (Parent == removed) Parent = nullptr;
}

}  // namespace fnwd
