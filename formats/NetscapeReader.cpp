#include "formats/NetscapeReader.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "formats/EncodingSniffer.h"
#include "formats/LineJoiner.h"
#include "formats/LineReader.h"
#include "formats/LineTags.h"
#include "util/CodePage.h"
#include "util/HtmlText.h"
#include "util/Paths.h"
#include "util/Text.h"

namespace pernard {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Keeps an attribute as written, so that a save writes it back. A value whose quote the line
// never closes gets its closing quote: written back open, it would take the rest of the tag.
void AppendKeptAttribute(std::string& kept, const TagAttribute& attribute) {
    kept += ' ';
    kept += attribute.text;
    if (attribute.unclosedQuote != 0) kept += attribute.unclosedQuote;
}

// Removes the blank lines at the end of a description: a save puts an empty line after each.
void DropTrailingBlankLines(std::string& description) {
    while (true) {
        const std::size_t lineStart = description.rfind('\n');
        if (lineStart == std::string::npos) return;
        if (!TrimBlanksView(std::string_view(description).substr(lineStart + 1)).empty()) return;
        description.resize(lineStart);
    }
}

// The text between `open` and `close` (ASCII letter case ignored), trimmed of blanks and
// control characters; up to the end of the line when `close` is missing.
std::string Between(const std::string& line, std::string_view open, std::string_view close) {
    std::string rest = line;
    CutToken(open, rest);
    return TrimBlanks(CutToken(close, rest));
}

}  // namespace

bool ParseHrefLine(std::string_view line, AnchorFields& fields, TagAttributes& attributes) {
    std::size_t at = 0;
    while ((at = FindNoCase(line, "<A", at)) != std::string_view::npos) {
        const std::size_t nameEnd = at + 2;
        if (nameEnd >= line.size() || !IsBlank(line[nameEnd])) {
            at = nameEnd;
            continue;
        }
        const std::size_t close = ParseTagAttributes(line, nameEnd, attributes);
        // One pass over the attributes; the first occurrence of each name counts.
        const std::string_view* href = nullptr;
        const std::string_view* added = nullptr;
        const std::string_view* visited = nullptr;
        const std::string_view* modified = nullptr;
        fields.otherAttributes.clear();
        for (const TagAttribute& attribute : attributes.items) {
            const std::string_view& name = attribute.name;
            const std::string_view** slot = nullptr;
            switch (name.size()) {
                case 4:
                    slot = EqualsNoCase(name, "HREF") ? &href : nullptr;
                    break;
                case 8:
                    slot = EqualsNoCase(name, "ADD_DATE") ? &added : nullptr;
                    break;
                case 10:
                    slot = EqualsNoCase(name, "LAST_VISIT") ? &visited : nullptr;
                    break;
                case 13:
                    slot = EqualsNoCase(name, "LAST_MODIFIED") ? &modified : nullptr;
                    break;
                default:
                    break;
            }
            if (slot != nullptr && *slot == nullptr) {
                *slot = &attribute.value;
            } else {
                AppendKeptAttribute(fields.otherAttributes, attribute);
            }
        }
        if (href == nullptr) {
            if (close == std::string_view::npos) return false;
            at = close;
            continue;
        }
        // Decoded into the fields' own storage, which the reader reuses from line to line.
        auto decode = [](const std::string_view* value, std::string& field) {
            DecodeCharacterReferencesInto(value == nullptr ? std::string_view() : *value, field);
        };
        decode(href, fields.url);
        decode(added, fields.added);
        decode(visited, fields.visited);
        decode(modified, fields.modified);
        fields.beforeAnchor.assign(line.substr(0, at));
        fields.name.clear();
        if (close != std::string_view::npos) {
            const std::string_view after = line.substr(close);
            const std::size_t end = FindNoCase(after, "</A>");
            DecodeCharacterReferencesInto(
                end == std::string_view::npos ? after : after.substr(0, end), fields.name);
        }
        return true;
    }
    return false;
}

NetscapeReader::NetscapeReader(BmLogic& model, const std::string& path, const std::string& charset)
    : model_(model),
      path_(path),
      charset_(charset),
      read_(model.NewReadNumber()),
      sourceStamp_(StampOf(path)) {}

