// The file-open dialog on Qt: Qt's own dialog, in French, with the program's
// filters and a size that shows its detail view whole.
#include "platform/system_file_dialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>
#include <algorithm>
#include <utility>

#include "os/os.h"
#include "platform/dialog_template.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/qt/access.h"

namespace quelvane {
namespace {

// Each filter shows its description as written; the patterns follow hidden,
// "*.*" standing for every file, as users of the program's filters expect.
void SetFilters(QFileDialog& dialog, const std::vector<FileFilter>& fileFilters) {
  QStringList filters;
  for (const FileFilter& filter : fileFilters) {
    QStringList patterns = ToQString(filter.pattern).split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
    }
    filters << ToQString(filter.description) + QStringLiteral(" (") + patterns.join(u' ') +
                   QStringLiteral(")");
  }
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());
  }
}

void StartFrom(QFileDialog& dialog, const std::string& initialFileName) {
  if (initialFileName.empty()) return;
  const QFileInfo start(QFile::decodeName(QByteArray::fromStdString(initialFileName)));
  if (start.isDir()) {
    dialog.setDirectory(start.absoluteFilePath());
  } else if (start.absoluteDir().exists()) {
    dialog.setDirectory(start.absolutePath());
    dialog.selectFile(start.fileName());
  }
}

// Large enough that the detail view shows its four columns (name, size, type,
// date of the last change) whole, within the screen the dialog opens on.
void OpenLargeEnoughToRead(QFileDialog& dialog) {
  dialog.setViewMode(QFileDialog::Detail);
  QSize size(900, 560);
  if (const QScreen* screen = dialog.screen()) {
    size = size.boundedTo(screen->availableGeometry().size());
  }
  dialog.resize(size);
  // Each column at least as wide as its title.
  if (auto* view = dialog.findChild<QTreeView*>()) {
    QHeaderView* header = view->header();
    for (int column = 0; column < header->count(); ++column) {
      header->resizeSection(column,
                            std::max(header->sectionSize(column), header->sectionSizeHint(column)));
    }
  }
}

}  // namespace

// Qt's own file dialog, in French. It has no buffer of its own, so every
// selection reaches FileDialog, which judges whether it fits.
SystemFileSelection RunSystemFileDialog(const FileDialogRequest& request) {
  QWidget* owner = request.owner != nullptr ? DialogWindow(*request.owner) : nullptr;
  if (owner == nullptr) owner = QApplication::activeModalWidget();
  QFileDialog dialog(owner);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if ((request.flags & kOfnAllowMultiSelect) != 0) {
    dialog.setFileMode(QFileDialog::ExistingFiles);
  } else {
    dialog.setFileMode((request.flags & kOfnFileMustExist) != 0 ? QFileDialog::ExistingFile
                                                                : QFileDialog::AnyFile);
  }
  dialog.setSizeGripEnabled((request.flags & kOfnEnableSizing) != 0);
  SetFilters(dialog, request.filters);
  StartFrom(dialog, request.initialFileName);
  OpenLargeEnoughToRead(dialog);

  if (dialog.exec() != QDialog::Accepted) return {};
  std::vector<std::string> paths;
  for (const QString& file : dialog.selectedFiles()) {
    paths.push_back(QFile::encodeName(file).toStdString());
  }
  return {std::move(paths), false};
}

}  // namespace quelvane
