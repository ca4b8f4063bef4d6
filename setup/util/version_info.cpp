#include "version_info.h"

#include <cstdio>

namespace fnwd {

namespace {
// Languages after lnBahasa do not follow on from the consecutive block 1025..1057.
constexpr uint16_t kFirstConsecutiveLanguage = 1025;
constexpr uint16_t kLaterLanguages[] = {2052, 2055, 2057, 2058, 2060, 2064,
                                        2067, 2068, 2070, 2074, 3084, 4108};
constexpr uint16_t kCodePages[] = {0, 932, 949, 950, 1200, 1250, 1251, 1252, 1253, 1254, 1255, 1256};
}  // namespace

uint16_t LanguageId(TLanguage language) {
    if (language <= lnBahasa) return static_cast<uint16_t>(kFirstConsecutiveLanguage + language);
    return kLaterLanguages[language - lnSimplifiedChinese];
}

uint16_t CodePage(TCharacterSet charset) { return kCodePages[charset]; }

std::string StringTablePath(uint16_t language_id, uint16_t code_page) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "\\StringFileInfo\\%04X%04X\\", language_id, code_page);
    return buf;
}

std::string VersionNumberText(uint32_t ms, uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
           std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
}

std::string FileOSText(uint32_t os) {
    switch (os) {
    case 0x1: return "Windows 3.0 or later";
    case 0x2: return "16 bit OS/2 Presentation Manager";
    case 0x3: return "32 bit OS/2 Presentation Manager";
    case 0x4: return "32 bit Windows";
    case 0x10000: return "MS-Dos";
    case 0x10001: return "Windows 3.0 or later with MS-Dos";
    case 0x10004: return "32 bit Windows with MS-Dos";
    case 0x20000: return "16 bit OS/2";
    case 0x20002: return "16 bit OS/2 with Presentation Manager";
    case 0x30000: return "32 bit OS/2";
    case 0x30003: return "32 bit OS/2 with Presentation Manager";
    case 0x40000: return "Windows NT";
    case 0x40004: return "Windows NT with 32 bit Windows";
    default: return "Unknown";
    }
}

std::string FileTypeText(uint32_t type) {
    switch (type) {
    case 1: return "Application";
    case 2: return "Dynamic-Link Library";
    case 3: return "Device Driver";
    case 4: return "Font";
    case 5: return "Virtual Device Driver";
    case 7: return "Static-Link Library";
    default: return "Unknown";
    }
}

std::string FileSubTypeText(uint32_t type, uint32_t subtype) {
    if (type == kFileTypeDriver) {
        static const char* const names[] = {"Printer", "Keyboard",    "Language", "Display",
                                            "Mouse",   "Network",     "System",   "Installable",
                                            "Sound",   "Communications"};
        if (subtype >= 1 && subtype <= 10) return names[subtype - 1];
        return "Unknown";
    }
    if (type == kFileTypeFont) {
        static const char* const names[] = {"Raster", "Vector", "TrueType"};
        if (subtype >= 1 && subtype <= 3) return names[subtype - 1];
        return "Unknown";
    }
    return {};
}

}  // namespace fnwd
