// The settings file engine: an INI file read and written with the semantics of
// the Windows profile calls. It knows no key of the program (see run/settings.h).
// No Qt here: quelvane-cli reads it too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

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
  // needed) and keep every other line. The file is replaced atomically, and each
  // write reads and rewrites it under a lock, so programs writing at once never
  // lose each other's keys. Only a regular file is read. False on failure.
  bool WriteProfileInt(std::string_view section, std::string_view key, std::int32_t value);
  bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::filesystem::path file_;
};

}  // namespace quelvane
