#pragma once
// What the readers of browsers' own stores share: the store's root, its folders and dates, and
// how their extras are kept.

#include <string>
#include <string_view>

#include "model/EntryBuilder.h"

namespace pernard {

// Adds the one root of a store's read, named after the browser and profile (StoreRootName), its
// texts in `charset`. False, saying the table is full, when there was no room for it.
bool AddStoreRoot(EntryBuilder& builder, const std::string& path, SourceKind kind,
                  const char* charset, std::string& errorText);

// A time in microseconds since `epochSeconds` seconds before 1970-01-01 UTC, given as decimal
// text, as the table's seconds since 1970; empty for "0", nothing, or what is not a number.
std::string MicrosecondsToSeconds(std::string_view microseconds, long long epochSeconds);
// Seconds between 1601-01-01 and 1970-01-01: Chromium's dates count from 1601.
inline constexpr long long kSecondsFrom1601To1970 = 11644473600LL;

// Opens a folder of a store. One too deep for the table is said and left out with its contents
// (TooDeep; `partial` is set): the caller goes on after it. Full stops the read.
EntryBuilder::Outcome OpenStoreFolder(EntryBuilder& builder, const std::string& name, const std::string& added,
                                      EntryExtras extras, bool& partial);
// True, with the bookmark said and `partial` set, when its URL is the folder marker: the table
// would take it for a folder, so it is left out.
bool LeaveOutFolderMarkerUrl(EntryBuilder& builder, const EntryTexts& fields, bool& partial);

// An attribute as a bookmark file writes it: ` NAME="value"`, the value escaped.
std::string StoreAttribute(const char* name, std::string_view value);
// A store's description, plain text, as the extras hold a <DD> description: markup characters
// escaped, line ends made "\n", blank lines at its end dropped. A description of blanks only
// sets nothing.
void SetStoreDescription(std::string_view text, EntryExtras& extras);

// What a reader says of a folder it left out for being too deep.
inline constexpr const char* kTooDeepFolderMessage =
    "階層が深すぎるフォルダーとその中身は読み込みませんでした : ";

}  // namespace pernard
