#pragma once
// What the two forms of the shared file (sync/SharedFile.h) have in common: the highestId
// comment, the ids, the nesting limit, the wording of a file that cannot be read; and each
// form's reader and writer.

#include <string>
#include <string_view>

#include "sync/SyncTree.h"

namespace pernard::sync {

// Folders nested deeper than this make a file unreadable: no file of a real collection comes
// near it, and a reader stays bounded on a hostile one.
inline constexpr int kMaxFolderDepth = 1000;

// The comment line's text for the highestId, without its line end.
std::string HighestIdComment(SyncId highestId);
// The highestId of a file: on the first line holding the comment, the number between the
// line's first and last ":"; 0 when there is no such line or no number there.
SyncId HighestIdOf(std::string_view bytes);
// An item's id from its attribute's raw value: a positive decimal number, else kNoId.
SyncId ParseSyncId(std::string_view raw);

// A title as the extension keeps it: without white space (as a script's trim() knows it) at
// either end.
std::string TrimmedTitle(std::string_view text);

// Why a file cannot be read, `why` saying what is wrong with it.
std::string FormError(std::string_view why);
std::string DeepNestingError();

// The forms' own readers, on bytes already known to be UTF-8: what is wrong with the file,
// empty when `tree` (empty before) holds what it reads as. And their writers.
std::string ReadHtmlFile(std::string_view bytes, SyncTree& tree);
std::string WriteHtmlFile(const SyncTree& tree);
std::string ReadXbelFile(std::string_view bytes, SyncTree& tree);
std::string WriteXbelFile(const SyncTree& tree);

}  // namespace pernard::sync
