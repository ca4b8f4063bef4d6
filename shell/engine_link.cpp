// The engine's interfaces on the program's windows: message boxes and the status line, the message
// pump of a drawing run, the equation list mirror on the combo box, the Printout list box, the graph
// window's repaints, the toolbar around drawing runs, and what reading a file asks of the windows.
#include <algorithm>

#include "analysis/printout.h"
#include "doc/graph_doc.h"
#include "doc/graph_file.h"
#include "platform/win32/gdi_surface.h"
#include "platform/win32/ui_win32.h"
#include "plot/graphing_driver.h"
#include "plot/point_list.h"
#include "dialogs.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

class ShellUserInterface final : public qv::UserInterface {
public:
    void messageBox(const std::string& text) override
    {
        base_.setOwner(g_shell.main);
        base_.messageBox(text);
    }
    void statusLine(const std::string& text, int category) override { setStatusText(text, category); }
    void beep() override { base_.beep(); }

    // Runs the windows between two points of a drawing: one message a call. The command bar's buttons
    // switch the drawing state, so the state returned is the program's, not the one passed in. A
    // pause waits for input instead of spinning. With noYield (hogCPU) the other programs get no
    // turn and only the command bar's messages are acted on, so that Pause and abort still work;
    // everything else is dropped.
    int pumpMessages(int /*state*/, bool noYield) override
    {
        using namespace qv::drawstate;
        // Repaints are never taken without yielding: dropped, they would come back at once.
        const UINT filter = noYield ? PM_NOYIELD | PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE : 0;
        if ((qv::drawState() & ~RepaintPending) == Paused)
            MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, noYield ? QS_ALLINPUT & ~QS_PAINT : QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | filter))
            return qv::drawState();
        if (msg.message == WM_QUIT) {
            // The loop of the program must still see it once the drawing has stopped.
            PostQuitMessage(static_cast<int>(msg.wParam));
            qv::drawState() = AbortRequested;
        } else if (g_shell.commandBar && IsDialogMessageA(g_shell.commandBar, &msg)) {
        } else if (!noYield) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return qv::drawState();
    }

private:
    qv::Win32UserInterface base_;
};

