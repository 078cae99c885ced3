// The selection buffer, its walk, and what FileDialog does around the desktop's
// own dialog: plain C++, the same for every toolkit.
#include <algorithm>
#include <utility>

#include "core/os.h"
#include "platform/dialog_template.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/system_file_dialog.h"

namespace quelvane {
namespace {

struct FolderAndName {
  std::string_view folder;
  std::string_view name;
};

// The folder keeps its separator only when it is the root.
std::optional<FolderAndName> Split(std::string_view path) {
  const PathParts parts = SplitPath(path);
  if (parts.folder.empty() || parts.name.empty()) return std::nullopt;
  std::string_view folder = parts.folder;
  if (folder.size() > 1) folder.remove_suffix(1);
  return FolderAndName{folder, parts.name};
}

FileDialogPresenter& Presenter() {
  static FileDialogPresenter presenter;
  return presenter;
}

}  // namespace

std::string_view SelectionBuffer::FirstString() const {
  const std::string_view all = chars_;
  return all.substr(0, all.find('\0'));
}

StoreOutcome SelectionBuffer::Store(const std::vector<std::string>& paths) {
  Clear();
  if (paths.empty()) return StoreOutcome::kRefused;
  for (const std::string& path : paths) {
    if (path.empty() || path.find('\0') != std::string::npos) return StoreOutcome::kRefused;
  }
  if (paths.size() == 1) {
    if (paths.front().size() + 1 > chars_.size()) return StoreOutcome::kTooLong;
    std::copy(paths.front().begin(), paths.front().end(), chars_.begin());
    return StoreOutcome::kStored;
  }

  std::vector<FolderAndName> parts;
  std::size_t needed = 0;
  for (const std::string& path : paths) {
    const std::optional<FolderAndName> part = Split(path);
    if (!part || (!parts.empty() && part->folder != parts.front().folder)) {
      return StoreOutcome::kRefused;
    }
    parts.push_back(*part);
    needed += part->name.size() + 1;
  }
  needed += parts.front().folder.size() + 1 + 1;
  if (needed > chars_.size()) return StoreOutcome::kTooLong;

  auto out = std::copy(parts.front().folder.begin(), parts.front().folder.end(), chars_.begin());
  *out++ = '\0';
  for (const FolderAndName& part : parts) {
    out = std::copy(part.name.begin(), part.name.end(), out);
    *out++ = '\0';
  }
  return StoreOutcome::kStored;
}

SelectionPosition FileDialog::GetStartPosition() const {
  return std::size_t{0};
}

std::string FileDialog::GetNextPathName(SelectionPosition& position) const {
  if (!position) return {};
  const SelectionBuffer& buffer = *buffer_;
  const std::string_view folder = buffer.FirstString();
  std::size_t offset = *position;
  if (offset == 0) {
    if ((flags_ & kOfnAllowMultiSelect) == 0 || buffer.At(folder.size() + 1) == '\0') {
      position.reset();
      return std::string(folder);
    }
    offset = folder.size() + 1;
  }

  std::string name;
  while (buffer.At(offset) != '\0') name += buffer.At(offset++);
  ++offset;
  if (buffer.At(offset) == '\0') {
    position.reset();
  } else {
    position = offset;
  }

  // The folder, a separator, the name: none added after one.
  const std::string root(1, PathSeparator());
  return JoinPath(folder.empty() ? std::string_view(root) : std::string_view(folder), name);
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
