// The folder chooser of the file-group page: the system's folder-browse dialog, limited to
// file-system folders, with an editable path box and a button that creates the typed folder.
#pragma once

#include <windows.h>

#include <string>

namespace fnwd {

class TOpenFolderDialog {
public:
    // Start text on entry; the chosen folder after Execute returned true.
    std::string Folder;

    // Runs the dialog modally; false when cancelled (Folder is then unchanged).
    bool Execute(HWND owner);

    // The folder the dialog opens on: the nearest existing folder of the text.
    static std::string StartFolder(const std::string& text);
    // The dialog's title: string 9248 of "shell32.dll" (an English stand-in when it is missing).
    static std::string Title();

    // Control ids of the added path box and button, for whoever drives the dialog from outside.
    static constexpr int kPathBoxId = 0x3F01;
    static constexpr int kCreateButtonId = 0x3F02;
};

}  // namespace fnwd
