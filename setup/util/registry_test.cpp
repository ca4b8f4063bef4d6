// Runs under Wine against the prefix's real registry. Every test works below a key of its own
// and removes it again.
#include "exceptions.h"
#include "registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

namespace fnwd {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = "\\Software\\FnwdUtilTest\\" + std::to_string(GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteKeyTree(rrCurrentUser, base_);
    }
    void TearDown() override {
        RegDeleteKeyTree(rrCurrentUser, base_);
        RegDeleteKeyTree(rrCurrentUser, "\\Software\\FnwdUtilTest");
    }
    std::string base_;
};

TEST_F(RegistryTest, WritesCreateKeysAndReadBack) {
    std::string key = base_ + "\\Deep\\Er";
    RegWriteString(rrCurrentUser, key, "Name", "Fenwold");
    RegWriteInteger(rrCurrentUser, key, "Count", -7);
    RegWriteFloat(rrCurrentUser, key, "When", 45000.25);
    EXPECT_EQ(RegReadString(rrCurrentUser, key, "Name", "def"), "Fenwold");
    EXPECT_EQ(RegReadInteger(rrCurrentUser, key, "Count", 0), -7);
    EXPECT_DOUBLE_EQ(RegReadFloat(rrCurrentUser, key, "When", 0), 45000.25);
    // The same key without the leading backslash is the same key.
    EXPECT_EQ(RegReadString(rrCurrentUser, key.substr(1), "Name", "def"), "Fenwold");
    EXPECT_TRUE(RegKeyExists(rrCurrentUser, key));
    EXPECT_TRUE(RegValueExists(rrCurrentUser, key, "Count"));
}

TEST_F(RegistryTest, ReadsGiveDefaultOnMissingOrWrongType) {
    std::string key = base_ + "\\Types";
    EXPECT_EQ(RegReadString(rrCurrentUser, key, "Missing", "dflt"), "dflt");  // no key
    RegWriteInteger(rrCurrentUser, key, "Number", 5);
    RegWriteString(rrCurrentUser, key, "Text", "12");
    EXPECT_EQ(RegReadString(rrCurrentUser, key, "Missing", "dflt"), "dflt");  // no value
    EXPECT_EQ(RegReadString(rrCurrentUser, key, "Number", "dflt"), "dflt");   // wrong type
    EXPECT_EQ(RegReadInteger(rrCurrentUser, key, "Text", 99), 99);
    EXPECT_EQ(RegReadInteger(rrCurrentUser, key, "Number", 99), 5);
    RegWriteString(rrCurrentUser, key, "Empty", "");
    EXPECT_EQ(RegReadString(rrCurrentUser, key, "Empty", "dflt"), "");
}

TEST_F(RegistryTest, RootCodesSelectHives) {
    std::string key = base_ + "\\Roots";
    RegWriteString(rrCurrentUser, key, "V", "user");
    // An unknown code means the current user's hive.
    EXPECT_EQ(RegReadString(17, key, "V", "none"), "user");
    EXPECT_EQ(RegReadString(rrLocalMachine, key, "V", "none"), "none");
    RegWriteString(rrLocalMachine, key, "V", "machine");
    EXPECT_EQ(RegReadString(rrLocalMachine, key, "V", "none"), "machine");
    RegDeleteKeyTree(rrLocalMachine, base_);
    RegDeleteKeyTree(rrLocalMachine, "\\Software\\FnwdUtilTest");
    EXPECT_FALSE(RegKeyExists(rrLocalMachine, key));
}

TEST_F(RegistryTest, FailedWritesRaiseWithTheirMessages) {
    // No registry accepts a key name of more than 255 characters.
    const std::string key = "\\Software\\" + std::string(300, 'k');
    try {
        RegWriteString(rrCurrentUser, key, "Ident", "Val");
        FAIL() << "write under an over-long key name succeeded";
    } catch (const EIRCannotWriteValue& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot install into registry. Key: " + key + " Ident: Ident Value Val");
    }
    try {
        RegWriteInteger(rrCurrentUser, key, "Ident", 1);
        FAIL() << "write under an over-long key name succeeded";
    } catch (const EIRCannotWriteValue& e) {
        EXPECT_EQ(std::string(e.what()), key);
    }
}

