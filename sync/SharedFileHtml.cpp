// The bookmark-file form of the shared file.

#include <vector>

#include "sync/MarkupScan.h"
#include "sync/SharedFileParts.h"
#include "util/HtmlText.h"

namespace pernard::sync {

namespace {

constexpr std::string_view kDoctype = "<!DOCTYPE NETSCAPE-Bookmark-file-1>";

// "<", ">", "&", the double quote and the apostrophe as numeric references; nothing else.
void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&#60;";
                break;
            case '>':
                out += "&#62;";
                break;
            case '&':
                out += "&#38;";
                break;
            case '"':
                out += "&#34;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
}

// An item's lines at `indent`: a bookmark's one line; a folder's heading, then its list at the
// heading's indent with the children two spaces deeper.
void AppendItem(const SyncTree& tree, int index, const std::string& indent, std::string& out) {
    const SyncItem& item = tree[index];
    out += indent;
    if (!item.folder) {
        out += "<DT><A HREF=\"";
        AppendEscaped(out, item.url);
        out += "\" TAGS=\"\" ID=\"" + std::to_string(item.id) + "\">";
        AppendEscaped(out, item.title);
        out += "</A>\n";
        return;
    }
    out += "<DT><H3 ID=\"" + std::to_string(item.id) + "\">";
    AppendEscaped(out, item.title);
    out += "</H3>\n" + indent + "<DL><p>\n";
    const std::string inner = indent + "  ";
    for (int child : item.children) AppendItem(tree, child, inner, out);
    out += indent + "</DL><p>\n";
}

bool IsTag(const MarkupTag& tag, TagKind kind, std::string_view name) {
    return tag.kind == kind && tag.Is(name, true);
}

// The extension reads a file whose first folder heading is marked FOLDED as holding nothing.
bool FirstFolderIsFolded(std::string_view bytes) {
    MarkupScanner scanner(bytes, kDoctype.size());
    for (const MarkupTag* tag = &scanner.Next(); tag->kind != TagKind::None;
         tag = &scanner.Next()) {
        std::string_view ignored;
        if (IsTag(*tag, TagKind::Start, "H3")) return tag->Find("FOLDED", true, ignored);
    }
    return false;
}

std::string DecodedAttribute(const MarkupTag& tag, std::string_view name) {
    std::string_view raw;
    return tag.Find(name, true, raw) ? DecodeCharacterReferences(raw) : std::string();
}

// Reads the lists from the one the scanner has just opened (the file's first): each <DT>'s
// <A> is a bookmark, its <H3> a folder whose children are the next <DL>, unless the item's
// </DT>, another <DT> or the end of the list comes first; a list no heading opens is passed
// over with all it holds.
bool ReadLists(MarkupScanner& scanner, SyncTree& tree) {
    std::vector<int> open{SyncTree::kRoot};
    bool inItem = false;
    int headingWithoutList = -1;
    while (!open.empty()) {
        const MarkupTag& tag = scanner.Next();
        if (tag.kind == TagKind::None) return true;
        if (IsTag(tag, TagKind::Start, "DT")) {
            inItem = true;
            headingWithoutList = -1;
        } else if (IsTag(tag, TagKind::End, "DT")) {
            inItem = false;
            headingWithoutList = -1;
        } else if (IsTag(tag, TagKind::End, "DL")) {
            open.pop_back();
            inItem = false;
            headingWithoutList = -1;
        } else if (IsTag(tag, TagKind::Start, "DL")) {
            if (headingWithoutList < 0) {
                scanner.SkipElement("DL", true);
                continue;
            }
            if (static_cast<int>(open.size()) > kMaxFolderDepth) return false;
            open.push_back(headingWithoutList);
            headingWithoutList = -1;
        } else if (inItem &&
                   (IsTag(tag, TagKind::Start, "A") || IsTag(tag, TagKind::Start, "H3"))) {
            SyncItem item;
            item.folder = tag.Is("H3", true);
            item.id = ParseSyncId(DecodedAttribute(tag, "ID"));
            if (!item.folder) item.url = DecodedAttribute(tag, "HREF");
            item.title = DecodeCharacterReferences(scanner.TextBeforeTag());
            const int index = tree.Add(open.back(), std::move(item));
            if (tree[index].folder) headingWithoutList = index;
            inItem = false;
        }
    }
    return true;
}

}  // namespace

std::string WriteHtmlFile(const SyncTree& tree) {
    std::string out(kDoctype);
    out += "\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n";
    out += "<TITLE>Bookmarks</TITLE>" + HighestIdComment(tree.highestId) + "\n<DL><p>\n";
    for (int child : tree[SyncTree::kRoot].children) AppendItem(tree, child, "", out);
    out += "</DL><p>\n</html>";
    return out;
}

std::string ReadHtmlFile(std::string_view bytes, SyncTree& tree) {
    if (bytes.substr(0, kDoctype.size()) != kDoctype) {
        return FormError("先頭が " + std::string(kDoctype) + " ではありません");
    }
    tree.highestId = HighestIdOf(bytes);
    if (FirstFolderIsFolded(bytes)) return {};
    MarkupScanner scanner(bytes, kDoctype.size());
    for (const MarkupTag* tag = &scanner.Next(); tag->kind != TagKind::None;
         tag = &scanner.Next()) {
        if (IsTag(*tag, TagKind::Start, "DL")) {
            return ReadLists(scanner, tree) ? std::string() : DeepNestingError();
        }
    }
    return {};
}

}  // namespace pernard::sync
