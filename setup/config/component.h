// Components of the install configuration, the form that owns them, and the published-property
// tables through which a configuration description is loaded and dumped.
#pragma once

#include "config_enums.h"
#include "setup/util/environment.h"
#include "setup/util/exceptions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fnwd {

class TComponent;
class TConfigForm;
class TInstall;
class TInstallContainer;
class TCustomInstallFile;
class TCustomPathSpecifier;
class TCustomNetInstallLocation;
class TMainLinkGroup;
class TTranslator;

// ---- Published properties -------------------------------------------------------------------

enum class PropKind { Bool, Int, String, Strings, Enum, Set, Link };

struct PropValue {
    bool b = false;
    int64_t i = 0;  // Int, Enum (ordinal), Set (bits)
    std::string s;
    std::vector<std::string> list;
    TComponent* link = nullptr;
};

struct PropInfo {
    std::string name;  // may be dotted for value objects ("Information.ProductName")
    PropKind kind = PropKind::String;
    const EnumInfo* enum_info = nullptr;  // Enum and Set
    std::string link_class;               // Link: the class the target must derive from
    std::function<PropValue(const TComponent&)> get;
    std::function<void(TComponent&, const PropValue&)> set;
    bool always_dump = false;  // stored with the component whatever its value
};

struct ClassInfo {
    std::string name;
    const ClassInfo* parent = nullptr;
    std::vector<PropInfo> props;       // introduced by this class
    std::vector<std::string> hidden;   // inherited properties this class does not publish
    std::function<TComponent*(TConfigForm&, const std::string&)> create;  // empty: abstract

    bool InheritsFrom(const std::string& class_name) const;
    const PropInfo* FindProp(const std::string& prop_name) const;
    // Published properties, those of the base classes first.
    std::vector<const PropInfo*> AllProps() const;
};

// Every class that a configuration description may name, and the abstract ones it builds on.
const ClassInfo* FindClass(const std::string& name);
std::vector<const ClassInfo*> AllClasses();

#define FNWD_COMPONENT_CLASS()                                                                       \
public:                                                                                              \
    static const ClassInfo& StaticClass();                                                           \
    const ClassInfo& Class() const override { return StaticClass(); }

// ---- Components -------------------------------------------------------------------------------

class TComponent {
public:
    TComponent(TConfigForm& owner, std::string name);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent();

    virtual const ClassInfo& Class() const = 0;
    const std::string& ClassName() const { return Class().name; }
    bool InheritsFrom(const std::string& class_name) const { return Class().InheritsFrom(class_name); }

    const std::string& Name() const { return name_; }
    TConfigForm& Owner() const { return *owner_; }
    // While a stored configuration is being loaded values are taken as stored: no consistency rules.
    bool Loading() const;
    // While the configuration is being edited (not while the setup program runs an installation).
    bool Designing() const;
    SystemEnvironment& Env() const;

    int Tag = 0;

    // Another component of the form is going away: drop every reference to it.
    virtual void Notification(TComponent* removed) { (void)removed; }

protected:
    TConfigForm* owner_;

private:
    std::string name_;
};

// Install types that an object is selected for: itAlways is never combined with other types.
TInstallTypeSet NormalizeInstallTypes(TInstallTypeSet assigned, TInstallTypeSet previous);

// ---- The form ---------------------------------------------------------------------------------

// The main form: owns every component (and destroys them, the last created first) and keeps the
// program-wide registries of the configuration. Its own settings are the window's.
class TConfigForm : public TComponent {
    FNWD_COMPONENT_CLASS()
public:
    static constexpr int kUniqueIdCount = 2000;

    explicit TConfigForm(SystemEnvironment& env, std::string name = "Form1");
    ~TConfigForm() override;

    // Creates a component of a registered class; the name must be a valid identifier, unique in
    // the form. Throws IException otherwise.
    TComponent* CreateComponent(const std::string& class_name, const std::string& name);
    template <typename T>
    T* Create(const std::string& name) {
        return static_cast<T*>(CreateComponent(T::StaticClass().name, name));
    }
    // Creates a component the way the configuration editor does: the standard path specifiers
    // appear with the first install component, new install objects join the TInstall, a new
    // TInstall brings a "MainTranslator".
    TComponent* CreateAtEditTime(const std::string& class_name, const std::string& name);
    void CreateStandardPathSpecifiers();
    // Destroys one component before the form goes.
    void DestroyComponent(TComponent* component);

