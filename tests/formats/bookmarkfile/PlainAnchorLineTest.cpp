// The one-scan reading of a plain anchor line gives exactly what the general reader (decode the
// line whole, join, scan its tags, parse its anchor) gives for that line, or leaves the line to
// it: over every line of the shared corpus, hand-made edge cases, and random mutations of them.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "formats/bookmarkfile/LineJoiner.h"
#include "formats/bookmarkfile/LineTags.h"
#include "formats/bookmarkfile/NetscapeReader.h"
#include "formats/bookmarkfile/PlainAnchorLine.h"
#include "support/TestFiles.h"
#include "util/CodePage.h"

using namespace pernard;

namespace {

const char* const kCharsets[] = {"CP932", "UTF-8", "ISO-8859-1", "windows-1252"};

// The two ways' decoders of one charset, kept from line to line (opening one is slow).
struct Decoders {
    explicit Decoders(const std::string& charset) : scan(charset), general(charset) {}
    TextDecoder scan, general;
};

// True when the one scan took the line; every field must then be the general reader's, and
// each way must have met as many bytes that did not decode.
bool ExpectSameAsGeneralReader(const std::string& raw, Decoders& decoders) {
    TextDecoder& scanDecoder = decoders.scan;
    TextDecoder& decoder = decoders.general;
    const std::size_t scanKeptBefore = scanDecoder.Replacements();
    PlainAnchor scanned;
    if (!ScanPlainAnchorLine(raw, &scanDecoder, scanned)) return false;
    const std::size_t keptBefore = decoder.Replacements();
    std::string line;
    decoder.Decode(raw, line);
    LineJoiner joiner;
    std::string joined;
    EXPECT_TRUE(joiner.Add(line, joined)) << raw;
    EXPECT_EQ(joined, line) << raw;
    const LineTags tags = ScanTags(line);
    EXPECT_TRUE(tags.anchor && tags.term) << raw;
    EXPECT_FALSE(tags.listStart || tags.listEnd || tags.commentOpen || tags.description ||
                 tags.separators > 0 || tags.doctype || tags.title || tags.heading || tags.folder)
        << raw;
    AnchorFields general;
    TagAttributes attributes;
    EXPECT_TRUE(ParseHrefLine(line, general, attributes)) << raw;
    EXPECT_EQ(scanned.texts.name, general.name) << raw;
    EXPECT_EQ(scanned.texts.url, general.url) << raw;
    EXPECT_EQ(scanned.texts.added, general.added) << raw;
    EXPECT_EQ(scanned.texts.visited, general.visited) << raw;
    EXPECT_EQ(scanned.texts.modified, general.modified) << raw;
    EXPECT_EQ(scanned.otherAttributes, general.otherAttributes) << raw;
    EXPECT_EQ(scanned.beforeAnchor, general.beforeAnchor) << raw;
    EXPECT_EQ(scanDecoder.Replacements() - scanKeptBefore, decoder.Replacements() - keptBefore)
        << raw;
    return true;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= bytes.size(); ++at) {
        if (at == bytes.size() || bytes[at] == '\n' || bytes[at] == '\r') {
            lines.push_back(bytes.substr(start, at - start));
            start = at + 1;
        }
    }
    return lines;
}

