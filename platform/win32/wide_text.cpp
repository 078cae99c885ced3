#include "platform/win32/wide_text.h"

#include "platform/win32/windows_api.h"

namespace quelvane {

std::wstring WithoutMnemonics(std::wstring_view text) {
  std::wstring shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'&') {
      shown += text[i];
    } else if (i + 1 < text.size()) {
      shown += text[++i];
    }
  }
  return shown;
}

}  // namespace quelvane
