// The folder chooser runs for real under Wine; a helper thread plays the user.
#include "folder_dialog.h"
#include "str_util.h"
#include "win_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace fnwd {
namespace {

struct FoundWindows {
    HWND chooser = nullptr;     // the browse dialog with our path box
    HWND messageBox = nullptr;  // any other dialog of the thread
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lp) {
    auto* found = reinterpret_cast<FoundWindows*>(lp);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(hwnd)) return TRUE;
    if (GetDlgItem(hwnd, TOpenFolderDialog::kPathBoxId))
        found->chooser = hwnd;
    else
        found->messageBox = hwnd;
    return TRUE;
}

// Waits up to 20 s for a window of the thread that the predicate accepts.
template <typename Pick>
HWND waitFor(DWORD thread, Pick pick) {
    for (int i = 0; i < 400; ++i) {
        FoundWindows found;
        EnumThreadWindows(thread, collect, reinterpret_cast<LPARAM>(&found));
        if (HWND h = pick(found)) return h;
        Sleep(50);
    }
    return nullptr;
}

std::string text(HWND hwnd) {
    char buf[MAX_PATH * 2] = "";
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name != "." && name != "..") removeTree(dir + "\\" + name);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

TEST(FolderChooser, StartsAtNearestExistingFolder) {
    std::string here = GetCurrentDir();
    EXPECT_EQ(TOpenFolderDialog::StartFolder(here + "\\not\\there\\yet"), here);
    EXPECT_EQ(TOpenFolderDialog::StartFolder(here), here);
    EXPECT_EQ(TOpenFolderDialog::StartFolder(""), "");
    EXPECT_FALSE(TOpenFolderDialog::Title().empty());
}

TEST(FolderChooser, ShowsStartFolderCreatesTypedFolderAndReturnsIt) {
    const std::string root = GetCurrentDir() + "\\chooser_" + std::to_string(GetCurrentProcessId());
    removeTree(root);
    ASSERT_TRUE(ForceDirectories(root));
    const std::string fresh = root + "\\made\\by\\button";

    DWORD mainThread = GetCurrentThreadId();
    std::string shownFirst, shownAfterCreate;
    std::atomic<bool> sawQuestion{false};
    std::thread user([&] {
        HWND dlg = waitFor(mainThread, [](const FoundWindows& f) { return f.chooser; });
        if (!dlg) return;
        Sleep(200);
        shownFirst = text(GetDlgItem(dlg, TOpenFolderDialog::kPathBoxId));
        SetWindowTextA(GetDlgItem(dlg, TOpenFolderDialog::kPathBoxId), fresh.c_str());
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(TOpenFolderDialog::kCreateButtonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, TOpenFolderDialog::kCreateButtonId)));
        HWND box = waitFor(mainThread, [](const FoundWindows& f) { return f.messageBox; });
        if (!box) {
            PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        sawQuestion = true;
        PostMessageA(box, WM_COMMAND, IDYES, 0);
        HWND again = waitFor(mainThread, [dlg](const FoundWindows& f) {
            return f.chooser && f.chooser != dlg && !f.messageBox ? f.chooser : nullptr;
        });
        if (!again) return;
        Sleep(200);
        shownAfterCreate = text(GetDlgItem(again, TOpenFolderDialog::kPathBoxId));
        PostMessageA(again, WM_COMMAND, IDOK, 0);
    });

    TOpenFolderDialog chooser;
    chooser.Folder = root + "\\made";  // does not exist yet: the dialog opens on root
    bool ok = chooser.Execute(nullptr);
    user.join();

    EXPECT_TRUE(SameText(shownFirst, root)) << shownFirst;
    EXPECT_TRUE(sawQuestion);
    EXPECT_TRUE(DirectoryExists(fresh));
    EXPECT_TRUE(SameText(shownAfterCreate, fresh)) << shownAfterCreate;
    EXPECT_TRUE(ok);
    EXPECT_TRUE(SameText(chooser.Folder, fresh)) << chooser.Folder;
    removeTree(root);
}

}  // namespace
}  // namespace fnwd
