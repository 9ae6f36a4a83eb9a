// Files shaped like the ones people really have: names holding markup, quotes and comment
// openers, Shift_JIS with the second codes of Windows tools, several TITLE sections. Whatever
// the file holds, a read and an overwrite save lose nothing.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>

#include "cli/CliCommands.h"
#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "model/EntryExtras.h"
#include "model/Search.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"
#include "util/CodePage.h"
#include "util/HtmlText.h"

using namespace pernard;
using pernard::testing::ReadBytes;
using pernard::testing::TempDir;
using pernard::testing::TestModel;

namespace {

// Every entry with all its texts, one per line: "parent|kind|name|url|added|visited|modified".
std::string FullDump(const BmLogic& model) {
    std::string out;
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const char* kind = model.gloya[k] < 0 ? "R" : model.IsFolder(i) ? "F" : "U";
        out +=
            std::to_string(model.gloya[k]) + "|" + kind + "|" + std::string(model.glName[k]) + "|";
        if (model.gloya[k] >= 0) {
            out += std::string(model.glUrl[k]) + "|" + std::string(model.glAdd[k]) + "|" +
                   std::string(model.glVisit[k]) + "|" + std::string(model.glLast[k]);
        }
        out += "\n";
    }
    return out;
}

class RealShapesTest : public ::testing::Test {
protected:
    bool Load(const std::string& bytes, const std::string& name = "b.htm") {
        path = temp.Write(name, bytes);
        int urls = 0;
        error.clear();
        return Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile), urls, error);
    }
    // The overwrite save of the root at `root`, answering every question Yes.
    bool SaveOver(int root = 0) {
        t.prompts.nextAnswer = Answer::Yes;
        t.model.SetCurrent(root);
        return SaveBM(t.model);
    }
    // Reads `path` again into a fresh model, `back`.
    std::string Reread() {
        back = std::make_unique<TestModel>();
        int urls = 0;
        std::string ignored;
        Unpacked(LoadSource(back->model, true, path, SourceKind::BookmarkFile), urls, ignored);
        return FullDump(back->model);
    }
    TestModel t;
    std::unique_ptr<TestModel> back;
    TempDir temp;
    std::string path;
    std::string error;
};

constexpr const char* kHead =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";

}  // namespace

TEST_F(RealShapesTest, MarkupInsideNamesIsTextNotStructure) {
    ASSERT_TRUE(Load(std::string(kHead) +
                     "    <DT><H3 ADD_DATE=\"1\">Dev <h1>x</h1></H3>\n"
                     "    <DL><p>\n"
                     "        <DT><A HREF=\"https://m/\" ADD_DATE=\"2\"><title>: The Document "
                     "Title element</A>\n"
                     "        <DT><A HREF=\"http://a/\">a <dl> b </dl></A>\n"
                     "        <DT><A HREF=\"http://b/\"><!doctype html> page</A>\n"
                     "        <DT><A HREF=\"http://g/\">x <!-- y</A>\n"
                     "        <DT><A HREF=\"http://h/\">after the comment opener</A>\n"
                     "    </DL><p>\n"
                     "    <DT><A HREF=\"http://last/\">last</A>\n"
                     "</DL><p>\n"));
    EXPECT_EQ(FullDump(t.model),
              "-1|R|Bookmarks|\n"
              "0|F|Dev <h1>x</h1>|---|1||\n"
              "1|U|<title>: The Document Title element|https://m/|2||\n"
              "1|U|a <dl> b </dl>|http://a/|||\n"
              "1|U|<!doctype html> page|http://b/|||\n"
              "1|U|x <!-- y|http://g/|||\n"
              "1|U|after the comment opener|http://h/|||\n"
              "0|U|last|http://last/|||\n");
    // Saved over its file and read back: the same entries, nothing emptied.
    const std::string before = FullDump(t.model);
    ASSERT_TRUE(SaveOver());
    EXPECT_EQ(Reread(), before);
}

TEST_F(RealShapesTest, ACommentOpenedAfterAnEntryKeepsTheEntryAndTheLinesAfterItsEnd) {
    ASSERT_TRUE(Load(std::string(kHead) + "<DT><A HREF=\"http://a/\">a</A> <!-- note\n"
                                          "<DT><A HREF=\"http://hidden/\">hidden</A>\n"
                                          "-->\n"
                                          "<!-- one line --><DT><A HREF=\"http://b/\">b</A>\n"
                                          "</DL><p>\n"));
    EXPECT_EQ(FullDump(t.model), "-1|R|Bookmarks|\n0|U|a|http://a/|||\n0|U|b|http://b/|||\n");
}

