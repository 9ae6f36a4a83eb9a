// The sync's merge on any three trees: a base, a local tree and the server's, read as shared
// files from the input. What is checked: the merge never crashes; every id of the merged tree is
// positive, given once and at most its highestId; highestId never goes below either side's; the
// merged tree, as the server's file holds it, passes the check before an upload; and merging the
// result with itself as base and both sides changes nothing.
//
// Input: three XBEL files separated by a NUL byte; the first may be empty (a first sync).

#include <set>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "sync/Merge.h"
#include "sync/SharedFile.h"

using namespace pernard;
using namespace pernard::sync;

namespace {

SyncTree Read(std::string_view bytes) {
    SyncTree tree = ReadSharedFile(bytes, SharedFormat::Xbel).tree;
    // Titles as a local tree holds them.
    for (SyncItem& item : tree.items) item.title = SharedTitle(item.title);
    return tree;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t first = input.find('\0');
    if (first == std::string_view::npos) return 0;
    const std::size_t second = input.find('\0', first + 1);
    if (second == std::string_view::npos) return 0;
    const std::string_view baseBytes = input.substr(0, first);
    const SyncTree base = Read(baseBytes);
    const SyncTree local = Read(input.substr(first + 1, second - first - 1));
    const SyncTree remote = Read(input.substr(second + 1));
    const MergeResult result = MergeTrees(baseBytes.empty() ? nullptr : &base, local, remote);
    const SyncTree& merged = result.merged;
    FUZZ_CHECK(merged.highestId >= remote.highestId);
    std::set<SyncId> ids;
    for (int k = 1; k < merged.Size(); ++k) {
        const SyncId id = merged[k].id;
        FUZZ_CHECK(id > 0 && id <= merged.highestId && ids.insert(id).second);
    }
    const SyncTree shared = RemoteView(merged);
    const std::string bytes = WriteSharedFile(shared, SharedFormat::Xbel);
    FUZZ_CHECK(CheckBeforeUpload(shared, bytes, SharedFormat::Xbel).empty());
    // A merge of the result with itself is a fixed point.
    const MergeResult again = MergeTrees(&shared, shared, shared);
    FUZZ_CHECK(SameTree(again.merged, shared));
    return 0;
}
