// The user-interface services the portable engine reports through. The shell installs the Win32
// implementation at start-up; tests and the command line install a recording or printing one.
#pragma once

#include <string>

namespace qv {

// Status-line message categories.
constexpr int MESSAGE_WARNING = 14;
constexpr int MESSAGE_INFORMATION = 15;

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // An error or a notice the user must acknowledge, owned by the main window.
  virtual void messageBox(const std::string& text) = 0;
  // Replaces the status-line text; category is MESSAGE_WARNING or MESSAGE_INFORMATION.
  virtual void statusLine(const std::string& text, int category) = 0;
  virtual void beep() = 0;
  // Handles the window messages that are pending while a graph is being drawn, and returns the
  // drawing state as the user left it (pause, resume, abort request, repaint). noYield: handle only
  // what is there, without letting other programs run. While the state is paused the drawing loop keeps
  // calling this until the state changes, so a pump should then wait for the next message rather than
  // return at once. The default handles nothing.
  virtual int pumpMessages(int drawState, bool /*noYield*/) { return drawState; }
};

// The installed implementation; a silent one until something is installed. Installing nullptr
// restores the silent one. The caller keeps ownership.
UserInterface& userInterface();
void installUserInterface(UserInterface* ui);

}  // namespace qv
