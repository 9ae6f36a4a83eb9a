#include <gtest/gtest.h>

#include "util/CodePage.h"
#include "util/Text.h"

using namespace pernard;

TEST(CodePage, DecodesShiftJisIncludingWindowsExtensions) {
    // 日本 ① ～ (the last two exist only in the Windows code page)
    EXPECT_EQ(DecodeText("\x93\xfa\x96\x7b\x87\x40\x81\x60", kCp932), "日本①～");
    // Half-width katakana
    EXPECT_EQ(DecodeText("\xbd\xb6\xb2", kCp932), "ｽｶｲ");
}

TEST(CodePage, UndecodableBytesAreKeptCountedAndWrittenBackAsThemselves) {
    const std::string cp932 =
        "a\xa0"
        "b\x82";  // 0xA0 is unassigned; 0x82 lacks its second byte
    TextDecoder decoder(kCp932);
    std::string text;
    decoder.Decode(cp932, text);
    EXPECT_EQ(decoder.Replacements(), 2u);
    EXPECT_EQ(ShownText(text),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_TRUE(HasKeptBytes(text));
    EXPECT_EQ(MbLength(text), 4);  // each kept byte is one character
    // Back into CP932: the same bytes. Into UTF-8: U+FFFD. Into CP932 for text that came from
    // elsewhere: the fallback's U+FFFD.
    std::string bytes;
    TextEncoder(kCp932, nullptr, true).Encode(text, bytes);
    EXPECT_EQ(bytes, cp932);
    bytes.clear();
    TextEncoder(kUtf8, nullptr, false).Encode(text, bytes);
    EXPECT_EQ(bytes, ShownText(text));
    bytes.clear();
    TextEncoder(kCp932, [](char32_t c, std::string& out) {
        out += "&#" + std::to_string(c) + ";";
    }).Encode(text, bytes);
    EXPECT_EQ(bytes, "a&#65533;b&#65533;");

    const std::string utf8Bytes = "ok\xff日本\xed\xb2\x80";  // a stray byte, an encoded surrogate
    TextDecoder utf8(kUtf8);
    text.clear();
    utf8.Decode(utf8Bytes, text);
    EXPECT_EQ(ShownText(text), "ok\xEF\xBF\xBD日本\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(utf8.Replacements(), 4u);
    bytes.clear();
    TextEncoder(kUtf8, nullptr, true).Encode(text, bytes);
    EXPECT_EQ(bytes, utf8Bytes);
    // Real text never looks like a kept byte.
    EXPECT_FALSE(HasKeptBytes("日本語 \xEF\xBF\xBD \xED\x9F\xBF"));
}

TEST(CodePage, CharsetLabelsFromFiles) {
    EXPECT_EQ(CanonicalCharset("Shift_JIS"), "CP932");
    EXPECT_EQ(CanonicalCharset("x-sjis"), "CP932");
    EXPECT_EQ(CanonicalCharset("utf8"), "UTF-8");
    EXPECT_EQ(CanonicalCharset("UTF-8"), "UTF-8");
    EXPECT_EQ(CanonicalCharset("EUC-JP"), "EUC-JP");
    EXPECT_EQ(CanonicalCharset("x-mac-roman"), "MACINTOSH");
    EXPECT_EQ(CanonicalCharset("windows-1252"), "WINDOWS-1252");
    EXPECT_EQ(CanonicalCharset("no-such-charset"), "");
    EXPECT_EQ(CanonicalCharset(""), "");
}

TEST(CodePage, EncoderHandsUnmappableCharactersToTheFallback) {
    TextEncoder encoder(kCp932, [](char32_t codePoint, std::string& out) {
        out += "&#" + std::to_string(static_cast<unsigned>(codePoint)) + ";";
    });
    std::string out;
    encoder.Encode("日本😀a", out);
    EXPECT_EQ(out, "\x93\xfa\x96\x7b&#128512;a");
    // Replacements longer than the characters they stand for outgrow the room made for the run.
    std::string many;
    std::string expected;
    for (int k = 0; k < 64; ++k) {
        many += "😀";
        expected += "&#128512;";
    }
    out.clear();
    encoder.Encode(many, out);
    EXPECT_EQ(out, expected);
}

// The code pages a file is read in, through whichever converter the platform has (iconv on
// Linux, Windows' own code pages there): each decodes its text, writes it back as the same
// bytes, and keeps a byte it does not define.
TEST(CodePage, EachCodePageReadsWritesBackAndKeepsWhatItDoesNotDefine) {
    struct Case {
        const char* label;
        const char* charset;
        std::string bytes;
        std::string text;
        std::string undefined;
    };
    const Case cases[] = {
        {"shift_jis", "CP932", "\x93\xfa\x96\x7b", "日本", "\xa0"},
        {"euc-jp", "EUC-JP", "\xc6\xfc\xcb\xdc \x8e\xb6", "日本 ｶ", "\xff"},
        {"gbk", "GBK", "\xc8\xd5\xb1\xbe", "日本", "\xff"},
        {"big5", "BIG5", "\xa4\xe9\xa5\xbb", "日本", "\xff"},
        {"euc-kr", "EUC-KR", "\xc7\xd1\xb1\xb9", "한국", "\xff"},
        {"windows-1252", "WINDOWS-1252", "caf\xe9 \x80", "café €", "\x81"},
        {"utf-8", "UTF-8", "日本", "日本", "\xff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charset);
        EXPECT_EQ(CanonicalCharset(c.label), c.charset);
        TextDecoder decoder(c.charset);
        std::string text;
        decoder.Decode(c.bytes, text);
        EXPECT_EQ(text, c.text);
        std::string bytes;
        TextEncoder(c.charset, nullptr).Encode(text, bytes);
        EXPECT_EQ(bytes, c.bytes);

        const std::string withUndefined = "a" + c.undefined + "b" + c.bytes;
        text.clear();
        decoder.Decode(withUndefined, text);
        EXPECT_EQ(decoder.Replacements(), 1u);
        EXPECT_EQ(ShownText(text),
                  "a\xEF\xBF\xBD"
                  "b" +
                      c.text);
        bytes.clear();
        TextEncoder(c.charset, nullptr, true).Encode(text, bytes);
        EXPECT_EQ(bytes, withUndefined);
    }
}

// Every one- and two-byte code of CP932 decodes the same by the table as by the converter (the
// run ends in an undefined byte, which sends it the converter's way; the control byte before it
// cannot end a character), and goes back to its bytes.
TEST(CodePage, Cp932DecodesAlikeByTableAndConverterAndWritesBackItsBytes) {
    std::string kept = "\x01";
    AppendKeptByte(0xA0, kept);
    int codes = 0;
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned trail = 0x3F; trail <= 0x100; ++trail) {
            std::string code(1, static_cast<char>(lead));
            if (trail <= 0xFF) code += static_cast<char>(trail);
            SCOPED_TRACE(testing::Message() << std::hex << lead << " " << trail);
            TextDecoder table(kCp932);
            std::string byTable;
            table.Decode(code, byTable);
            TextDecoder converter(kCp932);
            std::string byConverter;
            converter.Decode(code + "\x01\xA0", byConverter);
            ASSERT_EQ(byConverter, byTable + kept);
            ASSERT_EQ(converter.Replacements(), table.Replacements() + 1);
            std::string back;
            TextEncoder(kCp932, nullptr, true).Encode(byTable, back);
            ASSERT_EQ(back, code);
            ++codes;
        }
    }
    EXPECT_EQ(codes, 128 * 194);
}

TEST(CodePage, EachCharacterEncodesAloneAsItDoesInTheConverterWholeRun) {
    // The encoder keeps each character's bytes once it has met it; a run holding a kept byte
    // still goes through the converter whole. Both must give the same bytes for every BMP
    // character, in each code page written character by character.
    const auto fallback = [](char32_t codePoint, std::string& out) {
        out += "&#" + std::to_string(static_cast<unsigned long>(codePoint)) + ";";
    };
    for (const char* charset : {kCp932, "EUC-JP", kUtf16Le}) {
        TextEncoder byCharacter(charset, fallback, true);
        TextEncoder whole(charset, fallback, true);
        int differing = 0;
        for (char32_t codePoint = 0x80; codePoint < 0x10000; ++codePoint) {
            if (codePoint >= 0xD800 && codePoint <= 0xDFFF) continue;
            std::string text = "日";
            AppendUtf8(text, codePoint);
            text += "本";
            std::string alone;
            byCharacter.Encode(text, alone);
            std::string kept;
            AppendKeptByte(0x81, kept, false);
            std::string run;
            whole.Encode(kept + text, run);
            if (run != "\x81" + alone && ++differing <= 3) {
                ADD_FAILURE() << charset << " U+" << std::hex << static_cast<unsigned>(codePoint);
            }
        }
        EXPECT_EQ(differing, 0) << charset;
    }
}
