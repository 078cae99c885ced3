#include "run/process_files.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <iterator>
#include <limits>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>

#include "core/code_rules.h"
#include "core/code_tables.h"
#include "core/find_byte.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "os/os.h"
#include "run/conversion_memo.h"
#include "run/delimiter_runs.h"
#include "run/output_file.h"
#include "run/run_texts.h"
#include "run/token_splitter.h"

namespace quelvane {
namespace {

namespace texts = run_texts;

// Column detection looks at the first 100 columns of a line only.
constexpr std::size_t kColumnLimit = 100;
constexpr std::size_t kReadBlock = std::size_t{1} << 18;
// Columns before the code column that are longer than this wait in the line
// rather than in the output's pending bytes, until the line is known to stay.
constexpr std::size_t kPendingColumns = std::size_t{1} << 20;
// Files of this size and more are written behind the conversion (see
// AtomicOutputFile::WriteBehind): for a small file, a thread would cost more
// than it saves.
constexpr std::uint64_t kWriteBehindSize = std::uint64_t{8} << 20;
// Progress is reported after this many bytes, never per line.
constexpr std::uint64_t kProgressStep = std::uint64_t{4} << 20;

// What happens to the code column. Only the two pairs the main window sets have a
// conversion; any other pair leaves the column as it is, like every other column.
enum class CodeRule { kSicovamToIsin, kIsinToSicovam, kCopy };

// The options, turned once per run into the form the line loops use.
struct RunSettings {
  explicit RunSettings(const ConversionOptions& options)
      : sourceSeparator(options.SeparateurSource),
        delimiters(options.SeparateurSource),
        destinationSeparator(options.SeparateurDestination),
        prefix(options.PrefixeSicovam),
        codeSource(options.CodeSource),
        knownValuesOnly(options.ValeursConnuesOnly != 0),
        skipIgnored(options.NePasRecopierValeursIgnorees != 0),
        fixedLength(options.LgSicoFixe != 0),
        width(options.NbCharSico),
        extension(ExtensionText(options.ExtensionDestination)),
        sameSingleSeparator(delimiters.IsSingle() && destinationSeparator.size() == 1 &&
                            destinationSeparator.front() == delimiters.Single()) {
    if (const auto direction = options.Direction()) {
      rule = *direction == ConversionDirection::kSicovamToIsin ? CodeRule::kSicovamToIsin
                                                               : CodeRule::kIsinToSicovam;
    }
  }

  std::string_view sourceSeparator;
  DelimiterSet delimiters;
  std::string_view destinationSeparator;
  std::string_view prefix;
  CodeType codeSource;
  bool knownValuesOnly;
  bool skipIgnored;
  bool fixedLength;
  std::int32_t width;
  std::string_view extension;
  // One delimiter byte, written back as it is: the columns after the code column
  // can then often be copied as they stand.
  bool sameSingleSeparator;
  CodeRule rule = CodeRule::kCopy;
};

// The first line as a text-mode read hands it over: a CR LF at its end arrives as
// a single LF. The separator is looked for as a whole string; an empty one is
// always found.
bool FirstLineHasSeparator(std::string_view line, std::string_view separator) {
  if (line.ends_with("\r\n")) {
    // Searched in place, without copying what may be a very long line.
    const std::string_view body = line.substr(0, line.size() - 2);
    return body.find(separator) != std::string_view::npos ||
           (separator.ends_with('\n') && body.ends_with(separator.substr(0, separator.size() - 1)));
  }
  return line.find(separator) != std::string_view::npos;
}

// The code reader reads the number after the prefix (and the blanks before it).
// Whatever follows it but blanks is text that the converted field does not keep:
// a whole line read as one token, say, when its separator was not the one given.
bool HoldsMoreThanItsCode(std::string_view value, std::string_view prefix) {
  const std::string_view rest = value.substr(std::min(prefix.size(), value.size()));
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  std::size_t i = 0;
  while (i < rest.size() && blank(rest[i])) ++i;
  if (i < rest.size() && rest[i] == '+') ++i;
  while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') ++i;
  while (i < rest.size() && blank(rest[i])) ++i;
  return i < rest.size();
}

struct FileResult {
  std::int64_t warnings = 0;
  std::int64_t unknownValues = 0;
  bool abandoned = false;
  bool cancelled = false;     // a job's file after an abandon: nothing of it is kept
  bool notConverted = false;  // no output: the file or its output failed
  bool streamFailed = false;  // the output stream could not take the converted file
};

// The files selected for a run, known by name and by identity: a run never
// replaces one of them, whatever name leads to it. An output name that is itself
// a link is replaced as a link, which leaves the file it pointed to alone. Both
// are looked up by hash: a decade of daily files is a hundred thousand names,
// and each output is checked against all of them.
class Selection {
 public:
  explicit Selection(const std::vector<std::string>& paths) {
    names_.reserve(paths.size());
    for (const std::string& path : paths) {
      // Names compare as the system compares them: without letter case on Windows.
      names_.insert(NameKey(path));
      if (const auto identity = IdentityOfPath(path)) files_.insert(Key(*identity));
    }
  }
  bool Holds(const std::string& path) const {
    if (names_.contains(NameKey(path))) return true;
    if (files_.empty()) return false;
    const auto identity = IdentityOfEntry(path);
    return identity && files_.contains(Key(*identity));
  }

