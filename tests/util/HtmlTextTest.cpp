#include <gtest/gtest.h>

#include "util/HtmlText.h"

using namespace pernard;

TEST(HtmlText, DecodesTheReferencesBrowsersWrite) {
    EXPECT_EQ(DecodeCharacterReferences("A &amp; B &lt;C&gt; &quot;d&quot; &#39;e&apos;"),
              "A & B <C> \"d\" 'e'");
    EXPECT_EQ(DecodeCharacterReferences("&#26085;&#x672C;&#X8A9E;"), "日本語");
    EXPECT_EQ(DecodeCharacterReferences("&#128512;"), "😀");
    // Not references, or not ours: left as they are.
    EXPECT_EQ(DecodeCharacterReferences("a&b"), "a&b");
    EXPECT_EQ(DecodeCharacterReferences("&amp"), "&amp");
    EXPECT_EQ(DecodeCharacterReferences("&nbsp;"), "&nbsp;");
    EXPECT_EQ(DecodeCharacterReferences("&#xD800;&#0;&#99999999;"), "&#xD800;&#0;&#99999999;");
    // One pass only: a double-escaped text keeps one level.
    EXPECT_EQ(DecodeCharacterReferences("&amp;#39;"), "&#39;");
}

TEST(HtmlText, EscapeIsUndoneByDecode) {
    const std::string text = "<a href=\"x\">Tom & Jerry</a> 日本";
    EXPECT_EQ(EscapeHtml(text), "&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&lt;/a&gt; 日本");
    EXPECT_EQ(DecodeCharacterReferences(EscapeHtml(text)), text);
}

TEST(HtmlText, TagAttributesInEveryQuotingStyle) {
    TagAttributes attributes;
    const std::string line = "<A href=\"u\" Add_Date='12' LAST_VISIT=34 ICON=\"a>b\" HREF=\"2\">x";
    const std::size_t close = ParseTagAttributes(line, 2, attributes);
    EXPECT_EQ(line.substr(close), "x");
    EXPECT_EQ(attributes.Get("HREF"), "u");  // the first occurrence wins
    EXPECT_EQ(attributes.Get("ADD_DATE"), "12");
    EXPECT_EQ(attributes.Get("last_visit"), "34");
    EXPECT_EQ(attributes.Get("ICON"), "a>b");
    EXPECT_EQ(attributes.Get("LAST_MODIFIED"), "");
    // Each attribute is also kept as written, for what the table has no column for.
    ASSERT_EQ(attributes.items.size(), 5u);
    EXPECT_EQ(attributes.items[1].text, "Add_Date='12'");
    EXPECT_EQ(attributes.items[2].text, "LAST_VISIT=34");
    EXPECT_EQ(attributes.items[3].text, "ICON=\"a>b\"");

    EXPECT_EQ(ParseTagAttributes("<A HREF=\"never closed", 2, attributes), std::string::npos);
    EXPECT_EQ(attributes.Get("HREF"), "never closed");
    EXPECT_EQ(ParseTagAttributes("<A SUBSCRIBE FOLDED>", 2, attributes), 20u);
    std::string_view value;
    EXPECT_TRUE(attributes.Find("folded", value));
    EXPECT_EQ(attributes.items[1].text, "FOLDED");
}
