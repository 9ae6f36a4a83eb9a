// ファイル › ブックマークの読込 / 追加読込 › "Chrome / Edge など" and "Firefox": the stores found
// are offered, any file can be chosen instead, and 上書保存 never writes into a store.

#include <cstdlib>

#include "UiFixture.h"
#include "formats/BrowserStores.h"
#include "support/PlacesFixture.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

class BrowserStoreMenuTest : public UiTest {
protected:
    void SetUp() override {
        const char* home = std::getenv("HOME");
        previousHome = home != nullptr ? home : "";
        setenv("HOME", fakeHome.Path().c_str(), 1);
        store = fakeHome.Write(
            ".config/microsoft-edge/Default/Bookmarks",
            "{\"roots\": {\"bookmark_bar\": {\"type\": \"folder\", \"name\": \"お気に入りバー\", "
            "\"children\": [{\"type\": \"url\", \"name\": \"例\", \"url\": \"http://e/\"}]}}}");
    }
    void TearDown() override { setenv("HOME", previousHome.c_str(), 1); }

    TempDir fakeHome;
    std::string previousHome;
    std::string store;
};

}  // namespace

TEST_F(BrowserStoreMenuTest, TheStoresFoundAreOfferedAndAnyFileCanBeChosen) {
    Start();
    // Cancelled: nothing happens.
    Main().ChromiumOpenClick();
    ASSERT_EQ(dialogs.offeredLists.size(), 1u);
    EXPECT_EQ(dialogs.offeredLists[0], (std::vector<std::string>{"Edge — Default (" + store + ")",
                                                                 "その他のファイルを選ぶ…"}));
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
    EXPECT_EQ(dialogs.offeredLists.back(), std::vector<std::string>{"その他のファイルを選ぶ…"});
    EXPECT_EQ(Model().glAdd[3], kSourceFirefox);
    EXPECT_EQ(Main().Panel0->text(), "追加読込完了:1 件");

    // 上書保存 of the Edge root says why and asks for a bookmark file.
    const std::string before = ReadBytes(store);
    Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[2]));
    ASSERT_TRUE(Model().EditUrlEntry(2, {"changed", "http://e/", "", "", ""}));
    dialogs.nextFile = (fakeHome.Path() / "edge.htm").string();
    Main().miFileSaveClick();
    EXPECT_NE(prompts.messages.back().find("ブラウザーのブックマークには書き込みません"),
              std::string::npos);
    EXPECT_NE(ReadBytes(dialogs.nextFile).find("changed"), std::string::npos);
    EXPECT_EQ(ReadBytes(store), before);
}

TEST_F(BrowserStoreMenuTest, AStoreNamedAtStartIsReadAsOne) {
    Start(ui::StartupOverride{StartupSource::Netscape, store});
    ASSERT_EQ(Model().glCT, 3);
    EXPECT_EQ(Model().glAdd[0], kSourceChromium);
    EXPECT_EQ(Model().glName[2], "例");
}
