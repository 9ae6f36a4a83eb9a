#include <gtest/gtest.h>

#include <utf8proc.h>

#include <cstdlib>

#include "util/Text.h"
#include "util/TextFold.h"

using namespace pernard;

TEST(Text, CharactersAreCountedNotBytes) {
    EXPECT_EQ(MbLength(""), 0);
    EXPECT_EQ(MbLength("ａb"), 2);
    EXPECT_EQ(MbLength("表示😀x"), 4);
    // A broken sequence counts as one-byte characters and never runs past the end.
    EXPECT_EQ(MbLength("\xE3\x81"), 2);
    std::size_t position = 0;
    EXPECT_EQ(NextChar("表x", position), 3);
    EXPECT_EQ(NextChar("表x", position), 1);
    EXPECT_EQ(NextChar("表x", position), 0);
    EXPECT_EQ(position, 4u);
}

TEST(Text, MbPosFindsWholeCharactersOnly) {
    EXPECT_EQ(MbPos("b", "ａb"), 2);
    EXPECT_EQ(MbPos("", "abc"), 0);
    EXPECT_EQ(MbPos("a", ""), 0);
    EXPECT_EQ(MbPos("cd", "abc"), 0);
    EXPECT_EQ(MbPos("B", "abc"), 0);  // case-sensitive
    // A lone lead byte is not found inside a complete character that starts with it.
    EXPECT_EQ(MbPos("\xE8", "表"), 0);
}

TEST(Text, MbCopyCountsCharacters) {
    EXPECT_EQ(MbCopy("abc", 0, 2), "ab");
    EXPECT_EQ(MbCopy("abc", 3, 5), "c");
    EXPECT_EQ(MbCopy("abc", 4, 1), "");
    EXPECT_EQ(MbCopy("abc", -1, 1), "");
    EXPECT_EQ(MbCopy("abc", 1, 0), "");
    EXPECT_EQ(MbCopy("日本語テキスト", 3, 2), "語テ");
}

TEST(Text, CutTokenIgnoresAsciiCaseOfTheDelimiter) {
    std::string source = "My Bookmarks</title>rest";
    EXPECT_EQ(CutToken("</TITLE>", source), "My Bookmarks");
    EXPECT_EQ(source, "rest");

    source = "abc";
    EXPECT_EQ(CutToken(">", source), "abc");
    EXPECT_EQ(source, "");

    source = "";
    EXPECT_EQ(CutToken(">", source), "");
    EXPECT_EQ(source, "");

    source = "a>";
    EXPECT_EQ(CutToken(">", source), "a");
    EXPECT_EQ(source, "");

    // Head and rest keep their own letter case.
    source = "ABC<dl>Def";
    EXPECT_EQ(CutToken("<DL>", source), "ABC");
    EXPECT_EQ(source, "Def");
}

TEST(Text, CutTokenNeverSplitsAMultiByteCharacter) {
    // In Shift_JIS the second byte of 表 is "\"; in UTF-8 no byte of a multi-byte character can
    // match an ASCII delimiter at all.
    std::string source = "表\\x";
    EXPECT_EQ(CutToken("\\", source), "表");
    EXPECT_EQ(source, "x");
    source = "ソフト/表";
    EXPECT_EQ(CutToken("/", source), "ソフト");
    EXPECT_EQ(source, "表");
}

TEST(Text, ReplaceChar) {
    std::string text = "a\\b\\c";
    EXPECT_TRUE(ReplaceChar("\\", "/", text));
    EXPECT_EQ(text, "a/b/c");
    EXPECT_FALSE(ReplaceChar("x", "y", text));
    text = "表:表";
    EXPECT_TRUE(ReplaceChar(":", "|", text));
    EXPECT_EQ(text, "表|表");
}

TEST(Text, SplitWordsAtSingleHalfWidthSpaces) {
    std::vector<std::string> words;
    EXPECT_EQ(SplitWords("  News  Sports ", words, 6), 3);
    EXPECT_EQ(words, (std::vector<std::string>{"news", "", "sports"}));
    EXPECT_EQ(SplitWords("   ", words, 6), 1);
    EXPECT_EQ(words, (std::vector<std::string>{""}));
    // The full-width space is not a separator.
    EXPECT_EQ(SplitWords("東京　大阪", words, 6), 1);
    // Words beyond the capacity are ignored.
    EXPECT_EQ(SplitWords("a b c d e f g h", words, 6), 6);
    EXPECT_EQ(words.back(), "f");
}

TEST(Text, FindNoCaseMatchesOnlyAtCharacterBoundaries) {
    EXPECT_EQ(FindNoCase("xx<dt><A HREF", "<a"), 6u);
    EXPECT_EQ(FindNoCase("abc", "C"), 2u);
    EXPECT_EQ(FindNoCase("abc", "d"), std::string::npos);
    EXPECT_EQ(FindNoCase("日本語", "語"), 6u);
    EXPECT_TRUE(EqualsNoCase("Href", "HREF"));
    EXPECT_FALSE(EqualsNoCase("Hre", "HREF"));
}

TEST(Text, ForEachLineCutsAtTheLineEndsAsked) {
    struct Case {
        const char* text;
        LineEnds ends;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", LineEnds::LfOnly, {""}},
        {"a\nb\n", LineEnds::LfOnly, {"a", "b", ""}},
        {"a\r\nb\rc", LineEnds::LfOnly, {"a\r", "b\rc"}},
        {"a\r\nb\rc\n\nd", LineEnds::Any, {"a", "b", "c", "", "d"}},
        {"\r\n", LineEnds::Any, {"", ""}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        ForEachLine(c.text, c.ends, [&lines](std::string_view line) { lines.emplace_back(line); });
        EXPECT_EQ(lines, c.lines) << c.text;
    }
}

TEST(Text, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("日本語😀"));
    EXPECT_FALSE(IsValidUtf8("\x93\xfa\x96\x7b"));  // 日本 in Shift_JIS
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));          // cut short
}

TEST(TextFold, KanaAndIdeographsFoldAsTheFullNormalizationFoldsThem) {
    // Every character the cheap path keeps, alone, next to ASCII letters and next to each
    // other, folds to what NFKC with case folding gives.
    auto reference = [](const std::string& text) {
        utf8proc_uint8_t* folded =
            utf8proc_NFKC_Casefold(reinterpret_cast<const utf8proc_uint8_t*>(text.c_str()));
        std::string out(reinterpret_cast<const char*>(folded));
        std::free(folded);
        return out;
    };
    std::string out;
    std::string previous = "A";
    for (char32_t c = 0x3000; c <= 0x9FFF; ++c) {
        if (c == 0xA000 || (c > 0x30FF && c < 0x4E00)) continue;
        std::string text;
        AppendUtf8(text, c);
        for (const std::string& sample : {text, "Ab" + text + "Z", previous + text}) {
            FoldCaseAndWidth(sample, out);
            ASSERT_EQ(out, reference(sample)) << std::hex << static_cast<std::uint32_t>(c);
        }
        previous = text;
    }
    // Half-width kana and a combining sound mark still change.
    FoldCaseAndWidth("ﾆｭｰｽ", out);
    EXPECT_EQ(out, "ニュース");
    FoldCaseAndWidth("カ\xE3\x82\x99", out);
    EXPECT_EQ(out, "ガ");
}
