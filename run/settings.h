// The program's settings as the profile keeps them: fourteen keys in three
// sections, their defaults, the fields their texts are cut to, and what they mean
// for a run and for the main window's buttons, written once as one table that
// reading, writing and the defaults of ConversionOptions all walk. The window (at
// its start and its close) and "quelvane-cli convert --profile" both read through
// here, so the two can never understand a saved profile differently.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "run/conversion_options.h"
#include "run/profile.h"

namespace quelvane {

// Texts read from the profile are cut to the fields that hold them; the window's
// edits hold as many characters (Windows-1252 bytes).
inline constexpr std::size_t kSeparatorMaxLength = 9;
inline constexpr std::size_t kPrefixMaxLength = 9;
inline constexpr std::size_t kExtensionMaxLength = 99;
inline constexpr std::size_t kFolderMaxLength = 259;

// What the profile keeps of the main window besides the options of a run.
struct WindowSettings {
  bool sourceTabulation{};       // "Tabulation" rather than "Autre :"
  bool destinationTabulation{};  // likewise for the destination
  // The direction buttons. They are a key of their own, apart from the code
  // types of the options: a profile may say one direction and the other types.
  ConversionDirection direction{};
  // An "ExtensionDestination" text other than ".new" and ".new.txt" (a profile
  // edited by hand, even an empty text) selects ".new.txt" and is written back as
  // it was until an extension button is clicked; nothing for those two texts.
  std::optional<std::string> otherExtension;
};

// A separator whose "Tabulation" button is on is a tab in the options, whatever
// text the profile keeps for it.
struct Settings : WindowSettings {
  Settings();  // as a first start without a profile
  ConversionOptions options;
};

// What the window shows, and a run started at once would use, for this profile;
// the defaults, and why, when the profile exists but could not be read whole.
struct SettingsReading {
  Settings settings;
  std::optional<OpenFailure> failure;
};
SettingsReading ReadSettings(const Profile& profile);

// Every key with its value as the profile spells it, in the order of a new file.
std::vector<ProfileWrite> SettingsWrites(const Settings& settings);

// Writes every key in one rewrite of the profile (Profile::WriteKeys), so that it
// holds all of them or none; false when it could not.
bool WriteSettings(Profile& profile, const Settings& settings);

}  // namespace quelvane
