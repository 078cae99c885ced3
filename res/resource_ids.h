// The ids of the program's resources and of the controls of its windows, as the
// templates give them and as the handlers address them.
#pragma once

namespace quelvane::res {

// Templates and icon.
inline constexpr int kIddAbout = 100;
inline constexpr int kIdmAbout = 16;  // the system menu's About item (string 101, kAboutMenuItem)
inline constexpr int kIddMainWindow = 102;
inline constexpr int kIconMain = 128;
inline constexpr int kIddHelp = 130;
inline constexpr int kIddQuickConvert = 133;

// Main window (template 102).
inline constexpr int kIdcSelectFiles = 1000;   // "Fichiers à traiter"
inline constexpr int kIdcProcessFiles = 1001;  // "Traiter les fichiers"
inline constexpr int kIdcAbout = 1003;         // "A &propos..."
inline constexpr int kIdcIsinToSicovam = 1004;
inline constexpr int kIdcSicovamToIsin = 1005;
inline constexpr int kIdcStatusLine1 = 1007;
inline constexpr int kIdcStatusLine2 = 1008;
inline constexpr int kIdcStatusLine3 = 1009;
inline constexpr int kIdcStatusLine4 = 1010;
inline constexpr int kIdcSourceTab = 1011;
inline constexpr int kIdcSourceOther = 1012;
inline constexpr int kIdcSourceText = 1013;
inline constexpr int kIdcDestinationTab = 1014;
inline constexpr int kIdcDestinationOther = 1015;
inline constexpr int kIdcDestinationText = 1016;
inline constexpr int kIdcHelp = 1017;  // "&Aide"
inline constexpr int kIdcFileList = 1018;
inline constexpr int kIdcQuickConvert = 1020;  // "Sico <-> Isin"
inline constexpr int kIdcLog = 1029;
inline constexpr int kIdcPrefix = 1030;  // "SICOVAM préfixé par 'X'"
inline constexpr int kIdcKnownValuesOnly = 1031;
inline constexpr int kIdcLengthText = 1032;
inline constexpr int kIdcFixedLength = 1033;  // "SICOVAM sur"
inline constexpr int kIdcSkipIgnored = 1034;
inline constexpr int kIdcExtensionNew = 1035;
inline constexpr int kIdcExtensionNewTxt = 1036;

// Help dialog (template 130).
inline constexpr int kIdcHelpText = 1019;

// Quick conversion dialog (template 133).
inline constexpr int kIdcConvert = 1025;
inline constexpr int kIdcTypedCode = 1026;
inline constexpr int kIdcSicovamLine = 1027;
inline constexpr int kIdcIsinLine = 1028;

}  // namespace quelvane::res
