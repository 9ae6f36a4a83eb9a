// What browsers write beyond the table's columns (attributes, descriptions, separators) stays
// on its entry through reads and saves.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands/FavoritesCommands.h"
#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "formats/favorites/FavoritesWriter.h"
#include "model/EntryExtras.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::CorpusDir;
using pernard::testing::TempDir;
using pernard::testing::TestModel;

namespace {

// One entry as a comparison sees it: its place, its columns and its extras, parsed.
struct EntryView {
    int parent;
    std::string url, name;
    EntryExtras extras;
};

std::vector<EntryView> Entries(const BmLogic& model) {
    std::vector<EntryView> entries;
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        entries.push_back({model.gloya[k], std::string(model.glUrl[k]),
                           std::string(model.glName[k]), UnpackExtras(model.ExtrasOf(i))});
    }
    return entries;
}

int EntriesWithExtras(const BmLogic& model) {
    int count = 0;
    for (int i = 0; i < model.glCT; ++i) count += model.ExtrasOf(i).empty() ? 0 : 1;
    return count;
}

bool Read(TestModel& t, const std::string& path) {
    t.settings.maxUrl = "1000000";
    int urls = 0;
    std::string error;
    return Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile), urls, error);
}

void ExpectSameEntries(const std::vector<EntryView>& before, const std::vector<EntryView>& after,
                       const std::string& what) {
    ASSERT_EQ(before.size(), after.size()) << what;
    for (std::size_t k = 0; k < before.size(); ++k) {
        const EntryView& a = before[k];
        const EntryView& b = after[k];
        const std::string where = what + " entry " + std::to_string(k) + " " + a.name;
        EXPECT_EQ(a.parent, b.parent) << where;
        EXPECT_EQ(a.url, b.url) << where;
        EXPECT_EQ(a.name, b.name) << where;
        EXPECT_EQ(a.extras.attributes, b.extras.attributes) << where;
        EXPECT_EQ(a.extras.hasDescription, b.extras.hasDescription) << where;
        EXPECT_EQ(a.extras.description, b.extras.description) << where;
        EXPECT_EQ(a.extras.separatorsBefore, b.extras.separatorsBefore) << where;
        EXPECT_EQ(a.extras.separatorsAtEnd, b.extras.separatorsAtEnd) << where;
        EXPECT_EQ(a.extras.headingAttributes, b.extras.headingAttributes) << where;
        EXPECT_EQ(a.extras.hasHeading, b.extras.hasHeading) << where;
        EXPECT_EQ(a.extras.heading, b.extras.heading) << where;
    }
}

// Reads `path`, saves it, reads the saved file and compares entry by entry; the saved file is
// saved once more and must come out byte for byte the same.
int RoundTrip(const std::string& path, const std::string& what) {
    TempDir dir;
    TestModel first;
    Read(first, path);
    const std::vector<EntryView> before = Entries(first.model);
    const int withExtras = EntriesWithExtras(first.model);
    const std::string saved = (dir.Path() / "saved.htm").string();
    EXPECT_TRUE(WriteBookmarkFile(first.model, saved, 0)) << what;
    TestModel second;
    EXPECT_TRUE(Read(second, saved)) << what;
    ExpectSameEntries(before, Entries(second.model), what);
    EXPECT_EQ(BookmarkFileText(second.model, 0), pernard::testing::ReadBytes(saved)) << what;
    return withExtras;
}

TEST(Extras, EveryCorpusFileKeepsWhatItsEntriesCarryThroughASave) {
    const std::filesystem::path dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    int withExtras = 0;
    for (const auto& file : std::filesystem::directory_iterator(dir / "netscape")) {
        TestModel probe;
        if (!Read(probe, file.path().string()) || probe.model.glCT == 0) continue;
        // Files of several roots are saved root by root elsewhere; here the first holds all.
        int roots = 0;
        for (int i = 0; i < probe.model.glCT; ++i) roots += probe.model.gloya[i] < 0 ? 1 : 0;
        if (roots != 1) continue;
        withExtras += RoundTrip(file.path().string(), file.path().filename().string());
    }
    // The exports hold tags, icons, keywords, the toolbar folder, descriptions, separators.
    EXPECT_GE(withExtras, 80);
}

