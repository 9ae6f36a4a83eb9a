#include "formats/ChromiumReader.h"

#include <simdjson.h>

#include "formats/BrowserRead.h"
#include "formats/NetscapeReader.h"
#include "util/Numbers.h"

namespace pernard {

namespace {

using simdjson::dom::element;

// The roots a browser shows as bookmarks, in the order they are read: Chromium's own (named as
// the file names them), then Opera's under `custom_root` (named as Opera shows them; the
// file's names there are Opera's own labels). A trash — Vivaldi's `trash`, Opera's
// `custom_root.trash` — is never read: what it holds was deleted.
struct ShownRoot {
    const char* key;
    const char* inside;  // the object holding it below `roots`, or nullptr
    const char* name;    // the name shown, or nullptr for the file's
    bool toolbar;
};
const ShownRoot kShownRoots[] = {
    {"bookmark_bar", nullptr, nullptr, true},
    {"other", nullptr, nullptr, false},
    {"synced", nullptr, nullptr, false},
    {"userRoot", "custom_root", kOperaUserRootName, false},
    {"unsorted", "custom_root", kOperaUnsortedName, false},
    {"speedDial", "custom_root", kOperaSpeedDialName, false},
};

std::string TextOf(const element& node, const char* key) {
    std::string_view text;
    if (node[key].get(text) != simdjson::SUCCESS) return {};
    return std::string(text);
}

std::string DateOf(const element& node, const char* key) {
    return MicrosecondsToSeconds(TextOf(node, key), kSecondsFrom1601To1970);
}

// The later of two dates in seconds; either may be empty.
std::string LaterOf(const std::string& a, const std::string& b) {
    long long first = 0;
    long long second = 0;
    if (!ParseWholeNumber(a, first)) return b;
    if (!ParseWholeNumber(b, second)) return a;
    return second > first ? b : a;
}

// What a node's `meta_info` holds that the table or the extras have a place for (Vivaldi
// writes the first two; Chromium wrote the last visit there before `date_last_used`).
struct MetaInfo {
    std::string description;  // "Description"
    std::string nickname;     // "Nickname": typed in the address bar, it opens the bookmark
    std::string lastVisit;    // "last_visited_desktop", in seconds
};

MetaInfo MetaInfoOf(const element& node) {
    MetaInfo meta;
    element info;
    if (node["meta_info"].get(info) != simdjson::SUCCESS || !info.is_object()) return meta;
    meta.description = TextOf(info, "Description");
    meta.nickname = TextOf(info, "Nickname");
    meta.lastVisit = DateOf(info, "last_visited_desktop");
    return meta;
}

class ChromiumWalk {
public:
    ChromiumWalk(BmLogic& model, EntryBuilder& builder) : model_(model), builder_(builder) {}

    // Adds a top folder under `name` (the file's when null), and what it holds; false when the
    // table is full.
    bool AddTop(const element& node, const char* name, bool toolbar) {
        if (TextOf(node, "type") != "folder") return true;
        return AddFolder(node, name != nullptr ? name : TextOf(node, "name"), toolbar);
    }

    bool Partial() const { return partial_; }

private:
    // Adds one node and what it holds; false when the table is full.
    bool AddNode(const element& node) {
        const std::string type = TextOf(node, "type");
        if (type == "url") return AddUrl(node);
        if (type != "folder") return true;  // a kind the program does not know
        return AddFolder(node, TextOf(node, "name"), false);
    }

    bool AddFolder(const element& node, const std::string& name, bool toolbar) {
        EntryExtras extras;
        if (toolbar) extras.attributes += " PERSONAL_TOOLBAR_FOLDER=\"true\"";
        const std::string modified = DateOf(node, "date_modified");
        if (!modified.empty()) extras.attributes += StoreAttribute("LAST_MODIFIED", modified);
        SetStoreDescription(MetaInfoOf(node).description, extras);
        const EntryBuilder::Outcome outcome = OpenStoreFolder(
            model_, builder_, name, DateOf(node, "date_added"), std::move(extras), partial_);
        if (outcome != EntryBuilder::Outcome::Added) return outcome != EntryBuilder::Outcome::Full;
        simdjson::dom::array children;
        if (node["children"].get(children) == simdjson::SUCCESS) {
            for (const element child : children) {
                if (!AddNode(child)) return false;
            }
        }
        builder_.CloseFolder();
        return true;
    }

    bool AddUrl(const element& node) {
        EntryTexts fields;
        fields.name = TextOf(node, "name");
        fields.url = TextOf(node, "url");
        if (LeaveOutFolderMarkerUrl(model_, fields, partial_)) return true;
        const MetaInfo meta = MetaInfoOf(node);
        fields.added = DateOf(node, "date_added");
        fields.visited = LaterOf(DateOf(node, "date_last_used"), meta.lastVisit);
        EntryExtras extras;
        if (!meta.nickname.empty())
            extras.attributes += StoreAttribute("SHORTCUTURL", meta.nickname);
        SetStoreDescription(meta.description, extras);
        return builder_.AddBookmark(fields, std::move(extras)) == EntryBuilder::Outcome::Added;
    }

    BmLogic& model_;
    EntryBuilder& builder_;
    bool partial_ = false;
};

}  // namespace

bool ReadChromiumBookmarks(BmLogic& model, bool complete, const std::string& path, int& urlCount,
                           std::string& errorText) {
    simdjson::padded_string json;
    if (simdjson::padded_string::load(path).get(json) != simdjson::SUCCESS) {
        errorText = "Not Found Bookmark : " + path;
        return false;
    }
    // A byte order mark before the JSON is no part of it. What follows the mark keeps the
    // padding at the end of the loaded text.
    const std::size_t bom = std::string_view(json).substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    simdjson::dom::parser parser;
    element document;
    element roots;
    if (parser.parse(json.data() + bom, json.size() - bom, false).get(document) !=
            simdjson::SUCCESS ||
        document["roots"].get(roots) != simdjson::SUCCESS || !roots.is_object()) {
        errorText = "Chromium のブックマークファイルとして読めません : " + path;
        return false;
    }
    return RunBrowserRead(
        model, complete,
        [&](EntryBuilder& builder, std::string& error) {
            if (builder.AddRoot(path, kSourceChromium, path) != EntryBuilder::Outcome::Added) {
                error = kCapacityMessage;
                return false;
            }
            model.SetRootCharset(builder.Root(), "UTF-8");
            ChromiumWalk walk(model, builder);
            for (const ShownRoot& shown : kShownRoots) {
                element holder = roots;
                if (shown.inside != nullptr && roots[shown.inside].get(holder) != simdjson::SUCCESS)
                    continue;
                element node;
                if (holder[shown.key].get(node) != simdjson::SUCCESS || !node.is_object()) continue;
                if (!walk.AddTop(node, shown.name, shown.toolbar)) {
                    error = kCapacityMessage;
                    return false;
                }
            }
            if (walk.Partial()) model.MarkRootPartial(builder.Root());
            return true;
        },
        urlCount, errorText);
}

}  // namespace pernard
