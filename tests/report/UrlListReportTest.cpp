// The URL list report: its page byte for byte, escaping, the rows a folder gives, and where it
// may be written.

#include <gtest/gtest.h>

#include <filesystem>

#include "commands/ReportCommands.h"
#include "model/TableBuilder.h"
#include "report/UrlListReport.h"
#include "support/Doubles.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"
#include "util/CodePage.h"
#include "util/FileCalls.h"

using namespace pernard;
using namespace pernard::testing;
namespace fs = std::filesystem;

namespace {

// 2020-01-02 03:04 UTC+9 as seconds.
constexpr long long kNow = 1577901840;

class UrlListReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
        TableBuilder::Root(t.model, "Root");                                          // 0
        TableBuilder::Folder(t.model, 1, "ニュース");                                 // 1
        TableBuilder::Url(t.model, 2, {"NHK", "http://nhk/", "", "", "1577804400"});  // 2
        TableBuilder::Folder(t.model, 2, "とても長いフォルダー名");                   // 3
        TableBuilder::Url(t.model, 3, {"深い", "http://deep/?a=1&b=2", "", "", ""});  // 4
        TableBuilder::Url(t.model, 2, {"\"><script>", "http://x/", "", "", "abc"});   // 5
        page.title = "T<1>";
        page.color = "#000000";
        page.now = kNow;
    }
    std::string Decoded(const std::string& path) { return DecodeText(ReadBytes(path), kCp932); }
    TestModel t;
    UrlListPage page;
    TempDir temp;
};

const char* const kHead =
    "<HTML><HEAD>\r\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n"
    "<TITLE>T&lt;1&gt;</TITLE></HEAD>\r\n"
    "<Body bgcolor=\"#000000\">\r\n"
    "<h3><font color=\"Brown\">ニュース</font>\r\n"
    "<small><font color=\"Black\">　　次回チェック時刻 : </font><font color=\"Brown\">\r\n"
    "</font></small></h3>\r\n"
    "<h4 align=right>\r\n"
    "説明は<a href=\"setsumei.htm\">こちら</a>\r\n"
    "<img src=\"/scripts/Count.exe?srgb=00ff00&prgb=101010&ft=2&df=public.dat&trgb=000000\">"
    "<br>\r\n"
    "</h4>\r\n"
    "最終チェック時刻 : 20/01/02 03:04\r\n"
    "<Table border=1><tr>\r\n"
    "<th>分類</th>\r\n"
    "<th>タイトル</th>\r\n"
    "<th>最終更新時刻</th>\r\n"
    "<th>更新行</th>\r\n"
    "<th>評判</th>\r\n"
    "</tr>\r\n";

}  // namespace

TEST_F(UrlListReportTest, ThePageOfAFolderByteForByte) {
    const std::string path = (temp.Path() / "list.htm").string();
    int written = 0;
    std::string error;
    ASSERT_TRUE(SaveUrlListReport(t.model, 1, false, path, page, written, error)) << error;
    EXPECT_EQ(written, 2);
    const std::string expected =
        std::string(kHead) +
        "<tr><td>\r\nニュース</td><td>\r\n<a href=\"http://nhk/\" target=\"_new\">\r\n"
        "NHK</a></td><td>\r\n20/01/01 00:00</td><td>\r\n　</td><td>\r\n　</td></tr>\r\n"
        "<tr><td>\r\nニュース</td><td>\r\n<a href=\"http://x/\" target=\"_new\">\r\n"
        "&quot;&gt;&lt;script&gt;</a></td><td>\r\n------</td><td>\r\n　</td><td>\r\n"
        "　</td></tr>\r\n"
        "</table>\r\n</body></html>\r\n";
    EXPECT_EQ(Decoded(path), expected);
}

