#include "UiFixture.h"

using namespace pernard;
using namespace pernard::testing;

class CloseTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        file = temp.Write("b.htm", ReadBytes(Sample()));
        original = ReadBytes(file);
        Store("Setting/fmBookmark.CkUwagaki", "1");
        Start(ui::StartupOverride{StartupSource::Netscape, file});
        Model().glChanged = true;
        Model().glName[2] = "changed";
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
    Model().glChanged = false;
    EXPECT_TRUE(Main().FormCloseQuery());
    EXPECT_TRUE(prompts.questions.empty());
    Model().glChanged = true;
    Main().C2Click();
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_FALSE(Model().glChanged);
    EXPECT_EQ(ReadBytes(file), original);
}

TEST_F(CloseTest, OverwriteSaveFromTheMenuClearsTheChangedFlag) {
    Model().glIndex = 2;
    Main().miFileSaveClick();
    EXPECT_FALSE(Model().glChanged);
    EXPECT_NE(ReadBytes(file).find("changed"), std::string::npos);
}