class ShellView final : public qv::DocumentView {
public:
    void listInsert(int index, const std::string& text) override
    {
        SendMessageA(g_shell.equationField, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void listRemove(int index) override { SendMessageA(g_shell.equationField, CB_DELETESTRING, index, 0); }
    void listClear() override
    {
        // Emptying the list empties the edit field too; the typed text stays.
        const std::string text = fieldText();
        SendMessageA(g_shell.equationField, CB_RESETCONTENT, 0, 0);
        SetWindowTextA(g_shell.equationField, text.c_str());
    }
    void printoutClear() override { qv::printoutReset(); }
    void repaintGraphArea(qv::GraphDoc&) override
    {
        if (g_shell.graph) {
            InvalidateRect(g_shell.graph, nullptr, FALSE);
            UpdateWindow(g_shell.graph);
        }
    }
    void postRedrawAfterRegrid(qv::GraphDoc&) override
    {
        if (g_shell.graph)
            PostMessageA(g_shell.graph, WM_COMMAND, CM_REDRAW_AFTER_REGRID, 0);
    }
    void relayoutMainWindow() override { layoutMainWindow(); }
    bool gridRangeDialog(qv::GridSetup& grid) override { return shell::gridRangeDialog(grid); }
    void closeIntegrateDialog() override
    {
        if (g_shell.integrateDialog)
            DestroyWindow(g_shell.integrateDialog);
    }
};

// Drawing runs as the shell sees them: the toolbar and buttons change, the focus comes back after.
class ShellDriver final : public qv::GraphingDriver {
public:
    void beginDrawing(qv::GraphDoc& doc) override
    {
        eraseSelection(doc);
        qv::graphingDriver().beginDrawing(doc);
        if (!qv::documentProgram().printing)
            toolbarBeginDrawing();
    }
    void graphEquation(qv::GraphDoc& doc, qv::Equation& eq) override { qv::graphingDriver().graphEquation(doc, eq); }
    bool aborted() const override { return qv::graphingDriver().aborted(); }
    void redrawToolRecords(qv::GraphDoc& doc) override { qv::graphingDriver().redrawToolRecords(doc); }
    void endDrawing(qv::GraphDoc& doc) override
    {
        const bool wasAborted = aborted();
        if (!qv::documentProgram().printing) {
            toolbarEndDrawing();
            const bool leftAlone = returnFocusToEquationField();
            if (leftAlone && !wasAborted)
                qv::userInterface().beep();
        }
        qv::graphingDriver().endDrawing(doc);
        if (g_shell.closeAfterDrawing && g_shell.main) {
            g_shell.closeAfterDrawing = false;
            PostMessageA(g_shell.main, WM_CLOSE, 0, 0);
        }
    }
};

class ListBoxPrintout final : public qv::PrintoutList {
public:
    int count() const override
    {
        return static_cast<int>(SendMessageA(g_shell.printout, LB_GETCOUNT, 0, 0));
    }
    std::string line(int index) const override
    {
        const LRESULT n = SendMessageA(g_shell.printout, LB_GETTEXTLEN, index, 0);
        if (n == LB_ERR)
            return {};
        std::string text(static_cast<std::size_t>(n) + 1, '\0');
        SendMessageA(g_shell.printout, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(n));
        return text;
    }
    int insert(int index, const std::string& text) override
    {
        const LRESULT r =
            SendMessageA(g_shell.printout, LB_INSERTSTRING, index < 0 ? -1 : index, reinterpret_cast<LPARAM>(text.c_str()));
        return r < 0 ? -1 : static_cast<int>(r);
    }
    void remove(int index) override { SendMessageA(g_shell.printout, LB_DELETESTRING, index, 0); }
    void clear() override { SendMessageA(g_shell.printout, LB_RESETCONTENT, 0, 0); }
    void select(int index) override { SendMessageA(g_shell.printout, LB_SETTOPINDEX, index, 0); }
};

class ShellFileHost final : public qv::GraphFileHost {
public:
    void fontRead(qv::GraphDoc*, int role) override
    {
        if (role < qv::WINDOW_FONT_COUNT)
            windowFontsChanged = true;
    }
    void moveMainWindow(const qv::SelectionRect& r) override
    {
        if (g_shell.main && r.right > r.left && r.bottom > r.top)
            MoveWindow(g_shell.main, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    qv::SelectionRect mainWindowRect() const override
    {
        RECT r{};
        if (g_shell.main) {
            WINDOWPLACEMENT placement{};
            placement.length = sizeof placement;
            GetWindowPlacement(g_shell.main, &placement);
            r = placement.rcNormalPosition;
        }
        return qv::SelectionRect{r.left, r.top, r.right, r.bottom};
    }
    void scrollbarsChanged(bool on) override { setScrollbars(on); }
    bool windowFontsChanged = false;
};

ShellUserInterface g_ui;
ShellView g_view;
ShellDriver g_driver;
ListBoxPrintout g_printoutList;
ShellFileHost g_fileHost;

}  // namespace

void installEngineLinks()
{
    qv::installUserInterface(&g_ui);
    qv::installGraphFileHost(&g_fileHost);
    qv::DocumentProgram& program = qv::documentProgram();
    program.view = &g_view;
    program.driver = &g_driver;
    qv::printout().list = &g_printoutList;
}

// Makes doc the current document: the list mirror shows its queue, the graph window adopts it, the
// title and check marks follow it. The previous document is freed.
void replaceDocument(qv::GraphDoc* doc)
{
    qv::DocumentProgram& program = qv::documentProgram();
    qv::GraphDoc* old = program.current;
    // The Integrate curve dialog shows the old document's curves.
    g_view.closeIntegrateDialog();
    g_view.listClear();
    qv::printoutReset();
    program.current = doc;
    int index = 0;
    for (qv::Equation* e = doc->queueHead; e; e = e->next)
        g_view.listInsert(index++, e->text);
    if (old && old != doc)
        qv::freeDocument(old);
    if (g_shell.graph)
        SendMessageA(g_shell.graph, WM_COMMAND, CM_ADOPT_DOCUMENT, reinterpret_cast<LPARAM>(doc));
    updateTitle();
    refreshCheckMarks();
}

}  // namespace shell
