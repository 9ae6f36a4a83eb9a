#pragma once
// The text of a shortcut file (".url"): an INI file whose [InternetShortcut] section holds the
// URL, written in the ANSI code page (CP932 here) or, by some programs, in UTF-8.

#include <string>
#include <string_view>

namespace pernard {

// The bytes of a shortcut file: "[InternetShortcut]" and "URL=" + url, CR LF after each, in
// CP932. A character CP932 cannot hold, and a CR or LF, is percent-encoded as UTF-8.
std::string ShortcutFileText(std::string_view url);

// A shortcut file's bytes as UTF-8 text: UTF-8 when they are, CP932 otherwise.
std::string ShortcutTextOf(std::string_view bytes);

// The URL of the [InternetShortcut] section of a shortcut file's text (already in UTF-8), or
// kNoUrl ("N/A") when the section or the key is missing.
std::string ShortcutUrlFromText(std::string_view text);

// The bytes of the shortcut file read as `original`, holding `url` instead of the URL it held:
// the URL= line of its [InternetShortcut] section changes, and a BASEURL= of its [DEFAULT]
// section that held the old URL; every other byte stays, line ends included. `original`
// itself when it already holds `url`.
std::string ShortcutWithUrl(std::string_view original, std::string_view url);

}  // namespace pernard
