#pragma once
// What a browser or another program wrote for an entry that the table has no column for: the
// other attributes of its tag, its description, the separators around it, the other lines of
// its shortcut file. Kept per entry so that a save writes it back and edits carry it along; an
// entry without any costs nothing. Stored packed, as one text.

#include <string>
#include <string_view>

namespace pernard {

struct EntryExtras {
    // The tag's other attributes as written, each after one blank: ` TAGS="a,b" FOLDED`.
    std::string attributes;
    // The text after <DD> as written (markup and references included), its lines joined by
    // "\n". An empty <DD> is a description too.
    bool hasDescription = false;
    std::string description;
    // <HR> lines right before the entry, and (a folder's or a root's) after its last entry.
    int separatorsBefore = 0;
    int separatorsAtEnd = 0;
    // The bytes of the shortcut file the entry was read from, when they are not just what the
    // program writes for its URL (an empty file among them).
    bool hasShortcut = false;
    std::string shortcut;
    // A root's <H1> heading: the attributes of its tag as written (as `attributes`), and its
    // text as written when that is not the root's title (a heading that repeats the title
    // follows the root's name).
    std::string headingAttributes;
    bool hasHeading = false;
    std::string heading;
    // The node's key in the browser store it was read from (a Chromium node's id and guid, the role
    // of a store's top folder: formats/StoreRoles.h), so that writing the store back keeps the node
    // as the browser knows it. No file format carries it.
    std::string storeKey;

    bool Empty() const { return !HoldsBookmarkFileData() && !hasShortcut && storeKey.empty(); }
    // What only a bookmark file can hold (attributes, description, separators, a heading).
    bool HoldsBookmarkFileData() const {
        return !attributes.empty() || hasDescription || separatorsBefore > 0 ||
               separatorsAtEnd > 0 || !headingAttributes.empty() || hasHeading;
    }
};

// The attribute that holds a synced entry's id (model/SyncId.h).
inline constexpr std::string_view kSyncIdName = "ID";

// The beginnings of the store keys of a browser's own top folders (formats/StoreRoles.h), which
// the browser makes itself: no edit of the collection merges them away.
inline constexpr std::string_view kChromiumRolePrefix = "roots/";
inline constexpr std::string_view kFirefoxRolePrefix = "firefox/";
inline bool IsStoreRoleKey(std::string_view key) {
    return key.substr(0, kChromiumRolePrefix.size()) == kChromiumRolePrefix ||
           key.substr(0, kFirefoxRolePrefix.size()) == kFirefoxRolePrefix;
}

// What a folder keeps when a later folder of its name is merged into it, so that nothing either
// held is lost: the later one's attributes that `kept` lacks (a toolbar mark among them), its
// description (after `kept`'s, unless `kept`'s already holds it), its store key when `kept` has
// none. The separators at `kept`'s end, and those before the later folder, go before the first
// entry moved in (`firstMovedIn`, null when the later folder is empty: then to `kept`'s end), and
// `kept` ends with the later one's.
void MergeFolderExtras(EntryExtras& kept, const EntryExtras& later, EntryExtras* firstMovedIn);

// Said once by a save for the entries whose extras the format saved to cannot hold.
std::string DroppedExtrasMessage(int entries);

// The packed text of the extras; empty for none.
std::string PackExtras(const EntryExtras& extras);
// The extras a packed text holds; a text that is not one holds none.
EntryExtras UnpackExtras(std::string_view packed);

// The description as a reader sees it: references decoded, tags left as they are, the lines
// trimmed and blank ones dropped.
std::string DescriptionText(std::string_view description);
// The decoded value of the attribute `name` among the attributes (the first of that name, in
// any case), blanks around it trimmed; empty when there is none.
std::string AttributeText(std::string_view attributes, std::string_view name);
// The decoded value of the TAGS attribute among the attributes; empty when there is none.
std::string TagsText(std::string_view attributes);
// A folder's last modification, which its tag's LAST_MODIFIED holds (the table's column is a
// bookmark's), from its packed extras; empty when there is none.
std::string FolderModifiedText(std::string_view packed);
// The description and the tags of packed extras, on lines of their own ("タグ: a,b"): what
// the list shows as the name's tool tip and what a search of notes looks in.
std::string NotesText(std::string_view packed);

}  // namespace pernard
