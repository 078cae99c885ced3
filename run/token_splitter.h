// Splitting a line into the tokens of its columns. The source separator is a set
// of delimiter bytes: a run of delimiters separates two tokens and delimiters at
// either end produce nothing, so no token is ever empty. An empty set leaves the
// whole line as one token.
//
// Spreadsheets and brokers quote their fields: a token that begins with '"' runs
// to its closing quote ("" inside stands for one quote) when that quote is followed
// by a delimiter or the line's end, and the delimiters inside it do not split. A
// quote that does not close so is an ordinary character, as in a name like 5"1/4.
#pragma once

#include <array>
#include <cstring>
#include <optional>
#include <string>
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
    if (line_[start] == '"') [[unlikely]] {
      if (const std::size_t end = QuotedEnd(start); end != 0) {
        position_ = end;
        return line_.substr(start, end - start);
      }
    }
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
  // One past the quote that closes the field opened at `start`, or 0 when none
  // closes it before a delimiter or the line's end.
  std::size_t QuotedEnd(std::size_t start) const {
    const std::size_t size = line_.size();
    for (std::size_t i = start + 1; i < size; ++i) {
      if (line_[i] != '"') continue;
      if (i + 1 < size && line_[i + 1] == '"') {
        ++i;
        continue;
      }
      return i + 1 == size || delimiters_.Contains(line_[i + 1]) ? i + 1 : 0;
    }
    return 0;
  }

  std::string_view line_;
  const DelimiterSet& delimiters_;
  std::size_t position_ = 0;
};

// A token as it names a value: what stands between its quotes, a doubled quote
// read as one, when the token is a quoted field; the token itself otherwise.
class FieldValue {
 public:
  explicit FieldValue(std::string_view token) : text_(token) {
    if (token.size() < 2 || token.front() != '"' || token.back() != '"') return;
    const std::string_view inner = token.substr(1, token.size() - 2);
    const std::size_t firstQuote = inner.find('"');
    if (firstQuote == std::string_view::npos) {
      text_ = inner;
      quoted_ = true;
      return;
    }
    std::string value(inner.substr(0, firstQuote));
    for (std::size_t i = firstQuote; i < inner.size(); ++i) {
      if (inner[i] == '"') {
        // A lone quote inside: not a field the splitter would have closed.
        if (i + 1 == inner.size() || inner[i + 1] != '"') return;
        ++i;
      }
      value += inner[i];
    }
    unquoted_ = std::move(value);
    text_ = unquoted_;
    quoted_ = true;
  }
  FieldValue(const FieldValue&) = delete;
  FieldValue& operator=(const FieldValue&) = delete;

  std::string_view Text() const { return text_; }
  bool Quoted() const { return quoted_; }

 private:
  std::string unquoted_;
  std::string_view text_;
  bool quoted_ = false;
};

}  // namespace quelvane
