#include "formats/FirefoxReader.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "formats/BrowserRead.h"
#include "formats/BrowserStores.h"
#include "formats/NetscapeReader.h"
#include "formats/StoreRoles.h"
#include "util/CodePage.h"
#include "util/Paths.h"
#include "util/PrivateDirectory.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

constexpr int kBookmark = 1;
constexpr int kFolder = 2;
constexpr int kSeparator = 3;

// Copies the database and the logs beside it (the write-ahead log, or the rollback journal of a
// commit under way, which SQLite then rolls back in the copy) into `directory`; the copy's
// path, or an empty one when the database could not be copied.
fs::path CopyDatabase(const std::string& path, const fs::path& directory) {
    std::error_code error;
    const fs::path copy = directory / "places.sqlite";
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing, error);
    if (error) return {};
    MakeOwnerOnly(copy);
    for (const char* suffix : {"-wal", "-journal"}) {
        const fs::path log = path + suffix;
        if (!fs::exists(log, error)) continue;
        const fs::path logCopy = directory / ("places.sqlite" + std::string(suffix));
        fs::copy_file(log, logCopy, fs::copy_options::overwrite_existing, error);
        if (error) return {};
        MakeOwnerOnly(logCopy);
    }
    return copy;
}

PlacesCopyObserver& CopyObserver() {
    static PlacesCopyObserver observer;
    return observer;
}

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, Closer>;
using Statement = std::unique_ptr<sqlite3_stmt, Closer>;

// A text column as UTF-8: the database holds what Firefox was given, and bytes that are no
// UTF-8 are kept as bytes that did not decode (util/CodePage.h), counted by `decoder`.
std::string ColumnText(sqlite3_stmt* statement, int column, TextDecoder& decoder) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    std::string out;
    if (text == nullptr) return out;
    decoder.Decode(
        std::string_view(reinterpret_cast<const char*>(text),
                         static_cast<std::size_t>(sqlite3_column_bytes(statement, column))),
        out);
    return out;
}

std::string DateColumn(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return {};
    return MicrosecondsToSeconds(std::to_string(sqlite3_column_int64(statement, column)), 0);
}

struct Item {
    long long id = 0;
    int type = 0;
    std::string title, url, guid, added, modified, visited;
    long long place = 0;
    std::vector<const Item*> children;  // in position order
};

// Everything the database says of the bookmarks, read in two queries and kept by id.
class Places {
public:
    bool Load(sqlite3* db, std::string& errorText) {
        Statement statement;
        sqlite3_stmt* raw = nullptr;
        const char* query =
            "SELECT b.id, b.type, b.parent, b.title, b.guid, b.dateAdded, b.lastModified, "
            "b.fk, p.url, p.last_visit_date FROM moz_bookmarks b "
            "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id";
        if (sqlite3_prepare_v2(db, query, -1, &raw, nullptr) != SQLITE_OK) {
            errorText = sqlite3_errmsg(db);
            return false;
        }
        statement.reset(raw);
        std::vector<std::pair<long long, Item*>> parents;
        int step;
        while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
            auto item = std::make_unique<Item>();
            item->id = sqlite3_column_int64(raw, 0);
            item->type = sqlite3_column_int(raw, 1);
            item->title = ColumnText(raw, 3, decoder_);
            item->guid = ColumnText(raw, 4, decoder_);
            item->added = DateColumn(raw, 5);
            item->modified = DateColumn(raw, 6);
            item->place = sqlite3_column_int64(raw, 7);
            item->url = ColumnText(raw, 8, decoder_);
            item->visited = DateColumn(raw, 9);
            parents.emplace_back(sqlite3_column_int64(raw, 2), item.get());
            byId_[item->id] = std::move(item);
        }
        if (step != SQLITE_DONE) {
            errorText = sqlite3_errmsg(db);
            return false;
        }
        // Rows come ordered by parent and position: children are appended in order.
        for (const auto& [parent, item] : parents) {
            const auto found = byId_.find(parent);
            if (found != byId_.end() && found->second.get() != item) {
                found->second->children.push_back(item);
            }
        }
        LoadKeywords(db);
        return true;
    }

    // How many bytes of the texts read were no UTF-8.
    std::size_t KeptBytes() const { return decoder_.Replacements(); }

    const Item* ByGuid(const char* guid) const {
        for (const auto& [id, item] : byId_) {
            if (item->guid == guid) return item.get();
        }
        return nullptr;
    }

    // The tags of a place (the names of the tag folders holding a bookmark of it), joined by ",".
    std::string TagsOf(long long place) const {
        const auto found = tags_.find(place);
        return found == tags_.end() ? std::string() : found->second;
    }
    std::string KeywordOf(long long place) const {
        const auto found = keywords_.find(place);
        return found == keywords_.end() ? std::string() : found->second;
    }

    void CollectTags(const Item* tagsRoot) {
        if (tagsRoot == nullptr) return;
        for (const Item* tag : tagsRoot->children) {
            if (tag->type != kFolder) continue;
            for (const Item* tagged : tag->children) {
                if (tagged->type != kBookmark) continue;
                std::string& tags = tags_[tagged->place];
                if (!tags.empty()) tags += ',';
                tags += tag->title;
            }
        }
    }