TEST_F(RealShapesTest, ADescriptionEndingInsideATagLeavesTheListEndAfterIt) {
    // Found by fuzzing: written back with the list's end on the following lines, the unclosed
    // anchor of the description took those lines into itself on the next read; on its first
    // line, and on a later line of a description that goes over several lines.
    const struct {
        const char* lines;
        const char* description;
    } cases[] = {
        {"<DD>see <A HREF=\"http://x/\" LAST_VISI\n", "see <A HREF=\"http://x/\" LAST_VISI"},
        {"<DD>first line\n<li><a href=\"http://x/\n", "first line\n<li><a href=\"http://x/"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Load(std::string(kHead) +
                         "<DT><H3>Folder</H3>\n<DL><p>\n"
                         "<DT><A HREF=\"http://in/\">in</A>\n" +
                         c.lines +
                         "</DL><p>\n"
                         "<DT><A HREF=\"http://out/\">out</A>\n"
                         "</DL><p>\n"));
        EXPECT_EQ(FullDump(t.model),
                  "-1|R|Bookmarks|\n"
                  "0|F|Folder|---|||\n"
                  "1|U|in|http://in/|||\n"
                  "0|U|out|http://out/|||\n");
        EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(2)).description, c.description);
        const std::string before = FullDump(t.model);
        ASSERT_TRUE(SaveOver());
        EXPECT_EQ(Reread(), before);
    }
}

TEST_F(RealShapesTest, MarkupInASecondDescriptionIsItsTextAndComesBackWithIt) {
    // Found by fuzzing: the text of an entry's second "<DD>" started with a tag that ends
    // descriptions. It was read as structure as well (a separator, a title's root) and written
    // back as a bare line, so the next read cut the description there.
    for (const char* markup : {"<HR>", "<TITLE>t</TITLE>", "<H1>h</H1>", "<!DOCTYPE d>", "<DD>",
                               "<H3>f</H3>", "<A HREF=\"http://u/\">u</A>", "  <HR>"}) {
        const std::string second = std::string(markup) + " second";
        ASSERT_TRUE(Load(std::string(kHead) +
                         "<DT><A HREF=\"http://a/\">a</A>\n"
                         "<DD>first\n<DD>" +
                         second +
                         "\nmore\n"
                         "<DT><A HREF=\"http://b/\">b</A>\n"
                         "</DL><p>\n"));
        EXPECT_EQ(FullDump(t.model), "-1|R|Bookmarks|\n0|U|a|http://a/|||\n0|U|b|http://b/|||\n")
            << markup;
        EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(1)).description, "first\n" + second + "\nmore");
        EXPECT_TRUE(t.model.ExtrasOf(2).empty()) << markup;
        const std::string extras(t.model.ExtrasOf(1));
        const std::string before = FullDump(t.model);
        ASSERT_TRUE(SaveOver());
        EXPECT_EQ(Reread(), before) << markup;
        EXPECT_EQ(back->model.ExtrasOf(1), extras) << markup;
    }
}

TEST_F(RealShapesTest, AnEntryAfterADescriptionOnItsLineIsRead) {
    ASSERT_TRUE(Load(std::string(kHead) +
                     "<DT><A HREF=\"http://a/\">a</A>\n"
                     "<DD>about <A HREF=\"http://x/\">x</A><DT><A HREF=\"http://b/\">b</A>\n"
                     "<DD>last <HR></DL><p>\n"
                     "<DT><A HREF=\"http://c/\">c</A>\n"));
    EXPECT_EQ(FullDump(t.model),
              "-1|R|Bookmarks|\n0|U|a|http://a/|||\n0|U|b|http://b/|||\n0|U|c|http://c/|||\n");
    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(1)).description, "about <A HREF=\"http://x/\">x</A>");
    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(2)).description, "last <HR>");
    const std::string before = FullDump(t.model);
    ASSERT_TRUE(SaveOver());
    EXPECT_EQ(Reread(), before);
}

