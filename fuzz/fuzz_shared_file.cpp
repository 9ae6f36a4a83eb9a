// The shared file's readers on any bytes, in both forms. What is checked: a read never crashes
// or hangs; whatever reads, written again in the same form, reads back to the same tree, with
// highestId kept, and passes the check before an upload once its ids are made sound; and a URL
// normalised twice is normalised once.
//
// Input: the first byte picks the form (even: XBEL, odd: the bookmark-file form), the rest is
// the file.

#include <algorithm>
#include <set>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "sync/SharedFile.h"
#include "util/WhatwgUrl.h"

using namespace pernard;
using namespace pernard::sync;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) return 0;
    const SharedFormat format = (data[0] & 1) != 0 ? SharedFormat::Html : SharedFormat::Xbel;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    SharedFileRead read = ReadSharedFile(bytes, format);
    if (!read.ok) return 0;
    SyncTree& tree = read.tree;
    const std::string written = WriteSharedFile(tree, format);
    const SharedFileRead again = ReadSharedFile(written, format);
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(again.tree.highestId == tree.highestId);
    // What a sync uploads: titles as the file carries them, every id given once and none above
    // highestId (which a damaged comment may have put below them).
    for (const SyncItem& item : tree.items) tree.highestId = std::max(tree.highestId, item.id);
    if (tree.highestId > kMaxSyncId - tree.Size()) return 0;
    std::set<SyncId> seen;
    for (SyncItem& item : tree.items) {
        item.title = SharedTitle(item.title);
        if (item.id <= 0 || !seen.insert(item.id).second) item.id = ++tree.highestId;
        if (!item.folder) {
            const std::string url = WhatwgNormalizedUrl(item.url);
            FUZZ_CHECK(WhatwgNormalizedUrl(url) == url);
        }
    }
    tree.items[0].id = kNoId;
    const std::string upload = WriteSharedFile(tree, format);
    FUZZ_CHECK(CheckBeforeUpload(tree, upload, format).empty());
    return 0;
}
