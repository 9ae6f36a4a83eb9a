#include "formats/firefox/FirefoxReader.h"

#include <sqlite3.h>

#include <charconv>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include "formats/BrowserRead.h"
#include "formats/BrowserStores.h"
#include "formats/firefox/FirefoxIcons.h"
#include "formats/firefox/FirefoxPlaces.h"
#include "formats/ReadMessages.h"
#include "formats/StoreRoles.h"
#include "util/CodePage.h"
#include "util/Paths.h"
#include "util/PrivateDirectory.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

// Copies the database at `path` and the logs beside it (the write-ahead log, or the rollback
// journal of a commit under way, which SQLite then rolls back in the copy) into `directory`
// under `name`; the copy's path, or an empty one when the database could not be copied.
fs::path CopyDatabase(const std::string& path, const fs::path& directory, const std::string& name) {
    std::error_code error;
    const fs::path copy = directory / name;
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing, error);
    if (error) return {};
    MakeOwnerOnly(copy);
    for (const char* suffix : {"-wal", "-journal"}) {
        const fs::path log = path + suffix;
        if (!fs::exists(log, error)) continue;
        const fs::path logCopy = directory / (name + suffix);
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

class PlacesWalk {
public:
    PlacesWalk(EntryBuilder& builder, const Places& places) : builder_(builder), places_(places) {}

    // Adds `folder`, the top folder of root `guid`, under the shown name, marked with `marker`
    // (the attribute by which a browser importing a bookmark file knows the folder, or nothing),
    // and what it holds; false when the table is full.
    bool AddTop(const PlacesItem* folder, const char* guid, const char* name, const char* marker) {
        if (folder == nullptr) return true;
        EntryExtras extras;
        extras.storeKey = FirefoxRoleKey(guid);
        if (marker != nullptr) extras.attributes = std::string(" ") + marker + "=\"true\"";
        return AddFolder(*folder, name, std::move(extras));
    }
    bool Partial() const { return partial_; }

private:
    bool AddFolder(const PlacesItem& folder, std::string_view name, EntryExtras extras) {
        const std::string modified = Date(folder.modified);
        if (!modified.empty()) extras.attributes += StoreAttribute("LAST_MODIFIED", modified);
        SetStoreDescription(places_.DescriptionOf(folder), extras);
        const EntryBuilder::Outcome outcome = OpenStoreFolder(
            builder_, std::string(name), Date(folder.added), std::move(extras), partial_);
        if (outcome != EntryBuilder::Outcome::Added) return outcome != EntryBuilder::Outcome::Full;
        for (const PlacesItem* child : places_.ChildrenOf(folder)) {
            if (!AddItem(*child)) return false;
        }
        builder_.CloseFolder();
        return true;
    }

    bool AddItem(const PlacesItem& item) {
        switch (item.type) {
            case kPlacesFolder:
                if (places_.MovedToRoot(item)) return true;
                return AddFolder(item, places_.TitleOf(item), EntryExtras());
            case kPlacesSeparator:
                builder_.AddSeparator();
                return true;
            case kPlacesBookmark:
                return AddBookmark(item);
            default:
                return true;
        }
    }

    bool AddBookmark(const PlacesItem& item) {
        // One set of fields for every bookmark: each text reuses the room of the last.
        fields_.name = places_.TitleOf(item);
        fields_.url = places_.UrlOf(item);
        fields_.added = Date(item.added);
        fields_.visited = Date(item.visited);
        fields_.modified = Date(item.modified);
        if (LeaveOutFolderMarkerUrl(builder_, fields_, partial_)) return true;
        // The attributes in the order Firefox's export writes them.
        EntryExtras extras;
        if (const PageIcon* icon = places_.IconOf(item.place))
            extras.attributes += IconAttributes(*icon);
        const std::string_view keyword = places_.KeywordOf(item);
        if (!keyword.empty()) extras.attributes += StoreAttribute("SHORTCUTURL", keyword);
        const std::string tags = places_.TagsOf(item.place);
        if (!tags.empty()) extras.attributes += StoreAttribute("TAGS", tags);
        SetStoreDescription(places_.DescriptionOf(item), extras);
        return builder_.AddBookmark(fields_, std::move(extras)) == EntryBuilder::Outcome::Added;
    }

    // A date of the database (microseconds since 1970) in the table's seconds; empty for none.
    static std::string Date(long long microseconds) {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, microseconds);
        return MicrosecondsToSeconds(std::string_view(digits, written.ptr - digits), 0);
    }

    EntryBuilder& builder_;
    const Places& places_;
    EntryTexts fields_;
    bool partial_ = false;
};

