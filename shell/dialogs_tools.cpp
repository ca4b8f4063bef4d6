// Filled in by the work on these dialogs: until then no command has a dialog here.
#include "dialogs.h"

namespace shell {

bool toolDialogCommand(qv::GraphDoc&, int) { return false; }
bool toolDialogAvailable(int) { return false; }
void showIntegrateCurveDialog(qv::GraphDoc&) {}
void openAnnotateDialog(qv::GraphDoc&, int) {}

}  // namespace shell
