// Icons on Qt: the program's pictures, one PNG per size, from Qt's resources.
#include "platform/icon.h"

#include <QDir>
#include <QIcon>

#include "platform/qt/access.h"

namespace quelvane {

struct Icon::Data {
  QIcon icon;
};

struct IconAccess {
  static QIcon Of(const Icon& icon) { return icon.data_ ? icon.data_->icon : QIcon(); }
  static Icon Make(QIcon qicon) {
    Icon icon;
    icon.data_ = std::make_shared<const Icon::Data>(Icon::Data{std::move(qicon)});
    return icon;
  }
};

bool Icon::IsNull() const {
  return data_ == nullptr || data_->icon.isNull();
}

QIcon ToQIcon(const Icon& icon) {
  return IconAccess::Of(icon);
}

// Icon resources live under :/icons/<id>/, one PNG per size.
Icon LoadIcon(int resourceId) {
  const QDir folder(QStringLiteral(":/icons/%1").arg(resourceId));
  QIcon icon;
  for (const QString& name : folder.entryList({QStringLiteral("*.png")}, QDir::Files)) {
    icon.addFile(folder.filePath(name));
  }
  if (icon.isNull()) return {};
  return IconAccess::Make(std::move(icon));
}

}  // namespace quelvane