 private:
  using FileKey = std::pair<std::uint64_t, std::uint64_t>;  // device, inode
  static FileKey Key(const FileIdentity& identity) { return {identity.device, identity.inode}; }
  struct FileKeyHash {
    std::size_t operator()(const FileKey& key) const {
      return std::hash<std::uint64_t>()(key.first * 0x9E3779B97F4A7C15ULL ^ key.second);
    }
  };
  std::unordered_set<std::string> names_;
  std::unordered_set<FileKey, FileKeyHash> files_;
};

// What became of one line of the input in the output.
enum class LineOutcome { kWritten, kDropped, kWriteFailed };
// What became of the code column's token.
enum class CodeOutcome { kConverted, kCopiedUntreated, kDropped };

// What the files of a run share. The buffers are kept from one file to the next:
// a run of thousands of small files allocates and clears them once.
struct RunShared {
  const RunSettings& settings;
  const CodeTables& tables;
  const Selection& selection;
  const RunPlaces& places;
  RunReporter& reporter;
  std::int64_t fileCount = 0;
  ConversionMemo memo;
  ReadBuffer readBuffer;
  std::vector<char> writeBuffer;
  // With several jobs: waits until every earlier file of the run is done, so that
  // outputs take their places in the order of one job; false when the run was
  // abandoned before this file, which then leaves nothing. None with one job.
  std::function<bool()> waitForTurn;
};

// One file of the run, from its log heading to its line count.
class FileConversion {
 public:
  // The run's file `index`, counted from 1.
  FileConversion(RunShared& run, const std::string& path, std::int64_t index)
      : settings_(run.settings),
        tables_(run.tables),
        memo_(run.memo),
        selection_(run.selection),
        places_(run.places),
        readBuffer_(run.readBuffer),
        writeBuffer_(run.writeBuffer),
        reporter_(run.reporter),
        waitForTurn_(run.waitForTurn),
        index_(index),
        fileCount_(run.fileCount),
        path_(path),
        displayPath_(DisplayText(path)) {}

  FileResult Run();

 private:
  enum class Detection { kFound, kNone, kReadError };

  void Warn(std::string_view firstLine);
  // The file is not converted, for the reason the log line gives.
  void Fail(std::string_view line);
  void StartProgress();
  void ReportProgress(const LineReader& reader);
  std::optional<std::string_view> FirstLine(LineReader& reader) const;
  bool Recognised(std::string_view token) const;
  bool RecognisedValue(std::string_view value) const;
  Detection DetectCodeColumn(LineReader& reader);
  // Finds the code column and logs it, or logs why there is none.
  bool FindCodeColumn(LineReader& reader);
  // Writes the converted copy and logs its line count, or why it could not.
  void Rewrite(LineReader& reader, std::FILE* file);
  std::string OutputPath() const;
  void FailToWrite(const std::string& outputPath, const AtomicOutputFile& output);
  LineOutcome RewriteLine(std::string_view text, AtomicOutputFile& out);
  LineOutcome RewritePlainLine(std::string_view line, std::string_view text, AtomicOutputFile& out);
  LineOutcome WriteLongColumnsBeforeCode(std::size_t lineStart, std::string_view token,
                                         TokenCursor& cursor, AtomicOutputFile& out);
  bool WriteColumns(std::size_t lineStart, AtomicOutputFile& out);
  bool WriteColumnsAfterCode(TokenCursor& cursor, AtomicOutputFile& out);
  // The memo's answer, inline; a token it does not hold is converted aside. Both
  // write the result's fields one by one where the caller reads them: a whole
  // result copied through memory would wait on the stores of its parts.
  [[gnu::always_inline]] inline CodeResult ConvertCode(std::string_view token) {
    CodeResult result;
    if (!memo_.Find(token, result)) ConvertAndRemember(token, result);
    return result;
  }
  void ConvertAndRemember(std::string_view token, CodeResult& result);
  CodeOutcome AppendCodeField(std::string_view token, AtomicOutputFile& out);
  // Inlined: it is the heart of every line.
  [[gnu::always_inline]] inline CodeOutcome AppendCodeValue(std::string_view token,
                                                            std::string_view value, bool quoted,
                                                            AtomicOutputFile& out);
  void NotRecognised(std::string_view token, AtomicOutputFile& out,
                     std::string (*firstLine)(std::int64_t));
  void DropUnknown(std::string_view token);

