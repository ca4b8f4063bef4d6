// The test bench of the plotters: a document on a 640 x 480 recording surface, a user interface that
// records what is shown and can press pause and abort at chosen points, and checks of where curves lie.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/printout.h"
#include "doc/equation_line.h"
#include "expr/functions.h"
#include "platform/record/recording_surface.h"
#include "platform/record/recording_ui.h"
#include "plot/cartesian.h"
#include "plot/colours.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace qv {
namespace testing_bench {

constexpr Colour kBackground = 0x123456;

// The user's hand on the pause and abort buttons: a pump that changes the drawing state at chosen calls.
class ScriptedPump final : public UserInterface {
public:
    void messageBox(const std::string& text) override { shown.push_back({ShownMessage::MessageBox, text, 0}); }
    void statusLine(const std::string& text, int category) override
    {
        shown.push_back({ShownMessage::StatusLine, text, category});
    }
    void beep() override {}
    int pumpMessages(int state, bool) override
    {
        ++calls;
        return script ? script(calls, state) : state;
    }
    std::function<int(int call, int state)> script;
    int calls = 0;
    std::vector<ShownMessage> shown;
    bool showed(const std::string& prefix, int category) const
    {
        for (const ShownMessage& m : shown)
            if (m.text.rfind(prefix, 0) == 0 && m.category == category)
                return true;
        return false;
    }
};


struct Segment {
    DevicePoint a, b;
};

class GraphingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetVariables();
        savedOptions_ = programOptions();
        programOptions() = ProgramOptions{};
        programOptions().colourScheme = BUILTIN_SCHEMES[SCHEME_GRAY];
        DocumentProgram& p = documentProgram();
        p.pixelAspect = 1.0;
        p.smallScreen = true;
        p.colourCounter = 0;
        p.printing = false;
        curveOutput() = CurveOutput{};
        setScreenSymbolSize(640, 1.0);
        surface = std::make_unique<RecordingSurface>(640, 480, kBackground);
        curveOutput().surface = surface.get();
        doc = createDocument();
        p.current = doc;
        p.driver = &graphingDriver();
        installUserInterface(&ui);
        layout(-8, 8);
    }
    void TearDown() override
    {
        DocumentProgram& p = documentProgram();
        p.current = nullptr;
        p.driver = nullptr;
        freeDocument(doc);
        installUserInterface(nullptr);
        printout().list = nullptr;
        printout().table = TableState{};
        programOptions() = savedOptions_;
        curveOutput() = CurveOutput{};
        registerPlotter(GraphKind::Cartesian, plotCartesian);
    }

    void layout(double xMin, double xMax, double yMin = UNSET_BOUND, double yMax = UNSET_BOUND)
    {
        GridSetup& g = doc->grid;
        g.xMin = xMin;
        g.xMax = xMax;
        g.yMin = yMin;
        g.yMax = yMax;
        g.layoutGraphArea(640, 480, labelSpaceOf(*doc), true);
        g.computeSquareRatio(1.0);
        g.autoSquare();
        g.normaliseRanges();
        updateLabelDecimals(g);
    }

    Equation* add(const std::string& line)
    {
        const GridSetup& g = doc->grid;
        EXPECT_EQ(addLine(*doc, line, GridRanges{g.xMin, g.xMax, g.yMin, g.yMax}), 0) << line;
        return doc->queueHead;
    }
    Equation* draw(const std::string& line)
    {
        Equation* e = add(line);
        redrawNewest(*doc, 1);
        return e;
    }

    static std::vector<DevicePoint> entries(const Equation& e)
    {
        std::vector<DevicePoint> out;
        LockedPointList stored(e.points);
        if (stored.valid())
            for (int i = 0; i < stored.list.count(); ++i)
                out.push_back(stored.list.entry(std::size_t(i)));
        return out;
    }
    // Consecutive plain points of one run: the segments the curve is drawn with.
    static std::vector<Segment> segments(const Equation& e)
    {
        std::vector<Segment> out;
        std::vector<DevicePoint> list = entries(e);
        for (std::size_t i = 1; i < list.size(); ++i)
            if (!isMarker(list[i - 1]) && !isMarker(list[i]))
                out.push_back({list[i - 1], list[i]});
        return out;
    }
    static int runs(const Equation& e)
    {
        int n = 0;
        bool inRun = false;
        for (DevicePoint p : entries(e)) {
            if (!isMarker(p) && !inRun)
                ++n;
            inRun = !isMarker(p);
        }
        return n;
    }

    // True when a pixel of the colour lies within one pixel of the device point.
    bool colouredNear(DevicePoint p, Colour c, int reach = 1) const
    {
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                int x = p.x + dx, y = p.y + dy;
                if (x >= 0 && y >= 0 && x < surface->width() && y < surface->height() && surface->pixel(x, y) == c)
                    return true;
            }
        return false;
    }

    // Checks that the curve of colour k passes through the true points of f over the visible range.
    void expectCurveFollows(const std::function<double(double)>& f, int k, double from, double to)
    {
        const GridSetup& g = doc->grid;
        int checked = 0;
        for (double x = from; x <= to; x += (to - from) / 50) {
            double y = f(x);
            if (!std::isfinite(y) || y < g.yMin + 0.1 || y > g.yMax - 0.1)
                continue;
            // Steep parts are sampled along y instead, where one pixel of x is many of y.
            DevicePoint p = g.worldToDevice(x, y);
            if (p.x <= g.areaLeft + 1 || p.x >= g.areaRight - 1)
                continue;
            EXPECT_TRUE(colouredNear(p, graphColour(k), 2)) << "x=" << x << " y=" << y;
            ++checked;
        }
        EXPECT_GT(checked, 5);
    }

    std::unique_ptr<RecordingSurface> surface;
    GraphDoc* doc = nullptr;
    ScriptedPump ui;

private:
    ProgramOptions savedOptions_;
};

}  // namespace testing_bench
}  // namespace qv
