// A running Quorvex as the scenarios drive it: its windows, waiting for it to be idle, typing a line,
// leaving it, pictures of its graph window, and the files it reads and writes.
#pragma once
#include "driver.h"

#include <cstdint>
#include <string>

namespace e2e {

constexpr std::uint32_t QUORVEX_AXES = 0x800000;  // dark red axes and border of the Gray scheme

struct Session {
    Program* program = nullptr;
    HWND main = nullptr, bar = nullptr, field = nullptr, graph = nullptr, status = nullptr;
};

// Waits for the main window and finds the command bar, equation field, graph window and status bar.
bool attach(Session& s);
// Waits until no graph is being drawn (the equation field is enabled again).
void waitIdle(const Session& s);
// Types a line into the equation field, graphs it and waits until it is drawn.
void graph(const Session& s, const std::string& line);
// File > Exit, answering No to a save question; checks the exit code.
void exitProgram(Session& s, const std::string& what);
// The graph window as the screen shows it; repainted first unless what it shows would not survive a
// repaint.
Bitmap graphShot(const Session& s, bool repaint = true);
// Presses the left button in the graph window and moves the pointer for real to another point of its
// client area, the button still held (the program keeps the pointer inside the plotting area).
void dragInGraph(const Session& s, POINT from, POINT to);
// The border of the plotting area: the outermost columns and rows drawn in the axes' colour nearly
// all along.
RECT plotBorder(const Bitmap& shot);

bool writeFile(const std::string& path, const std::string& text);
// The file's text with its carriage returns left out.
std::string readFile(const std::string& path);

}  // namespace e2e
