// The shared file in both its forms: the extension's own bytes read and written back exactly,
// files from elsewhere read by the extension's rules (quirks, extras, references, what makes a
// file unreadable), broken files read without harm, and any tree written, read back and
// checked as the upload checks it.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "sync/SharedFile.h"

using namespace pernard::sync;

namespace {

constexpr SharedFormat kFormats[] = {SharedFormat::Html, SharedFormat::Xbel};

std::string DataFile(const std::string& name) {
    std::ifstream file(PERNARD_TEST_DATA_DIR "/sync/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

SyncItem Folder(SyncId id, std::string title) {
    return SyncItem{id, true, std::move(title), {}, -1, {}};
}

SyncItem Bookmark(SyncId id, std::string title, std::string url) {
    return SyncItem{id, false, std::move(title), std::move(url), -1, {}};
}

// The tree both golden files hold.
SyncTree GoldenTree() {
    SyncTree tree;
    tree.highestId = 4;
    const int bar = tree.Add(SyncTree::kRoot, Folder(1, "Bookmarks Bar"));
    tree.Add(bar, Bookmark(2, "例 & <co> \"q\" 's", "https://example.com/?a=1&b=2"));
    tree.Add(bar, Folder(3, "空"));
    tree.Add(SyncTree::kRoot, Bookmark(4, "", "https://e.example/"));
    return tree;
}

// A tree in one line: "h<highestId>" and the root's list; a folder "F<id>:<title>[...]", a
// bookmark "B<id>:<title>=<url>", siblings separated by ",".
std::string Dump(const SyncTree& tree, int index) {
    const SyncItem& item = tree[index];
    std::string out;
    if (index != SyncTree::kRoot) {
        out = (item.folder ? "F" : "B") + std::to_string(item.id) + ":" + item.title;
        if (!item.folder) return out + "=" + item.url;
    }
    out += "[";
    for (std::size_t k = 0; k < item.children.size(); ++k) {
        if (k > 0) out += ",";
        out += Dump(tree, item.children[k]);
    }
    return out + "]";
}

std::string Dump(const SharedFileRead& read) {
    if (!read.ok) return "error";
    return "h" + std::to_string(read.tree.highestId) + Dump(read.tree, SyncTree::kRoot);
}

const std::string kHtmlHead =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Bookmarks</TITLE><!--- highestId :9: for Floccus bookmark sync browser extension "
    "-->\n";
const std::string kXbelHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\">\n"
    "<!--- highestId :9: for Floccus bookmark sync browser extension -->\n";

struct ReadCase {
    const char* what;
    SharedFormat format;
    std::string bytes;
    const char* expected;  // Dump() of the read
};

const ReadCase kReadCases[] = {
    // The bookmark-file form.
    {"a first folder marked FOLDED empties the file", SharedFormat::Html,
     kHtmlHead +
         "<DL><p>\n<DT><H3 FOLDED ID=\"1\">a</H3>\n<DL><p>\n  <DT><A HREF=\"u\" ID=\"2\">x</A>\n"
         "</DL><p>\n<DT><A HREF=\"v\" ID=\"3\">y</A>\n</DL><p>",
     "h9[]"},
    {"FOLDED on a later folder is an attribute like another", SharedFormat::Html,
     kHtmlHead + "<DL><p>\n<DT><H3 ID=\"1\">a</H3>\n<DL><p>\n  <DT><H3 FOLDED ID=\"2\">b</H3>\n"
                 "  <DL><p>\n  </DL><p>\n</DL><p>\n</DL><p>",
     "h9[F1:a[F2:b[]]]"},
    {"a </DT> before the folder's list loses its children", SharedFormat::Html,
     kHtmlHead +
         "<DL><p>\n<DT><H3 ID=\"1\">a</H3></DT>\n<DL><p>\n  <DT><A HREF=\"u\" ID=\"2\">x</A>\n"
         "</DL><p>\n<DT><A HREF=\"v\" ID=\"3\">y</A>\n</DL><p>",
     "h9[F1:a[],B3:y=v]"},
    {"ids missing, zero, negative or not numbers are none", SharedFormat::Html,
     kHtmlHead + "<DL><p>\n<DT><A HREF=\"a\">1</A>\n<DT><A HREF=\"b\" ID=\"0\">2</A>\n"
                 "<DT><A HREF=\"c\" ID=\"-3\">3</A>\n<DT><A HREF=\"d\" ID=\"x7\">4</A>\n"
                 "<DT><A HREF=\"e\" ID=\"007\">5</A>\n</DL><p>",
     "h9[B0:1=a,B0:2=b,B0:3=c,B0:4=d,B7:5=e]"},
    {"a browser's export: extras, other cases and quotes, CR LF, no final newline",
     SharedFormat::Html,
     "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<!-- This is an automatically generated file. -->\r\n"
     "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n"
     "<TITLE>Bookmarks</TITLE>\r\n<H1>Bookmarks</H1>\r\n<DL><p>\r\n"
     "    <DT><H3 ADD_DATE=\"1\" PERSONAL_TOOLBAR_FOLDER=\"true\" ID=\"5\">Bar</H3>\r\n"
     "    <DD>about the bar\r\n    <DL><p>\r\n"
     "        <dt><a href='https://a.example/' add_date=2 ICON=\"data:x\" id=6>A</a>\r\n"
     "        <HR>\r\n        <DT><A HREF=\"https://b.example/\" TAGS=\"x,y\">B</A>\r\n"
     "<DD>about B\r\n    </DL><p>\r\n</DL>",
     "h0[F5:Bar[B6:A=https://a.example/,B0:B=https://b.example/]]"},
    {"references decoded in titles and URLs", SharedFormat::Html,
     kHtmlHead +
         "<DL><p>\n<DT><A HREF=\"https://x.example/?a=1&#38;b=&#39;2&#39;&amp;c\" ID=\"1\">"
         "&#60;&#x3E;&amp;&lt;&gt;&quot;&apos;&#34;&#26085;&#x672C; &nbsp; a&b</A>\n</DL><p>",
     "h9[B1:<>&<>\"'\"日本 &nbsp; a&b=https://x.example/?a=1&b='2'&c]"},
    {"only a <DT>'s items count; a list no heading opens is passed over", SharedFormat::Html,
     kHtmlHead + "<DL><p>\n<A HREF=\"u\" ID=\"1\">loose</A>\n<DT><DL><p><DT><A HREF=\"v\" ID=\"2\">"
                 "in</A></DL><p>\n<DT><A HREF=\"w\" ID=\"3\">kept</A><A HREF=\"x\">second</A>\n"
                 "<DT><H3 ID=\"4\">f</H3>\n<DT><A HREF=\"y\" ID=\"5\">after</A>\n</DL><p>",
     "h9[B3:kept=w,F4:f[],B5:after=y]"},
    {"the root is the first list; what follows it is not read", SharedFormat::Html,
     kHtmlHead +
         "<DT><A HREF=\"before\" ID=\"1\">0</A>\n<DL><p>\n<DT><A HREF=\"u\" ID=\"2\">1</A>\n"
         "</DL><p>\n<DL><p>\n<DT><A HREF=\"v\" ID=\"3\">2</A>\n</DL><p>",
     "h9[B2:1=u]"},
    {"no list at all is an empty file", SharedFormat::Html, kHtmlHead, "h9[]"},
    {"a cut-off file keeps what came before the cut", SharedFormat::Html,
     kHtmlHead + "<DL><p>\n<DT><H3 ID=\"1\">a</H3>\n<DL><p>\n  <DT><A HREF=\"u\" ID=\"2\">x</A>\n"
                 "  <DT><A HREF=\"https://cut",
     "h9[F1:a[B2:x=u]]"},
    {"the doctype in another case", SharedFormat::Html,
     "<!doctype netscape-bookmark-file-1>\n<DL><p>\n</DL><p>", "error"},
    {"anything before the doctype", SharedFormat::Html, "\n" + kHtmlHead + "<DL><p>\n</DL><p>",
     "error"},
    {"a byte order mark", SharedFormat::Html, "\xEF\xBB\xBF" + kHtmlHead + "<DL><p>\n</DL><p>",
     "error"},
    {"a byte that is not UTF-8", SharedFormat::Html,
     kHtmlHead + "<DL><p>\n<DT><A HREF=\"u\" ID=\"1\">caf\xE9</A>\n</DL><p>", "error"},
    {"highestId with spaces around it", SharedFormat::Html,
     "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE><!--- highestId : 12 : x -->",
     "h12[]"},
    {"a second : before the comment spoils the number", SharedFormat::Html,
     "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>a:b</TITLE><!--- highestId :12: x -->", "h0[]"},
    // The XBEL form.
    {"missing ids, either quote style, trimmed titles", SharedFormat::Xbel,
     kXbelHead + "<folder>\n  <title>\n    a  </title>\n  <bookmark href='u&amp;v' id='4'>"
                 "<title>\u3000全角\u3000</title></bookmark>\n</folder>\n</xbel>",
     "h9[F0:a[B4:全角=u&v]]"},
    {"separators, descriptions, info and their contents ignored", SharedFormat::Xbel,
     kXbelHead + "<info><metadata owner=\"x\"><folder id=\"7\"><title>no</title></folder>"
                 "</metadata></info>\n<folder id=\"1\">\n  <desc>about <b>it</b></desc>\n"
                 "  <title>f</title>\n  <separator/>\n  <bookmark href=\"u\" id=\"2\">\n"
                 "    <info><title>not this</title></info>\n    <title>b</title>\n"
                 "    <desc>d</desc>\n  </bookmark>\n  <alias ref=\"2\"/>\n</folder>\n</xbel>",
     "h9[F1:f[B2:b=u]]"},
    {"empty elements, a title after the children, a second title ignored", SharedFormat::Xbel,
     kXbelHead + "<bookmark href=\"u\" id=\"1\"/>\n<folder id=\"2\"/>\n<folder id=\"3\">\n"
                 "  <bookmark href=\"v\" id=\"4\"><title/></bookmark>\n  <title>late</title>\n"
                 "  <title>second</title>\n</folder>\n</xbel>",
     "h9[B1:=u,F2:[],F3:late[B4:=v]]"},
    {"references decoded; a bookmark holds no items", SharedFormat::Xbel,
     kXbelHead +
         "<bookmark href=\"https://x.example/?a=&quot;1&quot;&amp;b=&#39;2&#x27;\" id=\"1\">"
         "<title>&lt;&gt;&amp;&quot;&apos;&#26085;</title>"
         "<bookmark href=\"w\" id=\"2\"/></bookmark>\n</xbel>",
     "h9[B1:<>&\"'日=https://x.example/?a=\"1\"&b='2']"},
    {"no highestId comment, no end of the file", SharedFormat::Xbel,
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel>\n<folder id=\"1\"><title>a</title>"
     "<bookmark href=\"u\" id=\"2\"><title>b",
     "h0[F1:a[B2:b=u]]"},
    {"a file stripped to its header reads empty", SharedFormat::Xbel,
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "h0[]"},
    {"the declaration in single quotes", SharedFormat::Xbel,
     "<?xml version='1.0' encoding='UTF-8'?>\n<xbel version=\"1.0\">\n</xbel>", "error"},
    {"the encoding in lower case", SharedFormat::Xbel,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<xbel version=\"1.0\">\n</xbel>", "error"},
    {"more on the declaration's line", SharedFormat::Xbel,
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xbel version=\"1.0\">\n</xbel>", "error"},
    {"an XBEL file's byte order mark", SharedFormat::Xbel, "\xEF\xBB\xBF" + kXbelHead + "</xbel>",
     "error"},
    {"an overlong UTF-8 form", SharedFormat::Xbel,
     kXbelHead + "<bookmark href=\"\xC0\xAF\" id=\"1\"><title>x</title></bookmark>\n</xbel>",
     "error"},
    {"the bookmark-file form read as XBEL", SharedFormat::Xbel, kHtmlHead, "error"},
};

// Folders nested `depth` deep, in the form's own markup.
std::string Nested(SharedFormat format, int depth) {
    std::string bytes = format == SharedFormat::Html ? kHtmlHead + "<DL><p>\n" : kXbelHead;
    for (int k = 0; k < depth; ++k) {
        bytes +=
            format == SharedFormat::Html ? "<DT><H3>f</H3><DL><p>\n" : "<folder><title>f</title>\n";
    }
    return bytes;
}

// A random tree: folders and bookmarks in any nesting, distinct ids in no particular order,
// titles and URLs made of what needs escaping, Japanese and nothing at all.
SyncTree RandomTree(std::mt19937& random) {
    static const char* const kPieces[] = {"<",      ">",   "&", "\"",    "'",     "日本語",
                                          "テスト", "a b", "x", "&amp;", "&#60;", "⎯⎯",
                                          "]]>",    "-->", "=", "/"};
    static const char* const kUrls[] = {
        "https://example.com/?a=1&b=2",   "https://xn--r8jz45g.xn--zckzah/%E3%83%91?q='x'&y=\"z\"",
        "javascript:alert('<&>')",        "data:text/html,<b>&amp;</b>",
        "https://example.com/a%20b#frag", "",
        "http://例え.テスト/パス"};
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto text = [&] {
        std::string out;
        for (int k = pick(4); k > 0; --k)
            out += kPieces[pick(static_cast<int>(std::size(kPieces)))];
        return out;
    };
    SyncTree tree;
    std::vector<int> folders{SyncTree::kRoot};
    const int count = pick(5) == 0 ? 300 : pick(40);
    std::vector<SyncId> ids;
    for (SyncId id = 0; static_cast<int>(ids.size()) < count;) ids.push_back(id += 1 + pick(3));
    std::shuffle(ids.begin(), ids.end(), random);
    for (int k = 0; k < count; ++k) {
        // The newest folder most often: deep chains as well as wide lists.
        const int parent =
            pick(2) == 0
                ? folders.back()
                : folders[static_cast<std::size_t>(pick(static_cast<int>(folders.size())))];
        const SyncId id = ids[static_cast<std::size_t>(k)];
        if (pick(3) == 0) {
            folders.push_back(tree.Add(parent, Folder(id, text())));
        } else {
            tree.Add(parent, Bookmark(id, text(), kUrls[pick(static_cast<int>(std::size(kUrls)))]));
        }
    }
    tree.highestId = (ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end())) + pick(3);
    return tree;
}

}  // namespace

TEST(SharedFile, TheExtensionsOwnBytesReadAndWrittenBackExactly) {
    for (SharedFormat format : kFormats) {
        const std::string golden =
            DataFile(format == SharedFormat::Html ? "golden.html" : "golden.xbel");
        ASSERT_FALSE(golden.empty());
        const SharedFileRead read = ReadSharedFile(golden, format);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_TRUE(SameTree(read.tree, GoldenTree())) << Dump(read);
        EXPECT_EQ(read.tree.highestId, 4);
        EXPECT_EQ(WriteSharedFile(GoldenTree(), format), golden) << FormatName(format);
        EXPECT_EQ(CheckBeforeUpload(GoldenTree(), golden, format), "");
    }
}

TEST(SharedFile, ReadsFilesByTheExtensionsRules) {
    for (const ReadCase& c : kReadCases) {
        const SharedFileRead read = ReadSharedFile(c.bytes, c.format);
        EXPECT_EQ(Dump(read), c.expected) << c.what;
        if (!read.ok) {
            EXPECT_NE(read.error.find("共有ファイルの形式が違います"), std::string::npos) << c.what;
        }
    }
}

TEST(SharedFile, BrokenFilesReadWithoutHarm) {
    std::mt19937 random(7);
    for (SharedFormat format : kFormats) {
        const std::string golden =
            DataFile(format == SharedFormat::Html ? "golden.html" : "golden.xbel");
        // Cut anywhere, or with bytes of markup put anywhere.
        for (std::size_t size = 0; size <= golden.size(); ++size)
            ReadSharedFile(golden.substr(0, size), format);
        for (int round = 0; round < 3000; ++round) {
            std::string bytes = golden;
            for (int k = 0; k < 4; ++k) {
                const std::size_t at = random() % bytes.size();
                bytes.insert(at, 1, "<>\"'/=!-&;\n"[random() % 11]);
            }
            ReadSharedFile(bytes, format);
        }
        // Nesting: up to the limit is read, past it is an error, however deep it goes.
        EXPECT_TRUE(ReadSharedFile(Nested(format, 1000), format).ok);
        SyncTree deepest;
        for (int k = 0, parent = SyncTree::kRoot; k < 1000; ++k) {
            parent = deepest.Add(parent, Folder(k + 1, "f"));
            if (k == 999) deepest.Add(parent, Bookmark(1001, "b", "u"));
        }
        deepest.highestId = 1001;
        EXPECT_EQ(CheckBeforeUpload(deepest, WriteSharedFile(deepest, format), format), "");
        EXPECT_FALSE(ReadSharedFile(Nested(format, 1001), format).ok);
        EXPECT_FALSE(ReadSharedFile(Nested(format, 200000), format).ok);
    }
    // Unclosed quotes, comments and tags by the hundred thousand, in one pass.
    std::string open = kHtmlHead + "<DL><p>\n";
    for (int k = 0; k < 100000; ++k) open += "<DT><A HREF=\"x<!--<DL><DT><H3 ID='";
    ReadSharedFile(open, SharedFormat::Html);
    ReadSharedFile(kXbelHead + open, SharedFormat::Xbel);
}

TEST(SharedFile, AnyTreeWrittenReadsBackAndPassesTheUploadCheck) {
    std::mt19937 random(2024);
    for (int round = 0; round < 300; ++round) {
        const SyncTree tree = RandomTree(random);
        for (SharedFormat format : kFormats) {
            const std::string bytes = WriteSharedFile(tree, format);
            const SharedFileRead read = ReadSharedFile(bytes, format);
            ASSERT_TRUE(read.ok) << read.error;
            ASSERT_TRUE(SameTree(read.tree, tree)) << bytes;
            EXPECT_EQ(read.tree.highestId, tree.highestId);
            EXPECT_EQ(CheckBeforeUpload(tree, bytes, format), "");
            if (tree.Size() < 3) continue;
            // What the check refuses: two items with one id, an id above highestId, an item
            // without an id, bytes of another tree.
            SyncTree twice = tree;
            twice[2].id = twice[1].id;
            SyncTree low = tree;
            low.highestId = std::max(tree[1].id, tree[2].id) - 1;
            SyncTree none = tree;
            none[1 + static_cast<int>(random() % (tree.Size() - 1))].id = kNoId;
            SyncTree other = tree;
            other[1].title += "!";
            for (const SyncTree* bad : {&twice, &low, &none}) {
                EXPECT_NE(CheckBeforeUpload(*bad, WriteSharedFile(*bad, format), format), "");
            }
            EXPECT_NE(CheckBeforeUpload(other, bytes, format), "");
            EXPECT_NE(CheckBeforeUpload(tree, "\xEF\xBB\xBF" + bytes, format), "");
        }
    }
}
