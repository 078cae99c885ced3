#include "run/run_texts.h"

namespace quelvane::run_texts {
namespace {

// Concatenates pieces; numbers are written as %d writes them.
std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string text;
  std::size_t size = 0;
  for (std::string_view piece : pieces) size += piece.size();
  text.reserve(size);
  for (std::string_view piece : pieces) text += piece;
  return text;
}

}  // namespace

std::string SeparatorQuestion(std::string_view path) {
  return Join({"Le fichier '", path,
               "'\nne semble pas contenir le séparateur de colonne sélectionné.\n\n"
               "Vous devriez peut-être sélectionner le bon séparateur\n"
               "dans la partie 'Séparateur Source' (à gauche).\n\nVoulez-vous continuer ?"});
}

std::string WarningsBox(std::int64_t warnings) {
  return Join({"Attention, il y a eu ", std::to_string(warnings),
               " warnings.\nConsultez le log dans le bas de la fenêtre."});
}

namespace {

std::string TerminalSeparatorQuestion(std::string_view path) {
  return Join(
      {"Le fichier '", path,
       "'\nne semble pas contenir le séparateur de colonne sélectionné.\n\n"
       "Vous devriez peut-être donner le bon séparateur avec l'option -s (--source-sep).\n\n"
       "Voulez-vous continuer ?"});
}

std::string TerminalWarningsBox(std::int64_t warnings) {
  return Join({"Attention, il y a eu ", std::to_string(warnings),
               " warnings.\nConsultez le log ci-dessus."});
}

}  // namespace

namespace {

std::string TablesHold(std::int64_t userPairs, std::int64_t builtinPairs) {
  return Join({"Les tables connaissent ", std::to_string(userPairs + builtinPairs), " paires (",
               std::to_string(userPairs), " de table.txt, ", std::to_string(builtinPairs),
               " intégrées) : "});
}

std::string UnknownValuesHint(std::int64_t userPairs, std::int64_t builtinPairs) {
  return TablesHold(userPairs, builtinPairs) +
         "les autres codes sont ignorés tant que la case « Traiter uniquement les valeurs "
         "connues » est cochée. Décochez-la pour les convertir par le calcul, ou ajoutez "
         "leurs paires à table.txt.";
}

std::string TerminalUnknownValuesHint(std::int64_t userPairs, std::int64_t builtinPairs) {
  return TablesHold(userPairs, builtinPairs) +
         "les autres codes sont ignorés sans l'option -a (--all-values). Donnez-la pour les "
         "convertir par le calcul, ou ajoutez leurs paires à table.txt (--table).";
}

}  // namespace

const BoxTexts kWindowBoxes{
    kLengthTooShort,
    kLengthTooLong,
    SeparatorQuestion,
    WarningsBox,
    UnknownValuesHint,
    "\nLes valeurs inconnues ne sont pas converties : décochez « Traiter uniquement les valeurs "
    "connues »\nou ajoutez leurs paires à table.txt."};
const BoxTexts kTerminalBoxes{
    kTerminalLengthTooShort,
    kTerminalLengthTooLong,
    TerminalSeparatorQuestion,
    TerminalWarningsBox,
    TerminalUnknownValuesHint,
    "\nLes valeurs inconnues ne sont pas converties : donnez -a (--all-values)\nou ajoutez "
    "leurs paires à table.txt."};

std::string FilesDoneStatus(std::int64_t done, std::int64_t count) {
  return Join({std::to_string(done), "/", std::to_string(count), " fichiers traités"});
}

std::string ProcessingFile(std::string_view path) {
  return Join({"==> Traitement fichier '", path, "'\r\n"});
}

std::string SicovamColumnFound(std::int64_t column) {
  return Join({"Code SICOVAM trouvé dans la colonne ", std::to_string(column), "\r\n"});
}

std::string IsinColumnFound(std::int64_t column) {
  return Join({"Code ISIN trouvé dans la colonne ", std::to_string(column), "\r\n"});
}

std::string SicovamColumnGiven(std::int64_t column) {
  return Join(
      {"Code SICOVAM lu dans la colonne ", std::to_string(column), " (colonne imposée)\r\n"});
}

std::string IsinColumnGiven(std::int64_t column) {
  return Join({"Code ISIN lu dans la colonne ", std::to_string(column), " (colonne imposée)\r\n"});
}

