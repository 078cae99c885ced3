// The options of a file conversion run. Members keep the names of their profile
// keys, so the desktop program, the profile and quelvane-cli speak of the same thing.
#pragma once

#include <cstdint>
#include <string>

namespace quelvane {

struct ConversionOptions {
  std::string ExtensionDestination = ".new";  // as the profile keeps it
  std::int32_t NePasRecopierValeursIgnorees = 0;
  std::int32_t LgSicoFixe = 0;
  std::int32_t NbCharSico = 6;
  std::int32_t ValeursConnuesOnly = 1;
  std::string PrefixeSicovam;        // "X" or empty
  std::string CheminFichiersSource;  // carried through the profile, used by nothing else
  std::int32_t CodeDestination = 2;  // CodeType
  std::int32_t CodeSource = 1;       // CodeType
  std::string SeparateurDestination = "\t";
  std::string SeparateurSource = "\t";

  // The extension the run appends to output names: ".new.txt" when the ".new.txt"
  // button is checked, else ".new". Not a profile key: the window's radio button
  // decides it, and it agrees with ExtensionDestination only for those two texts.
  std::string OutputExtension = ".new";

  bool operator==(const ConversionOptions&) const = default;
};

}  // namespace quelvane