  const RunSettings& settings_;
  const CodeTables& tables_;
  ConversionMemo& memo_;
  const Selection& selection_;
  const RunPlaces& places_;
  ReadBuffer& readBuffer_;
  std::vector<char>& writeBuffer_;
  // The columns before the code column of the line being written, as views
  // into it; kept by the run's buffers from one line to the next.
  std::vector<std::string_view> columnsBefore_;
  SicovamDigits sicovamDigits_;  // a code converted from an ISIN, from a table
  ComputedIsin computed_;        // an ISIN computed from a code
  RunReporter& reporter_;
  const std::function<bool()>& waitForTurn_;
  std::int64_t index_;
  std::int64_t fileCount_;
  const std::string& path_;
  std::string displayPath_;
  FileIdentity identity_;  // the input as it was opened
  std::uint64_t nextProgress_ = 0;
  std::size_t codeColumn_ = 0;
  std::size_t markSize_ = 0;  // the UTF-8 mark in front of the first line
  bool utf16_ = false;        // the file is UTF-16 with its mark
  bool bigEndian_ = false;
  std::int64_t lineNumber_ = 0;
  FileResult result_;
};

void FileConversion::Warn(std::string_view firstLine) {
  reporter_.LogLine(firstLine);
  ++result_.warnings;
}

void FileConversion::Fail(std::string_view line) {
  Warn(line);
  result_.notConverted = true;
}

// Progress shows as each reading of a file starts, then every few megabytes. A
// file read in less than one step shows none: its end comes as soon, and for a
// run of thousands of small files a report at each start (a flush of the log, a
// repaint) would cost more than converting them.
void FileConversion::StartProgress() {
  nextProgress_ = identity_.size < kProgressStep ? UINT64_MAX : 0;
}

void FileConversion::ReportProgress(const LineReader& reader) {
  if (reader.Offset() < nextProgress_) return;
  reporter_.FileProgress(reader.Offset(), identity_.size);
  nextProgress_ = reader.Offset() + kProgressStep;
}

FileResult FileConversion::Run() {
  reporter_.FileStarted(index_, fileCount_, displayPath_);
  reporter_.LogLine(texts::kEmptyLine);
  reporter_.LogLine(texts::ProcessingFile(displayPath_));

  // Folders, pipes and devices cannot be read twice from the start: they count as
  // files that cannot be opened.
  OpenedFile input =
      places_.inputCopy != nullptr ? std::move(*places_.inputCopy) : OpenRegularFile(path_);
  FilePtr& file = input.file;
  if (!file) {
    if (input.failure == OpenFailure::kReservedName) {
      Fail(texts::kReservedInputName);
    } else {
      Fail(texts::kCannotOpen);
      reporter_.LogLine(texts::CannotOpenReason(input.failure));
    }
    return result_;
  }
  identity_ = input.identity;
  LineReader reader(file.get(), readBuffer_, kReadBlock);
  // Spreadsheets save "Unicode text" as UTF-16 with its mark: it is read, and
  // written back, as the text it holds.
  if (reader.DecodeIfUtf16()) {
    utf16_ = true;
    bigEndian_ = reader.BigEndian();
    reporter_.LogLine(bigEndian_ ? texts::kReadAsUtf16Be : texts::kReadAsUtf16Le);
  }
  // Old Mac programs end their lines with a CR alone.
  if (reader.HoldsCrButNoLf()) reader.SetLineEnd('\r');
  auto firstLine = reader.Next();
  if (firstLine && firstLine->starts_with(kUtf8Mark)) {
    markSize_ = kUtf8Mark.size();
    firstLine->remove_prefix(markSize_);
  }

  // An empty file, or one that holds its mark alone, has no first line to test:
  // it goes on to find no code column.
  if (firstLine && !firstLine->empty() &&
      !FirstLineHasSeparator(*firstLine, settings_.sourceSeparator)) {
    if (!reporter_.GoOnWithoutSeparator(displayPath_)) {
      // The file is closed before the abandon is logged, so that a user who acts
      // on the log (moves or deletes the file) finds it free.
      file.reset();
      reporter_.LogLine(texts::kSeparatorMissing);
      reporter_.LogLine(texts::kAbandon);
      result_.abandoned = true;
      return result_;
    }
  }

  if (places_.codeColumn > 0) {
    codeColumn_ = places_.codeColumn - 1;
    const auto shownColumn = static_cast<std::int64_t>(places_.codeColumn);
    reporter_.LogLine(settings_.codeSource == CodeType::kSicovam
                          ? texts::SicovamColumnGiven(shownColumn)
                          : texts::IsinColumnGiven(shownColumn));
  } else if (!FindCodeColumn(reader)) {
    return result_;
  }
  Rewrite(reader, file.get());
  return result_;
}

bool FileConversion::FindCodeColumn(LineReader& reader) {
  switch (DetectCodeColumn(reader)) {
    case Detection::kReadError:
      Fail(reader.NotUtf16() ? texts::kNotUtf16 : texts::kCannotRead);
      return false;
    case Detection::kNone:
      Warn(settings_.codeSource == CodeType::kSicovam ? texts::kNoSicovamCode
           : settings_.codeSource == CodeType::kIsin  ? texts::kNoIsinCode
                                                      : texts::kNoCode);
      return false;
    case Detection::kFound:
      break;
  }
  const auto shownColumn = static_cast<std::int64_t>(codeColumn_) + 1;
  reporter_.LogLine(settings_.codeSource == CodeType::kSicovam
                        ? texts::SicovamColumnFound(shownColumn)
                        : texts::IsinColumnFound(shownColumn));
  return true;
}

// Each pass starts at the file's start, where the mark stands before the first line.
std::optional<std::string_view> FileConversion::FirstLine(LineReader& reader) const {
  auto line = reader.Next();
  if (line) line->remove_prefix(markSize_);
  return line;
}

// A quoted field is recognised by what stands between its quotes.
bool FileConversion::Recognised(std::string_view token) const {
  if (token.front() == '"') [[unlikely]]
    return RecognisedValue(FieldValue(token).Text());
  return RecognisedValue(token);
}

bool FileConversion::RecognisedValue(std::string_view value) const {
  if (settings_.codeSource == CodeType::kSicovam) return IsSicovamCode(value, settings_.prefix);
  return tables_.IsIsinSideCode(value);
}

FileConversion::Detection FileConversion::DetectCodeColumn(LineReader& reader) {
  // Any other source type recognises no token: no need to read the file.
  if (settings_.codeSource == CodeType::kOther) return Detection::kNone;
  if (!reader.Rewind()) return Detection::kReadError;
  StartProgress();
  // The leftmost column with a hit wins, so a line only needs looking at left of
  // the best column so far, and nothing can beat column 0.
  std::size_t best = kColumnLimit;
  for (auto line = FirstLine(reader); line; line = reader.Next()) {
    TokenCursor cursor(StripTrailingLineEnds(*line), settings_.delimiters);
    for (std::size_t column = 0; column < best; ++column) {
      const auto token = cursor.Next();
      if (!token) break;
      if (Recognised(*token)) {
        best = column;
        break;
      }
    }
    ReportProgress(reader);
    if (best == 0) break;
  }
  if (reader.Failed()) return Detection::kReadError;
  if (best == kColumnLimit) return Detection::kNone;
  codeColumn_ = best;
  return Detection::kFound;
}

void FileConversion::Rewrite(LineReader& reader, std::FILE* file) {
  const std::string outputPath = OutputPath();
  const bool toStream = places_.output != OsHandle::kNone;
  if (!toStream && selection_.Holds(outputPath)) {
    Fail(texts::OutputIsSelected(DisplayText(outputPath)));
    return;
  }
  if (!reader.Rewind()) {
    Fail(texts::kCannotRead);
    return;
  }
  AtomicOutputFile output(outputPath, writeBuffer_);
  if (toStream ? !output.OpenStream(places_.output) : !output.Open()) {
    FailToWrite(outputPath, output);
    return;
  }
  StartProgress();
  // A UTF-16 file's mark is its text's first character, written back as such.
  if (utf16_) {
    output.WriteAsUtf16(bigEndian_);
    output.Put(kUtf8Mark);
  }
  if (markSize_ != 0) output.Put(kUtf8Mark);
  // A large file is written by a thread of its own while this one converts.
  if (identity_.size >= kWriteBehindSize && CanStartThreads()) output.WriteBehind();
  bool writeFailed = false;
  const bool plainLines = settings_.sameSingleSeparator && codeColumn_ == 0;
  for (auto line = FirstLine(reader); line; line = reader.Next()) {
    const std::string_view text = StripTrailingLineEnds(*line);
    if (text.empty()) continue;  // empty lines vanish and take no number
    const LineOutcome outcome =
        plainLines ? RewritePlainLine(*line, text, output) : RewriteLine(text, output);
    if (outcome == LineOutcome::kWriteFailed || !output.WriteIfFull()) {
      writeFailed = true;
      break;
    }
    ++lineNumber_;
    ReportProgress(reader);
  }

  // The second pass read the file as it was opened, or the output would mix two
  // states of it (truncated, grown or replaced meanwhile).
  const auto now = IdentityOf(file);
  const bool changed = !writeFailed && !reader.Failed() && now &&
                       (!now->SameState(identity_) || reader.Offset() != identity_.size);
  if (reader.Failed() || (!writeFailed && !now)) {
    output.Discard();
    Fail(reader.NotUtf16() ? texts::kNotUtf16 : texts::kCannotRead);
  } else if (changed) {
    output.Discard();
    Fail(texts::kFileChanged);
  } else if (!writeFailed && waitForTurn_ && !waitForTurn_()) {
    output.Discard();
    result_.cancelled = true;
  } else if (writeFailed || !output.Commit()) {
    output.Discard();
    FailToWrite(outputPath, output);
  } else {
    reporter_.LogLine(texts::LinesProcessed(lineNumber_, result_.warnings));
  }
}

// A converted file that goes to the output stream has no name of its own, and
// the stream's loss is a status of its own rather than a file not converted.
void FileConversion::FailToWrite(const std::string& outputPath, const AtomicOutputFile& output) {
  if (output.NotUtf16()) {
    Fail(texts::kNotWritableAsUtf16);
  } else if (places_.output != OsHandle::kNone) {
    Warn(texts::kCannotWriteStream);
    result_.streamFailed = true;
  } else {
    Fail(texts::CannotWrite(DisplayText(outputPath), output.Failure()));
  }
}

// The input's name and the extension, beside the input or in the output folder.
std::string FileConversion::OutputPath() const {
  if (places_.outputFolder.empty()) return path_ + std::string(settings_.extension);
  return JoinPath(places_.outputFolder,
                  std::string(SplitPath(path_).name) + std::string(settings_.extension));
}

LineOutcome FileConversion::RewriteLine(std::string_view text, AtomicOutputFile& out) {
  const std::size_t lineStart = out.Mark();
  TokenCursor cursor(text, settings_.delimiters);
  // Until the code column is behind, the line may still be dropped: what it
  // writes stays pending, to be taken back. Columns before it that are too long
  // to be kept twice wait in the line itself (see WriteLongColumnsBeforeCode).
  std::size_t before = 0;  // bytes of the columns before the code column
  for (std::size_t column = 0; column <= codeColumn_; ++column) {
    const auto token = cursor.Next();
    if (!token) break;  // a short line, copied as it is
    if (column < codeColumn_) {
      columnsBefore_.push_back(*token);
      before += token->size();
      if (before <= kPendingColumns) {
        if (column > 0) out.Put(settings_.destinationSeparator);
        out.Put(*token);
      }
      continue;
    }
    if (before > kPendingColumns) {
      return WriteLongColumnsBeforeCode(lineStart, *token, cursor, out);
    }
    columnsBefore_.clear();
    if (column > 0) out.Put(settings_.destinationSeparator);
    const CodeOutcome code = AppendCodeField(*token, out);
    if (code == CodeOutcome::kDropped ||
        (code == CodeOutcome::kCopiedUntreated && settings_.skipIgnored)) {
      out.TakeBack(lineStart);
      return LineOutcome::kDropped;
    }
    if (!WriteColumnsAfterCode(cursor, out)) return LineOutcome::kWriteFailed;
  }
  if (before > kPendingColumns && !WriteColumns(lineStart, out)) return LineOutcome::kWriteFailed;
  columnsBefore_.clear();
  out.Put("\r\n");
  return LineOutcome::kWritten;
}

// Nearly every line of a quote file has its code first, unquoted, and the columns
// after it joined by the one delimiter that the output keeps: such a line is
// written as RewriteLine writes it, with less to look at (`line` is `text` with
// its line end). Any other line is RewriteLine's.
LineOutcome FileConversion::RewritePlainLine(std::string_view line, std::string_view text,
                                             AtomicOutputFile& out) {
  const char delimiter = settings_.delimiters.Single();
  if (text.front() == delimiter || text.front() == '"') return RewriteLine(text, out);
  const std::size_t codeEnd = std::min(FindByte(text, delimiter), text.size());
  const std::string_view rest = text.substr(codeEnd);
  if (!IsPlainlyJoined(rest, delimiter)) return RewriteLine(text, out);
  const std::size_t lineStart = out.Mark();
  const CodeOutcome code = AppendCodeField(text.substr(0, codeEnd), out);
  if (code == CodeOutcome::kDropped ||
      (code == CodeOutcome::kCopiedUntreated && settings_.skipIgnored)) {
    out.TakeBack(lineStart);
    return LineOutcome::kDropped;
  }
  // A line that already ends in CR LF is copied with its line end.
  if (line.size() == text.size() + 2 && line.ends_with("\r\n")) {
    return out.PutFinal(line.substr(codeEnd)) ? LineOutcome::kWritten : LineOutcome::kWriteFailed;
  }
  if (!out.PutFinal(rest)) return LineOutcome::kWriteFailed;
  out.Put("\r\n");
  return LineOutcome::kWritten;
}

// The line's columns before its code are longer than the output's pending room:
// its code field is decided first, then, the line being kept, those columns are
// written from the line itself, and the code field after them. A field of 400 MB
// before the code column then costs no more than the line.
LineOutcome FileConversion::WriteLongColumnsBeforeCode(std::size_t lineStart,
                                                       std::string_view token, TokenCursor& cursor,
                                                       AtomicOutputFile& out) {
  out.TakeBack(lineStart);
  const CodeOutcome code = AppendCodeField(token, out);
  if (code == CodeOutcome::kDropped ||
      (code == CodeOutcome::kCopiedUntreated && settings_.skipIgnored)) {
    columnsBefore_.clear();
    out.TakeBack(lineStart);
    return LineOutcome::kDropped;
  }
  const std::string codeField(out.PendingSince(lineStart));
  out.TakeBack(lineStart);
  const bool written = WriteColumns(lineStart, out) &&
                       out.PutFinal(settings_.destinationSeparator) && out.PutFinal(codeField) &&
                       WriteColumnsAfterCode(cursor, out);
  columnsBefore_.clear();
  if (!written) return LineOutcome::kWriteFailed;
  out.Put("\r\n");
  return LineOutcome::kWritten;
}

// The columns before the code column, joined, written from the line; what is
// pending of the line is taken back first.
bool FileConversion::WriteColumns(std::size_t lineStart, AtomicOutputFile& out) {
  out.TakeBack(lineStart);
  for (std::size_t i = 0; i < columnsBefore_.size(); ++i) {
    if (i > 0 && !out.PutFinal(settings_.destinationSeparator)) return false;
    if (!out.PutFinal(columnsBefore_[i])) return false;
  }
  return true;
}

// Once the code column is written the line is sure to be kept, so the rest may go
// out at once: a long line needs no room of its size.
bool FileConversion::WriteColumnsAfterCode(TokenCursor& cursor, AtomicOutputFile& out) {
  // With one delimiter written back as it is, the rest of the line is its own
  // copy, unless delimiters stand in a run or at the end (tokens are never empty,
  // so such delimiters vanish).
  if (settings_.sameSingleSeparator &&
      IsPlainlyJoined(cursor.Rest(), settings_.delimiters.Single())) {
    return out.PutFinal(cursor.Rest());
  }
  while (const auto token = cursor.Next()) {
    if (!out.PutFinal(settings_.destinationSeparator) || !out.PutFinal(*token)) return false;
  }
  return true;
}

void FileConversion::ConvertAndRemember(std::string_view token, CodeResult& result) {
  result = {};
  if (settings_.rule == CodeRule::kSicovamToIsin) {
    // Plain digits, as nearly every file writes its codes, are read at once and
    // hold nothing but their code.
    if (const auto number = ReadPlainSicovamNumber(token, settings_.prefix)) {
      if (IsSicovamNumber(*number)) {
        const IsinView isin = SicovamNumberToIsin(tables_, *number, computed_);
        result.recognised = true;
        result.kind = isin.kind;
        result.text = isin.isin;
      }
    } else if (const auto isin = SicovamCodeToIsin(tables_, token, settings_.prefix, computed_)) {
      result.recognised = true;
      result.kind = isin->kind;
      result.text = isin->isin;
      result.moreThanCode = HoldsMoreThanItsCode(token, settings_.prefix);
    }
  } else if (tables_.IsIsinSideCode(token)) {
    // A computed code is part of the token: it lives as long as the line.
    const SicovamView code = IsinToSicovamCode(tables_, token, sicovamDigits_);
    result.recognised = true;
    result.kind = code.kind;
    result.text = code.code;
  }
  memo_.Store(token, result);
}

CodeOutcome FileConversion::AppendCodeField(std::string_view token, AtomicOutputFile& out) {
  if (settings_.rule == CodeRule::kCopy) {
    out.Put(token);
    return CodeOutcome::kConverted;
  }
  if (token.front() == '"') [[unlikely]] {
    const FieldValue value(token);
    if (value.Quoted()) return AppendCodeValue(token, value.Text(), true, out);
  }
  return AppendCodeValue(token, token, false, out);
}

// A quoted code is converted by its value and written back between quotes; the
// warnings name the token as the file holds it.
CodeOutcome FileConversion::AppendCodeValue(std::string_view token, std::string_view value,
                                            bool quoted, AtomicOutputFile& out) {
  const CodeResult code = ConvertCode(value);
  if (!code.recognised) {
    NotRecognised(
        token, out,
        settings_.rule == CodeRule::kSicovamToIsin ? texts::SicovamNotFound : texts::IsinNotFound);
    return CodeOutcome::kCopiedUntreated;
  }
  if (settings_.knownValuesOnly && code.kind == MatchKind::Computed) {
    DropUnknown(token);
    return CodeOutcome::kDropped;
  }
  if (code.moreThanCode) [[unlikely]] {
    Warn(texts::MoreThanTheCode(lineNumber_, DisplayText(token)));
    reporter_.LogLine(texts::kRestOfFieldLost);
  }
  if (quoted) [[unlikely]]
    out.PutRepeated('"', 1);
  if (settings_.rule == CodeRule::kIsinToSicovam) {
    // The prefix stands outside the fixed length; the code is padded on the left
    // with '0' to that many characters, and a longer code is written whole.
    out.Put(settings_.prefix);
    if (settings_.fixedLength) {
      const auto width = static_cast<std::size_t>(settings_.width);
      if (code.text.size() < width) out.PutRepeated('0', width - code.text.size());
    }
  }
  out.Put(code.text);
  if (quoted) [[unlikely]]
    out.PutRepeated('"', 1);
  return CodeOutcome::kConverted;
}

void FileConversion::NotRecognised(std::string_view token, AtomicOutputFile& out,
                                   std::string (*firstLine)(std::int64_t)) {
  Warn(firstLine(lineNumber_));
  reporter_.LogLine(settings_.skipIgnored ? texts::kLineSkipped : texts::kLineCopied);
  out.Put(token);
}

void FileConversion::DropUnknown(std::string_view token) {
  Warn(texts::UnknownSicovam(DisplayText(token)));
  reporter_.LogLine(texts::kLineSkipped);
  ++result_.unknownValues;
}

int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::min<std::int64_t>(value, std::numeric_limits<int>::max()));
}

