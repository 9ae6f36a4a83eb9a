#include "formats/chromium/ChromiumReader.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include <simdjson.h>

#include "formats/BrowserRead.h"
#include "formats/BrowserStores.h"
#include "formats/chromium/ChromiumNodes.h"
#include "formats/chromium/ChromiumRoots.h"
#include "formats/chromium/JsonCheck.h"
#include "formats/chromium/JsonScan.h"
#include "formats/ReadMessages.h"
#include "formats/StoreRoles.h"
#include "util/FileStamp.h"
#include "util/OpenFile.h"

namespace pernard {

namespace {

constexpr const char* kUnknownKindMessage = "種類のわからないエントリーは読み込みませんでした : ";
constexpr const char* kRepeatedChildrenMessage =
    "中身の一覧が二つ以上あるフォルダーは、最後の一覧だけを読み込みました : ";
constexpr const char* kUnreadableChildrenMessage =
    "中身の一覧が読めないフォルダーは、空のフォルダーとして読み込みました : ";

// The store's text, without a byte order mark before it, in a buffer with room for the padding
// the parser reads past the end; false when the file cannot be read. The same text is what a
// write of the store starts from: the file is held once, not once for the parser and once more.
bool LoadStoreText(const std::string& path, std::string& text) {
    OpenFile file = OpenForReading(path);
    if (!file) return false;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    text.reserve((error ? 0 : static_cast<std::size_t>(size)) + simdjson::SIMDJSON_PADDING);
    char block[64 * 1024];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) text.append(block, got);
    if (std::ferror(file.get()) != 0) return false;
    if (std::string_view(text).substr(0, 3) == "\xEF\xBB\xBF") text.erase(0, 3);
    return true;
}

// What a node of the file says, as its members are found in the text, in whatever order: of
// every member given twice the last, as the browser reads it (a text none when that one is no
// text, the children none when that one is no list, the meta_info none when it is no object).
struct ChromiumNode {
    std::optional<JsonString> type, name, url, id, guid, added, modified, lastUsed;
    std::size_t children = 0;  // where its list starts; 0 for none
    bool childrenRepeated = false;
    bool childrenUnreadable = false;  // given, but no list
    std::optional<JsonString> description, nickname, lastVisit;  // in meta_info
    std::string key;  // ChromiumNodeKeys
};

class ChromiumWalk {
public:
    ChromiumWalk(EntryBuilder& builder, JsonScan& scan) : builder_(builder), scan_(scan) {}

    // Adds a top folder under `name` (the file's when null), known by `role`, and what it
    // holds; false when the table is full.
    bool AddTop(std::size_t at, const char* name, const std::string& role, bool toolbar) {
        const ChromiumNode node = Read(at);
        if (Text(node.type) != "folder") return true;
        return AddFolder(node, name != nullptr ? name : Text(node.name), role, toolbar);
    }

    bool Partial() const { return partial_; }

private:
    // Reads the node at `at` (an object), and gives it the next key.
    ChromiumNode Read(std::size_t at) {
        ChromiumNode node;
        bool hasChildren = false;
        std::size_t meta = 0;
        std::size_t member = scan_.Enter(at);
        std::string_view key;
        std::size_t value = 0;
        while (scan_.NextMember(member, key, value)) {
            if (key == "children") {
                node.childrenRepeated = hasChildren;
                node.children = scan_.KindAt(value) == '[' ? value : 0;
                node.childrenUnreadable = node.children == 0;
                hasChildren = true;
            } else if (key == "meta_info") {
                meta = scan_.KindAt(value) == '{' ? value : 0;
            } else if (std::optional<JsonString>* field = TextField(node, key)) {
                *field = TextAt(value);
            }
        }
        if (meta != 0) ReadMetaInfo(meta, node);
        node.key = keys_.Next(Text(node.id), Text(node.guid));
        return node;
    }

    // The nodes below a folder left out: they keep their places in the order of keys.
    void PassOver(const ChromiumNode& folder) {
        if (Text(folder.type) != "folder" || folder.children == 0) return;
        std::size_t item = scan_.Enter(folder.children);
        std::size_t child = 0;
        while (scan_.NextItem(item, child)) {
            if (scan_.KindAt(child) == '{') PassOver(Read(child));
        }
    }

