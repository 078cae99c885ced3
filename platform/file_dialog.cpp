#include "platform/file_dialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <utility>

#include "platform/dialog_template.h"
#include "platform/qt_access.h"

namespace quelvane {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt's own file dialog, in French. Each filter shows its description as written;
// the patterns follow hidden, "*.*" standing for every file as it always did.
std::optional<std::vector<std::string>> RunQtFileDialog(const FileDialogRequest& request) {
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

  QStringList filters;
  for (const FileFilter& filter : request.filters) {
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

  if (!request.initialFileName.empty()) {
    const QFileInfo start(QFile::decodeName(QByteArray::fromStdString(request.initialFileName)));
    if (start.isDir()) {
      dialog.setDirectory(start.absoluteFilePath());
    } else if (start.absoluteDir().exists()) {
      dialog.setDirectory(start.absolutePath());
      dialog.selectFile(start.fileName());
    }
  }

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> paths;
  for (const QString& file : dialog.selectedFiles()) {
    paths.push_back(QFile::encodeName(file).toStdString());
  }
  return paths;
}

FileDialogPresenter& Presenter() {
  static FileDialogPresenter presenter;
  return presenter;
}

}  // namespace

FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

FileDialog::FileDialog(std::uint32_t flags, std::string_view filter, const Dialog* owner)
    : flags_(flags), filters_(ParseFileFilter(filter)), owner_(owner) {}

int FileDialog::DoModal() {
  std::string start(buffer_->FirstString());
  if (start.empty()) start = lastFolder_;
  const FileDialogRequest request{owner_, start, filters_, flags_};
  const FileDialogPresenter& presenter = Presenter();
  const std::optional<std::vector<std::string>> chosen =
      presenter ? presenter(request) : RunQtFileDialog(request);

  const bool several = chosen && chosen->size() > 1;
  if (!chosen || chosen->empty() || (several && (flags_ & kOfnAllowMultiSelect) == 0) ||
      !buffer_->Store(*chosen)) {
    buffer_->Clear();
    return kIdCancel;
  }
  const std::string& first = chosen->front();
  const std::size_t slash = first.rfind('/');
  if (slash != std::string::npos) lastFolder_ = first.substr(0, slash + 1);
  return kIdOk;
}

}  // namespace quelvane
