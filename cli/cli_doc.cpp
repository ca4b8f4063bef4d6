#include "cli/cli_doc.h"

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "doc/graph_file.h"
#include "expr/functions.h"
#include "platform/ui.h"

namespace qv::cli {

namespace {

// The graph window the document is laid out in: its client size and the screen's pixel aspect.
constexpr int WINDOW_WIDTH = 640;
constexpr int WINDOW_HEIGHT = 480;

// Writing reports on the error stream, so that the state printed before and after a round trip
// through a file is the same text.
class ErrorStreamUserInterface final : public UserInterface {
 public:
  explicit ErrorStreamUserInterface(std::FILE* err) : err_(err) {}
  void messageBox(const std::string& text) override { std::fprintf(err_, "messagebox: %s\n", text.c_str()); }
  void statusLine(const std::string& text, int category) override {
    std::fprintf(err_, "status %d: %s\n", category, text.c_str());
  }
  void beep() override {}

 private:
  std::FILE* err_;
};

std::string number(double v, const char* format = "%.8g") {
  if (v == UNSET_BOUND) return "auto";
  if (std::isnan(v)) return "nan";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}

const char* onOff(bool on) { return on ? "on" : "off"; }

std::string fontText(const LogicalFont& f) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%s", f.height, f.width, f.escapement,
                f.orientation, f.weight, f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                f.clipPrecision, f.quality, f.pitchAndFamily, f.faceName.c_str());
  return buffer;
}

const char* paperName(std::uint16_t flags) {
  if (flags & PAPER_POLAR) return "polar";
  if (flags & PAPER_TRIG) return "trig";
  if (flags & PAPER_LOG_X) return "loglog";
  if (flags & PAPER_LOG_Y) return "semilog";
  return "rectangular";
}

// What the program does with a freshly opened document before it is first drawn: lay out the graph
// window and complete an automatic range.
void settle(GraphDoc& doc) {
  DocumentProgram& program = documentProgram();
  doc.graphArea = DeviceRect{0, 0, WINDOW_WIDTH, WINDOW_HEIGHT};
  doc.grid.layoutGraphArea(WINDOW_WIDTH, WINDOW_HEIGHT, labelSpaceOf(doc), program.smallScreen);
  doc.grid.computeSquareRatio(program.pixelAspect);
  if (doc.pending & PENDING_AUTOSCALE) doc.grid.autoSquare();
  doc.grid.checkLogRange();
  doc.pending = 0;
}

void printOption(std::FILE* out, const std::string& key) {
  const ProgramOptions& o = programOptions();
  const auto line = [&](const char* k, const std::string& v) { std::fprintf(out, "option.%s=%s\n", k, v.c_str()); };
  if (key == "autoredraw") line("autoredraw", onOff(o.autoredraw));
  else if (key == "maxeqs") line("maxeqs", std::to_string(o.maxeqs));
  else if (key == "maxannote") line("maxannote", std::to_string(o.maxannote));
  else if (key == "autonum") line("autonum", std::to_string(o.autonum));
  else if (key == "autosquare") line("autosquare", onOff(o.autosquare));
  else if (key == "tables" || key == "tableopts") line("tables", std::to_string(o.tables));
  else if (key == "tableincr") line("tableincr", number(o.tableincr));
  else if (key == "warnings") line("warnings", onOff(o.warnings));
  else if (key == "drawdots") line("drawdots", onOff(o.drawdots));
  else if (key == "intflags") line("intflags", std::to_string(o.intflags));
  else if (key == "intnumseg") line("intnumseg", std::to_string(o.intnumseg));
  else if (key == "color" || key == "mono")
    line("color", o.colourChoice == 0 ? "mono" : o.colourChoice == 2 ? "2" : o.colourChoice == 3 ? "3" : "none");
  else if (key == "ylegpos") line("ylegpos", std::to_string(o.ylegpos));
  else if (key == "hogCPU") line("hogCPU", onOff(o.hogCPU));
  else if (key == "widelines") line("widelines", onOff(o.widelines));
  else if (key == "scrollbars") line("scrollbars", onOff(o.scrollbars));
  else if (key == "copygraphs") line("copygraphs", std::to_string(o.copygraphs));
  else if (key == "tablecols") line("tablecols", std::to_string(o.tablecols));
  else if (key == "printing") line("printing", std::to_string(o.printOptions));
  else if (key == "winpos") {
    const SelectionRect r = graphFileHost().mainWindowRect();
    line("winpos", std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                       std::to_string(r.bottom));
  } else if (key == "colors") {
    std::string v;
    for (std::uint8_t c : o.colourScheme) v += (v.empty() ? "" : ",") + std::to_string(c);
    line("colors", v);
  } else if (key.rfind("font.", 0) == 0) {
    for (int i = 0; i < WINDOW_FONT_COUNT; ++i)
      if (key.substr(5) == FONT_ROLE_KEYS[i]) line(key.c_str(), fontText(o.windowFonts[i].font));
  }
}

// Program-wide options in the order of the setup file.
const char* const OPTION_ORDER[] = {
    "autoredraw", "maxeqs",  "maxannote", "autonum",   "autosquare", "tables",    "tableopts",
    "tableincr",  "warnings", "drawdots", "intflags",  "intnumseg",  "color",     "mono",
    "ylegpos",    "winpos",  "hogCPU",    "widelines", "scrollbars", "copygraphs", "tablecols",
    "font.edit",  "font.tables", "font.status", "printing", "colors",
};

