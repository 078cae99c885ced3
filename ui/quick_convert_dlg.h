// The quick conversion dialog: the user types one code and gets its counterpart,
// SICOVAM on the upper line and ISIN on the lower one, whichever was typed. It
// ignores the main window's options: no prefix, no fixed length, nothing saved.
#pragma once

#include "platform/dialog.h"

namespace quelvane {

class CodeTables;

class CQuickConvertDlg : public Dialog {
 public:
  // The tables are the main window's: the user's pairs count here too.
  explicit CQuickConvertDlg(const CodeTables& tables, Dialog* parent = nullptr);

  // "Convertir" (also Enter in the edit, the button being the default one).
  void OnConvert();

 private:
  const CodeTables& tables_;
};

}  // namespace quelvane
