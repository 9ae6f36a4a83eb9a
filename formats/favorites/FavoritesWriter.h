#pragma once
// Writes one root of the entry table as a Favorites directory: a directory per folder, a
// shortcut file per URL. The writers only write; the save commands (commands/) ask and say.

#include "formats/favorites/FavoritesTreeWriter.h"
#include "formats/favorites/ShortcutText.h"
#include "model/BmLogic.h"
#include "model/WritePermit.h"

namespace pernard {

// The overwrite save: writes the permitted root below the permitted directory. When that is the
// directory the root was read from and every entry was written, the files the load read there that
// no entry went to are removed (never one changed since, nor anything it did not read); a removal
// that fails counts in `notRemoved`, and the next save tries it again.
FavoritesWrite WriteFavoritesOver(const BmLogic& model, const WritePermit& permit);

// Save-as: writes the permitted root as a complete new tree beside the permitted directory,
// which the new tree replaces only once complete (`replaced`); otherwise the old tree stays as it
// was.
FavoritesWrite WriteFavoritesAnew(const BmLogic& model, const WritePermit& permit);

}  // namespace pernard