// ---- Several files at a time -------------------------------------------------

// A run with several jobs converts a few files side by side, each on a thread of
// its own, while the run's own thread hands what each file reports to the run's
// reporter in file order, as it comes for the file whose turn it is: the log,
// the status lines, the separator question and the totals are those of one job.
// A file's output takes its place only once every earlier file is done, and
// the files after an abandon leave nothing.
class ParallelFiles {
 public:
  using Event = std::function<void(RunReporter&)>;

  ParallelFiles(RunShared& run, const std::vector<std::string>& paths, std::size_t jobs)
      : reporter_(run.reporter), paths_(paths), slots_(jobs) {
    for (std::size_t i = 0; i < jobs; ++i) {
      workers_.emplace_back([this, &run] { Work(run); });
    }
  }
  ~ParallelFiles() {
    Stop();
    for (std::thread& worker : workers_) worker.join();
  }
  ParallelFiles(const ParallelFiles&) = delete;
  ParallelFiles& operator=(const ParallelFiles&) = delete;

  // On the run's thread: hands on what the file reports as it comes, until it is
  // done; its result. After an abandon no later file is kept.
  FileResult Replay(std::size_t file) {
    std::unique_lock lock(mutex_);
    Slot& slot = SlotOf(file);
    slot.current = true;
    if (slot.events.size() >= kMostPending) jobsWake_.notify_all();  // it may report on now
    for (;;) {
      runWakes_.wait(lock, [&] { return !slot.events.empty() || slot.done; });
      if (slot.events.empty()) break;
      std::vector<Event> events;
      events.swap(slot.events);
      lock.unlock();
      for (const Event& event : events) event(reporter_);
      lock.lock();
    }
    if (slot.error) std::rethrow_exception(slot.error);
    const FileResult result = slot.result;
    slot = Slot{};
    if (result.abandoned) {
      stopped_ = true;
    } else {
      ++current_;  // the next file's turn, and room for one more
    }
    jobsWake_.notify_all();
    return result;
  }