TEST_F(RegistryTest, DeleteKeyTreeRemovesEverythingAndIgnoresMissingKeys) {
    RegWriteString(rrCurrentUser, base_ + "\\T\\A\\B", "x", "1");
    RegWriteString(rrCurrentUser, base_ + "\\T\\A\\C", "x", "1");
    RegWriteString(rrCurrentUser, base_ + "\\T\\D", "x", "1");
    RegWriteString(rrCurrentUser, base_ + "\\Keep", "x", "1");
    RegDeleteKeyTree(rrCurrentUser, base_ + "\\T");
    EXPECT_FALSE(RegKeyExists(rrCurrentUser, base_ + "\\T"));
    EXPECT_TRUE(RegKeyExists(rrCurrentUser, base_ + "\\Keep"));
    RegDeleteKeyTree(rrCurrentUser, base_ + "\\Never\\Was");  // no throw
    RegDeleteKeyTree(rrCurrentUser, "");                       // the root is never deleted
    EXPECT_TRUE(RegKeyExists(rrCurrentUser, "\\Software"));
}

TEST_F(RegistryTest, EnumeratesSubkeysAndValues) {
    RegWriteString(rrCurrentUser, base_ + "\\E\\One", "a", "1");
    RegWriteString(rrCurrentUser, base_ + "\\E\\Two", "b", "2");
    RegWriteString(rrCurrentUser, base_ + "\\E", "v1", "x");
    RegWriteInteger(rrCurrentUser, base_ + "\\E", "v2", 3);
    auto keys = RegSubKeyNames(rrCurrentUser, base_ + "\\E");
    auto values = RegValueNames(rrCurrentUser, base_ + "\\E");
    std::sort(keys.begin(), keys.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(values, (std::vector<std::string>{"v1", "v2"}));
    EXPECT_TRUE(RegSubKeyNames(rrCurrentUser, base_ + "\\Absent").empty());
}

TEST_F(RegistryTest, RunOnceEntriesGetUniqueNames) {
    const std::string name = "FnwdTest" + std::to_string(GetCurrentProcessId());
    std::string used;
    ASSERT_TRUE(AddRunOnceEntry(name, "\"C:\\a.exe\" -r", true, &used));
    EXPECT_EQ(used, name);
    ASSERT_TRUE(AddRunOnceEntry(name, "\"C:\\b.exe\" -r", true, &used));
    EXPECT_EQ(used, name + "1");
    ASSERT_TRUE(AddRunOnceEntry(name, "\"C:\\c.exe\" -r", true, &used));
    EXPECT_EQ(used, name + "2");
    EXPECT_EQ(RegReadString(rrLocalMachine, kRunOnceKey, name, ""), "\"C:\\a.exe\" -r");
    EXPECT_EQ(RegReadString(rrLocalMachine, kRunOnceKey, name + "1", ""), "\"C:\\b.exe\" -r");
    EXPECT_EQ(RegReadString(rrLocalMachine, kRunOnceKey, name + "2", ""), "\"C:\\c.exe\" -r");
    // Without unique the name is overwritten.
    ASSERT_TRUE(AddRunOnceEntry(name, "replaced", false, &used));
    EXPECT_EQ(used, name);
    EXPECT_EQ(RegReadString(rrLocalMachine, kRunOnceKey, name, ""), "replaced");
    for (const char* suffix : {"", "1", "2"})
        RegDeleteValueIgnoringErrors(rrLocalMachine, kRunOnceKey, name + suffix);
    EXPECT_FALSE(RegValueExists(rrLocalMachine, kRunOnceKey, name));
}

}  // namespace
}  // namespace fnwd
