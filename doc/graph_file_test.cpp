#include "doc/graph_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "expr/functions.h"
#include "platform/record/recording_ui.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class GraphFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetVariables();
        DocumentProgram& p = documentProgram();
        p.options = ProgramOptions{};
        p.colourCounter = 0;
        p.pixelAspect = 1.0;
        p.setupDoc = nullptr;
        dir_ = fs::current_path() / "graph_file_test_tmp" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        doc_ = createFromSetup();
    }
    void TearDown() override
    {
        freeDocument(doc_);
        fs::remove_all(dir_);
    }

    std::string file(const std::string& name, const std::string& content)
    {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string slurp(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        std::string text = s.str();
        std::string out;  // a Windows build writes text files with "\r\n"
        for (char c : text)
            if (c != '\r')
                out += c;
        return out;
    }
    int read(const std::string& content, int mode = READ_NORMAL)
    {
        return readGraphFile(*doc_, file("in.gr", content), mode);
    }
    std::vector<std::string> queue() const
    {
        std::vector<std::string> texts;
        for (const Equation* e = doc_->queueHead; e; e = e->next)
            texts.push_back(e->text);
        return texts;
    }

    ScopedRecordingUserInterface ui_;
    fs::path dir_;
    GraphDoc* doc_ = nullptr;
};

TEST_F(GraphFileTest, NumberTestAcceptsOnlyCompleteDecimalNumbers)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"1.5", 1.5},         {"-2", -2},        {"+3e2", 300},         {"1E-3", 1e-3},      {".5", 0.5},
        {"auto", UNSET_BOUND}, {"nan", UNSET_BOUND}, {"1e999", UNSET_BOUND}, {"-1e999", UNSET_BOUND},
        {"--5", UNSET_BOUND}, {"1-2", UNSET_BOUND}, {"e", UNSET_BOUND},   {"", UNSET_BOUND},  {"1 2", UNSET_BOUND},
        {"0x10", UNSET_BOUND}, {"inf", UNSET_BOUND}, {"1e", UNSET_BOUND},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readFileNumber(c.text), c.value) << c.text;
    EXPECT_EQ(readFileInteger("  42abc"), 42);
    EXPECT_EQ(readFileInteger("-3"), -3);
    EXPECT_EQ(readFileInteger("x"), 0);
    EXPECT_EQ(readFileInteger("99999999999999999999"), 2147483647);
    EXPECT_EQ(readFileInteger("-99999999999999999999"), -2147483647 - 1);
}

TEST_F(GraphFileTest, BlankLineClosesTheSectionAndUnknownHeadersToo)
{
    read("[labels]\ntitle=First\n\nleft=ignored\n[labels]\nright=Right\nnonsense\nxaxis=q\n");
    EXPECT_EQ(doc_->title, "First");
    EXPECT_EQ(doc_->leftLabel, "");
    EXPECT_EQ(doc_->rightLabel, "Right");
    EXPECT_EQ(doc_->xAxisName, "x");
}

TEST_F(GraphFileTest, KeysAreTrimmedAndLowerCasedValuesKeepTheirCase)
{
    read("  [LABELS]  \n  TiTle  =  A = B  \nxaxis=Theta12345\n");
    EXPECT_EQ(doc_->title, "A = B");
    EXPECT_EQ(doc_->xAxisName, "Theta12");  // 7 characters kept
}

TEST_F(GraphFileTest, PaperForms)
{
    struct Case {
        const char* value;
        std::uint16_t kind;
        double base;
    };
    const Case cases[] = {
        {"slog 2", PAPER_LOG_Y, 2},
        {"llog e", PAPER_LOG_Y | PAPER_LOG_X, 2.718281828},
        {"slog 0", PAPER_LOG_Y, 10},
        {"xlog -4", PAPER_LOG_Y | PAPER_LOG_X, 10},
        {"slog 1", PAPER_LOG_Y, 10},  // no scale has base 1
        {"slog 2^3", PAPER_LOG_Y, 8},
        {"slog )(", PAPER_LOG_Y, 10},
        {"polar", PAPER_POLAR, 10},
        {"trig", PAPER_TRIG, 10},
        {"squiggly", PAPER_RECTANGULAR, 10},
    };
    for (const Case& c : cases) {
        freeDocument(doc_);
        doc_ = createFromSetup();
        doc_->pending = 0;
        read(std::string("[options]\npaper=") + c.value + "\n");
        EXPECT_EQ(doc_->grid.paperFlags & PAPER_KIND_MASK, c.kind) << c.value;
        EXPECT_NEAR(doc_->grid.logBase, c.base, 1e-12) << c.value;
        EXPECT_NEAR(doc_->grid.lnBase, std::log(c.base), 1e-12) << c.value;
        EXPECT_TRUE(doc_->pending & PENDING_REGRID) << c.value;
        EXPECT_EQ(doc_->grid.paperFlags & ~PAPER_KIND_MASK, PAPER_DEFAULT & ~PAPER_KIND_MASK) << c.value;
    }
}

