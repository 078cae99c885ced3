// The selection buffer, its walk, and what FileDialog does around the desktop's
// own dialog: plain C++, the same for every toolkit.
#include <algorithm>
#include <utility>

#include "platform/dialog_template.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/system_file_dialog.h"

namespace quelvane {
namespace {

struct SplitPath {
  std::string_view folder;
  std::string_view name;
};

// The folder keeps its separator only when it is a root: "/" on Linux, a drive's
// "C:\\" on Windows.
std::optional<SplitPath> Split(std::string_view path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string_view::npos || slash + 1 == path.size()) return std::nullopt;
  const bool root = slash == 0 || (slash == 2 && path[1] == ':' && kPathSeparator == '\\');
  return SplitPath{path.substr(0, root ? slash + 1 : slash), path.substr(slash + 1)};
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

  std::vector<SplitPath> parts;
  std::size_t needed = 0;
  for (const std::string& path : paths) {
    const std::optional<SplitPath> part = Split(path);
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
  for (const SplitPath& part : parts) {
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

  std::string path(folder);
  if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
  return path + name;
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
    if (stored == StoreOutcome::kTooLong) {
      ShowMessageBox(owner_, kTooManyFilesBox.text, kTooManyFilesBox.caption,
                     kTooManyFilesBox.type);
    }
    return kIdCancel;
  }
  const std::string& first = paths->front();
  const std::size_t slash = first.rfind(kPathSeparator);
  if (slash != std::string::npos) lastFolder_ = first.substr(0, slash + 1);
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
