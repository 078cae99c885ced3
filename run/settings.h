// The program's settings as the profile keeps them: fourteen keys in three
// sections, their defaults, the fields their texts are cut to, and what they mean
// for a run and for the main window's buttons. The window (at its start and its
// close) and "quelvane-cli convert --profile" both read through here, so the two
// can never understand a saved profile differently.
#pragma once

#include <cstddef>

#include "core/profile.h"
#include "run/conversion_options.h"

namespace quelvane {

// Texts read from the profile are cut to the fields that hold them; the window's
// edits hold as many characters (Windows-1252 bytes).
inline constexpr std::size_t kSeparatorMaxLength = 9;
inline constexpr std::size_t kPrefixMaxLength = 9;
inline constexpr std::size_t kExtensionMaxLength = 99;
inline constexpr std::size_t kFolderMaxLength = 259;

struct Settings {
  // A separator whose "Tabulation" button is on is a tab here, whatever text
  // the profile keeps for it. OutputExtension follows the ".new.txt" button.
  ConversionOptions options;
  bool sourceTabulation = true;       // "Tabulation" rather than "Autre :"
  bool destinationTabulation = true;  // likewise for the destination
  // The direction buttons. They are a key of their own, apart from the code
  // types of the options: a profile may say one direction and the other types.
  bool sicovamToIsin = true;
};

// What the window shows, and a run started at once would use, for this profile.
Settings ReadSettings(const Profile& profile);

// Writes every key, each in place; false when one could not be written (the
// others are still tried).
bool WriteSettings(Profile& profile, const Settings& settings);

}  // namespace quelvane
