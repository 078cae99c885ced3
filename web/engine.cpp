// The web page's engine: the file conversion run, the quick conversion and the
// settings, called by the page's worker (web/worker.js) through plain C entry
// points. What the run reports goes to the worker through the imports of
// web/engine_library.js; the worker words it for the page. Texts cross as UTF-8;
// records are fields separated by kField and records by kRecord, characters that
// no text of the program holds.
#include <cstddef>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/table_command.h"
#include "core/code_tables.h"
#include "core/text.h"
#include "res/box_texts.h"
#include "res/help_text.h"
#include "res/window_report.h"
#include "run/process_files.h"
#include "run/profile.h"
#include "run/quick_convert.h"
#include "run/settings.h"

extern "C" {
// Imports, written in JavaScript (web/engine_library.js).
void QuelvanePageStatus(int given, const char* line1, const char* line2, const char* line3,
                        const char* line4);
void QuelvanePageLog(const char* text);
int QuelvanePageBox(const char* text, const char* caption, int type);
void QuelvanePageProgress(double done, double total);

// Entry points.
const char* QuelvaneReadForm();
const char* QuelvaneSaveForm(const char* form);
int QuelvaneRun(const char* paths, const char* outputFolder, const char* tablePath);
const char* QuelvaneQuick(const char* typed, const char* tablePath);
const char* QuelvaneHelp();
const char* QuelvaneTable(const char* tablePath);
}

