#include <gtest/gtest.h>

#include <functional>

#include "formats/bookmarkfile/EncodingSniffer.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TestFiles.h"
#include "util/CodePage.h"
#include "util/Text.h"

using namespace pernard;
using pernard::testing::TempDir;
using pernard::testing::TestModel;

namespace {

const std::string kBody =
    "<TITLE>日本語の題名</TITLE>\r\n<DL><p>\r\n"
    "<DT><A HREF=\"http://a/\">ページ①</A>\r\n</DL><p>\r\n";

// UTF-8 text as UTF-16 after its byte order mark.
std::string Utf16(const std::string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    AppendUtf16(text, bigEndian, bytes);
    return bytes;
}

struct Encoded {
    const char* label;
    std::string bytes;
    const char* charset;
};

}  // namespace

TEST(Encoding, TheFileSaysOrShowsWhatItIsWrittenIn) {
    TempDir temp;
    const std::string sjis = pernard::testing::ToCp932(kBody);
    const Encoded cases[] = {
        {"shift_jis without declaration", sjis, "CP932"},
        {"utf-8 with byte order mark", "\xEF\xBB\xBF" + kBody, "UTF-8"},
        {"utf-8 without anything", kBody, "UTF-8"},
        {"declared utf-8",
         "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n" + kBody,
         "UTF-8"},
        {"declared shift_jis", "<meta charset=\"Shift_JIS\">\n" + sjis, "CP932"},
        {"unknown declaration", "<META CONTENT=\"text/html; charset=klingon\">\n" + sjis, "CP932"},
        {"declaration after the list is not looked at",
         "<DL><p>\n<META CONTENT=\"charset=UTF-8\">\n" + sjis, "CP932"},
        {"utf-16 le with byte order mark", Utf16(kBody, false), "UTF-16LE"},
        {"utf-16 be with byte order mark", Utf16(kBody, true), "UTF-16BE"},
    };
    for (const auto& c : cases) {
        const std::string path = temp.Write("f.htm", c.bytes);
        EXPECT_EQ(SniffEncoding(c.bytes, true).charset, c.charset) << c.label;
        TestModel t;
        int urls = 0;
        std::string error;
        ASSERT_TRUE(
            Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile), urls, error))
            << c.label;
        EXPECT_EQ(t.model.glName[0], "日本語の題名") << c.label;
        EXPECT_EQ(t.model.glName[1], "ページ①") << c.label;
        EXPECT_EQ(t.model.RootCharset(0), c.charset) << c.label;
    }
}

TEST(Encoding, AFileAsciiInItsFirstBlockIsDecidedWhereItsOtherBytesCome) {
    TempDir temp;
    // Over a mebibyte of ASCII bookmarks before the first Japanese name.
    std::string ascii = "<TITLE>T</TITLE>\r\n<DL><p>\r\n";
    for (int i = 0; ascii.size() < (std::size_t{3} << 19); ++i) {
        ascii += "<DT><A HREF=\"http://example.com/" + std::to_string(i) + "\">page</A>\r\n";
    }
    const std::string tail = "<DT><A HREF=\"http://ja/\">日本語のページ</A>\r\n</DL><p>\r\n";
    EXPECT_EQ(SniffEncoding(ascii, false).charset, "");
    EXPECT_EQ(SniffEncoding(ascii, true).charset, "CP932");
    const struct {
        std::string bytes;
        const char* charset;
    } cases[] = {{ascii + tail, "UTF-8"}, {ascii + pernard::testing::ToCp932(tail), "CP932"}};
    for (const auto& c : cases) {
        const std::string path = temp.Write("late.htm", c.bytes);
        TestModel t;
        t.settings.maxUrl = "1000000";
        int urls = 0;
        std::string error;
        ASSERT_TRUE(
            Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile), urls, error))
            << c.charset;
        EXPECT_EQ(t.model.glName[t.model.glCT - 1], "日本語のページ") << c.charset;
        EXPECT_EQ(t.model.RootCharset(0), c.charset);
    }
}

TEST(Encoding, EucJpAndWindows1252WhenDeclared) {
    TempDir temp;
    TestModel t;
    int urls = 0;
    std::string error;
    // "日本" in EUC-JP
    const std::string euc = "<META charset=EUC-JP>\n<TITLE>\xC6\xFC\xCB\xDC</TITLE>\n";
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, temp.Write("e.htm", euc), SourceKind::BookmarkFile),
                 urls, error));
    EXPECT_EQ(t.model.glName[0], "日本");
    const std::string latin =
        "<META CONTENT=\"text/html; charset=windows-1252\">\n"
        "<TITLE>Caf\xE9 \x80</TITLE>\n";
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, temp.Write("l.htm", latin), SourceKind::BookmarkFile),
                 urls, error));
    EXPECT_EQ(t.model.glName[0], "Café €");
}

TEST(Encoding, BytesThatDoNotDecodeAreKeptAndReported) {
    TempDir temp;
    TestModel t;
    int urls = 0;
    std::string error;
    const std::string bad =
        "<TITLE>A\xA0"
        "B</TITLE>\n<DL><p>\n<DT><A HREF=\"http://x/\">\x82</A>\n";
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, temp.Write("bad.htm", bad), SourceKind::BookmarkFile),
                 urls, error));
    EXPECT_EQ(ShownText(t.model.glName[0]),
              "A\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(t.model.glCT, 2);
    ASSERT_FALSE(t.diagnostics.readingLog.empty());
    EXPECT_NE(t.diagnostics.readingLog.back().find("2 個"), std::string::npos);
}

