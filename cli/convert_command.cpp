#include "cli/convert_command.h"

#include <algorithm>
#include <filesystem>
#include <istream>
#include <map>
#include <ostream>
#include <string_view>
#include <tuple>

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "core/code_tables.h"
#include "core/text.h"
#include "os/os.h"
#include "run/process_files.h"
#include "run/profile.h"
#include "run/run_texts.h"
#include "run/settings.h"

namespace quelvane {
namespace {

// The run's boxes in a terminal's words: they name the command line's options
// and the log above, where the window names its controls.
constexpr std::string_view kTerminalNothingSelected =
    "Aucun fichier à traiter : le nom de fichier donné est vide.";
const std::string kTerminalLengthTooShort =
    "La longueur fixe des codes SICOVAM (--fixed-length, ou celle des réglages lus avec\n"
    "--profile) est absente ou inférieure à " +
    std::to_string(kShortestFixedLength) + ".\nLa longueur doit être au moins égale à " +
    std::to_string(kShortestFixedLength) + ".";
const std::string kTerminalLengthTooLong =
    "La longueur fixe des codes SICOVAM (--fixed-length, ou celle des réglages lus avec\n"
    "--profile) est supérieure à " +
    std::to_string(kLongestFixedLength) + ".\nLa longueur doit être au plus égale à " +
    std::to_string(kLongestFixedLength) + ".";
constexpr std::string_view kTerminalUnknownValuesSentence =
    "\nLes valeurs inconnues ne sont pas converties : donnez -a (--all-values)\nou ajoutez "
    "leurs paires à table.txt.";

std::string TerminalSeparatorQuestion(std::string_view path) {
  return "Le fichier '" + std::string(path) +
         "'\nne semble pas contenir le séparateur de colonne sélectionné.\n\n"
         "Vous devriez peut-être donner le bon séparateur avec l'option -s (--source-sep).\n\n"
         "Voulez-vous continuer ?";
}

std::string TerminalWarningsBox(std::int64_t warnings) {
  return "Attention, il y a eu " + std::to_string(warnings) +
         " warnings.\nConsultez le log ci-dessus.";
}

std::string TerminalUnknownValuesHint(std::int64_t userPairs, std::int64_t builtinPairs) {
  return run_texts::TablesHold(userPairs, builtinPairs) +
         "les autres codes sont ignorés sans l'option -a (--all-values). Donnez-la pour les "
         "convertir par le calcul, ou ajoutez leurs paires à table.txt (--table).";
}

// The run's reporter for a terminal or a pipe: the log becomes standard output,
// what the window says in boxes goes to standard error, and a progress line on
// standard error shows the file under way; it is erased before anything else is
// written there or to the log.
class ConsoleReporter final : public RunReporter {
 public:
  ConsoleReporter(Console& console, const ConvertArgs& args) : console_(console), args_(args) {}

  void RunRefused(RunRefusal why) override {
    Say(why == RunRefusal::kNothingSelected  ? std::string(kTerminalNothingSelected)
        : why == RunRefusal::kLengthTooShort ? kTerminalLengthTooShort
                                             : kTerminalLengthTooLong);
  }

  // The log so far goes out as each file is done, so that an interrupted run
  // shows what it did (see also FileProgress).
  void RunStarted(std::int64_t /*count*/) override { console_.out.flush(); }
  void FileDone(std::int64_t /*filesDone*/, std::int64_t /*count*/) override {
    console_.out.flush();
  }

  void FileStarted(std::int64_t index, std::int64_t count, std::string_view /*path*/) override {
    fileIndex_ = index;
    fileCount_ = count;
    ShowProgress(0);
  }

  void LogLine(std::string_view text) override {
    ErasePercent();
    console_.out << text << '\n';
  }

  bool GoOnWithoutSeparator(std::string_view path) override {
    Say(TerminalSeparatorQuestion(path));
    if (args_.yes) return Answer(true, "Réponse : Oui (--yes).");
    if (args_.no) return Answer(false, "Réponse : Non (--no).");
    if (console_.terminal == nullptr) {
      return Answer(false,
                    "Pas de terminal pour répondre : la réponse est Non (--yes ou --no donnent "
                    "la réponse à l'avance).");
    }
    for (;;) {
      console_.err << "Continuer ? (o/n) " << std::flush;
      std::string answer;
      if (!std::getline(*console_.terminal, answer)) return false;
      const std::string_view word = answer;
      if (word == "o" || word == "O" || word == "oui" || word == "y" || word == "Y" ||
          word == "yes") {
        return true;
      }
      if (word == "n" || word == "N" || word == "non" || word == "no") return false;
    }
  }

