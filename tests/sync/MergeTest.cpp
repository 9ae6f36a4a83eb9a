// The merge's rules, one row each: the base, the local tree and the server's, what the merge
// makes of them and how many conflicts it reports.

#include <gtest/gtest.h>

#include "SyncTreeText.h"
#include "sync/Merge.h"

namespace pernard::sync {
namespace {

struct MergeCase {
    const char* rule;
    const char* base;  // nullptr: a first sync
    const char* local;
    const char* remote;
    FirstSync first;
    const char* merged;
    std::size_t conflicts;
};

const MergeCase kCases[] = {
    {"a title changed locally", "B1:a=http://a/", "B1:x=http://a/", "B1:a=http://a/",
     FirstSync::Merge, "^1 B1:x=http://a/", 0},
    {"a title changed on the server", "B1:a=http://a/", "B1:a=http://a/", "B1:y=http://a/",
     FirstSync::Merge, "^1 B1:y=http://a/", 0},
    {"a title changed on both: local wins", "B1:a=http://a/", "B1:x=http://a/", "B1:y=http://a/",
     FirstSync::Merge, "^1 B1:x=http://a/", 1},
    {"a URL spelt otherwise but the same to a browser is no change", "B1:a=http://a.example/",
     "B1:a=HTTP://A.example:80", "B1:a=http://a.example/", FirstSync::Merge,
     "^1 B1:a=http://a.example/", 0},
    {"a URL changed on both: local wins", "B1:a=http://a/", "B1:a=http://l/", "B1:a=http://r/",
     FirstSync::Merge, "^1 B1:a=http://l/", 1},
    {"deleted locally, untouched on the server", "B1:a=http://a/ B2:b=http://b/",
     "B2:b=http://b/", "B1:a=http://a/ B2:b=http://b/", FirstSync::Merge, "^2 B2:b=http://b/", 0},
    {"deleted on both", "B1:a=http://a/ B2:b=http://b/", "B2:b=http://b/", "B2:b=http://b/",
     FirstSync::Merge, "^2 B2:b=http://b/", 0},
    {"deleted on the server, edited locally: kept", "^1 B1:a=http://a/", "B1:x=http://a/", "^1",
     FirstSync::Merge, "^1 B1:x=http://a/", 1},
    {"deleted locally, edited on the server: kept", "B1:a=http://a/", "", "B1:a=http://z/",
     FirstSync::Merge, "^1 B1:a=http://z/", 1},
    {"a folder deleted on the server keeps what was added inside it locally",
     "F1:f[B2:a=http://a/] B3:c=http://c/", "F1:f[B2:a=http://a/ B:n=http://n/] B3:c=http://c/",
     "^3 B3:c=http://c/", FirstSync::Merge, "^4 F1:f[B4:n=http://n/] B3:c=http://c/", 1},
    {"a folder deleted on the server keeps an entry no browser holds", "F1:f[B2:a=http://a/]",
     "F1:f[B2:a=http://a/ L:m=mailto:x@example.com]", "^2", FirstSync::Merge,
     "^2 F1:f[L:m=mailto:x@example.com]", 1},
    {"moved on one side", "F1:f[] B2:a=http://a/", "F1:f[B2:a=http://a/]", "F1:f[] B2:a=http://a/",
     FirstSync::Merge, "^2 F1:f[B2:a=http://a/]", 0},
    {"moves that form a cycle: the local one", "F1:a[] F2:b[]", "F1:a[F2:b[]]", "F2:b[F1:a[]]",
     FirstSync::Merge, "^2 F1:a[F2:b[]]", 1},
    {"new on both sides with the same URL: one, the server's id", "^4", "B:a=http://a/",
     "^5 B5:a=http://A/", FirstSync::Merge, "^5 B5:a=http://A/", 0},
    {"new folders on both sides merge inside too", "^4", "F:n[B:a=http://a/ B:b=http://b/]",
     "^6 F5:n[B6:a=http://a/]", FirstSync::Merge, "^7 F5:n[B6:a=http://a/ B7:b=http://b/]", 0},
    {"a new local entry the server moved since a run died after writing the file", "F1:a[] F2:b[]",
     "F1:a[B:x=http://x/] F2:b[]", "^3 F1:a[] F2:b[B3:x=http://x/]", FirstSync::Merge,
     "^3 F1:a[] F2:b[B3:x=http://x/]", 0},
    {"an entry with the server's id the base lacks (the run died before keeping the base)",
     "F1:a[] F2:b[]", "F1:a[B3:x=http://x/] F2:b[]", "^3 F1:a[] F2:b[B3:x=http://x/]",
     FirstSync::Merge, "^3 F1:a[] F2:b[B3:x=http://x/]", 0},
    {"an id the file lost comes back to its entry", "B1:a=http://a/ B2:b=http://b/",
     "B1:a=http://a/ B2:b=http://b/", "^2 B:a=http://a/ B2:b=http://b/", FirstSync::Merge,
     "^2 B1:a=http://a/ B2:b=http://b/", 0},
    {"an id the file gives twice stays with the entry the base knew", "B1:a=http://a/ B2:c=http://c/",
     "B1:a=http://a/ B2:c=http://c/", "^2 B1:c=http://c/ B1:a=http://a/", FirstSync::Merge,
     "^2 B2:c=http://c/ B1:a=http://a/", 0},
    {"new locally: the next id", "^3 B1:a=http://a/", "B1:a=http://a/ B:n=http://n/",
     "^3 B1:a=http://a/", FirstSync::Merge, "^4 B1:a=http://a/ B4:n=http://n/", 0},
    {"new on the server without an id gets one", "B1:a=http://a/", "B1:a=http://a/",
     "B1:a=http://a/ B:x=http://x/", FirstSync::Merge, "^2 B1:a=http://a/ B2:x=http://x/", 0},
    {"an id given twice locally: the second entry is new", "B1:a=http://a/",
     "B1:a=http://a/ B1:a=http://a/", "B1:a=http://a/", FirstSync::Merge,
     "^2 B1:a=http://a/ B2:a=http://a/", 0},
    {"reordered on the server", "B1:a=http://a/ B2:b=http://b/ B3:c=http://c/",
     "B1:a=http://a/ B2:b=http://b/ B3:c=http://c/", "B3:c=http://c/ B1:a=http://a/ B2:b=http://b/",
     FirstSync::Merge, "^3 B3:c=http://c/ B1:a=http://a/ B2:b=http://b/", 0},
    {"reordered on both: the local order", "B1:a=http://a/ B2:b=http://b/ B3:c=http://c/",
     "B2:b=http://b/ B1:a=http://a/ B3:c=http://c/", "B3:c=http://c/ B1:a=http://a/ B2:b=http://b/",
     FirstSync::Merge, "^3 B2:b=http://b/ B1:a=http://a/ B3:c=http://c/", 0},
    {"new after the same entry: the server's first", "B1:a=http://a/",
     "B1:a=http://a/ B:l=http://l/", "^7 B1:a=http://a/ B7:r=http://r/", FirstSync::Merge,
     "^8 B1:a=http://a/ B7:r=http://r/ B8:l=http://l/", 0},
    {"a first sync merges and deletes nothing", nullptr, "F:Bar[B:a=http://a/ B:l=http://l/]",
     "F1:Bar[B2:a=http://a/ B3:r=http://r/]", FirstSync::Merge,
     "^4 F1:Bar[B2:a=http://a/ B3:r=http://r/ B4:l=http://l/]", 0},
    {"a first sync keeps a bookmark the two sides hold in different folders in both", nullptr,
     "B:n=http://n/", "F1:News[B2:n=http://n/]", FirstSync::Merge,
     "^3 F1:News[B2:n=http://n/] B3:n=http://n/", 0},
    {"a first sync taking the server's keeps what no browser holds", nullptr,
     "F:Bar[B:a=http://a/ B:l=http://l/] L:m=mailto:x", "F1:Bar[B2:a=http://a/ B3:r=http://r/]",
     FirstSync::Pull, "^3 F1:Bar[B2:a=http://a/ B3:r=http://r/] L:m=mailto:x", 0},
    {"a first sync maps a browser's own folders by role", nullptr,
     "F:ブックマーク_バー[B:a=http://a/] F:その他のブックマーク[]",
     "F1:Bookmarks_Bar[B2:a=http://a/] F3:Other_Bookmarks[]", FirstSync::Merge,
     "^3 F1:Bookmarks_Bar[B2:a=http://a/] F3:Other_Bookmarks[]", 0},
    {"a first sync sending to the server", nullptr, "F:Bar[B:a=http://a/ B:l=http://l/]",
     "F1:Bar[B2:a=http://a/ B3:r=http://r/]", FirstSync::Push,
     "^4 F1:Bar[B2:a=http://a/ B4:l=http://l/]", 0},
};

TEST(SyncMerge, EachRule) {
    for (const MergeCase& c : kCases) {
        SCOPED_TRACE(c.rule);
        const SyncTree base = TreeFromText(c.base == nullptr ? "" : c.base);
        const MergeResult result = MergeTrees(c.base == nullptr ? nullptr : &base,
                                              TreeFromText(c.local), TreeFromText(c.remote), c.first);
        EXPECT_EQ(TextOfTree(result.merged), c.merged);
        EXPECT_EQ(result.conflicts.size(), c.conflicts);
    }
}

}  // namespace
}  // namespace pernard::sync
