#include "config_dump.h"
#include "config_loader.h"
#include "fake_environment.h"
#include "install_objects.h"
#include "ui_components.h"

#include <gtest/gtest.h>

#include <string>

namespace fnwd {
namespace {

const char* const kSpecifiers = R"(
object psContainerDestDir: TpsContainerDestDir
end
object psContainerArchiveFile: TpsContainerArchiveFile
end
object psProgramFiles: TpsProgramFiles
end
object psMainArchiveFile: TpsMainArchiveFile
end
)";

std::unique_ptr<TConfigForm> load(FakeEnvironment& env, const std::string& text, const IncludeResolver& r = {}) {
    return LoadConfiguration(kSpecifiers + text, env, r);
}

// Line numbers in messages count from the start of the whole description.
int specifierLines() {
    int n = 0;
    for (const char* p = kSpecifiers; *p; ++p) n += *p == '\n';
    return n;
}

TEST(Loader, StoredValuesAreTakenAsStored) {
    FakeEnvironment env;
    auto form = load(env, R"(object Install1: TInstall
  DestDir = '\Brackwater'
  Information.ProductName = 'Fenwold'
  AutoMaximizeWindow = False
end
object F: TInstallFile
  Container = Install1
  Order = 4
  FileName = 'Fnwd32.hlp'
  DestName = 'Other name.hlp'
  RegisterAsHelp = False
  InstallTypes = [itFull, itAlways]
  UniqueID = 17
  DestDirType = psContainerDestDir
end
object G: TInstallFile
  Container = Install1
  Order = 9
  FileName = 'it''s.txt'
end
)");
    auto* f = static_cast<TInstallFile*>(form->FindComponent("F"));
    auto* g = static_cast<TInstallFile*>(form->FindComponent("G"));
    ASSERT_TRUE(f && g);
    // No rule ran: the name did not overwrite DestName, .hlp did not turn help on, itAlways stays
    // combined, the orders were not renumbered, and the container did not reset DestDirType.
    EXPECT_EQ(f->DestName(), "Other name.hlp");
    EXPECT_FALSE(f->RegisterAsHelp);
    EXPECT_EQ(f->InstallTypes(), InstallTypeBit(itFull) | InstallTypeBit(itAlways));
    EXPECT_EQ(f->Order(), 4);
    EXPECT_EQ(g->Order(), 9);
    EXPECT_EQ(f->UniqueID(), 17);
    EXPECT_EQ(g->UniqueID(), 0);  // not stored: the lowest free after loading
    EXPECT_EQ(g->FileName(), "it's.txt");
    EXPECT_EQ(g->ArchiveFileType(), nullptr);
    EXPECT_EQ(form->Install()->GetExpandedDestDir(), "C:\\Program Files\\Brackwater");
    EXPECT_FALSE(form->IsLoading());
    // After loading the rules apply again.
    g->SetFileName("help.CNT");
    EXPECT_TRUE(g->RegisterAsHelp);
}

TEST(Loader, ListsIncludesAndSets) {
    FakeEnvironment env;
    auto resolver = [](const std::string& name, std::string& contents) {
        if (name != "lic.txt") return false;
        contents = "first line\r\n\r\nthird 'line'\n";
        return true;
    };
    auto form = load(env, R"(object Install1: TInstall
  Description = ('one'
                 'two', 'three')
  PresetupFiles = ()
end
object L: TLicenseDlg
  Container = Install1
  LicenseAgreement = include 'lic.txt'
end
object R: TRotate3DLabel
  Font.Style = [fsBold, fsItalic]
  Parent = L
end
)",
                     resolver);
    EXPECT_EQ(form->Install()->Description, (std::vector<std::string>{"one", "two", "three"}));
    auto* lic = static_cast<TLicenseDlg*>(form->FindComponent("L"));
    EXPECT_EQ(lic->LicenseAgreement, (std::vector<std::string>{"first line", "", "third 'line'"}));
    auto* label = static_cast<TRotate3DLabel*>(form->FindComponent("R"));
    EXPECT_EQ(label->FontStyle, (1u << fsBold) | (1u << fsItalic));
    EXPECT_EQ(label->Parent, lic);
}