private:
    // Keywords live in moz_keywords by place since Firefox 39; a database without that table
    // simply has none.
    void LoadKeywords(sqlite3* db) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT place_id, keyword FROM moz_keywords ORDER BY id", -1,
                               &raw, nullptr) != SQLITE_OK) {
            return;
        }
        Statement statement(raw);
        while (sqlite3_step(raw) == SQLITE_ROW) {
            keywords_.emplace(sqlite3_column_int64(raw, 0), ColumnText(raw, 1, decoder_));
        }
    }

    TextDecoder decoder_{kUtf8};
    std::unordered_map<long long, std::unique_ptr<Item>> byId_;
    std::unordered_map<long long, std::string> tags_;
    std::unordered_map<long long, std::string> keywords_;
};

class PlacesWalk {
public:
    PlacesWalk(BmLogic& model, EntryBuilder& builder, const Places& places)
        : model_(model), builder_(builder), places_(places) {}

    // Adds the top folder of root `guid` under the shown name, marked with `marker` (the
    // attribute by which a browser importing a bookmark file knows the folder, or nothing),
    // and what it holds; false when the table is full.
    bool AddTop(const char* guid, const char* name, const char* marker) {
        const Item* folder = places_.ByGuid(guid);
        if (folder == nullptr) return true;
        EntryExtras extras;
        extras.storeKey = FirefoxRoleKey(guid);
        if (marker != nullptr) extras.attributes = std::string(" ") + marker + "=\"true\"";
        return AddFolder(*folder, name, std::move(extras));
    }
    bool Partial() const { return partial_; }

private:
    bool AddFolder(const Item& folder, const std::string& name, EntryExtras extras) {
        if (!folder.modified.empty())
            extras.attributes += StoreAttribute("LAST_MODIFIED", folder.modified);
        const EntryBuilder::Outcome outcome =
            OpenStoreFolder(model_, builder_, name, folder.added, std::move(extras), partial_);
        if (outcome != EntryBuilder::Outcome::Added) return outcome != EntryBuilder::Outcome::Full;
        for (const Item* child : folder.children) {
            if (!AddItem(*child)) return false;
        }
        builder_.CloseFolder();
        return true;
    }

    bool AddItem(const Item& item) {
        switch (item.type) {
            case kFolder:
                return AddFolder(item, item.title, EntryExtras());
            case kSeparator:
                builder_.AddSeparator();
                return true;
            case kBookmark:
                return AddBookmark(item);
            default:
                return true;
        }
    }

    bool AddBookmark(const Item& item) {
        const EntryTexts fields{item.title, item.url, item.added, item.visited, item.modified};
        if (LeaveOutFolderMarkerUrl(model_, fields, partial_)) return true;
        EntryExtras extras;
        const std::string keyword = places_.KeywordOf(item.place);
        if (!keyword.empty()) extras.attributes += StoreAttribute("SHORTCUTURL", keyword);
        const std::string tags = places_.TagsOf(item.place);
        if (!tags.empty()) extras.attributes += StoreAttribute("TAGS", tags);
        return builder_.AddBookmark(fields, std::move(extras)) == EntryBuilder::Outcome::Added;
    }

    BmLogic& model_;
    EntryBuilder& builder_;
    const Places& places_;
    bool partial_ = false;
};

bool LoadPlaces(const std::string& path, Places& places, std::string& errorText) {
    // The copy holds the user's whole browsing history: it is made where only the user can
    // look, and goes with its directory whichever way the read ends.
    const PrivateDirectory snapshot("pernard-places-");
    const fs::path copy =
        snapshot.Path().empty() ? fs::path() : CopyDatabase(path, snapshot.Path());
    if (copy.empty()) {
        errorText = "Not Found Bookmark : " + path;
        return false;
    }
    if (CopyObserver()) CopyObserver()(snapshot.Path());
    // The copy is the reader's own: SQLite may bring its log into it.
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(copy.string().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Database db(raw);
    std::string why;
    if (opened != SQLITE_OK || !places.Load(db.get(), why)) {
        errorText = "Firefox のブックマーク（places.sqlite）として読めません : " + path +
                    (why.empty() ? "" : " (" + why + ")");
        return false;
    }
    return true;
}

}  // namespace

void SetPlacesCopyObserver(PlacesCopyObserver observer) { CopyObserver() = std::move(observer); }

bool ReadFirefoxPlaces(BmLogic& model, bool complete, const std::string& path, int& urlCount,
                       std::string& errorText) {
    Places places;
    if (!LoadPlaces(path, places, errorText)) return false;
    places.CollectTags(places.ByGuid("tags________"));
    return RunBrowserRead(
        model, complete,
        [&](EntryBuilder& builder, std::string& error) {
            if (builder.AddRoot(StoreRootName(path), kSourceFirefox, path) !=
                EntryBuilder::Outcome::Added) {
                error = kCapacityMessage;
                return false;
            }
            model.SetRootCharset(builder.Root(), kUtf8);
            if (places.KeptBytes() > 0) {
                const std::string text = KeptBytesMessage(places.KeptBytes(), kUtf8);
                model.EchoMemo(text);
                model.GetPorts().diagnostics->ReportReadWarning(text);
            }
            PlacesWalk walk(model, builder, places);
            const bool all =
                walk.AddTop("menu________", kFirefoxMenuName, nullptr) &&
                walk.AddTop("toolbar_____", kFirefoxToolbarName, "PERSONAL_TOOLBAR_FOLDER") &&
                walk.AddTop("unfiled_____", kFirefoxUnfiledName, "UNFILED_BOOKMARKS_FOLDER") &&
                walk.AddTop("mobile______", kFirefoxMobileName, nullptr);
            if (!all) error = kCapacityMessage;
            if (walk.Partial()) model.MarkRootPartial(builder.Root());
            return all;
        },
        urlCount, errorText);
}

}  // namespace pernard
