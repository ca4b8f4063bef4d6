#include "config_enums.h"

namespace fnwd {

int EnumInfo::ValueOf(const std::string& name) const {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    return -1;
}

std::string EnumInfo::NameOf(int value) const {
    if (value < 0 || static_cast<size_t>(value) >= names.size()) return std::to_string(value);
    return names[static_cast<size_t>(value)];
}

const EnumInfo kInstallTypeInfo{"TInstallType", {"itFull", "itDefault", "itCompact", "itAlways", "itCustom"}};
const EnumInfo kInstallFileTypeInfo{
    "TInstallFileType",
    {"iftNormal", "iftJustADLL", "iftApplicationSpecificDLL", "iftVendorSharedDLL", "iftSystemWideDLL"}};
const EnumInfo kInstallFileStateInfo{"TInstallFileState", {"ifsNone", "ifsCompress", "ifsInstall", "ifsCopying"}};
const EnumInfo kDistributeTypeInfo{"TDistributeType", {"dtTraditional", "dtWeb", "dtTraditionalNet"}};
const EnumInfo kManagerTypeInfo{"TManagerType",
                                {"dmBeforeInstall", "dmAfterGoodInstall", "dmAfterBadInstall", "dmDuringCopyFiles",
                                 "dmChangeDisk", "dmReboot"}};
const EnumInfo kDialogPositionInfo{"TTarnwickDialogPosition",
                                   {"tdpCenterLeft", "tdpCenter", "tdpCenterRight", "tdpBottomLeft",
                                    "tdpBottomCenter", "tdpBottomRight", "tdpTopLeft", "tdpTopCenter",
                                    "tdpTopRight"}};
const EnumInfo kMethodTypeInfo{"TMethodType", {"mtAutoDetect", "mtShellLinkInterface", "mtProgramManager"}};
const EnumInfo kInternetProtocolInfo{"TInternetProtocol", {"ipFTP", "ipHTTP"}};
const EnumInfo kTrnwLanguageInfo{"TTrnwLanguage",
                                 {"tlChineseSimplified", "tlCzech", "tlDanish", "tlEnglish", "tlFrench", "tlGerman",
                                  "tlGreek", "tlHebrew", "tlItalian", "tlJapanese", "tlKorean", "tlPolish",
                                  "tlPortugese", "tlRussian", "tlSpanish", "tlUser", "tlVietnamese"}};
const EnumInfo kOverwriteTypeInfo{"TOverwriteType", {"owAlways", "owNever", "owVersion", "owDate", "owVersionDate"}};
const EnumInfo kLzhCommandInfo{"TlzhCommand", {"lzcOverwrite", "lzcOnlyAdd"}};
const EnumInfo kPositionInfo{"TPosition",
                             {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter"}};
const EnumInfo kAlignInfo{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
const EnumInfo kAlignmentInfo{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
const EnumInfo kBackdropDirectionInfo{
    "TBackdropDirection", {"bdUp", "bdDown", "bdLeft", "bdRight", "bdHorzIn", "bdHorzOut", "bdVertIn", "bdVertOut"}};
const EnumInfo kColorInfo{"TColor",
                          {"clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal", "clGray",
                           "clSilver", "clRed", "clLime", "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite",
                           "clWindowText", "clBtnFace", "clWindow"}};
const EnumInfo kFontStyleInfo{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};

const std::vector<std::pair<TTrnwLanguage, std::string>> kTranslatorLanguages = {
    {tlChineseSimplified, "ChineseSimplified"}, {tlCzech, "Czech"},     {tlDanish, "Danish"},
    {tlEnglish, "English"},                     {tlFrench, "French"},   {tlGerman, "German"},
    {tlGreek, "Greek"},                         {tlHebrew, "Hebrew"},   {tlItalian, "Italian"},
    {tlJapanese, "Japanese"},                   {tlKorean, "Korean"},   {tlPolish, "Polish"},
    {tlPortugese, "Portugese"},                 {tlRussian, "Russian"}, {tlSpanish, "Spanish"},
    {tlVietnamese, "Vietnamese"},
};

}  // namespace fnwd