    static std::optional<JsonString>* TextField(ChromiumNode& node, std::string_view key) {
        return key == "type"             ? &node.type
               : key == "name"           ? &node.name
               : key == "url"            ? &node.url
               : key == "id"             ? &node.id
               : key == "guid"           ? &node.guid
               : key == "date_added"     ? &node.added
               : key == "date_modified"  ? &node.modified
               : key == "date_last_used" ? &node.lastUsed
                                         : nullptr;
    }

    void ReadMetaInfo(std::size_t at, ChromiumNode& node) {
        std::size_t member = scan_.Enter(at);
        std::string_view key;
        std::size_t value = 0;
        while (scan_.NextMember(member, key, value)) {
            std::optional<JsonString>* field = key == "Description"            ? &node.description
                                               : key == "Nickname"             ? &node.nickname
                                               : key == "last_visited_desktop" ? &node.lastVisit
                                                                               : nullptr;
            if (field != nullptr) *field = TextAt(value);
        }
    }

    std::optional<JsonString> TextAt(std::size_t at) const {
        if (scan_.KindAt(at) != '"') return std::nullopt;
        return scan_.StringAt(at);
    }
    std::string Text(const std::optional<JsonString>& string) {
        return string ? scan_.Text(*string) : std::string();
    }
    std::string Date(const std::optional<JsonString>& string) {
        return MicrosecondsToSeconds(Text(string), kSecondsFrom1601To1970);
    }
    // Adds one node and what it holds; false when the table is full.
    bool AddNode(std::size_t at) {
        if (scan_.KindAt(at) != '{') return AddUnknown(ChromiumNode());
        const ChromiumNode node = Read(at);
        const std::string type = Text(node.type);
        if (type == "url") return AddUrl(node);
        if (type != "folder") return AddUnknown(node);
        return AddFolder(node, Text(node.name), node.key, false);
    }

    // A kind the program does not know is left out, and said: a write of the store would not
    // hold it.
    bool AddUnknown(const ChromiumNode& node) {
        builder_.Warn(kUnknownKindMessage + Text(node.name));
        partial_ = true;
        return true;
    }

    bool AddFolder(const ChromiumNode& node, const std::string& name, const std::string& key,
                   bool toolbar) {
        if (node.childrenRepeated) {
            // The browser shows the last list; a write of the store could not keep the others.
            builder_.Warn(kRepeatedChildrenMessage + name);
            partial_ = true;
        }
        if (node.childrenUnreadable) {
            // What it holds cannot be read; a write of the store would put an empty list there.
            builder_.Warn(kUnreadableChildrenMessage + name);
            partial_ = true;
        }
        EntryExtras extras;
        extras.storeKey = key;
        if (toolbar) extras.attributes += " PERSONAL_TOOLBAR_FOLDER=\"true\"";
        const std::string modified = Date(node.modified);
        if (!modified.empty()) extras.attributes += StoreAttribute("LAST_MODIFIED", modified);
        // A folder's nickname too, so that a write gives it back.
        const std::string nickname = Text(node.nickname);
        if (!nickname.empty()) extras.attributes += StoreAttribute("SHORTCUTURL", nickname);
        SetStoreDescription(Text(node.description), extras);
        const EntryBuilder::Outcome outcome =
            OpenStoreFolder(builder_, name, Date(node.added), std::move(extras), partial_);
        if (outcome != EntryBuilder::Outcome::Added) {
            PassOver(node);
            return outcome != EntryBuilder::Outcome::Full;
        }
        if (node.children != 0) {
            std::size_t item = scan_.Enter(node.children);
            std::size_t child = 0;
            while (scan_.NextItem(item, child)) {
                if (!AddNode(child)) return false;
            }
        }
        builder_.CloseFolder();
        return true;
    }

    bool AddUrl(const ChromiumNode& node) {
        EntryTexts fields;
        fields.name = Text(node.name);
        fields.url = Text(node.url);
        if (LeaveOutFolderMarkerUrl(builder_, fields, partial_)) return true;
        fields.added = Date(node.added);
        fields.visited = LaterOf(Date(node.lastUsed), Date(node.lastVisit));
        EntryExtras extras;
        extras.storeKey = node.key;
        const std::string nickname = Text(node.nickname);
        if (!nickname.empty()) extras.attributes += StoreAttribute("SHORTCUTURL", nickname);
        SetStoreDescription(Text(node.description), extras);
        return builder_.AddBookmark(fields, std::move(extras)) == EntryBuilder::Outcome::Added;
    }