    TComponent* FindComponent(const std::string& name) const;
    const std::vector<TComponent*>& Components() const { return order_; }

    // Window settings.
    std::string Caption;
    int Width = 320;
    int Height = 240;
    TPosition Position = poDesigned;
    std::string FontName = "MS Sans Serif";
    int FontHeight = 11;

    bool IsLoading() const { return loading_; }
    void BeginLoading();
    void EndLoading();
    bool Designing = false;
    SystemEnvironment& Environment() const { return *env_; }

    // Registries.
    TInstall* Install() const { return install_; }
    const std::vector<TInstallContainer*>& InstallContainers() const { return containers_; }
    const std::vector<TCustomInstallFile*>& InstallFiles() const { return install_files_; }
    const std::vector<TCustomPathSpecifier*>& PathSpecifiers() const { return specifiers_; }
    const std::vector<TCustomPathSpecifier*>& StandardPathSpecifiers() const { return standard_specifiers_; }
    const std::vector<TCustomNetInstallLocation*>& NetLocations() const { return net_locations_; }
    TMainLinkGroup* MainLinkGroup() const { return main_link_group_; }
    TTranslator* MainTranslator() const { return main_translator_; }
    // The standard specifier of a class ("TpsProgramFiles"); throws "Could not find the path
    // specifier" when the form has none.
    TCustomPathSpecifier* StandardSpecifier(const std::string& class_name) const;
    TCustomPathSpecifier* FindStandardSpecifier(const std::string& class_name) const;

    // UniqueID table: the lowest free ID, or 0 when all are taken.
    int AllocateUniqueID();
    void MarkUniqueID(int id);
    void FreeUniqueID(int id);
    bool UniqueIDInUse(int id) const;

    // Registration, called by the components themselves.
    void RegisterInstall(TInstall* install);
    void UnregisterInstall(TInstall* install);
    void RegisterContainer(TInstallContainer* c);
    void UnregisterContainer(TInstallContainer* c);
    void RegisterInstallFile(TCustomInstallFile* f);
    void UnregisterInstallFile(TCustomInstallFile* f);
    void RegisterPathSpecifier(TCustomPathSpecifier* s, bool standard);
    void UnregisterPathSpecifier(TCustomPathSpecifier* s);
    void RegisterNetLocation(TCustomNetInstallLocation* n);
    void UnregisterNetLocation(TCustomNetInstallLocation* n);
    void RegisterMainLinkGroup(TMainLinkGroup* g);
    void UnregisterMainLinkGroup(TMainLinkGroup* g);
    void RegisterTranslator(TTranslator* t);
    void UnregisterTranslator(TTranslator* t);

    // Expansion of paths through specifiers may follow links; this bounds the depth so that a
    // chain of links that leads back to itself fails instead of recursing without end.
    class ExpansionGuard {
    public:
        explicit ExpansionGuard(const TConfigForm& form);
        ~ExpansionGuard();

    private:
        const TConfigForm& form_;
    };

private:
    friend class TComponent;
    void ComponentGone(TComponent* c);

    SystemEnvironment* env_;
    std::vector<std::unique_ptr<TComponent>> owned_;
    std::vector<TComponent*> order_;
    bool loading_ = false;
    bool destroying_ = false;
    mutable int expansion_depth_ = 0;

    TInstall* install_ = nullptr;
    std::vector<TInstallContainer*> containers_;
    std::vector<TCustomInstallFile*> install_files_;
    std::vector<TCustomPathSpecifier*> specifiers_;
    std::vector<TCustomPathSpecifier*> standard_specifiers_;
    std::vector<TCustomNetInstallLocation*> net_locations_;
    TMainLinkGroup* main_link_group_ = nullptr;
    TTranslator* main_translator_ = nullptr;
    std::array<int, kUniqueIdCount> unique_ids_{};
};

}  // namespace fnwd