TEST_F(UrlListReportTest, ExpandedRowsCarryTheirOwnFolderAndRemarksAreEscaped) {
    page.remarkOf = [](int entry) { return entry == 4 ? std::string("<b>moved</b>") : ""; };
    page.color = "\"red";
    const std::string text = UrlListPageText(t.model, 1, ReportEntries(t.model, 1, true), page);
    EXPECT_NE(text.find("<Body bgcolor=\"&quot;red\">"), std::string::npos);
    EXPECT_NE(text.find("<font size=-1>\r\nとても長いフォルダー名</font></td><td>\r\n"
                        "<a href=\"http://deep/?a=1&amp;b=2\" target=\"_new\">\r\n深い</a>"),
              std::string::npos);
    EXPECT_NE(text.find("&lt;b&gt;moved&lt;/b&gt;</td><td>"), std::string::npos);
    EXPECT_EQ(ReportEntries(t.model, 1, true), (std::vector<int>{2, 4, 5}));
    EXPECT_EQ(ReportEntries(t.model, 1, false), (std::vector<int>{2, 5}));
    // A category of exactly eight characters keeps the normal size.
    TableSurgery::SetName(t.model, 3, "八文字のフォルダ");
    EXPECT_EQ(UrlListPageText(t.model, 1, {4}, page).find("<font size=-1>"), std::string::npos);
}

TEST_F(UrlListReportTest, WhatCp932CannotHoldIsWrittenAsAReference) {
    TableSurgery::SetName(t.model, 2, "😀 smile");
    const std::string path = (temp.Path() / "list.htm").string();
    int written = 0;
    std::string error;
    ASSERT_TRUE(SaveUrlListReport(t.model, 1, false, path, page, written, error)) << error;
    EXPECT_NE(ReadBytes(path).find("&#128512; smile</a>"), std::string::npos);
}

TEST_F(UrlListReportTest, OnlyAFolderIsReportedAndOnlyARegularFileReplaced) {
    int written = 0;
    std::string error;
    const std::string path = temp.Write("old.htm", "old page");
    EXPECT_FALSE(SaveUrlListReport(t.model, 2, false, path, page, written, error));
    EXPECT_EQ(error, "フォルダーを指定してください");
    fs::create_directory(temp.Path() / "dir.htm");
    const std::string directory = (temp.Path() / "dir.htm").string();
    EXPECT_FALSE(SaveUrlListReport(t.model, 1, false, directory, page, written, error));
    EXPECT_EQ(t.prompts.messages.back(),
              "保存先が通常のファイルやディレクトリではありません : " + directory);
    fs::create_symlink(path, temp.Path() / "link.htm");
    EXPECT_FALSE(SaveUrlListReport(t.model, 1, false, (temp.Path() / "link.htm").string(), page,
                                   written, error));
    // A failure on the way leaves the old file as it was.
    SaveFileCalls().rename = [](const char*, const char*) { return errno = EIO, -1; };
    EXPECT_FALSE(SaveUrlListReport(t.model, 1, false, path, page, written, error));
    SaveFileCalls() = RealFileCalls();
    EXPECT_EQ(error, "Cannot Write " + path);
    EXPECT_EQ(ReadBytes(path), "old page");
    for (const auto& entry : fs::directory_iterator(temp.Path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "old.htm" || name == "dir.htm" || name == "link.htm") << name;
    }
}

TEST_F(UrlListReportTest, TheFileStaysInsideTheLinkDirectory) {
    const std::string links = temp.Path().string();
    std::string path, error;
    EXPECT_TRUE(ReportPathIn(links, "list.htm", path, error));
    EXPECT_EQ(path, links + "/list.htm");
    EXPECT_TRUE(ReportPathIn(links + "/", "sub/list.htm", path, error));
    EXPECT_EQ(path, links + "/sub/list.htm");
    for (const char* name : {"/etc/passwd", "../list.htm", "sub/../../list.htm", "C:list.htm",
                             "\\\\server\\x", "..\\list.htm"}) {
        EXPECT_FALSE(ReportPathIn(links, name, path, error)) << name;
        EXPECT_EQ(error, "Cannot Write " + path) << name;
    }
    // A directory inside that is a link to elsewhere leaves it as well.
    TempDir elsewhere;
    fs::create_directory_symlink(elsewhere.Path(), temp.Path() / "out");
    EXPECT_FALSE(ReportPathIn(links, "out/list.htm", path, error));
}
