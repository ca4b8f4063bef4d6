#include "config_dump.h"

#include "install_objects.h"

#include <map>
#include <memory>

namespace fnwd {

namespace {

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

// A machine about which nothing is known: class defaults must not depend on the one at hand.
class BlankEnvironment : public SystemEnvironment {
public:
    std::string ReadRegString(int, const std::string&, const std::string&, const std::string& def) override {
        return def;
    }
    std::string WindowsDir() override { return "C:\\WINDOWS"; }
    std::string SystemDir() override { return "C:\\WINDOWS\\SYSTEM"; }
    std::string CurrentDir() override { return "C:\\"; }
    bool FolderExists(const std::string&) override { return false; }
    bool IsSelfRegistering(const std::string&) override { return false; }
};

// Default texts of every property of a class, taken from a fresh instance on a form of its own.
const std::map<std::string, std::string>& defaultsOf(const ClassInfo& cls) {
    static std::map<std::string, std::map<std::string, std::string>> cache;
    auto it = cache.find(cls.name);
    if (it != cache.end()) return it->second;
    static BlankEnvironment env;
    std::map<std::string, std::string> values;
    TConfigForm scratch(env);
    const TComponent* instance = &scratch;
    if (cls.name != TConfigForm::StaticClass().name) {
        scratch.CreateStandardPathSpecifiers();
        instance = scratch.CreateComponent(cls.name, "DefaultInstance");
    }
    for (const PropInfo* p : cls.AllProps()) values[p->name] = FormatPropValue(*p, p->get(*instance));
    return cache.emplace(cls.name, std::move(values)).first->second;
}

}  // namespace

std::string FormatPropValue(const PropInfo& prop, const PropValue& value) {
    switch (prop.kind) {
    case PropKind::Bool: return value.b ? "True" : "False";
    case PropKind::Int: return std::to_string(value.i);
    case PropKind::String: return quoted(value.s);
    case PropKind::Strings: {
        std::string out = "(";
        for (size_t i = 0; i < value.list.size(); ++i) out += (i ? ", " : "") + quoted(value.list[i]);
        return out + ")";
    }
    case PropKind::Enum: return prop.enum_info->NameOf(static_cast<int>(value.i));
    case PropKind::Set: {
        std::string out = "[";
        bool first = true;
        for (size_t n = 0; n < prop.enum_info->names.size(); ++n)
            if (value.i & (int64_t{1} << n)) {
                out += (first ? "" : ", ") + prop.enum_info->names[n];
                first = false;
            }
        return out + "]";
    }
    case PropKind::Link: return value.link ? value.link->Name() : "nil";
    }
    return {};
}

std::string DumpComponent(const TComponent& component) {
    const ClassInfo& cls = component.Class();
    std::string line = component.Name() + ": " + cls.name;
    if (auto* obj = dynamic_cast<const TInstallObject*>(&component)) {
        line += " container=" + (obj->Container() ? obj->Container()->Name() : std::string("nil"));
        line += " order=" + std::to_string(obj->Order());
    }
    const auto& defaults = defaultsOf(cls);
    for (const PropInfo* p : cls.AllProps()) {
        if (p->name == "Container" || p->name == "Order") continue;
        std::string text = FormatPropValue(*p, p->get(component));
        auto d = defaults.find(p->name);
        if (p->always_dump || d == defaults.end() || d->second != text) line += " " + p->name + "=" + text;
    }
    return line;
}

std::string DumpConfiguration(const TConfigForm& form) {
    std::string out = DumpComponent(form) + "\n";
    for (const TComponent* c : form.Components()) out += DumpComponent(*c) + "\n";
    return out;
}

}  // namespace fnwd
