// Every text the file conversion run and the quick conversion show: log lines,
// status lines, result lines and message boxes, in UTF-8. Log texts end in "" as the run hands
// them over; the log drops those line ends. Tokens and paths are passed already made displayable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "os/os.h"

namespace quelvane::run_texts {

// The start of the log's line after the summary of a run that left values out
// as unknown: what the tables hold. Each front end says after it how to convert
// the others, in its own words.
std::string TablesHold(std::int64_t userPairs, std::int64_t builtinPairs);

// The quick conversion (QuickConvert): what it says of a typed text (the
// dialog in a box).
inline constexpr std::string_view kComputedIsinText =
    "Attention !\nLe code SICOVAM saisi n'a pas été trouvé dans la liste des valeurs "
    "connues.\nLe code ISIN a donc été calculé.";
inline constexpr std::string_view kNotACodeText =
    "Ce code ne ressemble ni à un code Sicovam\nni à un code ISIN !";

// Log lines.
inline constexpr std::string_view kEmptyLine = "";
inline constexpr std::string_view kSeparatorMissing =
    "Le fichier ne semble pas contenir le séparateur de colonne sélectionné.";
inline constexpr std::string_view kAbandon = "--------- ABANDON ----------";
inline constexpr std::string_view kCannotOpen = "  WARNING -> Impossible d'ouvrir le fichier !";
inline constexpr std::string_view kCannotRead = "  WARNING -> Erreur de lecture du fichier !";
inline constexpr std::string_view kNoSicovamCode =
    "  WARNING -> Aucun code SICOVAM trouvé dans le fichier !";
inline constexpr std::string_view kNoIsinCode =
    "  WARNING -> Aucun code ISIN trouvé dans le fichier !";
inline constexpr std::string_view kNoCode = "  WARNING -> Aucun code trouvé dans le fichier !";
inline constexpr std::string_view kCannotWriteStream =
    "  WARNING -> Impossible d'écrire le fichier converti sur la sortie standard !";
inline constexpr std::string_view kFileChanged =
    "  WARNING -> Le fichier a changé pendant son traitement !";
inline constexpr std::string_view kReadAsUtf16Le =
    "Fichier en UTF-16 LE : lu comme texte, écrit de même.";
inline constexpr std::string_view kReadAsUtf16Be =
    "Fichier en UTF-16 BE : lu comme texte, écrit de même.";
inline constexpr std::string_view kNotUtf16 =
    "  WARNING -> Le fichier commence comme de l'UTF-16 mais n'en est pas (nombre d'octets "
    "impair ou demi-caractère seul) : il n'est pas converti !";
inline constexpr std::string_view kNotWritableAsUtf16 =
    "  WARNING -> Le texte converti ne peut s'écrire en UTF-16 (un séparateur ou un préfixe "
    "hors ASCII ?) : le fichier n'est pas converti !";
inline constexpr std::string_view kLineSkipped = "             Ligne ignorée.";
inline constexpr std::string_view kLineCopied = "             Ligne recopiée sans traitement.";
inline constexpr std::string_view kGlobalSummary = "Bilan global :";

std::string ProcessingFile(std::string_view path);
std::string SicovamColumnFound(std::int64_t column);
std::string IsinColumnFound(std::int64_t column);
// The column was given on the command line, not found.
std::string SicovamColumnGiven(std::int64_t column);
std::string IsinColumnGiven(std::int64_t column);
std::string LinesProcessed(std::int64_t lines, std::int64_t warnings);
std::string CannotWrite(std::string_view outputPath);
// Says why, where the system tells (Windows: a file open in another program, a
// read-only file or folder, a device name); otherwise CannotWrite(outputPath).
std::string CannotWrite(std::string_view outputPath, ReplaceFailure why);
// Why a file could not be read, as a phrase that follows « : » in a message.
std::string_view UnreadableReason(OpenFailure why);
// The log's line under kCannotOpen, which says why, as a sentence.
std::string CannotOpenReason(OpenFailure why);
// An input whose name Windows keeps for a device.
inline constexpr std::string_view kReservedInputName =
    "  WARNING -> Impossible d'ouvrir le fichier : ce nom est réservé par Windows "
    "(CON, PRN, AUX, NUL, COM1 à COM9, LPT1 à LPT9) !";
std::string OutputIsSelected(std::string_view outputPath);
std::string SicovamNotFound(std::int64_t line);
std::string IsinNotFound(std::int64_t line);
std::string UnknownSicovam(std::string_view token);
// A token converted by the code at its start, the rest of it left out.
std::string MoreThanTheCode(std::int64_t line, std::string_view token);
inline constexpr std::string_view kRestOfFieldLost =
    "             Ligne convertie : le reste du champ n'est pas recopié.";
std::string FilesProcessed(std::int64_t files);
std::string WarningsTotal(std::int64_t warnings);
std::string UnknownValuesTotal(std::int64_t unknownValues);

}  // namespace quelvane::run_texts
