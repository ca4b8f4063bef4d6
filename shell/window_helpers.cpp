// Small pieces the program's windows and dialogs share.
#include <windows.h>

#include "doc/graph_doc.h"
#include "shell.h"

namespace shell {

void centreOverMain(HWND dialog)
{
    RECT owner, own;
    GetWindowRect(g_shell.main, &owner);
    GetWindowRect(dialog, &own);
    const int x = owner.left + ((owner.right - owner.left) - (own.right - own.left)) / 2;
    const int y = owner.top + ((owner.bottom - owner.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LOGFONTA logFontOf(const qv::LogicalFont& f)
{
    LOGFONTA lf{};
    lf.lfHeight = f.height;
    lf.lfWidth = f.width;
    lf.lfEscapement = f.escapement;
    lf.lfOrientation = f.orientation;
    lf.lfWeight = f.weight;
    lf.lfItalic = f.italic;
    lf.lfUnderline = f.underline;
    lf.lfStrikeOut = f.strikeOut;
    lf.lfCharSet = f.charSet;
    lf.lfOutPrecision = f.outPrecision;
    lf.lfClipPrecision = f.clipPrecision;
    lf.lfQuality = f.quality;
    lf.lfPitchAndFamily = f.pitchAndFamily;
    lstrcpynA(lf.lfFaceName, f.faceName.c_str(), LF_FACESIZE);
    return lf;
}

HFONT createFontOf(const qv::LogicalFont& f)
{
    const LOGFONTA lf = logFontOf(f);
    return CreateFontIndirectA(&lf);
}

}  // namespace shell
