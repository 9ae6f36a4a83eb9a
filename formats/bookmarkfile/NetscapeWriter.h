#pragma once
// Writes roots of the entry table as a Netscape bookmark file.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/BmLogic.h"
#include "model/WritePermit.h"

namespace pernard {

using BytesSink = std::function<void(std::string_view)>;

// Hands the bytes of the bookmark file for root `root` to `sink`, a block at a time. What a
// browser wrote that the table has no column for goes back on its entry. Returns how many
// entries held what a bookmark file cannot (the other lines of a shortcut file): left out.
int WriteBookmarkText(const BmLogic& model, int root, const BytesSink& sink);
// The same for several roots in one file, one TITLE section each, in the order given.
int WriteBookmarkText(const BmLogic& model, const std::vector<int>& roots, const BytesSink& sink);

// The bytes of the bookmark file for root `root`, in the encoding it was read in (CP932 when
// unknown) or in UTF-8 when the settings say so, with a charset line.
std::string BookmarkFileText(const BmLogic& model, int root);

// True when writing root `root` as a bookmark file would write U+FFFD in place of bytes that
// did not decode when it was read (its file's encoding is not the one it is written in).
bool WouldReplaceKeptBytes(const BmLogic& model, int root);

// What writing a bookmark file came to.
struct BookmarkFileWrite {
    bool written = false;   // the file holds the roots now
    int droppedExtras = 0;  // entries whose extras a bookmark file cannot hold
};

// Writes the permitted roots to the permitted file through a temporary file that replaces it
// only once complete; on any failure the old file stays as it was.
BookmarkFileWrite WriteBookmarkRoots(const BmLogic& model, const WritePermit& permit);

// True when root `root` holds a URL with bytes that did not decode: a shortcut file (CP932)
// cannot take them back as themselves.
bool UrlsHoldKeptBytes(const BmLogic& model, int root);

}  // namespace pernard
