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

std::string TablesHold(std::int64_t userPairs, std::int64_t builtinPairs) {
  return Join({"Les tables connaissent ", std::to_string(userPairs + builtinPairs), " paires (",
               std::to_string(userPairs), " de table.txt, ", std::to_string(builtinPairs),
               " intégrées) : "});
}

std::string ProcessingFile(std::string_view path) {
  return Join({"==> Traitement fichier '", path, "'"});
}

std::string SicovamColumnFound(std::int64_t column) {
  return Join({"Code SICOVAM trouvé dans la colonne ", std::to_string(column)});
}

std::string IsinColumnFound(std::int64_t column) {
  return Join({"Code ISIN trouvé dans la colonne ", std::to_string(column)});
}

std::string SicovamColumnGiven(std::int64_t column) {
  return Join({"Code SICOVAM lu dans la colonne ", std::to_string(column), " (colonne imposée)"});
}

std::string IsinColumnGiven(std::int64_t column) {
  return Join({"Code ISIN lu dans la colonne ", std::to_string(column), " (colonne imposée)"});
}

std::string LinesProcessed(std::int64_t lines, std::int64_t warnings) {
  return Join(
      {std::to_string(lines), " lignes traitées (", std::to_string(warnings), " warnings)"});
}

std::string CannotWrite(std::string_view outputPath) {
  return Join({"  WARNING -> Impossible d'écrire le fichier '", outputPath, "' !"});
}

std::string CannotWrite(std::string_view outputPath, ReplaceFailure why) {
  switch (why) {
    case ReplaceFailure::kInUse:
      return Join({"  WARNING -> Impossible de remplacer le fichier '", outputPath,
                   "' : il est ouvert dans un autre programme. Fermez-le puis recommencez !"});
    case ReplaceFailure::kReadOnly:
      return Join({"  WARNING -> Impossible de remplacer le fichier '", outputPath,
                   "' : il est en lecture seule !"});
    case ReplaceFailure::kFolderDenied:
      return Join({"  WARNING -> Impossible d'écrire le fichier '", outputPath,
                   "' : le dossier est en lecture seule ou son accès est refusé !"});
    case ReplaceFailure::kReservedName:
      return Join({"  WARNING -> Impossible d'écrire le fichier '", outputPath,
                   "' : ce nom est réservé par Windows (CON, PRN, AUX, NUL, COM1 à COM9, "
                   "LPT1 à LPT9) !"});
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
  return Join({"             ", reason, "."});
}

std::string OutputIsSelected(std::string_view outputPath) {
  return Join({"  WARNING -> Le fichier '", outputPath,
               "' fait partie des fichiers à traiter : il n'est pas remplacé !"});
}

std::string SicovamNotFound(std::int64_t line) {
  return Join({"  WARNING -> Ligne ", std::to_string(line), " : code SICOVAM introuvable !"});
}

std::string IsinNotFound(std::int64_t line) {
  return Join({"  WARNING -> Ligne ", std::to_string(line), " : code ISIN introuvable !"});
}

std::string UnknownSicovam(std::string_view token) {
  return Join({"  WARNING -> Code SICOVAM '", token, "' inconnu !"});
}

std::string MoreThanTheCode(std::int64_t line, std::string_view token) {
  return Join({"  WARNING -> Ligne ", std::to_string(line), " : '", token,
               "' contient plus que son code SICOVAM !"});
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
