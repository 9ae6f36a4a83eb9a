#pragma once
// What a copy of Firefox's `places.sqlite` says of the bookmarks, in any layout Firefox has
// written since 3.0: the items of moz_bookmarks with the addresses and last visits of their
// places, the roots, tags, keywords, descriptions and the pages' icons. The layout is found from
// the tables and columns the database has; `PRAGMA user_version` only names it.

#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/firefox/FirefoxIcons.h"
#include "formats/firefox/Sqlite.h"
#include "util/CodePage.h"
#include "util/LargeBlocks.h"

namespace pernard {

// What the database has of what the reader looks for.
struct PlacesLayout {
    int version = 0;               // PRAGMA user_version
    bool bookmarks = false;        // moz_bookmarks: a places database at all
    std::string missing;           // what it lacks that every readable layout has
    bool guids = false;            // moz_bookmarks.guid (the roots' fixed guids came later)
    bool rootsTable = false;       // moz_bookmarks_roots (root_name, folder_id)
    bool dates = false;            // moz_bookmarks.dateAdded and lastModified
    bool lastVisitColumn = false;  // moz_places.last_visit_date
    bool visits = false;           // else moz_historyvisits (place_id, visit_date)
    bool keywordsByPlace = false;  // moz_keywords (place_id, keyword)
    bool keywordsById = false;     // else moz_bookmarks.keyword_id -> moz_keywords (id, keyword)
    bool descriptions = false;     // moz_items_annos and moz_anno_attributes
    IconStore icons = IconStore::None;
};

// The layout of `db`; false with `why` when the database cannot be queried at all.
bool ReadPlacesLayout(sqlite3* db, PlacesLayout& layout, std::string& why);

// Memory for the reader's large blocks, taken as the table takes its own (util/LargeBlocks.h):
// offered for huge pages, so that filling them costs few page faults.
template <typename T>
struct PlacesBlocks {
    using value_type = T;
    PlacesBlocks() = default;
    template <typename U>
    PlacesBlocks(const PlacesBlocks<U>&) {}
    T* allocate(std::size_t count) { return static_cast<T*>(AllocateBlock(count * sizeof(T))); }
    void deallocate(T* block, std::size_t) noexcept { FreeBlock(block); }
    template <typename U>
    bool operator==(const PlacesBlocks<U>&) const {
        return true;
    }
};

// An item of moz_bookmarks. Its texts lie in one block of its Places (Places::TitleOf and the
// others), and its children in one list there (Places::ChildrenOf): reading a row allocates
// nothing of its own.
struct PlacesItem {
    long long id = 0;
    long long parent = 0;
    long long place = 0;
    long long keywordId = 0;
    // Microseconds since 1970, as the database holds them; 0 for none.
    long long added = 0, modified = 0, visited = 0;
    // Where its title, guid and address lie in the texts, one after another.
    std::size_t texts = 0;
    std::uint32_t titleSize = 0, guidSize = 0, urlSize = 0;
    int type = 0;
    std::size_t description = 0;  // where its description lies in the texts
    std::uint32_t descriptionSize = 0;
    std::uint32_t firstChild = 0;  // in the list of children, in position order
    std::uint32_t childCount = 0;
};

inline constexpr int kPlacesBookmark = 1;
inline constexpr int kPlacesFolder = 2;
inline constexpr int kPlacesSeparator = 3;

// Everything the database says of the bookmarks, kept by id.
class Places {
public:
    // Reads the items, keywords, descriptions, roots and icons of a database of `layout`.
    bool Load(sqlite3* db, const PlacesLayout& layout, std::string& errorText);

    // How many bytes of the texts read were no UTF-8.
    std::size_t KeptBytes() const { return decoder_.Replacements(); }

    std::string_view TitleOf(const PlacesItem& item) const {
        return Text(item.texts, item.titleSize);
    }
    std::string_view GuidOf(const PlacesItem& item) const {
        return Text(item.texts + item.titleSize, item.guidSize);
    }
    std::string_view UrlOf(const PlacesItem& item) const {
        return Text(item.texts + item.titleSize + item.guidSize, item.urlSize);
    }
    std::string_view DescriptionOf(const PlacesItem& item) const {
        return Text(item.description, item.descriptionSize);
    }
    std::span<const PlacesItem* const> ChildrenOf(const PlacesItem& item) const {
        return std::span<const PlacesItem* const>(children_).subspan(item.firstChild,
                                                                     item.childCount);
    }

    // The root Firefox knows by `guid`, or in older layouts by `rootName` in moz_bookmarks_roots
    // (the toolbar of the earliest: the folder its annotation marks).
    const PlacesItem* Root(const char* guid, const char* rootName) const;
    // A folder read as a root though it lies in another folder, where it is passed over.
    bool MovedToRoot(const PlacesItem& item) const { return item.id == movedToolbar_; }

    // The tags of a place (the names of the tag folders holding a bookmark of it), joined by ",".
    std::string TagsOf(long long place) const;
    // The keyword of a bookmark: its place's, or in older layouts its own.
    std::string_view KeywordOf(const PlacesItem& item) const;
    const PageIcon* IconOf(long long place) const;

    void CollectTags(const PlacesItem* tagsRoot);

private:
    const PlacesItem* ByGuid(const char* guid) const;
    const PlacesItem* ById(long long id) const;
    PlacesItem* MutableById(long long id) const;
    bool LoadItems(sqlite3* db, std::string& errorText);
    void LoadKeywords(sqlite3* db);
    void LoadDescriptions(sqlite3* db);
    void LoadRoots(sqlite3* db);

    // Appends a text column of the current row to the texts, decoded; its size.
    std::uint32_t AppendText(sqlite3_stmt* statement, int column);
    std::string_view Text(std::size_t at, std::size_t size) const {
        return std::string_view(texts_.data() + at, size);
    }

    PlacesLayout layout_;
    TextDecoder decoder_{kUtf8};
    std::string decoded_;  // one text decoded, before it joins the texts
    // Every text read, one after another.
    std::vector<char, PlacesBlocks<char>> texts_;
    // The items in the order read, in one block, looked up by id through a sorted index; the
    // folders apart, for the roots found by guid; the children of each item in one list.
    std::vector<PlacesItem, PlacesBlocks<PlacesItem>> items_;
    std::vector<std::pair<long long, PlacesItem*>> byId_;  // sorted by id
    std::vector<const PlacesItem*> folders_;
    std::vector<const PlacesItem*> children_;
    // The tag folders holding a bookmark of each place, by place, in the order met.
    std::vector<std::pair<long long, const PlacesItem*>> tags_;
    // The keywords by place, or by keyword id: where each lies in the texts and its size; the
    // first of each key in the order read counts.
    struct Keyword {
        long long key;
        std::size_t at;
        std::uint32_t size;
    };
    std::vector<Keyword> keywords_;
    std::unordered_map<std::string, long long> roots_;  // moz_bookmarks_roots
    long long movedToolbar_ = -1;  // the toolbar folder marked by an annotation, when read so
    PageIcons icons_;
};

}  // namespace pernard
