// Filled in by the work on these dialogs: until then no command has a dialog here.
#include "dialogs.h"

namespace shell {

bool settingsDialogCommand(qv::GraphDoc&, int) { return false; }
bool settingsDialogAvailable(int) { return false; }
bool gridRangeDialog(qv::GridSetup&) { return false; }

}  // namespace shell