  // No file is started or kept after this.
  void Stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    jobsWake_.notify_all();
  }

 private:
  // A file waiting for its turn keeps at most this many reports: a file with a
  // warning on every line waits with bounded memory.
  static constexpr std::size_t kMostPending = 4096;
  // A job hands its reports over a few at a time: one lock for many lines.
  static constexpr std::size_t kBatch = 64;

  struct Slot {
    std::vector<Event> events;
    bool current = false;  // its reports are being handed on
    bool done = false;
    std::optional<bool> goOn;  // the answer to the separator question
    FileResult result;
    std::exception_ptr error;
  };

  // What one job's file reports, gathered for its turn.
  class FileReport final : public RunReporter {
   public:
    explicit FileReport(ParallelFiles& files) : files_(files) {}
    void Start(std::size_t file) { file_ = file; }
    std::size_t File() const { return file_; }
    // What is gathered goes to the run's thread.
    void Flush() {
      if (!pending_.empty()) files_.Post(file_, pending_);
    }

    // A file reports these; the run's own thread the others.
    void FileStarted(std::int64_t index, std::int64_t count, std::string_view path) override {
      Gather(
          [=, path = std::string(path)](RunReporter& to) { to.FileStarted(index, count, path); });
    }
    void LogLine(std::string_view text) override {
      Gather([line = std::string(text)](RunReporter& to) { to.LogLine(line); });
    }
    bool GoOnWithoutSeparator(std::string_view path) override {
      Flush();
      return files_.Ask(file_, std::string(path));
    }
    // Progress is worth showing as it comes.
    void FileProgress(std::uint64_t done, std::uint64_t total) override {
      Gather([=](RunReporter& to) { to.FileProgress(done, total); });
      Flush();
    }
    void RunRefused(RunRefusal /*why*/) override {}
    void RunStarted(std::int64_t /*count*/) override {}
    void FileDone(std::int64_t /*filesDone*/, std::int64_t /*count*/) override {}
    void RunEnded(const RunEnd& /*end*/) override {}

   private:
    void Gather(Event event) {
      pending_.push_back(std::move(event));
      if (pending_.size() == kBatch) Flush();
    }

    ParallelFiles& files_;
    std::size_t file_ = 0;
    std::vector<Event> pending_;
  };

  Slot& SlotOf(std::size_t file) { return slots_[file % slots_.size()]; }

  // A job: takes the next file while there is room for it, converts it, and
  // gives its result, until there is none left or the run stops.
  void Work(RunShared& run) {
    FileReport report(*this);
    RunShared own{run.settings,
                  run.tables,
                  run.selection,
                  run.places,
                  report,
                  run.fileCount,
                  {},
                  {},
                  {},
                  [this, &report] {
                    report.Flush();
                    return WaitForTurn(report.File());
                  }};
    for (;;) {
      std::unique_lock lock(mutex_);
      jobsWake_.wait(lock, [&] {
        return stopped_ || next_ == paths_.size() || next_ < current_ + slots_.size();
      });
      if (stopped_ || next_ == paths_.size()) return;
      const std::size_t file = next_++;
      lock.unlock();
      report.Start(file);
      FileResult result;
      std::exception_ptr error;
      try {
        result = FileConversion(own, paths_[file], static_cast<std::int64_t>(file) + 1).Run();
        report.Flush();
      } catch (...) {
        error = std::current_exception();  // running out of memory, said by the run's thread
      }
      lock.lock();
      Slot& slot = SlotOf(file);
      slot.result = result;
      slot.error = error;
      slot.done = true;
      if (slot.current) runWakes_.notify_one();
    }
  }

  // Hands the events over, and empties them.
  void Post(std::size_t file, std::vector<Event>& events) {
    std::unique_lock lock(mutex_);
    Slot& slot = SlotOf(file);
    jobsWake_.wait(lock,
                   [&] { return stopped_ || slot.current || slot.events.size() < kMostPending; });
    if (!stopped_) {
      const bool wasEmpty = slot.events.empty();
      std::move(events.begin(), events.end(), std::back_inserter(slot.events));
      // The run's thread waits only on the file whose turn it is, and only once
      // it has handed on all of it so far.
      if (slot.current && wasEmpty) runWakes_.notify_one();
    }
    events.clear();
  }

  // The question is asked when the file's turn comes, in file order.
  bool Ask(std::size_t file, std::string path) {
    std::vector<Event> question;
    question.emplace_back([this, file, path = std::move(path)](RunReporter& to) {
      const bool goOn = to.GoOnWithoutSeparator(path);
      const std::lock_guard lock(mutex_);
      SlotOf(file).goOn = goOn;
      jobsWake_.notify_all();
    });
    Post(file, question);
    std::unique_lock lock(mutex_);
    Slot& slot = SlotOf(file);
    jobsWake_.wait(lock, [&] { return stopped_ || slot.goOn.has_value(); });
    return slot.goOn.value_or(false);
  }

  // The file's turn has come when every earlier file is done and kept.
  bool WaitForTurn(std::size_t file) {
    std::unique_lock lock(mutex_);
    jobsWake_.wait(lock, [&] { return stopped_ || current_ == file; });
    return !stopped_;
  }

  RunReporter& reporter_;
  const std::vector<std::string>& paths_;
  std::mutex mutex_;
  std::condition_variable runWakes_;  // the run's thread: news of the file whose turn it is
  std::condition_variable jobsWake_;  // the jobs: room, an answer, a turn, or the end
  std::vector<Slot> slots_;           // file i in slot i % jobs
  std::size_t next_ = 0;              // the next file a job takes
  std::size_t current_ = 0;           // the file whose reports are handed on
  bool stopped_ = false;
  std::vector<std::thread> workers_;  // last: they start once the rest is ready
};

}  // namespace

