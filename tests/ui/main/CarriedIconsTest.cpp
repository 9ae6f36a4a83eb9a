// Bookmarks show the icons their export carried (ICON data: URIs), in the tree, the list and the
// recent views, decoded once; the others keep the program's own bookmark image.

#include <filesystem>

#include "ui/UiFixture.h"
#include "model/EntryExtras.h"
#include "ui/app/Icons.h"

using namespace pernard;
using namespace pernard::testing;

TEST_F(UiTest, BookmarksShowTheIconsTheirExportCarried) {
    const std::string path =
        std::string(PERNARD_CORPUS_DIR) + "/netscape/firefox-export-nested-shaarli-parser.htm";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus at " << path;
    Start(ui::StartupOverride{SourceKind::BookmarkFile, path});
    const BmLogic& m = Model();
    int carried = 0, plain = 0;
    for (int i = 0; i < m.glCT; ++i) {
        if (m.IsFolder(i)) continue;
        const TreeNode* node = m.glNode[i];
        const QVariant shown =
            Main().TreeItems->data(Main().TreeItems->IndexOf(node), Qt::DecorationRole);
        const QIcon icon = qvariant_cast<QIcon>(shown);
        ASSERT_FALSE(icon.pixmap(16, 16).isNull()) << i;
        const QIcon own = ui::NodeIcon(node->ImageIndex(), node->SelectedIndex());
        const std::string uri = AttributeText(UnpackExtras(m.ExtrasOf(i)).attributes, "ICON");
        if (uri.rfind("data:image/", 0) == 0) {
            ++carried;
            EXPECT_NE(icon.cacheKey(), own.cacheKey()) << i;
            // Decoded once: the same icon again.
            EXPECT_EQ(ui::CarriedIcon(m.ExtrasOf(i)).cacheKey(), icon.cacheKey()) << i;
        } else {
            ++plain;
            EXPECT_EQ(icon.cacheKey(), own.cacheKey()) << i;
        }
    }
    EXPECT_EQ(carried, 16);
    EXPECT_GT(plain, 0);

    // The list shows the same icon for the bookmark's row.
    for (int i = 0; i < m.glCT; ++i) {
        if (m.IsFolder(i) || ui::CarriedIcon(m.ExtrasOf(i)).isNull()) continue;
        Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(m.glNode[m.ParentOf(i)]));
        Main().TreeVChange();
        const int row = Main().ListItems->RowOfEntry(m.RefOf(i));
        ASSERT_GE(row, 0);
        const QIcon listed = qvariant_cast<QIcon>(
            Main().ListItems->data(Main().ListItems->index(row, 0), Qt::DecorationRole));
        EXPECT_EQ(listed.cacheKey(), ui::CarriedIcon(m.ExtrasOf(i)).cacheKey());
        break;
    }

    // What does not decode shows the plain image.
    EntryExtras broken;
    broken.attributes = " ICON=\"data:image/png;base64,bm90IGFuIGltYWdl\"";
    EXPECT_TRUE(ui::CarriedIcon(PackExtras(broken)).isNull());
}
