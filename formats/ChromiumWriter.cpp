#include "formats/ChromiumWriter.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "formats/BrowserRead.h"
#include "formats/ChromiumChecksum.h"
#include "formats/ChromiumJson.h"
#include "formats/ChromiumNodes.h"
#include "formats/ChromiumRoots.h"
#include "formats/StoreRoles.h"
#include "model/EntryExtras.h"
#include "util/HtmlText.h"
#include "util/Numbers.h"
#include "util/ProfileLock.h"
#include "util/SafeFile.h"
#include "util/Text.h"

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

// The nodes of the file as read, by their key (ChromiumNodes.h), and the highest id among them.
struct OriginalNodes {
    std::unordered_map<std::string, element> byKey;
    long long highestId = 0;

    void Index(const element& value) {
        if (value.is_array()) {
            for (const element item : simdjson::dom::array(value)) Index(item);
            return;
        }
        if (!value.is_object()) return;
        const std::string id = TextOf(value, "id");
        if (!id.empty()) {
            byKey.emplace(NodeKey(value), value);
            long long number = 0;
            if (ParseWholeNumber(id, number)) highestId = std::max(highestId, number);
        }
        for (const auto field : object(value)) {
            if (field.value.is_object() || field.value.is_array()) Index(field.value);
        }
    }
};

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
        element roots;
        if (document["roots"].get(roots) == simdjson::SUCCESS) original_.Index(roots);
        nextId_ = original_.highestId;
    }

    ChromiumStoreText Write() {
        ClaimTopFolders();
        ReserveOwnFolders();
        json_.OpenObject();
        for (const auto& [key, value] : MembersOf(document_)) {
            json_.Key(key);
            if (key == "checksum") {
                checksumAt_ = json_.Text().size() + 1;
                json_.String(std::string(32, '0'));
            } else if (key == "roots" && value.is_object()) {
                WriteRoots(value, nullptr);
            } else {
                json_.Value(value);
            }
        }
        json_.CloseObject();
        ChromiumStoreText result;
        result.text = json_.Take();
        if (checksumAt_ > 0) result.text.replace(checksumAt_, 32, checksum_.Hex());
        result.newKeys = std::move(newKeys_);
        result.droppedExtras = droppedExtras_;
        // A file with none of the browser's own folders has no place for what the root holds.
        result.ok = strays_.empty() || straysWritten_;
        return result;
    }

