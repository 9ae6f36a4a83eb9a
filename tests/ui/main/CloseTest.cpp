#include "ui/UiFixture.h"
#include "support/TableSurgery.h"

using namespace pernard;
using namespace pernard::testing;

class CloseTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        file = temp.Write("b.htm", ReadBytes(Sample()));
        original = ReadBytes(file);
        Store("Setting/fmBookmark.CkUwagaki", "1");
        Start(ui::StartupOverride{SourceKind::BookmarkFile, file});
        TableSurgery::SetChanged(Model(), true);
        TableSurgery::SetName(Model(), 2, "changed");
    }
    std::string file;
    std::string original;
};

TEST_F(CloseTest, CancelKeepsTheWindowAndTheTable) {
    prompts.nextAnswer = Answer::Cancel;
    EXPECT_FALSE(Main().FormCloseQuery());
    EXPECT_EQ(prompts.questions, (std::vector<std::string>{"変更内容を保存しますか？ "}));
    EXPECT_TRUE(Model().glChanged);
    EXPECT_EQ(ReadBytes(file), original);
}

TEST_F(CloseTest, NoClosesWithoutWriting) {
    prompts.nextAnswer = Answer::No;
    EXPECT_TRUE(Main().FormCloseQuery());
    EXPECT_EQ(ReadBytes(file), original);
}

TEST_F(CloseTest, YesSavesOverTheSource) {
    prompts.nextAnswer = Answer::Yes;
    EXPECT_TRUE(Main().FormCloseQuery());
    EXPECT_NE(ReadBytes(file).find("changed"), std::string::npos);
}

TEST_F(CloseTest, NoChangesAndCloseWithoutSavingAskNothing) {
    TableSurgery::SetChanged(Model(), false);
    EXPECT_TRUE(Main().FormCloseQuery());
    EXPECT_TRUE(prompts.questions.empty());
    TableSurgery::SetChanged(Model(), true);
    Main().C2Click();
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_FALSE(Model().glChanged);
    EXPECT_EQ(ReadBytes(file), original);
}

TEST_F(CloseTest, OverwriteSaveFromTheMenuClearsTheChangedFlag) {
    Model().SetCurrent(2);
    Main().miFileSaveClick();
    EXPECT_FALSE(Model().glChanged);
    EXPECT_NE(ReadBytes(file).find("changed"), std::string::npos);
}

TEST_F(UiTest, AStoppedStartUpReadSaysSoAndIsNotSavedOverItsFileByMistake) {
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 15; ++k)
        file += "<DT><A HREF=\"http://" + std::to_string(k) + "/\">u</A>\n";
    const std::string path = temp.Write("fifteen.htm", file);
    Store("Window/fmBookmark.MaxURL", "5");
    Start(ui::StartupOverride{SourceKind::BookmarkFile, path});
    EXPECT_EQ(Main().Panel(0), "エラー URL MAX !!  設定のMAX値を修正して下さい");
    EXPECT_EQ(prompts.messages.back(), "URL MAX !!  設定のMAX値を修正して下さい");
    // Closing after an edit: save? Yes. The partial question's safe answer keeps everything.
    TableSurgery::SetChanged(Model(), true);
    Model().SetCurrent(1);
    prompts.answers = {Answer::Yes, Answer::Yes, Answer::No};
    EXPECT_FALSE(Main().FormCloseQuery());
    EXPECT_EQ(prompts.buttons.back(), Buttons::YesNoDefaultNo);
    EXPECT_EQ(ReadBytes(path), file);
}

TEST_F(CloseTest, YesSavesEveryRootWithChangesAndMenuSavesOnlyTheSelectedOne) {
    const std::string second = temp.Write("second.htm", ReadBytes(Sample()));
    dialogs.nextFile = second;
    const int secondRoot = Model().Tree().Count();
    Main().NetScape1Click();
    ASSERT_EQ(Model().gloya[secondRoot], -1);
    const int entry = secondRoot + 2;
    TableSurgery::SetName(Model(), static_cast<std::size_t>(entry), "second changed");
    EXPECT_EQ(Model().ChangedRoots(), (std::vector<int>{0, secondRoot}));

    // 上書保存 of the second root: the first one keeps its changes, and so does the collection.
    Model().SetCurrent(entry);
    Main().miFileSaveClick();
    EXPECT_NE(ReadBytes(second).find("second changed"), std::string::npos);
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_TRUE(Model().glChanged);
    EXPECT_EQ(Model().ChangedRoots(), std::vector<int>{0});
    // A change of what the table keeps beside the columns (a description) is a change too.
    EntryExtras described = UnpackExtras(Model().ExtrasOf(entry + 1));
    described.hasDescription = true;
    described.description = "described later";
    ASSERT_TRUE(Model().EditExtras(entry + 1, described));
    EXPECT_EQ(Model().ChangedRoots(), (std::vector<int>{0, secondRoot}));

    // At close, はい saves what is left, whatever is selected.
    TableSurgery::SetName(Model(), static_cast<std::size_t>(entry), "second again");
    prompts.nextAnswer = Answer::Yes;
    EXPECT_TRUE(Main().FormCloseQuery());
    EXPECT_NE(ReadBytes(file).find("changed"), std::string::npos);
    EXPECT_NE(ReadBytes(second).find("second again"), std::string::npos);
    EXPECT_NE(ReadBytes(second).find("<DD>described later"), std::string::npos);
    EXPECT_FALSE(Model().glChanged);
}

TEST_F(UiTest, AFavoritesSaveThatLeftEntriesUnwrittenKeepsTheWindowOpen) {
    const std::string favorites = (temp.Path() / "Favorites").string();
    temp.Write("Favorites/a.url", "[InternetShortcut]\r\nURL=http://a/\r\n");
    Store("Setting/fmBookmark.CkUwagaki", "1");
    Start(ui::StartupOverride{SourceKind::Favorites, favorites});
    // A bookmark without a name can be no file name.
    ASSERT_TRUE(Model().EditUrlEntry(1, {"", "http://a/", "", "", ""}));
    prompts.nextAnswer = Answer::Yes;
    EXPECT_FALSE(Main().FormCloseQuery());
    EXPECT_EQ(Main().Panel(0), "OK : 0  NG : 1");
    EXPECT_TRUE(Model().glChanged);
}

TEST_F(CloseTest, LoadingInPlaceOfUnsavedEditsAsksFirstAsClosingDoes) {
    const std::string other = temp.Write("other.htm", "<TITLE>Other</TITLE>\n<DL><p>\n</DL><p>\n");
    const std::string favorites = (temp.Path() / "Favorites").string();
    temp.Write("Favorites/f.url", "[InternetShortcut]\r\nURL=http://f/\r\n");
    const std::vector<std::function<void()>> loads = {
        [&] {
            dialogs.nextFile = other;
            Main().NetScapeB1Click();
        },
        [&] {
            dialogs.nextDirectory = favorites;
            Main().IE1Click();
        }};
    for (const auto& load : loads) {
        // Cancel keeps the collection and its edits.
        prompts.questions.clear();
        prompts.answers = {Answer::Cancel};
        load();
        EXPECT_EQ(prompts.questions, (std::vector<std::string>{"変更内容を保存しますか？ "}));
        EXPECT_EQ(Model().glName[2], "changed");
        EXPECT_TRUE(Model().glChanged);
    }
    // Yes saves them over their source before the other collection is read.
    prompts.answers = {Answer::Yes};
    loads[0]();
    EXPECT_NE(ReadBytes(file).find("changed"), std::string::npos);
    EXPECT_EQ(Model().glName[0], "Other");
    EXPECT_FALSE(Model().glChanged);
}
