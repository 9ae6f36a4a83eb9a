#pragma once
// The one place that decides whether a write may reach its target, and with what. Every save,
// export and report of the window and of the command line asks here before the first byte is
// written; the writers take only the permit it hands out (model/WritePermit.h).
//
// A browser's own store is a target only for the root read from it, written back in its own
// format, only a Chromium-family one, only while the browser does not run on it, and only while
// it is as it was read. The gate refuses a file or directory that loaded roots came from unless
// the write holds them: a target that is the source of the roots written
// receives every root that one read of it gave, in order. Over its source it refuses what
// changed on the disk since it was read (another copy of the same file saved first, another
// program), and asks before a read that left something out, or bytes that did not decode,
// replace what the source holds.

#include <optional>
#include <string>
#include <vector>

#include "model/BmLogic.h"
#include "model/WritePermit.h"

namespace pernard {

enum class WriteKind {
    BookmarkFile,   // a bookmark file, replaced once the new one is complete
    Favorites,      // a Favorites directory written into; only what its load read is removed
    FavoritesAnew,  // a Favorites directory replaced whole by a new tree
    Page,           // the URL list page of a folder
    BrowserStore,   // a Chromium-family store written back from the root read from it
    RestoredFile,       // an earlier version of a file put back as it was kept
    RestoredDirectory,  // an earlier version of a Favorites directory put back
};

struct WriteRequest {
    WriteKind kind = WriteKind::BookmarkFile;
    std::string target;
    std::vector<int> roots;  // what the caller means to write; none for a page or a restore
    // The overwrite save asks "… を … に保存します " first, unless the settings say not to.
    bool confirmOverwrite = false;
    // The command line's --force: over its source, a read that left something out, bytes that
    // did not decode and a store whose profile syncs are written without a question. Nothing
    // else is forced.
    bool force = false;
};

enum class WriteRefusal {
    None,
    NotAFile,        // a FIFO, a device, a socket (or a file where a directory is written)
    BrowserStore,    // a browser's own store (as anything but itself; Firefox's at all)
    BrowserRunning,  // the browser runs on the store's profile
    OtherSource,     // the source of loaded roots that the write would not hold
    SourceChanged,   // changed on the disk since these roots were read or saved
    Unread,          // a Favorites tree to be replaced holds what its load did not read
    Declined,        // a question was answered No (the command line answers every one so)
    Invalid,         // no root to write, or an index that is no root
};

struct WriteDecision {
    std::optional<WritePermit> permit;
    WriteRefusal refusal = WriteRefusal::None;
    bool Allowed() const { return permit.has_value(); }
};

class WriteGate {
public:
    // Decides; asks through the model's prompts where the answer decides what a file loses, and
    // says a refusal there too (a declined question says nothing more).
    static WriteDecision Decide(const BmLogic& model, const WriteRequest& request);
    // After a permitted write went through: roots written over their source are saved, and
    // their file is remembered as this write left it.
    static void Written(BmLogic& model, const WritePermit& permit);
};

// Asked when what the target holds now cannot be kept as an earlier version.
inline constexpr const char* kUnkeptVersionQuestion =
    "今のファイルを以前の版として残せません（%s）。書き込むと、今の内容には戻せなくなります。"
    "書き込みますか？";

// Said when the target is a browser's own store.
inline constexpr const char* kBrowserStoreMessage =
    "ブラウザーのブックマークには書き込みません。別のブックマークファイルに保存してください : ";
// Said when a Firefox store's root is to be written back.
inline constexpr const char* kFirefoxReadOnlyMessage =
    "Firefox のブックマーク（places.sqlite）は読み込み専用です。ブックマークファイルに保存して"
    "ください。Firefox では「ブックマークを管理」の「インポートとバックアップ」から読み込めます : ";
// Asked before the first write to a store whose profile syncs.
inline constexpr const char* kSyncQuestion =
    "このブラウザーのプロファイルは同期を使っています。次にブラウザーを起動したとき、同期で"
    "サーバーの内容が取り込まれ、ここで削除したブックマークが戻ることがあります。"
    "書き込みますか？";

}  // namespace pernard
