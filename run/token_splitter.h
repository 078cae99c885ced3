// Splitting a line into the tokens of its columns. The source separator is a set
// of delimiter bytes: a run of delimiters separates two tokens and delimiters at
// either end produce nothing, so no token is ever empty. An empty set leaves the
// whole line as one token.
#pragma once

#include <array>
#include <cstring>
#include <optional>
#include <string_view>

namespace quelvane {

class DelimiterSet {
 public:
  explicit DelimiterSet(std::string_view characters) {
    for (char c : characters) {
      const auto byte = static_cast<unsigned char>(c);
      if (!member_[byte]) ++distinct_;
      member_[byte] = true;
      single_ = c;
    }
  }

  bool Contains(char c) const { return member_[static_cast<unsigned char>(c)]; }
  // Most files use one delimiter (a tab, a ';'): searching for it is much faster.
  bool IsSingle() const { return distinct_ == 1; }
  bool IsEmpty() const { return distinct_ == 0; }
  char Single() const { return single_; }

 private:
  std::array<bool, 256> member_{};
  int distinct_ = 0;
  char single_ = 0;
};

// Hands out the tokens of one line in column order.
class TokenCursor {
 public:
  TokenCursor(std::string_view line, const DelimiterSet& delimiters)
      : line_(line), delimiters_(delimiters) {}

  std::optional<std::string_view> Next() {
    const std::size_t size = line_.size();
    if (delimiters_.IsEmpty()) {
      if (position_ >= size) return std::nullopt;
      position_ = size;
      return line_;
    }
    while (position_ < size && delimiters_.Contains(line_[position_])) ++position_;
    if (position_ >= size) return std::nullopt;
    const std::size_t start = position_;
    if (delimiters_.IsSingle()) {
      const void* hit = std::memchr(line_.data() + start, delimiters_.Single(), size - start);
      position_ = hit == nullptr
                      ? size
                      : static_cast<std::size_t>(static_cast<const char*>(hit) - line_.data());
    } else {
      ++position_;
      while (position_ < size && !delimiters_.Contains(line_[position_])) ++position_;
    }
    return line_.substr(start, position_ - start);
  }

  // What follows the last token handed out.
  std::string_view Rest() const { return line_.substr(position_); }

 private:
  std::string_view line_;
  const DelimiterSet& delimiters_;
  std::size_t position_ = 0;
};

}  // namespace quelvane