TEST_F(RealShapesTest, AStrayQuoteOrApostropheNeverSwallowsTheNextLines) {
    ASSERT_TRUE(Load(std::string(kHead) +
                     "<DT><A HREF=\"http://s/?q=\"exact\" ADD_DATE=\"3\">search</A>\n"
                     "<DT><A HREF=\"http://next/\" ADD_DATE=\"4\">next</A>\n"
                     "<DT><A HREF=http://e/it's>apostrophe</A>\n"
                     "<DT><H3>Folder</H3>\n<DL><p>\n"
                     "<DT><A HREF=\"http://in/\">in</A>\n"
                     "</DL><p>\n"
                     "</DL><p>\n"));
    EXPECT_EQ(FullDump(t.model),
              "-1|R|Bookmarks|\n"
              "0|U|search|http://s/?q=\"exact|3||\n"
              "0|U|next|http://next/|4||\n"
              "0|U|apostrophe|http://e/it's|||\n"
              "0|F|Folder|---|||\n"
              "4|U|in|http://in/|||\n");
    const std::string before = FullDump(t.model);
    ASSERT_TRUE(SaveOver());
    EXPECT_EQ(Reread(), before);
}

TEST_F(RealShapesTest, ABookmarkWithTheFolderMarkerAsUrlIsLeftOutAndSaid) {
    ASSERT_TRUE(Load(std::string(kHead) + "<DT><A HREF=\"---\">dashes</A>\n" +
                     "<DT><A HREF=\"http://a/\">a</A>\n</DL><p>\n"));
    EXPECT_EQ(FullDump(t.model), "-1|R|Bookmarks|\n0|U|a|http://a/|||\n");
    ASSERT_FALSE(t.diagnostics.readingLog.empty());
    const std::string said =
        "URL が \"---\" のブックマークは読み込めません（上書保存するとファイルから失われます） : "
        "dashes";
    EXPECT_EQ(t.diagnostics.readingLog.back(), said);
    // The file holds more than the table: its overwrite save asks first.
    EXPECT_TRUE(t.model.IsRootPartial(0));

    // The command line says it too.
    std::ostringstream out, err;
    RunCli({"list", path}, out, err);
    EXPECT_NE(err.str().find(said), std::string::npos);
}

TEST_F(RealShapesTest, ADeclaredCharsetThatIsNotAsciiCompatibleCountsAsUndeclared) {
    EXPECT_EQ(CanonicalCharset("UTF-7"), "");
    EXPECT_EQ(CanonicalCharset("UTF-16"), "");
    EXPECT_EQ(CanonicalCharset("ISO-2022-JP"), "");
    EXPECT_EQ(CanonicalCharset("EUC-JP"), "EUC-JP");
    // "+AGE-" is "a" in UTF-7; read as the undeclared file it is, the name stays as written
    // and survives a save and a read.
    ASSERT_TRUE(
        Load("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-7\">\n"
             "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">x+AGE-y</A>\n"
             "</DL><p>\n"));
    EXPECT_EQ(t.model.glName[1], "x+AGE-y");
    const std::string before = FullDump(t.model);
    ASSERT_TRUE(SaveOver());
    EXPECT_EQ(Reread(), before);
}

TEST_F(RealShapesTest, SecondCodesOfCp932KeepTheirBytesAndShowAsTheirCharacters) {
    // 髙 as EE E0, 﨑 as ED 95, ≒ as 87 90, ￢ as FA 54: the codes Windows tools write.
    const std::string bytes =
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n"
        "<TITLE>R</TITLE>\r\n<DL><p>\r\n"
        "<DT><A HREF=\"http://x/\">\xEE\xE0\x8B\xB4 \x8ER\xED\x95</A>\r\n"
        "<DT><A HREF=\"http://y/\">\x87\x90 \xFA\x54</A>\r\n</DL><p>\r\n";
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(ShownText(t.model.glName[1]), "髙橋 山﨑");
    EXPECT_EQ(ShownText(t.model.glName[2]), "≒ ￢");
    // Not one undecodable byte: nothing to warn about.
    EXPECT_TRUE(t.diagnostics.readingLog.empty() ||
                t.diagnostics.readingLog.back().find("変換できない") == std::string::npos);
    // Found by the characters around them and by themselves.
    for (const char* word : {"橋", "山", "髙", "﨑"}) {
        EXPECT_EQ(FindEntries(t.model, MakeSearchQuery(word, SearchField::Title, false)),
                  std::vector<int>{1})
            << word;
    }
    // Written back as the very same bytes.
    ASSERT_TRUE(SaveOver());
    const std::string saved = ReadBytes(path);
    EXPECT_NE(saved.find("\">\xEE\xE0\x8B\xB4 \x8ER\xED\x95</A>"), std::string::npos);
    EXPECT_NE(saved.find("\">\x87\x90 \xFA\x54</A>"), std::string::npos);
    // In UTF-8 they are the characters, without a question about lost bytes.
    t.settings.saveInUtf8 = true;
    t.prompts.questions.clear();
    ASSERT_TRUE(SaveOver());
    EXPECT_EQ(t.prompts.questions.size(), 1u);  // only the usual overwrite question
    EXPECT_NE(ReadBytes(path).find("\">髙橋 山﨑</A>"), std::string::npos);
}