TEST(Encoding, TheReportCountsEachByteThatDidNotDecodeOnce) {
    // Lines whose bytes are decoded a second time, character by character (a CP932 byte that
    // may lead a character found in two places, any other code page's bad byte), count once.
    struct Bad {
        const char* label;
        std::string bytes;
        const char* count;
    };
    const Bad cases[] = {
        {"cp932, bytes past the last lead byte", "<TITLE>\xFD\xFE\xFF</TITLE>\n", "3 個"},
        {"cp932, beside a character kept as its bytes", "<TITLE>\xED\x40 \xA0</TITLE>\n", "1 個"},
        {"euc-jp", "<META CONTENT=\"charset=EUC-JP\">\n<TITLE>\xA4\xA2\xFF\xFF</TITLE>\n", "2 個"},
        {"utf-8", "<META CONTENT=\"charset=UTF-8\">\n<TITLE>\xE6\x97\xA5\xFF</TITLE>\n", "1 個"},
    };
    TempDir temp;
    for (const Bad& c : cases) {
        TestModel t;
        int urls = 0;
        std::string error;
        ASSERT_TRUE(Unpacked(LoadSource(t.model, true, temp.Write("bad.htm", c.bytes + "<DL><p>\n"),
                                        SourceKind::BookmarkFile),
                             urls, error))
            << c.label;
        ASSERT_FALSE(t.diagnostics.readingLog.empty()) << c.label;
        EXPECT_NE(
            t.diagnostics.readingLog.back().find(std::string("変換できないバイト ") + c.count),
            std::string::npos)
            << c.label << ": " << t.diagnostics.readingLog.back();
    }
}

TEST(Encoding, DeclaredCharsetIsTakenFromMetaLinesOnly) {
    EXPECT_EQ(
        DeclaredCharset("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"),
        "UTF-8");
    EXPECT_EQ(DeclaredCharset("<meta charset='euc-jp'/>"), "euc-jp");
    EXPECT_EQ(DeclaredCharset("<DT><A HREF=\"http://x/?charset=utf-8\">"), "");
}

TEST(Encoding, TheChosenEncodingReadsFilesThatDoNotSay) {
    TempDir temp;
    const std::string gbk = temp.Write("gbk.htm",
                                       "<TITLE>\xD6\xD0\xCE\xC4</TITLE>\n<DL><p>\n"
                                       "<DT><A HREF=\"http://cn/\">\xD6\xD0\xB9\xFA</A>\n");
    TestModel t;
    int urls = 0;
    std::string error;
    t.settings.fallbackEncoding = "GBK";
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, gbk, SourceKind::BookmarkFile), urls, error));
    EXPECT_EQ(t.model.glName[0], "中文");
    EXPECT_EQ(t.model.glName[1], "中国");
    // A declaration still wins over the setting, and browsers' own labels are known.
    const std::string declared = temp.Write(
        "mac.htm",
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=X-MAC-SYSTEM\">\n"
        "<TITLE>caf\x8E</TITLE>\n");
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, declared, SourceKind::BookmarkFile), urls, error));
    EXPECT_EQ(t.model.glName[0], "café");
    EXPECT_EQ(CanonicalCharset("windows-31j"), "CP932");
}

// A UTF-16 file is written back in UTF-16, its byte order and mark as read; saved again
// unchanged it keeps its bytes. Characters of two units straddle the reader's blocks; a lone
// surrogate is kept: URLs that differ only there stay apart, and a save gives the unit back.
TEST(Encoding, AUtf16FileIsSavedBackInUtf16) {
    std::string wide;
    for (int k = 0; k < 300000; ++k) wide += "😀";
    struct Case {
        std::string body;
        std::function<void(const BmLogic&, const std::string& bytes, bool bigEndian)> check;
    };
    const Case cases[] = {
        {"<TITLE>T</TITLE>\r\n<DL><p>\r\n<DT><A HREF=\"http://a/\">あ" + wide +
             "</A>\r\n<DT><A HREF=\"http://b/\">b</A>\r\n</DL><p>\r\n",
         [&wide](const BmLogic& model, const std::string&, bool) {
             ASSERT_EQ(model.glCT, 3);
             EXPECT_EQ(model.glName[1], "あ" + wide);
             EXPECT_EQ(model.glUrl[2], "http://b/");
         }},
        {"<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://t/\xED\xA0\x80\">P</A>\n"
         "<DT><A HREF=\"http://t/\xED\xB0\x80\">Q</A>\n<DT><A HREF=\"http://t/\xEF\xBF\xBD\">R</A>\n"
         "</DL><p>\n",
         [](const BmLogic& model, const std::string& bytes, bool bigEndian) {
             ASSERT_EQ(model.glCT, 4);
             EXPECT_NE(model.glUrl[1], model.glUrl[2]);
             EXPECT_NE(model.glUrl[2], model.glUrl[3]);
             EXPECT_NE(model.glUrl[1], model.glUrl[3]);
             const std::string unit = bigEndian ? std::string("\xD8\x00", 2) : std::string("\x00\xD8", 2);
             EXPECT_NE(bytes.find(unit), std::string::npos);
         }},
    };
    for (const Case& c : cases) {
        for (const bool bigEndian : {false, true}) {
            TempDir temp;
            const std::string path = temp.Write("w.htm", Utf16(c.body, bigEndian));
            std::string saved;
            for (int round = 0; round < 2; ++round) {
                TestModel t;
                int urls = 0;
                std::string error;
                ASSERT_TRUE(Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile),
                                     urls, error))
                    << error;
                const std::string bytes = BookmarkFileText(t.model, 0);
                c.check(t.model, bytes, bigEndian);
                EXPECT_EQ(bytes.substr(0, 2), bigEndian ? "\xFE\xFF" : "\xFF\xFE");
                if (round == 1) {
                    EXPECT_EQ(bytes, saved);
                }
                saved = bytes;
                temp.Write("w.htm", bytes);
            }
        }
    }
}
