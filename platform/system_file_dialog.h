// The desktop's own file-open dialog, behind FileDialog: each toolkit gives one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace quelvane {

struct SystemFileSelection {
  std::optional<std::vector<std::string>> paths;  // nothing: cancelled
  bool tooMany = false;  // the dialog's own buffer could not hold the selection
};

SystemFileSelection RunSystemFileDialog(const FileDialogRequest& request);

}  // namespace quelvane
