#include "registry.h"

#include "exceptions.h"
#include "format.h"

#include <windows.h>

#include <cstring>

namespace fnwd {

namespace {

HKEY rootKey(int root) {
    switch (root) {
    case rrClassesRoot: return HKEY_CLASSES_ROOT;
    case rrCurrentConfig: return HKEY_CURRENT_CONFIG;
    case rrCurrentUser: return HKEY_CURRENT_USER;
    case rrDynData: return HKEY_DYN_DATA;
    case rrLocalMachine: return HKEY_LOCAL_MACHINE;
    case rrUsers: return HKEY_USERS;
    default: return HKEY_CURRENT_USER;
    }
}

std::string relativeKey(const std::string& key) {
    size_t start = 0;
    while (start < key.size() && key[start] == '\\') ++start;
    std::string rel = key.substr(start);
    while (!rel.empty() && rel.back() == '\\') rel.pop_back();
    return rel;
}

// Owns an open key for the length of one helper call.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (h_) RegCloseKey(h_);
    }
    bool create(int root, const std::string& key) {
        DWORD disposition = 0;
        return RegCreateKeyExA(rootKey(root), relativeKey(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_READ | KEY_WRITE, nullptr, &h_, &disposition) == ERROR_SUCCESS;
    }
    bool open(int root, const std::string& key, REGSAM access = KEY_READ) {
        return RegOpenKeyExA(rootKey(root), relativeKey(key).c_str(), 0, access, &h_) == ERROR_SUCCESS;
    }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

bool writeValue(int root, const std::string& key, const std::string& name, DWORD type, const void* data,
                DWORD size) {
    Key k;
    if (!k.create(root, key)) return false;
    return RegSetValueExA(k.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// Reads a value of one of the accepted types into buf; false when missing or of another type.
bool readValue(int root, const std::string& key, const std::string& name, std::initializer_list<DWORD> types,
               std::string& buf) {
    Key k;
    if (!k.open(root, key)) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    bool accepted = false;
    for (DWORD t : types) accepted = accepted || t == type;
    if (!accepted) return false;
    buf.assign(size, '\0');
    if (size == 0) return true;
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&buf[0]), &size) !=
        ERROR_SUCCESS)
        return false;
    buf.resize(size);
    return true;
}

void deleteTree(HKEY parent, const std::string& sub) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(parent, sub.c_str(), 0, KEY_READ | KEY_WRITE, &h) == ERROR_SUCCESS) {
        // Collect first: deleting while enumerating shifts the indexes.
        std::vector<std::string> children;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof name;
            if (RegEnumKeyExA(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, len);
        }
        for (const std::string& child : children) deleteTree(h, child);
        RegCloseKey(h);
    }
    RegDeleteKeyA(parent, sub.c_str());
}

}  // namespace

void RegWriteString(int root, const std::string& key, const std::string& name, const std::string& value) {
    if (!writeValue(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1)))
        throw EIRCannotWriteValue(Fmt("Cannot install into registry. Key: %s Ident: %s Value %s", key, name, value));
}

void RegWriteInteger(int root, const std::string& key, const std::string& name, int32_t value) {
    DWORD v = static_cast<DWORD>(value);
    if (!writeValue(root, key, name, REG_DWORD, &v, sizeof v)) throw EIRCannotWriteValue(key);
}

void RegWriteFloat(int root, const std::string& key, const std::string& name, double value) {
    if (!writeValue(root, key, name, REG_BINARY, &value, sizeof value)) throw EIRCannotWriteValue(key);
}

std::string RegReadString(int root, const std::string& key, const std::string& name, const std::string& def) {
    std::string buf;
    if (!readValue(root, key, name, {REG_SZ, REG_EXPAND_SZ}, buf)) return def;
    // The stored terminator (and anything after an embedded one) is not part of the text.
    size_t nul = buf.find('\0');
    if (nul != std::string::npos) buf.resize(nul);
    return buf;
}

int32_t RegReadInteger(int root, const std::string& key, const std::string& name, int32_t def) {
    std::string buf;
    if (!readValue(root, key, name, {REG_DWORD}, buf) || buf.size() != sizeof(DWORD)) return def;
    DWORD v;
    std::memcpy(&v, buf.data(), sizeof v);
    return static_cast<int32_t>(v);
}

double RegReadFloat(int root, const std::string& key, const std::string& name, double def) {
    std::string buf;
    if (!readValue(root, key, name, {REG_BINARY}, buf) || buf.size() != sizeof(double)) return def;
    double v;
    std::memcpy(&v, buf.data(), sizeof v);
    return v;
}

bool RegKeyExists(int root, const std::string& key) {
    Key k;
    return k.open(root, key);
}

bool RegValueExists(int root, const std::string& key, const std::string& name) {
    Key k;
    if (!k.open(root, key)) return false;
    return RegQueryValueExA(k.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<std::string> RegSubKeyNames(int root, const std::string& key) {
    std::vector<std::string> names;
    Key k;
    if (!k.open(root, key)) return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    return names;
}

std::vector<std::string> RegValueNames(int root, const std::string& key) {
    std::vector<std::string> names;
    Key k;
    if (!k.open(root, key)) return names;
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumValueA(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    return names;
}

void RegDeleteKeyTree(int root, const std::string& key) {
    std::string rel = relativeKey(key);
    // Deleting the root itself is never what a caller means.
    if (rel.empty()) return;
    deleteTree(rootKey(root), rel);
}

void RegDeleteValueIgnoringErrors(int root, const std::string& key, const std::string& name) {
    Key k;
    if (k.open(root, key, KEY_READ | KEY_WRITE)) RegDeleteValueA(k.get(), name.c_str());
}

bool AddRunOnceEntry(const std::string& name, const std::string& command, bool unique, std::string* used_name) {
    Key k;
    if (!k.create(rrLocalMachine, kRunOnceKey)) return false;
    std::string chosen = name;
    if (unique) {
        for (int n = 1; RegQueryValueExA(k.get(), chosen.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                        ERROR_SUCCESS;
             ++n)
            chosen = name + std::to_string(n);
    }
    if (RegSetValueExA(k.get(), chosen.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1)) != ERROR_SUCCESS)
        return false;
    RegFlushKey(k.get());
    if (used_name) *used_name = chosen;
    return true;
}

}  // namespace fnwd