TEST_F(RealShapesTest, CharactersCp932ConvertsOneWayBecomeReferences) {
    ASSERT_TRUE(Load("<TITLE>R</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n</DL><p>\n"));
    const std::string name = "〜 − ‖ ¬ — ¢ £ ～";
    TableSurgery::SetName(t.model, 1, name);
    std::string encoded;
    TextEncoder(kCp932, &AppendNumericReference).Encode(name, encoded);
    EXPECT_EQ(encoded, "&#12316; &#8722; &#8214; &#172; &#8212; &#162; &#163; \x81\x60");
    // Saved in Shift_JIS and read back, the name is the same and a search for 〜 finds it.
    ASSERT_TRUE(SaveOver());
    TestModel again;
    int urls = 0;
    ASSERT_TRUE(
        Unpacked(LoadSource(again.model, true, path, SourceKind::BookmarkFile), urls, error));
    EXPECT_EQ(again.model.glName[1], name);
    EXPECT_EQ(FindEntries(again.model, MakeSearchQuery("〜", SearchField::Title, false)),
              std::vector<int>{1});
}

TEST_F(RealShapesTest, WhatTheWriterWritesNeverChangesTheStructure) {
    // A folder line with its list on the same line, and names with line breaks.
    ASSERT_TRUE(
        Load("<TITLE>R</TITLE>\n<DL><p>\n"
             "<DT><H3>Folder</H3><DL><p>\n"
             "<DT><A HREF=\"http://in/\">in</A>\n"
             "</DL><p>\n"
             "<DT><A HREF=\"http://sibling/\">sibling</A>\n"
             "</DL><p>\n"));
    EXPECT_EQ(t.model.glVisit[1], "");
    TableSurgery::SetName(t.model, 2, "two\r\nlines");
    TableSurgery::SetVisited(t.model, 1, "http://save/?a=<b>");
    const std::string before = FullDump(t.model);
    ASSERT_TRUE(SaveOver());
    const std::string saved = ReadBytes(path);
    EXPECT_EQ(saved.find("<DL><p><DL><p>"), std::string::npos);
    EXPECT_NE(saved.find("two&#13;&#10;lines</A>"), std::string::npos);
    EXPECT_NE(saved.find("</H3>http://save/?a=&lt;b&gt;"), std::string::npos);
    EXPECT_EQ(Reread(), before);
}

TEST_F(RealShapesTest, AnOverwriteSaveWritesEveryRootItsFileGave) {
    ASSERT_TRUE(
        Load("<TITLE>One</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n</DL><p>\n"
             "<TITLE>Two</TITLE>\n<DL><p>\n<DT><A HREF=\"http://b/\">b</A>\n</DL><p>\n"));
    ASSERT_EQ(t.model.glCT, 4);
    // Another file, read after it, is not written into this one.
    const std::string other = temp.Write("other.htm", "<TITLE>Other</TITLE>\n<DL><p>\n</DL><p>\n");
    int urls = 0;
    ASSERT_TRUE(Unpacked(LoadSource(t.model, false, other, SourceKind::BookmarkFile), urls, error));
    TableSurgery::SetName(t.model, 3, "b edited");
    const std::string before = FullDump(t.model);
    ASSERT_TRUE(SaveOver(2));  // from the second root
    const std::string saved = Reread();
    EXPECT_EQ(saved, "-1|R|One|\n0|U|a|http://a/|||\n-1|R|Two|\n2|U|b edited|http://b/|||\n");
    EXPECT_EQ(before.substr(0, saved.size()), saved);
    EXPECT_EQ(ReadBytes(other), "<TITLE>Other</TITLE>\n<DL><p>\n</DL><p>\n");
}

