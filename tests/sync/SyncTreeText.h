#pragma once
// Trees of the sync written short, for tables of tests:
//   "^7 F1:Bar[B2:a=http://a/ F3:Empty[]] B4:c=http://c/ L:mail=mailto:x@y"
// F a folder, B a bookmark, L a local-only bookmark; the number after the letter is the id (none:
// no id); ^N the highestId (else the largest id). Titles hold no "[", "]", "=" or ":"; "_" stands
// for a blank.

#include <string>

#include "sync/SyncTree.h"

namespace pernard::sync {

SyncTree TreeFromText(const std::string& text);
std::string TextOfTree(const SyncTree& tree);

}  // namespace pernard::sync
