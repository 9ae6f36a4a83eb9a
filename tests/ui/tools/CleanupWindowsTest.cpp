// The clean-up in bulk in the window: the duplicate clean-up window (match level, groups, the
// keep buttons, both resolutions, undo), the check window's results that act (against a
// server of the test's own on 127.0.0.1) and 同じ名前のフォルダーを統合 in the tree's menu.

#include <QAbstractItemModelTester>
#include <QTest>

#include "ui/UiFixture.h"
#include "support/LocalHttpServer.h"
#include "ui/tools/CheckResultList.h"
#include "ui/tools/DuplicatesWindow.h"
#include "ui/tools/FormHttp.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

class CleanupWindowsTest : public UiTest {
protected:
    void Open(const std::string& file) {
        Start(ui::StartupOverride{SourceKind::BookmarkFile, temp.Write("clean.htm", file)});
        Main().show();
    }
    void Select(int entry) {
        Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[entry]));
        Main().TreeVChange();
    }
    // Every entry as "name<parent" (and its URL), in table order.
    std::string Table() const {
        const BmLogic& model = app->Model();
        std::string table;
        for (int i = 0; i < model.glCT; ++i) {
            table += std::string(model.glName[i]) + "<" +
                     (model.IsRoot(i) ? "" : std::string(model.glName[model.ParentOf(i)])) + " " +
                     std::string(model.IsFolder(i) ? "" : model.glUrl[i]) + "\n";
        }
        return table;
    }
    std::string Names() const {
        std::string names;
        for (int i = 0; i < app->Model().glCT; ++i) {
            names += std::string(app->Model().glName[i]) + " ";
        }
        return names;
    }
    int Find(const std::string& name) const {
        for (int i = 0; i < app->Model().glCT; ++i) {
            if (app->Model().glName[i] == name) return i;
        }
        return -1;
    }
    std::string ParentName(const std::string& name) const {
        const int entry = Find(name);
        return entry < 0 ? "" : std::string(app->Model().glName[app->Model().ParentOf(entry)]);
    }
};

// 0 Root; 1 A { 2 x1; 3 y1 }; 4 B { 5 x2; 6 x3; 7 y2 }. At the same-resource level x1 and x2
// match, y1 and y2; x3 only loosely (its fragment).
constexpr const char* kDuplicates =
    "<TITLE>Root</TITLE>\n<DL><p>\n"
    "<DT><H3>A</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://example.com/page\" ADD_DATE=\"200\">x1</A>\n"
    "<DT><A HREF=\"https://example.org/a/\" ADD_DATE=\"100\">y1</A>\n"
    "</DL><p>\n"
    "<DT><H3>B</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://EXAMPLE.com:80/page\" ADD_DATE=\"100\">x2</A>\n"
    "<DT><A HREF=\"http://example.com/page#top\" ADD_DATE=\"300\">x3</A>\n"
    "<DT><A HREF=\"https://example.org/a/\" ADD_DATE=\"300\">y2</A>\n"
    "</DL><p>\n"
    "</DL><p>\n";

}  // namespace

