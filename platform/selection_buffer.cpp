// The selection buffer: storing a selection in the program's format and walking
// it, the same for every toolkit.
#include "platform/selection_buffer.h"

#include <algorithm>

#include "os/os.h"

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

std::string SelectionBuffer::NextPathName(SelectionPosition& position, bool multiSelect) const {
  if (!position) return {};
  const std::string_view folder = FirstString();
  std::size_t offset = *position;
  if (offset == 0) {
    if (!multiSelect || At(folder.size() + 1) == '\0') {
      position.reset();
      return std::string(folder);
    }
    offset = folder.size() + 1;
  }

  std::string name;
  while (At(offset) != '\0') name += At(offset++);
  ++offset;
  if (At(offset) == '\0') {
    position.reset();
  } else {
    position = offset;
  }

  // The folder, a separator, the name: none added after one.
  const std::string root(1, PathSeparator());
  return JoinPath(folder.empty() ? std::string_view(root) : std::string_view(folder), name);
}

}  // namespace quelvane
