// The user-interface services on Windows: message boxes owned by the main window, the status line
// through the shell's status bar, the system beep.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/ui.h"

namespace qv {

class Win32UserInterface final : public UserInterface {
 public:
  // owner: the main window (may be null before it exists). showStatus: draws the status text with
  // its category; the shell provides it once the status bar exists.
  void setOwner(HWND owner) { owner_ = owner; }
  void setStatusLine(std::function<void(const std::string&, int)> showStatus) { showStatus_ = std::move(showStatus); }

  void messageBox(const std::string& text) override;
  void statusLine(const std::string& text, int category) override;
  void beep() override;

 private:
  HWND owner_ = nullptr;
  std::function<void(const std::string&, int)> showStatus_;
};

}  // namespace qv