RunTotals ProcessFiles(const ConversionOptions& options, const std::vector<std::string>& paths,
                       const CodeTables& tables, RunReporter& reporter, const RunPlaces& places) {
  RunTotals totals;
  const auto count = static_cast<std::int64_t>(paths.size());
  if (paths.empty() || (paths.size() == 1 && paths.front().empty())) {
    reporter.RunRefused(RunRefusal::kNothingSelected);
    totals.refused = true;
    return totals;
  }
  // The length is checked whatever the direction, also when it is not used.
  if (options.LgSicoFixe != 0 &&
      (options.NbCharSico < kShortestFixedLength || options.NbCharSico > kLongestFixedLength)) {
    reporter.RunRefused(options.NbCharSico < kShortestFixedLength ? RunRefusal::kLengthTooShort
                                                                  : RunRefusal::kLengthTooLong);
    totals.refused = true;
    return totals;
  }
  reporter.RunStarted(count);

  const RunSettings settings(options);
  const Selection selection(paths);
  RunShared run{settings, tables, selection, places, reporter, count, {}, {}, {}, {}};
  RunEnd end;
  // Adds up a file's result; false when the run ends with it.
  const auto tally = [&](const FileResult& file) {
    if (file.abandoned) {
      end.abandoned = true;
      return false;
    }
    end.warnings += file.warnings;
    end.unknownValues += file.unknownValues;
    totals.filesNotConverted += file.notConverted ? 1 : 0;
    totals.outputStreamFailed = totals.outputStreamFailed || file.streamFailed;
    reporter.FileDone(++end.filesDone, count);
    return true;
  };
  const std::size_t jobs = CanStartThreads() ? std::min(places.jobs, paths.size()) : 1;
  if (jobs > 1 && places.inputCopy == nullptr) {
    tables.MakeIndexes();  // the jobs share the tables, read only
    ParallelFiles parallel(run, paths, jobs);
    for (std::size_t file = 0; file < paths.size(); ++file) {
      if (!tally(parallel.Replay(file))) break;
    }
  } else {
    for (std::size_t file = 0; file < paths.size(); ++file) {
      const auto index = static_cast<std::int64_t>(file) + 1;
      if (!tally(FileConversion(run, paths[file], index).Run())) break;
    }
  }

  if (!end.abandoned) {
    reporter.LogLine(texts::kEmptyLine);
    reporter.LogLine(texts::kGlobalSummary);
    reporter.LogLine(texts::FilesProcessed(end.filesDone));
    if (end.warnings != 0) {
      reporter.LogLine(texts::WarningsTotal(end.warnings));
      reporter.LogLine(texts::UnknownValuesTotal(end.unknownValues));
    }
  }
  end.userPairs = static_cast<std::int64_t>(tables.UserPairCount());
  end.builtinPairs = static_cast<std::int64_t>(BuiltinCodeTable().VisibleCount());
  reporter.RunEnded(end);

  totals.abandoned = end.abandoned;
  totals.filesDone = ClampToInt(end.filesDone);
  totals.warnings = ClampToInt(end.warnings);
  totals.unknownValues = ClampToInt(end.unknownValues);
  return totals;
}

}  // namespace quelvane
