// The options of a file conversion run. Members keep the names of their profile
// keys, so the desktop program, the profile and quelvane-cli speak of the same thing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelvane {

// The type of a column's codes. A profile edited by hand may name neither type:
// such a code column is never found, or copied as it is.
enum class CodeType { kSicovam, kIsin, kOther };

// Which way a run converts: the main window's radio pair "SICOVAM ==> ISIN" /
// "ISIN ==> SICOVAM", quelvane-cli's -r.
enum class ConversionDirection { kSicovamToIsin, kIsinToSicovam };

// What a run appends to an input's name to name its output.
enum class OutputExtension { kNew, kNewTxt };

constexpr std::string_view ExtensionText(OutputExtension extension) {
  return extension == OutputExtension::kNew ? ".new" : ".new.txt";
}

// The fixed SICOVAM lengths a run accepts (LgSicoFixe, NbCharSico): a run asked
// for another is refused before its first file.
inline constexpr int kShortestFixedLength = 5;
inline constexpr int kLongestFixedLength = 99;

struct ConversionOptions {
  // Every option as a first start without a profile has it: the defaults of the
  // settings schema (run/settings.h).
  ConversionOptions();

  OutputExtension ExtensionDestination{};
  std::int32_t NePasRecopierValeursIgnorees{};
  std::int32_t LgSicoFixe{};
  std::int32_t NbCharSico{};
  std::int32_t ValeursConnuesOnly{};
  std::string PrefixeSicovam;        // "X" or empty
  std::string CheminFichiersSource;  // carried through the profile, used by nothing else
  CodeType CodeDestination{};
  CodeType CodeSource{};
  std::string SeparateurDestination;
  std::string SeparateurSource;

  // Both code types, one of each, as a direction button sets them.
  void SetDirection(ConversionDirection direction) {
    const bool fromSicovam = direction == ConversionDirection::kSicovamToIsin;
    CodeSource = fromSicovam ? CodeType::kSicovam : CodeType::kIsin;
    CodeDestination = fromSicovam ? CodeType::kIsin : CodeType::kSicovam;
  }
  // The direction of the code types; nothing for a pair that is not one of each
  // (read from a profile), whose code column a run copies as it is.
  std::optional<ConversionDirection> Direction() const {
    if (CodeSource == CodeType::kSicovam && CodeDestination == CodeType::kIsin) {
      return ConversionDirection::kSicovamToIsin;
    }
    if (CodeSource == CodeType::kIsin && CodeDestination == CodeType::kSicovam) {
      return ConversionDirection::kIsinToSicovam;
    }
    return std::nullopt;
  }

  bool operator==(const ConversionOptions&) const = default;
};

}  // namespace quelvane
