// pernard-cli sync's command line: what it refuses before it reaches a server. The runs
// themselves are tested in tests/sync and by scripts/sync-example.sh against lighttpd.

#include <gtest/gtest.h>

#include "CliRun.h"
#include "support/TestFiles.h"
#include "sync/SyncState.h"

namespace pernard::testing {
namespace {

TEST(CliSync, RefusesWhatItCannotSyncBeforeAnyRequest) {
    TempDir dir;
    const std::string file = dir.Write(
        "b.htm", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n</DL><p>\n");
    const std::string folder = (dir.Path() / "fav").string();
    std::filesystem::create_directories(folder);
    const std::string url = "http://127.0.0.1:9/dav/bookmarks.xbel";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* said;
    };
    std::vector<Case> cases = {
        {{"sync", file}, 2, "--remote"},
        {{"sync", file, file, "--remote", url}, 2, "one LOCAL"},
        {{"sync", file, "--remote", "ftp://127.0.0.1/b.xbel"}, 2, "http or https"},
        {{"sync", file, "--remote", "http://127.0.0.1:9/dav/"}, 2, "names the shared file"},
        {{"sync", file, "--remote", url, "--first", "both"}, 2, "merge, pull or push"},
        {{"sync", file, "--remote", url, "--format", "json"}, 2, "html or xbel"},
        {{"sync", "--skip-duplicates", file, "--remote", url}, 2, "whole"},
        {{"sync", folder, "--remote", url, "--state", (dir.Path() / "s").string()}, 1,
         "bookmark file"},
    };
    // A file synced with one shared file is not synced with another.
    ScopedVariable data("XDG_DATA_HOME", (dir.Path() / "data").string().c_str());
    ASSERT_TRUE(sync::SyncStateStore::LinkRemote(file, "http://127.0.0.1:9/dav/other.xbel"));
    cases.push_back({{"sync", file, "--remote", url, "--state", (dir.Path() / "s2").string()}, 1,
                     "other.xbel"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const CliRun run = RunWith(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace pernard::testing
