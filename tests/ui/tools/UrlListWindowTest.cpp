// The URL list report window: the folder the list shows, the link directory, and its messages.

#include "ui/EditFixture.h"
#include "support/TestFiles.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/tools/FiUrlList.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

// 0 Root; 1 A { 2 a1, 3 a2 }; 4 B { 5 B1 { 6 b } }; 7 u; 8 w
class UrlListWindowTest : public EditCommandsTest {
protected:
    void SetUp() override {
        EditCommandsTest::SetUp();
        links = (temp.Path() / "links").string();
        std::filesystem::create_directory(links);
        app->FormBookmark->EditLinkDir->setText(QString::fromStdString(links));
    }
    ui::TFormURLLIST& Report() { return *app->FormURLLIST; }
    std::string Status() { return Report().StatusBar->currentMessage().toStdString(); }
    void Run(const QString& name) {
        Main().URL2Click();
        Report().EditSaveDir->setText(name);
        Report().Button2Click();
    }
    int Rows(const std::string& path) {
        const std::string page = ReadBytes(path);
        int rows = 0;
        for (std::size_t at = page.find("<tr><td>"); at != std::string::npos;
             at = page.find("<tr><td>", at + 1)) {
            ++rows;
        }
        return rows;
    }
    std::string links;
};

}  // namespace

TEST_F(UrlListWindowTest, WritesTheFolderTheListShowsIntoTheLinkDirectory) {
    Select(1);
    Main().URL2Click();
    EXPECT_EQ(Report().EditTitle->text(), "A");
    EXPECT_TRUE(Report().isVisible());
    // A press on a bookmark row of the list leaves the list on its folder.
    Main().LViewClick(Main().ListItems->index(0, 0));
    Run("a.htm");
    EXPECT_EQ(Status(), "保存完了 2 件");
    EXPECT_EQ(Main().Panel0->text(), "保存完了 2 件");
    EXPECT_EQ(Rows(links + "/a.htm"), 2);

    // Expanded, the list of B holds b, below B1.
    Select(4);
    Main().BtFolderClick();
    Run("b.htm");
    EXPECT_EQ(Rows(links + "/b.htm"), 1);
    Select(4);
    Run("b.htm");
    EXPECT_EQ(Rows(links + "/b.htm"), 0);
}

TEST_F(UrlListWindowTest, RefusesWhatItCannotWriteSafely) {
    Select(1);
    Run("");
    EXPECT_EQ(prompts.messages.back(), "保存ファイルを指定してください");
    Run("../outside.htm");
    EXPECT_EQ(Status(), "保存失敗  Cannot Write " + links + "/../outside.htm");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "outside.htm"));
    Select(7);  // a bookmark: the list shows no folder
    Run("u.htm");
    EXPECT_EQ(Status(), "保存失敗  フォルダーを指定してください");
    app->FormBookmark->EditLinkDir->clear();
    Select(1);
    Run("a.htm");
    EXPECT_EQ(prompts.messages.back(), "保存用ディレクトリを指定してください");

    // A file chosen in the dialog is used as it is, link directory or not.
    dialogs.nextFile = (temp.Path() / "chosen.htm").string();
    Report().Button3Click();
    Report().Button2Click();
    EXPECT_EQ(Status(), "保存完了 2 件");
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "chosen.htm"));
}