void printState(std::FILE* out, const GraphDoc& doc, int equationsRead, std::set<std::string> touched) {
  const GridSetup& g = doc.grid;
  const ProgramOptions& o = programOptions();
  std::fprintf(out, "equations-read=%d\n", equationsRead);
  std::fprintf(out, "saved-setup=%s\n", onOff(doc.savedSetup));
  std::fprintf(out, "left=%s\nright=%s\nbottom=%s\ntop=%s\n", number(g.xMin).c_str(), number(g.xMax).c_str(),
               number(g.yMin).c_str(), number(g.yMax).c_str());
  std::fprintf(out, "paper=%s\npaper-flags=0x%04X\n", paperName(g.paperFlags), g.paperFlags);
  if (g.logY()) std::fprintf(out, "log-base=%s\n", number(g.logBase).c_str());
  std::fprintf(out, "legends=%u\n", g.legendFlags);
  if (g.legendFlags & (LEGENDS_CUSTOM | LEGENDS_SCALE))
    std::fprintf(out, "xlegspace=%s\nylegspace=%s\n", number(g.xLegendSpacing).c_str(),
                 number(g.yLegendSpacing).c_str());
  std::fprintf(out, "tstart=%s\ntstop=%s\n", number(g.tstart).c_str(), number(g.tstop).c_str());
  std::fprintf(out, "fineness=%s\ndefscale=%s\n", number(o.fineness).c_str(), o.defscale.c_str());
  std::fprintf(out, "labels=%s\n", onOff(doc.showLabels));
  std::fprintf(out, "title=%s\nleft-label=%s\nright-label=%s\nxaxis=%s\nyaxis=%s\n", doc.title.c_str(),
               doc.leftLabel.c_str(), doc.rightLabel.c_str(), doc.xAxisName.c_str(), doc.yAxisName.c_str());
  for (int i = 0; i < doc.annotationCount && i < static_cast<int>(doc.annotations.size()); ++i) {
    const Annotation& a = doc.annotations[i];
    // Positions are kept in the file to four significant digits.
    std::fprintf(out, "annotation=%s,%s,%s\n", number(a.x, "%.4g").c_str(), number(a.y, "%.4g").c_str(),
                 a.text.c_str());
  }
  std::fprintf(out, "margins=%d,%d,%d,%d\n", doc.margins[0], doc.margins[1], doc.margins[2], doc.margins[3]);
  for (int i = 0; i < GRID_FONT_COUNT; ++i)
    if (doc.fonts[i].customized == 'y')
      std::fprintf(out, "font.%s=%s\n", FONT_ROLE_KEYS[WINDOW_FONT_COUNT + i], fontText(doc.fonts[i].font).c_str());
  std::set<std::string> printed;
  for (const char* key : OPTION_ORDER) {
    if (!touched.count(key)) continue;
    // Keys that share one printed value print it once.
    const std::string shown = std::strcmp(key, "tableopts") == 0 ? "tables" : std::strcmp(key, "mono") == 0 ? "color" : key;
    if (printed.insert(shown).second) printOption(out, key);
  }
  std::fprintf(out, "count=%d\n", doc.count);
  for (const Equation* e = doc.queueHead; e; e = e->next) std::fprintf(out, "eq=%s\n", e->text.c_str());
}

bool parseKind(const char* text, int& kind) {
  if (std::strcmp(text, "1") == 0) kind = FILE_PLAIN_DOCUMENT;
  else if (std::strcmp(text, "2") == 0) kind = FILE_DOCUMENT_WITH_SETTINGS;
  else if (std::strcmp(text, "4") == 0) kind = FILE_SETUP;
  else return false;
  return true;
}

}  // namespace

int cmdDoc(int argc, char** argv, std::FILE* out, std::FILE* err) {
  const char* path = nullptr;
  const char* setup = nullptr;
  const char* writePath = nullptr;
  int kind = 0;
  for (int i = 0; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--setup") == 0 && hasValue && !setup) {
      setup = argv[++i];
    } else if (std::strcmp(argv[i], "--write") == 0 && hasValue && !writePath) {
      writePath = argv[++i];
    } else if (std::strcmp(argv[i], "--kind") == 0 && hasValue && kind == 0) {
      if (!parseKind(argv[++i], kind)) return 2;
    } else if (argv[i][0] != '-' && !path) {
      path = argv[i];
    } else {
      return 2;
    }
  }
  if (!path || (writePath && kind == 0) || (!writePath && kind != 0)) return 2;

  // Start-up: program defaults, the setup document filled quietly from the setup file.
  resetVariables();
  DocumentProgram& program = documentProgram();
  program.options = ProgramOptions{};
  std::set<std::string> touched;
  GraphDoc* setupDoc = createDocument();
  program.setupDoc = setupDoc;
  if (setup) (void)readGraphFile(*setupDoc, setup, READ_QUIET, &touched);
  setupDoc->annotations.clear();

  GraphDoc* doc = createFromSetup();
  const int read = readGraphFile(*doc, path, READ_NORMAL, &touched);
  int rc = 0;
  if (read == READ_FAILED) {
    rc = 1;
  } else {
    program.current = doc;
    settle(*doc);
    printState(out, *doc, read, touched);
    if (writePath) {
      std::fflush(out);
      ErrorStreamUserInterface errors(err);
      UserInterface* previous = &userInterface();
      installUserInterface(&errors);
      // Save As gives a document its new path before writing; the setup file is no document.
      if (kind != FILE_SETUP) setPath(*doc, writePath);
      if (!writeGraphFile(*doc, writePath, kind)) rc = 1;
      installUserInterface(previous);
    }
  }
  freeDocument(doc);
  freeDocument(setupDoc);
  return rc;
}

}  // namespace qv::cli