TEST(Loader, BadDescriptionsAreRefusedWithLineAndReason) {
    const int base = specifierLines();
    struct Case {
        const char* text;
        int line;  // within the case text, 1-based
        const char* reason;
    } cases[] = {
        {"object A: TNoSuchClass\nend\n", 1, "unknown class TNoSuchClass"},
        {"object A: TInstallObject\nend\n", 1, "TInstallObject is an abstract class"},
        {"object A: TInstall\n  Colour = 'red'\nend\n", 2, "TInstall has no property Colour"},
        {"object A: TUninstallEXE\n  ActiveX = True\nend\n", 2, "TUninstallEXE has no property ActiveX"},
        {"object A: TInstall\n  Reboot = 'yes'\nend\n", 2, "Reboot needs True or False, not a text"},
        {"object A: TInstall\n  Reboot = Yes\nend\n", 2, "Reboot needs True or False, not a name"},
        {"object A: TInstallFile\n  Order = 'x'\nend\n", 2, "Order needs a whole number, not a text"},
        {"object A: TInstallFile\n  Order = 99999999999\nend\n", 2, "99999999999 is not a whole number that Order can hold"},
        {"object A: TInstallFile\n  FileType = iftHuge\nend\n", 2, "iftHuge is not a value of TInstallFileType"},
        {"object A: TInstallFile\n  InstallTypes = [itFull, itNone]\nend\n", 2, "itNone is not a value of TInstallType"},
        {"object A: TInstallFile\n  FileName = fnwd\nend\n", 2, "FileName needs a text in quotes, not a name"},
        {"object A: TInstallFile\n  Container = Nowhere\nend\n", 2,
         "Container names Nowhere, which is not a component of this configuration"},
        {"object A: TInstallFile\n  Container = psProgramFiles\nend\n", 2,
         "Container needs a TInstallContainer, but psProgramFiles is a TpsProgramFiles"},
        {"object A: TInstallFile\n  Container = 'Install1'\nend\n", 2,
         "Container needs the name of a TInstallContainer, not a text"},
        {"object A: TInstallFileGroup\n  Container = B\nend\nobject B: TInstallFileGroup\n  Container = A\nend\n", 5,
         "Circular reference"},
        {"object A: TInstallFileGroup\n  Container = A\nend\n", 2, "Circular reference"},
        {"object A: TInstallShellLink\n  ObjectLink = B\nend\nobject B: TInstallShellLink\n  ObjectLink = A\nend\n", 2,
         "the ObjectLink of A leads back to itself"},
        {"object A: TInstallFile\n  UniqueID = 3\nend\nobject B: TInstallFile\n  UniqueID = 3\nend\n", 5,
         "UniqueID 3 is already used by A"},
        {"object A: TInstallFile\n  UniqueID = 2000\nend\n", 2, "UniqueID 2000 is outside 0..1999"},
        {"object A: TInstall\nend\nobject B: TInstall\nend\n", 3,
         "The TInstall component does not currently support the use of 2 TInstall components in the same project"},
        {"object A: TInstall\nend\nobject A: TInstallFile\nend\n", 3, "A component named A already exists"},
        {"object A: TInstall\n  Reboot = True\n  Reboot = False\nend\n", 3, "Reboot is set twice"},
        {"object A: TInstall\n  GroupName = 'open\nend\n", 2, "the text in quotes is not closed on its line"},
        {"object A: TInstall\n  Description = ('a'\nend\n", 3, "a list holds only texts in quotes"},
        {"object A: TInstall\n  Reboot True\nend\n", 2, "expected \"=\" after the property name"},
        {"object A: TInstall\n  Reboot = True\n", 1, "A has no \"end\""},
        {"object A TInstall\nend\n", 1, "expected \":\" after the component name"},
        {"thing A: TInstall\nend\n", 1, "expected \"object Name: Class\" or \"form Name: Class\""},
        {"object A: TLicenseDlg\n  LicenseAgreement = include 'missing.txt'\nend\n", 2,
         "the included file 'missing.txt' cannot be found"},
        {"object A: TInstall\n  DistributeType = dtWeb\n  Reboot = @\nend\n", 3, "unexpected character '@'"},
        {"object A: TInstall\nend\nform F: TForm1\nend\n", 3, "the form must come first"},
        {"object A: TInstallFile\n  State = ifsInstall\nend\n", 0, nullptr},  // accepted, stays ifsNone
    };
    for (const Case& c : cases) {
        FakeEnvironment env;
        if (!c.reason) {
            auto form = load(env, c.text);
            EXPECT_EQ(static_cast<TInstallFile*>(form->FindComponent("A"))->State(), ifsNone);
            continue;
        }
        try {
            load(env, c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EConfigurationError& e) {
            EXPECT_EQ(e.Line(), base + c.line) << c.text;
            EXPECT_EQ(e.Reason(), c.reason) << c.text;
            EXPECT_EQ(std::string(e.what()), "Line " + std::to_string(e.Line()) + ": " + c.reason);
        }
    }
}

TEST(Loader, FormSettingsAndDumpRoundTrip) {
    FakeEnvironment env;
    const std::string text = R"(form Setup: TForm1
  Caption = 'It''s setup'
  Width = 717
end
object psContainerDestDir: TpsContainerDestDir
end
object Install1: TInstall
  DestDir = '\Brackwater'
  InstallTypes = [itCompact, itFull]
end
object F: TInstallFile
  Container = Install1
  Order = 3
  FileName = 'a.exe'
  UniqueID = 5
end
)";
    auto form = LoadConfiguration(text, env);
    EXPECT_EQ(form->Name(), "Setup");
    EXPECT_EQ(form->Caption, "It's setup");
    const std::string dump = DumpConfiguration(*form);
    EXPECT_EQ(dump,
              "Setup: TForm1 Caption='It''s setup' Width=717\n"
              "psContainerDestDir: TpsContainerDestDir\n"
              "Install1: TInstall container=nil order=-1 DestDir='\\Brackwater' DestDirType=nil "
              "InstallTypes=[itFull, itCompact] ArchiveFileType=nil\n"
              "F: TInstallFile container=Install1 order=3 FileName='a.exe' UniqueID=5\n");
}

}  // namespace
}  // namespace fnwd
