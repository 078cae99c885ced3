#include "run/settings.h"

#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

#include "core/text.h"

namespace quelvane {
namespace {

enum class ValueType { kInteger, kText };

// A separator's two keys: "tabulation" (integer) for its radio pair and
// "separateurs" (text) for the characters of its edit.
struct SeparatorMember {
  bool WindowSettings::*tabulation;
  std::string ConversionOptions::*separator;
};

// Where a key's value lives, and so how the profile spells it.
using Member = std::variant<std::int32_t ConversionOptions::*, std::string ConversionOptions::*,
                            CodeType ConversionOptions::*, OutputExtension ConversionOptions::*,
                            ConversionDirection WindowSettings::*, SeparatorMember>;

struct SettingKey {
  std::string_view key;
  std::string_view section;
  ValueType type;
  std::string_view defaultValue;  // as the profile spells it
  std::size_t cut;                // a text keeps at most so many bytes (none for an integer)
  Member member;
};

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kSource = "Separateur Source";
constexpr std::string_view kDestination = "Separateur Destination";
constexpr SeparatorMember kSourceSeparator{&WindowSettings::sourceTabulation,
                                           &ConversionOptions::SeparateurSource};
constexpr SeparatorMember kDestinationSeparator{&WindowSettings::destinationTabulation,
                                                &ConversionOptions::SeparateurDestination};
constexpr auto kInteger = ValueType::kInteger;
constexpr auto kText = ValueType::kText;

// The fourteen keys in the order the window writes them, which is the order of
// the keys of a new file. "tabulation" comes before its "separateurs", which is
// read only when the tab is off.
constexpr SettingKey kSettingKeys[] = {
    {"ValeursConnuesOnly", kGeneral, kInteger, "1", 0, &ConversionOptions::ValeursConnuesOnly},
    {"NePasRecopierValeursIgnorees", kGeneral, kInteger, "0", 0,
     &ConversionOptions::NePasRecopierValeursIgnorees},
    {"tabulation", kSource, kInteger, "1", 0, kSourceSeparator},
    {"separateurs", kSource, kText, "", kSeparatorMaxLength, kSourceSeparator},
    {"SensDeConversion", kGeneral, kInteger, "3", 0, &WindowSettings::direction},
    {"CodeSource", kGeneral, kInteger, "1", 0, &ConversionOptions::CodeSource},
    {"CodeDestination", kGeneral, kInteger, "2", 0, &ConversionOptions::CodeDestination},
    {"PrefixeSicovam", kGeneral, kText, "", kPrefixMaxLength, &ConversionOptions::PrefixeSicovam},
    {"LgSicoFixe", kGeneral, kInteger, "0", 0, &ConversionOptions::LgSicoFixe},
    {"NbCharSico", kGeneral, kInteger, "6", 0, &ConversionOptions::NbCharSico},
    {"tabulation", kDestination, kInteger, "1", 0, kDestinationSeparator},
    {"separateurs", kDestination, kText, "", kSeparatorMaxLength, kDestinationSeparator},
    {"ExtensionDestination", kGeneral, kText, ".new", kExtensionMaxLength,
     &ConversionOptions::ExtensionDestination},
    {"CheminFichiersSource", kGeneral, kText, "", kFolderMaxLength,
     &ConversionOptions::CheminFichiersSource},
};

// How the profile spells the typed values. "SensDeConversion": 3, and any number
// but 3 is the other direction. "CodeSource" and "CodeDestination": 1 and 2, any
// other number names no type (written as 0, though the window never writes one:
// it sets both types from its direction buttons first). "ExtensionDestination":
// ".new" exactly, and any other text is ".new.txt".
constexpr std::int32_t kSicovamToIsinNumber = 3;
constexpr std::int32_t kIsinToSicovamNumber = 4;
constexpr std::int32_t kSicovamNumber = 1;
constexpr std::int32_t kIsinNumber = 2;
constexpr std::int32_t kNoTypeNumber = 0;

CodeType CodeTypeOf(std::int32_t number) {
  return number == kSicovamNumber ? CodeType::kSicovam
         : number == kIsinNumber  ? CodeType::kIsin
                                  : CodeType::kOther;
}

std::int32_t NumberOf(CodeType type) {
  return type == CodeType::kSicovam ? kSicovamNumber
         : type == CodeType::kIsin  ? kIsinNumber
                                    : kNoTypeNumber;
}

template <class... Visitors>
struct Overloaded : Visitors... {
  using Visitors::operator()...;
};
// clang before 17 deduces no aggregate's arguments by itself.
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

// A key's value as the profile gives it (or its default) put where it belongs.
void ReadKey(const SettingKey& key, std::string_view text, ConversionOptions& options,
             WindowSettings& window) {
  if (key.type == kText && text.size() > key.cut) text = text.substr(0, key.cut);
  // Integers are read as atoi reads them.
  const std::int32_t number = key.type == kInteger ? ReadAtoi(text) : 0;
  std::visit(
      Overloaded{
          [&](std::int32_t ConversionOptions::*member) { options.*member = number; },
          [&](std::string ConversionOptions::*member) { options.*member = text; },
          [&](CodeType ConversionOptions::*member) { options.*member = CodeTypeOf(number); },
          [&](OutputExtension ConversionOptions::*member) {
            const bool plainNew = text == ExtensionText(OutputExtension::kNew);
            options.*member = plainNew ? OutputExtension::kNew : OutputExtension::kNewTxt;
            const bool buttonText = plainNew || text == ExtensionText(OutputExtension::kNewTxt);
            window.otherExtension.reset();
            if (!buttonText) window.otherExtension = std::string(text);
          },
          [&](ConversionDirection WindowSettings::*member) {
            window.*member = number == kSicovamToIsinNumber ? ConversionDirection::kSicovamToIsin
                                                            : ConversionDirection::kIsinToSicovam;
          },
          [&](SeparatorMember member) {
            if (key.type == kInteger) {
              window.*member.tabulation = number == 1;
              // One character is assigned, not a literal: GCC 12 at -O2 takes the copy of
              // a literal into a string reached through a member pointer for an overlap.
              if (number == 1) (options.*member.separator).assign(1, '\t');
            } else if (!(window.*member.tabulation)) {
              options.*member.separator = text;
            }
          },
      },
      key.member);
}

// A key's value as the profile spells it.
std::string WrittenValue(const SettingKey& key, const ConversionOptions& options,
                         const WindowSettings& window) {
  return std::visit(
      Overloaded{
          [&](std::int32_t ConversionOptions::*member) { return std::to_string(options.*member); },
          [&](std::string ConversionOptions::*member) { return options.*member; },
          [&](CodeType ConversionOptions::*member) {
            return std::to_string(NumberOf(options.*member));
          },
          [&](OutputExtension ConversionOptions::*member) {
            const OutputExtension extension = options.*member;
            if (extension == OutputExtension::kNewTxt && window.otherExtension) {
              return *window.otherExtension;
            }
            return std::string(ExtensionText(extension));
          },
          [&](ConversionDirection WindowSettings::*member) {
            return std::to_string(window.*member == ConversionDirection::kSicovamToIsin
                                      ? kSicovamToIsinNumber
                                      : kIsinToSicovamNumber);
          },
          [&](SeparatorMember member) {
            if (key.type == kInteger) return std::string(window.*member.tabulation ? "1" : "0");
            return options.*member.separator;
          },
      },
      key.member);
}

}  // namespace

ConversionOptions::ConversionOptions() {
  WindowSettings window;
  for (const SettingKey& key : kSettingKeys) ReadKey(key, key.defaultValue, *this, window);
}

Settings::Settings() {
  for (const SettingKey& key : kSettingKeys) ReadKey(key, key.defaultValue, options, *this);
}

Settings ReadSettings(const Profile& profile) {
  std::vector<ProfileRead> reads;
  for (const SettingKey& key : kSettingKeys)
    reads.push_back({key.section, key.key, key.defaultValue});
  const std::vector<std::string> values = profile.GetProfileStrings(reads);
  Settings settings;
  for (std::size_t i = 0; i < values.size(); ++i) {
    ReadKey(kSettingKeys[i], values[i], settings.options, settings);
  }
  return settings;
}

std::vector<ProfileWrite> SettingsWrites(const Settings& settings) {
  std::vector<ProfileWrite> writes;
  writes.reserve(std::size(kSettingKeys));
  for (const SettingKey& key : kSettingKeys) {
    writes.push_back({key.section, key.key, WrittenValue(key, settings.options, settings)});
  }
  return writes;
}

bool WriteSettings(Profile& profile, const Settings& settings) {
  return profile.WriteKeys(SettingsWrites(settings));
}

}  // namespace quelvane
