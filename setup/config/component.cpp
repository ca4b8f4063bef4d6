#include "component.h"

#include "install_objects.h"
#include "path_kinds.h"
#include "setup/util/format.h"
#include "ui_components.h"

#include <algorithm>
#include <cctype>

namespace fnwd {

namespace {
constexpr int kMaxExpansionDepth = 64;

bool isIdentifier(const std::string& name) {
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

template <typename T>
void eraseValue(std::vector<T*>& list, const T* value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}
}  // namespace

// ---- ClassInfo --------------------------------------------------------------------------------

bool ClassInfo::InheritsFrom(const std::string& class_name) const {
    for (const ClassInfo* c = this; c; c = c->parent)
        if (c->name == class_name) return true;
    return false;
}

const PropInfo* ClassInfo::FindProp(const std::string& prop_name) const {
    for (const ClassInfo* c = this; c; c = c->parent) {
        for (const PropInfo& p : c->props)
            if (p.name == prop_name) {
                // Hidden by a class between here and the one that introduced it?
                for (const ClassInfo* d = this; d != c; d = d->parent)
                    if (std::find(d->hidden.begin(), d->hidden.end(), prop_name) != d->hidden.end()) return nullptr;
                return &p;
            }
    }
    return nullptr;
}

std::vector<const PropInfo*> ClassInfo::AllProps() const {
    std::vector<const ClassInfo*> chain;
    for (const ClassInfo* c = this; c; c = c->parent) chain.push_back(c);
    std::vector<const PropInfo*> out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const PropInfo& p : (*it)->props)
            if (FindProp(p.name) == &p) out.push_back(&p);
    return out;
}

// ---- TComponent -------------------------------------------------------------------------------

TComponent::TComponent(TConfigForm& owner, std::string name) : owner_(&owner), name_(std::move(name)) {}

TComponent::~TComponent() {
    if (owner_ != this) owner_->ComponentGone(this);
}

bool TComponent::Loading() const { return owner_->IsLoading(); }
bool TComponent::Designing() const { return owner_->Designing; }
SystemEnvironment& TComponent::Env() const { return owner_->Environment(); }

TInstallTypeSet NormalizeInstallTypes(TInstallTypeSet assigned, TInstallTypeSet previous) {
    const TInstallTypeSet always = InstallTypeBit(itAlways);
    assigned &= kAllInstallTypes;
    if (assigned == 0) return always;
    if ((assigned & always) && !(previous & always)) return always;
    if ((assigned & always) && (assigned & ~always)) return static_cast<TInstallTypeSet>(assigned & ~always);
    return assigned;
}

// ---- TConfigForm ------------------------------------------------------------------------------

TConfigForm::TConfigForm(SystemEnvironment& env, std::string name) : TComponent(*this, std::move(name)), env_(&env) {}

TConfigForm::~TConfigForm() {
    destroying_ = true;
    // The last created goes first, as the form's own list is freed from its end.
    while (!owned_.empty()) {
        std::unique_ptr<TComponent> last = std::move(owned_.back());
        owned_.pop_back();
        order_.pop_back();
        last.reset();
    }
}

TComponent* TConfigForm::CreateComponent(const std::string& class_name, const std::string& name) {
    const ClassInfo* info = FindClass(class_name);
    if (!info || !info->create) throw IException(Fmt("Class %s not found", class_name));
    if (!isIdentifier(name)) throw IException(Fmt("\"%s\" is not a valid component name", name));
    if (FindComponent(name) || name == Name())
        throw IException(Fmt("A component named %s already exists", name));
    // The constructor registers the component; a refused one (a second TInstall) leaves nothing.
    std::unique_ptr<TComponent> c(info->create(*this, name));
    TComponent* raw = c.get();
    owned_.push_back(std::move(c));
    order_.push_back(raw);
    return raw;
}

void TConfigForm::CreateStandardPathSpecifiers() {
    for (const StandardSpecifierName& s : kStandardSpecifiers) {
        if (FindStandardSpecifier(s.class_name)) continue;
        std::string name = s.component_name;
        for (int n = 1; FindComponent(name); ++n) name = std::string(s.component_name) + std::to_string(n);
        CreateComponent(s.class_name, name);
    }
}

TComponent* TConfigForm::CreateAtEditTime(const std::string& class_name, const std::string& name) {
    const ClassInfo* info = FindClass(class_name);
    if (info && info->InheritsFrom("TInstallContainer")) CreateStandardPathSpecifiers();
    TComponent* c = CreateComponent(class_name, name);
    if (auto* obj = dynamic_cast<TInstallObject*>(c)) {
        if (install_ && obj != install_ && !dynamic_cast<TInstallMainLink*>(obj)) obj->SetContainer(install_);
        if (auto* group = dynamic_cast<TInstallFileGroup*>(obj); group && group->Container())
            group->GroupName = "Group #" + std::to_string(group->Container()->CountOf(kRegisteredFileContainer));
    }
    if (dynamic_cast<TInstall*>(c) && !main_translator_) {
        std::string tname = "MainTranslator";
        for (int n = 1; FindComponent(tname); ++n) tname = "MainTranslator" + std::to_string(n);
        CreateComponent("TTranslator", tname);
    }
    return c;
}

void TConfigForm::DestroyComponent(TComponent* component) {
    auto it = std::find_if(owned_.begin(), owned_.end(), [&](const auto& p) { return p.get() == component; });
    if (it == owned_.end()) return;
    std::unique_ptr<TComponent> doomed = std::move(*it);
    owned_.erase(it);
    eraseValue(order_, component);
    doomed.reset();
}

TComponent* TConfigForm::FindComponent(const std::string& name) const {
    for (TComponent* c : order_)
        if (c->Name() == name) return c;
    return nullptr;
}

void TConfigForm::ComponentGone(TComponent* c) {
    eraseValue(order_, c);
    for (TComponent* other : order_) other->Notification(c);
}

void TConfigForm::BeginLoading() {
    loading_ = true;
    unique_ids_.fill(0);
}

void TConfigForm::EndLoading() {
    // Still loading while the last links are made: stored orders stay as they are.
    for (TCustomInstallFile* f : install_files_)
        if (!f->HasUniqueID()) f->AssignFreeUniqueID();
    for (TComponent* c : order_)
        if (auto* link = dynamic_cast<TInstallMainLink*>(c)) link->JoinMainLinkGroup();
    if (main_link_group_ && !main_link_group_->DestDirType())
        if (TCustomPathSpecifier* s = FindStandardSpecifier("TpsProgramMenu")) main_link_group_->SetDestDirType(s);
    loading_ = false;
}

TCustomPathSpecifier* TConfigForm::FindStandardSpecifier(const std::string& class_name) const {
    for (TCustomPathSpecifier* s : standard_specifiers_)
        if (s->ClassName() == class_name) return s;
    return nullptr;
}

TCustomPathSpecifier* TConfigForm::StandardSpecifier(const std::string& class_name) const {
    TCustomPathSpecifier* s = FindStandardSpecifier(class_name);
    if (!s) throw IException("Could not find the path specifier");
    return s;
}

int TConfigForm::AllocateUniqueID() {
    for (int id = 0; id < kUniqueIdCount; ++id)
        if (unique_ids_[static_cast<size_t>(id)] == 0) {
            unique_ids_[static_cast<size_t>(id)] = 1;
            return id;
        }
    // Every ID is taken: the new file shares 0 with the first.
    ++unique_ids_[0];
    return 0;
}

void TConfigForm::MarkUniqueID(int id) {
    if (id >= 0 && id < kUniqueIdCount) ++unique_ids_[static_cast<size_t>(id)];
}

void TConfigForm::FreeUniqueID(int id) {
    // Counted, so that freeing one of two files that share an ID keeps it taken for the other.
    if (id >= 0 && id < kUniqueIdCount && unique_ids_[static_cast<size_t>(id)] > 0)
        --unique_ids_[static_cast<size_t>(id)];
}

bool TConfigForm::UniqueIDInUse(int id) const {
    return id >= 0 && id < kUniqueIdCount && unique_ids_[static_cast<size_t>(id)] > 0;
}

void TConfigForm::RegisterInstall(TInstall* install) {
    if (install_) throw IException("The TInstall component does not currently support the use of 2 TInstall components in the same project");
    install_ = install;
}
void TConfigForm::UnregisterInstall(TInstall* install) {
    if (install_ == install) install_ = nullptr;
}
void TConfigForm::RegisterContainer(TInstallContainer* c) { containers_.push_back(c); }
void TConfigForm::UnregisterContainer(TInstallContainer* c) { eraseValue(containers_, c); }
void TConfigForm::RegisterInstallFile(TCustomInstallFile* f) {
    if (!f) throw IException("Cannot add a blank entry to the TCustomInstallFileList object");
    install_files_.push_back(f);
}
void TConfigForm::UnregisterInstallFile(TCustomInstallFile* f) { eraseValue(install_files_, f); }
void TConfigForm::RegisterPathSpecifier(TCustomPathSpecifier* s, bool standard) {
    if (!s) throw IException("Tried to add a nil object to the path specifier list");
    specifiers_.push_back(s);
    // One of each standard class serves the form; a second instance is an ordinary specifier.
    if (standard && !FindStandardSpecifier(s->ClassName())) standard_specifiers_.push_back(s);
}
void TConfigForm::UnregisterPathSpecifier(TCustomPathSpecifier* s) {
    eraseValue(specifiers_, s);
    eraseValue(standard_specifiers_, s);
}
void TConfigForm::RegisterNetLocation(TCustomNetInstallLocation* n) {
    if (!n) throw IException("Cannot add a blank location to the global net location list");
    net_locations_.push_back(n);
}
void TConfigForm::UnregisterNetLocation(TCustomNetInstallLocation* n) { eraseValue(net_locations_, n); }
void TConfigForm::RegisterMainLinkGroup(TMainLinkGroup* g) {
    if (main_link_group_) throw IException("You can only have one TMainLinkGroup component in your project");
    main_link_group_ = g;
}
void TConfigForm::UnregisterMainLinkGroup(TMainLinkGroup* g) {
    if (main_link_group_ == g) main_link_group_ = nullptr;
}
void TConfigForm::RegisterTranslator(TTranslator* t) {
    if (!main_translator_) main_translator_ = t;
}
void TConfigForm::UnregisterTranslator(TTranslator* t) {
    if (main_translator_ == t) main_translator_ = nullptr;
}

TConfigForm::ExpansionGuard::ExpansionGuard(const TConfigForm& form) : form_(form) {
    if (++form_.expansion_depth_ > kMaxExpansionDepth) {
        --form_.expansion_depth_;
        throw IException("Circular reference");
    }
}
TConfigForm::ExpansionGuard::~ExpansionGuard() { --form_.expansion_depth_; }

}  // namespace fnwd