    EntryBuilder& builder_;
    JsonScan& scan_;
    ChromiumNodeKeys keys_;
    bool partial_ = false;
};

// The member `key` of the object at `at`, the last of that name as the browser reads it; 0 for
// none.
std::size_t MemberOf(JsonScan& scan, std::size_t at, std::string_view key) {
    std::size_t member = scan.Enter(at);
    std::string_view name;
    std::size_t value = 0;
    std::size_t found = 0;
    while (scan.NextMember(member, name, value)) {
        if (name == key) found = value;
    }
    return found;
}

// Where each top folder the browser shows starts, in kShownRoots' order; 0 where the file has
// none (or what it has there is no object).
std::vector<std::size_t> ShownRootsOf(JsonScan& scan, std::size_t roots) {
    std::vector<std::size_t> found;
    std::size_t inside = 0;  // the object the folders of the last `inside` are in
    const char* insideName = nullptr;
    for (const ShownRoot& shown : kShownRoots) {
        std::size_t holder = roots;
        if (shown.inside != nullptr) {
            if (insideName == nullptr || std::string_view(insideName) != shown.inside) {
                insideName = shown.inside;
                inside = MemberOf(scan, roots, shown.inside);
            }
            holder = inside != 0 && scan.KindAt(inside) == '{' ? inside : 0;
        }
        const std::size_t node = holder != 0 ? MemberOf(scan, holder, shown.key) : 0;
        found.push_back(node != 0 && scan.KindAt(node) == '{' ? node : 0);
    }
    return found;
}

// A store's text, checked whole, and walked into one root holding a folder per top folder the
// browser shows.
class ChromiumStoreParser : public SourceParser {
public:
    ChromiumStoreParser(std::string path, FileStamp stamp, std::string text, std::size_t length)
        : path_(std::move(path)),
          stamp_(stamp),
          text_(std::move(text)),
          length_(length),
          scan_(std::string_view(text_.data(), length_)) {}

    // Whether the text is a whole JSON object holding a "roots" object; its offset then.
    std::size_t Roots() {
        const std::size_t roots = IsWholeJsonObject(text_.data(), length_, text_.size())
                                      ? MemberOf(scan_, scan_.Top(), "roots")
                                      : 0;
        roots_ = roots != 0 && scan_.KindAt(roots) == '{' ? roots : 0;
        return roots_;
    }

    const char* ProgressText() const override { return "Bookmark 読込中"; }

    bool Parse(EntryBuilder& builder, std::string& errorText) override {
        if (!AddStoreRoot(builder, path_, SourceKind::Chromium, "UTF-8", errorText)) return false;
        ChromiumWalk walk(builder, scan_);
        const std::vector<std::size_t> tops = ShownRootsOf(scan_, roots_);
        const bool edge = ChromiumBrowserOf(path_) == "edge";
        bool all = true;
        for (std::size_t k = 0; k < tops.size() && all; ++k) {
            const ShownRoot& shown = kShownRoots[k];
            const std::string role = ChromiumRoleKey(shown.Path());
            all = tops[k] == 0 ||
                  walk.AddTop(tops[k], ShownTopFolderName(role, edge), role, shown.toolbar);
        }
        // Writing the store back starts from the file as read, and only while the file is
        // still as read.
        text_.resize(length_);
        RootInfo* info = builder.SourceInfo();
        info->store = std::make_shared<StoreOriginal>(StoreOriginal{std::move(text_), false});
        info->sourceStamp = stamp_;
        if (!all) {
            errorText = kCapacityMessage;
            return false;
        }
        if (walk.Partial()) builder.MarkPartial();
        return true;
    }

private:
    std::string path_;
    FileStamp stamp_;
    std::string text_;
    std::size_t length_;
    JsonScan scan_;
    std::size_t roots_ = 0;
};

}  // namespace

OpenedSource OpenChromiumStore(const std::string& path) {
    const FileStamp stamp = StampOf(path);
    std::string text;
    if (!LoadStoreText(path, text)) return OpenedSource::Refused("Not Found Bookmark : " + path);
    // The parser reads up to its padding past the text; zeros there, within the buffer, until
    // the read is done. The text is checked whole first, and then read straight from the text:
    // the parser's index of it is gone before the table fills.
    const std::size_t length = text.size();
    text.resize(length + simdjson::SIMDJSON_PADDING);
    auto parser = std::make_unique<ChromiumStoreParser>(path, stamp, std::move(text), length);
    if (parser->Roots() == 0) {
        return OpenedSource::Refused("Chromium のブックマークファイルとして読めません : " + path);
    }
    return {std::move(parser), {}};
}

}  // namespace pernard
