#include "formats/firefox/FirefoxPlaces.h"

#include <algorithm>

#include "formats/BrowserRead.h"

namespace pernard {

namespace {

// Orders pairs by their first member alone, so that a stable sort keeps equal keys in the order
// they came.
constexpr auto kByKey = [](const auto& a, const auto& b) { return a.first < b.first; };

// The description Firefox's bookmark properties kept as an annotation of the item.
constexpr const char* kDescriptionAnnotation = "bookmarkProperties/description";
// The toolbar folder of databases from before the toolbar was a root.
constexpr const char* kToolbarAnnotation = "bookmarks/toolbarFolder";

// The query of every item, its place's address and last visit, in the columns Places reads.
std::string ItemsQuery(const PlacesLayout& layout) {
    const char* lastVisit =
        layout.lastVisitColumn ? "p.last_visit_date"
        : layout.visits
            ? "(SELECT MAX(v.visit_date) FROM moz_historyvisits v WHERE v.place_id = p.id)"
            : "NULL";
    return std::string("SELECT b.id, b.type, b.parent, b.title, ") +
           (layout.guids ? "b.guid" : "NULL") + ", " +
           (layout.dates ? "b.dateAdded, b.lastModified" : "NULL, NULL") + ", b.fk, p.url, " +
           lastVisit + (layout.keywordsById ? ", b.keyword_id" : "") +
           " FROM moz_bookmarks b "
           "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id";
}

}  // namespace

bool ReadPlacesLayout(sqlite3* db, PlacesLayout& layout, std::string& why) {
    const SqliteStatement version = Prepare(db, "PRAGMA user_version");
    if (!version || sqlite3_step(version.get()) != SQLITE_ROW) {
        why = sqlite3_errmsg(db);
        return false;
    }
    layout.version = sqlite3_column_int(version.get(), 0);
    const auto bookmarks = ColumnsOf(db, "main", "moz_bookmarks");
    const auto places = ColumnsOf(db, "main", "moz_places");
    const auto keywords = ColumnsOf(db, "main", "moz_keywords");
    layout.bookmarks = !bookmarks.empty();
    // What every layout Firefox wrote has; the rest is looked for one by one.
    for (const char* column : {"id", "type", "fk", "parent", "position", "title"}) {
        if (layout.missing.empty() && !HasColumns(bookmarks, {column}))
            layout.missing = std::string("moz_bookmarks.") + column;
    }
    for (const char* column : {"id", "url"}) {
        if (layout.missing.empty() && !HasColumns(places, {column}))
            layout.missing = std::string("moz_places.") + column;
    }
    layout.guids = HasColumns(bookmarks, {"guid"});
    layout.rootsTable =
        HasColumns(ColumnsOf(db, "main", "moz_bookmarks_roots"), {"root_name", "folder_id"});
    if (layout.missing.empty() && !layout.guids && !layout.rootsTable)
        layout.missing = "moz_bookmarks.guid / moz_bookmarks_roots";
    layout.dates = HasColumns(bookmarks, {"dateAdded", "lastModified"});
    layout.lastVisitColumn = HasColumns(places, {"last_visit_date"});
    layout.visits =
        HasColumns(ColumnsOf(db, "main", "moz_historyvisits"), {"place_id", "visit_date"});
    layout.keywordsByPlace = HasColumns(keywords, {"place_id", "keyword"});
    layout.keywordsById = !layout.keywordsByPlace && HasColumns(keywords, {"id", "keyword"}) &&
                          HasColumns(bookmarks, {"keyword_id"});
    layout.descriptions = HasColumns(ColumnsOf(db, "main", "moz_items_annos"),
                                     {"item_id", "anno_attribute_id", "content"}) &&
                          HasColumns(ColumnsOf(db, "main", "moz_anno_attributes"), {"id", "name"});
    if (HasColumns(ColumnsOf(db, "main", "moz_favicons"), {"id", "url", "data", "mime_type"}) &&
        HasColumns(places, {"favicon_id"})) {
        layout.icons = IconStore::PlacesTable;
    }
    return true;
}

bool Places::Load(sqlite3* db, const PlacesLayout& layout, std::string& errorText) {
    layout_ = layout;
    if (!LoadItems(db, errorText)) return false;
    LoadKeywords(db);
    LoadDescriptions(db);
    LoadRoots(db);
    icons_ = ReadPageIcons(db, layout_.icons, decoder_);
    return true;
}

std::uint32_t Places::AppendText(sqlite3_stmt* statement, int column) {
    const unsigned char* bytes = sqlite3_column_text(statement, column);
    if (bytes == nullptr) return 0;
    decoded_.clear();
    decoder_.Decode(
        std::string_view(reinterpret_cast<const char*>(bytes),
                         static_cast<std::size_t>(sqlite3_column_bytes(statement, column))),
        decoded_);
    texts_.insert(texts_.end(), decoded_.begin(), decoded_.end());
    return static_cast<std::uint32_t>(decoded_.size());
}

bool Places::LoadItems(sqlite3* db, std::string& errorText) {
    const SqliteStatement statement = Prepare(db, ItemsQuery(layout_));
    if (!statement) {
        errorText = sqlite3_errmsg(db);
        return false;
    }
    sqlite3_stmt* raw = statement.get();
    if (const SqliteStatement count = Prepare(db, "SELECT COUNT(*) FROM moz_bookmarks");
        count && sqlite3_step(count.get()) == SQLITE_ROW) {
        const auto rows = static_cast<std::size_t>(sqlite3_column_int64(count.get(), 0));
        items_.reserve(rows);
        // About a title, a guid and an address a row, so that the block seldom grows.
        texts_.reserve(rows * 80);
    }
    int step;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
        PlacesItem& item = items_.emplace_back();
        item.id = sqlite3_column_int64(raw, 0);
        item.type = sqlite3_column_int(raw, 1);
        item.parent = sqlite3_column_int64(raw, 2);
        item.texts = texts_.size();
        item.titleSize = AppendText(raw, 3);
        item.guidSize = AppendText(raw, 4);
        // A NULL date reads as 0, which is no date either.
        item.added = sqlite3_column_int64(raw, 5);
        item.modified = sqlite3_column_int64(raw, 6);
        item.place = sqlite3_column_int64(raw, 7);
        item.urlSize = AppendText(raw, 8);
        item.visited = sqlite3_column_int64(raw, 9);
        if (layout_.keywordsById) item.keywordId = sqlite3_column_int64(raw, 10);
    }
    if (step != SQLITE_DONE) {
        errorText = sqlite3_errmsg(db);
        return false;
    }
    // The items stay where they are from here on: the index and the children point into them.
    // Ids are unique in the table; were one given twice, the item read last is the one found.
    byId_.reserve(items_.size());
    for (PlacesItem& item : items_) {
        byId_.emplace_back(item.id, &item);
        if (item.type == kPlacesFolder) folders_.push_back(&item);
    }
    std::stable_sort(byId_.begin(), byId_.end(), kByKey);
    // Each item's children in one list, in the order read (by parent and position): counted
    // first, then placed.
    std::vector<PlacesItem*> holders(items_.size());
    for (std::size_t k = 0; k < items_.size(); ++k) {
        PlacesItem* holder = MutableById(items_[k].parent);
        if (holder == &items_[k]) continue;
        holders[k] = holder;
        if (holder != nullptr) ++holder->childCount;
    }
    std::uint32_t next = 0;
    for (PlacesItem& item : items_) {
        item.firstChild = next;
        next += item.childCount;
        item.childCount = 0;
    }
    children_.resize(next);
    for (std::size_t k = 0; k < items_.size(); ++k) {
        if (PlacesItem* holder = holders[k])
            children_[holder->firstChild + holder->childCount++] = &items_[k];
    }
    return true;
}

