#pragma once
// The id a synced collection's shared file gives an entry, kept among the entry's attributes as
// ID="N" so that a bookmark file holds it as it holds any other attribute. The id belongs to the
// entry: moves, sorts, clean-ups and undo keep it, and a copy is a new entry without one.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/EntryExtras.h"

namespace pernard {

// The entry's id from its packed extras; 0 when it has none (or one that is no positive number).
std::int64_t SyncIdOf(std::string_view packedExtras);
// The attributes with the id set to `id` (0: taken out), the other attributes as they were.
std::string WithSyncId(std::string_view attributes, std::int64_t id);
// Packed extras without an id; the same text when there is none.
std::string PackedWithoutSyncId(std::string_view packedExtras);

}  // namespace pernard
