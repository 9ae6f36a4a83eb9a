// ファイル › 以前の版…: a save's earlier version listed with what differs, opened as another
// root, and put back over the file and into the collection as one undo step.

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "commands/HistoryCommands.h"
#include "ui/UiFixture.h"
#include "ui/dialogs/VersionsDialog.h"
#include "ui/main/TreeModel.h"

using namespace pernard;
using namespace pernard::testing;

TEST_F(UiTest, AnEarlierVersionIsComparedOpenedAndPutBack) {
    const std::string file = temp.Write("b.htm", ReadBytes(Sample()));
    Start(ui::StartupOverride{SourceKind::BookmarkFile, file});
    const std::string original = ReadBytes(file);
    int url = 1;
    while (url < Model().glCT && Model().IsFolder(url)) ++url;
    ASSERT_LT(url, Model().glCT);
    const std::string name(Model().glName[url]);
    const auto selectRoot = [this] {
        Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[0]));
    };
    ASSERT_TRUE(Model().EditUrlEntry(url, {"改名", std::string(Model().glUrl[url]), "", "", ""}));
    selectRoot();
    Main().miFileSaveClick();
    ASSERT_NE(ReadBytes(file), original);

    const int rows = Model().glCT;
    answerDialog = [](QDialog& dialog) {
        auto& versions = static_cast<ui::TFormVersions&>(dialog);
        EXPECT_EQ(versions.ListVersions->topLevelItemCount(), 1);
        EXPECT_NE(versions.LabelDifference->text().indexOf("名前の変更 1 件"), -1)
            << versions.LabelDifference->text().toStdString();
        versions.BtOpen->click();
    };
    selectRoot();
    Main().miFileVersionsClick();
    ASSERT_GT(Model().glCT, rows);
    EXPECT_EQ(std::string(Model().glName[rows]).rfind("以前の版 ", 0), 0u);
    EXPECT_TRUE(Model().SourcePath(rows).empty());
    EXPECT_EQ(Model().glName[rows + url], name);

    answerDialog = [](QDialog& dialog) {
        static_cast<ui::TFormVersions&>(dialog).BtRestore->click();
    };
    selectRoot();
    Main().miFileVersionsClick();
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_EQ(Model().glName[url], name);
    EXPECT_TRUE(Model().ChangedRoots().empty());
    // The file as it was before the restore is a version now too; the restore is one step.
    EXPECT_EQ(HistoryOf(*Model().GetPorts().settings).List(file).versions.size(), 2u);
    ASSERT_TRUE(Model().Undo());
    EXPECT_EQ(Model().glName[url], "改名");
}
