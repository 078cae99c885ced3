#include "cli/table_command.h"

#include <cstddef>
#include <ostream>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "core/code_rules.h"
#include "core/code_tables.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "os/os.h"
#include "run/run_texts.h"

namespace quelvane {
namespace {

// One line of the table as the loader took it.
struct TableLine {
  std::size_t number = 0;  // from 1
  UserLine parsed;
  bool afterEnd = false;  // behind a code -1: stored, never seen by a lookup
};

// The pairs lookups see, with the line each came from: a lookup in this table
// answers what a conversion's lookup in the user table answers.
struct VisiblePairs {
  explicit VisiblePairs(const std::vector<TableLine>& lines) {
    std::vector<CodeEntry> entries;
    for (const TableLine& line : lines) {
      if (line.afterEnd || line.parsed.kind != UserLineKind::kPair ||
          line.parsed.entry.code == kEndMarkerCode) {
        continue;
      }
      entries.push_back(line.parsed.entry);
      lineOf.push_back(line.number);
    }
    table = CodeTable(std::move(entries));
  }
  std::size_t LineOf(const CodeEntry* entry) const {
    return lineOf[static_cast<std::size_t>(entry - table.Entries().data())];
  }

  CodeTable table;
  std::vector<std::size_t> lineOf;
};

std::string PairText(std::int32_t code, std::string_view isin) {
  return std::to_string(code) + " <-> " + DisplayText(isin);
}

// What is worth saying of a pair, and whether conversions use all of it.
struct PairNotes {
  std::vector<std::string> notes;
  bool fullyUsed = true;
  bool overridesBuiltin = false;
};

PairNotes NotesOn(const TableLine& line, const VisiblePairs& pairs) {
  PairNotes result;
  const CodeEntry& entry = line.parsed.entry;
  const auto problem = [&](std::string note) {
    result.notes.push_back(std::move(note));
    result.fullyUsed = false;
  };
  if (line.parsed.isinCut) {
    problem("ISIN coupé à ses " + std::to_string(kUserIsinMaxLength) + " premiers caractères");
  }
  // What a lookup finds of this line: its code, its ISIN, or neither.
  bool codeFound = false;
  if (entry.code == 0) {
    problem("le premier champ n'est pas un nombre : code 0, jamais cherché");
  } else if (!IsSicovamNumber(entry.code)) {
    problem("code hors de 1 à 99999998, jamais cherché");
  } else if (const std::size_t first = pairs.LineOf(pairs.table.FindByCode(entry.code));
             first != line.number) {
    problem("code déjà donné ligne " + std::to_string(first) + ", qui l'emporte");
  } else {
    codeFound = true;
  }
  const std::size_t firstWithIsin = pairs.LineOf(pairs.table.FindByIsin(entry.isin));
  const bool isinFound = firstWithIsin == line.number;
  if (!isinFound) {
    problem("ISIN déjà donné ligne " + std::to_string(firstWithIsin) + ", qui l'emporte");
  }
  // A pair the built-in table already holds changes nothing; one that gives a
  // built-in code another ISIN, or a built-in ISIN another code, takes its place.
  const CodeTable& builtin = BuiltinCodeTable();
  const CodeEntry* sameCode = builtin.FindByCode(entry.code);
  const CodeEntry* sameIsin = builtin.FindByIsin(entry.isin);
  const bool codeReplaced =
      codeFound && sameCode != nullptr && !EqualsFoldingAsciiLetters(sameCode->isin, entry.isin);
  const bool isinReplaced = isinFound && sameIsin != nullptr && sameIsin->code != entry.code;
  if (codeReplaced) {
    result.notes.push_back("remplace la paire intégrée " +
                           PairText(sameCode->code, sameCode->isin));
  }
  if (isinReplaced && sameIsin != sameCode) {
    result.notes.push_back("remplace la paire intégrée " +
                           PairText(sameIsin->code, sameIsin->isin));
  }
  result.overridesBuiltin = codeReplaced || isinReplaced;
  if (!result.overridesBuiltin && sameCode != nullptr &&
      EqualsFoldingAsciiLetters(sameCode->isin, entry.isin)) {
    result.notes.emplace_back("déjà dans la table intégrée");
  }
  return result;
}

// A comment or an empty line: passed over on purpose.
bool IsNote(const TableLine& line) {
  return !line.afterEnd &&
         (line.parsed.kind == UserLineKind::kBlank || line.parsed.kind == UserLineKind::kComment);
}

struct Summary {
  std::size_t lines = 0;
  std::size_t pairs = 0;
  std::size_t overriding = 0;
  std::size_t toReview = 0;
  std::size_t endLine = 0;
};

// The line's report, and what it adds to the summary.
std::string Describe(const TableLine& line, const VisiblePairs& pairs, Summary& summary) {
  const std::string where = "ligne " + std::to_string(line.number) + " : ";
  if (line.afterEnd) {
    ++summary.toReview;
    return where + "après le marqueur de fin, jamais lue";
  }
  switch (line.parsed.kind) {
    case UserLineKind::kBlank:
      return where + "vide, ignorée";
    case UserLineKind::kComment:
      return where + "commentaire, ignorée";
    case UserLineKind::kOneField:
      ++summary.toReview;
      return where +
             "ignorée : un seul champ (le code et l'ISIN se séparent par une tabulation ou un "
             "';', pas par un espace)";
    case UserLineKind::kPair:
      break;
  }
  const CodeEntry& entry = line.parsed.entry;
  if (entry.code == kEndMarkerCode) {
    summary.endLine = line.number;
    return where + "marqueur de fin (code -1) : les lignes suivantes ne sont pas lues";
  }
  ++summary.pairs;
  const PairNotes notes = NotesOn(line, pairs);
  summary.toReview += notes.fullyUsed ? 0 : 1;
  summary.overriding += notes.overridesBuiltin ? 1 : 0;
  std::string text = where + PairText(entry.code, entry.isin);
  for (const std::string& note : notes.notes) text += " ; " + note;
  return text;
}

std::string SummaryText(const Summary& summary) {
  std::string text = "Bilan : " + std::to_string(summary.lines) + " lignes, " +
                     std::to_string(summary.pairs) + " paires lues (dont " +
                     std::to_string(summary.overriding) + " remplacent la table intégrée), " +
                     std::to_string(summary.toReview) + " lignes à revoir";
  if (summary.endLine != 0) {
    text += ", marqueur de fin ligne " + std::to_string(summary.endLine);
  }
  return text + ".";
}

}  // namespace

CLI::App* AddTableCommand(CLI::App& app, TableArgs& args) {
  CLI::App* command = app.add_subcommand(
      "table",
      "Dit ce que donne une table de codes de l'utilisateur (table.txt), ligne par ligne :\n"
      "les paires lues, chaque ligne ignorée et pourquoi, les codes ou ISIN donnés deux fois\n"
      "(la première ligne l'emporte), les paires qui remplacent celles de la table intégrée,\n"
      "le marqueur de fin (code -1) après lequel plus rien n'est lu. Les programmes Quelvane\n"
      "lisent table.txt dans le dossier courant.\n"
      "Code de sortie : 0 toutes les lignes servent (commentaires et lignes vides compris),\n"
      "1 une ligne au moins est à revoir, 2 table illisible ou erreur d'usage.");
  command->group("Commandes");
  command
      ->add_option("--table", args.table,
                   "Table de codes à lire (défaut : table.txt du dossier courant)")
      ->type_name("FICHIER");
  return command;
}

int RunTableCommand(const TableArgs& args, Console& console) {
  const std::string path = args.table.value_or("table.txt");
  const auto unreadable = [&](OpenFailure why) {
    return ReportFailure(console, "quelvane-cli table",
                         "impossible de lire la table de codes « " + DisplayText(path) +
                             " » : " + std::string(run_texts::UnreadableReason(why)) + ".",
                         kExitUsage);
  };
  const OpenedFile opened = OpenRegularFile(path);
  if (!opened.file) return unreadable(opened.failure);
  std::vector<TableLine> lines;
  LineReader reader(opened.file.get());
  reader.DecodeIfUtf16();
  bool afterEnd = false;
  while (const auto text = reader.Next()) {
    TableLine line{lines.size() + 1, ParseUserLine(lines.empty() ? WithoutUtf8Mark(*text) : *text),
                   afterEnd};
    afterEnd = afterEnd || (line.parsed.kind == UserLineKind::kPair &&
                            line.parsed.entry.code == kEndMarkerCode);
    lines.push_back(std::move(line));
  }
  if (reader.Failed()) {
    return unreadable(reader.NotUtf16() ? OpenFailure::kNotUtf16 : OpenFailure::kReadError);
  }

  const VisiblePairs pairs(lines);
  Summary summary;
  summary.lines = lines.size();
  console.out << "Table de codes « " << DisplayText(path) << " » :\n";
  for (std::size_t i = 0; i < lines.size();) {
    // A run of comments and empty lines is said once: a table's notes stay short.
    std::size_t end = i;
    while (end < lines.size() && IsNote(lines[end])) ++end;
    if (end - i > 1) {
      console.out << "lignes " << lines[i].number << " à " << lines[end - 1].number
                  << " : commentaires ou lignes vides, ignorées\n";
      i = end;
      continue;
    }
    console.out << Describe(lines[i], pairs, summary) << '\n';
    ++i;
  }
  console.out << SummaryText(summary) << '\n';
  console.out.flush();
  return summary.toReview == 0 ? kExitOk : kExitWarnings;
}

}  // namespace quelvane
