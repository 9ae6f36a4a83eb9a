// Every write path asks one gate: what it lets through and what it refuses, from the command
// line and from the save commands the window calls.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "cli/CliRun.h"
#include "commands/SaveCommands.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

std::string Section(const std::string& title, const std::string& url,
                    const std::string& more = "") {
    return "<TITLE>" + title + "</TITLE>\n<H1>" + title + "</H1>\n<DL><p>\n<DT><A HREF=\"" + url +
           "\" ADD_DATE=\"1\">" + title + " page</A>\n" + more + "</DL><p>\n";
}

// The last root ends with an empty folder (entry 6), which a link check has nothing to fetch in.
const std::string kThree =
    Section("One", "http://one/") + Section("Two", "http://two/") +
    Section("Three", "http://three/", "<DT><H3 ADD_DATE=\"1\">Empty</H3>\n<DL><p>\n</DL><p>\n");
// The second root holds a bookmark whose URL is the folder marker: the read leaves it out.
const std::string kSecondPartial =
    Section("One", "http://one/") + Section("Two", "---") + Section("Three", "http://three/");
const std::string kStore =
    "{\"checksum\":\"\",\"roots\":{\"bookmark_bar\":{\"children\":[],"
    "\"name\":\"Bar\",\"type\":\"folder\"}},\"version\":1}";

// The roots and bookmarks of a file as `list` prints them, without the source paths.
std::string Listing(const std::string& path) {
    const CliRun run = RunWith({"list", path});
    std::string lines;
    std::size_t at = 0;
    while (at < run.out.size()) {
        const std::size_t end = run.out.find('\n', at);
        const std::string line = run.out.substr(at, end - at);
        // index, parent, kind, name, URL
        std::size_t cut = 0;
        for (int field = 0; field < 5 && cut != std::string::npos; ++field) {
            cut = line.find('\t', cut + 1);
        }
        lines += line.substr(0, cut) + "\n";
        at = end + 1;
    }
    return lines;
}

}  // namespace

TEST(WriteGate, TheCommandLineWritesOnlyWhatLosesNothing) {
    struct Case {
        const char* what;
        // $A: three.htm, $P: second-partial.htm, $S: a store, $L: one whose "roots" comes late
        // (after blank lines and a long member)
        std::vector<std::string> arguments;
        int status;
        const char* target;  // whose bytes are checked
        bool unchanged;      // the target keeps its bytes; else it reads as `sameAs`
        const char* sameAs;
    };
    const std::vector<Case> cases = {
        {"three roots saved over their file",
         {"save", "$A", "--to", "$A"},
         0,
         "$A",
         false,
         "three"},
        {"the middle root asked for",
         {"save", "$A", "--root", "4", "--to", "$A"},
         0,
         "$A",
         false,
         "three"},
        {"the conversion a user tries first",
         {"save", "$A", "--save-encoding", "UTF-8", "--to", "$A"},
         0,
         "$A",
         false,
         "three"},
        {"check --to over the source",
         {"check", "$A", "--folder", "6", "--to", "$A"},
         0,
         "$A",
         false,
         "three"},
        {"one root to a new file",
         {"save", "$A", "--root", "4", "--to", "$N"},
         0,
         "$N",
         false,
         "one"},
        {"another source's root over it", {"save", "$N0", "$A", "--to", "$A"}, 1, "$A", true, ""},
        {"a page over a source",
         {"report", "$A", "--folder", "0", "--to", "$A"},
         1,
         "$A",
         true,
         ""},
        {"a page over a store", {"report", "$A", "--folder", "0", "--to", "$S"}, 1, "$S", true, ""},
        {"a bookmark file over a store", {"save", "$A", "--to", "$S"}, 1, "$S", true, ""},
        {"a store over itself", {"save", "$S", "--to", "$S"}, 1, "$S", true, ""},
        {"a bookmark file over a store whose roots come late",
         {"save", "$A", "--to", "$L"},
         1,
         "$L",
         true,
         ""},
        {"a bookmark file onto a FIFO", {"save", "$A", "--to", "$F"}, 1, "$A", true, ""},
        {"a page onto a FIFO", {"report", "$A", "--folder", "0", "--to", "$F"}, 1, "$A", true, ""},
        {"a partial second root", {"save", "$P", "--to", "$P"}, 1, "$P", true, ""},
        {"a partial root to another file", {"save", "$P", "--to", "$N"}, 0, "$N", false, "pone"},
        {"a partial root forced",
         {"save", "$P", "--to", "$P", "--force"},
         0,
         "$P",
         false,
         "pforced"},
    };
    for (const Case& c : cases) {
        TempDir temp;
        const std::map<std::string, std::string> files = {
            {"$A", temp.Write("three.htm", kThree)},
            {"$P", temp.Write("second-partial.htm", kSecondPartial)},
            {"$S", temp.Write("Bookmarks", kStore)},
            {"$L", temp.Write("late/Bookmarks", std::string(70000, '\n') + "{\"sync_metadata\":\"" +
                                                    std::string(100000, 'x') + "\"," +
                                                    kStore.substr(1))},
            {"$N0", temp.Write("other.htm", Section("Other", "http://other/"))},
            {"$N", (temp.Path() / "new.htm").string()},
            {"$F", (temp.Path() / "fifo").string()}};
        ASSERT_EQ(::mkfifo(files.at("$F").c_str(), 0600), 0);
        std::map<std::string, std::string> before;
        for (const auto& [name, path] : files) {
            if (std::filesystem::is_regular_file(path)) before[name] = ReadBytes(path);
        }
        const std::string threeListing = Listing(files.at("$A"));
        std::vector<std::string> arguments;
        for (const std::string& argument : c.arguments) {
            arguments.push_back(files.count(argument) > 0 ? files.at(argument) : argument);
        }
        const CliRun run = RunWith(arguments);
        EXPECT_EQ(run.status, c.status) << c.what << "\n" << run.err;
        const std::string& target = files.at(c.target);
        for (const auto& [name, bytes] : before) {
            if (name == c.target && !c.unchanged) continue;
            EXPECT_EQ(ReadBytes(files.at(name)), bytes) << c.what << ": " << name;
        }
        if (c.unchanged) continue;
        const std::string listing = Listing(target);
        if (std::string(c.sameAs) == "three") {
            EXPECT_EQ(listing, threeListing) << c.what;
        } else if (std::string(c.sameAs) == "one") {
            EXPECT_EQ(listing,
                      "0\t-1\troot\tThree\t---\n1\t0\turl\tThree page\thttp://three/\n"
                      "2\t0\tfolder\tEmpty\t---\n")
                << c.what;
        } else if (std::string(c.sameAs) == "pone") {
            EXPECT_EQ(listing, "0\t-1\troot\tOne\t---\n1\t0\turl\tOne page\thttp://one/\n")
                << c.what;
        } else {
            // Forced: the left-out bookmark is gone, everything else is there.
            EXPECT_EQ(Listing(target),
                      "0\t-1\troot\tOne\t---\n1\t0\turl\tOne page\thttp://one/\n"
                      "2\t-1\troot\tTwo\t---\n3\t-1\troot\tThree\t---\n"
                      "4\t3\turl\tThree page\thttp://three/\n")
                << c.what;
        }
    }
}

