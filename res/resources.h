// The program's resources: dialog templates and strings, looked up by id.
#pragma once

#include <string_view>

#include "platform/dialog_template.h"
#include "res/resource_ids.h"

namespace quelvane::res {

// The template of that id; the program asks only for ids it has (100, 102, 130, 133).
const DialogTemplate& GetDialogTemplate(int id);

// String resource of that id; empty for an id the program does not have.
std::string_view LoadStringResource(int id);

}  // namespace quelvane::res