TEST_F(GraphFileTest, LogBaseIsWrittenShortWhenThatKeepsIt)
{
    struct Case {
        double base;
        const char* line;
    };
    const Case cases[] = {{10, "paper=slog 10\n"}, {2, "paper=slog 2\n"}, {2.718281828, "paper=slog e\n"},
                          {1.5, "paper=slog 1.5\n"}, {1.05, "paper=slog 1.05\n"}, {3.14159, "paper=slog 3.14159\n"}};
    doc_->grid.paperFlags = static_cast<std::uint16_t>((PAPER_DEFAULT & ~PAPER_KIND_MASK) | PAPER_LOG_Y);
    for (const Case& c : cases) {
        doc_->grid.logBase = c.base;
        const std::string text = graphFileText(*doc_, FILE_DOCUMENT_WITH_SETTINGS);
        EXPECT_NE(text.find(c.line), std::string::npos) << text;
    }
}

TEST_F(GraphFileTest, DetailAndAxes)
{
    read("[options]\ndetail=none\n");
    EXPECT_EQ(doc_->grid.paperFlags & (PAPER_AXES | PAPER_DOTS | PAPER_GRID_LINES | PAPER_SOLID_GRID), 0);
    read("[options]\ndetail=none\naxes=16\n");
    EXPECT_TRUE(doc_->grid.paperFlags & PAPER_AXES);
    EXPECT_FALSE(doc_->grid.paperFlags & (PAPER_ARROWS | PAPER_AXIS_NAMES | PAPER_BORDER));
    read("[options]\ndetail=solid\naxes=1808\n");
    EXPECT_EQ(doc_->grid.paperFlags & ~PAPER_KIND_MASK, PAPER_AXES | PAPER_SOLID_GRID | PAPER_ARROWS |
                                                            PAPER_AXIS_NAMES | PAPER_BORDER);
    // Bits beyond the four decorations do not leak into the paper kind.
    read("[options]\naxes=65535\n");
    EXPECT_EQ(doc_->grid.paperFlags & PAPER_KIND_MASK, PAPER_RECTANGULAR);
}

TEST_F(GraphFileTest, ProgramWideClamps)
{
    struct Case {
        const char* text;
        int maxeqs, autonum, maxannote;
    };
    const Case cases[] = {
        {"maxeqs=0\n", 1, 25, 10},
        {"maxeqs=5000\n", 999, 25, 10},
        {"autonum=40\n", 25, 25, 10},
        {"autonum=-3\n", 25, 0, 10},
        {"maxeqs=5\nautonum=7\n", 5, 5, 10},
        {"autonum=7\nmaxeqs=5\n", 5, 7, 10},  // the maxeqs in force when the line is read
        {"maxannote=-1\n", 25, 25, 1},
        {"maxannote=1000\n", 25, 25, 999},
    };
    for (const Case& c : cases) {
        programOptions() = ProgramOptions{};
        read(std::string("[options]\n") + c.text);
        EXPECT_EQ(programOptions().maxeqs, c.maxeqs) << c.text;
        EXPECT_EQ(programOptions().autonum, c.autonum) << c.text;
        EXPECT_EQ(programOptions().maxannote, c.maxannote) << c.text;
    }
}