// Keywords live in moz_keywords by place since Firefox 39, before that by id from the bookmark;
// a database without that table simply has none.
void Places::LoadKeywords(sqlite3* db) {
    if (!layout_.keywordsByPlace && !layout_.keywordsById) return;
    const SqliteStatement statement = Prepare(
        db, layout_.keywordsByPlace ? "SELECT place_id, keyword FROM moz_keywords ORDER BY id"
                                    : "SELECT id, keyword FROM moz_keywords");
    if (!statement) return;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        Keyword& keyword = keywords_.emplace_back();
        keyword.key = sqlite3_column_int64(statement.get(), 0);
        keyword.at = texts_.size();
        keyword.size = AppendText(statement.get(), 1);
    }
    std::stable_sort(keywords_.begin(), keywords_.end(),
                     [](const Keyword& a, const Keyword& b) { return a.key < b.key; });
}

void Places::LoadDescriptions(sqlite3* db) {
    if (!layout_.descriptions) return;
    const SqliteStatement statement =
        Prepare(db, std::string("SELECT a.item_id, a.content FROM moz_items_annos a "
                                "JOIN moz_anno_attributes n ON n.id = a.anno_attribute_id "
                                "WHERE n.name = '") +
                        kDescriptionAnnotation + "'");
    if (!statement) return;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        if (PlacesItem* item = MutableById(sqlite3_column_int64(statement.get(), 0))) {
            item->description = texts_.size();
            item->descriptionSize = AppendText(statement.get(), 1);
        }
    }
}

