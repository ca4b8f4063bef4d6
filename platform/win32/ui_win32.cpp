#include "ui_win32.h"

namespace qv {

namespace {
const char* const CAPTION = "Quorvex";
}

void Win32UserInterface::messageBox(const std::string& text) {
  MessageBoxA(owner_, text.c_str(), CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

void Win32UserInterface::statusLine(const std::string& text, int category) {
  if (showStatus_) showStatus_(text, category);
}

void Win32UserInterface::beep() { MessageBeep(0); }

}  // namespace qv