namespace quelvane {
namespace {

constexpr char kField = '\x1f';
constexpr char kRecord = '\x1e';

// The last text handed to the worker, kept until the next call.
std::string answer;

const char* Answer(std::string text) {
  answer = std::move(text);
  return answer.c_str();
}

class PageReporter final : public res::WindowReport {
 public:
  void SetStatusLines(const std::optional<std::string>& line1,
                      const std::optional<std::string>& line2,
                      const std::optional<std::string>& line3,
                      const std::optional<std::string>& line4) override {
    const int given = (line1 ? 1 : 0) | (line2 ? 2 : 0) | (line3 ? 4 : 0) | (line4 ? 8 : 0);
    QuelvanePageStatus(given, line1.value_or("").c_str(), line2.value_or("").c_str(),
                       line3.value_or("").c_str(), line4.value_or("").c_str());
  }
  void AddLogLine(std::string_view text) override { QuelvanePageLog(std::string(text).c_str()); }
  void SetLogRedraw(bool /*on*/) override {}
  void ScrollLogToEnd() override {}
  BoxAnswer MessageBox(std::string_view text, std::string_view caption, BoxType type) override {
    return static_cast<BoxAnswer>(QuelvanePageBox(
        std::string(text).c_str(), std::string(caption).c_str(), static_cast<int>(type)));
  }
  void FileProgress(std::uint64_t done, std::uint64_t total) override {
    QuelvanePageProgress(static_cast<double>(done), static_cast<double>(total));
  }
};

// The tables a conversion uses: the built-in one and the user's table.txt, when
// the page holds one.
CodeTables TablesWith(const char* tablePath) {
  CodeTables tables;
  if (tablePath != nullptr && *tablePath != '\0') tables.LoadUserCodeTable(tablePath);
  return tables;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

// The page's form: one "name=value" line per control, texts in UTF-8.
std::string FormOf(const Settings& settings) {
  const ConversionOptions& options = settings.options;
  const auto text = [](std::string_view bytes) { return Cp1252ToUtf8(bytes); };
  std::string form;
  const auto add = [&form](std::string_view name, std::string_view value) {
    form.append(name).append("=").append(value).append("\n");
  };
  add("ValeursConnuesOnly", options.ValeursConnuesOnly != 0 ? "1" : "0");
  add("NePasRecopierValeursIgnorees", options.NePasRecopierValeursIgnorees != 0 ? "1" : "0");
  add("SourceTabulation", settings.sourceTabulation ? "1" : "0");
  add("SeparateurSource", settings.sourceTabulation ? "" : text(options.SeparateurSource));
  add("DestinationTabulation", settings.destinationTabulation ? "1" : "0");
  add("SeparateurDestination",
      settings.destinationTabulation ? "" : text(options.SeparateurDestination));
  add("IsinVersSicovam", settings.direction == ConversionDirection::kIsinToSicovam ? "1" : "0");
  add("PrefixeX", options.PrefixeSicovam == "X" ? "1" : "0");
  add("LgSicoFixe", options.LgSicoFixe != 0 ? "1" : "0");
  add("NbCharSico", std::to_string(options.NbCharSico));
  add("ExtensionDestination", ExtensionText(options.ExtensionDestination));
  return form;
}

// The form applied to the saved settings: what the page's controls say
// replaces what the file said, and the rest of the file stays as it was.
std::optional<std::string> Apply(std::string_view form, Settings& settings) {
  ConversionOptions& options = settings.options;
  for (const std::string& line : Lines(form)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string_view name = std::string_view(line).substr(0, equals);
    const std::string_view value = std::string_view(line).substr(equals + 1);
    const bool on = value == "1";
    if (name == "ValeursConnuesOnly") options.ValeursConnuesOnly = on ? 1 : 0;
    if (name == "NePasRecopierValeursIgnorees") options.NePasRecopierValeursIgnorees = on ? 1 : 0;
    if (name == "SourceTabulation") settings.sourceTabulation = on;
    if (name == "DestinationTabulation") settings.destinationTabulation = on;
    if (name == "SeparateurSource" || name == "SeparateurDestination") {
      const std::optional<std::string> bytes = EncodeCp1252(value);
      if (!bytes)
        return "Le séparateur « " + std::string(value) +
               " » contient un caractère que "
               "les fichiers ne peuvent pas contenir (Windows-1252).";
      if (bytes->size() > kSeparatorMaxLength) return std::string("9 caractères au plus.");
      (name == "SeparateurSource" ? options.SeparateurSource : options.SeparateurDestination) =
          *bytes;
    }
    if (name == "IsinVersSicovam") {
      const ConversionDirection direction =
          on ? ConversionDirection::kIsinToSicovam : ConversionDirection::kSicovamToIsin;
      // A direction chosen sets both code types, as the window's buttons do;
      // the saved pair stays while the direction stays.
      if (direction != settings.direction) options.SetDirection(direction);
      settings.direction = direction;
    }
    if (name == "PrefixeX") options.PrefixeSicovam = on ? "X" : "";
    if (name == "LgSicoFixe") options.LgSicoFixe = on ? 1 : 0;
    if (name == "NbCharSico") options.NbCharSico = ReadAtoi(value);
    if (name == "ExtensionDestination") {
      const OutputExtension extension = value == ExtensionText(OutputExtension::kNew)
                                            ? OutputExtension::kNew
                                            : OutputExtension::kNewTxt;
      if (extension != options.ExtensionDestination) settings.otherExtension.reset();
      options.ExtensionDestination = extension;
    }
  }
  if (settings.sourceTabulation) options.SeparateurSource.assign(1, '\t');
  if (settings.destinationTabulation) options.SeparateurDestination.assign(1, '\t');
  return std::nullopt;
}

}  // namespace
}  // namespace quelvane

using namespace quelvane;

const char* QuelvaneReadForm() {
  return Answer(FormOf(ReadSettings(Profile(Profile::DefaultPath())).settings));
}

// "" once saved, else what is wrong, for the page to say.
const char* QuelvaneSaveForm(const char* form) {
  Profile profile(Profile::DefaultPath());
  Settings settings = ReadSettings(profile).settings;
  if (auto problem = Apply(form, settings)) return Answer(std::move(*problem));
  if (!WriteSettings(profile, settings)) {
    return Answer("Les réglages n'ont pas pu être enregistrés.");
  }
  return Answer("");
}

// paths: one per line, relative to the folder the worker made current. The
// totals come back as a record: files, warnings, unknown values, files not
// converted, abandoned, refused.
int QuelvaneRun(const char* paths, const char* outputFolder, const char* tablePath) {
  const Settings settings = ReadSettings(Profile(Profile::DefaultPath())).settings;
  const CodeTables tables = TablesWith(tablePath);
  PageReporter reporter;
  RunPlaces places;
  places.outputFolder = outputFolder;
  std::vector<std::string> selected = Lines(paths);
  if (selected.empty()) selected.emplace_back();  // nothing selected, as the window says it
  const RunTotals totals = ProcessFiles(settings.options, selected, tables, reporter, places);
  if (totals.refused) return 2;
  if (totals.abandoned) return 3;
  return totals.filesNotConverted != 0 ? 4 : totals.warnings != 0 ? 1 : 0;
}

// The quick conversion of one typed text: "recognised", the box's text, caption
// and type (empty when no box), the SICOVAM line, the ISIN line (each with a
// leading '+' when it changes, '-' when it keeps its text) and "isinFirst".
const char* QuelvaneQuick(const char* typed, const char* tablePath) {
  const CodeTables tables = TablesWith(tablePath);
  const std::string bytes = Utf8ToCp1252(typed);
  const QuickConversion result = QuickConvert(tables, bytes);
  std::string out;
  const auto field = [&out](std::string_view text) { out.append(text).push_back(kField); };
  field(result.recognised ? "1" : "0");
  const BoxMessage* box = res::QuickNoteBox(result.note);
  field(box != nullptr ? box->text : "");
  field(box != nullptr ? box->caption : "");
  field(box != nullptr ? std::to_string(static_cast<int>(box->type)) : "");
  field(result.sicovamLine ? "+" + *result.sicovamLine : "-");
  field(result.isinLine ? "+" + *result.isinLine : "-");
  field(result.isinLineFirst ? "1" : "0");
  out.push_back(kRecord);
  return Answer(std::move(out));
}

// The version, the help text, then the About box's lines, as records.
const char* QuelvaneHelp() {
  std::string out = QUELVANE_VERSION;
  out.push_back(kRecord);
  for (std::string_view piece : kHelpTextPieces) out.append(piece);
  out.push_back(kRecord);
  out.append(kAboutVersionLine).push_back(kRecord);
  out.append(kPublisherLine).push_back(kRecord);
  return Answer(std::move(out));
}

// What "quelvane-cli table" says of the user's table, for the page to show
// beside it: its standard output, then its standard error.
const char* QuelvaneTable(const char* tablePath) {
  std::ostringstream out;
  std::ostringstream err;
  Console console{out, err};
  const TableArgs args{std::string(tablePath)};
  RunTableCommand(args, console);
  return Answer(out.str() + kRecord + err.str());
}
