// The program's settings file: an INI file read and written with the semantics of
// the Windows profile calls. No Qt here: quelvane-cli reads it too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "run/conversion_options.h"

namespace quelvane {

class Profile {
 public:
  explicit Profile(std::filesystem::path file);

  // $QUELVANE_PROFILE, else $XDG_CONFIG_HOME/quelvane/quelvane.ini, else
  // ~/.config/quelvane/quelvane.ini.
  static std::filesystem::path DefaultPath();

  const std::filesystem::path& Path() const { return file_; }

  // Section and key names compare without case (A to Z). Integers read as atoi
  // reads them; a missing file, section or key gives the default. A string value is
  // everything after the '=' up to the line end, verbatim.
  std::int32_t GetProfileInt(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
  std::string GetProfileString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const;

  // Replace the key in place (or add it, creating section, folder and file as
  // needed) and keep every other line; the file is replaced atomically. False on failure.
  bool WriteProfileInt(std::string_view section, std::string_view key, std::int32_t value);
  bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::filesystem::path file_;
};

// The sections of the settings.
inline constexpr std::string_view kProfileGeneral = "General";
inline constexpr std::string_view kProfileSourceSeparator = "Separateur Source";
inline constexpr std::string_view kProfileDestinationSeparator = "Separateur Destination";

// Field sizes of the texts read from the profile: longer stored texts are cut.
inline constexpr std::size_t kSeparatorMaxLength = 9;
inline constexpr std::size_t kPrefixMaxLength = 9;
inline constexpr std::size_t kExtensionMaxLength = 99;
inline constexpr std::size_t kFolderMaxLength = 259;

// A text setting as its field holds it: a longer stored text keeps the field's
// length in bytes. The desktop program and quelvane-cli read the same way.
std::string GetProfileField(const Profile& profile, std::string_view section, std::string_view key,
                            std::string_view defaultValue, std::size_t maxLength);

// The options a run started right after the desktop program opens with this
// profile would use (OutputExtension: ".new" when ExtensionDestination is exactly
// ".new", else ".new.txt").
ConversionOptions ReadConversionOptions(const Profile& profile);

}  // namespace quelvane