constexpr const char* kEveryKind =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Bookmarks</TITLE>\n"
    "<H1>Bookmarks</H1>\n"
    "<DD>The root's own words\n"
    "<DL><p>\n"
    "    <HR>\n"
    "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\" PERSONAL_TOOLBAR_FOLDER=\"true\" "
    "ID=\"rdf:#$FvPhC3\">Toolbar</H3>\n"
    "    <DD>Folder description &amp; more\n"
    "    <DL><p>\n"
    "        <HR>\n"
    "        <HR>\n"
    "        <DT><A HREF=\"http://a.example/\" ADD_DATE=\"3\" ICON_URI=\"http://a.example/f.ico\" "
    "ICON=\"data:image/png;base64,iVBORw0KGgo=\" SHORTCUTURL=\"kw\" TAGS=\"x,y z\" "
    "LAST_CHARSET=\"UTF-8\" FEEDURL=\"http://a.example/feed\" WEB_PANEL=\"true\" "
    "POST_DATA=\"q=%s\" PRIVATE=\"1\">A</A>\n"
    "        <DD>First line &lt;b&gt;bold&lt;/b&gt; &#x263A;\n"
    "          second line\n"
    "\n"
    "          after a blank line\n"
    "        <DT><A HREF=\"http://b.example/\" ALIASID=\"7\" FOLDED>B</A>\n"
    "        <HR>\n"
    "    </DL><p>\n"
    "    <DT><H3 FOLDED>Empty</H3>\n"
    "    <DL><p>\n"
    "        <HR>\n"
    "    </DL><p>\n"
    "    <DT><A HREF=\"http://c.example/\" ALIASOF=\"7\">C</A>\n"
    "    <HR>\n"
    "</DL><p>\n";

TEST(Extras, EveryKindIsReadOntoItsEntry) {
    TempDir dir;
    TestModel t;
    ASSERT_TRUE(Read(t, dir.Write("every.htm", kEveryKind)));
    ASSERT_EQ(t.model.glCT, 6);
    const EntryExtras root = UnpackExtras(t.model.ExtrasOf(0));
    EXPECT_EQ(root.description, "The root's own words");
    EXPECT_EQ(root.separatorsAtEnd, 1);

    const EntryExtras toolbar = UnpackExtras(t.model.ExtrasOf(1));
    EXPECT_EQ(toolbar.attributes,
              " LAST_MODIFIED=\"2\" PERSONAL_TOOLBAR_FOLDER=\"true\" ID=\"rdf:#$FvPhC3\"");
    EXPECT_EQ(toolbar.separatorsBefore, 1);
    EXPECT_EQ(toolbar.separatorsAtEnd, 1);
    EXPECT_EQ(DescriptionText(toolbar.description), "Folder description & more");

    const EntryExtras a = UnpackExtras(t.model.ExtrasOf(2));
    EXPECT_EQ(a.separatorsBefore, 2);
    EXPECT_EQ(TagsText(a.attributes), "x,y z");
    EXPECT_NE(a.attributes.find(" SHORTCUTURL=\"kw\""), std::string::npos);
    EXPECT_NE(a.attributes.find(" POST_DATA=\"q=%s\" PRIVATE=\"1\""), std::string::npos);
    EXPECT_EQ(a.attributes.find("HREF"), std::string::npos);
    EXPECT_EQ(DescriptionText(a.description),
              "First line <b>bold</b> \xE2\x98\xBA\nsecond line\nafter a blank line");
    EXPECT_EQ(NotesText(t.model.ExtrasOf(2)),
              "First line <b>bold</b> \xE2\x98\xBA\nsecond line\nafter a blank line\nタグ: x,y z");

    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(3)).attributes, " ALIASID=\"7\" FOLDED");
    const EntryExtras empty = UnpackExtras(t.model.ExtrasOf(4));
    EXPECT_EQ(empty.separatorsAtEnd, 1);
    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(5)).attributes, " ALIASOF=\"7\"");
}

TEST(Extras, EveryKindSurvivesSavesInTheFilesEncodingAndInUtf8) {
    TempDir dir;
    const std::string path = dir.Write("every.htm", kEveryKind);
    EXPECT_EQ(RoundTrip(path, "every kind"), 6);

    // Into Shift_JIS and back: the smiley goes as a reference, the rest as it was.
    TestModel t;
    ASSERT_TRUE(Read(t, path));
    TableSurgery::SetRootCharset(t.model, 0, "CP932");
    const std::string saved = (dir.Path() / "sjis.htm").string();
    ASSERT_TRUE(WriteBookmarkFile(t.model, saved, 0));
    TestModel back;
    ASSERT_TRUE(Read(back, saved));
    EXPECT_EQ(NotesText(back.model.ExtrasOf(2)), NotesText(t.model.ExtrasOf(2)));
    EXPECT_EQ(back.model.ExtrasOf(1), t.model.ExtrasOf(1));
}