bool NetscapeReader::StopAtCapacity() {
    errorText_ = kCapacityMessage;
    MarkPartial();
    return false;
}

void NetscapeReader::MarkPartial() {
    if (hasRoot_) model_.MarkRootPartial(root_);
}

void NetscapeReader::BeginEntry(int index) {
    StoreExtras();
    lastEntry_ = index;
    extras_.separatorsBefore = pendingSeparators_;
    pendingSeparators_ = 0;
}

void NetscapeReader::StoreExtras() {
    inDescription_ = false;
    if (lastEntry_ < 0 || extras_.Empty()) return;
    DropTrailingBlankLines(extras_.description);
    model_.SetExtras(lastEntry_, PackExtras(extras_));
    extras_ = EntryExtras();
}

void NetscapeReader::NoEntryBefore() {
    StoreExtras();
    lastEntry_ = -1;
}

void NetscapeReader::StartDescription(std::string_view text, bool continues) {
    if (lastEntry_ < 0) return;
    // A second description of one entry goes on the lines after the first.
    if (extras_.hasDescription) extras_.description += '\n';
    extras_.hasDescription = true;
    extras_.description += text;
    inDescription_ = continues;
}

bool NetscapeReader::ContinuesDescription(std::string_view line) const {
    return inDescription_ && !inComment_ && !LineEndsDescription(line);
}

bool LineEndsDescription(std::string_view line) { return ScanTags(line).EndsDescription(); }

void NetscapeReader::ContinueDescription(const std::string& line) {
    extras_.description += '\n';
    extras_.description += line;
}

void NetscapeReader::SeparatorsAtListEnd(int folder) {
    if (pendingSeparators_ == 0 || folder < 0) return;
    if (folder == lastEntry_) {
        extras_.separatorsAtEnd += pendingSeparators_;
    } else {
        EntryExtras extras = UnpackExtras(model_.ExtrasOf(folder));
        extras.separatorsAtEnd += pendingSeparators_;
        model_.SetExtras(folder, PackExtras(extras));
    }
    pendingSeparators_ = 0;
}

void NetscapeReader::Finish() {
    // Separators of a list the file never closed end the root's.
    if (hasRoot_) SeparatorsAtListEnd(root_);
    StoreExtras();
}

bool NetscapeReader::AddRoot(const std::string& name) {
    const BmLogic::Appended root = model_.AppendRoot(name, kSourceNetscape, path_);
    if (!root.Added()) return StopAtCapacity();
    // Every root opens depth 1, whatever was open before it.
    depth_ = 1;
    level_[1] = root.index;
    root_ = root.index;
    headingTaken_ = false;
    BeginEntry(root_);
    model_.SetRootCharset(root_, charset_);
    model_.SetRootRead(root_, read_);
    model_.MutableRootInfo(root_)->sourceStamp = sourceStamp_;
    hasRoot_ = true;
    // A root in the last free slot leaves no room for anything it could hold.
    if (model_.glCT >= model_.glMaxURL) return StopAtCapacity();
    return true;
}

void NetscapeReader::SetCharset(const std::string& charset) {
    charset_ = charset;
    if (!hasRoot_) return;
    for (int root : model_.RootsOfSameRead(root_)) model_.SetRootCharset(root, charset_);
}

bool NetscapeReader::EnsureRoot() { return hasRoot_ || AddRoot(FileNamePart(path_)); }

