// The configuration that fnwdsetup.exe ships with, loaded from its description in setup/app.
#include "config_dump.h"
#include "config_loader.h"
#include "fake_environment.h"
#include "install_objects.h"
#include "path_kinds.h"
#include "ui_components.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fnwd {
namespace {

// ctest names the source tree in the environment; run by hand the test uses the one it was built from.
std::string sourceDir() {
    const char* src = std::getenv("QV_SOURCE_DIR");
    return src ? src : FNWD_SOURCE_DIR;
}

std::string appDir() { return sourceDir() + "/setup/app/"; }

bool readFile(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    contents = s.str();
    return true;
}

class ShippedConfiguration : public ::testing::Test {
protected:
    void SetUp() override {
        std::string text;
        ASSERT_TRUE(readFile(appDir() + "fenwold.cfg", text));
        form = LoadConfiguration(text, env, [](const std::string& name, std::string& contents) {
            return readFile(appDir() + name, contents);
        });
        install = form->Install();
        ASSERT_NE(install, nullptr);
        install->SourceFolder = "C:\\Temp\\setup";
    }
    template <typename T>
    T* get(const std::string& name) {
        auto* c = dynamic_cast<T*>(form->FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }

    FakeEnvironment env;
    std::unique_ptr<TConfigForm> form;
    TInstall* install = nullptr;
};

TEST_F(ShippedConfiguration, ProductIdentityAndFolders) {
    EXPECT_EQ(form->Caption, "Fenwold Installation");
    EXPECT_EQ(form->Width, 717);
    EXPECT_EQ(form->Height, 514);
    EXPECT_EQ(install->Information.CompanyName, "Brackwater Software");
    EXPECT_EQ(install->Information.ProductName, "Fenwold");
    EXPECT_EQ(install->Information.Version, "1.90");
    EXPECT_FALSE(install->AutoMaximizeWindow());
    EXPECT_FALSE(install->HideMainForm());
    EXPECT_TRUE(install->UseLoadingProgram());
    EXPECT_TRUE(install->RunAutomatic);
    EXPECT_TRUE(install->AllowChangeDir);
    EXPECT_FALSE(install->AllowChoice);
    EXPECT_EQ(install->NetLocation(), form->FindComponent("NetLocation"));
    EXPECT_EQ(install->GetExpandedDestDir(), "C:\\Program Files\\Brackwater");
    EXPECT_EQ(install->GetExpandedArchiveFile(), "C:\\Temp\\setup\\files.1");
    EXPECT_EQ(form->StandardPathSpecifiers().size(), 14u);
}

TEST_F(ShippedConfiguration, FilesWithTheirIdsOrdersAndFolders) {
    struct Expect {
        const char* name;
        const char* cls;
        int order;
        const char* file;
        const char* dir;
        int id;
        bool help;
    } files[] = {
        {"UninstallEXE", "TUninstallEXE", 0, "uninstall.exe", "C:\\Program Files\\Tarnwick32\\Version35", 0, false},
        {"InstallFile", "TInstallFile", 1, "fnwd32.exe", "C:\\DEV\\projects\\fnwd.32", 1, false},
        {"InstallFile1", "TInstallFile", 2, "fnwd32.dat", "C:\\DEV\\projects\\fnwd.32", 2, false},
        {"InstallFile2", "TInstallFile", 4, "Fnwd32.hlp", "C:\\DEV\\projects\\fnwd.32\\FNWD32", 3, true},
        {"InstallFile4", "TInstallFile", 5, "FNWD32.cnt", "C:\\DEV\\projects\\fnwd.32\\FNWD32", 5, true},
    };
    int index = 0;
    for (const Expect& e : files) {
        auto* f = get<TCustomInstallFile>(e.name);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->ClassName(), e.cls);
        EXPECT_EQ(f->Container(), install);
        EXPECT_EQ(f->Order(), e.order);
        EXPECT_EQ(f->FileName(), e.file);
        EXPECT_EQ(f->DestName(), e.file);
        EXPECT_EQ(f->IncludeFromDir(), e.dir);
        EXPECT_EQ(f->UniqueID(), e.id);
        EXPECT_EQ(f->RegisterAsHelp, e.help) << e.name;
        EXPECT_EQ(f->GetExpandedDestDir(), "C:\\Program Files\\Brackwater");
        EXPECT_EQ(f->GetExpandedArchiveFile(), "C:\\Temp\\setup\\files.1");
        // Files come first among the TInstall's helpers after nothing of a lower type.
        EXPECT_EQ(install->Comp(index++, kRegisteredInstallFile), f);
    }
    EXPECT_TRUE(get<TUninstallEXE>("UninstallEXE")->Net);
    EXPECT_FALSE(get<TInstallFile>("InstallFile")->Net);
}

TEST_F(ShippedConfiguration, ShortcutsPointAtInstalledFiles) {
    auto* folder = get<TMainLinkGroup>("MainFolder");
    EXPECT_EQ(form->MainLinkGroup(), folder);
    EXPECT_EQ(folder->Container(), install);
    EXPECT_EQ(folder->GetExpandedDestDir(), "C:\\WINDOWS\\Startmen\\Programs\\Brackwater");
    auto* objectLink = get<TCustomPathSpecifier>("psObjectLink");
    struct Link {
        const char* name;
        const char* link_name;
        const char* target;
        const char* path;
    } links[] = {
        {"InstallMainLink1", "uninstall.lnk", "UninstallEXE", "C:\\Program Files\\Brackwater\\uninstall.exe"},
        {"InstallMainLink2", "Fnwd help.LNK", "InstallFile2", "C:\\Program Files\\Brackwater\\Fnwd32.hlp"},
        {"InstallMainLink3", "FNWD.LNK", "InstallFile", "C:\\Program Files\\Brackwater\\fnwd32.exe"},
    };
    for (const Link& l : links) {
        auto* link = get<TInstallMainLink>(l.name);
        EXPECT_EQ(link->Container(), folder);
        EXPECT_EQ(link->LinkName, l.link_name);
        EXPECT_EQ(link->ObjectLink, form->FindComponent(l.target));
        EXPECT_EQ(link->ObjectLocationType, objectLink);
        EXPECT_EQ(objectLink->ExpandPath(link), l.path);
        EXPECT_EQ(link->GetExpandedDestDir(), "C:\\WINDOWS\\Startmen\\Programs\\Brackwater");
    }
    auto* web = get<TInstallMainLink>("InstallMainLink4");
    EXPECT_EQ(web->LinkName, "Brackwater WebSite.URL");
    EXPECT_EQ(web->ObjectLink, nullptr);
    auto* desktop = get<TInstallShellLink>("InstallShellLink");
    EXPECT_EQ(desktop->LinkName, "FNWD.LNK");
    EXPECT_EQ(desktop->GetExpandedDestDir(), "C:\\WINDOWS\\Desktop");
    EXPECT_EQ(objectLink->ExpandPath(desktop), "C:\\Program Files\\Brackwater\\fnwd32.exe");
}

TEST_F(ShippedConfiguration, PagesAndManagers) {
    const TManagerType types[] = {dmBeforeInstall, dmAfterGoodInstall, dmAfterBadInstall,
                                  dmDuringCopyFiles, dmChangeDisk,     dmReboot};
    for (int i = 0; i < 6; ++i) {
        auto* m = get<TDialogManager>(i ? "DialogManager" + std::to_string(i) : std::string("DialogManager"));
        EXPECT_EQ(m->ManagerType, types[i]);
        EXPECT_EQ(m->Container(), install);
        EXPECT_EQ(m->RelativeLeftOffset, 0);
        EXPECT_EQ(m->RelativeTopOffset, 0);
    }
    struct Page {
        const char* name;
        const char* manager;
        int order;
    } pages[] = {{"WelcomeDlg", "DialogManager", 10},          {"LicenseDlg1", "DialogManager", 20},
                 {"ReadmeDlg", "DialogManager", 30},           {"SelectFolderDlg", "DialogManager", 60},
                 {"GoodInstallationDlg", "DialogManager1", 10}, {"BadInstallationDlg", "DialogManager2", 10},
                 {"CopyFileDlg", "DialogManager3", -1},         {"InstallStatusDlg", nullptr, -1}};
    for (const Page& p : pages) {
        auto* d = get<TCustomBaseInstallDlg>(p.name);
        EXPECT_EQ(d->DialogManager, p.manager ? form->FindComponent(p.manager) : nullptr) << p.name;
        EXPECT_EQ(d->Order(), p.order) << p.name;
        EXPECT_FALSE(d->OverrideMainTranslator);
    }
    EXPECT_EQ(get<TSelectFolderDlg>("SelectFolderDlg")->Container(), form->FindComponent("MainFolder"));
    auto* licence = get<TLicenseDlg>("LicenseDlg1");
    EXPECT_GT(licence->LicenseAgreement.size(), 150u);
    EXPECT_EQ(licence->ThemeBitmap, "");
    EXPECT_EQ(get<TReadmeDlg>("ReadmeDlg")->ReadmeText.size(), 10u);
    auto* copy = get<TCopyFileDlg>("CopyFileDlg");
    EXPECT_EQ(copy->Position, tdpBottomCenter);
    EXPECT_EQ(copy->Width, 474);
    EXPECT_EQ(copy->RelativeTopOffset, 30);
}

TEST_F(ShippedConfiguration, TranslatorAndNetLocation) {
    auto* t = get<TTranslator>("MainTranslator");
    EXPECT_EQ(form->MainTranslator(), t);
    for (const TTranslatorLanguage& l : t->Languages) {
        EXPECT_EQ(l.FontName, "MS Sans Serif");
        EXPECT_EQ(l.FontHeight, 13);
        EXPECT_FALSE(l.FontOverride);
        EXPECT_TRUE(l.Strings.empty());
    }
    auto* net = get<TNetInstallLocation>("NetLocation");
    EXPECT_TRUE(net->LoginInformation.Anonymous);
    EXPECT_EQ(net->LoginInformation.Protocol, ipHTTP);
    EXPECT_TRUE(net->LoginInformation.IsFilledIn());
}

TEST_F(ShippedConfiguration, DumpMatchesTheRecordedOne) {
    std::string expected;
    ASSERT_TRUE(readFile(sourceDir() + "/setup/config/testdata/fenwold_dump.txt", expected));
    EXPECT_EQ(DumpConfiguration(*form), expected);
}

}  // namespace
}  // namespace fnwd
