// The program's resources: dialog templates, looked up by id.
#pragma once

#include "platform/dialog_template.h"
#include "res/resource_ids.h"

namespace quelvane::res {

// The template of that id; the program asks only for ids it has (100, 102, 130, 133).
const DialogTemplate& GetDialogTemplate(int id);

}  // namespace quelvane::res
