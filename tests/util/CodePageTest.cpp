#include <gtest/gtest.h>

#include "util/CodePage.h"

using namespace pernard;

TEST(CodePage, DecodesShiftJisIncludingWindowsExtensions) {
    // 日本 ① ～ (the last two exist only in the Windows code page)
    EXPECT_EQ(DecodeText("\x93\xfa\x96\x7b\x87\x40\x81\x60", kCp932), "日本①～");
    // Half-width katakana
    EXPECT_EQ(DecodeText("\xbd\xb6\xb2", kCp932), "ｽｶｲ");
}

TEST(CodePage, UndecodableBytesBecomeReplacementCharactersAndAreCounted) {
    TextDecoder decoder(kCp932);
    std::string out;
    decoder.Decode(
        "a\xa0"
        "b\x82",
        out);  // 0xA0 is unassigned; 0x82 lacks its second byte
    EXPECT_EQ(out,
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(decoder.Replacements(), 2u);

    TextDecoder utf8(kUtf8);
    out.clear();
    utf8.Decode("ok\xff日本", out);
    EXPECT_EQ(out, "ok\xEF\xBF\xBD日本");
    EXPECT_EQ(utf8.Replacements(), 1u);
}

TEST(CodePage, CharsetLabelsFromFiles) {
    EXPECT_EQ(CanonicalCharset("Shift_JIS"), kCp932);
    EXPECT_EQ(CanonicalCharset("x-sjis"), kCp932);
    EXPECT_EQ(CanonicalCharset("utf8"), kUtf8);
    EXPECT_EQ(CanonicalCharset("UTF-8"), kUtf8);
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
}
