#include "ui/quick_convert_dlg.h"

#include "core/text.h"
#include "res/box_texts.h"
#include "res/resources.h"
#include "run/quick_convert.h"

namespace quelvane {
namespace {

constexpr MessageMapEntry<CQuickConvertDlg> kMessageMap[] = {
    {Notification::kClicked, res::kIdcConvert, &CQuickConvertDlg::OnConvert},
};

}  // namespace

CQuickConvertDlg::CQuickConvertDlg(const CodeTables& tables, Dialog* parent)
    : Dialog(res::GetDialogTemplate(res::kIddQuickConvert), parent), tables_(tables) {
  BindMessageMap(kMessageMap);
}

void CQuickConvertDlg::OnConvert() {
  // Codes are Windows-1252 text; every character has one byte there, so the rule's
  // 99 bytes are the edit's first 99 characters.
  const std::string typed = Utf8ToCp1252(GetDlgItemText(res::kIdcTypedCode));
  const QuickConversion result = QuickConvert(tables_, typed);
  // The box comes first: while it is open the lines still show the previous result.
  if (const BoxMessage* box = res::QuickNoteBox(result.note)) {
    MessageBox(box->text, box->caption, box->type);
  }
  const auto setLine = [this](int id, const std::optional<std::string>& line) {
    if (line) SetDlgItemText(id, *line);
  };
  if (result.isinLineFirst) {
    setLine(res::kIdcIsinLine, result.isinLine);
    setLine(res::kIdcSicovamLine, result.sicovamLine);
  } else {
    setLine(res::kIdcSicovamLine, result.sicovamLine);
    setLine(res::kIdcIsinLine, result.isinLine);
  }
}

}  // namespace quelvane
