#pragma once
// Reads Firefox's `places.sqlite` of any layout since Firefox 3 (formats/firefox/FirefoxPlaces.h):
// the bookmarks of moz_bookmarks with the addresses and last visits of moz_places, tags, keywords,
// descriptions, and the pages' icons (formats/firefox/FirefoxIcons.h). The profile's databases are
// never opened: the reader copies places.sqlite and favicons.sqlite beside it (each with its
// write-ahead log) into a private directory of its own (util/PrivateDirectory) and reads the
// copies, so that it works while Firefox runs and can change nothing of the profile.

#include <filesystem>
#include <functional>
#include <string>

#include "formats/SourceParser.h"

namespace pernard {

// The folders under Firefox's root, in the order shown, with the names Firefox gives them in
// Japanese.
inline constexpr const char* kFirefoxMenuName = "ブックマークメニュー";
inline constexpr const char* kFirefoxToolbarName = "ブックマークツールバー";
inline constexpr const char* kFirefoxUnfiledName = "他のブックマーク";
inline constexpr const char* kFirefoxMobileName = "モバイルのブックマーク";

// A parser of one `places.sqlite`, read as one root named after the browser and profile
// (StoreRootName); or why it cannot be read: the database cannot be read, or its layout lacks
// what the reader needs (the text names its `user_version`). The database is copied and loaded
// here, before the load begins.
OpenedSource OpenFirefoxStore(const std::string& path);

// Called, when set, with the directory of the reader's copy once the database is copied into
// it and before the copy is read; the tests look at the directory through it.
using PlacesCopyObserver = std::function<void(const std::filesystem::path& directory)>;
void SetPlacesCopyObserver(PlacesCopyObserver observer);

}  // namespace pernard
