#pragma once
// The main window started on a small collection, with Qt's model tester on both item models:
// the fixture of the tests that edit the collection through the window.

#include <QAbstractItemModelTester>

#include "UiFixture.h"
#include "ui/dialogs/BmURLEdit.h"
#include "ui/dialogs/Folder.h"

namespace pernard::testing {

// 0 Root; 1 A { 2 a1, 3 a2 }; 4 B { 5 B1 { 6 b } }; 7 u; 8 w
inline constexpr const char* kFile =
    "<TITLE>Root</TITLE>\n<DL><p>\n"
    "<DT><H3 ADD_DATE=\"1\">A</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://a1/\" ADD_DATE=\"1600000000\" LAST_VISIT=\"1600003723\" "
    "LAST_MODIFIED=\"1500000000\">a1</A>\n"
    "<DT><A HREF=\"http://a2/\">a2</A>\n"
    "</DL><p>\n"
    "<DT><H3>B</H3>\n<DL><p>\n<DT><H3>B1</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://b/\">b</A>\n</DL><p>\n</DL><p>\n"
    "<DT><A HREF=\"http://u/\">u</A>\n"
    "<DT><A HREF=\"http://w/\">w</A>\n"
    "</DL><p>\n";

class EditCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        path = temp.Write("edit.htm", kFile);
        Start(ui::StartupOverride{SourceKind::BookmarkFile, path});
        treeTester = std::make_unique<QAbstractItemModelTester>(
            Main().TreeItems, QAbstractItemModelTester::FailureReportingMode::Fatal);
        listTester = std::make_unique<QAbstractItemModelTester>(
            Main().ListItems, QAbstractItemModelTester::FailureReportingMode::Fatal);
        Main().show();
    }
    void TearDown() override {
        treeTester.reset();
        listTester.reset();
        UiTest::TearDown();
    }
    QModelIndex IndexOf(int entry) { return Main().TreeItems->IndexOf(Model().glNode[entry]); }
    void Select(int entry) {
        Main().TreeV->setCurrentIndex(IndexOf(entry));
        Main().TreeVChange();
    }
    void Expand(int entry) { Main().TreeV->expand(IndexOf(entry)); }
    std::string Names() const {
        std::string names;
        for (int i = 0; i < app->Model().glCT; ++i) {
            names += std::string(app->Model().glName[i]) + " ";
        }
        return names;
    }
    QStringList ListNames() const {
        QStringList names;
        for (int row = 0; row < app->FormMain->ListItems->rowCount(); ++row) {
            names << app->FormMain->ListItems->Row(row).texts[0];
        }
        return names;
    }
    void AnswerFolder(const QString& name) {
        answerDialog = [name](QDialog& dialog) {
            auto& folder = static_cast<ui::TFormFolder&>(dialog);
            folder.EditFolder->setText(name);
            folder.Button1Click();
        };
    }
    ui::TFormURL& UrlDialog() { return *app->FormURL; }

    std::string path;
    std::unique_ptr<QAbstractItemModelTester> treeTester, listTester;
};

}  // namespace pernard::testing