bool NetscapeReader::ParseBookmarkLine(const std::string& line) {
    if (inComment_) {
        if (line.find("-->") != std::string::npos) inComment_ = false;
        return true;
    }
    const LineTags tags = ScanTags(line);
    if (inDescription_) {
        if (!tags.EndsDescription()) {
            ContinueDescription(line);
            return true;
        }
        inDescription_ = false;
    }
    if (tags.description) {
        const std::string_view text = std::string_view(line).substr(
            tags.descriptionAt, tags.descriptionEnd - tags.descriptionAt);
        StartDescription(text, tags.descriptionEnd == std::string_view::npos);
        // A list tag or comment after the description on the same line is read as a line of
        // its own (rare: the usual layout gives the description its own line).
        if (tags.descriptionEnd == std::string_view::npos) return true;
        return ParseBookmarkLine(line.substr(tags.descriptionEnd));
    }
    // A comment that stays open takes the following lines; what came before it on this line
    // is read as usual.
    if (tags.commentOpen) inComment_ = true;
    if (tags.separator) ++pendingSeparators_;
    DiagnosticsPort& diagnostics = *model_.GetPorts().diagnostics;
    if (tags.doctype) {
        std::string rest = line;
        CutToken("DOCTYPE", rest);
        diagnostics.SetFileComment(TrimBlanks(CutToken(">", rest)));
        diagnostics.AppendReadingLog("DOCTYPE");
        return true;
    }
    if (tags.title) {
        const std::string title = DecodeCharacterReferences(Between(line, "<TITLE>", "</TITLE>"));
        diagnostics.SetFileTitle(title);
        diagnostics.AppendReadingLog("TITLE");
        return AddRoot(title);
    }
    if (tags.heading) {
        ParseHeading(line);
        diagnostics.AppendReadingLog("<H1>");
        return true;
    }
    if (!tags.listStart && !tags.term && !tags.listEnd) {
        NoteUnreadAnchor(tags.anchor, line);
        return true;
    }
    if (tags.anchor) {
        if (ParseHrefLine(line, anchor_, attributes_)) return ParseAnchor();
        NoteUnreadAnchor(true, line);
    }
    if (tags.listEnd) {
        SeparatorsAtListEnd(depth_ >= 1 ? level_[static_cast<std::size_t>(depth_)] : -1);
        // Lines after the root's own list still belong to this read's root.
        const int floor = hasRoot_ ? 1 : 0;
        if (depth_ > floor) --depth_;
        return true;
    }
    if (tags.folder) return ParseFolder(line);
    ListLine(line);
    return true;
}

void NetscapeReader::NoteUnreadAnchor(bool anchor, const std::string& line) {
    // Only lines that become no bookmark are searched: the usual ones cost nothing more.
    if (anchor && FindNoCase(line, "HREF") != std::string::npos) ++unreadAnchorLines_;
}

void NetscapeReader::ListLine(const std::string& line) {
    // The bookmark list is a diagnostic view: bounded like the memo echo.
    if (listedLines_ > kMemoEchoLimit) return;
    model_.GetPorts().diagnostics->AppendBookmarkList(
        listedLines_ < kMemoEchoLimit ? line : std::string("……"));
    ++listedLines_;
}

bool NetscapeReader::ParseAnchor() {
    if (!EnsureRoot()) return false;
    ++anchorsTaken_;
    AnchorFields& fields = anchor_;
    if (fields.url == kFolderMarker) {
        NoEntryBefore();
        return LeaveOutFolderMarkerUrl(fields.name);
    }
    if (listedLines_ <= kMemoEchoLimit) ListLine(fields.beforeAnchor + " " + fields.name);
    if (model_.GetPorts().settings->SkipDuplicateUrls() && model_.UrlExists(fields.url)) {
        // The reading log names skipped duplicates, bounded like the other echoes.
        if (skippedLines_ < kMemoEchoLimit) {
            model_.GetPorts().diagnostics->AppendReadingLog("重複  " + fields.name);
        } else if (skippedLines_ == kMemoEchoLimit) {
            model_.GetPorts().diagnostics->AppendReadingLog("重複  ……");
        }
        ++skippedLines_;
        NoEntryBefore();
        return true;
    }
    const BmLogic::Appended entry =
        model_.AppendBookmark(level_[static_cast<std::size_t>(depth_)], fields);
    if (!entry.Added()) return StopAtCapacity();
    ++urlCount_;
    BeginEntry(entry.index);
    extras_.attributes.swap(fields.otherAttributes);
    // A full table stops the read at the next entry, so that a file that fits exactly is read
    // whole and one that does not is known to be cut.
    return true;
}

