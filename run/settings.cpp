#include "run/settings.h"

#include <string>
#include <string_view>

namespace quelvane {
namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kSource = "Separateur Source";
constexpr std::string_view kDestination = "Separateur Destination";

// "SensDeConversion" stores the direction as these numbers.
constexpr std::int32_t kSicovamToIsinDirection = 3;
constexpr std::int32_t kIsinToSicovamDirection = 4;

// A text setting as its field holds it: a longer stored text keeps the field's
// length in bytes.
std::string Field(const Profile& profile, std::string_view section, std::string_view key,
                  std::string_view defaultValue, std::size_t maxLength) {
  std::string text = profile.GetProfileString(section, key, defaultValue);
  if (text.size() > maxLength) text.resize(maxLength);
  return text;
}

// A separator is a tab while its "Tabulation" button is on (the key reads 1);
// otherwise the characters its edit held.
bool ReadSeparator(const Profile& profile, std::string_view section, std::string& separator) {
  const bool tabulation = profile.GetProfileInt(section, "tabulation", 1) == 1;
  separator = tabulation ? std::string("\t")
                         : Field(profile, section, "separateurs", "", kSeparatorMaxLength);
  return tabulation;
}

}  // namespace

Settings ReadSettings(const Profile& profile) {
  Settings settings;
  ConversionOptions& options = settings.options;
  options.ValeursConnuesOnly = profile.GetProfileInt(kGeneral, "ValeursConnuesOnly", 1);
  options.NePasRecopierValeursIgnorees =
      profile.GetProfileInt(kGeneral, "NePasRecopierValeursIgnorees", 0);
  settings.sourceTabulation = ReadSeparator(profile, kSource, options.SeparateurSource);
  settings.sicovamToIsin =
      profile.GetProfileInt(kGeneral, "SensDeConversion", kSicovamToIsinDirection) ==
      kSicovamToIsinDirection;
  options.CodeSource = profile.GetProfileInt(kGeneral, "CodeSource", 1);
  options.CodeDestination = profile.GetProfileInt(kGeneral, "CodeDestination", 2);
  options.PrefixeSicovam = Field(profile, kGeneral, "PrefixeSicovam", "", kPrefixMaxLength);
  settings.destinationTabulation =
      ReadSeparator(profile, kDestination, options.SeparateurDestination);
  options.LgSicoFixe = profile.GetProfileInt(kGeneral, "LgSicoFixe", 0);
  options.NbCharSico = profile.GetProfileInt(kGeneral, "NbCharSico", 6);
  options.ExtensionDestination =
      Field(profile, kGeneral, "ExtensionDestination", ".new", kExtensionMaxLength);
  // The ".new" button is on for exactly that text, the ".new.txt" one otherwise.
  options.OutputExtension = options.ExtensionDestination == ".new" ? ".new" : ".new.txt";
  options.CheminFichiersSource =
      Field(profile, kGeneral, "CheminFichiersSource", "", kFolderMaxLength);
  return settings;
}

bool WriteSettings(Profile& profile, const Settings& settings) {
  const ConversionOptions& options = settings.options;
  bool ok = true;
  const auto writeInt = [&](std::string_view section, std::string_view key, std::int32_t value) {
    ok = profile.WriteProfileInt(section, key, value) && ok;
  };
  const auto writeText = [&](std::string_view section, std::string_view key,
                             std::string_view value) {
    ok = profile.WriteProfileString(section, key, value) && ok;
  };
  writeInt(kGeneral, "ValeursConnuesOnly", options.ValeursConnuesOnly);
  writeInt(kGeneral, "NePasRecopierValeursIgnorees", options.NePasRecopierValeursIgnorees);
  writeInt(kSource, "tabulation", settings.sourceTabulation ? 1 : 0);
  writeText(kSource, "separateurs", options.SeparateurSource);
  writeInt(kGeneral, "SensDeConversion",
           settings.sicovamToIsin ? kSicovamToIsinDirection : kIsinToSicovamDirection);
  writeInt(kGeneral, "CodeSource", options.CodeSource);
  writeInt(kGeneral, "CodeDestination", options.CodeDestination);
  writeText(kGeneral, "PrefixeSicovam", options.PrefixeSicovam);
  writeInt(kGeneral, "LgSicoFixe", options.LgSicoFixe);
  writeInt(kGeneral, "NbCharSico", options.NbCharSico);
  writeInt(kDestination, "tabulation", settings.destinationTabulation ? 1 : 0);
  writeText(kDestination, "separateurs", options.SeparateurDestination);
  writeText(kGeneral, "ExtensionDestination", options.ExtensionDestination);
  writeText(kGeneral, "CheminFichiersSource", options.CheminFichiersSource);
  return ok;
}

}  // namespace quelvane
