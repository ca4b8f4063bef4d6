#include "config_dump.h"
#include "fake_environment.h"
#include "install_objects.h"
#include "path_kinds.h"
#include "setup/util/shell_folders.h"
#include "ui_components.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fnwd {
namespace {

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

class ModelTest : public ::testing::Test {
protected:
    ModelTest() : form(env) {
        form.CreateStandardPathSpecifiers();
        install = form.Create<TInstall>("Install1");
    }
    template <typename T>
    T* make(const std::string& name, TInstallContainer* container = nullptr) {
        T* c = form.Create<T>(name);
        if (container) c->SetContainer(container);
        return c;
    }
    std::vector<std::string> helperNames(const TInstallContainer& c) {
        std::vector<std::string> names;
        for (TInstallObject* h : c.Helpers()) names.push_back(h->Name() + ":" + std::to_string(h->Order()));
        return names;
    }
    TCustomPathSpecifier* specifier(const char* cls) { return form.StandardSpecifier(cls); }

    FakeEnvironment env;
    TConfigForm form;
    TInstall* install;
};

TEST_F(ModelTest, HelpersSortByRegisteredTypeThenOrderAndRenumber) {
    auto* m = make<TDialogManager>("M", install);
    auto* file = make<TInstallFile>("F", install);
    auto* group = make<TMainLinkGroup>("G", install);
    auto* sub = make<TInstallFileGroup>("Sub", install);
    // Registered types order them, whatever the insertion order: groups, files, link groups, dialogs.
    EXPECT_EQ(helperNames(*install), (std::vector<std::string>{"Sub:0", "F:0", "G:0", "M:0"}));
    (void)m;
    (void)file;
    (void)group;
    (void)sub;
}

TEST_F(ModelTest, OrderFiveGoesBeforeSevenAndEverythingIsRenumbered) {
    auto* host = make<TInstallFileGroup>("Host", install);
    // Orders 0, 3, 7 as loaded from a stored configuration (no renumbering while loading).
    form.BeginLoading();
    TWelcomeDlg* d[3];
    const int orders[] = {0, 3, 7};
    for (int i = 0; i < 3; ++i) {
        d[i] = form.Create<TWelcomeDlg>("D" + std::to_string(i));
        d[i]->SetOrder(orders[i]);
        d[i]->SetContainer(host);
    }
    form.EndLoading();
    EXPECT_EQ(helperNames(*host), (std::vector<std::string>{"D0:0", "D1:3", "D2:7"}));

    auto* five = make<TWelcomeDlg>("Five");
    five->SetOrder(5);
    five->SetContainer(host);
    EXPECT_EQ(helperNames(*host), (std::vector<std::string>{"D0:0", "D1:1", "Five:2", "D2:3"}));

    auto* last = make<TWelcomeDlg>("Last", host);  // Order -1: after all of its type
    EXPECT_EQ(helperNames(*host).back(), "Last:4");
    EXPECT_EQ(last->Order(), 4);

    // Changing Order moves the helper.
    d[2]->SetOrder(0);
    EXPECT_EQ(helperNames(*host), (std::vector<std::string>{"D2:0", "D0:1", "D1:2", "Five:3", "Last:4"}));

    // Removal renumbers too; lookups by registered type.
    five->SetContainer(nullptr);
    EXPECT_EQ(helperNames(*host), (std::vector<std::string>{"D2:0", "D0:1", "D1:2", "Last:3"}));
    EXPECT_EQ(host->CountOf(kRegisteredDialog), 4);
    EXPECT_EQ(host->Comp(2, kRegisteredDialog), d[1]);
    EXPECT_EQ(messageOf([&] { host->Comp(4, kRegisteredDialog); }),
              "Bad call to the Comp procedure which returns a TInstallObject for a TInstallContainer component. The "
              "parameters are probably reversed. Index: 4, ComponentType: 9000");
    EXPECT_EQ(messageOf([&] { host->Helper(9); }),
              "Tried to reference a helper component in the following component: Host. The following index was used: 9");
    EXPECT_EQ(messageOf([&] { host->AddHelper(nullptr); }), "Cannot add a blank base helper component to Host");
}

TEST_F(ModelTest, RenumberingRestartsForEachRegisteredType) {
    make<TInstallFile>("A", install);
    make<TInstallFile>("B", install);
    make<TMainLinkGroup>("G", install);
    make<TInstallShellLink>("L1", install);
    make<TInstallShellLink>("L2", install);
    EXPECT_EQ(helperNames(*install), (std::vector<std::string>{"A:0", "B:1", "G:0", "L1:0", "L2:1"}));
}

TEST_F(ModelTest, CircularReferencesAreRejected) {
    auto* a = make<TInstallFileGroup>("A", install);
    auto* b = make<TInstallFileGroup>("B", a);
    auto* c = make<TInstallFileGroup>("C", b);
    EXPECT_EQ(messageOf([&] { a->SetContainer(a); }), "Circular reference");
    EXPECT_EQ(messageOf([&] { a->SetContainer(c); }), "Circular reference");
    EXPECT_EQ(messageOf([&] { install->SetContainer(c); }), "Circular reference");
    // Nothing moved.
    EXPECT_EQ(a->Container(), install);
    EXPECT_EQ(helperNames(*install), (std::vector<std::string>{"A:0"}));
    EXPECT_EQ(install->Container(), nullptr);
}

TEST_F(ModelTest, ContainerAssignmentSetsContainerPathSpecifiers) {
    auto* group = make<TInstallFileGroup>("G");
    group->SetDestDir("\\Own");
    group->SetArchiveFile("own.1");
    group->SetContainer(install);
    EXPECT_EQ(group->DestDirType(), specifier("TpsContainerDestDir"));
    EXPECT_EQ(group->DestDir(), "");
    EXPECT_EQ(group->ArchiveFileType(), specifier("TpsContainerArchiveFile"));
    EXPECT_EQ(group->ArchiveFile(), "");
    group->SetContainer(nullptr);
    EXPECT_EQ(group->DestDirType(), nullptr);
    EXPECT_EQ(group->ArchiveFileType(), nullptr);
    // A link in a link group: no archive of the container to take.
    auto* links = make<TMainLinkGroup>("Links", install);
    auto* link = make<TInstallShellLink>("L", links);
    EXPECT_EQ(link->DestDirType(), specifier("TpsContainerDestDir"));
}

TEST_F(ModelTest, ArchiveFileIsBlankWhileTheContainerOrMainArchiveNamesIt) {
    auto* group = make<TInstallFileGroup>("G", install);
    group->SetArchiveFile("other.1");
    EXPECT_EQ(group->ArchiveFile(), "");
    group->SetArchiveFileType(specifier("TpsInstallSource"));
    group->SetArchiveFile("\\other.1");
    EXPECT_EQ(group->ArchiveFile(), "\\other.1");
    group->SetArchiveFileType(specifier("TpsMainArchiveFile"));
    EXPECT_EQ(group->ArchiveFile(), "");
}

TEST_F(ModelTest, InstallTypesNeverCombineAlways) {
    auto* f = make<TInstallFile>("F", install);
    const auto full = InstallTypeBit(itFull), compact = InstallTypeBit(itCompact), always = InstallTypeBit(itAlways);
    f->SetInstallTypes(full);
    EXPECT_EQ(f->InstallTypes(), full);
    f->SetInstallTypes(full | always);  // adds itAlways to a set without it
    EXPECT_EQ(f->InstallTypes(), always);
    f->SetInstallTypes(full | compact);
    EXPECT_EQ(f->InstallTypes(), full | compact);
    f->SetInstallTypes(0);
    EXPECT_EQ(f->InstallTypes(), always);
    f->SetInstallTypes(always | compact);  // itAlways already there: the other types win
    EXPECT_EQ(f->InstallTypes(), compact);
}

TEST_F(ModelTest, SelectionFollowsTheChosenInstallType) {
    auto* f = make<TInstallFile>("F", install);
    f->SetInstallTypes(InstallTypeBit(itCompact) | InstallTypeBit(itFull));
    install->SetChosenInstallType(itDefault);
    EXPECT_FALSE(f->IsSelected());
    install->SetChosenInstallType(itCompact);
    EXPECT_TRUE(f->IsSelected());
    install->SetChosenInstallType(itCustom);
    EXPECT_TRUE(f->IsSelected());
    f->Include = false;
    EXPECT_FALSE(f->IsSelected());
    f->Include = true;
    f->SetInstallTypes(0);  // [itAlways]
    install->SetChosenInstallType(itDefault);
    EXPECT_TRUE(f->IsSelected());
}

TEST_F(ModelTest, HelpFileExtensionsTurnRegisterAsHelpOnAndOff) {
    auto* f = make<TInstallFile>("F", install);
    f->SetFileName("FNWD32.cnt");
    EXPECT_TRUE(f->RegisterAsHelp);
    EXPECT_EQ(f->DestName(), "FNWD32.cnt");
    f->SetFileName("notes.TXT");
    EXPECT_FALSE(f->RegisterAsHelp);
    f->SetFileName("Fnwd32.hlp");
    EXPECT_TRUE(f->RegisterAsHelp);
    f->SetDestName("other.hlp");
    f->SetFileName("   ");  // a blank name leaves DestName alone
    EXPECT_EQ(f->DestName(), "other.hlp");
}

TEST_F(ModelTest, ActiveXFromExtensionOrSelfRegistration) {
    auto* ocx = make<TInstallFile>("Ocx", install);
    ocx->SetFileName("grid.ocx");
    EXPECT_TRUE(ocx->ActiveX());
    EXPECT_EQ(ocx->FileType(), iftSystemWideDLL);
    EXPECT_TRUE(ocx->UpdateDLLCounter);
    EXPECT_EQ(ocx->OverwriteMode, owVersionDate);
    EXPECT_EQ(ocx->DestDirType(), specifier("TpsSystem"));

    env.self_registering.insert("C:\\SRC\\SERVER.DLL");
    auto* dll = make<TInstallFile>("Dll", install);
    dll->SetIncludeFromDir("C:\\src");
    dll->SetFileName("server.dll");
    EXPECT_TRUE(dll->ActiveX());
    EXPECT_EQ(dll->FileType(), iftSystemWideDLL);
    auto* plain = make<TInstallFile>("Plain", install);
    plain->SetIncludeFromDir("C:\\src");
    plain->SetFileName("plain.dll");
    EXPECT_FALSE(plain->ActiveX());
    EXPECT_EQ(plain->FileType(), iftNormal);
}

TEST_F(ModelTest, VendorSharedDllMovesToCommonFilesSystem) {
    auto* f = make<TInstallFile>("F", install);
    f->SetFileName("shared.dll");
    f->SetFileType(iftVendorSharedDLL);
    EXPECT_EQ(f->DestDir(), "\\System");
    EXPECT_EQ(f->DestDirType(), specifier("TpsCommonFiles"));
    EXPECT_TRUE(f->UpdateDLLCounter);
    EXPECT_EQ(f->OverwriteMode, owVersionDate);
    EXPECT_EQ(f->GetExpandedDestDir(), "C:\\Program Files\\Common Files\\System");

    auto* app = make<TInstallFile>("App", install);
    app->SetFileName("app.dll");
    app->SetFileType(iftApplicationSpecificDLL);
    EXPECT_EQ(app->DestDirType(), specifier("TpsMainInstall"));
    EXPECT_EQ(app->DestDir(), "\\System");
    EXPECT_FALSE(app->UpdateDLLCounter);
    EXPECT_EQ(app->OverwriteMode, owVersionDate);
    EXPECT_EQ(app->GetExpandedDestDir(), "C:\\Program Files\\MyApplication\\System");
}

TEST_F(ModelTest, DestinationTypeRulesForLibrariesAndPrograms) {
    auto* exe = make<TInstallFile>("Exe", install);
    exe->SetFileName("tool.EXE");
    exe->SetDestDirType(specifier("TpsWindow"));
    EXPECT_EQ(exe->OverwriteMode, owVersionDate);
    EXPECT_EQ(exe->FileType(), iftNormal);
    exe->SetDestDirType(specifier("TpsSystem"));
    EXPECT_EQ(exe->FileType(), iftSystemWideDLL);
    EXPECT_TRUE(exe->UpdateDLLCounter);

    auto* txt = make<TInstallFile>("Txt", install);
    txt->SetFileName("readme.txt");
    txt->SetDestDirType(specifier("TpsSystem"));
    EXPECT_EQ(txt->FileType(), iftNormal);
    EXPECT_EQ(txt->OverwriteMode, owAlways);
}

TEST_F(ModelTest, InstallFilesNeedAFileContainerAndUniqueNames) {
    auto* a = make<TInstallFile>("A", install);
    a->SetIncludeFromDir("C:\\Src");
    a->SetFileName("x.exe");
    auto* b = make<TInstallFile>("B", install);
    b->SetIncludeFromDir("c:\\SRC");
    EXPECT_EQ(messageOf([&] { b->SetFileName("X.EXE"); }), "There is already a file with the name :c:\\SRC\\X.EXE");
    EXPECT_EQ(b->FileName(), "");
    b->SetFileName("y.exe");
    auto* links = make<TMainLinkGroup>("Links", install);
    EXPECT_EQ(messageOf([&] { b->SetContainer(links); }),
              "The following TInstallFile component B requires the Container property to be a component descended "
              "from the TFileContainer component");
    EXPECT_EQ(b->Container(), install);
    auto* group = make<TInstallFileGroup>("G", install);
    auto* c = make<TInstallFile>("C", group);
    c->SetIncludeFromDir("C:\\Src");
    c->SetFileName("x.exe");  // another container: no clash
    EXPECT_EQ(messageOf([&] { c->SetContainer(install); }), "There is already a file with the name :C:\\Src\\x.exe");
}

TEST_F(ModelTest, UniqueIdsTakeTheLowestFreeAndWrapAfter2000) {
    std::vector<TInstallFile*> files;
    for (int i = 0; i < 2000; ++i) {
        std::string name = std::to_string(i);
        name.insert(0, 1, 'F');  // (a concatenation here trips a false -Wrestrict in mingw's g++)
        files.push_back(form.Create<TInstallFile>(name));
    }
    EXPECT_EQ(files[0]->UniqueID(), 0);
    EXPECT_EQ(files[1999]->UniqueID(), 1999);
    auto* extra = form.Create<TInstallFile>("Extra");
    EXPECT_EQ(extra->UniqueID(), 0);  // the 2001st shares the first one's ID
    form.DestroyComponent(files[7]);
    EXPECT_EQ(form.Create<TInstallFile>("Again")->UniqueID(), 7);
    // ID 0 is held by two files: freeing one keeps it taken.
    form.DestroyComponent(extra);
    EXPECT_TRUE(form.UniqueIDInUse(0));
}

TEST_F(ModelTest, OnlyOneInstallAndOneMainLinkGroup) {
    EXPECT_EQ(messageOf([&] { form.Create<TInstall>("Install2"); }),
              "The TInstall component does not currently support the use of 2 TInstall components in the same project");
    EXPECT_EQ(form.FindComponent("Install2"), nullptr);
    EXPECT_EQ(form.Install(), install);
    form.Create<TMainLinkGroup>("G1");
    EXPECT_EQ(messageOf([&] { form.Create<TMainLinkGroup>("G2"); }),
              "You can only have one TMainLinkGroup component in your project");
}

TEST_F(ModelTest, WindowFlagsAndLoadingProgramRules) {
    install->SetHideMainForm(true);
    EXPECT_FALSE(install->AutoMaximizeWindow());
    install->SetAutoMaximizeWindow(true);
    EXPECT_FALSE(install->HideMainForm());
    install->SetArchiveFileType(specifier("TpsInstallSource"));
    install->SetArchiveFile("\\elsewhere.1");
    install->SetUseLoadingProgram(true);
    EXPECT_EQ(install->ArchiveFileType(), specifier("TpsMainArchiveFile"));
    EXPECT_EQ(install->ArchiveFile(), "");
    install->SetPresetupFiles({"a.dll", "", "  ", "b.dll"});
    EXPECT_EQ(install->PresetupFiles(), (std::vector<std::string>{"a.dll", "b.dll"}));
}

TEST_F(ModelTest, DistributeTypeOnlyAtDesignTimeAndWithALocation) {
    EXPECT_EQ(messageOf([&] { install->SetDistributeType(dtWeb); }), "DistributeType can only be set at design-time");
    form.Designing = true;
    EXPECT_EQ(messageOf([&] { install->SetDistributeType(dtWeb); }),
              "Must assign a net location via the NetLocation property before you can set the distribute type");
    auto* net = form.Create<TNetInstallLocation>("Net");
    install->SetNetLocation(net);
    install->SetDistributeType(dtWeb);
    EXPECT_EQ(install->DistributeType(), dtWeb);
    install->SetNetLocation(nullptr);
    EXPECT_EQ(install->DistributeType(), dtTraditional);
    install->SetNetLocation(net);
    install->SetDistributeType(dtTraditionalNet);
    form.DestroyComponent(net);  // losing the location the same way
    EXPECT_EQ(install->NetLocation(), nullptr);
    EXPECT_EQ(install->DistributeType(), dtTraditional);
}

TEST_F(ModelTest, DestroyedComponentsLeaveNoDanglingLinks) {
    auto* group = make<TInstallFileGroup>("G", install);
    auto* f = make<TInstallFile>("F", group);
    auto* mgr = make<TDialogManager>("M", install);
    auto* dlg = make<TWelcomeDlg>("W", install);
    dlg->DialogManager = mgr;
    form.DestroyComponent(group);
    EXPECT_EQ(f->Container(), nullptr);
    EXPECT_EQ(f->DestDirType(), nullptr);
    EXPECT_EQ(f->ArchiveFileType(), nullptr);
    form.DestroyComponent(mgr);
    EXPECT_EQ(dlg->DialogManager, nullptr);
    EXPECT_EQ(helperNames(*install), (std::vector<std::string>{"W:0"}));
}

TEST_F(ModelTest, RegisteredTypeOfTheBaseClassFails) {
    auto* spec_user = make<TInstallFile>("F", install);
    EXPECT_EQ(spec_user->RegisteredType(), kRegisteredInstallFile);
    // TInstallObject itself is abstract; its answer is only reachable through the base call.
    EXPECT_EQ(messageOf([&] { spec_user->TInstallObject::RegisteredType(); }), "Class must declare a registered type");
}

// ---- Path specifiers --------------------------------------------------------------------------

TEST_F(ModelTest, ProgramFilesFallsBackToTheCurrentDrive) {
    env.current = "D:\\Setup\\Disk1";
    EXPECT_EQ(specifier("TpsProgramFiles")->ExpandPath(install), "D:\\Program Files");
    EXPECT_EQ(install->GetExpandedDestDir(), "D:\\Program Files\\MyApplication");
    env.registry[{rrLocalMachine, kCurrentVersionKey, "ProgramFilesDir"}] = "E:\\Apps\\";
    EXPECT_EQ(install->GetExpandedDestDir(), "E:\\Apps\\MyApplication");
}

TEST_F(ModelTest, StandardExpansionsAndDescriptions) {
    auto* f = make<TInstallFile>("F", install);
    install->SourceFolder = "A:\\";
    struct Case {
        const char* cls;
        std::string expansion;
        std::string description;
    } cases[] = {
        {"TpsBDEDLL", "C:\\Program Files\\Borland\\Common Files\\BDE", "Borland Database Engine DLL Path"},
        {"TpsCommonFiles", "C:\\Program Files\\Common Files",
         "Path of the common files directory under the program files directory"},
        {"TpsContainerArchiveFile", "A:\\files.1", "Path to the archive file of the container"},
        {"TpsContainerDestDir", "C:\\Program Files\\MyApplication", "Path of the <Main> group"},
        {"TpsDesktopMenu", "C:\\WINDOWS\\Desktop", "Path of the Desktop"},
        {"TpsInstallSource", "A:", "Path from which the user ran the install"},
        {"TpsMainArchiveFile", "A:\\files.1", "Archive containing most or all non-internet installation files"},
        {"TpsMainInstall", "C:\\Program Files\\MyApplication", "Path of the destination directory of the TInstall"},
        {"TpsProgramFiles", "C:\\Program Files", "Path of the program files directory"},
        {"TpsProgramMenu", "C:\\WINDOWS\\Startmen\\Programs", "Path of the Programs folder under the Start Menu"},
        {"TpsStartMenu", "C:\\WINDOWS\\Startmen", "Path of Start Menu"},
        {"TpsStartupMenu", "C:\\WINDOWS\\Startup",
         "Path of the Startup folder in the Programs folder under the Start Menu"},
        {"TpsSystem", "C:\\WINDOWS\\SYSTEM", "Path of system directory"},
        {"TpsWindow", "C:\\WINDOWS", "Path of the Windows directory"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(specifier(c.cls)->ExpandPath(f), c.expansion) << c.cls;
        EXPECT_EQ(specifier(c.cls)->DescriptionFor(f), c.description) << c.cls;
    }
    EXPECT_EQ(specifier("TpsContainerDestDir")->Description(), "Path of the group (container)");
}

TEST_F(ModelTest, SelfExtractorChangesTheMainArchive) {
    install->SourceFolder = "C:\\Temp\\dl";
    install->SelfExtractSwitch = true;
    install->SelfExtractName = "Setup.exe";
    EXPECT_EQ(install->GetExpandedArchiveFile(), "C:\\Temp\\dl\\Setup.exe");
    install->SelfExtractName = "";
    EXPECT_EQ(messageOf([&] { install->GetExpandedArchiveFile(); }),
              "You forgot to pass in the name of the self-extracting executable. Usage example: \"-eSetup.exe\"");
}

TEST_F(ModelTest, SpecifierMisuseIsReported) {
    auto* loose = make<TInstallFileGroup>("Loose");
    EXPECT_EQ(messageOf([&] { loose->SetDestDirType(specifier("TpsContainerDestDir")); }),
              "Cannot use ddContainerDestDir for Loose unless you assign a Container");
    EXPECT_EQ(messageOf([&] { loose->SetArchiveFileType(specifier("TpsContainerArchiveFile")); }),
              "Cannot use ddContainerArchiveFile for Loose unless you assign a Container");
    auto* links = make<TMainLinkGroup>("Links", install);
    auto* inLinks = make<TInstallShellLink>("L", links);
    EXPECT_EQ(messageOf([&] { specifier("TpsContainerArchiveFile")->CheckObject(inLinks); }),
              "Cannot use the ddContainerArchiveFile path specifier for L because the Container is not a TFileRelated "
              "descendant");
    EXPECT_EQ(messageOf([&] { specifier("TpsContainerDestDir")->CheckObject(specifier("TpsSystem")); }),
              "psSystem must be a TInstallObject to use the psContainerDestDir path specifier");
    EXPECT_EQ(messageOf([&] { install->SetDestDirType(specifier("TpsMainInstall")); }),
              "Cannot use the ddMainInstallDir path specifier for a TInstall component");
    auto* objectLink = form.Create<TpsObjectLink>("psObjectLink");
    EXPECT_EQ(messageOf([&] { objectLink->CheckObject(install); }),
              "Install1 must be a TCustomInstallShellLink to use the psObjectLink path specifier");
    EXPECT_EQ(messageOf([&] { objectLink->CheckObject(inLinks); }),
              "Cannot use ddObjectLink for L unless you assign a value to ObjectLink");
    EXPECT_EQ(messageOf([&] { form.StandardSpecifier("TpsObjectLink"); }), "Could not find the path specifier");
}

TEST(PathSpecifiersWithoutInstall, NeedTheInstall) {
    FakeEnvironment env;
    TConfigForm form(env);
    form.CreateStandardPathSpecifiers();
    auto* group = form.Create<TInstallFileGroup>("G");
    for (const char* cls : {"TpsInstallSource", "TpsMainArchiveFile", "TpsMainInstall"})
        EXPECT_EQ(messageOf([&] { form.StandardSpecifier(cls)->ExpandPath(group); }),
                  "There is no TInstall component so the path specifier could not be expanded for G")
            << cls;
}

TEST_F(ModelTest, ObjectLinksExpandToTheTargetAndCyclesFail) {
    auto* objectLink = form.Create<TpsObjectLink>("psObjectLink");
    auto* f = make<TInstallFile>("F", install);
    f->SetFileName("fnwd32.exe");
    auto* links = make<TMainLinkGroup>("Links", install);
    EXPECT_EQ(links->DestDir(), "\\My product");  // named after the product, kept when joining
    auto* link = make<TInstallShellLink>("L", links);
    link->ObjectLink = f;
    EXPECT_EQ(objectLink->ExpandPath(link), "C:\\Program Files\\MyApplication\\fnwd32.exe");
    link->ObjectLink = links;
    EXPECT_EQ(objectLink->ExpandPath(link), "C:\\WINDOWS\\Startmen\\Programs\\My product");
    // Two shortcuts whose folders are each other's targets.
    auto* a = make<TInstallShellLink>("A", install);
    auto* b = make<TInstallShellLink>("B", install);
    a->ObjectLink = b;
    b->ObjectLink = a;
    a->SetDestDirType(objectLink);
    b->SetDestDirType(objectLink);
    EXPECT_EQ(messageOf([&] { a->GetExpandedDestDir(); }), "Circular reference");
}

TEST(EditTime, ConveniencesOfTheEditor) {
    FakeEnvironment env;
    TConfigForm form(env);
    form.Designing = true;
    auto* install = static_cast<TInstall*>(form.CreateAtEditTime("TInstall", "Install1"));
    EXPECT_EQ(form.StandardPathSpecifiers().size(), 14u);
    ASSERT_NE(form.MainTranslator(), nullptr);
    EXPECT_EQ(form.MainTranslator()->Name(), "MainTranslator");
    EXPECT_EQ(install->DestDirType(), form.StandardSpecifier("TpsProgramFiles"));
    auto* file = static_cast<TInstallFile*>(form.CreateAtEditTime("TInstallFile", "InstallFile"));
    EXPECT_EQ(file->Container(), install);
    EXPECT_EQ(file->DestDirType(), form.StandardSpecifier("TpsContainerDestDir"));
    EXPECT_EQ(file->ArchiveFileType(), form.StandardSpecifier("TpsContainerArchiveFile"));
    auto* group = static_cast<TInstallFileGroup*>(form.CreateAtEditTime("TInstallFileGroup", "Group1"));
    EXPECT_EQ(group->GroupName, "Group #1");
    EXPECT_EQ(static_cast<TInstallFileGroup*>(form.Create<TInstallFileGroup>("Loose"))->GroupName,
              "Unnamed File Group");
}

}  // namespace
}  // namespace fnwd
