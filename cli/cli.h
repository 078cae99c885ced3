// quelvane-cli's whole job, from its arguments to its exit status: the program's
// main() and the tests call the same function.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "cli/console.h"

namespace quelvane {

inline constexpr int kExitOk = 0;
inline constexpr int kExitWarnings = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitAbandoned = 3;
inline constexpr int kExitOutputLost = 4;
inline constexpr int kExitOutOfMemory = 5;
inline constexpr int kExitFileNotConverted = 6;

// What each status of "convert" means, as --help, the README and the manual page
// say it (a test holds them to this table). Where a run earns several, the
// highest is given.
struct ExitStatus {
  int value;
  std::string_view meaning;
};
inline constexpr ExitStatus kConvertStatuses[] = {
    {kExitOk, "terminé, sans avertissement"},
    {kExitWarnings,
     "terminé, avec des avertissements sur des lignes (un code introuvable, une valeur inconnue "
     "écartée, un fichier sans colonne de codes), ou une copie temporaire de l'entrée standard "
     "restée sur le disque"},
    {kExitUsage,
     "erreur d'usage, vérification préalable refusée (longueur fixe hors de 5 à 99), ou "
     "fichier de réglages (--profile) ou table de codes existant mais illisible : rien n'est "
     "converti"},
    {kExitAbandoned, "abandon à la question du séparateur manquant"},
    {kExitOutputLost,
     "résultats, journal, messages ou fichier converti de « - » impossibles à écrire sur la "
     "sortie standard ou la sortie d'erreur"},
    {kExitOutOfMemory, "mémoire insuffisante"},
    {kExitFileNotConverted,
     "au moins un fichier non converti : absent, dossier ou périphérique, illisible, modifié "
     "pendant sa lecture, copie impossible à écrire, ou copie qui serait l'un des fichiers à "
     "traiter ; ou entrée standard impossible à lire ou à copier"},
};

// How an interrupted run ends, as each system ends its console programs
// (PrepareProcess), for --help to say (wrapped as the help is).
inline constexpr std::string_view kInterruptedStatus =
#ifdef _WIN32
    "interrompu par Ctrl-C, Ctrl-Pause ou la fermeture de la console :\n"
    "-1073741510 (0xC000013A), comme les programmes de console de Windows";
#else
    "interrompu par un signal : 128 + son numéro";
#endif

// args: the program's name, then its arguments, as main() receives them.
// patterns: for each of args, whether it is a file-name pattern for the program
// to expand (WildcardArguments); none when empty.
int RunCli(std::span<const char* const> args, Console& console,
           const std::vector<bool>& patterns = {});

}  // namespace quelvane