// Lines at the edges of the plain shape, in CP932 bytes where they hold Japanese.
const char* const kEdgeLines[] = {
    R"(<DT><A HREF="http://a.example/" ADD_DATE="1" LAST_VISIT="2" LAST_MODIFIED="3">name</A>)",
    "\t  <dt><a href=\"http://a.example/?x=1&amp;y=2\" add_date=\"1\">&lt;b&gt; &#x41;</a>  ",
    R"(<DT><A HREF="a" HREF="b" ADD_DATE="1" ADD_DATE="2" ICON="data:x" TAGS="t">n</A>)",
    R"(<DT><A  HREF="a"	TAGS="x,y" >n</A>)",
    R"(<DT><A HREF="a" NOTE="1 > 2">n</A>)",
    R"(<DT><A HREF="a" Q="say "hi" now">n</A>)",
    R"(<DT><A HREF='a'>n</A>)",
    R"(<DT><A HREF=a>n</A>)",
    R"(<DT><A HREF = "a">n</A>)",
    R"(<DT><A HREF="a"/>n</A>)",
    R"(<DT><A ADD_DATE="1">no address</A>)",
    R"(<DT><A HREF="a">n <b>bold</b></A>)",
    R"(<DT><A HREF="a">n</A><DD>described)",
    R"(<DT><A HREF="a">n</A> <!-- open)",
    R"(<DT><A HREF="a">n</A></DL>)",
    R"(<DT><A HREF="a">n</a> trailing words)",
    R"(<DT><A HREF="a">n</A >)",
    "<DT><A HREF=\"a\">n</a \t  >",
    R"(<DT><A HREF="a">n</A ></DL>)",
    R"(<DT><A HREF="a">n</A x>)",
    R"(<DT><A HREF="a">n)",
    R"(<DT><A HREF="a")",
    R"(<DT><A HREF="a<b">n</A>)",
    R"(<DT><H3>folder</H3>)",
    R"(<DT><A HREF="a">)"
    "\x82\xa0\x82\xa2</A>",
    R"(<DT><A HREF="a">)"
    "\x82</A>",
    R"(<DT><A HREF="a">)"
    "\x87\x54\xfa\x4a\xed\x40\xff\x80</A>",
    R"(<DT><A HREF="a">)"
    "\x95\x5c\x83\x5c\xb1</A>",
    R"(<DT><A HREF="a" TAGS=")"
    "\x82\xa0\">n</A>",
    R"(<DT><A HREF="a">n</A>)"
    "\x82\xa0",
    "\xe3\x81\x82<DT><A HREF=\"a\">n</A>",
};

}  // namespace

TEST(PlainAnchorLine, ReadsAsTheGeneralReaderOrLeavesTheLineToIt) {
    std::vector<std::string> lines(std::begin(kEdgeLines), std::end(kEdgeLines));
    const auto corpus = pernard::testing::CorpusDir();
    if (!corpus.empty()) {
        for (const auto& entry : std::filesystem::directory_iterator(corpus / "netscape")) {
            for (std::string& line : SplitLines(pernard::testing::ReadBytes(entry.path().string())))
                lines.push_back(std::move(line));
        }
    }
    // Each line changed at random places with the bytes that matter to the scan.
    const std::string alphabet = "<>\"'= \t/&;#aAdDtT\x81\x82\x87\xa0\xe3\xed\xfa\xff";
    std::mt19937 random(20261209);
    const std::size_t given = lines.size();
    for (std::size_t n = 0; n < 20000; ++n) {
        std::string line = lines[random() % given];
        if (line.empty()) continue;
        for (int edits = 1 + static_cast<int>(random() % 3); edits > 0; --edits) {
            line[random() % line.size()] = alphabet[random() % alphabet.size()];
        }
        lines.push_back(std::move(line));
    }
    std::size_t taken = 0;
    for (const char* charset : kCharsets) {
        Decoders decoders(charset);
        for (const std::string& line : lines) {
            if (ExpectSameAsGeneralReader(line, decoders)) ++taken;
        }
    }
    // The scan must take the usual lines, not only leave every line to the general reader.
    EXPECT_GT(taken, given / 10);
}

TEST(PlainAnchorLine, FindsMarkupInRawBytesOnlyWhereLowBytesStandAlone) {
    for (const char* charset :
         {"UTF-8", "CP932", "Shift_JIS", "ISO-8859-1", "windows-1252"})
        EXPECT_TRUE(MarkupFoundInRawBytes(charset)) << charset;
    for (const char* charset : {"EUC-JP", "ISO-2022-JP", "UTF-16LE", "UTF-16BE", "UTF-7", ""})
        EXPECT_FALSE(MarkupFoundInRawBytes(charset)) << charset;
}