bool NetscapeReader::LeaveOutFolderMarkerUrl(const std::string& name) {
    // The table marks folders with this URL: as a bookmark's it would turn it into a folder.
    // The bookmark is left out, said, and the root counts as read only in part.
    MarkPartial();
    if (leftOutLines_ < kMemoEchoLimit) {
        const std::string text = std::string(kFolderMarkerUrlMessage) + name;
        model_.EchoMemo(text);
        model_.GetPorts().diagnostics->ReportReadWarning(text);
    }
    ++leftOutLines_;
    return true;
}

void NetscapeReader::ParseHeading(const std::string& line) {
    TagAttributes& attributes = attributes_;
    const std::size_t close = ParseTagAttributes(line, FindNoCase(line, "<H1") + 3, attributes);
    std::string text;
    std::size_t end = std::string::npos;
    if (close != std::string::npos) {
        end = FindNoCase(line, "</H1>", close);
        text = TrimBlanks(std::string_view(line).substr(close, end - close));
    }
    const std::string shown = DecodeCharacterReferences(text);
    model_.GetPorts().diagnostics->SetFileHeading(shown);
    // The first heading after a root's title, before its first entry, is the root's: its
    // attributes are kept as written, and its text when it is not the title's (and ends on its
    // line: a heading spread over lines is written as the title, as always).
    if (!hasRoot_ || lastEntry_ != root_ || headingTaken_) return;
    headingTaken_ = true;
    for (const TagAttribute& attribute : attributes.items) {
        AppendKeptAttribute(extras_.headingAttributes, attribute);
    }
    if (end != std::string::npos && shown != model_.glName[root_]) {
        extras_.hasHeading = true;
        extras_.heading = std::move(text);
    }
}

bool NetscapeReader::ParseFolder(const std::string& line) {
    if (!EnsureRoot()) return false;
    ListLine(line);
    const std::size_t open = FindNoCase(line, "<H3");
    TagAttributes& attributes = attributes_;
    const std::size_t close = ParseTagAttributes(line, open + 3, attributes);
    std::string name;
    std::string rest;
    if (close != std::string::npos) {
        rest = line.substr(close);
        name = DecodeCharacterReferences(CutToken("</H3>", rest));
        // The folder keeps the text after its heading (its save URL), not markup that follows
        // it there, such as a "<DL><p>" on the same line: that is structure, not the folder's.
        rest = DecodeCharacterReferences(rest.substr(0, rest.find('<')));
    }
    // The folder's date is a column; every other attribute is kept as written.
    std::string_view added;
    bool addedSeen = false;
    std::string otherAttributes;
    for (const TagAttribute& attribute : attributes.items) {
        if (!addedSeen && EqualsNoCase(attribute.name, "ADD_DATE")) {
            added = attribute.value;
            addedSeen = true;
        } else {
            AppendKeptAttribute(otherAttributes, attribute);
        }
    }
    const BmLogic::Appended folder = model_.AppendFolder(
        level_[static_cast<std::size_t>(depth_)], name, DecodeCharacterReferences(added), rest);
    if (folder.outcome == BmLogic::Outcome::Full) return StopAtCapacity();
    if (!folder.Added()) {
        if (folder.outcome == BmLogic::Outcome::TooDeep) {
            model_.GetPorts().prompts->ShowMessage(kDepthLimitMessage);
        }
        errorText_ = "Tree 作成不可";
        MarkPartial();
        return false;
    }
    ++depth_;
    level_[static_cast<std::size_t>(depth_)] = folder.index;
    BeginEntry(folder.index);
    extras_.attributes = std::move(otherAttributes);
    return true;
}

std::string KeptBytesMessage(std::size_t bytes, const std::string& charset) {
    return "変換できないバイト " + std::to_string(bytes) +
           " 個をそのまま保持しました（表示は U+FFFD） (" + charset + ")";
}