  // Called every few megabytes of a file, and as each reading of it starts.
  void FileProgress(std::uint64_t done, std::uint64_t total) override {
    console_.out.flush();
    ShowProgress(total == 0 ? 100 : static_cast<int>(done * 100 / total));
  }

  void RunEnded(const RunEnd& end) override {
    const bool unknownSaid = !end.abandoned && end.unknownValues != 0;
    if (unknownSaid) LogLine(TerminalUnknownValuesHint(end.userPairs, end.builtinPairs));
    ErasePercent();
    if (end.warnings != 0) {
      std::string text = TerminalWarningsBox(end.warnings);
      if (unknownSaid) text += kTerminalUnknownValuesSentence;
      Say(text);
    }
  }

  void Finish() { ErasePercent(); }

 private:
  // What the window would say in a box, after the log so far.
  void Say(std::string_view text) {
    ErasePercent();
    console_.out.flush();
    console_.err << text << '\n';
  }

  bool Answer(bool goOn, std::string_view why) {
    console_.err << why << '\n';
    return goOn;
  }

  void ShowProgress(int percent) {
    if (!console_.showProgress) return;
    console_.out.flush();
    console_.err << "\rFichier " << fileIndex_ << "/" << fileCount_ << " : " << percent << " %"
                 << std::flush;
    shown_ = true;
  }

  void ErasePercent() {
    if (!shown_) return;
    console_.err << "\r\x1b[K" << std::flush;
    shown_ = false;
  }