void Places::LoadRoots(sqlite3* db) {
    if (!layout_.rootsTable) return;
    const SqliteStatement statement =
        Prepare(db, "SELECT root_name, folder_id FROM moz_bookmarks_roots");
    if (!statement) return;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(statement.get(), 0);
        if (name != nullptr) {
            roots_.emplace(reinterpret_cast<const char*>(name),
                           sqlite3_column_int64(statement.get(), 1));
        }
    }
    // Early Firefox 3 databases have no toolbar root: the toolbar is a folder (in the menu)
    // marked by an annotation. It is read as the toolbar root, not where it lies.
    if (roots_.count("toolbar") > 0 || !layout_.descriptions) return;
    const SqliteStatement marked =
        Prepare(db, std::string("SELECT a.item_id FROM moz_items_annos a "
                                "JOIN moz_anno_attributes n ON n.id = a.anno_attribute_id "
                                "WHERE n.name = '") +
                        kToolbarAnnotation + "' ORDER BY a.item_id");
    if (!marked) return;
    while (sqlite3_step(marked.get()) == SQLITE_ROW) {
        const PlacesItem* folder = ById(sqlite3_column_int64(marked.get(), 0));
        if (folder == nullptr || folder->type != kPlacesFolder) continue;
        const auto isFolder = [folder](const auto& root) { return root.second == folder->id; };
        if (std::any_of(roots_.begin(), roots_.end(), isFolder)) continue;
        roots_.emplace("toolbar", folder->id);
        movedToolbar_ = folder->id;
        return;
    }
}

const PlacesItem* Places::ByGuid(const char* guid) const {
    // Every root is a folder.
    for (const PlacesItem* folder : folders_) {
        if (GuidOf(*folder) == guid) return folder;
    }
    return nullptr;
}

PlacesItem* Places::MutableById(long long id) const {
    // The last of equal ids (upper bound, one back).
    auto found =
        std::upper_bound(byId_.begin(), byId_.end(), id,
                         [](long long wanted, const auto& entry) { return wanted < entry.first; });
    if (found == byId_.begin() || (--found)->first != id) return nullptr;
    return found->second;
}

const PlacesItem* Places::ById(long long id) const { return MutableById(id); }

const PlacesItem* Places::Root(const char* guid, const char* rootName) const {
    if (layout_.guids) {
        if (const PlacesItem* root = ByGuid(guid)) return root;
    }
    const auto named = roots_.find(rootName);
    return named == roots_.end() ? nullptr : ById(named->second);
}

std::string Places::TagsOf(long long place) const {
    auto found =
        std::lower_bound(tags_.begin(), tags_.end(), std::make_pair(place, nullptr), kByKey);
    std::string tags;
    for (; found != tags_.end() && found->first == place; ++found) {
        if (!tags.empty()) tags += ',';
        tags += TitleOf(*found->second);
    }
    return tags;
}

std::string_view Places::KeywordOf(const PlacesItem& item) const {
    const long long key = layout_.keywordsByPlace ? item.place : item.keywordId;
    const auto found = std::lower_bound(
        keywords_.begin(), keywords_.end(), key,
        [](const Keyword& keyword, long long wanted) { return keyword.key < wanted; });
    return found == keywords_.end() || found->key != key ? std::string_view()
                                                         : Text(found->at, found->size);
}

const PageIcon* Places::IconOf(long long place) const {
    const auto found = icons_.find(place);
    return found == icons_.end() ? nullptr : &found->second;
}

void Places::CollectTags(const PlacesItem* tagsRoot) {
    if (tagsRoot == nullptr) return;
    for (const PlacesItem* tag : ChildrenOf(*tagsRoot)) {
        if (tag->type != kPlacesFolder) continue;
        for (const PlacesItem* tagged : ChildrenOf(*tag)) {
            if (tagged->type == kPlacesBookmark) tags_.emplace_back(tagged->place, tag);
        }
    }
    std::stable_sort(tags_.begin(), tags_.end(), kByKey);
}

}  // namespace pernard
