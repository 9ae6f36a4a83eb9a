#pragma once
// Reads Firefox's `places.sqlite`: the bookmarks of moz_bookmarks with the addresses and last
// visits of moz_places, tags and keywords. The profile's database is never opened: the reader
// copies it (with its write-ahead log) into a directory of its own and reads the copy, so that
// it works while Firefox runs and can change nothing of the profile.

#include <string>

#include "model/BmLogic.h"

namespace pernard {

// The folders under Firefox's root, in the order shown, with the names Firefox gives them in
// Japanese.
inline constexpr const char* kFirefoxMenuName = "ブックマークメニュー";
inline constexpr const char* kFirefoxToolbarName = "ブックマークツールバー";
inline constexpr const char* kFirefoxUnfiledName = "他のブックマーク";
inline constexpr const char* kFirefoxMobileName = "モバイルのブックマーク";

// Reads one `places.sqlite` as one root named after the file. `complete` empties the table
// first. False with an error text when the database cannot be read.
bool ReadFirefoxPlaces(BmLogic& model, bool complete, const std::string& path, int& urlCount,
                       std::string& errorText);

}  // namespace pernard
