// The Open and Save dialogs: the platform's file dialogs with the program's own boxes below them
// ("&Merge file", "&Graph all", "Save &Setup"), from the template "COMMFILEOPEN".
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "doc/graph_doc.h"
#include "doc/graph_file.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

constexpr int FILE_BUFFER = 351;
constexpr char FILTER[] = "Graph Documents (*.gr)\0*.gr\0All files (*.*)\0*.*\0";

struct DialogState {
    bool saving = false;
    bool merge = false;
    bool graphAll = false;
    bool saveSetup = false;
};

void showBox(HWND child, int id, bool show)
{
    ShowWindow(GetDlgItem(child, id), show ? SW_SHOW : SW_HIDE);
}

UINT_PTR CALLBACK fileDialogHook(HWND child, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
        auto* state = reinterpret_cast<DialogState*>(ofn->lCustData);
        SetWindowLongPtrA(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        const bool open = !state->saving;
        for (int id : {IDC_MERGEFILE, IDC_MERGENOTE, IDC_GRAPHALL, IDC_GRAPHALLNOTE})
            showBox(child, id, open);
        for (int id : {IDC_SAVESETUP, IDC_SAVESETUPNOTE})
            showBox(child, id, !open);
        CheckDlgButton(child, IDC_GRAPHALL, state->graphAll ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(child, IDC_SAVESETUP, state->saveSetup ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* notify = reinterpret_cast<OFNOTIFYA*>(lParam);
        if (notify->hdr.code == CDN_FILEOK) {
            auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(child, GWLP_USERDATA));
            state->merge = IsDlgButtonChecked(child, IDC_MERGEFILE) == BST_CHECKED;
            state->graphAll = IsDlgButtonChecked(child, IDC_GRAPHALL) == BST_CHECKED;
            state->saveSetup = IsDlgButtonChecked(child, IDC_SAVESETUP) == BST_CHECKED;
        }
        return 0;
    }
    }
    return 0;
}

bool runDialog(DialogState& state, std::string& path)
{
    char buffer[FILE_BUFFER] = "";
    if (state.saving && !path.empty() && path != qv::UNTITLED)
        std::strncpy(buffer, path.c_str(), sizeof buffer - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_shell.main;
    ofn.hInstance = g_shell.instance;
    ofn.lpstrFilter = FILTER;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    ofn.lpstrDefExt = "gr";
    ofn.lpstrTitle = state.saving ? "Save Graph Document" : "Open Graph Document";
    ofn.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                (state.saving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    ofn.lpTemplateName = "COMMFILEOPEN";
    ofn.lpfnHook = fileDialogHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(&state);
    const BOOL ok = state.saving ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!ok)
        return false;
    path = buffer;
    return true;
}

}  // namespace

OpenChoice openDialog(std::string& path)
{
    DialogState state;
    state.graphAll = qv::programOptions().autoredraw;
    if (!runDialog(state, path))
        return OpenChoice::Cancelled;
    if (state.merge)
        return OpenChoice::Merge;
    return state.graphAll ? OpenChoice::OpenGraphAll : OpenChoice::Open;
}

int saveDialog(std::string& path)
{
    DialogState state;
    state.saving = true;
    state.saveSetup = true;
    if (!runDialog(state, path))
        return 0;
    return state.saveSetup ? qv::FILE_DOCUMENT_WITH_SETTINGS : qv::FILE_PLAIN_DOCUMENT;
}

}  // namespace shell
