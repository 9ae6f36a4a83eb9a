#include <QAbstractItemModelTester>

#include "ui/UiFixture.h"
#include "support/TableSurgery.h"

using namespace pernard;
using namespace pernard::testing;

TEST_F(UiTest, TreeAndListModelsBehaveAsQtExpects) {
    Start();
    QAbstractItemModelTester treeTester(Main().TreeItems,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester listTester(Main().ListItems,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    dialogs.nextFile = Sample();
    Main().NetScapeB1Click();
    Main().NetScape1Click();
    EXPECT_EQ(Main().TreeItems->rowCount(), 2);
    // Single changes go through the observer one by one.
    TreeNodes& tree = TableSurgery::Tree(Model());
    TreeNode* added = tree.AddChildLast(tree.NodeAt(1), "new");
    EXPECT_EQ(Main().TreeItems->IndexOf(added).data().toString(), "new");
    tree.SetText(added, "renamed");
    EXPECT_EQ(Main().TreeItems->IndexOf(added).data().toString(), "renamed");
    tree.Delete(added);
    Main().D1Click();
    Main().BtFolderClick();
    EXPECT_GT(Main().ListItems->rowCount(), 0);
}
