// The help text and the About lines, in the program's own words.
#pragma once

#include <array>
#include <string_view>

namespace quelvane {

// The help text in its four pieces, UTF-8 with "\r\n" line breaks; the help dialog
// joins them, in order, at each opening.
extern const std::array<std::string_view, 4> kHelpTextPieces;

// String 101: the About item of the main window's system menu.
inline constexpr std::string_view kAboutMenuItem = "&A propos de quelvane...";
inline constexpr std::string_view kAboutVersionLine =
    "QUELVANE version " QUELVANE_VERSION " du " QUELVANE_RELEASE_DATE;
inline constexpr std::string_view kPublisherLine = "Logiciel libre sous licence MIT";
#define QUELVANE_DOCUMENTATION_LINE "Documentation : " QUELVANE_README
inline constexpr std::string_view kDocumentationLine = QUELVANE_DOCUMENTATION_LINE;

}  // namespace quelvane
