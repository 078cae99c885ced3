// The desktop program's own message boxes, beside those of the run and the
// quick conversion (run/run_texts.h), whose warning caption they share.
#pragma once

#include "core/box_types.h"
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

}  // namespace quelvane::res
