// The desktop program's message boxes: its own, and those in which it says what
// the quick conversion has to say (the run's are in res/window_report.h).
#pragma once

#include <string>
#include <string_view>

#include "os/os.h"
#include "platform/box_types.h"
#include "run/quick_convert.h"
#include "run/run_texts.h"

namespace quelvane::res {

// The caption of the boxes that warn.
inline constexpr std::string_view kAttentionCaption = "Attention";

// What the quick conversion says of a typed text, as the dialog shows it.
inline constexpr BoxMessage kComputedIsinBox{run_texts::kComputedIsinText, "Attention !",
                                             BoxType::kInformation};
inline constexpr BoxMessage kNotACodeBox{run_texts::kNotACodeText, kAttentionCaption,
                                         BoxType::kInformation};
inline const BoxMessage* QuickNoteBox(QuickNote note) {
  switch (note) {
    case QuickNote::kComputedIsin:
      return &kComputedIsinBox;
    case QuickNote::kNotACode:
      return &kNotACodeBox;
    case QuickNote::kNone:
      break;
  }
  return nullptr;
}

// A word of the command line that is not an option.
inline constexpr BoxMessage kUnknownParameterBox{"Paramètre inconnu.", kAttentionCaption,
                                                 BoxType::kOk};

// Said when the user selects more files than the selection buffer holds, rather
// than silently selecting nothing.
inline constexpr BoxMessage kTooManyFilesBox{
    "Trop de fichiers sélectionnés : la sélection dépasse la place prévue.\n"
    "Sélectionnez moins de fichiers à la fois.",
    kAttentionCaption, BoxType::kInformation};

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
inline constexpr std::string_view kUnreadableCaption = kAttentionCaption;

// Said at close when the settings could not be saved, rather than losing them
// silently.
inline std::string SettingsNotSavedText(std::string_view path) {
  return "Impossible d'enregistrer vos réglages dans :\n" + std::string(path) +
         "\n\nIls seront perdus à la fermeture.";
}

}  // namespace quelvane::res