TEST_F(CleanupWindowsTest, TheDuplicatesWindowResolvesTheCheckedEntriesInOneStep) {
    Open(kDuplicates);
    Main().Item("Dedupe1")->trigger();
    ui::TFormDuplicates& window = *Main().DuplicatesWindow();
    QAbstractItemModelTester tester(&window.Groups(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(window.ComboLevel->currentText(), "同じリソース");
    ASSERT_EQ(window.Groups().Groups().size(), 2u);
    const QModelIndex x2 =
        window.Groups().index(1, ui::DuplicatesModel::kRuleColumn, window.Groups().index(0, 0));
    EXPECT_EQ(x2.data().toString(), "同じリソース");
    EXPECT_EQ(x2.siblingAtColumn(ui::DuplicatesModel::kFolderColumn).data().toString(), "Root › B");
    const std::string before = Table();

    // Keep rule (how it is chosen) and resolution: the entries that leave.
    struct Case {
        const char* keep;
        bool move;
        std::vector<std::string> leaving;
    };
    const Case cases[] = {
        {"first", false, {"x2", "y2"}},  {"first", true, {"x2", "y2"}},
        {"oldest", false, {"x1", "y2"}}, {"oldest", true, {"x1", "y2"}},
        {"newest", false, {"x2", "y1"}}, {"newest", true, {"x2", "y1"}},
        {"folder", false, {"x1", "y1"}}, {"folder", true, {"x1", "y1"}},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(std::string(each.keep) + (each.move ? " move" : " delete"));
        const std::string keep = each.keep;
        if (keep == "first") window.BtKeepFirst->click();
        if (keep == "oldest") window.BtKeepOldest->click();
        if (keep == "newest") window.BtKeepNewest->click();
        if (keep == "folder") {
            dialogs.nextChoice = 1;
            window.BtKeepFolder->click();
            EXPECT_EQ(dialogs.offeredLists.back(),
                      (std::vector<std::string>{"Root › A", "Root › B"}));
        }
        EXPECT_EQ(window.Groups().CheckedCount(), 2);
        (each.move ? window.BtMove : window.BtDelete)->click();
        for (const std::string& name : each.leaving) {
            EXPECT_EQ(ParentName(name), each.move ? "重複" : "") << name;
        }
        EXPECT_EQ(window.Groups().Groups().size(), each.move ? 2u : 0u);  // listed anew
        EXPECT_EQ(Model().UndoName(), each.move ? "重複の移動" : "重複の削除");
        Main().UndoClick();
        EXPECT_EQ(Table(), before);
        // The list no longer shows the collection, and says so.
        EXPECT_TRUE(window.LabelStatus->text().startsWith("一覧を作った後でブックマークが変わりました"));
        window.Regroup();
    }

    // Exactly what is checked leaves; a group checked throughout is refused.
    window.Groups().SetChecked(1, 1, true);  // y2
    window.DeleteChecked();
    EXPECT_EQ(Names(), "Root A x1 y1 B x2 x3 ");
    Main().UndoClick();
    window.Regroup();
    window.Groups().SetChecked(0, 0, true);
    window.Groups().SetChecked(0, 1, true);
    window.DeleteChecked();
    EXPECT_EQ(Table(), before);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_NE(prompts.messages.back().find("少なくとも 1 件"), std::string::npos);

    // The loose level and its rules.
    window.ComboLevel->setCurrentIndex(2);
    ASSERT_EQ(window.Groups().Groups().size(), 2u);
    EXPECT_EQ(window.Groups().Groups()[0].entries.size(), 3u);
    EXPECT_EQ(window.Groups()
                  .index(2, ui::DuplicatesModel::kRuleColumn, window.Groups().index(0, 0))
                  .data()
                  .toString(),
              "ゆるい一致（#以降）");
    window.CheckLoose[0]->setChecked(false);  // #以降
    EXPECT_EQ(window.Groups().Groups()[0].entries.size(), 2u);
}

namespace {

// 0 Root; 1 Links { 2 ok; 3 moved (301); 4 found (302); 5 missing (404); 6 gone (410);
// 7 error (500) }
class CheckResultsTest : public CleanupWindowsTest {
protected:
    void SetUp() override {
        CleanupWindowsTest::SetUp();
        std::string links;
        for (const char* path : {"ok", "moved", "found", "missing", "gone", "error"}) {
            links +=
                "<DT><A HREF=\"" + server.Url(std::string("/") + path) + "\">" + path + "</A>\n";
        }
        Open("<TITLE>Root</TITLE>\n<DL><p>\n<DT><H3>Links</H3>\n<DL><p>\n" + links +
             "</DL><p>\n</DL><p>\n");
        app->FormBookmark->EditSysDir->setText(QString::fromStdString(temp.Path().string()));
        app->FormHTTP->EditTimeOut->setText("1");
        Select(1);
    }
    ui::CheckResultList& Results() { return *app->FormHTTP->Results; }
    bool WaitForEnd() {
        return QTest::qWaitFor([this] { return !Main().Checks().Running(); }, 10000);
    }
    void SelectOnly(std::initializer_list<QTreeWidgetItem*> rows) {
        Results().TreeResults->clearSelection();
        for (QTreeWidgetItem* row : rows) row->setSelected(true);
    }
    QTreeWidgetItem* Row(const char* name) { return Results().EntryRow(Model().RefOf(Find(name))); }
    LocalHttpServer server;
};

}  // namespace

TEST_F(CheckResultsTest, TheResultsOfACheckActInOneStepEach) {
    Main().BtHTTPClick();
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(Results().Count(), 6);
    const std::pair<LinkClass, int> classes[] = {
        {LinkClass::Ok, 1},
        {LinkClass::MovedPermanently, 1},
        {LinkClass::MovedTemporarily, 1},
        {LinkClass::ClientError, 2},
        {LinkClass::ServerError, 1},
        {LinkClass::NoAnswer, 0},
    };
    for (const auto& [linkClass, rows] : classes) {
        EXPECT_EQ(Results().ClassRow(linkClass)->childCount(), rows) << LinkClassText(linkClass);
    }
    const std::string before = Table();

    // Both redirect groups selected: only the permanent one is replaced by default.
    SelectOnly({Results().ClassRow(LinkClass::MovedPermanently),
                Results().ClassRow(LinkClass::MovedTemporarily)});
    Results().BtReplace->click();
    EXPECT_EQ(Model().glUrl[Find("moved")], server.Url("/ok"));
    EXPECT_EQ(Model().glUrl[Find("found")], server.Url("/found"));
    EXPECT_TRUE(Row("moved")->isHidden());  // it no longer holds the URL that was checked
    EXPECT_EQ(Model().UndoName(), "リダイレクト先への置換");
    Main().UndoClick();
    EXPECT_EQ(Table(), before);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Row("moved")->isHidden());

    // The client errors (404, 410) as a group: moved, then deleted.
    SelectOnly({Results().ClassRow(LinkClass::ClientError)});
    Results().BtMoveBroken->click();
    EXPECT_EQ(ParentName("missing"), "リンク切れ");
    EXPECT_EQ(ParentName("gone"), "リンク切れ");
    Main().UndoClick();
    EXPECT_EQ(Table(), before);
    // Every result at once: only after a question.
    EXPECT_TRUE(prompts.questions.empty());
    Results().TreeResults->selectAll();
    prompts.answers = {Answer::No, Answer::Yes};
    Results().BtMoveBroken->click();
    EXPECT_EQ(Table(), before);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(prompts.questions[0].find("チェックした 6 件のうち 6 件"), std::string::npos);
    Results().BtMoveBroken->click();
    EXPECT_EQ(ParentName("ok"), "リンク切れ");
    Main().UndoClick();
    EXPECT_EQ(Table(), before);
    SelectOnly({Results().ClassRow(LinkClass::ClientError)});
    prompts.nextAnswer = Answer::Yes;
    Results().BtDelete->click();
    EXPECT_EQ(Names(), "Root Links ok moved found error ");
    EXPECT_EQ(Results().Count(), 4);
    Main().UndoClick();
    EXPECT_EQ(Table(), before);

    // The archived copy opens in the browser; no visit is recorded.
    SelectOnly({Row("error")});
    Results().BtArchive->click();
    ASSERT_FALSE(browser.opened.empty());
    EXPECT_EQ(browser.opened.back(),
              QString::fromStdString("https://web.archive.org/web/*/" + server.Url("/error")));
    EXPECT_EQ(Model().glVisit[Find("error")], "");

    // Checked again: its result replaces the old one, the others stay.
    Results().BtRecheck->click();
    ASSERT_TRUE(Main().Checks().Running());
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Results().ClassRow(LinkClass::ServerError)->childCount(), 1);
    EXPECT_EQ(Results().Count(), 6);
}

