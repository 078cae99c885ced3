// Icons from the program's resources (an .ico of every size, made from res/'s
// pictures when the program is built), at the two sizes Windows asks for.
#include "platform/icon.h"

#include <memory>
#include <utility>

#include "platform/win32/access.h"
#include "platform/win32/windows_api.h"

namespace quelvane {

struct Icon::Data {
  HICON big = nullptr;
  HICON small = nullptr;
  Data() = default;
  Data(const Data&) = delete;
  Data& operator=(const Data&) = delete;
  ~Data() {
    if (big != nullptr) ::DestroyIcon(big);
    if (small != nullptr) ::DestroyIcon(small);
  }
};

struct IconAccess {
  static HICON Of(const Icon& icon, bool bigIcon) {
    if (icon.data_ == nullptr) return nullptr;
    return bigIcon ? icon.data_->big : icon.data_->small;
  }
  static Icon Make(HICON big, HICON small) {
    auto data = std::make_shared<Icon::Data>();
    data->big = big;
    data->small = small;
    Icon icon;
    icon.data_ = std::move(data);
    return icon;
  }
};

bool Icon::IsNull() const {
  return data_ == nullptr || data_->big == nullptr;
}

HICON IconHandle(const Icon& icon, bool bigIcon) {
  return IconAccess::Of(icon, bigIcon);
}

Icon LoadIcon(int resourceId) {
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  const auto load = [&](int metricX, int metricY) {
    // The picture of the size the screen's resolution asks for, not one scaled.
    return static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                           ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY),
                                           LR_DEFAULTCOLOR));
  };
  HICON big = load(SM_CXICON, SM_CYICON);
  if (big == nullptr) return {};
  return IconAccess::Make(big, load(SM_CXSMICON, SM_CYSMICON));
}

}  // namespace quelvane
