// What FileDialog does around the desktop's own dialog, the same for every
// toolkit: a test's scripted selection or the system's dialog, the selection
// stored in the buffer or refused, and the walk through it.
#include "platform/file_dialog.h"

#include <algorithm>
#include <utility>

#include "os/os.h"
#include "platform/dialog_template.h"
#include "platform/message_box.h"
#include "platform/system_file_dialog.h"

namespace quelvane {
namespace {

FileDialogPresenter& Presenter() {
  static FileDialogPresenter presenter;
  return presenter;
}

}  // namespace

SelectionPosition FileDialog::GetStartPosition() const {
  return std::size_t{0};
}

std::string FileDialog::GetNextPathName(SelectionPosition& position) const {
  return buffer_->NextPathName(position, (flags_ & kOfnAllowMultiSelect) != 0);
}

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
  const SystemFileSelection chosen =
      presenter ? SystemFileSelection{presenter(request), false} : RunSystemFileDialog(request);

  const std::optional<std::vector<std::string>>& paths = chosen.paths;
  const bool several = paths && paths->size() > 1;
  StoreOutcome stored = StoreOutcome::kTooLong;
  if (!chosen.tooMany) {
    stored = !paths || (several && (flags_ & kOfnAllowMultiSelect) == 0) ? StoreOutcome::kRefused
                                                                         : buffer_->Store(*paths);
  }
  if (stored != StoreOutcome::kStored) {
    buffer_->Clear();
    if (stored == StoreOutcome::kTooLong && tooManyFilesBox_) {
      ShowMessageBox(owner_, tooManyFilesBox_->text, tooManyFilesBox_->caption,
                     tooManyFilesBox_->type);
    }
    return kIdCancel;
  }
  const std::string& first = paths->front();
  if (const std::string_view folder = SplitPath(first).folder; !folder.empty()) {
    lastFolder_ = std::string(folder);
  }
  return kIdOk;
}

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
  std::vector<FileFilter> filters;
  while (!filter.empty() && filter.front() != '|') {
    const std::size_t bar = filter.find('|');
    if (bar == std::string_view::npos) break;
    const std::string_view description = filter.substr(0, bar);
    filter.remove_prefix(bar + 1);
    const std::size_t end = std::min(filter.find('|'), filter.size());
    filters.push_back({std::string(description), std::string(filter.substr(0, end))});
    filter.remove_prefix(std::min(end + 1, filter.size()));
  }
  return filters;
}

}  // namespace quelvane
