// The dialogs of the menus, as the main window and the mouse tools reach them.
#pragma once

namespace qv {
struct GraphDoc;
struct GridSetup;
}  // namespace qv

namespace shell {

// dialogs_settings.cpp: Graph Paper with Log Options, Scale, Grid Range, Theta Range, Colors, Fonts,
// Fineness and About. The command opens its dialog; false when it has none.
bool settingsDialogCommand(qv::GraphDoc& doc, int id);
bool settingsDialogAvailable(int id);
// Grid Range opened because logarithmic paper cannot show the range: true when the user gave one.
bool gridRangeDialog(qv::GridSetup& grid);
// The same dialogs as the Options Panel opens them: true when the user pressed OK; what changed is
// marked in doc.pending.
bool openGridRangeDialog(qv::GraphDoc& doc);
bool openScaleDialog(qv::GraphDoc& doc);
bool openGraphPaperDialog(qv::GraphDoc& doc);
bool openThetaRangeDialog(qv::GraphDoc& doc);
bool openFinenessDialog(qv::GraphDoc& doc);
bool openColorsDialog(qv::GraphDoc& doc);

// dialogs_tools.cpp: Axis Legends, Graph Labels, Annotate, Options Panel, Point Tables Options,
// Integration Options, Point Evaluate, Find Critical Points, the Variables panel and the Integrate
// curve dialog.
bool toolDialogCommand(qv::GraphDoc& doc, int id);
bool toolDialogAvailable(int id);
// The Integrate curve dialog after a region was integrated with the mouse.
void showIntegrateCurveDialog(qv::GraphDoc& doc);
// The Annotate dialog with an annotation selected (a double click on it in the graph window).
void openAnnotateDialog(qv::GraphDoc& doc, int index);

}  // namespace shell