bool ReadNetscapeFile(BmLogic& model, bool reset, const std::string& path, int& urlCount,
                      std::string& errorText) {
    const Ports& ports = model.GetPorts();
    urlCount = 0;
    if (reset && !model.ResetEntryTable(errorText)) return false;
    // Nothing before an additional load can be undone: the steps would not know its rows.
    if (!reset) model.ForgetHistory();
    LineReader reader;
    if (!reader.Open(path)) {
        std::error_code missing;
        errorText = std::filesystem::exists(path, missing)
                        ? "ブックマークファイルとして読めません : " + path
                        : "Not Found Bookmark : " + path;
        return false;
    }
    // The encoding is decided from the first block; a file whose first block is all ASCII is
    // decided where its first other bytes come.
    bool wholeFile = false;
    const std::string_view head = reader.Head(wholeFile);
    const SniffedEncoding encoding =
        SniffEncoding(head, wholeFile, ports.settings->FallbackEncoding());
    reader.Skip(encoding.bomLength);
    std::string charset = encoding.charset;
    std::optional<TextDecoder> decoder;
    if (!charset.empty()) decoder.emplace(charset);

    ports.progress->Show("Bookmark 読込中");
    model.ClearMemo();
    DiagnosticsPort& diagnostics = *ports.diagnostics;
    diagnostics.ClearReadingLog();
    diagnostics.ClearBookmarkList();
    diagnostics.SetFileComment("");
    diagnostics.SetFileTitle("");
    diagnostics.SetFileHeading("");

    if (ports.settings->SkipDuplicateUrls()) {
        // Bookmark lines take well over 200 bytes each: size the duplicate index once.
        std::error_code error;
        const auto bytes = std::filesystem::file_size(path, error);
        if (!error) model.ExpectUrls(static_cast<std::size_t>(bytes / 256));
    }
    NetscapeReader parser(model, path, charset);
    bool result = true;
    std::string raw;
    std::string line;
    model.Tree().BeginBulk();
    std::size_t cutLines = 0;
    LineJoiner joiner;
    std::string entry;
    bool more = true;
    while (more) {
        more = reader.NextLine(raw);
        bool ready = false;
        if (more) {
            if (!decoder && HasHighBytes(raw)) {
                charset = CharsetOfFirstText(raw, reader.Buffered());
                decoder.emplace(charset);
                parser.SetCharset(charset);
            }
            line.clear();
            if (decoder) {
                decoder->Decode(raw, line);
            } else {
                line = raw;
            }
            model.EchoMemo(line);
            // A description's lines are its own, whatever tags they hold: never joined. A line
            // cut at the length limit ends its entry: the tag it was cut in would otherwise take
            // the next entry's line.
            ready = joiner.Add(line, entry, parser.ContinuesDescription(line), reader.LineCut());
        } else {
            ready = joiner.Flush(entry);
        }
        if (ready && !parser.ParseBookmarkLine(entry)) {
            result = false;
            break;
        }
        if (reader.CutLines() != cutLines) {
            // What the line held beyond the limit is not in the table.
            cutLines = reader.CutLines();
            parser.MarkPartial();
        }
    }
    if (!decoder) parser.SetCharset(kCp932);  // all ASCII
    parser.Finish();
    if (cutLines > 0) {
        const std::string text =
            "長すぎる行 " + std::to_string(cutLines) + " 行の後半を読み飛ばしました";
        model.EchoMemo(text);
        diagnostics.ReportReadWarning(text);
    }
    reader.Close();
    if (decoder && decoder->Replacements() > 0) {
        const std::string text = KeptBytesMessage(decoder->Replacements(), charset);
        model.EchoMemo(text);
        diagnostics.ReportReadWarning(text);
    }
    if (ports.settings->NoEmptyFolders()) {
        model.DeleteEmptyFolders(false);
        // Part of the load, which nothing before or in it can undo.
        model.ForgetHistory();
    }
    model.Tree().EndBulk();
    model.RememberRootsAsRead();
    urlCount = parser.UrlCount();
    if (!result && !parser.ErrorText().empty()) errorText = parser.ErrorText();
    if (result && parser.UnreadAnchorLines() > 0 && parser.AnchorsTaken() == 0) {
        // Anchors were there but none could be read: say so rather than pass for empty.
        errorText = kUnreadAnchorsMessage;
        diagnostics.AppendReadingLog(errorText);
        result = false;
    } else if (result && !parser.FoundStructure()) {
        // Neither a title nor a folder nor a bookmark: not a bookmark file (a JSON export, a
        // text file). Nothing was added; the read says so instead of passing for an empty one.
        errorText = kNoBookmarksMessage;
        result = false;
    }
    ports.progress->Close();
    return result;
}

}  // namespace pernard
