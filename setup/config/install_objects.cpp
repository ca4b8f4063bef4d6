#include "install_objects.h"

#include "path_kinds.h"
#include "setup/util/format.h"
#include "setup/util/str_util.h"
#include "ui_components.h"

#include <algorithm>

namespace fnwd {

// ---- TInstallContainer ------------------------------------------------------------------------

TInstallContainer::TInstallContainer(TConfigForm& owner, const std::string& name) : TComponent(owner, name) {
    owner.RegisterContainer(this);
}

TInstallContainer::~TInstallContainer() {
    // Helpers lose their container; they are not destroyed (the form owns them).
    std::vector<TInstallObject*> helpers = helpers_;
    helpers_.clear();
    for (TInstallObject* h : helpers) {
        h->container_ = nullptr;
        if (KindOf(h->dest_dir_type_) == PathKind::ContainerDestDir) h->dest_dir_type_ = nullptr;
        if (auto* fr = dynamic_cast<TFileRelated*>(h))
            if (KindOf(fr->ArchiveFileType()) == PathKind::ContainerArchiveFile) fr->SetArchiveFileType(nullptr);
    }
    owner_->UnregisterContainer(this);
}

void TInstallContainer::AddHelper(TInstallObject* helper) {
    if (!helper) throw IException(Fmt("Cannot add a blank base helper component to %s", Name()));
    // The container chain from here upwards may not pass through the new helper.
    int steps = 0;
    for (const TInstallContainer* c = this; c; ++steps) {
        if (c == helper || steps > 100000) throw IException("Circular reference");
        auto* obj = dynamic_cast<const TInstallObject*>(c);
        c = obj ? obj->Container() : nullptr;
    }
    InsertSorted(helper);
    if (!Loading()) RenumberHelpers();
}

void TInstallContainer::InsertSorted(TInstallObject* helper) {
    const int type = helper->RegisteredType();
    const int order = helper->Order();
    auto pos = helpers_.end();
    for (auto it = helpers_.begin(); it != helpers_.end(); ++it) {
        const int other = (*it)->RegisteredType();
        if (other > type || (other == type && order != -1 && (*it)->Order() >= order)) {
            pos = it;
            break;
        }
    }
    helpers_.insert(pos, helper);
}

void TInstallContainer::EraseHelper(TInstallObject* helper) {
    helpers_.erase(std::remove(helpers_.begin(), helpers_.end(), helper), helpers_.end());
}

void TInstallContainer::RemoveHelper(TInstallObject* helper) {
    EraseHelper(helper);
    if (!Loading()) RenumberHelpers();
}

void TInstallContainer::RenumberHelpers() {
    int previous_type = 0, next = 0;
    bool first = true;
    for (TInstallObject* h : helpers_) {
        int type = h->RegisteredType();
        if (first || type != previous_type) next = 0;
        first = false;
        previous_type = type;
        h->order_ = next++;
    }
}

TInstallObject* TInstallContainer::Helper(int index) const {
    if (index < 0 || index >= HelperCount())
        throw IException(Fmt("Tried to reference a helper component in the following component: %s. The following index was used: %d",
                             Name(), index));
    return helpers_[static_cast<size_t>(index)];
}

int TInstallContainer::CountOf(int registered_type) const {
    return static_cast<int>(std::count_if(helpers_.begin(), helpers_.end(),
                                          [&](TInstallObject* h) { return h->RegisteredType() == registered_type; }));
}

TInstallObject* TInstallContainer::Comp(int index, int registered_type) const {
    int seen = 0;
    for (TInstallObject* h : helpers_)
        if (h->RegisteredType() == registered_type && seen++ == index) return h;
    throw IException(Fmt("Bad call to the Comp procedure which returns a TInstallObject for a TInstallContainer component. The parameters are probably reversed. Index: %d, ComponentType: %d",
                         index, registered_type));
}

void TInstallContainer::SetChosenInstallType(TInstallType type) {
    chosen_type_ = type;
    for (TInstallObject* h : helpers_) h->SetChosenInstallType(type);
}

void TInstallContainer::Broadcast(int code, void* param) {
    // A receiver may change the list (a page that closes itself): work on a copy.
    std::vector<TInstallObject*> receivers;
    for (TInstallObject* h : helpers_)
        if (h->RegisteredType() == kRegisteredDialog) receivers.push_back(h);
    for (TInstallObject* r : receivers) r->ReceiveBroadcast(code, param);
}

void TInstallContainer::ReceiveBroadcast(int code, void* param) {
    if (OnBroadcast) OnBroadcast(*this, code, param);
}

void TInstallContainer::Notification(TComponent* removed) {
    helpers_.erase(std::remove_if(helpers_.begin(), helpers_.end(),
                                  [&](TInstallObject* h) { return static_cast<TComponent*>(h) == removed; }),
                   helpers_.end());
}

// ---- TInstallObject ---------------------------------------------------------------------------

TInstallObject::TInstallObject(TConfigForm& owner, const std::string& name) : TInstallContainer(owner, name) {}

TInstallObject::~TInstallObject() {
    if (container_) {
        TInstallContainer* c = container_;
        container_ = nullptr;
        c->EraseHelper(this);
        if (!Loading()) c->RenumberHelpers();
    }
}

int TInstallObject::RegisteredType() const { throw IException("Class must declare a registered type"); }

void TInstallObject::AttachContainer(TInstallContainer* container) {
    if (container == container_) return;
    if (container) {
        // Checks for cycles before anything moves.
        TInstallContainer* old = container_;
        if (old) old->EraseHelper(this);
        container_ = nullptr;
        try {
            container->AddHelper(this);
        } catch (...) {
            if (old) {
                old->InsertSorted(this);
                container_ = old;
            }
            throw;
        }
        container_ = container;
        if (old && !Loading()) old->RenumberHelpers();
    } else {
        TInstallContainer* old = container_;
        container_ = nullptr;
        if (old) old->RemoveHelper(this);
    }
}

void TInstallObject::SetContainer(TInstallContainer* container) {
    if (!Rules()) {
        AttachContainer(container);
        return;
    }
    AttachContainer(container);
    if (container_) {
        dest_dir_type_ = Owner().StandardSpecifier("TpsContainerDestDir");
        dest_dir_.clear();
    } else if (KindOf(dest_dir_type_) == PathKind::ContainerDestDir) {
        dest_dir_type_ = nullptr;
    }
}

void TInstallObject::SetDestDir(const std::string& value) { dest_dir_ = value; }

void TInstallObject::SetDestDirType(TCustomPathSpecifier* specifier) {
    if (Rules() && specifier) specifier->CheckObject(this);
    dest_dir_type_ = specifier;
}

void TInstallObject::SetInstallTypes(TInstallTypeSet types) {
    install_types_ = Rules() ? NormalizeInstallTypes(types, install_types_) : types;
}

void TInstallObject::SetOrder(int order) {
    order_ = order;
    if (!container_) return;
    TInstallContainer* c = container_;
    c->EraseHelper(this);
    c->InsertSorted(this);
    if (Rules()) c->RenumberHelpers();
}

bool TInstallObject::IsSelected() const {
    if (!Include) return false;
    TInstallType chosen = ChosenInstallType();
    if (chosen == itAlways || chosen == itCustom) return true;
    return (install_types_ & InstallTypeBit(itAlways)) || (install_types_ & InstallTypeBit(chosen));
}

std::string TInstallObject::GetExpandedDestDir() const {
    TConfigForm::ExpansionGuard guard(Owner());
    if (!dest_dir_type_) return RemoveBackslash(dest_dir_);
    return RemoveBackslash(dest_dir_type_->ExpandPath(this) + dest_dir_);
}

void TInstallObject::Notification(TComponent* removed) {
    TInstallContainer::Notification(removed);
    if (static_cast<TComponent*>(container_) == removed) {
        container_ = nullptr;
        if (KindOf(dest_dir_type_) == PathKind::ContainerDestDir) dest_dir_type_ = nullptr;
    }
    if (static_cast<TComponent*>(dest_dir_type_) == removed) dest_dir_type_ = nullptr;
}

// ---- TFileRelated -----------------------------------------------------------------------------

TFileRelated::TFileRelated(TConfigForm& owner, const std::string& name) : TInstallObject(owner, name) {}

void TFileRelated::SetContainer(TInstallContainer* container) {
    TInstallObject::SetContainer(container);
    if (!Rules()) return;
    if (container_ && container_->InheritsFrom("TFileRelated")) {
        archive_file_type_ = Owner().StandardSpecifier("TpsContainerArchiveFile");
        archive_file_.clear();
    } else if (KindOf(archive_file_type_) == PathKind::ContainerArchiveFile) {
        archive_file_type_ = nullptr;
    }
}

namespace {
bool namesArchiveItself(const TCustomPathSpecifier* specifier) {
    PathKind k = KindOf(specifier);
    return k == PathKind::ContainerArchiveFile || k == PathKind::MainArchiveFile;
}
}  // namespace

void TFileRelated::SetArchiveFile(const std::string& value) {
    archive_file_ = (Rules() && namesArchiveItself(archive_file_type_)) ? std::string() : value;
}

void TFileRelated::SetArchiveFileType(TCustomPathSpecifier* specifier) {
    if (Rules() && specifier) specifier->CheckObject(this);
    archive_file_type_ = specifier;
    if (Rules() && namesArchiveItself(specifier)) archive_file_.clear();
}

void TFileRelated::SetNetLocation(TCustomNetInstallLocation* location) { net_location_ = location; }

std::string TFileRelated::GetExpandedArchiveFile() const {
    TConfigForm::ExpansionGuard guard(Owner());
    if (!archive_file_type_) return RemoveBackslash(archive_file_);
    return RemoveBackslash(archive_file_type_->ExpandPath(this) + archive_file_);
}

void TFileRelated::Notification(TComponent* removed) {
    TInstallObject::Notification(removed);
    if (static_cast<TComponent*>(archive_file_type_) == removed) archive_file_type_ = nullptr;
    if (static_cast<TComponent*>(net_location_) == removed) net_location_ = nullptr;
}

// ---- File containers --------------------------------------------------------------------------

TFileContainer::TFileContainer(TConfigForm& owner, const std::string& name) : TFileRelated(owner, name) {
    Net = true;
}

TInstallFileGroup::TInstallFileGroup(TConfigForm& owner, const std::string& name) : TFileContainer(owner, name) {
    GroupName = "Unnamed File Group";
}

TCustomInstall::TCustomInstall(TConfigForm& owner, const std::string& name) : TFileContainer(owner, name) {
    AllowChoice = false;
    GroupName = "Main";
    dest_dir_ = "\\MyApplication";
    dest_dir_type_ = owner.FindStandardSpecifier("TpsProgramFiles");
    archive_file_type_ = owner.FindStandardSpecifier("TpsMainArchiveFile");
}

TCustomInstall::~TCustomInstall() = default;

TInstall::TInstall(TConfigForm& owner, const std::string& name) : TCustomInstall(owner, name) {
    owner.RegisterInstall(this);
}

TInstall::~TInstall() { owner_->UnregisterInstall(this); }

void TCustomInstall::SetAutoMaximizeWindow(bool value) {
    auto_maximize_ = value;
    if (value && Rules()) hide_main_form_ = false;
}

void TCustomInstall::SetHideMainForm(bool value) {
    hide_main_form_ = value;
    if (value && Rules()) auto_maximize_ = false;
}

void TCustomInstall::SetDistributeType(TDistributeType type) {
    if (Rules()) {
        if (!Designing()) throw IException("DistributeType can only be set at design-time");
        if (type != dtTraditional && !net_location_)
            throw IException("Must assign a net location via the NetLocation property before you can set the distribute type");
    }
    distribute_type_ = type;
}

void TCustomInstall::SetNetLocation(TCustomNetInstallLocation* location) {
    TFileRelated::SetNetLocation(location);
    if (!location && Rules()) distribute_type_ = dtTraditional;
}

void TCustomInstall::SetPresetupFiles(const std::vector<std::string>& files) {
    presetup_files_.clear();
    for (const std::string& f : files)
        if (!Trim(f).empty()) presetup_files_.push_back(f);
}

void TCustomInstall::SetUseLoadingProgram(bool value) {
    use_loading_program_ = value;
    if (value && Rules()) {
        archive_file_type_ = Owner().StandardSpecifier("TpsMainArchiveFile");
        archive_file_.clear();
    }
}

void TCustomInstall::Notification(TComponent* removed) {
    bool had_location = net_location_ != nullptr;
    TFileContainer::Notification(removed);
    // Losing the location takes a web distribution back to the traditional one.
    if (had_location && !net_location_) distribute_type_ = dtTraditional;
}

// ---- Install files ----------------------------------------------------------------------------

TCustomInstallFile::TCustomInstallFile(TConfigForm& owner, const std::string& name) : TFileRelated(owner, name) {
    owner.RegisterInstallFile(this);
    if (!owner.IsLoading()) unique_id_ = owner.AllocateUniqueID();
}

TCustomInstallFile::~TCustomInstallFile() {
    if (unique_id_ >= 0) owner_->FreeUniqueID(unique_id_);
    owner_->UnregisterInstallFile(this);
}

void TCustomInstallFile::SetStoredUniqueID(int id) {
    if (unique_id_ >= 0) Owner().FreeUniqueID(unique_id_);
    unique_id_ = id;
    Owner().MarkUniqueID(id);
}

void TCustomInstallFile::AssignFreeUniqueID() {
    if (unique_id_ >= 0) Owner().FreeUniqueID(unique_id_);
    unique_id_ = Owner().AllocateUniqueID();
}

std::string TCustomInstallFile::SourcePath() const { return include_from_dir_ + "\\" + file_name_; }

std::string TCustomInstallFile::UpperExtension() const { return UpperCase(ExtractFileExt(file_name_)); }

void TCustomInstallFile::CheckContainer(TInstallContainer* container) const {
    if (container && !container->InheritsFrom("TFileContainer"))
        throw IException(Fmt("The following TInstallFile component %s requires the Container property to be a component descended from the TFileContainer component",
                             Name()));
}

void TCustomInstallFile::CheckDuplicate(TInstallContainer* container, const std::string& include_from_dir,
                                        const std::string& file_name) const {
    // Files without a name yet (just placed) do not collide.
    if (!container || Trim(file_name).empty()) return;
    const std::string full = include_from_dir + "\\" + file_name;
    for (TInstallObject* h : container->Helpers()) {
        auto* other = dynamic_cast<TCustomInstallFile*>(h);
        if (other && other != this && SameText(other->SourcePath(), full))
            throw IException(Fmt("There is already a file with the name :%s", full));
    }
}

void TCustomInstallFile::SetContainer(TInstallContainer* container) {
    if (Rules()) {
        CheckContainer(container);
        if (container != container_) CheckDuplicate(container, include_from_dir_, file_name_);
    }
    TFileRelated::SetContainer(container);
}

void TCustomInstallFile::SetFileName(const std::string& value) {
    if (!Rules()) {
        file_name_ = value;
        return;
    }
    CheckContainer(container_);
    CheckDuplicate(container_, include_from_dir_, value);
    file_name_ = value;
    if (!Trim(value).empty()) dest_name_ = value;
    SourceNameChanged();
}

void TCustomInstallFile::SetIncludeFromDir(const std::string& value) {
    if (!Rules()) {
        include_from_dir_ = value;
        return;
    }
    CheckContainer(container_);
    CheckDuplicate(container_, value, file_name_);
    include_from_dir_ = value;
    SourceNameChanged();
}

void TCustomInstallFile::SetDestName(const std::string& value) {
    if (Rules()) CheckContainer(container_);
    dest_name_ = value;
}

void TCustomInstallFile::SetDestDir(const std::string& value) {
    if (Rules()) CheckContainer(container_);
    TFileRelated::SetDestDir(value);
}

void TCustomInstallFile::SetDestDirType(TCustomPathSpecifier* specifier) {
    if (!Rules()) {
        TFileRelated::SetDestDirType(specifier);
        return;
    }
    CheckContainer(container_);
    bool changed = specifier != dest_dir_type_;
    TFileRelated::SetDestDirType(specifier);
    if (!changed) return;
    const std::string ext = UpperExtension();
    if (ext != ".DLL" && ext != ".OCX" && ext != ".BLL" && ext != ".EXE") return;
    PathKind k = KindOf(specifier);
    if (k == PathKind::Window || k == PathKind::BDEDLL) OverwriteMode = owVersionDate;
    if (k == PathKind::System) ChangeFileType(iftSystemWideDLL);
}

void TCustomInstallFile::SetFileType(TInstallFileType type) {
    if (!Rules()) {
        file_type_ = type;
        return;
    }
    CheckContainer(container_);
    ChangeFileType(type);
}

void TCustomInstallFile::SetActiveX(bool value) {
    if (!Rules()) {
        active_x_ = value;
        return;
    }
    CheckContainer(container_);
    bool turned_on = value && !active_x_;
    active_x_ = value;
    if (turned_on) ChangeFileType(iftSystemWideDLL);
}

void TCustomInstallFile::SetState(TInstallFileState state) {
    if (Loading() || state == ifsNone) {
        state_ = ifsNone;
        return;
    }
    state_ = state;
    struct Reset {
        TInstallFileState& s;
        ~Reset() { s = ifsNone; }
    } reset{state_};
    if (OnStateOperation) OnStateOperation(*this, state);
}

void TCustomInstallFile::SourceNameChanged() {
    const std::string ext = UpperExtension();
    RegisterAsHelp = ext == ".HLP" || ext == ".CNT";
    bool was = active_x_;
    active_x_ = ext == ".OCX" || (!Trim(file_name_).empty() && Env().IsSelfRegistering(SourcePath()));
    if (active_x_ && !was) ChangeFileType(iftSystemWideDLL);
}

void TCustomInstallFile::ChangeFileType(TInstallFileType type) {
    file_type_ = type;
    switch (type) {
    case iftJustADLL:
    case iftApplicationSpecificDLL: OverwriteMode = owVersionDate; break;
    case iftVendorSharedDLL:
    case iftSystemWideDLL:
        UpdateDLLCounter = true;
        OverwriteMode = owVersionDate;
        break;
    case iftNormal: break;
    }
    switch (type) {
    case iftApplicationSpecificDLL:
        dest_dir_ = "\\System";
        dest_dir_type_ = Owner().StandardSpecifier("TpsMainInstall");
        break;
    case iftVendorSharedDLL:
        dest_dir_ = "\\System";
        dest_dir_type_ = Owner().StandardSpecifier("TpsCommonFiles");
        break;
    case iftSystemWideDLL: dest_dir_type_ = Owner().StandardSpecifier("TpsSystem"); break;
    default: break;
    }
}

}  // namespace fnwd
