// Enumerations of the install configuration and the names their values carry in a configuration
// description and in the dump.
#pragma once

#include "setup/archive/overwrite.h"
#include "setup/archive/trnw_compress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fnwd {

enum TInstallType { itFull, itDefault, itCompact, itAlways, itCustom };
// One byte: bit n stands for the TInstallType of value n.
using TInstallTypeSet = uint8_t;
constexpr TInstallTypeSet InstallTypeBit(TInstallType t) { return static_cast<TInstallTypeSet>(1u << t); }
constexpr TInstallTypeSet kAllInstallTypes = 0x1F;

enum TInstallFileType { iftNormal, iftJustADLL, iftApplicationSpecificDLL, iftVendorSharedDLL, iftSystemWideDLL };
enum TInstallFileState { ifsNone, ifsCompress, ifsInstall, ifsCopying };
enum TDistributeType { dtTraditional, dtWeb, dtTraditionalNet };
enum TManagerType { dmBeforeInstall, dmAfterGoodInstall, dmAfterBadInstall, dmDuringCopyFiles, dmChangeDisk, dmReboot };
enum TTarnwickDialogPosition {
    tdpCenterLeft, tdpCenter, tdpCenterRight, tdpBottomLeft, tdpBottomCenter, tdpBottomRight,
    tdpTopLeft, tdpTopCenter, tdpTopRight
};
enum TMethodType { mtAutoDetect, mtShellLinkInterface, mtProgramManager };
enum TInternetProtocol { ipFTP, ipHTTP };
enum TTrnwLanguage {
    tlChineseSimplified, tlCzech, tlDanish, tlEnglish, tlFrench, tlGerman, tlGreek, tlHebrew, tlItalian,
    tlJapanese, tlKorean, tlPolish, tlPortugese, tlRussian, tlSpanish, tlUser, tlVietnamese
};

// Visual settings of the form and its backdrop.
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBackdropDirection { bdUp, bdDown, bdLeft, bdRight, bdHorzIn, bdHorzOut, bdVertIn, bdVertOut };
enum TColorName {
    clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray, clSilver, clRed, clLime,
    clYellow, clBlue, clFuchsia, clAqua, clWhite, clWindowText, clBtnFace, clWindow
};
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// The names of an enumeration's values in declaration order.
struct EnumInfo {
    const char* type_name;
    std::vector<std::string> names;

    // -1 when the name is not one of the values (compared exactly, as written in code).
    int ValueOf(const std::string& name) const;
    std::string NameOf(int value) const;
};

extern const EnumInfo kInstallTypeInfo;
extern const EnumInfo kInstallFileTypeInfo;
extern const EnumInfo kInstallFileStateInfo;
extern const EnumInfo kDistributeTypeInfo;
extern const EnumInfo kManagerTypeInfo;
extern const EnumInfo kDialogPositionInfo;
extern const EnumInfo kMethodTypeInfo;
extern const EnumInfo kInternetProtocolInfo;
extern const EnumInfo kTrnwLanguageInfo;
extern const EnumInfo kOverwriteTypeInfo;
extern const EnumInfo kLzhCommandInfo;
extern const EnumInfo kPositionInfo;
extern const EnumInfo kAlignInfo;
extern const EnumInfo kAlignmentInfo;
extern const EnumInfo kBackdropDirectionInfo;
extern const EnumInfo kColorInfo;
extern const EnumInfo kFontStyleInfo;

// The sixteen languages of the translator in the order of its published properties, with the
// names used in its property names ("lgEnglish") and in language files ("trniEnglish.txt").
extern const std::vector<std::pair<TTrnwLanguage, std::string>> kTranslatorLanguages;

}  // namespace fnwd
