// The settings file engine: an INI file read and written with the semantics of
// the Windows profile calls. It knows no key of the program (see run/settings.h).
// No Qt here: quelvane-cli reads it too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "os/os.h"

namespace quelvane {

// One key to read and the value it has when the file does not give one.
struct ProfileRead {
  std::string_view section;
  std::string_view key;
  std::string_view defaultValue;
};

// One key to write and its value.
struct ProfileWrite {
  std::string_view section;
  std::string_view key;
  std::string value;
};

class Profile {
 public:
  // The user's own profile (DefaultPath, not set through QUELVANE_PROFILE) reads
  // the settings of an earlier version of the program while it does not exist
  // (see EarlierSettingsFiles); its first write starts from them.
  explicit Profile(std::filesystem::path file);

  // $QUELVANE_PROFILE, else quelvane.ini in UserSettingsFolder():
  // $XDG_CONFIG_HOME/quelvane/quelvane.ini, else ~/.config/quelvane/quelvane.ini;
  // %APPDATA%\Quelvane\quelvane.ini on Windows.
  static std::filesystem::path DefaultPath();

  const std::filesystem::path& Path() const { return file_; }

  // Section and key names compare without case (A to Z). Integers read as atoi
  // reads them; a missing file, section or key gives the default. A string value is
  // everything after the '=' up to the line end, verbatim.
  std::int32_t GetProfileInt(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
  std::string GetProfileString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const;
  // The values GetProfileString gives for each key, in order, from one reading
  // of the file: a program writing meanwhile is seen wholly or not at all.
  std::vector<std::string> GetProfileStrings(std::span<const ProfileRead> reads) const;
  // The same, and why a file that exists could not be read whole, in which case
  // every value is its default: an unreadable profile is not an absent one.
  struct Strings {
    std::vector<std::string> values;
    std::optional<OpenFailure> failure;
  };
  Strings ReadProfileStrings(std::span<const ProfileRead> reads) const;

  // Replace the key in place (or add it, creating section, folder and file as
  // needed) and keep every other line. The file is replaced atomically, and each
  // write reads and rewrites it under a lock, so programs writing at once never
  // lose each other's keys. Only a regular file is read. False on failure.
  bool WriteProfileInt(std::string_view section, std::string_view key, std::int32_t value);
  bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);

  // The writes one after another would leave the file as this leaves it, but it
  // is read once and replaced once, under one lock: it holds all of them or, when
  // it cannot be rewritten, none. A write that would break the file (a line break
  // in its value, a name the file cannot hold) is left out and the others are
  // made. False when one was left out or the file was not rewritten.
  bool WriteKeys(std::span<const ProfileWrite> writes);

 private:
  OpenedFile OpenForReading(const std::string& path) const;

  std::filesystem::path file_;
  std::vector<std::string> earlier_;
};

}  // namespace quelvane