bool LoadPlaces(const std::string& path, Places& places, std::string& errorText) {
    // The copy holds the user's whole browsing history: it is made where only the user can
    // look, and goes with its directory whichever way the read ends.
    const PrivateDirectory snapshot("pernard-places-");
    const fs::path copy =
        snapshot.Path().empty() ? fs::path() : CopyDatabase(path, snapshot.Path(), "places.sqlite");
    if (copy.empty()) {
        errorText = "Not Found Bookmark : " + path;
        return false;
    }
    // The icons beside it, when there are any to copy: without them the bookmarks have none.
    std::error_code error;
    const fs::path favicons = fs::path(path).parent_path() / "favicons.sqlite";
    const fs::path faviconsCopy =
        fs::is_regular_file(favicons, error)
            ? CopyDatabase(favicons.string(), snapshot.Path(), "favicons.sqlite")
            : fs::path();
    if (CopyObserver()) CopyObserver()(snapshot.Path());
    // The copies are the reader's own: SQLite may bring their logs into them.
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(copy.string().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    SqliteDatabase db(raw);
    // Nothing else opens the copy: SQLite reads it through a mapping rather than a read call a
    // page (its default ceiling, about 2 GB, bounds what is mapped).
    sqlite3_exec(db.get(), "PRAGMA mmap_size = 2147418112", nullptr, nullptr, nullptr);
    PlacesLayout layout;
    std::string why;
    const auto unreadable = [&] {
        errorText = "Firefox のブックマーク（places.sqlite）として読めません : " + path +
                    (why.empty() ? "" : " (" + why + ")");
        return false;
    };
    if (opened != SQLITE_OK || !ReadPlacesLayout(db.get(), layout, why)) return unreadable();
    if (!layout.bookmarks) {
        why = "moz_bookmarks がありません";
        return unreadable();
    }
    if (!layout.missing.empty()) {
        errorText = "読めない形式の Firefox のブックマークです（places.sqlite のバージョン " +
                    std::to_string(layout.version) + "、" + layout.missing +
                    " がありません） : " + path;
        return false;
    }
    if (!faviconsCopy.empty() && AttachFavicons(db.get(), faviconsCopy.string()))
        layout.icons = IconStore::FaviconsFile;
    if (!places.Load(db.get(), layout, why)) return unreadable();
    return true;
}

}  // namespace

void SetPlacesCopyObserver(PlacesCopyObserver observer) { CopyObserver() = std::move(observer); }

namespace {

// The bookmarks of a copied and loaded `places.sqlite`, walked into one root holding the folders
// Firefox shows.
class FirefoxStoreParser : public SourceParser {
public:
    FirefoxStoreParser(std::string path, std::unique_ptr<Places> places)
        : path_(std::move(path)), places_(std::move(places)) {}

    const char* ProgressText() const override { return "Bookmark 読込中"; }

    bool Parse(EntryBuilder& builder, std::string& errorText) override {
        if (!AddStoreRoot(builder, path_, SourceKind::Firefox, kUtf8, errorText)) return false;
        Places& places = *places_;
        if (places.KeptBytes() > 0) builder.Warn(KeptBytesMessage(places.KeptBytes(), kUtf8));
        PlacesWalk walk(builder, places);
        const bool all = walk.AddTop(places.Root("menu________", "menu"), "menu________",
                                     kFirefoxMenuName, nullptr) &&
                         walk.AddTop(places.Root("toolbar_____", "toolbar"), "toolbar_____",
                                     kFirefoxToolbarName, "PERSONAL_TOOLBAR_FOLDER") &&
                         walk.AddTop(places.Root("unfiled_____", "unfiled"), "unfiled_____",
                                     kFirefoxUnfiledName, "UNFILED_BOOKMARKS_FOLDER") &&
                         walk.AddTop(places.Root("mobile______", "mobile"), "mobile______",
                                     kFirefoxMobileName, nullptr);
        if (!all) errorText = kCapacityMessage;
        if (walk.Partial()) builder.MarkPartial();
        return all;
    }

private:
    std::string path_;
    std::unique_ptr<Places> places_;
};

}  // namespace

OpenedSource OpenFirefoxStore(const std::string& path) {
    auto places = std::make_unique<Places>();
    std::string errorText;
    if (!LoadPlaces(path, *places, errorText)) return OpenedSource::Refused(std::move(errorText));
    places->CollectTags(places->Root("tags________", "tags"));
    return OpenedSource::Opened<FirefoxStoreParser>(path, std::move(places));
}

}  // namespace pernard