namespace {

// 0 Root; 1 F { 2 S { 3 T { 4 d } }; 5 S { 6 T { 7 c }; 8 b } }
constexpr const char* kSameNames =
    "<TITLE>Root</TITLE>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n"
    "<DT><H3>S</H3>\n<DL><p>\n<DT><H3>T</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://d/\">d</A>\n</DL><p>\n</DL><p>\n"
    "<DT><H3>S</H3>\n<DL><p>\n<DT><H3>T</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://c/\">c</A>\n</DL><p>\n"
    "<DT><A HREF=\"http://b/\">b</A>\n</DL><p>\n"
    "</DL><p>\n</DL><p>\n";

}  // namespace

TEST_F(CleanupWindowsTest, TheTreeMenuMergesSameNameFoldersAndUndoes) {
    Open(kSameNames);
    const std::string before = Table();
    Select(1);
    emit Main().PMenu->aboutToShow();
    ASSERT_TRUE(Main().Item("MergeFolders1")->isEnabled());
    // The answer to "recursively too?", and the entries after.
    const std::pair<Answer, const char*> cases[] = {
        {Answer::Cancel, "Root F S T d S T c b "},
        {Answer::No, "Root F S T d T c b "},
        {Answer::Yes, "Root F S T d c b "},
    };
    for (const auto& [answer, names] : cases) {
        prompts.answers = {answer};
        Select(1);
        Main().Item("MergeFolders1")->trigger();
        EXPECT_EQ(Names(), names);
        if (answer != Answer::Cancel) {
            EXPECT_EQ(Model().UndoName(), "同名フォルダーの統合");
            Main().UndoClick();
        }
        EXPECT_EQ(Table(), before);
    }
    Select(Find("d"));
    emit Main().PMenu->aboutToShow();
    EXPECT_FALSE(Main().Item("MergeFolders1")->isEnabled());
}