TEST_F(RealShapesTest, ChangesAreKnownPerRoot) {
    ASSERT_TRUE(Load("<TITLE>One</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n</DL><p>\n"));
    const std::string other =
        temp.Write("other.htm",
                   "<TITLE>Other</TITLE>\n<DL><p>\n<DT><A HREF=\"http://o/\">o</A>\n"
                   "</DL><p>\n");
    int urls = 0;
    ASSERT_TRUE(Unpacked(LoadSource(t.model, false, other, SourceKind::BookmarkFile), urls, error));
    t.model.MarkSaved();
    EXPECT_TRUE(t.model.ChangedRoots().empty());
    ASSERT_GE(t.model.NewUrl(t.model.glNode[1], {"n", "http://n/", "", "", ""}, false), 0);
    ASSERT_TRUE(t.model.EditUrlEntry(4, {"o2", "http://o/", "", "", ""}));
    EXPECT_EQ(t.model.ChangedRoots(), (std::vector<int>{0, 3}));
    // Saving the first root leaves the second one changed, and the collection too.
    ASSERT_TRUE(SaveOver(0));
    EXPECT_EQ(t.model.ChangedRoots(), std::vector<int>{3});
    EXPECT_TRUE(t.model.glChanged);
    // Undoing the second root's edit brings it back to what its file holds.
    ASSERT_TRUE(t.model.Undo());
    EXPECT_TRUE(t.model.ChangedRoots().empty());
    ASSERT_TRUE(SaveOver(3));
    EXPECT_FALSE(t.model.glChanged);
}

// Random files of several roots whose names come from a pool of what real files hold: read,
// every root saved over its file, read again gives the same entries.
TEST_F(RealShapesTest, RandomFilesOfSeveralRootsSurviveSavesOverThemselves) {
    const std::vector<std::string> pool = {
        "plain",
        "<title>: The Document Title element",
        "a <dl> b",
        "<!-- open",
        "<!doctype html>",
        "q=\"exact",
        "it's",
        "---",
        "<H3>x</H3>",
        "&amp; &lt;",
        "<a href=\"x\">link</a>",
        "</DL><p>",
        "日本語 〜",
        "<DT>",
        "",
        "tab\there",
        "<h1>head</h1>",
        "--> after",
    };
    const std::vector<std::string> urls = {
        "http://a/",     "http://s/?q=\"exact",     "---",
        "http://e/it's", "javascript:alert('<x>')", "http://amp/?a=1&b=2"};
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&random](const std::vector<std::string>& from) {
            return from[random() % from.size()];
        };
        std::string file =
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n";
        const int roots = 1 + static_cast<int>(random() % 3);
        for (int r = 0; r < roots; ++r) {
            file += "<TITLE>" + EscapeHtml(pick(pool)) + "</TITLE>\n<DL><p>\n";
            int depth = 0;
            for (int line = 0; line < 12; ++line) {
                const unsigned what = random() % 6;
                if (what == 0 && depth < 4) {
                    file += "<DT><H3 ADD_DATE=\"1\">" + pick(pool) + "</H3>\n<DL><p>\n";
                    ++depth;
                } else if (what == 1 && depth > 0) {
                    file += "</DL><p>\n";
                    --depth;
                } else {
                    // Names raw, as old writers left them; URLs escaped or raw.
                    const std::string url = pick(urls);
                    file += "<DT><A HREF=\"" + (random() % 2 ? EscapeHtml(url) : url) +
                            "\" ADD_DATE=\"" + std::to_string(random() % 1000) + "\">" +
                            pick(pool) + "</A>\n";
                }
            }
            while (depth-- > 0) file += "</DL><p>\n";
            file += "</DL><p>\n";
        }
        TestModel first;
        path = temp.Write("random.htm", file);
        int count = 0;
        Unpacked(LoadSource(first.model, true, path, SourceKind::BookmarkFile), count, error);
        const std::string read = FullDump(first.model);
        for (int root = 0; root < first.model.glCT; root += first.model.SubtreeWidth(root)) {
            first.prompts.nextAnswer = Answer::Yes;
            first.model.SetCurrent(root);
            ASSERT_TRUE(SaveBM(first.model)) << "seed " << seed << "\n" << file;
            ASSERT_EQ(Reread(), read) << "seed " << seed << "\n" << file;
        }
    }
}

TEST_F(RealShapesTest, AReadStoppedAtCapacityReturnsItsMessageAndClosesThePleaseWaitBox) {
    t.settings.maxUrl = "3";
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 5; ++k) file += "<DT><A HREF=\"http://" + std::to_string(k) + "/\">u</A>\n";
    EXPECT_FALSE(Load(file));
    EXPECT_EQ(error, "URL MAX !!  設定のMAX値を修正して下さい");
    // Said once, by the caller, over the window: the reader shows nothing and leaves no box.
    EXPECT_TRUE(t.prompts.messages.empty());
    EXPECT_EQ(t.progress.caption, "");
}