TEST_F(GraphFileTest, OtherProgramWideKeys)
{
    std::set<std::string> keys;
    readGraphFile(*doc_,
                  file("o.ini", "[options]\nautoredraw=OFF\nautosquare=0\ntables=on\ntableopts=7\ntableincr=0.25\n"
                                "warnings=1\ndrawdots=on\nintflags=300\nintnumseg=0\ncolor=3\nylegpos=center\n"
                                "hogCPU=on\nwidelines=on\nscrollbars=on\ncopygraphs=2\ntablecols=5\nfineness=-1\n"
                                "defscale=12345678\ntstart=abc\ntstop=3\n"),
                  READ_NORMAL, &keys);
    const ProgramOptions& o = programOptions();
    EXPECT_FALSE(o.autoredraw);
    EXPECT_FALSE(o.autosquare);
    EXPECT_EQ(o.tables, 7);  // on, and every other bit from tableopts
    EXPECT_EQ(o.tableincr, 0.25);
    EXPECT_TRUE(o.warnings);
    EXPECT_TRUE(o.drawdots);
    EXPECT_EQ(o.intflags, 300 & 0xFF);
    EXPECT_EQ(o.intnumseg, 1);
    EXPECT_EQ(o.colourChoice, 3);
    EXPECT_EQ(o.colourScheme[0], 0);  // Black background
    EXPECT_EQ(o.ylegpos, 256);
    EXPECT_TRUE(o.hogCPU);
    EXPECT_TRUE(o.widelines);
    EXPECT_TRUE(o.scrollbars);
    EXPECT_EQ(o.copygraphs, 1504);
    EXPECT_EQ(o.tablecols, 3);  // 5 refused
    EXPECT_EQ(o.fineness, 1.0);
    EXPECT_EQ(o.defscale, "2");
    EXPECT_EQ(doc_->grid.tstart, 0);
    EXPECT_EQ(doc_->grid.tstop, 3);
    EXPECT_TRUE(doc_->pending & PENDING_RELAYOUT);
    EXPECT_TRUE(doc_->pending & PENDING_RESIZE_MAIN);
    EXPECT_EQ(keys, (std::set<std::string>{"autoredraw", "autosquare", "tables", "tableopts", "tableincr", "warnings",
                                            "drawdots", "intflags", "intnumseg", "color", "ylegpos", "hogCPU",
                                            "widelines", "scrollbars", "copygraphs"}));
}

TEST_F(GraphFileTest, GridReadsAutomaticBounds)
{
    doc_->pending = 0;
    read("[grid]\nleft=-4\nright=4\ntop=auto\nbottom=nan\n");
    EXPECT_EQ(doc_->grid.xMin, -4);
    EXPECT_EQ(doc_->grid.xMax, 4);
    EXPECT_EQ(doc_->grid.yMax, UNSET_BOUND);
    EXPECT_EQ(doc_->grid.yMin, UNSET_BOUND);
    EXPECT_EQ(doc_->pending, PENDING_REGRID | PENDING_AUTOSCALE);
}

