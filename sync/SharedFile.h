#pragma once
// The shared file on the server, in the two forms the browsers' sync extension writes and accepts:
// its bookmark-file form and its XBEL form. The bytes are exactly that extension's (header lines,
// the highestId comment, indentation, escaping, UTF-8 without a byte order mark, LF line ends, no
// final newline), and reading follows that extension's rules, quirks included, so that the program
// sees the file as every other client of it does.

#include <string>
#include <string_view>

#include "sync/SyncTree.h"

namespace pernard::sync {

enum class SharedFormat { Html, Xbel };

// The form a file of this name is in: .html (any case) is the bookmark-file form, anything else
// XBEL.
SharedFormat FormatForName(std::string_view name);
// "html" or "xbel".
const char* FormatName(SharedFormat format);

struct SharedFileRead {
    bool ok = false;
    // Why the file cannot be read (in Japanese), when !ok.
    std::string error;
    SyncTree tree;
};

// Reads the file's bytes as the extension reads them: an unreadable header is an error; items
// without an id get kNoId; the highestId comes from the comment's line.
SharedFileRead ReadSharedFile(std::string_view bytes, SharedFormat format);
// The file's bytes for the tree, as the extension writes them.
std::string WriteSharedFile(const SyncTree& tree, SharedFormat format);
// Whether the file ends as a whole file of its form does (XBEL with </xbel>, the bookmark-file
// form with its top list's </DL> or </html>, white space after it aside). A file cut short on
// the server reads as a smaller collection; this is how the sync tells.
bool EndsWhole(std::string_view bytes, SharedFormat format);

// A title as the shared file carries it in either form: line ends, tabs and other control
// characters as blanks, no white space at either end (the extension trims titles it reads).
std::string SharedTitle(std::string_view title);

// Whether `bytes`, about to be uploaded, are a sound file of `tree`: they read back to the same
// tree, every id is positive and unique, and highestId is at least every id. Empty when sound,
// else what is wrong (in Japanese).
std::string CheckBeforeUpload(const SyncTree& tree, std::string_view bytes, SharedFormat format);

}  // namespace pernard::sync