class WindowSaves : public ::testing::Test {
protected:
    bool Load(const std::string& path, bool complete = true) {
        int urls = 0;
        std::string error;
        return Unpacked(LoadSource(t.model, complete, path, SourceKind::BookmarkFile), urls, error);
    }
    TestModel t;
    TempDir temp;
};

TEST_F(WindowSaves, TheOverwriteSaveNamesEveryRootAndAsksBeforeAnyPartOfThemIsLost) {
    const std::string path = temp.Write("p.htm", kSecondPartial);
    ASSERT_TRUE(Load(path));
    t.model.SetCurrent(1);  // in the first root, which was read whole
    t.prompts.answers = {Answer::Yes, Answer::No};
    EXPECT_FALSE(SaveBM(t.model));
    ASSERT_EQ(t.prompts.questions.size(), 2u);
    EXPECT_EQ(t.prompts.questions[0], "One、Two、Three を " + path + " に保存します ");
    EXPECT_NE(t.prompts.questions[1].find("途中までしか読み込まれていません"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), kSecondPartial);
}

TEST_F(WindowSaves, OneCopyOfAFileLoadedTwiceNeverOverwritesTheOthersEdits) {
    const std::string path = temp.Write("twice.htm", Section("T", "http://t/"));
    ASSERT_TRUE(Load(path));
    ASSERT_TRUE(Load(path, false));
    ASSERT_EQ(t.model.gloya[2], -1);
    TableSurgery::SetName(t.model, 1, "first copy's edit");
    TableSurgery::SetName(t.model, 3, "second copy's edit");
    t.prompts.nextAnswer = Answer::Yes;
    ASSERT_TRUE(SaveRoot(t.model, 0));
    EXPECT_NE(t.prompts.questions.back().find("としても読み込まれています"), std::string::npos);
    const std::string afterFirst = ReadBytes(path);
    EXPECT_NE(afterFirst.find("first copy's edit"), std::string::npos);

    // The second copy's save is refused over the file and goes where the user says instead.
    const std::string elsewhere = (temp.Path() / "second.htm").string();
    t.dialogs.nextFile = elsewhere;
    ASSERT_TRUE(SaveRoot(t.model, 2));
    EXPECT_NE(t.prompts.messages.back().find("読み込んだ後にファイルが変更されています"),
              std::string::npos);
    EXPECT_EQ(ReadBytes(path), afterFirst);
    EXPECT_NE(ReadBytes(elsewhere).find("second copy's edit"), std::string::npos);
    EXPECT_TRUE(t.model.ChangedRoots().empty());

    // A change by another program is kept the same way; declining the other file saves nothing.
    TableSurgery::SetName(t.model, 1, "again");
    temp.Write("twice.htm", Section("Outside", "http://outside/"));
    t.dialogs.nextFile.clear();
    EXPECT_FALSE(SaveRoot(t.model, 0));
    EXPECT_NE(ReadBytes(path).find("Outside"), std::string::npos);
}