TEST_F(GraphFileTest, SquareGridReopensCentredInAnyWindow)
{
    GridSetup& g = doc_->grid;
    g.areaLeft = 0, g.areaRight = 199, g.areaTop = 0, g.areaBottom = 99;
    g.computeSquareRatio(1.0);
    g.xMin = -8, g.xMax = 8, g.yMin = UNSET_BOUND, g.yMax = UNSET_BOUND;
    g.autoSquare();
    ASSERT_TRUE(writeGraphFile(*doc_, (dir_ / "sq.gr").string(), FILE_DOCUMENT_WITH_SETTINGS));
    const std::string text = slurp((dir_ / "sq.gr").string());
    EXPECT_NE(text.find("top=auto\nbottom=auto\n"), std::string::npos) << text;

    GraphDoc* other = createFromSetup();
    GridSetup& h = other->grid;
    h.areaLeft = 0, h.areaRight = 99, h.areaTop = 0, h.areaBottom = 299;
    h.computeSquareRatio(1.0);
    ASSERT_GE(readGraphFile(*other, (dir_ / "sq.gr").string(), READ_NORMAL), 0);
    ASSERT_TRUE(other->pending & PENDING_AUTOSCALE);
    h.autoSquare();
    EXPECT_DOUBLE_EQ(h.yMax, 24);
    EXPECT_DOUBLE_EQ(h.yMin, -24);
    freeDocument(other);

    // Off-centre square: top as a number, bottom automatic; not square: both numbers.
    g.yMin = -2, g.yMax = 6;
    std::string t = graphFileText(*doc_, FILE_DOCUMENT_WITH_SETTINGS);
    EXPECT_NE(t.find("top=6\nbottom=auto\n"), std::string::npos) << t;
    g.yMax = 7;
    t = graphFileText(*doc_, FILE_DOCUMENT_WITH_SETTINGS);
    EXPECT_NE(t.find("top=7\nbottom=-2\n"), std::string::npos) << t;
    // AutoSquare off: a centred square grid keeps top as a number.
    programOptions().autosquare = false;
    g.yMin = -4, g.yMax = 4;
    t = graphFileText(*doc_, FILE_DOCUMENT_WITH_SETTINGS);
    EXPECT_NE(t.find("top=4\nbottom=auto\n"), std::string::npos) << t;
    // Logarithmic paper writes both bounds.
    g.paperFlags = static_cast<std::uint16_t>((g.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y);
    t = graphFileText(*doc_, FILE_DOCUMENT_WITH_SETTINGS);
    EXPECT_NE(t.find("top=4\nbottom=-4\n"), std::string::npos) << t;
}

TEST_F(GraphFileTest, EquationsOpenNewestLastAndSaveReversed)
{
    EXPECT_EQ(read("[equations]\ny=x\n\n  \ny=2x   \ny=3x\n"), 3);
    EXPECT_EQ(queue(), (std::vector<std::string>{"y=3x", "y=2x", "y=x"}));
    ASSERT_TRUE(writeGraphFile(*doc_, (dir_ / "eq.gr").string(), FILE_PLAIN_DOCUMENT));
    EXPECT_EQ(slurp((dir_ / "eq.gr").string()), "[labels]\nxaxis=x\nyaxis=y\n\n[equations]\ny=3x\ny=2x\ny=x\n");
}

TEST_F(GraphFileTest, EverythingAfterTheEquationsHeaderIsAnEquation)
{
    // Lines that fail count, show their message and are skipped.
    EXPECT_EQ(read("[equations]\n[labels]\ntitle=x\ny=x\n"), 3);
    EXPECT_EQ(queue(), (std::vector<std::string>{"y=x"}));
    EXPECT_EQ(doc_->title, "");
    int boxes = 0;
    for (const ShownMessage& m : ui_.ui.shown)
        boxes += m.kind == ShownMessage::MessageBox;
    EXPECT_EQ(boxes, 2);
}

TEST_F(GraphFileTest, ColoursByNameAndByGraphNumber)
{
    read("[colors]\nback=9\ngraph0=15\ngraph6=11\ngraph7=3\ngraph-5=13\ngraph-6=2\ngraphx=4\nbogus=1\n");
    const auto& s = programOptions().colourScheme;
    EXPECT_EQ(s[0], 9);
    EXPECT_EQ(s[6], 15);
    EXPECT_EQ(s[12], 11);
    EXPECT_EQ(s[1], 13);  // graph-5 is the border
    EXPECT_EQ(s[2], 12);  // untouched
    // A custom scheme is written in full to the setup file.
    const std::string t = graphFileText(*doc_, FILE_SETUP);
    EXPECT_NE(t.find("\n[colors]\nback=9\nborder=13\naxes=12\ngrid=3\nlegend=7\nannote=7\ngraph0=15\ngraph1=7\n"
                     "graph2=5\ngraph3=2\ngraph4=3\ngraph5=6\ngraph6=11\n"),
              std::string::npos)
        << t;
}

TEST_F(GraphFileTest, FontsKeepFaceNamesWithSpaces)
{
    read("[fonts]\nlegends=-16,0,0,0,700,1,0,0,0,3,2,1,18,Times New Roman\n"
         "titles=1,2,3,4,5,6,7,8,9,10,11,12,Arial\n"
         "leftlbl=-14,0,900,900,400,0,0,0,0,0,0,0,17,Courier New\n"
         "edit=18,10,0,0,400,0,0,0,0,0,0,0,17,A Very Long Face Name That Goes Past The Limit\n");
    const GridFont& legends = doc_->fonts[FONT_LEGENDS];
    EXPECT_EQ(legends.customized, 'y');
    EXPECT_EQ(legends.font.faceName, "Times New Roman");
    EXPECT_EQ(legends.font.weight, 700);
    EXPECT_EQ(legends.font.pitchAndFamily, 18);
    EXPECT_EQ(doc_->fonts[FONT_TITLES].customized, 'n');  // thirteen fields only
    EXPECT_EQ(doc_->fonts[FONT_LEFTLBL].font.escapement, 0);
    EXPECT_EQ(programOptions().windowFonts[0].customized, 'y');
    EXPECT_EQ(programOptions().windowFonts[0].font.faceName.size(), 31u);

    const std::string path = (dir_ / "fonts.gr").string();
    ASSERT_TRUE(writeGraphFile(*doc_, path, FILE_DOCUMENT_WITH_SETTINGS));
    const std::string text = slurp(path);
    EXPECT_NE(text.find("\n[fonts]\nlegends=-16,0,0,0,700,1,0,0,0,3,2,1,18,Times New Roman\n"
                        "leftlbl=-14,0,0,0,400,0,0,0,0,0,0,0,17,Courier New\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("edit="), std::string::npos);  // window fonts go to the setup file only
    GraphDoc* back = createFromSetup();
    ASSERT_GE(readGraphFile(*back, path, READ_NORMAL), 0);
    EXPECT_EQ(back->fonts[FONT_LEGENDS].font, legends.font);
    freeDocument(back);
    EXPECT_NE(graphFileText(*doc_, FILE_SETUP).find("\n[fonts]\nedit=18,10,0,0,400,0,0,0,0,0,0,0,17,"),
              std::string::npos);
}

TEST_F(GraphFileTest, AnnotationsHeaderClearsAndSlotsLimit)
{
    programOptions().maxannote = 2;
    read("[annotations]\nx0 = 1.5\ny0 = -2\ntext0 = first\nxq=3\nyz=4\ntextual=second\nx=5\ny=6\ntext=third\n");
    ASSERT_EQ(doc_->annotationCount, 2);
    EXPECT_EQ(doc_->annotations[0].x, 1.5);
    EXPECT_EQ(doc_->annotations[0].y, -2);
    EXPECT_EQ(doc_->annotations[0].text, "first");
    EXPECT_EQ(doc_->annotations[1].x, 3);
    EXPECT_EQ(doc_->annotations[1].text, "second");
    read("[annotations]\n");
    EXPECT_EQ(doc_->annotationCount, 0);
    read("[annotations]\nx0 = 1.23456\ny0 = 100000\ntext0 = here\n");
    EXPECT_NE(graphFileText(*doc_, FILE_PLAIN_DOCUMENT).find("[annotations]\nx0 = 1.235\ny0 = 1e+05\ntext0 = here\n"),
              std::string::npos);
}

TEST_F(GraphFileTest, SavedSetupResetsProgramScaleAndFineness)
{
    programOptions().fineness = 3;
    programOptions().defscale = "4";
    doc_->showLabels = true;
    doc_->pending = 0;
    read("[saved-setup]\n[options]\ndefscale=5\n");
    EXPECT_TRUE(doc_->savedSetup);
    EXPECT_EQ(programOptions().fineness, 1.0);
    EXPECT_EQ(programOptions().defscale, "5");
    EXPECT_TRUE(doc_->pending & PENDING_RELAYOUT);
}

TEST_F(GraphFileTest, ModesDecidePathAndModifiedFlag)
{
    doc_->modified = true;
    const std::string path = file("a.gr", "[labels]\ntitle=t\n");
    EXPECT_EQ(readGraphFile(*doc_, path, READ_NORMAL), 0);
    EXPECT_EQ(doc_->path, path);
    EXPECT_FALSE(doc_->modified);
    setPath(*doc_, "keep");
    EXPECT_EQ(readGraphFile(*doc_, path, READ_MERGE), 0);
    EXPECT_EQ(doc_->path, "keep");
    EXPECT_TRUE(doc_->modified);
    EXPECT_EQ(readGraphFile(*doc_, path, READ_QUIET), 0);
    EXPECT_EQ(doc_->path, "keep");
    EXPECT_FALSE(doc_->modified);
}

TEST_F(GraphFileTest, MergeAddsToTheQueueAndForgetsRangeSnapshotsOnlyWhenEquationsJoin)
{
    read("[equations]\ny=x\n");
    takeRangeSnapshot(*doc_);
    takeRangeSnapshot(*doc_);
    ASSERT_TRUE(canUndo());
    EXPECT_EQ(readGraphFile(*doc_, file("bad.gr", "[equations]\ny=\n"), READ_MERGE), 1);
    EXPECT_TRUE(canUndo());
    EXPECT_EQ(readGraphFile(*doc_, file("good.gr", "[equations]\ny=2x\n"), READ_MERGE), 1);
    EXPECT_FALSE(canUndo());
    EXPECT_EQ(queue(), (std::vector<std::string>{"y=2x", "y=x"}));
}

TEST_F(GraphFileTest, UnreadableFileLeavesTheDocumentAlone)
{
    doc_->title = "old";
    const std::string missing = (dir_ / "missing.gr").string();
    EXPECT_EQ(readGraphFile(*doc_, missing, READ_NORMAL), READ_FAILED);
    ASSERT_EQ(ui_.ui.shown.size(), 1u);
    EXPECT_EQ(ui_.ui.shown[0], (ShownMessage{ShownMessage::MessageBox, "Unable to open file " + missing + "--try again.", 0}));
    EXPECT_EQ(readGraphFile(*doc_, missing, READ_QUIET), READ_FAILED);
    EXPECT_EQ(readGraphFile(*doc_, dir_.string(), READ_QUIET), READ_FAILED);  // a folder
    EXPECT_EQ(ui_.ui.shown.size(), 1u);
    EXPECT_EQ(doc_->title, "old");
    EXPECT_EQ(doc_->path, UNTITLED);
}

TEST_F(GraphFileTest, WindowPositionIsAppliedAfterTheWholeFile)
{
    struct Host : GraphFileHost {
        void moveMainWindow(const SelectionRect& r) override
        {
            moved.push_back(r);
            titleAtMove = doc ? doc->title : "";
        }
        std::vector<SelectionRect> moved;
        GraphDoc* doc = nullptr;
        std::string titleAtMove;
    } host;
    host.doc = doc_;
    installGraphFileHost(&host);
    read("[options]\nwinpos=10,20,30,40\n[labels]\ntitle=later\n");
    read("[options]\nwinpos=1,2,3\n");
    read("[options]\nwinpos=5,6,5,8\n");  // empty: left equals right
    installGraphFileHost(nullptr);
    ASSERT_EQ(host.moved.size(), 1u);
    EXPECT_EQ(host.moved[0].left, 10);
    EXPECT_EQ(host.moved[0].bottom, 40);
    EXPECT_EQ(host.titleAtMove, "later");
    EXPECT_TRUE(doc_->grid.selection.empty());
}

TEST_F(GraphFileTest, LongLinesAreSplitAt250Characters)
{
    const std::string title(300, 'a');
    read("[labels]\ntitle=" + title + "\n");
    EXPECT_EQ(doc_->title, std::string(76, 'a'));
    // The remaining 56 characters form a header line of their own, which closes the section.
    read("[labels]\nleft=" + std::string(245, 'b') + "\nright=r\n");
    EXPECT_EQ(doc_->leftLabel, std::string(40, 'b'));
    EXPECT_EQ(doc_->rightLabel, "r");  // exactly 250 characters: no split
    read("[labels]\ntitle=" + std::string(250, 'c') + "\nright=s\n");
    EXPECT_EQ(doc_->rightLabel, "r");
}

TEST_F(GraphFileTest, HostileFilesOpenWithoutHarm)
{
    std::string garbage;
    for (int i = 0; i < 100000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    const std::string cases[] = {
        garbage,
        std::string(10 * 1024 * 1024, 'x'),
        "[grid]\nleft=1e999\nright=nan\ntop=--5\nbottom=1e-999\n",
        std::string("[labels]\ntitle=ab\0cd\n[equations]\ny=x\0junk\n", 40),
        "[fonts]\nlegends=,,,,,,,,,,,,,\nsymbols=99999999999,-99999999999,0,0,0,999,0,0,0,0,0,0,0,x\n[colors]\ngraph99999999999=1\n",
        "[options]\npaper=slog 1e999\nwinpos=2147483648,-2147483649,0,0\n",
        "[labels]\ntitle=trunc",
    };
    for (const std::string& c : cases) {
        freeDocument(doc_);
        doc_ = createFromSetup();
        EXPECT_GE(read(c), 0);
    }
    EXPECT_EQ(doc_->title, "trunc");
    freeDocument(doc_);
    doc_ = createFromSetup();
    read(cases[2]);
    EXPECT_EQ(doc_->grid.xMin, UNSET_BOUND);
    EXPECT_EQ(doc_->grid.yMin, 0);  // underflow is a number, zero
    freeDocument(doc_);
    doc_ = createFromSetup();
    EXPECT_EQ(read(cases[3]), 1);
    EXPECT_EQ(doc_->title, "ab");
    EXPECT_EQ(queue(), (std::vector<std::string>{"y=x"}));
}

TEST_F(GraphFileTest, WriteKindsInOrder)
{
    ProgramOptions& o = programOptions();
    o.autoredraw = false;
    o.maxeqs = 30;
    o.tables = 21;
    o.tableincr = 0.5;
    o.hogCPU = true;
    o.copygraphs = 1503;
    o.printOptions = 50;
    o.colourScheme = {7, 12, 12, 10, 0, 0, 4, 0, 5, 2, 3, 6, 1};
    o.colourChoice = 2;
    o.fineness = 2;
    GraphDoc& d = *doc_;
    d.title = "T";
    d.rightLabel = "R";
    d.showLabels = true;
    d.grid.xMin = -1;
    d.grid.xMax = 2;
    d.grid.yMin = 0.5;
    d.grid.yMax = 3.25;
    d.grid.paperFlags = static_cast<std::uint16_t>(PAPER_LOG_Y | PAPER_LOG_X | PAPER_GRID_LINES | PAPER_AXES | PAPER_BORDER);
    d.grid.logBase = 2.718281828;
    d.grid.legendFlags = LEGENDS_ON | LEGENDS_CUSTOM | LEGENDS_SCALE;
    d.grid.xLegendSpacing = 0.5;
    d.grid.yLegendSpacing = 2;
    d.grid.tstop = 3.14;
    d.margins = {500, 250, 500, 500};
    struct Host : GraphFileHost {
        SelectionRect mainWindowRect() const override { return {1, 2, 640, 480}; }
    } host;
    installGraphFileHost(&host);
    const std::string setup = graphFileText(d, FILE_SETUP);
    const std::string settings = graphFileText(d, FILE_DOCUMENT_WITH_SETTINGS);
    installGraphFileHost(nullptr);
    const std::string common = "\n[grid]\nleft=-1\nright=2\ntop=3.25\nbottom=0.5\n\n[options]\npaper=llog e\n"
                               "detail=grid\naxes=1040\nlegends=scale\nxlegspace=0.5\nylegspace=2\nfineness=2\n"
                               "tstop=3.14\n";
    EXPECT_EQ(setup, common +
                         "autoredraw=off\nmaxeqs=30\nautonum=25\ntables=on\ntableopts=20\ntableincr=0.5\ncolor=2\n"
                         "labels=on\nwinpos=1,2,640,480\nhogCPU=on\ncopygraphs=1\n\n[printing]\nmono=on\n"
                         "draft=on\nwidelines=off\neqlist=on\nlmargin=500\nrmargin=500\ntmargin=250\nbmargin=500\n");
    EXPECT_EQ(settings, "[saved-setup]\n[labels]\ntitle=T\nright=R\nxaxis=x\nyaxis=y\n" + common +
                            "labels=on\n\n[printing]\nlmargin=500\nrmargin=500\ntmargin=250\nbmargin=500\n");
}

TEST_F(GraphFileTest, WriteSetsFlagsAndReportsOnlyOnSuccess)
{
    const std::string path = (dir_ / "doc.gr").string();
    doc_->modified = true;
    setPath(*doc_, "C:\\graphs\\mine.gr");
    ASSERT_TRUE(writeGraphFile(*doc_, path, FILE_DOCUMENT_WITH_SETTINGS));
    EXPECT_TRUE(doc_->savedSetup);
    EXPECT_FALSE(doc_->modified);
    EXPECT_EQ(ui_.ui.shown.back(), (ShownMessage{ShownMessage::StatusLine, "Saved mine.gr.", 15}));
    doc_->modified = true;
    ASSERT_TRUE(writeGraphFile(*doc_, (dir_ / "quorplot.ini").string(), FILE_SETUP));
    EXPECT_FALSE(doc_->savedSetup);
    EXPECT_TRUE(doc_->modified);  // the setup file is not the document
    EXPECT_EQ(ui_.ui.shown.back().text, "Saved " + (dir_ / "quorplot.ini").string() + ".");

    // A destination that cannot be replaced: the old one stays, no temporary file is left behind.
    const fs::path blocker = dir_ / "blocked.gr";
    fs::create_directories(blocker / "inside");
    doc_->savedSetup = true;
    doc_->modified = true;
    ui_.ui.clear();
    EXPECT_FALSE(writeGraphFile(*doc_, blocker.string(), FILE_PLAIN_DOCUMENT));
    EXPECT_TRUE(doc_->savedSetup);
    EXPECT_TRUE(doc_->modified);
    ASSERT_EQ(ui_.ui.shown.size(), 1u);
    EXPECT_EQ(ui_.ui.shown[0].text, "Unable to write to file " + blocker.string() + "--try again.");
    EXPECT_TRUE(fs::is_directory(blocker / "inside"));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_))
        ++entries;
    EXPECT_EQ(entries, 3);  // doc.gr, quorplot.ini, blocked.gr
    // A folder that does not exist.
    EXPECT_FALSE(writeGraphFile(*doc_, (dir_ / "no" / "such.gr").string(), FILE_PLAIN_DOCUMENT));

    // Overwriting an existing file replaces it whole.
    std::ofstream(path) << std::string(5000, 'z');
    ASSERT_TRUE(writeGraphFile(*doc_, path, FILE_PLAIN_DOCUMENT));
    EXPECT_EQ(slurp(path), "[labels]\nxaxis=x\nyaxis=y\n");
}

TEST_F(GraphFileTest, RoundTripKeepsTheDocument)
{
    read("[saved-setup]\n[labels]\ntitle=Round trip\nleft=L\nxaxis=t\n[annotations]\nx0 = 1\ny0 = 2\ntext0 = a b\n"
         "\n[grid]\nleft=-3\nright=5\ntop=7\nbottom=-1\n\n[options]\npaper=slog 2\ndetail=dots\naxes=272\n"
         "legends=off\ntstart=1\nlabels=on\n\n[fonts]\nannotes=-12,0,0,0,400,0,0,0,0,0,0,0,34,Arial Narrow\n"
         "\n[printing]\nlmargin=100\n\n[equations]\ny=x\ny=x^2\n");
    const std::string first = graphFileText(*doc_, FILE_DOCUMENT_WITH_SETTINGS);
    const std::string path = (dir_ / "rt.gr").string();
    ASSERT_TRUE(writeGraphFile(*doc_, path, FILE_DOCUMENT_WITH_SETTINGS));
    GraphDoc* back = createFromSetup();
    EXPECT_EQ(readGraphFile(*back, path, READ_NORMAL), 2);
    std::string second = graphFileText(*back, FILE_DOCUMENT_WITH_SETTINGS);
    freeDocument(back);
    // The queue comes back reversed; everything else is the same text.
    const std::size_t eq = first.find("[equations]\n");
    ASSERT_NE(eq, std::string::npos);
    EXPECT_EQ(first.substr(0, eq), second.substr(0, eq));
    EXPECT_EQ(first.substr(eq), "[equations]\ny=x^2\ny=x\n");
    EXPECT_EQ(second.substr(eq), "[equations]\ny=x\ny=x^2\n");
}

TEST_F(GraphFileTest, SetupFilePathFromTheCommandLine)
{
    initFilePaths("C:\\Program Files\\Quorvex\\quorvex.exe", {"doc.gr"});
    EXPECT_EQ(programDirectory(), "C:\\Program Files\\Quorvex\\");
    EXPECT_EQ(setupFilePath(), "C:\\Program Files\\Quorvex\\quorplot.ini");
    initFilePaths("/opt/qv/quorvex", {"/i:first.ini", "/I:ignored.ini", "/i:second.ini"});
    EXPECT_EQ(programDirectory(), "/opt/qv/");
    EXPECT_EQ(fs::path(setupFilePath()), fs::absolute("second.ini"));
    EXPECT_TRUE(fs::path(setupFilePath()).is_absolute());
    initFilePaths("quorvex", {});
    EXPECT_EQ(programDirectory(), "");
    EXPECT_EQ(setupFilePath(), "quorplot.ini");
}

}  // namespace
}  // namespace qv
