#include "ui/UiFixture.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

const char* kFile =
    "<TITLE>Root</TITLE>\n<DL><p>\n"
    "<DT><H3>Folder</H3>extra\n<DL><p>\n"
    "<DT><A HREF=\"http://a/\" ADD_DATE=\"931996800\" LAST_VISIT=\"99\" "
    "LAST_MODIFIED=\"100\">a</A>\n"
    "<DT><H3>Inner</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://deep/\" ADD_DATE=\"x\" LAST_VISIT=\"\" LAST_MODIFIED=\"\">deep</A>\n"
    "</DL><p>\n</DL><p>\n"
    "<DT><H3>Empty</H3>\n<DL><p>\n</DL><p>\n"
    "<DT><A HREF=\"http://top/\" LAST_VISIT=\"5\" LAST_MODIFIED=\"5\">top</A>\n";

class ListViewTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        Start(ui::StartupOverride{SourceKind::BookmarkFile, temp.Write("list.htm", kFile)});
    }
    void Select(int entry) {
        Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[entry]));
        Main().TreeVChange();
    }
    QStringList Names() const {
        QStringList names;
        for (int row = 0; row < app->FormMain->ListItems->rowCount(); ++row) {
            names << app->FormMain->ListItems->Row(row).texts[0];
        }
        return names;
    }
};

}  // namespace

TEST_F(ListViewTest, AFolderShowsItsDirectContents) {
    Select(1);
    EXPECT_EQ(Names(), (QStringList{"a", "Inner"}));
    const ui::ListRow& url = Main().ListItems->Row(0);
    EXPECT_EQ(url.texts[1], "70/01/01 09:01");
    EXPECT_EQ(url.texts[2], "70/01/01 09:01");
    EXPECT_EQ(url.texts[3], "99/07/15");
    EXPECT_EQ(url.texts[4], "2");
    EXPECT_EQ(url.image, 3);  // "99" is greater than "100" as text
    const ui::ListRow& folder = Main().ListItems->Row(1);
    EXPECT_EQ(folder.texts[1], "");
    EXPECT_EQ(folder.texts[2], "------");
    EXPECT_EQ(folder.image, 4);
    EXPECT_EQ(Main().ListViewCaption->text(), "Folder");
    EXPECT_EQ(Main().ListItems->EntryIndex(1), 3);
}

TEST_F(ListViewTest, EmptyFolderUrlAndRoot) {
    Select(5);
    EXPECT_TRUE(Names().isEmpty());
    EXPECT_EQ(Main().ListViewCaption->text(), "Empty");

    Select(4);
    EXPECT_EQ(Names(), (QStringList{"deep"}));
    EXPECT_EQ(Main().ListItems->Row(0).texts[1], "------");
    EXPECT_EQ(Main().ListItems->Row(0).texts[3], "");
    EXPECT_EQ(Main().ListItems->Row(0).image, 3);
    EXPECT_EQ(Main().Panel(1), "http://deep/");
    EXPECT_TRUE(Main().BtBrowser->isEnabled());

    Select(0);
    EXPECT_EQ(Names(), (QStringList{"Folder", "Empty", "top"}));
    EXPECT_EQ(Main().Panel(1).toStdString(), Model().glVisit[0]);
    EXPECT_FALSE(Main().BtBrowser->isEnabled());
}

TEST_F(ListViewTest, ExpandedModeShowsTheWholeSubtree) {
    Select(1);
    Main().BtFolderClick();
    EXPECT_EQ(Names(), (QStringList{"a", "Inner", "deep"}));
    EXPECT_FALSE(Main().BtTenkai->isChecked());
    Select(0);
    Main().BtFolderClick();
    EXPECT_EQ(Names(), (QStringList{"Folder", "a", "Inner", "deep", "Empty", "top"}));
}

TEST_F(ListViewTest, APendingCopyFreezesTheList) {
    Select(1);
    Main().BtCopyClick();
    Select(0);
    EXPECT_EQ(Names(), (QStringList{"a", "Inner"}));
    EXPECT_EQ(Main().Panel(1), "コピー 又は 切取り  作業中");
    Main().BtStopClick();
    EXPECT_EQ(Main().Panel(1), "中止しました");
    EXPECT_FALSE(Main().BtStop->isEnabled());
    EXPECT_FALSE(Main().BtPaste->isEnabled());
}

TEST_F(ListViewTest, DoubleClickEntersAFolderAndOpensAUrl) {
    Select(1);
    Main().LViewDblClick(Main().ListItems->index(1, 0));
    EXPECT_EQ(Model().glIndex(), 3);
    EXPECT_EQ(Names(), (QStringList{"deep"}));
    Main().LViewDblClick(Main().ListItems->index(0, 0));
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_EQ(browser.opened[0], "http://deep/");
}

TEST_F(ListViewTest, ChecksReportIntoTheLogWindow) {
    Main().URL1Click();
    EXPECT_EQ(prompts.messages.back(), "重複ＵＲＬ無し");
    // With a bookmark or a root selected (whose list refresh writes panel 1), the result stays.
    Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[0]));
    Main().D1Click();
    EXPECT_EQ(Main().Panel(1), "削除フォルダー ： 1 件");
    EXPECT_EQ(Model().glCT, 6);
    EXPECT_FALSE(Main().BtPaste->isEnabled());
}
