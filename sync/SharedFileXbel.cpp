// The XBEL form of the shared file.

#include <vector>

#include "sync/MarkupScan.h"
#include "sync/SharedFileParts.h"
#include "util/HtmlText.h"
#include "util/Text.h"

namespace pernard::sync {

namespace {

constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
}

// An item at `indent`: its start tag, its title two spaces deeper (every item has one, empty
// or not), a folder's children as deep, its end tag.
void AppendItem(const SyncTree& tree, int index, const std::string& indent, std::string& out) {
    const SyncItem& item = tree[index];
    const std::string inner = indent + "  ";
    out += indent;
    if (item.folder) {
        out += "<folder id=\"" + std::to_string(item.id) + "\">\n";
    } else {
        out += "<bookmark href=\"";
        AppendEscaped(out, item.url);
        out += "\" id=\"" + std::to_string(item.id) + "\">\n";
    }
    out += inner + "<title>";
    AppendEscaped(out, item.title);
    out += "</title>\n";
    for (int child : item.children) AppendItem(tree, child, inner, out);
    out += indent + (item.folder ? "</folder>\n" : "</bookmark>\n");
}

std::string DecodedAttribute(const MarkupTag& tag, std::string_view name) {
    std::string_view raw;
    return tag.Find(name, false, raw) ? DecodeCharacterReferences(raw) : std::string();
}

// An element still open: the item it is (the root for <xbel>), whether its title came yet.
struct OpenElement {
    int item;
    bool titled;
};

// Reads the elements inside <xbel>, whose start tag the scanner has just returned: a
// <folder> or <bookmark> in a folder is an item, a <title> names the item it is in; every other
// element is passed over with all it holds.
bool ReadElements(MarkupScanner& scanner, SyncTree& tree) {
    std::vector<OpenElement> open{{SyncTree::kRoot, true}};
    while (!open.empty()) {
        const MarkupTag& tag = scanner.Next();
        if (tag.kind == TagKind::None) return true;
        if (tag.kind == TagKind::End) {
            open.pop_back();
            continue;
        }
        if (tag.kind != TagKind::Start) continue;
        const int parent = open.back().item;
        const bool isItem = tag.Is("folder", false) || tag.Is("bookmark", false);
        if (isItem && tree[parent].folder) {
            SyncItem item;
            item.folder = tag.Is("folder", false);
            item.id = ParseSyncId(DecodedAttribute(tag, "id"));
            if (!item.folder) item.url = DecodedAttribute(tag, "href");
            const int index = tree.Add(parent, std::move(item));
            if (tag.selfClosing) continue;
            if (tree[index].folder && static_cast<int>(open.size()) > kMaxFolderDepth) {
                return false;
            }
            open.push_back({index, false});
        } else if (tag.Is("title", false) && !tag.selfClosing) {
            const std::string title =
                TrimmedTitle(DecodeCharacterReferences(scanner.TextBeforeTag()));
            if (!open.back().titled) tree[parent].title = title;
            open.back().titled = true;
            scanner.SkipElement("title", false);
        } else if (!tag.selfClosing) {
            scanner.SkipElement(tag.name, false);
        }
    }
    return true;
}

}  // namespace

namespace {

// The code point of the UTF-8 character of `size` bytes at `text[at]`.
char32_t CodePointAt(std::string_view text, std::size_t at, int size) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (size == 1) return lead;
    char32_t value = lead & (0x7F >> size);
    for (int k = 1; k < size; ++k) value = (value << 6) | (text[at + k] & 0x3F);
    return value;
}

// The white space a script's trim() removes.
bool IsScriptSpace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

}  // namespace

std::string TrimmedTitle(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const int size = CharSize(text, begin);
        if (!IsScriptSpace(CodePointAt(text, begin, size))) break;
        begin += static_cast<std::size_t>(size);
    }
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t start = end - 1;
        while (start > begin && IsContinuationByte(text[start])) --start;
        if (!IsScriptSpace(CodePointAt(text, start, static_cast<int>(end - start)))) break;
        end = start;
    }
    return std::string(text.substr(begin, end - begin));
}


std::string WriteXbelFile(const SyncTree& tree) {
    std::string out(kXmlDeclaration);
    out +=
        "\n<!DOCTYPE xbel PUBLIC \"+//IDN python.org//DTD XML Bookmark Exchange Language "
        "1.0//EN//XML\" "
        "\"http://pyxml.sourceforge.net/topics/dtds/xbel.dtd\">\n<xbel version=\"1.0\">\n";
    out += HighestIdComment(tree.highestId) + "\n\n";
    for (int child : tree[SyncTree::kRoot].children) AppendItem(tree, child, "", out);
    out += "</xbel>";
    return out;
}

std::string ReadXbelFile(std::string_view bytes, SyncTree& tree) {
    const std::string_view afterDeclaration =
        bytes.substr(std::min(kXmlDeclaration.size(), bytes.size()));
    if (bytes.substr(0, kXmlDeclaration.size()) != kXmlDeclaration ||
        (!afterDeclaration.empty() && afterDeclaration[0] != '\n' && afterDeclaration[0] != '\r')) {
        return FormError("1 行目が " + std::string(kXmlDeclaration) + " ではありません");
    }
    tree.highestId = HighestIdOf(bytes);
    MarkupScanner scanner(bytes, kXmlDeclaration.size());
    for (const MarkupTag* tag = &scanner.Next(); tag->kind != TagKind::None;
         tag = &scanner.Next()) {
        if (tag->kind == TagKind::Start && tag->Is("xbel", false)) {
            if (tag->selfClosing || ReadElements(scanner, tree)) return {};
            return DeepNestingError();
        }
    }
    return {};
}

}  // namespace pernard::sync
