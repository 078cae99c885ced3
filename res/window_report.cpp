#include "res/window_report.h"

#include "res/box_texts.h"
#include "run/run_texts.h"

namespace quelvane::res {

std::string SeparatorQuestion(std::string_view path) {
  return "Le fichier '" + std::string(path) +
         "'\nne semble pas contenir le séparateur de colonne sélectionné.\n\n"
         "Vous devriez peut-être sélectionner le bon séparateur\n"
         "dans la partie 'Séparateur Source' (à gauche).\n\nVoulez-vous continuer ?";
}

std::string WarningsBox(std::int64_t warnings) {
  return "Attention, il y a eu " + std::to_string(warnings) +
         " warnings.\nConsultez le log dans le bas de la fenêtre.";
}

std::string UnknownValuesHint(std::int64_t userPairs, std::int64_t builtinPairs) {
  return run_texts::TablesHold(userPairs, builtinPairs) +
         "les autres codes sont ignorés tant que la case « Traiter uniquement les valeurs "
         "connues » est cochée. Décochez-la pour les convertir par le calcul, ou ajoutez "
         "leurs paires à table.txt.";
}

std::string FilesDoneStatus(std::int64_t done, std::int64_t count) {
  return std::to_string(done) + "/" + std::to_string(count) + " fichiers traités";
}

void WindowReport::RunRefused(RunRefusal why) {
  SetStatusLines("", "", "", "");
  switch (why) {
    case RunRefusal::kNothingSelected:
      MessageBox(kNothingSelected, kAttentionCaption, BoxType::kInformation);
      return;
    case RunRefusal::kLengthTooShort:
      MessageBox(kLengthTooShort, kLengthCaption, BoxType::kStop);
      return;
    case RunRefusal::kLengthTooLong:
      MessageBox(kLengthTooLong, kLengthCaption, BoxType::kStop);
      return;
  }
}

void WindowReport::RunStarted(std::int64_t count) {
  SetStatusLines("", "", "", "");
  SetStatusLines(FilesDoneStatus(0, count), std::nullopt, std::nullopt, std::nullopt);
  SetLogRedraw(false);
}

void WindowReport::FileStarted(std::int64_t /*index*/, std::int64_t /*count*/,
                               std::string_view path) {
  SetStatusLines(std::nullopt, std::string(path), std::nullopt, std::nullopt);
}

bool WindowReport::GoOnWithoutSeparator(std::string_view path) {
  return MessageBox(SeparatorQuestion(path), kSeparatorQuestionCaption, BoxType::kQuestion) ==
         BoxAnswer::kYes;
}

void WindowReport::FileDone(std::int64_t filesDone, std::int64_t count) {
  SetStatusLines(FilesDoneStatus(filesDone, count), std::nullopt, std::nullopt, std::nullopt);
}

void WindowReport::RunEnded(const RunEnd& end) {
  // A first run with a small table loses most lines as unknown: say why.
  const bool unknownSaid = !end.abandoned && end.unknownValues != 0;
  if (unknownSaid) AddLogLine(UnknownValuesHint(end.userPairs, end.builtinPairs));
  SetLogRedraw(true);
  ScrollLogToEnd();
  SetStatusLines(std::nullopt, "", "", "");
  if (end.warnings != 0) {
    std::string text = WarningsBox(end.warnings);
    if (unknownSaid) text += kUnknownValuesSentence;
    MessageBox(text, kAttentionCaption, BoxType::kInformation);
  }
}

}  // namespace quelvane::res
