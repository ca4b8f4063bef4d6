#include "folder_dialog.h"

#include "str_util.h"
#include "translate_hook.h"
#include "win_system.h"

#include <commctrl.h>
#include <shlobj.h>

namespace fnwd {

namespace {

constexpr UINT kTitleStringId = 9248;          // shell32.dll
constexpr UINT kCreateQuestionCaptionId = 703;  // comdlg32.dll
constexpr UINT kCreateQuestionTextId = 8977;    // shell32.dll

std::string moduleString(const char* module, UINT id, const char* fallback) {
    HMODULE lib = LoadLibraryExA(module, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::string text;
    if (lib) {
        char buf[512];
        int n = LoadStringA(lib, id, buf, sizeof buf);
        if (n > 0) text.assign(buf, static_cast<size_t>(n));
        FreeLibrary(lib);
    }
    return text.empty() ? std::string(fallback) : text;
}

struct DialogState {
    std::string start;
    std::string reopen_on;  // set when the dialog is closed to reopen on a new folder
    WNDPROC original_proc = nullptr;
    HWND path_box = nullptr;
    bool ok_pressed = false;
    std::string box_on_ok;  // the path box's text when OK was pressed
};

const char* const kStateProp = "FnwdFolderDialogState";

std::string windowText(HWND hwnd) {
    int len = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(len) + 1, '\0');
    GetWindowTextA(hwnd, &text[0], len + 1);
    text.resize(static_cast<size_t>(len));
    return text;
}

HWND findChildByClass(HWND parent, const char* cls) { return FindWindowExA(parent, nullptr, cls, nullptr); }

void onCreateButton(HWND dlg, DialogState& state) {
    std::string typed = Trim(windowText(state.path_box));
    if (typed.empty()) return;
    if (DirectoryExists(typed)) {
        SendMessageA(dlg, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
        return;
    }
    std::string caption = Translate(moduleString("comdlg32.dll", kCreateQuestionCaptionId, "Create folder"));
    std::string question = Translate(moduleString("shell32.dll", kCreateQuestionTextId, "Create the folder?"));
    std::string text = question + "\n\n" + typed;
    if (MessageBoxA(dlg, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (!ForceDirectories(typed)) {
        MessageBoxA(dlg, typed.c_str(), Translate("Unable to create directory").c_str(), MB_OK | MB_ICONERROR);
        return;
    }
    // The browse tree does not learn of new folders while it is open: start again on the new one.
    state.reopen_on = RemoveBackslash(typed);
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
}

LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = static_cast<DialogState*>(GetPropA(hwnd, kStateProp));
    if (msg == WM_COMMAND && LOWORD(wp) == TOpenFolderDialog::kCreateButtonId && HIWORD(wp) == BN_CLICKED && state) {
        onCreateButton(hwnd, *state);
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK && state && state->path_box) {
        state->ok_pressed = true;
        state->box_on_ok = RemoveBackslash(Trim(windowText(state->path_box)));
    }
    WNDPROC original = state ? state->original_proc : DefWindowProcA;
    if (msg == WM_NCDESTROY) {
        RemovePropA(hwnd, kStateProp);
        if (state) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    return CallWindowProcA(original, hwnd, msg, wp, lp);
}

void addControls(HWND dlg, DialogState& state) {
    if (HWND tree = findChildByClass(dlg, WC_TREEVIEWA)) {
        LONG_PTR style = GetWindowLongPtrA(tree, GWL_STYLE);
        SetWindowLongPtrA(tree, GWL_STYLE, style | TVS_SHOWSELALWAYS);
    }
    HWND ok = GetDlgItem(dlg, IDOK);
    RECT okRect{}, client{};
    GetClientRect(dlg, &client);
    int buttonHeight = 23, top = client.bottom - 30;
    if (ok) {
        GetWindowRect(ok, &okRect);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&okRect), 2);
        top = okRect.top;
        buttonHeight = okRect.bottom - okRect.top;
    }
    int right = ok ? okRect.left - 6 : client.right - 170;
    int buttonWidth = 75;
    int boxLeft = 8, boxRight = right - buttonWidth - 6;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dlg, GWLP_HINSTANCE));
    state.path_box = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", state.start.c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, boxLeft, top,
                                     boxRight > boxLeft + 40 ? boxRight - boxLeft : 120, buttonHeight, dlg,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(TOpenFolderDialog::kPathBoxId)),
                                     inst, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", Translate("New folder").c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, right - buttonWidth, top,
                                  buttonWidth, buttonHeight, dlg,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(TOpenFolderDialog::kCreateButtonId)),
                                  inst, nullptr);
    if (font) {
        SendMessageA(state.path_box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SetPropA(dlg, kStateProp, &state);
    state.original_proc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc)));
}

int CALLBACK browseCallback(HWND dlg, UINT msg, LPARAM lp, LPARAM data) {
    auto* state = reinterpret_cast<DialogState*>(data);
    if (msg == BFFM_INITIALIZED) {
        addControls(dlg, *state);
        if (!state->start.empty())
            SendMessageA(dlg, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(state->start.c_str()));
    } else if (msg == BFFM_SELCHANGED && state->path_box) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(lp), path)) SetWindowTextA(state->path_box, path);
    }
    return 0;
}

}  // namespace

std::string TOpenFolderDialog::StartFolder(const std::string& text) {
    return NearestExistingFolder(text, DirectoryExists);
}

std::string TOpenFolderDialog::Title() { return moduleString("shell32.dll", kTitleStringId, "Choose a folder"); }

bool TOpenFolderDialog::Execute(HWND owner) {
    HRESULT com = CoInitialize(nullptr);
    std::string title = Translate(Title());
    DialogState state;
    state.start = StartFolder(Folder);
    bool chosen = false;
    for (;;) {
        state.reopen_on.clear();
        state.path_box = nullptr;
        state.ok_pressed = false;
        state.box_on_ok.clear();
        BROWSEINFOA bi{};
        bi.hwndOwner = owner;
        bi.lpszTitle = title.c_str();
        bi.ulFlags = BIF_RETURNONLYFSDIRS;
        bi.lpfn = browseCallback;
        bi.lParam = reinterpret_cast<LPARAM>(&state);
        PIDLIST_ABSOLUTE pidl = SHBrowseForFolderA(&bi);
        if (pidl) {
            char path[MAX_PATH] = "";
            if (SHGetPathFromIDListA(pidl, path)) {
                Folder = RemoveBackslash(path);
                chosen = true;
            }
            CoTaskMemFree(pidl);
        }
        // The path box is what the user sees and may have typed into: an existing folder there
        // wins over a tree selection that did not follow it.
        if (state.ok_pressed && DirectoryExists(state.box_on_ok)) {
            Folder = state.box_on_ok;
            chosen = true;
        }
        if (state.ok_pressed || pidl) break;
        if (state.reopen_on.empty()) break;
        state.start = state.reopen_on;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

}  // namespace fnwd
