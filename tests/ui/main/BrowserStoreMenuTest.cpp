// ファイル › ブックマークの読込 / 追加読込 › "Chrome / Edge など" and "Firefox": the stores found
// are offered, any file can be chosen instead; 上書保存 writes a Chromium store back and asks
// for a bookmark file in place of a Firefox one.

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "ui/UiFixture.h"
#include "commands/HistoryCommands.h"
#include "formats/BrowserStores.h"
#include "support/PlacesFixture.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

class BrowserStoreMenuTest : public UiTest {
protected:
    void SetUp() override {
        home.emplace("HOME", fakeHome.Path().string().c_str());
        store = fakeHome.Write(
            ".config/microsoft-edge/Default/Bookmarks",
            "{\"roots\": {\"bookmark_bar\": {\"type\": \"folder\", \"name\": \"お気に入りバー\", "
            "\"children\": [{\"type\": \"url\", \"name\": \"例\", \"url\": \"http://e/\"}]}}}");
    }
    void TearDown() override { home.reset(); }

    TempDir fakeHome;
    std::optional<ScopedVariable> home;
    std::string store;
};

}  // namespace

TEST_F(BrowserStoreMenuTest, TheStoresFoundAreOfferedAndAnyFileCanBeChosen) {
    Start();
    // Cancelled: nothing happens.
    Main().ChromiumOpenClick();
    ASSERT_EQ(dialogs.offeredLists.size(), 1u);
    EXPECT_EQ(dialogs.offeredLists[0], (std::vector<std::string>{"Edge — Default (" + store + ")",
                                                                 "その他のファイルを選ぶ..."}));
    dialogs.nextChoice = 0;
    Main().ChromiumOpenClick();
    ASSERT_EQ(Model().glCT, 3);
    EXPECT_EQ(Model().glName[1], "お気に入りバー");
    EXPECT_EQ(Main().Panel0->text(), "読込完了 :1 件");

    // Firefox: none found here, so the list offers a file; a places.sqlite chosen is added.
    const std::string places = (fakeHome.Path() / "places.sqlite").string();
    {
        PlacesFixture fixture(places);
        fixture.Bookmark(PlacesFixture::kToolbar, "F", "http://f/");
    }
    dialogs.nextChoice = 0;
    dialogs.nextFile = places;
    Main().FirefoxAddClick();
    EXPECT_EQ(dialogs.offeredLists.back(), std::vector<std::string>{"その他のファイルを選ぶ..."});
    EXPECT_EQ(Model().SourceKindOf(3), SourceKind::Firefox);
    EXPECT_EQ(Main().Panel0->text(), "追加読込完了:1 件");

    // 上書保存 of the Edge root writes the store back, after keeping the old file as an earlier
    // version (no copy beside it in the browser's profile).
    const std::string before = ReadBytes(store);
    EXPECT_EQ(Model().glName[0], "Edge — Default");
    Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[2]));
    ASSERT_TRUE(Model().EditUrlEntry(2, {"changed", "http://e/", "", "", ""}));
    Main().miFileSaveClick();
    EXPECT_NE(ReadBytes(store).find("\"changed\""), std::string::npos);
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(store).parent_path())) {
        EXPECT_EQ(entry.path().filename().string().rfind("Bookmarks.pernard-backup-", 0),
                  std::string::npos);
    }
    const VersionHistory history = HistoryOf(*Model().GetPorts().settings);
    const VersionListing kept = history.List(store);
    ASSERT_EQ(kept.versions.size(), 1u);
    std::string error;
    EXPECT_EQ(history.ReadFile(kept.versions[0], error), before);

    // 上書保存 of the Firefox root says it is read-only and asks for a bookmark file.
    const std::string database = ReadBytes(places);
    int f = Model().glCT - 1;
    while (f > 0 && Model().glName[f] != "F") --f;
    Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[f]));
    ASSERT_TRUE(Model().EditUrlEntry(f, {"changed too", "http://f/", "", "", ""}));
    dialogs.nextFile = (fakeHome.Path() / "firefox.htm").string();
    Main().miFileSaveClick();
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_NE(prompts.messages.back().find("読み込み専用"), std::string::npos);
    EXPECT_NE(ReadBytes(dialogs.nextFile).find("changed too"), std::string::npos);
    EXPECT_EQ(ReadBytes(places), database);
}

TEST_F(BrowserStoreMenuTest, AStoreNamedAtStartIsReadAsOne) {
    Start(ui::StartupOverride{SourceKind::BookmarkFile, store});
    ASSERT_EQ(Model().glCT, 3);
    EXPECT_EQ(Model().SourceKindOf(0), SourceKind::Chromium);
    EXPECT_EQ(Model().glName[2], "例");
}
