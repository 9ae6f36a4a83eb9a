#include "formats/bookmarkfile/NetscapeWriter.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "formats/bookmarkfile/NetscapeReader.h"
#include "formats/StoreRoles.h"
#include "model/EntryExtras.h"
#include "util/CodePage.h"
#include "util/HtmlText.h"
#include "util/SafeFile.h"
#include "util/Text.h"

namespace pernard {

namespace {

constexpr const char* kLineEnd = "\r\n";

// A root is written in the encoding it was read in (CP932 when that is unknown), or in UTF-8
// when the settings say so. Its own encoding takes back every byte it was read with.
std::string WriteCharset(const BmLogic& model, int root) {
    if (model.GetPorts().settings != nullptr && model.GetPorts().settings->SaveInUtf8()) {
        return kUtf8;
    }
    const std::string charset = model.RootCharset(root);
    return charset.empty() ? std::string(kCp932) : charset;
}

// The label the file's charset line gives for an encoding.
std::string CharsetLabel(const std::string& charset) {
    return charset == kCp932 ? std::string("Shift_JIS") : charset;
}

// Bytes that did not decode go back as themselves only into the encoding they were read in.
// A Favorites root's texts come from file names and shortcut files, never from this file.
bool KeptBytesBelong(const BmLogic& model, int root) {
    if (model.SourceKindOf(root) == SourceKind::Favorites) return false;
    // A UTF-16 file keeps its lone surrogates so (util/Text.cpp): written back in UTF-16, they
    // are its units again.
    const std::string charset = WriteCharset(model, root);
    return model.RootCharset(root) == charset;
}

template <typename Test>
bool AnyEntryOfRoot(const BmLogic& model, int root, Test test) {
    const int count = std::min(model.glCT, model.Tree().Count());
    for (int i = root; i < count && (i == root || model.gloya[i] != -1); ++i) {
        if (test(static_cast<std::size_t>(i))) return true;
    }
    return false;
}

// Collects the lines of the file and encodes them; every line but the last is followed by an
// empty line.
class BookmarkText {
public:
    BookmarkText(const std::string& charset, bool keptBytesBelong, const BytesSink& sink)
        : encoder_(charset, &AppendNumericReference, keptBytesBelong), sink_(sink) {}
    // The line being built, in UTF-8; Emit writes it out.
    std::string& Build() {
        line_.clear();
        return line_;
    }
    void Emit() {
        encoder_.Encode(line_, bytes_);
        bytes_ += kLineEnd;
        bytes_ += kLineEnd;
        if (bytes_.size() >= kFlushSize) Flush();
    }
    void Line(std::string_view text) {
        Build() += text;
        Emit();
    }
    void Finish(std::string_view lastLine) {
        encoder_.Encode(lastLine, bytes_);
        bytes_ += kLineEnd;
        Flush();
    }

private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    void Flush() {
        sink_(bytes_);
        bytes_.clear();
    }
    TextEncoder encoder_;
    const BytesSink& sink_;
    std::string line_;
    std::string bytes_;
};

void AppendIndent(std::string& line, int depth) {
    line.append(static_cast<std::size_t>(std::min(4 * (depth + 1), 44)), ' ');
}

}  // namespace

std::string BookmarkFileText(const BmLogic& model, int root) {
    std::string bytes;
    WriteBookmarkText(model, root, [&bytes](std::string_view chunk) { bytes += chunk; });
    return bytes;
}

bool WouldReplaceKeptBytes(const BmLogic& model, int root) {
    if (KeptBytesBelong(model, root)) return false;
    return AnyEntryOfRoot(model, root, [&model](std::size_t k) {
        return HasLostKeptBytes(model.glName[k]) || HasLostKeptBytes(model.glUrl[k]) ||
               HasLostKeptBytes(model.glAdd[k]) || HasLostKeptBytes(model.glVisit[k]) ||
               HasLostKeptBytes(model.glLast[k]) ||
               HasLostKeptBytes(model.ExtrasOf(static_cast<int>(k)));
    });
}

namespace {

// What an entry's extras add to the file around its own line.
void AppendSeparators(BookmarkText& text, int count, int depth) {
    for (int n = 0; n < count; ++n) {
        std::string& line = text.Build();
        AppendIndent(line, depth);
        line += "<HR>";
        text.Emit();
    }
}

// The description as written, after "<DD>": its lines go out as they were read. A later line
// that a read would take for the end of the description (it came from a second "<DD>" of the
// entry) gets its "<DD>" back, which a read turns into a line of the same description again.
void AppendDescription(BookmarkText& text, const EntryExtras& extras, int depth) {
    if (!extras.hasDescription) return;
    std::string& line = text.Build();
    AppendIndent(line, depth);
    line += "<DD>";
    bool first = true;
    ForEachLine(extras.description, LineEnds::LfOnly, [&](std::string_view part) {
        if (!first) {
            line += "\r\n";
            if (LineEndsDescription(part)) line += "<DD>";
        }
        line += part;
        first = false;
    });
    text.Emit();
}

// The entries of one root: its title, heading and list. Returns how many entries had extras
// that a bookmark file cannot hold (a shortcut file's lines).
int WriteRootSection(const BmLogic& model, int root, BookmarkText& text, bool last) {
    int dropped = 0;
    const std::string rootName = EscapeHtml(model.glNode[root]->Text());  // copied out
    const EntryExtras rootExtras = UnpackExtras(model.ExtrasOf(root));
    AppendSeparators(text, rootExtras.separatorsBefore, -1);
    text.Line("<TITLE>" + rootName + "</TITLE>");
    // The file's own heading, or the title again.
    std::string& heading = text.Build();
    heading += "<H1";
    heading += rootExtras.headingAttributes;
    heading += '>';
    heading += rootExtras.hasHeading ? rootExtras.heading : rootName;
    heading += "</H1>";
    text.Emit();
    AppendDescription(text, rootExtras, -1);
    text.Line("<DL><p>");
    struct OpenList {
        int folder;
        int separatorsAtEnd;
        bool atTop;  // a store's top folder written as the file's own list
    };
    std::vector<OpenList> open;  // the folder per open level
    int depth = 0;               // the lists written and open
    auto closeLists = [&](int parent) {
        while (!open.empty() && parent < open.back().folder) {
            AppendSeparators(text, open.back().separatorsAtEnd, depth);
            const bool atTop = open.back().atTop;
            open.pop_back();
            if (atTop) continue;
            --depth;
            std::string& line = text.Build();
            AppendIndent(line, depth);
            line += "</DL><p>";
            text.Emit();
        }
    };
    // A browser's store is written as the browser's own export writes it.
    const bool storeRoot = IsBrowserStore(model.SourceKindOf(root));
    const EntryExtras none;
    EntryExtras extras;
    const int count = std::min(model.glCT, model.Tree().Count());
    for (int i = root + 1; i < count && model.gloya[i] != -1; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        closeLists(model.gloya[k]);
        const std::string_view packed = model.ExtrasOf(i);
        if (!packed.empty()) {
            extras = UnpackExtras(packed);
            if (!extras.shortcut.empty()) ++dropped;
        }
        const EntryExtras& kept = packed.empty() ? none : extras;
        AppendSeparators(text, kept.separatorsBefore, depth);
        if (model.glUrl[k] == kFolderMarker && storeRoot && model.gloya[k] == root &&
            WrittenAtTopOnExport(kept.storeKey)) {
            open.push_back(OpenList{i, kept.separatorsAtEnd, true});
            continue;
        }
        if (model.glUrl[k] == kFolderMarker && storeRoot && model.gloya[k] == root &&
            LeftOutOfExportWhenEmpty(kept.storeKey) && !model.glNode[k]->HasChildren() &&
            kept.separatorsAtEnd == 0) {
            continue;
        }
        std::string& line = text.Build();
        AppendIndent(line, depth);
        if (model.glUrl[k] == kFolderMarker) {
            line += "<DT><H3 ADD_DATE=\"";
            AppendEscapedHtml(line, model.glAdd[k]);
            line += '"';
            line += kept.attributes;
            line += '>';
            AppendEscapedHtml(line, model.glName[k]);
            line += "</H3>";
            AppendEscapedHtml(line, model.glVisit[k]);
            text.Emit();
            AppendDescription(text, kept, depth);
            std::string& list = text.Build();
            AppendIndent(list, depth);
            list += "<DL><p>";
            text.Emit();
            open.push_back(OpenList{i, kept.separatorsAtEnd, false});
            ++depth;
        } else {
            line += "<DT><A HREF=\"";
            AppendEscapedHtml(line, model.glUrl[k]);
            line += "\" ADD_DATE=\"";
            AppendEscapedHtml(line, model.glAdd[k]);
            line += "\" LAST_VISIT=\"";
            AppendEscapedHtml(line, model.glVisit[k]);
            line += "\" LAST_MODIFIED=\"";
            AppendEscapedHtml(line, model.glLast[k]);
            line += '"';
            line += kept.attributes;
            line += '>';
            AppendEscapedHtml(line, model.glName[k]);
            line += "</A>";
            text.Emit();
            AppendDescription(text, kept, depth);
        }
    }
    closeLists(-1);
    AppendSeparators(text, rootExtras.separatorsAtEnd, 0);
    if (last) {
        text.Finish("</DL><p>");
    } else {
        text.Line("</DL><p>");
    }
    return dropped;
}

}  // namespace

int WriteBookmarkText(const BmLogic& model, const std::vector<int>& roots, const BytesSink& sink) {
    if (roots.empty()) return 0;
    // The roots of one file were read in one encoding: the first one's says it.
    const std::string charset = WriteCharset(model, roots.front());
    // A UTF-16 file is written as it was read: its byte order mark, then the text, made in
    // UTF-8 and turned into UTF-16 a block (of whole lines) at a time.
    const bool utf16 = IsUtf16Charset(charset);
    std::string wide;
    bool marked = false;
    const BytesSink toUtf16 = [&](std::string_view chunk) {
        wide.clear();
        const bool bigEndian = charset == kUtf16Be;
        if (!marked) wide = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        marked = true;
        AppendUtf16(chunk, bigEndian, wide);
        sink(wide);
    };
    BookmarkText text(utf16 ? std::string(kUtf8) : charset,
                      KeptBytesBelong(model, roots.front()), utf16 ? toUtf16 : sink);
    text.Line("<!DOCTYPE NETSCAPE-Bookmark-file>");
    // The file says what it is written in: a Shift_JIS file can happen to be valid UTF-8 too,
    // and would then be read back as UTF-8.
    text.Line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=" +
              CharsetLabel(charset) + "\">");
    text.Line("<!-- This is written by Quillet -->");
    int dropped = 0;
    for (std::size_t k = 0; k < roots.size(); ++k) {
        dropped += WriteRootSection(model, roots[k], text, k + 1 == roots.size());
    }
    return dropped;
}

int WriteBookmarkText(const BmLogic& model, int root, const BytesSink& sink) {
    return WriteBookmarkText(model, std::vector<int>{root}, sink);
}

bool UrlsHoldKeptBytes(const BmLogic& model, int root) {
    return AnyEntryOfRoot(model, root, [&model](std::size_t k) {
        return model.glUrl[k] != kFolderMarker && HasKeptBytes(model.glUrl[k]);
    });
}

BookmarkFileWrite WriteBookmarkRoots(const BmLogic& model, const WritePermit& permit) {
    BookmarkFileWrite result;
    const std::vector<int>& roots = permit.Roots();
    SafeFileWriter file;
    bool ok = !roots.empty() && std::all_of(roots.begin(), roots.end(), [&model](int root) {
        return root >= 0 && root < model.glCT;
    }) && file.Open(permit.Target());
    if (ok) {
        result.droppedExtras =
            WriteBookmarkText(model, roots, [&file](std::string_view chunk) { file.Write(chunk); });
        ok = file.Commit();
    }
    result.written = ok;
    return result;
}

}  // namespace pernard
