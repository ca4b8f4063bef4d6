// What the dialogs of labels, options and the analysis tools share: placement, reading and filling
// their fields, and running them over the main window.
#pragma once
#include <windows.h>

#include <string>

namespace qv {
struct Equation;
struct GraphDoc;
}  // namespace qv

namespace shell {

std::string fieldOf(HWND dialog, int id);
// Gives the field the focus with its text selected, so that the user can type it again.
void selectField(HWND dialog, int id);
// Reads a field as a constant expression; an invalid one is selected. With emptyIsZero an empty
// field reads as 0.
bool readConstant(HWND dialog, int id, double& value, bool emptyIsZero);
// A number put into a field in the form the parser reads back.
void showNumber(HWND dialog, int id, double value);
bool ticked(HWND dialog, int id);
void tick(HWND dialog, int id, bool on);
void limitField(HWND dialog, int id, int characters);
std::string withoutTrailingBlanks(std::string text);
qv::GraphDoc* currentDocument();
bool inQueue(const qv::GraphDoc& doc, const qv::Equation* e);
// A modal dialog owned by the main window; parameter reaches WM_INITDIALOG.
INT_PTR runDialog(int templateId, DLGPROC procedure, void* parameter);

template <typename T>
T* dialogData(HWND dialog)
{
    return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Axis Legends, also opened from the Options Panel; true on OK.
bool axisLegendsDialog(qv::GraphDoc& doc);

// dialogs_options.cpp
void optionsPanelDialog(qv::GraphDoc& doc);

// dialogs_point.cpp
void pointEvaluateDialog(qv::GraphDoc& doc);
// Shows the Variables panel, or gives it the focus when it is open.
void variablesPanelCommand();

}  // namespace shell