std::string LinesProcessed(std::int64_t lines, std::int64_t warnings) {
  return Join(
      {std::to_string(lines), " lignes traitées (", std::to_string(warnings), " warnings)\r\n"});
}

std::string CannotWrite(std::string_view outputPath) {
  return Join({"  WARNING -> Impossible d'écrire le fichier '", outputPath, "' !\r\n"});
}

std::string CannotWrite(std::string_view outputPath, ReplaceFailure why) {
  switch (why) {
    case ReplaceFailure::kInUse:
      return Join({"  WARNING -> Impossible de remplacer le fichier '", outputPath,
                   "' : il est ouvert dans un autre programme. Fermez-le puis recommencez !\r\n"});
    case ReplaceFailure::kReadOnly:
      return Join({"  WARNING -> Impossible de remplacer le fichier '", outputPath,
                   "' : il est en lecture seule !\r\n"});
    case ReplaceFailure::kFolderDenied:
      return Join({"  WARNING -> Impossible d'écrire le fichier '", outputPath,
                   "' : le dossier est en lecture seule ou son accès est refusé !\r\n"});
    case ReplaceFailure::kReservedName:
      return Join({"  WARNING -> Impossible d'écrire le fichier '", outputPath,
                   "' : ce nom est réservé par Windows (CON, PRN, AUX, NUL, COM1 à COM9, "
                   "LPT1 à LPT9) !\r\n"});
    case ReplaceFailure::kNone:
    case ReplaceFailure::kOther:
      break;
  }
  return CannotWrite(outputPath);
}

std::string_view UnreadableReason(OpenFailure why) {
  switch (why) {
    case OpenFailure::kMissing:
      return "il n'existe pas";
    case OpenFailure::kFolder:
      return "c'est un dossier, pas un fichier";
    case OpenFailure::kNotRegular:
      return "ce n'est pas un fichier ordinaire (un tube ou un périphérique)";
    case OpenFailure::kDenied:
      return "vous n'avez pas le droit de le lire";
    case OpenFailure::kInUse:
      return "un autre programme le tient ouvert et en interdit la lecture";
    case OpenFailure::kReservedName:
      return "ce nom est réservé par Windows (CON, PRN, AUX, NUL, COM1 à COM9, LPT1 à LPT9)";
    case OpenFailure::kReadError:
      return "erreur de lecture";
    case OpenFailure::kNotUtf16:
      return "il commence comme un texte UTF-16, mais la suite n'est pas de l'UTF-16";
    case OpenFailure::kOther:
      break;
  }
  return "le système a refusé de l'ouvrir";
}

std::string CannotOpenReason(OpenFailure why) {
  std::string reason(UnreadableReason(why));
  // Every reason starts with a plain letter: capitalised, it opens a sentence.
  reason.front() = static_cast<char>(reason.front() - 'a' + 'A');
  return Join({"             ", reason, ".\r\n"});
}

std::string OutputIsSelected(std::string_view outputPath) {
  return Join({"  WARNING -> Le fichier '", outputPath,
               "' fait partie des fichiers à traiter : il n'est pas remplacé !\r\n"});
}

std::string SicovamNotFound(std::int64_t line) {
  return Join({"  WARNING -> Ligne ", std::to_string(line), " : code SICOVAM introuvable !\r\n"});
}

std::string IsinNotFound(std::int64_t line) {
  return Join({"  WARNING -> Ligne ", std::to_string(line), " : code ISIN introuvable !\r\n"});
}

std::string UnknownSicovam(std::string_view token) {
  return Join({"  WARNING -> Code SICOVAM '", token, "' inconnu !\r\n"});
}

std::string MoreThanTheCode(std::int64_t line, std::string_view token) {
  return Join({"  WARNING -> Ligne ", std::to_string(line), " : '", token,
               "' contient plus que son code SICOVAM !\r\n"});
}

std::string FilesProcessed(std::int64_t files) {
  return Join({std::to_string(files), " fichiers traités"});
}

std::string WarningsTotal(std::int64_t warnings) {
  return Join({std::to_string(warnings), " Warnings"});
}

std::string UnknownValuesTotal(std::int64_t unknownValues) {
  return Join({std::to_string(unknownValues), " valeurs inconnues non traités"});
}

}  // namespace quelvane::run_texts
