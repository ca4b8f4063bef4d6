// Drives a real Windows program from outside, as a person at the keyboard would, and looks at what it
// shows: the end-to-end scenarios are small programs built on this.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// A checked expectation: failures are counted and printed; the scenario's exit code reports them.
void check(bool ok, const std::string& what);
int failures();
int finish();  // prints the summary line and returns the exit code of the scenario

class Program {
public:
    explicit Program(const std::string& commandLine, const std::string& workingDirectory = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD pid() const { return pid_; }
    // Waits for a visible top-level window of the program with this class (and title, when given).
    HWND waitForWindow(const std::string& className, const std::string& title = "", DWORD timeoutMs = 30000);
    // Waits for the program to end; returns its exit code, or -1 on time-out (the program is killed).
    int waitForExit(DWORD timeoutMs = 30000);
    bool running() const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

HWND findChild(HWND parent, const std::string& className, int id = -1);
HWND findChildById(HWND parent, int id);
std::string className(HWND window);
std::string text(HWND window);
void setText(HWND window, const std::string& text);
void click(HWND button);
void command(HWND window, int id);  // posts WM_COMMAND as a menu or accelerator would
void key(HWND window, WPARAM vk);   // posts a key press and release
// Waits until the window's text starts with the prefix; false on time-out.
bool waitForText(HWND window, const std::string& prefix, DWORD timeoutMs = 10000);
void settle(HWND window);           // repaints the window and lets it finish
void flush(HWND window);            // lets the window handle what it was sent, without repainting it
RECT clientRectOnScreen(HWND window);

struct Bitmap {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
    bool save(const std::string& path) const;  // 24-bit BMP
    // Counts pixels in the rectangle whose colour is exactly rgb.
    int count(uint32_t rgb, int left, int top, int right, int bottom) const;
};

// The client area of the window as the screen shows it (the window must not be covered).
Bitmap capture(HWND window);
// The whole window, frame, title and menu included.
Bitmap captureWindow(HWND window);

// Where scenario artefacts (screenshots) go: the folder given on the command line.
std::string artefact(const std::string& name);
void setArtefactDirectory(const std::string& dir);

void sleepMs(DWORD ms);

}  // namespace e2e
