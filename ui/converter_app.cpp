#include "ui/converter_app.h"

#include <string>

#include "platform/message_box.h"
#include "res/box_texts.h"
#include "ui/command_line.h"
#include "ui/converter_dlg.h"

namespace quelvane {

int CConverterApp::InitInstance(std::string_view commandLine) {
  CConverterDlg dialog;

  // No option is recognised: words that look like options are accepted without
  // effect, any other word is reported, before the main window shows.
  for (const std::string& word : SplitCommandLineWords(commandLine)) {
    if (word.front() != '-' && word.front() != '/') {
      ShowMessageBox(nullptr, res::kUnknownParameterBox.text, res::kUnknownParameterBox.caption,
                     res::kUnknownParameterBox.type);
    }
  }

  dialog.DoModal();
  return 0;
}

}  // namespace quelvane
