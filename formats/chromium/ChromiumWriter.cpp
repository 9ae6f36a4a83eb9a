#include "formats/chromium/ChromiumWriter.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <limits>
#include <random>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "formats/BrowserRead.h"
#include "formats/StoreBackup.h"
#include "formats/StoreRoles.h"
#include "formats/chromium/ChromiumChecksum.h"
#include "formats/chromium/ChromiumJson.h"
#include "formats/chromium/ChromiumNodes.h"
#include "formats/chromium/ChromiumRoots.h"
#include "model/EntryExtras.h"
#include "util/HtmlText.h"
#include "util/Numbers.h"
#include "util/ProfileLock.h"
#include "util/SafeFile.h"

namespace pernard {

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

constexpr long long kMicroseconds = 1000000;

// A date of the table (seconds since 1970) as the file holds dates.
std::string StoreDate(const std::string& seconds) {
    long long value = 0;
    if (!ParseWholeNumber(seconds, value) || value <= 0) return "0";
    return std::to_string((value + kSecondsFrom1601To1970) * kMicroseconds);
}

std::string NowAsStoreDate() {
    return std::to_string((static_cast<long long>(std::time(nullptr)) + kSecondsFrom1601To1970) *
                          kMicroseconds);
}

// A random (version 4) GUID in the lowercase form the browser writes.
std::string NewGuid() {
    static std::mt19937_64 random{std::random_device{}()};
    std::uint64_t high = random();
    std::uint64_t low = random();
    high = (high & ~0xF000ULL) | 0x4000ULL;
    low = (low & ~(0xC000ULL << 48)) | (0x8000ULL << 48);
    char text[37];
    std::snprintf(text, sizeof text, "%08x-%04x-%04x-%04x-%012llx",
                  static_cast<unsigned>(high >> 32), static_cast<unsigned>((high >> 16) & 0xFFFF),
                  static_cast<unsigned>(high & 0xFFFF), static_cast<unsigned>(low >> 48),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
    return text;
}

// An object's members as the browser reads them: a key given twice holds its last value, in
// the place of its first.
std::vector<std::pair<std::string_view, element>> MembersOf(const element& value) {
    std::vector<std::pair<std::string_view, element>> members;
    for (const auto field : object(value)) {
        auto same = std::find_if(members.begin(), members.end(), [&field](const auto& member) {
            return member.first == field.key;
        });
        if (same == members.end()) {
            members.emplace_back(field.key, field.value);
        } else {
            same->second = field.value;
        }
    }
    return members;
}

// A node the reader takes for a folder: what a top folder must be to hold entries.
bool IsFolderNode(const element& node) {
    return node.is_object() && TextOf(node, "type") == "folder";
}

// The top folder `shown` of the file (any object there), as a read finds it.
bool ShownTop(const element& roots, const ShownRoot& shown, element& top) {
    element holder = roots;
    if (shown.inside != nullptr &&
        (!LastMember(roots, shown.inside, holder) || !holder.is_object())) {
        return false;
    }
    return LastMember(holder, shown.key, top) && top.is_object();
}

// Every id of the file, the trash's too.
template <typename Visit>
void ForEachId(const element& value, const Visit& visit) {
    if (value.is_array()) {
        for (const element item : simdjson::dom::array(value)) ForEachId(item, visit);
        return;
    }
    if (!value.is_object()) return;
    long long number = 0;
    if (ParseWholeNumber(TextOf(value, "id"), number)) visit(number);
    for (const auto field : object(value)) {
        if (field.value.is_object() || field.value.is_array()) ForEachId(field.value, visit);
    }
}

// The entries of one root: each one's children in order.
struct RootEntries {
    RootEntries(const BmLogic& model, int root) : root_(root) {
        const int count = std::min(model.glCT, model.Tree().Count());
        int end = root + 1;
        while (end < count && model.gloya[end] != -1) ++end;
        children_.resize(static_cast<std::size_t>(end - root));
        for (int i = root + 1; i < end; ++i) {
            children_[static_cast<std::size_t>(model.gloya[i] - root)].push_back(i);
        }
    }
    const std::vector<int>& Of(int index) const {
        return children_[static_cast<std::size_t>(index - root_)];
    }

private:
    int root_;
    std::vector<std::vector<int>> children_;
};

class StoreWriter {
public:
    StoreWriter(const BmLogic& model, int root, const element& document)
        : model_(model), root_(root), entries_(model, root), document_(document) {
        hasRoots_ = LastMember(document, "roots", roots_) && roots_.is_object();
        if (!hasRoots_) return;
        IndexNodes();
        ForEachId(roots_, [this](long long id) { nextId_ = std::max(nextId_, id); });
    }

    ChromiumStoreText Write() {
        ChromiumStoreText result;
        if (!hasRoots_) return result;
        ClaimTopFolders();
        json_.OpenObject();
        for (const auto& [key, value] : MembersOf(document_)) {
            json_.Key(key);
            if (key == "checksum" && value.is_string()) {
                checksumAt_ = json_.Text().size() + 1;
                json_.String(std::string(32, '0'));
            } else if (key == "roots" && value.is_object()) {
                WriteRoots(value, nullptr);
            } else {
                json_.Value(value);
            }
        }
        json_.CloseObject();
        result.text = json_.Take();
        // A file with none of the browser's own folders has no place for what the root holds.
        result.ok = (strays_.empty() || straysWritten_) && SetChecksum(result.text);
        result.newKeys = KeysAsWritten();
        result.leftOut = leftOut_;
        return result;
    }

private:
    // What a read of the file meets, in its order, with the key it gives each node: the entries
    // read from the file are found by those keys.
    void IndexNodes() {
        ChromiumNodeKeys keys;
        for (const ShownRoot& shown : kShownRoots) {
            element top;
            if (ShownTop(roots_, shown, top)) Index(top, keys, true);
        }
    }
    void Index(const element& node, ChromiumNodeKeys& keys, bool top) {
        std::string key = keys.Next(TextOf(node, "id"), TextOf(node, "guid"));
        if (!top) byKey_.emplace(std::move(key), node);
        element children;
        if (TextOf(node, "type") != "folder" || !LastMember(node, "children", children) ||
            !children.is_array()) {
            return;
        }
        for (const element child : simdjson::dom::array(children)) {
            if (child.is_object()) Index(child, keys, false);
        }
    }

    // The root's top folders that stand for the browser's own, by role; what else the root
    // holds at its top goes at the end of the other bookmarks (or the first own folder the
    // file has, when it has no other bookmarks).
    void ClaimTopFolders() {
        // A top folder copied from another store carries the role it had there: where two
        // stand for one role, the one this root's read made wins (made after the root, and
        // before any copy of another's), whatever their order.
        const std::uint64_t rootSerial = model_.glNode[root_]->Serial();
        const auto madeHere = [&](int entry) {
            return model_.glNode[entry]->Serial() > rootSerial;
        };
        const auto better = [&](int entry, int than) {
            if (madeHere(entry) != madeHere(than)) return madeHere(entry);
            return model_.glNode[entry]->Serial() < model_.glNode[than]->Serial();
        };
        const std::vector<int> tops = entries_.Of(root_);
        for (int entry : tops) {
            const std::string key = UnpackExtras(model_.ExtrasOf(entry)).storeKey;
            // A top folder standing for a folder this file lacks is no more than a stray.
            if (!model_.IsFolder(entry) || key.rfind(kChromiumRolePrefix, 0) != 0 ||
                !HasShownFolder(key)) {
                continue;
            }
            const auto [claim, first] = claimed_.emplace(key, entry);
            if (!first && better(entry, claim->second)) claim->second = entry;
        }
        for (int entry : tops) {
            const std::string key = UnpackExtras(model_.ExtrasOf(entry)).storeKey;
            const auto claim = claimed_.find(key);
            if (claim == claimed_.end() || claim->second != entry) strays_.push_back(entry);
        }
        strayHolder_ = ChromiumRoleKey("other");
        if (!HasShownFolder(strayHolder_)) {
            for (const ShownRoot& shown : kShownRoots) {
                if (HasShownFolder(ChromiumRoleKey(shown.Path()))) {
                    strayHolder_ = ChromiumRoleKey(shown.Path());
                    break;
                }
            }
        }
    }

    bool HasShownFolder(const std::string& role) const {
        for (const ShownRoot& shown : kShownRoots) {
            element top;
            if (ChromiumRoleKey(shown.Path()) == role) {
                return ShownTop(roots_, shown, top) && IsFolderNode(top);
            }
        }
        return false;
    }

    // The object below `roots` (or below `roots.custom_root` when `inside` is given): the
    // browser's own folders written from the table, everything else as it was.
    void WriteRoots(const element& holder, const char* inside) {
        json_.OpenObject();
        for (const auto& [key, value] : MembersOf(holder)) {
            json_.Key(key);
            const ShownRoot* shown = ShownRootOf(key, inside);
            if (shown != nullptr && value.is_object()) {
                walking_ = static_cast<std::size_t>(shown - kShownRoots);
                if (IsFolderNode(value)) {
                    WriteOwnFolder(value, ChromiumRoleKey(shown->Path()));
                } else {
                    Walked(-1, {}, value);
                    json_.Value(value);
                }
            } else if (inside == nullptr && key == "custom_root" && value.is_object()) {
                WriteRoots(value, "custom_root");
            } else {
                json_.Value(value);
            }
        }
        json_.CloseObject();
    }

    static const ShownRoot* ShownRootOf(std::string_view key, const char* inside) {
        for (const ShownRoot& shown : kShownRoots) {
            const bool sameHolder = (shown.inside == nullptr) == (inside == nullptr) &&
                                    (inside == nullptr || std::string_view(inside) == shown.inside);
            if (sameHolder && key == shown.key) return &shown;
        }
        return nullptr;
    }

    // One of the browser's own folders: as it was, with what the table holds for it.
    void WriteOwnFolder(const element& node, const std::string& role) {
        const auto found = claimed_.find(role);
        const int entry = found == claimed_.end() ? -1 : found->second;
        std::vector<int> children;
        if (entry >= 0) children = entries_.Of(entry);
        if (role == strayHolder_) {
            children.insert(children.end(), strays_.begin(), strays_.end());
            straysWritten_ = true;
        }
        Walked(-1, {}, node);
        WriteKnownNode(node, entry, true, children);
    }

    // A table entry: the node it was read from when that is still to be had, else a new one.
    void WriteEntry(int entry) {
        const EntryExtras extras = UnpackExtras(model_.ExtrasOf(entry));
        const auto found = byKey_.find(extras.storeKey);
        const bool folder = model_.IsFolder(entry);
        if (found != byKey_.end() && usedKeys_.insert(extras.storeKey).second &&
            TextOf(found->second, "type") == (folder ? "folder" : "url")) {
            Walked(entry, extras.storeKey, found->second);
            WriteKnownNode(found->second, entry, false, entries_.Of(entry));
        } else {
            WriteNewNode(entry, extras.storeKey);
        }
    }

    // An id no node of the file holds: above the highest, or where that leaves no room, the
    // lowest free one.
    std::string FreshId() {
        if (nextId_ < std::numeric_limits<long long>::max()) return std::to_string(++nextId_);
        if (takenIds_.empty()) {
            ForEachId(roots_, [this](long long id) { takenIds_.insert(id); });
        }
        while (!takenIds_.insert(++lowestFree_).second) {
        }
        return std::to_string(lowestFree_);
    }

    void WriteChildren(const std::vector<int>& children) {
        json_.OpenArray();
        for (int child : children) WriteEntry(child);
        json_.CloseArray();
    }

    // What the table holds for an entry, as the file says it.
    struct Fields {
        std::string name, url, added, visited, modified, description, nickname;
    };
    Fields FieldsOf(int entry) {
        Fields fields;
        const std::size_t k = static_cast<std::size_t>(entry);
        fields.name = model_.glName[k];
        fields.added = model_.glAdd[k];
        const EntryExtras extras = UnpackExtras(model_.ExtrasOf(entry));
        if (model_.IsFolder(entry)) {
            fields.modified = AttributeText(extras.attributes, "LAST_MODIFIED");
        } else {
            fields.url = model_.glUrl[k];
            fields.visited = model_.glVisit[k];
        }
        if (extras.hasDescription) fields.description = DescriptionText(extras.description);
        fields.nickname = AttributeText(extras.attributes, "SHORTCUTURL");
        leftOut_.Add(extras);
        return fields;
    }

    // A date as it was when the table still holds what was read from it (or holds none: a store
    // has no way to say it does not know), else the table's.
    static std::string DateText(std::string_view original, const std::string& read,
                                const std::string& now) {
        return read == now || now.empty() ? std::string(original) : StoreDate(now);
    }

    // A node read from the file (`entry` -1: one of the browser's own folders the table no
    // longer holds), its keys in the file's order, its id and guid as they were.
    void WriteKnownNode(const element& node, int entry, bool own,
                        const std::vector<int>& children) {
        const bool folder = TextOf(node, "type") == "folder";
        const MetaInfo meta = MetaInfoOf(node);
        Fields fields;
        if (entry >= 0) fields = FieldsOf(entry);
        // The browser names its own folders itself; a text the table still holds as read is
        // written as it was (whatever the file gave there).
        const bool nameAsRead = own || entry < 0 || fields.name == TextOf(node, "name");
        const bool urlAsRead = fields.url == TextOf(node, "url");
        json_.OpenObject();
        bool wroteMeta = false;
        bool wroteChildren = false;
        for (const auto& [key, value] : MembersOf(node)) {
            std::string_view text;
            const bool isText = value.get(text) == simdjson::SUCCESS;
            json_.Key(key);
            if (key == "children" && folder) {
                WriteChildren(children);
                wroteChildren = true;
            } else if (key == "name" && !nameAsRead) {
                json_.String(fields.name);
            } else if (key == "url" && !folder && entry >= 0 && !urlAsRead) {
                json_.String(fields.url);
            } else if (isText && key == "date_added" && entry >= 0) {
                json_.String(DateText(text, DateOf(node, "date_added"), fields.added));
            } else if (isText && key == "date_last_used" && !folder && entry >= 0) {
                json_.String(DateText(text, VisitOf(node, meta), fields.visited));
            } else if (isText && key == "date_modified" && folder && entry >= 0 && !own) {
                json_.String(DateText(text, DateOf(node, "date_modified"), fields.modified));
            } else if (key == "meta_info" && value.is_object() && entry >= 0) {
                WriteMetaInfo(&value, meta, fields);
                wroteMeta = true;
            } else {
                json_.Value(value);
            }
        }
        // A folder the file gave no list: what the table holds there.
        if (folder && !wroteChildren && !children.empty()) {
            json_.Key("children");
            WriteChildren(children);
        }
        if (!wroteMeta && entry >= 0 && (!fields.description.empty() || !fields.nickname.empty())) {
            json_.Key("meta_info");
            WriteMetaInfo(nullptr, meta, fields);
        }
        json_.CloseObject();
    }

    // A node's meta_info: the description and nickname the table holds now, the rest as it was.
    void WriteMetaInfo(const element* original, const MetaInfo& meta, const Fields& fields) {
        EntryExtras read;
        SetStoreDescription(meta.description, read);
        const bool descriptionKept = DescriptionText(read.description) == fields.description;
        // The nickname as the table took it from the file (its blanks trimmed).
        const bool nicknameKept = AttributeText(StoreAttribute("SHORTCUTURL", meta.nickname),
                                                "SHORTCUTURL") == fields.nickname;
        json_.OpenObject();
        bool description = false;
        bool nickname = false;
        // A key the table has a place for: as it was while the table holds what was read,
        // else the table's text (none when it has none).
        auto writeHeld = [this](std::string_view key, const element& value, bool kept,
                                const std::string& now) {
            if (!kept && now.empty()) return;
            json_.Key(key);
            if (kept) {
                json_.Value(value);
            } else {
                json_.String(now);
            }
        };
        if (original != nullptr) {
            for (const auto& [key, value] : MembersOf(*original)) {
                if (key == "Description") {
                    description = true;
                    writeHeld(key, value, descriptionKept, fields.description);
                } else if (key == "Nickname") {
                    nickname = true;
                    writeHeld(key, value, nicknameKept, fields.nickname);
                } else {
                    json_.Key(key);
                    json_.Value(value);
                }
            }
        }
        if (!description && !fields.description.empty()) {
            json_.Key("Description");
            json_.String(fields.description);
        }
        if (!nickname && !fields.nickname.empty()) {
            json_.Key("Nickname");
            json_.String(fields.nickname);
        }
        json_.CloseObject();
    }

    // A node the file did not hold (or an entry copied from one it holds elsewhere), its keys
    // in the order the browser writes them.
    void WriteNewNode(int entry, const std::string& key) {
        const bool folder = model_.IsFolder(entry);
        const Fields fields = FieldsOf(entry);
        const std::string id = FreshId();
        const std::string guid = NewGuid();
        walk_[walking_].push_back(WalkedNode{entry, key, id, guid});
        json_.OpenObject();
        if (folder) {
            json_.Key("children");
            WriteChildren(entries_.Of(entry));
        }
        json_.Key("date_added");
        json_.String(fields.added.empty() ? NowAsStoreDate() : StoreDate(fields.added));
        if (!folder) {
            json_.Key("date_last_used");
            json_.String(StoreDate(fields.visited));
        } else {
            json_.Key("date_modified");
            json_.String(StoreDate(fields.modified));
        }
        json_.Key("guid");
        json_.String(guid);
        json_.Key("id");
        json_.String(id);
        if (!fields.description.empty() || !fields.nickname.empty()) {
            json_.Key("meta_info");
            WriteMetaInfo(nullptr, MetaInfo{}, fields);
        }
        json_.Key("name");
        json_.String(fields.name);
        json_.Key("type");
        json_.String(folder ? "folder" : "url");
        if (!folder) {
            json_.Key("url");
            json_.String(fields.url);
        }
        json_.CloseObject();
    }

    // The checksum in its place: the file's own while what it covers is as the file had it
    // (whatever way it was computed), else the browser's of the text written. False when the
    // text written is no JSON.
    bool SetChecksum(std::string& text) const {
        simdjson::dom::parser parser;
        element written;
        if (parser.parse(text).get(written) != simdjson::SUCCESS) return false;
        if (checksumAt_ == 0) return true;
        const std::string computed = ChecksumOfStore(written);
        std::string sum;
        AppendEscaped(
            sum, computed == ChecksumOfStore(document_) ? TextOf(document_, "checksum") : computed);
        text.replace(checksumAt_ - 1, 34, sum);  // the placeholder and its quotes
        return true;
    }

    // A node written, in the order a read of the text written meets it (`entry` -1 for a top
    // folder).
    struct WalkedNode {
        int entry;
        std::string key;  // the entry's key until now
        std::string id, guid;
    };
    void Walked(int entry, std::string key, const element& node) {
        walk_[walking_].push_back(
            WalkedNode{entry, std::move(key), TextOf(node, "id"), TextOf(node, "guid")});
    }

    // The entries whose key a read of the text written would give otherwise than they hold.
    std::vector<std::pair<int, std::string>> KeysAsWritten() {
        std::vector<std::pair<int, std::string>> changed;
        ChromiumNodeKeys keys;
        for (const std::vector<WalkedNode>& top : walk_) {
            for (const WalkedNode& node : top) {
                std::string key = keys.Next(node.id, node.guid);
                if (node.entry >= 0 && key != node.key)
                    changed.emplace_back(node.entry, std::move(key));
            }
        }
        return changed;
    }

    const BmLogic& model_;
    const int root_;
    const RootEntries entries_;
    const element document_;
    element roots_;
    bool hasRoots_ = false;
    std::unordered_map<std::string, element> byKey_;  // the nodes a read met, by their keys
    ChromiumJson json_;
    std::size_t checksumAt_ = 0;
    long long nextId_ = 0;
    std::unordered_set<long long> takenIds_;  // every id, once the highest leaves no room
    long long lowestFree_ = 0;
    std::unordered_set<std::string> usedKeys_;  // the nodes of the file written so far
    std::unordered_map<std::string, int> claimed_;
    std::vector<int> strays_;
    std::string strayHolder_;
    bool straysWritten_ = false;
    // The nodes written below each top folder, by kShownRoots' order, and the one being written.
    std::vector<WalkedNode> walk_[std::size(kShownRoots)];
    std::size_t walking_ = 0;
    StoreLeftOut leftOut_;
};

}  // namespace

ChromiumStoreText ChromiumStoreTextOf(const BmLogic& model, int root) {
    const RootInfo* info = model.RootInfoOf(root);
    if (info == nullptr || info->store == nullptr) return {};
    simdjson::dom::parser parser;
    const std::string& text = info->store->text;
    element document;
    if (parser.parse(text).get(document) != simdjson::SUCCESS || !document.is_object()) return {};
    return StoreWriter(model, root, document).Write();
}

bool HoldsSyncMetadata(const std::string& storeText) {
    simdjson::dom::parser parser;
    element document;
    element metadata;
    return parser.parse(storeText).get(document) == simdjson::SUCCESS &&
           LastMember(document, "sync_metadata", metadata);
}

ChromiumStoreWrite WriteChromiumStore(const BmLogic& model, const WritePermit& permit,
                                      bool backUp) {
    ChromiumStoreWrite result;
    if (permit.Roots().size() != 1) return result;
    // Through a link, the file it names: its profile's lock is the one that counts, and the
    // copy goes beside it.
    std::error_code error;
    std::string target = permit.Target();
    const std::filesystem::path real = std::filesystem::weakly_canonical(target, error);
    if (!error) target = real.string();
    result.store = ChromiumStoreTextOf(model, permit.Roots().front());
    if (!result.store.ok) {
        result.errorText = "ブックマークを Chromium の形式にできませんでした : " + target;
        return result;
    }
    // The browser may have started since the question was asked.
    if (BrowserProfileInUse(target)) {
        result.errorText = kBrowserRunningMessage + target;
        return result;
    }
    // The file is opened for its replacement first: a file that cannot be replaced (read-only,
    // no file) gets no backup beside it either.
    SafeFileWriter file;
    if (!file.Open(target)) {
        result.errorText = "Cannot Save File : " + target;
        return result;
    }
    if (backUp) {
        result.backup = BackupPath(target);
        if (!CopyToBackup(target, result.backup)) {
            result.errorText =
                "元のファイルのバックアップを作れないため、書き込みません : " + result.backup;
            result.backup.clear();
            return result;
        }
    }
    file.Write(result.store.text);
    result.written = file.Commit();
    if (!result.written) result.errorText = "Cannot Save File : " + target;
    return result;
}

}  // namespace pernard
