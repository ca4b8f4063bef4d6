#include "driver.h"

#include <cstdio>

namespace e2e {

namespace {

int g_failures = 0;
int g_checks = 0;
std::string g_artefacts = ".";

struct WindowSearch {
    DWORD pid;
    std::string className;
    std::string title;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window))
        return TRUE;
    if (className(window) != search->className)
        return TRUE;
    if (!search->title.empty() && text(window) != search->title)
        return TRUE;
    search->found = window;
    return FALSE;
}

struct ChildSearch {
    std::string className;
    int id;
    HWND found;
};

BOOL CALLBACK findChildProc(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (search->id >= 0 && GetDlgCtrlID(window) != search->id)
        return TRUE;
    if (!search->className.empty() && _stricmp(className(window).c_str(), search->className.c_str()) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

void check(bool ok, const std::string& what)
{
    ++g_checks;
    if (!ok) {
        ++g_failures;
        std::printf("FAILED: %s\n", what.c_str());
    } else {
        std::printf("ok: %s\n", what.c_str());
    }
    std::fflush(stdout);
}

int failures() { return g_failures; }

int finish()
{
    std::printf("%d passed, %d failed\n", g_checks - g_failures, g_failures);
    return g_failures == 0 ? 0 : 1;
}

void sleepMs(DWORD ms) { Sleep(ms); }

Program::Program(const std::string& commandLine, const std::string& workingDirectory)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;
    if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &si, &pi)) {
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        pid_ = pi.dwProcessId;
    }
}

Program::~Program()
{
    if (process_) {
        if (running())
            TerminateProcess(process_, 99);
        CloseHandle(process_);
    }
}

bool Program::running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND Program::waitForWindow(const std::string& cls, const std::string& title, DWORD timeoutMs)
{
    // WaitForInputIdle returns long before the window exists under Wine: poll instead.
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs && running()) {
        WindowSearch search{pid_, cls, title, nullptr};
        EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(50);
    }
    return nullptr;
}

int Program::waitForExit(DWORD timeoutMs)
{
    if (!process_)
        return -1;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 99);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

HWND findChild(HWND parent, const std::string& cls, int id)
{
    if (!parent)
        return nullptr;
    ChildSearch search{cls, id, nullptr};
    EnumChildWindows(parent, findChildProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findChildById(HWND parent, int id) { return findChild(parent, "", id); }

std::string className(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string text(HWND window)
{
    if (!window)
        return "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::string buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                        5000, &copied);
    buffer.resize(copied);
    return buffer;
}

void setText(HWND window, const std::string& value)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &result);
}

void click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void command(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void key(HWND window, WPARAM vk)
{
    PostMessageA(window, WM_KEYDOWN, vk, 1);
    PostMessageA(window, WM_KEYUP, vk, 0xC0000001);
}

bool waitForText(HWND window, const std::string& prefix, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (text(window).rfind(prefix, 0) == 0)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
}

void settle(HWND window)
{
    RedrawWindow(GetAncestor(window, GA_ROOT), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    flush(window);
}

void flush(HWND window)
{
    HWND top = GetAncestor(window, GA_ROOT);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    Sleep(100);
    SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

RECT clientRectOnScreen(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

namespace {

Bitmap captureFrom(HWND window, bool wholeWindow)
{
    Bitmap bitmap;
    RECT r{};
    if (wholeWindow) {
        GetWindowRect(window, &r);
        OffsetRect(&r, -r.left, -r.top);
    } else {
        GetClientRect(window, &r);
    }
    bitmap.width = r.right;
    bitmap.height = r.bottom;
    if (bitmap.width <= 0 || bitmap.height <= 0)
        return bitmap;
    HDC source = wholeWindow ? GetWindowDC(window) : GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bitmap.width;
    info.bmiHeader.biHeight = -bitmap.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, bitmap.width, bitmap.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    bitmap.pixels.assign(p, p + size_t(bitmap.width) * bitmap.height);
    for (auto& px : bitmap.pixels)
        px &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return bitmap;
}

}  // namespace

Bitmap capture(HWND window) { return captureFrom(window, false); }

Bitmap captureWindow(HWND window) { return captureFrom(window, true); }

bool Bitmap::save(const std::string& path) const
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const int rowBytes = (width * 3 + 3) & ~3;
    const uint32_t dataSize = uint32_t(rowBytes) * height;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + dataSize;
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = dataSize;
    bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1;
    std::vector<unsigned char> row(rowBytes, 0);
    for (int y = height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            uint32_t px = at(x, y);
            row[x * 3] = px & 0xFF;
            row[x * 3 + 1] = (px >> 8) & 0xFF;
            row[x * 3 + 2] = (px >> 16) & 0xFF;
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return std::fclose(f) == 0 && ok;
}

int Bitmap::count(uint32_t rgb, int left, int top, int right, int bottom) const
{
    int n = 0;
    for (int y = top; y < bottom && y < height; ++y)
        for (int x = left; x < right && x < width; ++x)
            if (at(x, y) == rgb)
                ++n;
    return n;
}

void setArtefactDirectory(const std::string& dir)
{
    g_artefacts = dir;
    CreateDirectoryA(dir.c_str(), nullptr);
}

std::string artefact(const std::string& name) { return g_artefacts + "\\" + name; }

}  // namespace e2e
