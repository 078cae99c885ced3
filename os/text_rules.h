// The rules of the operating-system layer that are text alone: how Windows
// splits a path and a command line, which names it keeps for its devices, when
// a path must take the long form, where UTF-8 may be cut between two writes, and
// the temporary names beside an output. Plain C++ built on every system, so that
// every build's tests check them, not only the Windows build's under wine; each
// system's implementation applies the ones that are its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

// A path split at its last separator: `folder` keeps its separator, so that
// folder + name is the path again. No separator: folder is empty.
struct PathParts {
  std::string_view folder;
  std::string_view name;
};
PathParts SplitPosixPath(std::string_view path);
// '\\' or '/', and a drive letter's colon: "C:name" is a name in the current
// folder of drive C, so "C:" is its folder.
PathParts SplitWindowsPath(std::string_view path);

// A name Windows keeps for a device in every folder (CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, COM1 to COM9 and LPT1 to LPT9, the last two with a
// superscript digit too), whatever its case and extension: "nul.txt" opens the
// device, never a file.
bool IsWindowsDeviceName(std::string_view path);

// The path as Windows calls take it, given the path as written and its full
// form (GetFullPathNameW's): as written while both are shorter than the classic
// limit (MAX_PATH less the room Windows keeps for a name in a folder), else the
// full form with its "\\?\" (or "\\?\UNC\") prefix, which takes no '.' or '..'.
// A path written with a prefix already stays as it is.
inline constexpr std::size_t kClassicPathLimit = 260 - 12;
std::wstring WindowsCallPath(std::wstring_view written, std::wstring_view full);

// The length of the longest start of `bytes` that ends on a whole UTF-8
// character: a console takes characters, and a character cut at the end of one
// write waits for the rest of its bytes. Bytes that cannot begin a character are
// passed on as they are.
std::size_t WholeUtf8Length(std::string_view bytes);

// One word of a Windows command line.
struct CommandLineWord {
  std::string text;
  bool quoted = false;  // a '"' stood in it, escaped or not: the word is taken as written
};
// Splits a command line (UTF-8) as Windows programs split theirs
// (CommandLineToArgvW): the program's name first, up to its closing quote or
// the first blank, with no escapes; then words at spaces and tabs outside
// quotes, 2n backslashes before a quote giving n and the quote opening or
// closing, 2n+1 giving n and a literal quote, and a third quote in a row
// giving a literal one.
std::vector<CommandLineWord> SplitWindowsCommandLine(std::string_view line);

// Whether a word holds a '*' or a '?': a file-name pattern where the program
// expands patterns itself (core/wildcards.h).
bool HasWildcard(std::string_view word);

// A short hidden name in `folder` (which ends with its separator, or is empty):
// ".q" and six letters or digits drawn from `seed`. A final name has at least
// one character, so a folder that holds the final name holds this one too,
// whatever the final name's length.
std::string TemporaryNameIn(std::string_view folder, std::uint64_t seed);

}  // namespace quelvane
