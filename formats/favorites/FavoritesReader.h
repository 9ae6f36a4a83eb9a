#pragma once
// Reads an Internet Explorer Favorites directory into the entry table as one new root: each
// subdirectory becomes a folder, each shortcut file (".url", any letter case) a URL entry.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/SourceParser.h"
#include "formats/favorites/ShortcutText.h"
#include "model/BmLogic.h"

namespace pernard {

// The largest shortcut file that is read. A shortcut is a few hundred bytes; its entry carries
// the whole file, so that a save gives every byte of it back.
inline constexpr std::size_t kShortcutSizeLimit = 16 * 1024 * 1024;

// Said for a shortcut file that is left out of a read, followed by its path.
inline constexpr const char* kUnreadShortcutMessage =
    "読めないか大きすぎる（16 MiB 超）ショートカットは読み込みませんでした : ";

// The URL of a shortcut file's [InternetShortcut] section, or "N/A" when the file, the section
// or the key is missing.
std::string ReadShortcutUrl(const std::string& path);
// The whole of a shortcut file; false when it cannot be read or is larger than
// kShortcutSizeLimit.
bool ReadShortcutBytes(const std::string& path, std::string& bytes);
// The packed extras of an entry read from a shortcut file's bytes: the bytes themselves (an
// empty file's none too) unless they are just what the program writes for `url`.
std::string ShortcutExtras(std::string_view bytes, const std::string& url);

// A parser of one Favorites directory, read as one new root (a directory too deep for the
// table is left out with a notice), or why it cannot be read (it does not exist).
OpenedSource OpenFavoritesDirectory(const std::string& directory);
// A parser of one shortcut file, read as a collection of that one bookmark: a Favorites root for
// the file's directory (so that an overwrite save writes the shortcut back there) holding it.
OpenedSource OpenShortcutFile(const std::string& path);

// The size and modification time of a shortcut file now; false when it cannot be looked at.
bool LookAtShortcutFile(const std::string& path, ReadShortcut& now);
// The hash of a shortcut file's bytes that a note keeps.
std::uint64_t ShortcutHash(std::string_view bytes);
// Notes a shortcut file as it is now, holding bytes of `hash`, among the files of a Favorites
// root.
void NoteShortcutFile(ReadFavoritesFiles& files, const std::string& path, std::uint64_t hash);
// Whether a noted shortcut file is still as the note says: the same size, time and bytes.
// `bytes`, when given, receives what it holds.
bool IsAsNoted(const std::string& path, const ReadShortcut& noted, std::string* bytes = nullptr);

// True for a file name that ends in ".url" in any letter case.
bool IsShortcutFileName(const std::string& path);

}  // namespace pernard
