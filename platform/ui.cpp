#include "ui.h"

namespace qv {

namespace {

class SilentUserInterface final : public UserInterface {
 public:
  void messageBox(const std::string&) override {}
  void statusLine(const std::string&, int) override {}
  void beep() override {}
};

SilentUserInterface g_silent;
UserInterface* g_installed = &g_silent;

}  // namespace

UserInterface& userInterface() { return *g_installed; }

void installUserInterface(UserInterface* ui) { g_installed = ui ? ui : &g_silent; }

}  // namespace qv
