#include "res/help_text.h"

#include "core/builtin_table_count.h"

namespace quelvane {
namespace {

constexpr std::string_view kPiece1 =
    "Cet utilitaire permet de convertir des codes SICOVAM en codes ISIN, ou inversement, et ce à "
    "l'intérieur de fichiers textes tels que des fichiers de cotations par exemple.\r\n"
    "\r\n"
    "Son utilisation est très simple :\r\n"
    "\r\n"
    "1) Sélectionnez les fichiers à traiter en cliquant sur le bouton \"Fichiers à traiter\".\r\n"
    "Les fichiers sélectionnés s'affichent dans la liste à droite du bouton.\r\n"
    "\r\n"
    "Si la case \"Traiter uniquement les valeurs connues\" est cochée, les valeurs pour lesquelles "
    "Euronext n'a pas publié de code ISIN sont ignorées. Si elle n'est pas cochée, toutes les "
    "valeurs "
    "sont traitées et des codes ISIN sont créés, comme expliqué plus bas.\r\n"
    "\r\n"
    "Si la case \"Ne pas recopier les valeurs ignorées\" est cochée, les lignes du fichier à "
    "traiter "
    "dont la valeur est inconnue ne sont pas recopiées dans le fichier créé.\r\n"
    "\r\n"
    "2) Choisissez les options de conversion.\r\n"
    "Séparateur Source : choisissez le séparateur de colonnes des fichiers à convertir.\r\n"
    "Sens de conversion : choisissez le sens de conversion.\r\n"
    "SICOVAM préfixé par 'X' : cochez cette case si votre logiciel d'analyse (en général "
    "Metastock) "
    "travaille avec des codes SICOVAM précédés d'un 'X'.\r\n"
    "SICOVAM sur 'n' caractères : cochez cette case et indiquez le nombre de caractères si votre "
    "logiciel attend des codes SICOVAM de longueur fixe, complétés par des '0'.\r\n"
    "Séparateur Destination : choisissez le séparateur de colonnes des fichiers créés.\r\n"
    "\r\n";

constexpr std::string_view kPiece2 =
    "3) Cliquez sur le bouton \"Traiter les fichiers\".\r\n"
    "Les fichiers sélectionnés sont alors traités. Le convertisseur trouve tout seul la colonne "
    "qui "
    "contient le code à convertir, selon le sens de conversion choisi. Un nouveau fichier est créé "
    "pour chaque fichier traité ; l'extension \".new\" est ajoutée aux fichiers créés.\r\n"
    "\r\n"
    "Note : vous pouvez aussi obtenir la correspondance d'un code en cliquant sur le bouton\r\n"
    "\"Sico <-> Isin\" en haut à droite.\r\n"
    "\r\n";

constexpr std::string_view kPiece3 =
    "Fonctionnement de la conversion :\r\n"
    "Chaque code est d'abord recherché dans le fichier \"table.txt\" de l'utilisateur (voir plus "
    "bas), puis dans la table interne du programme : " QUELVANE_BUILTIN_PAIR_COUNT
    " couples de "
    "référence code SICOVAM - code ISIN, valeurs de la Bourse de Paris et valeurs étrangères qui "
    "possèdent un code SICOVAM.\r\n"
    "Si le code recherché ne figure pas dans la table, le code destination est alors calculé selon "
    "le principe suivant.\r\n"
    "\r\n"
    "SICOVAM vers ISIN :\r\n"
    "Le code est considéré comme celui d'une valeur française. Il reçoit le préfixe \"FR\" et "
    "occupe "
    "les 9 caractères suivants, complétés à gauche par des '0'. La clé de contrôle, d'un "
    "caractère, "
    "est ensuite calculée et ajoutée à la fin : on obtient ainsi un code ISIN valide.\r\n"
    "\r\n"
    "ISIN vers SICOVAM :\r\n"
    "Les deux premiers caractères sont ignorés, ainsi que le dernier. Les 9 caractères restant "
    "sont "
    "alors considérés comme représentant le code SICOVAM (règle adoptée par EURONEXT).\r\n"
    "\r\n"
    "Fichier \"TABLE.CSV\" :\r\n"
    "Il contient des couples Code_Sicovam Code_ISIN, séparés par une tabulation.\r\n"
    "Vous pouvez ajouter à la suite une tabulation suivie du nom de la valeur.\r\n"
    "Les lignes commençant par un ';' ne sont pas traitées.\r\n"
    "Ce fichier permet d'ajouter des codes au logiciel de conversion.\r\n"
    "Par défaut, il est livré avec un ensemble de codes spécifiques.\r\n"
    "Vous pouvez y ajouter des codes à l'aide d'un éditeur de texte, tel que le Bloc-notes.\r\n"
    "Le programme lit le fichier \"table.txt\" du dossier depuis lequel il est lancé ; lancé "
    "depuis le menu des applications, c'est votre dossier personnel.\r\n"
    "\r\n"
    "Historique :\r\n"
    "\r\n"
    "Version " QUELVANE_VERSION " - " QUELVANE_RELEASE_DATE
    "\r\n"
    "Les paramètres choisis sont mémorisés, puis restaurés au démarrage du programme.\r\n"
    "Correction : la première ligne n'était pas traitée lors d'une conversion ISIN vers SICOVAM "
    "avec un code ISIN spécial de 14 caractères.\r\n"
    "\r\n"
    "Version 1.04 - 06/07/2003\r\n"
    "Le fichier 'TABLE.CSV' est renommé en 'TABLE.TXT' pour éviter les confusions avec le "
    "format.CSV d'Excel.\r\n"
    "\r\n";

constexpr std::string_view kPiece4 =
    "Version 1.03 - 04/07/2003\r\n"
    "Mise à jour des codes.\r\n"
    "Ajout du fichier 'TABLE.CSV' permettant d'ajouter des codes.\r\n"
    "Ajout de l'option 'Ne pas recopier les valeurs ignorées'.\r\n"
    "Les fichiers créés ne sont plus des '.new', mais des '.new.txt'.\r\n"
    "\r\n"
    "Version 1.02 - 30/06/2003\r\n"
    "Mise à jour des codes.\r\n"
    "La conversion ISIN vers SICOVAM a changé :\r\n"
    "Le code ISIN est D'ABORD cherché dans la table.\r\n"
    "S'il y figure, le code SICOVAM de la table est utilisé ; sinon, le code est extrait de "
    "l'ISIN. "
    "Cela corrige des erreurs de conversion sur certains trackers.\r\n"
    "\r\n"
    "Version 1.01 - 11/06/2003\r\n"
    "\r\n"
    "\r\n"
    "Logiciel libre sous licence MIT\r\n" QUELVANE_DOCUMENTATION_LINE "\r\n";

}  // namespace

const std::array<std::string_view, 4> kHelpTextPieces = {kPiece1, kPiece2, kPiece3, kPiece4};

}  // namespace quelvane