  Console& console_;
  const ConvertArgs& args_;
  std::int64_t fileIndex_ = 0;
  std::int64_t fileCount_ = 0;
  bool shown_ = false;
};

// CLI11 shows a flag that may take a value as "--profile{}"; say it as users write it.
class ConvertHelpFormatter final : public CLI::Formatter {
 public:
  explicit ConvertHelpFormatter(const CLI::Formatter& base) : CLI::Formatter(base) {}
  std::string make_option_name(const CLI::Option* option, bool positional) const override {
    std::string name = CLI::Formatter::make_option_name(option, positional);
    if (const std::size_t at = name.find("{}"); at != std::string::npos) {
      name.replace(at, 2, "[=FICHIER]");
    }
    return name;
  }
};

int UsageError(Console& console, std::string_view message) {
  return ReportUsage(console, "quelvane-cli convert", message);
}

// The exit statuses from the one table of them, each meaning wrapped under its
// number as the rest of the help is (88 columns).
std::string StatusesHelp() {
  constexpr std::size_t kWidth = 88;
  constexpr std::string_view kIndent = "     ";
  std::string text = "Code de sortie (quand plusieurs s'appliquent, le plus grand) ;\n" +
                     std::string(kInterruptedStatus) + ".";
  for (const ExitStatus& status : kConvertStatuses) {
    std::string line = "  " + std::to_string(status.value) + "  ";
    std::string_view rest = status.meaning;
    while (!rest.empty()) {
      const std::size_t room = kWidth - line.size();
      std::size_t cut = rest.size();
      // Characters count, not bytes: UTF-8 continuation bytes take no column.
      std::size_t columns = 0;
      for (std::size_t i = 0; i < rest.size(); ++i) {
        if ((static_cast<unsigned char>(rest[i]) & 0xC0) == 0x80) continue;
        if (++columns > room) {
          cut = rest.rfind(' ', i);
          if (cut == std::string_view::npos) cut = rest.size();  // a word longer than a line
          break;
        }
      }
      text += "\n" + line + std::string(rest.substr(0, cut));
      rest.remove_prefix(cut == rest.size() ? cut : cut + 1);
      line = kIndent;
    }
  }
  return text;
}

}  // namespace

// cmd hands "*.prn" on as typed, and the program expands it (core/wildcards.h);
// elsewhere the shell has.
#ifdef _WIN32
constexpr const char* kFilesHelp =
    "Fichiers à traiter ; dans un nom hors guillemets, * et ? désignent les fichiers du "
    "dossier qui correspondent (*.prn)";
#else
constexpr const char* kFilesHelp = "Fichiers à traiter";
#endif

CLI::App* AddConvertCommand(CLI::App& app, ConvertArgs& args) {
  CLI::App* command = app.add_subcommand(
      "convert",
      "Convertit la colonne de codes de fichiers de cotations, comme le bouton « Traiter les\n"
      "fichiers » du programme Quelvane : pour chaque FICHIER, la colonne des codes source est\n"
      "trouvée (la colonne la plus à gauche où un code est reconnu) et une copie convertie\n"
      "est écrite à côté, sous le nom du fichier suivi de .new ou .new.txt.\n"
      "Le journal (log) s'affiche sur la sortie standard, une ligne par ligne du journal ; les\n"
      "textes des boîtes de message sur la sortie d'erreur. Sur un terminal, l'avancement\n"
      "s'affiche sur la sortie d'erreur et s'efface à la fin.\n"
      "Sans option, les réglages sont ceux du premier lancement du programme : SICOVAM ==>\n"
      "ISIN, séparateurs tabulation, valeurs connues uniquement, pas de préfixe, extension .new.\n"
      "Avec « - » pour seul FICHIER, le fichier est lu sur l'entrée standard et sa copie\n"
      "convertie écrite sur la sortie standard ; le journal passe alors sur la sortie d'erreur.\n"
      "Un fichier dont le nom commence par '-' se donne après « -- ».\n" +
          StatusesHelp());

  command->group("Commandes");
  if (const auto base = std::dynamic_pointer_cast<CLI::Formatter>(app.get_formatter())) {
    command->formatter(std::make_shared<ConvertHelpFormatter>(*base));
  }
  command->add_flag("-r,--isin-to-sicovam", args.isinToSicovam,
                    "Sens ISIN ==> SICOVAM (défaut : SICOVAM ==> ISIN)");
  command
      ->add_option("-s,--source-sep", args.sourceSeparator,
                   "Caractères séparateurs de colonnes de la source, pris tels quels ; chacun "
                   "sépare les colonnes (défaut : une tabulation ; vide : une seule colonne)")
      ->type_name("CARACTÈRES");
  command
      ->add_option("-d,--dest-sep", args.destinationSeparator,
                   "Séparateur écrit entre les colonnes, pris tel quel (défaut : une tabulation)")
      ->type_name("TEXTE");
  command
      ->add_option("--prefix", args.prefix,
                   "Préfixe des codes SICOVAM, par exemple X (défaut : aucun)")
      ->type_name("TEXTE");
  command
      ->add_option("--fixed-length", args.fixedLength,
                   "Codes SICOVAM produits complétés à gauche par des '0' jusqu'à N caractères "
                   "(de " +
                       std::to_string(kShortestFixedLength) + " à " +
                       std::to_string(kLongestFixedLength) + ", préfixe non compris)")
      ->type_name("N");
  command
      ->add_option("-k,--column", args.column,
                   "La colonne des codes est la N-ième (1 = la première), sans recherche : "
                   "utile quand une colonne de dates ou d'autres nombres la précède")
      ->type_name("N");
  command
      ->add_option("-j,--jobs", args.jobs,
                   "Convertit N fichiers à la fois (de 1 à 64 ; défaut : 1), un par cœur du "
                   "processeur, pour de gros fichiers : le journal, les fichiers créés, le bilan "
                   "et la question du séparateur sont ceux d'un fichier après l'autre")
      ->type_name("N");
  command->add_flag("-a,--all-values", args.allValues,
                    "Convertit aussi les codes absents des tables (défaut : valeurs connues "
                    "uniquement, les autres lignes sont ignorées)");
  command->add_flag("--skip-ignored", args.skipIgnored,
                    "Ne recopie pas les lignes dont le code n'a pas été converti");
  command
      ->add_option("--ext", args.extension,
                   "Extension des fichiers créés : .new ou .new.txt "
                   "(défaut : .new)")
      ->type_name("EXT");
  command
      ->add_option("-o,--output-dir", args.outputFolder,
                   "Écrit les fichiers créés dans ce dossier plutôt qu'à côté des fichiers lus "
                   "(pour des archives en lecture seule)")
      ->type_name("DOSSIER");
  command
      ->add_option("--table", args.table,
                   "Table de codes de l'utilisateur (défaut : table.txt du dossier courant)")
      ->type_name("FICHIER");
  command->add_flag("--profile{}", args.profile,
                    "Part des réglages enregistrés par le programme Quelvane (--profile seul : son "
                    "fichier de réglages ; --profile=FICHIER : ce fichier) ; les options données "
                    "les remplacent");
  command->add_flag("--yes", args.yes,
                    "Répond Oui à la question du séparateur manquant (« Allo ? »)");
  command->add_flag("--no", args.no,
                    "Répond Non à cette question, ce qui abandonne le traitement (défaut : la "
                    "question est posée sur un terminal, sinon la réponse est Non) ; --yes et "
                    "--no s'excluent");
  command->add_option("FICHIER", args.files, kFilesHelp)->type_name("FICHIER");
  return command;
}

std::optional<ConversionOptions> ResolveOptions(const ConvertArgs& args, Console& console) {
  ConversionOptions options;
  if (args.profile) {
    const bool named = !args.profile->empty();
    const Profile profile(named ? PathFromUtf8(*args.profile) : Profile::DefaultPath());
    // Settings that exist and cannot be read would be replaced by the defaults:
    // another separator, extension or direction than the user's. A named profile
    // must exist too; the program's own may not exist yet.
    const SettingsReading reading = ReadSettings(profile);
    std::optional<OpenFailure> failure = reading.failure;
    if (!failure && named && !IdentityOfPath(*args.profile)) failure = OpenFailure::kMissing;
    if (failure) {
      ReportFailure(console, "quelvane-cli convert",
                    "impossible de lire le fichier de réglages « " +
                        DisplayText(Utf8FromPath(profile.Path())) +
                        " » : " + std::string(run_texts::UnreadableReason(*failure)) +
                        ". Rien n'a été converti.",
                    kExitUsage);
      return std::nullopt;
    }
    options = reading.settings.options;
  }
  if (args.isinToSicovam) options.SetDirection(ConversionDirection::kIsinToSicovam);
  for (const auto& [value, option, limit, target] :
       {std::tuple{&args.sourceSeparator, "--source-sep", kSeparatorMaxLength,
                   &options.SeparateurSource},
        std::tuple{&args.destinationSeparator, "--dest-sep", kSeparatorMaxLength,
                   &options.SeparateurDestination},
        std::tuple{&args.prefix, "--prefix", kPrefixMaxLength, &options.PrefixeSicovam}}) {
    if (!*value) continue;
    std::optional<std::string> bytes =
        CommandLineText(**value, option, limit, console, "quelvane-cli convert");
    if (!bytes) return std::nullopt;
    *target = std::move(*bytes);
  }
  if (args.fixedLength) {
    const std::optional<std::int32_t> length = ParseWholeNumber(*args.fixedLength);
    if (!length) {
      UsageError(console, "valeur invalide pour --fixed-length : « " +
                              DisplayText(*args.fixedLength) + " » (un nombre entier est attendu)");
      return std::nullopt;
    }
    options.LgSicoFixe = 1;
    options.NbCharSico = *length;
  }
  if (args.allValues) options.ValeursConnuesOnly = 0;
  if (args.skipIgnored) options.NePasRecopierValeursIgnorees = 1;
  if (args.extension) {
    const auto named = [&](OutputExtension extension) {
      return *args.extension == ExtensionText(extension);
    };
    if (named(OutputExtension::kNew)) {
      options.ExtensionDestination = OutputExtension::kNew;
    } else if (named(OutputExtension::kNewTxt)) {
      options.ExtensionDestination = OutputExtension::kNewTxt;
    } else {
      UsageError(console, "valeur invalide pour --ext : « " + DisplayText(*args.extension) +
                              " » (.new ou .new.txt)");
      return std::nullopt;
    }
  }
  return options;
}

namespace {

// Outputs gathered in one folder must not land on each other: two inputs of the
// same file name (as the system compares names) are refused before anything is
// written.
std::optional<std::string> SameNameInOutputFolder(const std::vector<std::string>& files) {
  std::map<std::string, const std::string*> seen;
  for (const std::string& file : files) {
    if (const auto [at, fresh] = seen.emplace(NameKey(SplitPath(file).name), &file); !fresh) {
      return "« " + DisplayText(*at->second) + " » et « " + DisplayText(file) +
             " » ont le même nom : leurs fichiers créés se remplaceraient dans le dossier de "
             "sortie.";
    }
  }
  return std::nullopt;
}

std::optional<std::string> CheckPlaces(const ConvertArgs& args, RunPlaces& places) {
  if (args.yes && args.no) return std::string("--yes et --no s'excluent : donnez l'un ou l'autre.");
  if (args.column) {
    const std::optional<std::int32_t> column = ParseWholeNumber(*args.column);
    if (!column || *column < 1) {
      return "valeur invalide pour --column : « " + DisplayText(*args.column) +
             " » (un numéro de colonne, 1 pour la première)";
    }
    places.codeColumn = static_cast<std::size_t>(*column);
  }
  if (args.jobs) {
    const std::optional<std::int32_t> jobs = ParseWholeNumber(*args.jobs);
    if (!jobs || *jobs < 1 || *jobs > kMostJobs) {
      return "valeur invalide pour --jobs : « " + DisplayText(*args.jobs) + " » (de 1 à " +
             std::to_string(kMostJobs) + " fichiers à la fois)";
    }
    places.jobs = static_cast<std::size_t>(*jobs);
  }
  const bool piped = std::find(args.files.begin(), args.files.end(), "-") != args.files.end();
  if (piped && args.files.size() > 1) {
    return std::string("« - » (l'entrée standard) doit être le seul fichier à traiter.");
  }
  if (args.outputFolder && !piped) {
    if (!IsFolder(*args.outputFolder)) {
      return "le dossier de sortie « " + DisplayText(*args.outputFolder) + " » n'existe pas.";
    }
    places.outputFolder = *args.outputFolder;
    return SameNameInOutputFolder(args.files);
  }
  return std::nullopt;
}

// Of the statuses a run earns, the highest.
int ConvertStatus(const RunTotals& totals) {
  if (totals.refused) return kExitUsage;
  int status = totals.warnings != 0 ? kExitWarnings : kExitOk;
  if (totals.abandoned) status = std::max(status, kExitAbandoned);
  if (totals.outputStreamFailed) status = std::max(status, kExitOutputLost);
  if (totals.filesNotConverted != 0) status = std::max(status, kExitFileNotConverted);
  return status;
}

}  // namespace

int RunConvertCommand(const ConvertArgs& args, Console& console) {
  if (args.files.empty()) return UsageError(console, "donnez au moins un fichier à traiter.");
  const std::optional<ConversionOptions> options = ResolveOptions(args, console);
  if (!options) return kExitUsage;

  CodeTables tables;
  if (const auto failed = LoadCommandTable(tables, args.table, console, "quelvane-cli convert")) {
    return *failed;
  }

  RunPlaces places;
  if (const auto problem = CheckPlaces(args, places)) return UsageError(console, *problem);
  OpenedFile piped;
  bool copyLeftBehind = false;
  if (args.files.front() == "-") {
    // The run reads its file twice: what comes through the pipe is kept in a copy.
    CopiedInput copied = CopyToUnnamedFile(console.inputHandle);
    if (!copied.leftBehind.empty()) {
      copyLeftBehind = true;
      console.err << "quelvane-cli convert : la copie temporaire de l'entrée standard « "
                  << DisplayText(copied.leftBehind)
                  << " » n'a pas pu être supprimée : vous pouvez la supprimer.\n";
    }
    if (!copied.copy.file) {
      return ReportFailure(console, "quelvane-cli convert",
                           copied.failure == CopyFailure::kReading
                               ? "impossible de lire l'entrée standard (erreur de lecture) : "
                                 "rien n'a été converti."
                               : "impossible de copier l'entrée standard dans le dossier "
                                 "temporaire (disque plein ?) : rien n'a été converti.",
                           kExitFileNotConverted);
    }
    piped = std::move(copied.copy);
    places.inputCopy = &piped;
    places.output = console.outputHandle;
  }
  // With the converted file on standard output, the log goes with the messages.
  Console logConsole{console.err, console.err, nullptr, console.showProgress};
  ConsoleReporter reporter(piped.file ? logConsole : console, args);
  const RunTotals totals = ProcessFiles(*options, args.files, tables, reporter, places);
  reporter.Finish();
  console.out.flush();
  const int status = ConvertStatus(totals);
  return copyLeftBehind ? std::max(status, kExitWarnings) : status;
}

}  // namespace quelvane