TEST(Extras, EntriesWithoutAnyCostNothingAndWriteAsBefore) {
    TempDir dir;
    const std::string plain =
        "<TITLE>T</TITLE>\n<DL><p>\n<DT><H3 ADD_DATE=\"1\">F</H3>\n<DL><p>\n"
        "<DT><A HREF=\"http://x/\" ADD_DATE=\"2\" LAST_VISIT=\"3\" LAST_MODIFIED=\"4\">X</A>\n"
        "</DL><p>\n</DL><p>\n";
    TestModel t;
    ASSERT_TRUE(Read(t, dir.Write("plain.htm", plain)));
    EXPECT_EQ(EntriesWithExtras(t.model), 0);
    const std::string text = BookmarkFileText(t.model, 0);
    EXPECT_NE(text.find("<DT><H3 ADD_DATE=\"1\">F</H3>"), std::string::npos);
    EXPECT_NE(text.find("<DT><A HREF=\"http://x/\" ADD_DATE=\"2\" LAST_VISIT=\"3\" "
                        "LAST_MODIFIED=\"4\">X</A>"),
              std::string::npos);
}

TEST(Extras, ARootKeepsItsOwnHeading) {
    // The heading line a save writes for each shape of heading, before and after the root is
    // renamed: a heading that repeats the title follows the root's name, one of its own stays.
    struct Shape {
        const char* label;
        std::string lines;
        const char* written;
        const char* renamed;
    };
    const Shape shapes[] = {
        {"the title again", "<TITLE>T &amp; U</TITLE>\n<H1>T &#38; U</H1>\n", "<H1>T &amp; U</H1>",
         "<H1>R</H1>"},
        {"a text of its own", "<TITLE>T</TITLE>\n<H1>Bookmarks Menu</H1>\n",
         "<H1>Bookmarks Menu</H1>", "<H1>Bookmarks Menu</H1>"},
        {"attributes, markup and references as written",
         "<TITLE>T</TITLE>\n<h1  LAST_MODIFIED=\"1177541029\" FOLDED>A <b>&amp;</b> &#x42;</h1>\n",
         "<H1 LAST_MODIFIED=\"1177541029\" FOLDED>A <b>&amp;</b> &#x42;</H1>",
         "<H1 LAST_MODIFIED=\"1177541029\" FOLDED>A <b>&amp;</b> &#x42;</H1>"},
        {"no heading", "<TITLE>T</TITLE>\n", "<H1>T</H1>", "<H1>R</H1>"},
        {"a heading spread over lines", "<TITLE>T</TITLE>\n<H1 ID=\"h\">\nMine\n</H1>\n",
         "<H1 ID=\"h\">T</H1>", "<H1 ID=\"h\">R</H1>"},
        {"a heading before the title is the file's, not the root's",
         "<H1>Mine</H1>\n<TITLE>T</TITLE>\n", "<H1>T</H1>", "<H1>R</H1>"},
    };
    auto headingLine = [](const std::string& text) {
        const std::size_t at = text.find("<H1");
        return text.substr(at, text.find("\r\n", at) - at);
    };
    TempDir dir;
    for (const Shape& shape : shapes) {
        TestModel t;
        const std::string path = dir.Write(
            "h.htm", shape.lines + "<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n</DL><p>\n");
        ASSERT_TRUE(Read(t, path)) << shape.label;
        const std::string saved = BookmarkFileText(t.model, 0);
        EXPECT_EQ(headingLine(saved), shape.written) << shape.label;
        // Read back, the root holds the same heading.
        TestModel back;
        ASSERT_TRUE(Read(back, dir.Write("back.htm", saved))) << shape.label;
        EXPECT_EQ(back.model.ExtrasOf(0), t.model.ExtrasOf(0)) << shape.label;
        ASSERT_TRUE(t.model.EditFolderEntry(0, "R", std::string(t.model.glVisit[0])));
        EXPECT_EQ(headingLine(BookmarkFileText(t.model, 0)), shape.renamed) << shape.label;
    }
    // A heading with attributes on a description's later line is the description's, as before.
    TestModel t;
    ASSERT_TRUE(Read(t, dir.Write("d.htm",
                                  "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n"
                                  "<DD>first\n<h1 class=\"x\">inner</h1>\n</DL><p>\n")));
    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(1)).description, "first\n<h1 class=\"x\">inner</h1>");
}

