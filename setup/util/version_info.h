// Version-resource vocabulary shared by the reader and its users: language and character-set
// codes, the fields read from a file, and the texts the fixed block's codes stand for.
#pragma once

#include <cstdint>
#include <string>

namespace fnwd {

enum TLanguage {
    lnArabic, lnBulgarian, lnCatalan, lnTraditionalChinese, lnCzech, lnDanish, lnGerman, lnGreek,
    lnUSEnglish, lnCastilianSpanish, lnFinnish, lnFrench, lnHebrew, lnHungarian, lnIcelandic,
    lnItalian, lnJapanese, lnKorean, lnDutch, lnNorwegianBokmal, lnPolish, lnBrazilianPortuguese,
    lnRhaetoRomanic, lnRomanian, lnRussian, lnCroatoSerbian, lnSlovak, lnAlbanian, lnSwedish,
    lnThai, lnTurkish, lnUrdu, lnBahasa,
    lnSimplifiedChinese, lnSwissGerman, lnUKEnglish, lnMexicanSpanish, lnBelgianFrench,
    lnSwissItalian, lnBelgianDutch, lnNorwegianNynorsk, lnPortuguese, lnSerboCroatian,
    lnCanadianFrench, lnSwissFrench
};

enum TCharacterSet {
    csASCII, csJapan, csKorea, csTaiwan, csUnicode, csLatin2, csCyrillic, csMultilingual, csGreek,
    csTurkish, csHebrew, csArabic
};

// Windows language id of a language (lnUSEnglish -> 1033).
uint16_t LanguageId(TLanguage language);
// Code page of a character set (csMultilingual -> 1252).
uint16_t CodePage(TCharacterSet charset);

// "\StringFileInfo\" + language id and code page as four upper-case hex digits each + "\".
std::string StringTablePath(uint16_t language_id, uint16_t code_page);

struct TVersionInfo {
    std::string Comment;
    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyright;
    std::string LegalTradeMarks;
    std::string OriginalFileName;
    std::string PrivateBuild;
    std::string ProductName;
    std::string ProductVersion;
    std::string SpecialBuild;
    std::string FileOS;
    std::string FileType;
    std::string FileSubType;

    void Clear() { *this = TVersionInfo(); }
};

// Values of the fixed block that name the file's kind.
inline constexpr uint32_t kFileTypeDriver = 3;
inline constexpr uint32_t kFileTypeFont = 4;

// The four 16-bit parts of a version (most significant double word first) joined by ".".
std::string VersionNumberText(uint32_t most_significant, uint32_t least_significant);
std::string FileOSText(uint32_t os_code);
std::string FileTypeText(uint32_t type_code);
// Only drivers and fonts have named subtypes; for other file types the text is empty.
std::string FileSubTypeText(uint32_t type_code, uint32_t subtype_code);

}  // namespace fnwd