private:
    // The root's top folders that stand for the browser's own, by role; what else the root
    // holds at its top goes at the end of the other bookmarks (or the first own folder the
    // file has, when it has no other bookmarks).
    void ClaimTopFolders() {
        for (int entry : entries_.Of(root_)) {
            const std::string key = UnpackExtras(model_.ExtrasOf(entry)).storeKey;
            // A top folder copied from another store may stand for a folder this file lacks:
            // it is then no more than a stray.
            if (model_.IsFolder(entry) && key.rfind(kChromiumRolePrefix, 0) == 0 &&
                claimed_.count(key) == 0 && HasShownRoot(key)) {
                claimed_.emplace(key, entry);
            } else {
                strays_.push_back(entry);
            }
        }
        strayHolder_ = ChromiumRoleKey("other");
        if (!HasShownRoot(strayHolder_)) {
            for (const ShownRoot& shown : kShownRoots) {
                if (HasShownRoot(ChromiumRoleKey(shown.Path()))) {
                    strayHolder_ = ChromiumRoleKey(shown.Path());
                    break;
                }
            }
        }
    }

    bool HasShownRoot(const std::string& role) const {
        element roots;
        if (document_["roots"].get(roots) != simdjson::SUCCESS) return false;
        const std::string path = role.substr(kChromiumRolePrefix.size());
        const std::size_t slash = path.find('/');
        element node;
        if (slash == std::string::npos) {
            return roots[path].get(node) == simdjson::SUCCESS && node.is_object();
        }
        element holder;
        return roots[path.substr(0, slash)].get(holder) == simdjson::SUCCESS &&
               holder.is_object() &&
               holder[path.substr(slash + 1)].get(node) == simdjson::SUCCESS && node.is_object();
    }

    // The object below `roots` (or below `roots.custom_root` when `inside` is given): the
    // browser's own folders written from the table, everything else as it was.
    void WriteRoots(const element& holder, const char* inside) {
        json_.OpenObject();
        for (const auto& [key, value] : MembersOf(holder)) {
            json_.Key(key);
            const ShownRoot* shown = ShownRootOf(key, inside);
            if (shown != nullptr && value.is_object()) {
                WriteOwnFolder(value, ChromiumRoleKey(shown->Path()), shown->checksummed);
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
    void WriteOwnFolder(const element& node, const std::string& role, bool checksummed) {
        const auto found = claimed_.find(role);
        const int entry = found == claimed_.end() ? -1 : found->second;
        std::vector<int> children;
        if (entry >= 0) children = entries_.Of(entry);
        if (role == strayHolder_) {
            children.insert(children.end(), strays_.begin(), strays_.end());
            straysWritten_ = true;
        }
        WriteKnownNode(node, entry, true, children, checksummed);
    }

    // A table entry: the node it was read from when that is still to be had, else a new one.
    void WriteEntry(int entry, bool checksummed) {
        const std::string key = UnpackExtras(model_.ExtrasOf(entry)).storeKey;
        const auto found = original_.byKey.find(key);
        const bool folder = model_.IsFolder(entry);
        if (found != original_.byKey.end() && usedKeys_.insert(key).second &&
            TextOf(found->second, "type") == (folder ? "folder" : "url")) {
            WriteKnownNode(found->second, entry, false, entries_.Of(entry), checksummed);
        } else {
            WriteNewNode(entry, checksummed);
        }
    }

    // The browser's own folders hold their ids and guids before anything else is written: a
    // node of the file that shares one gets one of its own.
    void ReserveOwnFolders() {
        element roots;
        if (document_["roots"].get(roots) != simdjson::SUCCESS) return;
        for (const ShownRoot& shown : kShownRoots) {
            element holder = roots;
            element node;
            if ((shown.inside != nullptr && roots[shown.inside].get(holder) != simdjson::SUCCESS) ||
                holder[shown.key].get(node) != simdjson::SUCCESS) {
                continue;
            }
            usedIds_.insert(TextOf(node, "id"));
            usedGuids_.insert(TextOf(node, "guid"));
        }
    }

    // The node's id, or a new one when an earlier node took it.
    std::string IdFor(const element& node, bool own) {
        const std::string id = TextOf(node, "id");
        if (own || (!id.empty() && usedIds_.insert(id).second)) return id;
        const std::string fresh = std::to_string(++nextId_);
        usedIds_.insert(fresh);
        return fresh;
    }
    std::string GuidFor(const element& node, bool own) {
        const std::string guid = TextOf(node, "guid");
        if (own || (!guid.empty() && usedGuids_.insert(guid).second)) return guid;
        return NewGuid();
    }

    void WriteChildren(const std::vector<int>& children, bool checksummed) {
        json_.OpenArray();
        for (int child : children) WriteEntry(child, checksummed);
        json_.CloseArray();
    }

    // What the table holds for an entry, as the file says it.
    struct Fields {
        std::string name, url, added, visited, modified, description, nickname;
    };
    Fields FieldsOf(int entry) const {
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
        if (HoldsWhatAStoreCannot(extras)) ++droppedExtras_;
        return fields;
    }

    // Attributes beyond those a node of the store gives back (its nickname, a folder's change
    // date, the bar's mark), separators, a heading, a shortcut's lines: what the file has no
    // place for.
    static bool HoldsWhatAStoreCannot(const EntryExtras& extras) {
        if (extras.separatorsBefore > 0 || extras.separatorsAtEnd > 0 || extras.hasHeading ||
            !extras.headingAttributes.empty() || extras.hasShortcut) {
            return true;
        }
        const std::string tag = extras.attributes + ">";
        TagAttributes parsed;
        ParseTagAttributes(tag, 0, parsed);
        return std::any_of(parsed.items.begin(), parsed.items.end(), [](const TagAttribute& a) {
            return !EqualsNoCase(a.name, "SHORTCUTURL") && !EqualsNoCase(a.name, "LAST_MODIFIED") &&
                   !EqualsNoCase(a.name, "PERSONAL_TOOLBAR_FOLDER");
        });
    }

    // A date as it was when the table still holds what was read from it (or holds none: a store
    // has no way to say it does not know), else the table's.
    static std::string DateText(std::string_view original, const std::string& read,
                                const std::string& now) {
        return read == now || now.empty() ? std::string(original) : StoreDate(now);
    }

    // A node read from the file (`entry` -1: one of the browser's own folders the table no
    // longer holds), its keys in the file's order.
    void WriteKnownNode(const element& node, int entry, bool own, const std::vector<int>& children,
                        bool checksummed) {
        const bool folder = TextOf(node, "type") == "folder";
        const std::string id = IdFor(node, own);
        const std::string guid = GuidFor(node, own);
        if (entry >= 0 && !own && (id != TextOf(node, "id") || guid != TextOf(node, "guid"))) {
            newKeys_.emplace_back(entry, id + '\t' + guid);
        }
        const MetaInfo meta = MetaInfoOf(node);
        Fields fields;
        if (entry >= 0) fields = FieldsOf(entry);
        // The browser names its own folders itself.
        const std::string name = own || entry < 0 ? TextOf(node, "name") : fields.name;
        if (checksummed) {
            if (folder) {
                checksum_.AddFolder(id, name);
            } else {
                checksum_.AddUrl(id, name, fields.url);
            }
        }
        json_.OpenObject();
        bool wroteMeta = false;
        bool wroteGuid = false;
        for (const auto& [key, value] : MembersOf(node)) {
            std::string_view text;
            const bool isText = value.get(text) == simdjson::SUCCESS;
            json_.Key(key);
            if (key == "children" && folder) {
                WriteChildren(children, checksummed);
            } else if (key == "id") {
                json_.String(id);
            } else if (key == "guid") {
                json_.String(guid);
                wroteGuid = true;
            } else if (key == "name") {
                json_.String(name);
            } else if (key == "url" && !folder) {
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
        if (!wroteGuid && guid != TextOf(node, "guid")) {
            json_.Key("guid");
            json_.String(guid);
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
        const bool nicknameKept = meta.nickname == fields.nickname;
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
    void WriteNewNode(int entry, bool checksummed) {
        const bool folder = model_.IsFolder(entry);
        const Fields fields = FieldsOf(entry);
        const std::string id = std::to_string(++nextId_);
        const std::string guid = NewGuid();
        usedIds_.insert(id);
        usedGuids_.insert(guid);
        newKeys_.emplace_back(entry, id + '\t' + guid);
        if (checksummed) {
            if (folder) {
                checksum_.AddFolder(id, fields.name);
            } else {
                checksum_.AddUrl(id, fields.name, fields.url);
            }
        }
        json_.OpenObject();
        if (folder) {
            json_.Key("children");
            WriteChildren(entries_.Of(entry), checksummed);
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

    const BmLogic& model_;
    const int root_;
    const RootEntries entries_;
    const element document_;
    OriginalNodes original_;
    ChromiumJson json_;
    ChromiumChecksum checksum_;
    std::size_t checksumAt_ = 0;
    long long nextId_ = 0;
    std::unordered_set<std::string> usedKeys_;  // the nodes of the file written so far
    std::unordered_set<std::string> usedIds_;   // the ids and guids written so far
    std::unordered_set<std::string> usedGuids_;
    std::unordered_map<std::string, int> claimed_;
    std::vector<int> strays_;
    std::string strayHolder_;
    bool straysWritten_ = false;
    std::vector<std::pair<int, std::string>> newKeys_;
    mutable int droppedExtras_ = 0;
};

// Where the copy of the old file goes: beside it, named after the moment, never over another.
std::string BackupPath(const std::string& target) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = target + ".pernard-backup-" + stamp;
    std::string path = base;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(path, error); ++n)
        path = base + "-" + std::to_string(n);
    return path;
}

bool CopyToBackup(const std::string& target, const std::string& backup) {
    std::ifstream in(std::filesystem::path(target), std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    SafeFileWriter file;
    // The copy is as private as the file: a browser keeps its bookmarks to its user.
    file.TakeModeOf(target);
    if (!file.Open(backup)) return false;
    file.Write(bytes);
    return file.Commit();
}

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
           document["sync_metadata"].get(metadata) == simdjson::SUCCESS;
}

ChromiumStoreWrite WriteChromiumStore(const BmLogic& model, const WritePermit& permit,
                                      bool backUp) {
    ChromiumStoreWrite result;
    const std::string& target = permit.Target();
    if (permit.Roots().size() != 1) return result;
    result.store = ChromiumStoreTextOf(model, permit.Roots().front());
    simdjson::dom::parser parser;
    element written;
    if (!result.store.ok || parser.parse(result.store.text).get(written) != simdjson::SUCCESS) {
        result.errorText = "ブックマークを Chromium の形式にできませんでした : " + target;
        return result;
    }
    // The browser may have started since the question was asked.
    if (BrowserProfileInUse(target)) {
        result.errorText = kBrowserRunningMessage + target;
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
    SafeFileWriter file;
    if (!file.Open(target)) {
        result.errorText = "Cannot Save File : " + target;
        return result;
    }
    file.Write(result.store.text);
    result.written = file.Commit();
    if (!result.written) result.errorText = "Cannot Save File : " + target;
    return result;
}

}  // namespace pernard
