#include "formats/ChromiumReader.h"

#include <simdjson.h>

#include "formats/BrowserRead.h"
#include "formats/NetscapeReader.h"

namespace pernard {

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

std::string TextOf(const element& node, const char* key) {
    std::string_view text;
    if (node[key].get(text) != simdjson::SUCCESS) return {};
    return std::string(text);
}

std::string DateOf(const element& node, const char* key) {
    std::string_view text;
    if (node[key].get(text) != simdjson::SUCCESS) return {};
    return MicrosecondsToSeconds(text, kSecondsFrom1601To1970);
}

class ChromiumWalk {
public:
    ChromiumWalk(BmLogic& model, EntryBuilder& builder) : model_(model), builder_(builder) {}

    // Adds one node and what it holds; false when the table is full.
    bool AddNode(const element& node, bool toolbar = false) {
        const std::string type = TextOf(node, "type");
        if (type == "url") return AddUrl(node);
        if (type != "folder") return true;  // a kind the program does not know
        EntryExtras extras;
        if (toolbar) extras.attributes += " PERSONAL_TOOLBAR_FOLDER=\"true\"";
        const std::string modified = DateOf(node, "date_modified");
        if (!modified.empty()) extras.attributes += " LAST_MODIFIED=\"" + modified + "\"";
        const std::string name = TextOf(node, "name");
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

    bool Partial() const { return partial_; }

private:
    bool AddUrl(const element& node) {
        EntryTexts fields;
        fields.name = TextOf(node, "name");
        fields.url = TextOf(node, "url");
        if (LeaveOutFolderMarkerUrl(model_, fields, partial_)) return true;
        fields.added = DateOf(node, "date_added");
        fields.visited = DateOf(node, "date_last_used");
        return builder_.AddBookmark(fields, EntryExtras()) == EntryBuilder::Outcome::Added;
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
    simdjson::dom::parser parser;
    element document;
    object roots;
    if (parser.parse(json).get(document) != simdjson::SUCCESS ||
        document["roots"].get(roots) != simdjson::SUCCESS) {
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
            for (const auto field : roots) {
                if (!field.value.is_object()) continue;
                if (!walk.AddNode(field.value, field.key == "bookmark_bar")) {
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