TEST(Extras, DescriptionsNeverSwallowWhatFollows) {
    TempDir dir;
    // A description that opens a comment, one that closes the list on its line, one after a
    // bookmark the read leaves out, and an attribute that never ends: none may take an entry
    // with it on the way back.
    const std::string file =
        "<TITLE>T</TITLE>\n<DL><p>\n"
        "<DT><A HREF=\"http://a/\">A</A>\n<DD>note <!-- open\n"
        "-->\n"
        "<DT><A HREF=\"http://b/\">B</A>\n<DD>last</DL><p>\n"
        "<DT><A HREF=\"---\">Marker</A>\n<DD>belongs to nothing\n"
        "<DT><A HREF=\"http://c/\">C</A>\n"
        "<DT><A HREF=\"http://d/\" PRIVATE=\"never closed><p>\n"
        "</DL><p>\n";
    TestModel t;
    ASSERT_TRUE(Read(t, dir.Write("tricky.htm", file)));
    ASSERT_EQ(t.model.glCT, 5);
    // A value the line never closes is kept closed: written open, it would take the tag along.
    const std::string open = UnpackExtras(t.model.ExtrasOf(4)).attributes;
    EXPECT_EQ(open.rfind(" PRIVATE=\"never closed><p>", 0), 0u) << open;
    EXPECT_EQ(open.back(), '"') << open;
    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(1)).description, "note ");
    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(2)).description, "last");
    EXPECT_TRUE(t.model.ExtrasOf(3).empty());
    const std::string saved = (dir.Path() / "saved.htm").string();
    ASSERT_TRUE(WriteBookmarkFile(t.model, saved, 0));
    TestModel back;
    ASSERT_TRUE(Read(back, saved));
    ExpectSameEntries(Entries(t.model), Entries(back.model), "tricky");
}

}  // namespace

namespace {

int FindNamed(const BmLogic& model, const std::string& name) {
    for (int i = 0; i < model.glCT; ++i) {
        if (model.glName[i] == name) return i;
    }
    return -1;
}

}  // namespace

TEST(Extras, EditsCarryThemAndTheSavedFileHoldsThemOnTheRightEntries) {
    TempDir dir;
    TestModel t;
    ASSERT_TRUE(Read(t, dir.Write("every.htm", kEveryKind)));
    BmLogic& m = t.model;
    const std::string toolbar(m.ExtrasOf(FindNamed(m, "Toolbar")));
    const std::string a(m.ExtrasOf(FindNamed(m, "A")));
    // The toolbar folder moves below the last bookmark; A is copied into the empty folder and
    // edited there; C is deleted and the deletion undone.
    ASSERT_GE(m.DropMove(m.glNode[FindNamed(m, "Toolbar")], m.glNode[FindNamed(m, "C")], false), 0);
    m.MarkClip(FindNamed(m, "A"), false);
    const int pasted = m.PasteClip(FindNamed(m, "Empty"));
    ASSERT_GE(pasted, 0);
    ASSERT_TRUE(m.EditUrlEntry(pasted, {"A copy", "http://a2.example/", "", "", ""}));
    const std::string c(m.ExtrasOf(FindNamed(m, "C")));
    ASSERT_TRUE(m.DeleteNode(m.glNode[FindNamed(m, "C")], false));
    ASSERT_TRUE(m.Undo());
    EXPECT_EQ(m.ExtrasOf(FindNamed(m, "C")), c);
    ASSERT_TRUE(m.Redo());
    ASSERT_TRUE(m.Undo());

    const std::string saved = (dir.Path() / "edited.htm").string();
    ASSERT_TRUE(WriteBookmarkFile(m, saved, 0));
    TestModel back;
    ASSERT_TRUE(Read(back, saved));
    EXPECT_EQ(back.model.ExtrasOf(FindNamed(back.model, "Toolbar")), toolbar);
    EXPECT_EQ(back.model.ExtrasOf(FindNamed(back.model, "A")), a);
    EXPECT_EQ(back.model.ExtrasOf(FindNamed(back.model, "A copy")), a);
    EXPECT_EQ(back.model.ExtrasOf(FindNamed(back.model, "C")), c);
    EXPECT_EQ(back.model.gloya[FindNamed(back.model, "A copy")], FindNamed(back.model, "Empty"));
}

TEST(Extras, AFavoritesSaveSaysOnceWhatItCannotHold) {
    TempDir dir;
    TestModel t;
    ASSERT_TRUE(Read(t, dir.Write("every.htm", kEveryKind)));
    t.settings.noOverwriteQuestion = true;
    const std::string target = (dir.Path() / "Favorites").string();
    std::filesystem::create_directory(target);
    ASSERT_TRUE(SaveFavorite(t.model, target, 0));
    // The root, both folders and the three bookmarks carry what only a bookmark file holds.
    EXPECT_EQ(t.diagnostics.checkLog, std::vector<std::string>{DroppedExtrasMessage(6)});
    // The entries keep them: a bookmark file saved afterwards still has them.
    EXPECT_EQ(EntriesWithExtras(t.model), 6);
}
