// Registry reading and writing with the setup program's failure rules: reads never fail (they
// give the default), key deletions never fail, writes raise EIRCannotWriteValue.
//
// Roots are the RegistryRoot codes of environment.h; any other code means HKEY_CURRENT_USER.
// Key paths may begin with "\" (they are always taken from the root).
#pragma once

#include "environment.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fnwd {

inline constexpr const char* kRunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

void RegWriteString(int root, const std::string& key, const std::string& name, const std::string& value);
void RegWriteInteger(int root, const std::string& key, const std::string& name, int32_t value);
// A double stored as 8 raw bytes (REG_BINARY), as the install record keeps its dates.
void RegWriteFloat(int root, const std::string& key, const std::string& name, double value);

std::string RegReadString(int root, const std::string& key, const std::string& name, const std::string& def);
int32_t RegReadInteger(int root, const std::string& key, const std::string& name, int32_t def);
double RegReadFloat(int root, const std::string& key, const std::string& name, double def);

bool RegKeyExists(int root, const std::string& key);
bool RegValueExists(int root, const std::string& key, const std::string& name);
// Names of the subkeys / values of a key; empty when it cannot be opened.
std::vector<std::string> RegSubKeyNames(int root, const std::string& key);
std::vector<std::string> RegValueNames(int root, const std::string& key);

// Deletes every subkey (recursively), then the key; failures are ignored.
void RegDeleteKeyTree(int root, const std::string& key);
// Deletes one value; failures are ignored.
void RegDeleteValueIgnoringErrors(int root, const std::string& key, const std::string& name);

// Writes command under name in HKEY_LOCAL_MACHINE's RunOnce key (created when missing). With
// unique, a taken name becomes name1, name2, ... (the first free one). The key is flushed at
// once. False when the key cannot be opened or written; the chosen name goes to used_name.
bool AddRunOnceEntry(const std::string& name, const std::string& command, bool unique,
                     std::string* used_name = nullptr);

}  // namespace fnwd
