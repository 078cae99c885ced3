// The windows of the program as data: the main window (102), the About box (100),
// the help window (130) and the quick conversion dialog (133), plus the strings.
// Positions are x, y, width, height in dialog units; template order is tab order.
#include "res/resources.h"

#include <array>

#include "res/help_text.h"

namespace quelvane::res {
namespace {

using enum ControlKind;

constexpr int kDialogFontPoints = 8;

constexpr std::uint32_t kListBoxStyle = kVScroll | kBorder | kNotify | kNoIntegralHeight | kTabStop;
constexpr std::uint32_t kLineEditStyle = kAutoHScroll | kBorder | kTabStop;

constexpr std::array kMainWindowControls = std::to_array<DialogControl>({
    {kIdOk, kPushButton, "&Quitter", 357, 7, 50, 14, kDefault | kTabStop},
    {kIdcSelectFiles, kPushButton, "Fichiers à traiter", 7, 24, 64, 14, kTabStop},
    {kIdcFileList, kListBox, "", 86, 24, 261, 56, kListBoxStyle},
    {kIdcQuickConvert, kPushButton, "Sico <-> Isin", 357, 24, 50, 14, kTabStop},
    {kIdcHelp, kPushButton, "&Aide", 357, 41, 50, 14, kTabStop},
    {kIdcAbout, kPushButton, "A &propos...", 357, 58, 50, 14, kTabStop},
    {kIdcSourceTab, kAutoRadioButton, "Tabulation", 11, 96, 49, 10, kGroup},
    {kIdcSourceOther, kAutoRadioButton, "Autre :", 11, 108, 37, 10, kGroup},
    {kIdcSourceText, kEdit, "", 50, 107, 43, 12, kLineEditStyle},
    {kIdcSicovamToIsin, kAutoRadioButton, "SICOVAM ==> ISIN", 164, 96, 78, 10, kGroup},
    {kIdcIsinToSicovam, kAutoRadioButton, "ISIN ==> SICOVAM", 164, 108, 78, 10, kGroup},
    {kIdcDestinationTab, kAutoRadioButton, "Tabulation", 321, 96, 49, 10, kGroup},
    {kIdcDestinationOther, kAutoRadioButton, "Autre :", 321, 108, 37, 10, kGroup},
    {kIdcDestinationText, kEdit, "", 359, 107, 43, 12, kLineEditStyle},
    {kIdcProcessFiles, kPushButton, "Traiter les fichiers", 7, 158, 400, 19, kTabStop},
    {kIdStatic, kGroupBox, "Sens de conversion", 140, 84, 128, 64, 0},
    {kIdStatic, kStatic, "Utilitaire de conversion de codes SICOVAM <-> ISIN", 111, 9, 166, 8,
     kGroup},
    {kIdcStatusLine1, kStatic, "Static", 14, 198, 388, 8, kCentered | kGroup},
    {kIdcStatusLine2, kStatic, "Static", 14, 210, 388, 8, kCentered | kGroup},
    {kIdcStatusLine3, kStatic, "Static", 14, 222, 388, 8, kCentered | kGroup},
    {kIdcStatusLine4, kStatic, "Static", 14, 234, 388, 8, kCentered | kGroup},
    {kIdStatic, kGroupBox, "Traitement en cours", 7, 187, 400, 60, 0},
    {kIdStatic, kGroupBox, "Séparateur Source", 8, 84, 88, 40, 0},
    {kIdStatic, kGroupBox, "Séparateur Destination", 317, 84, 88, 38, 0},
    // A log line can be wider than the list (a message naming a long path): it
    // scrolls sideways, so that every line can be read whole.
    {kIdcLog, kListBox, "", 7, 258, 400, 86, kListBoxStyle | kHScroll},
    {kIdcPrefix, kAutoCheckBox, "SICOVAM préfixé par 'X'", 149, 121, 92, 10, kTabStop},
    {kIdcKnownValuesOnly, kAutoCheckBox, "Traiter uniquement", 7, 42, 71, 10, kTabStop},
    {kIdStatic, kStatic, " les valeurs connues", 18, 51, 66, 8, kGroup},
    {kIdcLengthText, kEdit, "", 209, 134, 17, 12, kLineEditStyle},
    {kIdStatic, kStatic, "caractères", 228, 136, 34, 8, kGroup},
    {kIdcFixedLength, kAutoCheckBox, "SICOVAM sur", 149, 136, 56, 10, kTabStop},
    {kIdcSkipIgnored, kAutoCheckBox, "Ne pas recopier les", 7, 60, 77, 10, kTabStop},
    {kIdStatic, kStatic, "valeurs ignorées", 20, 71, 52, 8, kGroup},
    {kIdcExtensionNew, kAutoRadioButton, ".new", 322, 133, 31, 10, 0},
    {kIdcExtensionNewTxt, kAutoRadioButton, ".new.txt", 322, 145, 41, 10, 0},
    {kIdStatic, kGroupBox, "Extension fichiers créés", 318, 123, 88, 34, 0},
});

constexpr std::array kAboutControls = std::to_array<DialogControl>({
    {kIdStatic, kStatic, kAboutVersionLine, 10, 10, 155, 8, kNoPrefix},
    {kIdStatic, kStatic, kPublisherLine, 10, 25, 147, 8, 0},
    {kIdOk, kPushButton, "OK", 180, 7, 50, 14, kDefault | kTabStop | kGroup},
    {kIdStatic, kStatic, kDocumentationLine, 10, 40, 160, 8, 0},
});

constexpr std::array kHelpControls = std::to_array<DialogControl>({
    {kIdOk, kPushButton, "&Fermer", 158, 277, 50, 14, kDefault | kTabStop},
    {kIdcHelpText, kEdit, "", 7, 7, 355, 262, kMultiLine | kBorder | kVScroll | kTabStop},
});

constexpr std::array kQuickConvertControls = std::to_array<DialogControl>({
    {kIdCancel, kPushButton, "&Fermer", 167, 7, 50, 14, kTabStop},
    {kIdStatic, kStatic, "Saisissez un code ci-dessous et cliquez", 10, 10, 125, 8, 0},
    {kIdStatic, kStatic, "sur \"Convertir\" pour obtenir sa contrepartie", 10, 20, 135, 8, 0},
    {kIdcTypedCode, kEdit, "", 10, 35, 80, 12, kLineEditStyle},
    {kIdcConvert, kPushButton, "Convertir", 94, 34, 50, 14, kDefault | kTabStop},
    {kIdStatic, kGroupBox, "Résultat", 7, 51, 146, 40, 0},
    {kIdcSicovamLine, kStatic, "", 15, 64, 127, 8, 0},
    {kIdcIsinLine, kStatic, "", 15, 74, 127, 8, 0},
});

constexpr DialogTemplate kMainWindow{kIddMainWindow,
                                     "QUELVANE v" QUELVANE_VERSION
                                     " - Conversion de codes SICOVAM <-> ISIN",
                                     414,
                                     351,
                                     kDialogFontPoints,
                                     kMainWindowControls};
constexpr DialogTemplate kAbout{kIddAbout, "A propos de QUELVANE", 237,
                                63,        kDialogFontPoints,      kAboutControls};
constexpr DialogTemplate kHelp{kIddHelp, "Aide", 370, 298, kDialogFontPoints, kHelpControls};
constexpr DialogTemplate kQuickConvert{
    kIddQuickConvert,     "Conversion de code SICOVAM <-> ISIN", 224, 98, kDialogFontPoints,
    kQuickConvertControls};
constexpr DialogTemplate kNoTemplate{0, "", 0, 0, kDialogFontPoints, {}};

}  // namespace

const DialogTemplate& GetDialogTemplate(int id) {
  switch (id) {
    case kIddMainWindow:
      return kMainWindow;
    case kIddAbout:
      return kAbout;
    case kIddHelp:
      return kHelp;
    case kIddQuickConvert:
      return kQuickConvert;
    default:
      return kNoTemplate;
  }
}

}  // namespace quelvane::res
