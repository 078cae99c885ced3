// How a file conversion run shows in the main window: its four status lines,
// its log list (which stops redrawing during the run and scrolls to its end
// after it), and its message boxes, with the window's own words. The web page,
// which speaks as the window does, shows a run the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/box_types.h"
#include "run/run_reporter.h"

namespace quelvane::res {

// The run's boxes as the window words them (the warning caption is
// res/box_texts.h's kAttentionCaption).
inline constexpr std::string_view kNothingSelected =
    "Vous devez sélectionner un ou plusieurs fichiers\nà traiter en cliquant sur le bouton :\n"
    "Fichiers à traiter";
inline constexpr std::string_view kLengthTooShort =
    "Vous avez coché la case indiquant que vous\nsouhaitiez obtenir des codes SICOVAM de\n"
    "longueur fixe.\nToutefois, vous n'avez pas saisi cette longueur\nou avez demandé une "
    "longueur inférieure à 5.\nLa longueur doit être au moins égale à 5.";
inline constexpr std::string_view kLengthTooLong =
    "Vous avez demandé des codes SICOVAM de longueur fixe\nsupérieure à 99 caractères.\n"
    "La longueur doit être au plus égale à 99.";
inline constexpr std::string_view kLengthCaption = "Saisie incohérente";
inline constexpr std::string_view kSeparatorQuestionCaption = "Allo ?";
std::string SeparatorQuestion(std::string_view path);
std::string WarningsBox(std::int64_t warnings);
// The log's line after the summary when values were left out as unknown, and
// the box's sentence that says the same.
std::string UnknownValuesHint(std::int64_t userPairs, std::int64_t builtinPairs);
inline constexpr std::string_view kUnknownValuesSentence =
    "\nLes valeurs inconnues ne sont pas converties : décochez « Traiter uniquement les valeurs "
    "connues »\nou ajoutez leurs paires à table.txt.";
// Status line 1.
std::string FilesDoneStatus(std::int64_t done, std::int64_t count);

// A window's side of a run: what it does to show one (the operations below),
// and the run's events turned into them, in the order the window has always
// made them.
class WindowReport : public RunReporter {
 public:
  // Four status lines, top to bottom: an absent text leaves its line, an empty
  // one clears it.
  virtual void SetStatusLines(const std::optional<std::string>& line1,
                              const std::optional<std::string>& line2,
                              const std::optional<std::string>& line3,
                              const std::optional<std::string>& line4) = 0;
  virtual void AddLogLine(std::string_view text) = 0;
  virtual void SetLogRedraw(bool on) = 0;
  // After the redraw is back on: shows the last line when the log holds more than 10.
  virtual void ScrollLogToEnd() = 0;
  // A message box; returns the answer (kYes or kNo for a question, else kOk).
  virtual BoxAnswer MessageBox(std::string_view text, std::string_view caption, BoxType type) = 0;

  void RunRefused(RunRefusal why) override;
  void RunStarted(std::int64_t count) override;
  void FileStarted(std::int64_t index, std::int64_t count, std::string_view path) override;
  void LogLine(std::string_view text) override { AddLogLine(text); }
  bool GoOnWithoutSeparator(std::string_view path) override;
  void FileDone(std::int64_t filesDone, std::int64_t count) override;
  void RunEnded(const RunEnd& end) override;
};

}  // namespace quelvane::res
