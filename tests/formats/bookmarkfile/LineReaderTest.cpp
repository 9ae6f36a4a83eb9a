#include <gtest/gtest.h>

#include "formats/bookmarkfile/LineReader.h"
#include "support/TestFiles.h"

using namespace pernard;

namespace {

std::vector<std::string> ReadAll(const std::string& bytes) {
    pernard::testing::TempDir temp;
    LineReader reader;
    EXPECT_TRUE(reader.Open(temp.Write("f.txt", bytes)));
    std::vector<std::string> lines;
    std::string line;
    while (reader.NextLine(line)) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(LineReader, EveryKindOfLineEndEndsOneLine) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(ReadAll("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(ReadAll("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(ReadAll("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(ReadAll("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(ReadAll(""), Lines{});
}

TEST(LineReader, CtrlZIsAByteOfItsLine) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(ReadAll("a\r\nb\x1a"
                      "c\r\nd"),
              (Lines{"a", "b\x1a"
                          "c",
                     "d"}));
    EXPECT_EQ(ReadAll("a\r\n\x1a"), (Lines{"a", "\x1a"}));
}

TEST(LineReader, LinesLongerThanTheBufferAndCrLfAcrossBlocks) {
    const std::string longLine(3'000'000, 'x');
    auto lines = ReadAll(longLine + "\r\nshort");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), longLine.size());
    // CR as the last byte of a block, LF as the first of the next.
    const std::string first((1 << 20) - 1, 'y');
    lines = ReadAll(first + "\r\nnext");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "next");
}
