#include "formats/ChromiumReader.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <simdjson.h>

#include "formats/BrowserRead.h"
#include "formats/BrowserStores.h"
#include "formats/ChromiumNodes.h"
#include "formats/ChromiumRoots.h"
#include "formats/NetscapeReader.h"
#include "formats/StoreRoles.h"
#include "util/FileStamp.h"
#include "util/OpenFile.h"

namespace pernard {

namespace {

using simdjson::dom::element;

constexpr const char* kUnknownKindMessage = "種類のわからないエントリーは読み込みませんでした : ";

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

class ChromiumWalk {
public:
    explicit ChromiumWalk(EntryBuilder& builder) : builder_(builder) {}

    // Adds a top folder under `name` (the file's when null), known by `role`, and what it
    // holds; false when the table is full.
    bool AddTop(const element& node, const char* name, const std::string& role, bool toolbar) {
        if (TextOf(node, "type") != "folder") return true;
        return AddFolder(node, name != nullptr ? name : TextOf(node, "name"), role, toolbar);
    }

    bool Partial() const { return partial_; }

private:
    // Adds one node and what it holds; false when the table is full.
    bool AddNode(const element& node) {
        const std::string type = TextOf(node, "type");
        if (type == "url") return AddUrl(node);
        if (type != "folder") {
            // A kind the program does not know is left out, and said: a write of the store
            // would not hold it.
            builder_.Warn(kUnknownKindMessage + TextOf(node, "name"));
            partial_ = true;
            return true;
        }
        return AddFolder(node, TextOf(node, "name"), NodeKey(node), false);
    }

    bool AddFolder(const element& node, const std::string& name, const std::string& key,
                   bool toolbar) {
        EntryExtras extras;
        extras.storeKey = key;
        if (toolbar) extras.attributes += " PERSONAL_TOOLBAR_FOLDER=\"true\"";
        const std::string modified = DateOf(node, "date_modified");
        if (!modified.empty()) extras.attributes += StoreAttribute("LAST_MODIFIED", modified);
        // A folder's nickname too, so that a write gives it back.
        const MetaInfo meta = MetaInfoOf(node);
        if (!meta.nickname.empty())
            extras.attributes += StoreAttribute("SHORTCUTURL", meta.nickname);
        SetStoreDescription(meta.description, extras);
        const EntryBuilder::Outcome outcome = OpenStoreFolder(
            builder_, name, DateOf(node, "date_added"), std::move(extras), partial_);
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
        if (LeaveOutFolderMarkerUrl(builder_, fields, partial_)) return true;
        const MetaInfo meta = MetaInfoOf(node);
        fields.added = DateOf(node, "date_added");
        fields.visited = VisitOf(node, meta);
        EntryExtras extras;
        extras.storeKey = NodeKey(node);
        if (!meta.nickname.empty())
            extras.attributes += StoreAttribute("SHORTCUTURL", meta.nickname);
        SetStoreDescription(meta.description, extras);
        return builder_.AddBookmark(fields, std::move(extras)) == EntryBuilder::Outcome::Added;
    }

    EntryBuilder& builder_;
    bool partial_ = false;
};

}  // namespace

ReadOutcome ReadChromiumStore(BmLogic& model, bool complete, const std::string& path) {
    ReadOutcome unreadable;
    const FileStamp stamp = StampOf(path);
    std::string text;
    if (!LoadStoreText(path, text)) {
        unreadable.errorText = "Not Found Bookmark : " + path;
        return unreadable;
    }
    // The parser reads up to its padding past the text; zeros there, within the buffer.
    const std::size_t length = text.size();
    text.resize(length + simdjson::SIMDJSON_PADDING);
    simdjson::dom::parser parser;
    element document;
    element roots;
    const bool parsed =
        parser.parse(text.data(), length, false).get(document) == simdjson::SUCCESS &&
        document["roots"].get(roots) == simdjson::SUCCESS && roots.is_object();
    text.resize(length);
    if (!parsed) {
        unreadable.errorText = "Chromium のブックマークファイルとして読めません : " + path;
        return unreadable;
    }
    return RunStoreRead(model, complete, [&](EntryBuilder& builder, std::string& error) {
        if (builder.AddRoot(StoreRootName(path), SourceKind::Chromium, path) !=
            EntryBuilder::Outcome::Added) {
            error = kCapacityMessage;
            return false;
        }
        builder.SetCharset("UTF-8");
        // Writing the store back starts from the file as read, and only while the file is
        // still as read.
        RootInfo* info = builder.SourceInfo();
        info->store = std::make_shared<StoreOriginal>(StoreOriginal{std::move(text), false});
        info->sourceStamp = stamp;
        ChromiumWalk walk(builder);
        for (const ShownRoot& shown : kShownRoots) {
            element holder = roots;
            if (shown.inside != nullptr && roots[shown.inside].get(holder) != simdjson::SUCCESS)
                continue;
            element node;
            if (holder[shown.key].get(node) != simdjson::SUCCESS || !node.is_object()) continue;
            if (!walk.AddTop(node, shown.name, ChromiumRoleKey(shown.Path()), shown.toolbar)) {
                error = kCapacityMessage;
                return false;
            }
        }
        if (walk.Partial()) builder.MarkPartial();
        return true;
    });
}

bool ReadChromiumBookmarks(BmLogic& model, bool complete, const std::string& path, int& urlCount,
                           std::string& errorText) {
    return Unpacked(ReadChromiumStore(model, complete, path), urlCount, errorText);
}

}  // namespace pernard
