// The desktop program's own message boxes, beside those of the run and the
// quick conversion (run/run_texts.h), whose warning caption they share.
#pragma once

#include <string>
#include <string_view>

#include "core/box_types.h"
#include "os/os.h"
#include "run/run_texts.h"

namespace quelvane::res {

// A word of the command line that is not an option.
inline constexpr BoxMessage kUnknownParameterBox{"Paramètre inconnu.", run_texts::kAttentionCaption,
                                                 BoxType::kOk};

// Said when the user selects more files than the selection buffer holds, rather
// than silently selecting nothing.
inline constexpr BoxMessage kTooManyFilesBox{
    "Trop de fichiers sélectionnés : la sélection dépasse la place prévue.\n"
    "Sélectionnez moins de fichiers à la fois.",
    run_texts::kAttentionCaption, BoxType::kInformation};

// Said at start when the settings file or table.txt is there but cannot be read
// whole: the window then runs with the defaults, or the built-in table only, and
// never writes over settings it could not read.
inline std::string UnreadableProfileText(std::string_view path, OpenFailure why) {
  return "Impossible de lire vos réglages :\n" + std::string(path) + "\n(" +
         std::string(run_texts::UnreadableReason(why)) +
         ").\n\nLe programme part des réglages par défaut, et ce fichier ne sera pas "
         "remplacé à la fermeture.";
}
inline std::string UnreadableTableText(std::string_view path, OpenFailure why) {
  return "Impossible de lire la table de codes :\n" + std::string(path) + "\n(" +
         std::string(run_texts::UnreadableReason(why)) +
         ").\n\nSeule la table intégrée sert aux conversions.";
}
inline constexpr std::string_view kUnreadableCaption = run_texts::kAttentionCaption;

// Said at close when the settings could not be saved, rather than losing them
// silently.
inline std::string SettingsNotSavedText(std::string_view path) {
  return "Impossible d'enregistrer vos réglages dans :\n" + std::string(path) +
         "\n\nIls seront perdus à la fermeture.";
}

}  // namespace quelvane::res
