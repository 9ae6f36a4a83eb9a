#include "formats/bookmarkfile/NetscapeReader.h"

#include "formats/bookmarkfile/LineTags.h"
#include "formats/bookmarkfile/PlainAnchorLine.h"
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

namespace {

// The attributes of an anchor the table has columns for; the first occurrence of each counts.
struct AnchorAttributes {
    const std::string_view* href = nullptr;
    const std::string_view* added = nullptr;
    const std::string_view* visited = nullptr;
    const std::string_view* modified = nullptr;

    // Where an attribute of this name goes; nullptr for one the table has no column for.
    const std::string_view** SlotFor(std::string_view name) {
        switch (name.size()) {
            case 4:
                return EqualsNoCase(name, "HREF") ? &href : nullptr;
            case 8:
                return EqualsNoCase(name, "ADD_DATE") ? &added : nullptr;
            case 10:
                return EqualsNoCase(name, "LAST_VISIT") ? &visited : nullptr;
            case 13:
                return EqualsNoCase(name, "LAST_MODIFIED") ? &modified : nullptr;
            default:
                return nullptr;
        }
    }
};

// One pass over the tag's attributes: the columns' own into `found`, every other one kept as
// written.
void SortAnchorAttributes(const TagAttributes& attributes, AnchorAttributes& found,
                          std::string& otherAttributes) {
    otherAttributes.clear();
    for (const TagAttribute& attribute : attributes.items) {
        const std::string_view** slot = found.SlotFor(attribute.name);
        if (slot != nullptr && *slot == nullptr) {
            *slot = &attribute.value;
        } else {
            AppendKeptAttribute(otherAttributes, attribute);
        }
    }
}

// Decoded into the fields' own storage, which the reader reuses from line to line.
void DecodeAttribute(const std::string_view* value, std::string& field) {
    DecodeCharacterReferencesInto(value == nullptr ? std::string_view() : *value, field);
}

// The anchor's name: the text after its tag up to "</A>" (all of it without one).
void DecodeAnchorName(std::string_view line, std::size_t close, std::string& name) {
    name.clear();
    if (close == std::string_view::npos) return;
    const std::string_view after = line.substr(close);
    const std::size_t end = FindEndTag(after, "A");
    DecodeCharacterReferencesInto(end == std::string_view::npos ? after : after.substr(0, end),
                                  name);
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
        AnchorAttributes found;
        SortAnchorAttributes(attributes, found, fields.otherAttributes);
        if (found.href == nullptr) {
            if (close == std::string_view::npos) return false;
            at = close;
            continue;
        }
        DecodeAttribute(found.href, fields.url);
        DecodeAttribute(found.added, fields.added);
        DecodeAttribute(found.visited, fields.visited);
        DecodeAttribute(found.modified, fields.modified);
        fields.beforeAnchor.assign(line.substr(0, at));
        DecodeAnchorName(line, close, fields.name);
        return true;
    }
    return false;
}

NetscapeReader::NetscapeReader(EntryBuilder& builder, const std::string& path,
                               const std::string& charset)
    : builder_(builder), path_(path), charset_(charset), sourceStamp_(StampOf(path)) {}

bool NetscapeReader::StopAtCapacity() {
    errorText_ = kCapacityMessage;
    MarkPartial();
    return false;
}

void NetscapeReader::MarkPartial() {
    if (hasRoot_) builder_.MarkPartial();
}

void NetscapeReader::BeginEntry(int index) {
    StoreExtras();
    lastEntry_ = index;
}

void NetscapeReader::StoreExtras() {
    inDescription_ = false;
    if (lastEntry_ < 0 || extras_.Empty()) return;
    DropTrailingBlankLines(extras_.description);
    builder_.AddExtras(lastEntry_, extras_);
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

void NetscapeReader::Finish() {
    // Separators of a list the file never closed end the root's (the builder's Finish).
    StoreExtras();
}

bool NetscapeReader::AddRoot(const std::string& name) {
    if (builder_.AddRoot(name, SourceKind::BookmarkFile, path_) != EntryBuilder::Outcome::Added) {
        return StopAtCapacity();
    }
    // Every root opens depth 1, whatever was open before it.
    depth_ = 1;
    root_ = builder_.Root();
    level_[1] = root_;
    headingTaken_ = false;
    BeginEntry(root_);
    builder_.SetCharset(charset_);
    builder_.SourceInfo()->sourceStamp = sourceStamp_;
    hasRoot_ = true;
    // A root in the last free slot leaves no room for anything it could hold.
    if (builder_.Full()) return StopAtCapacity();
    return true;
}

void NetscapeReader::SetCharset(const std::string& charset) {
    charset_ = charset;
    builder_.SetCharset(charset_);
}

bool NetscapeReader::EnsureRoot() { return hasRoot_ || AddRoot(FileNamePart(path_)); }

bool NetscapeReader::ParseBookmarkLine(const std::string& line) {
    if (inComment_) {
        // The comment takes its last line whole. An anchor after its end there is no bookmark,
        // and is counted as such: a save over the file would lose it.
        const std::size_t end = line.find("-->");
        if (end == std::string::npos) return true;
        inComment_ = false;
        const std::string_view rest = std::string_view(line).substr(end + 3);
        if (FindNoCase(rest, "<A") != std::string_view::npos)
            NoteUnreadAnchor(true, std::string(rest));
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
    // Several entries on one line, or an entry and the end of a list: each part is read as a
    // line of its own, in order, so that none is lost and the lists close where they do.
    if (!parting_ && (tags.anchor || tags.folder) &&
        (tags.listEnd || StructureAfterEntry(line, tags) != std::string::npos)) {
        return ParseEntriesOfLine(line, NextPartOfLine(line, 0));
    }
    // A comment that stays open takes the following lines; what came before it on this line
    // is read as usual.
    if (tags.commentOpen) inComment_ = true;
    for (int k = 0; k < tags.separators; ++k) builder_.AddSeparator();
    if (tags.doctype) {
        std::string rest = line;
        CutToken("DOCTYPE", rest);
        builder_.FileComment(TrimBlanks(CutToken(">", rest)));
        builder_.Log("DOCTYPE");
        return true;
    }
    if (tags.title) {
        const std::string title = DecodeCharacterReferences(Between(line, "<TITLE>", "</TITLE>"));
        builder_.FileTitle(title);
        builder_.Log("TITLE");
        return AddRoot(title);
    }
    if (tags.heading) {
        ParseHeading(line);
        builder_.Log("<H1>");
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
        if (depth_ >= 1) builder_.EndList(level_[static_cast<std::size_t>(depth_)]);
        // Lines after the root's own list still belong to this read's root.
        const int floor = hasRoot_ ? 1 : 0;
        if (depth_ > floor) --depth_;
        return true;
    }
    if (tags.folder) return ParseFolder(line);
    ListLine(line);
    return true;
}

bool NetscapeReader::ParseEntriesOfLine(const std::string& line, std::size_t more) {
    std::size_t from = 0;
    while (more != std::string::npos) {
        if (!ParsePartOfLine(line.substr(from, more - from))) return false;
        from = more;
        more = NextPartOfLine(line, from);
    }
    return ParsePartOfLine(line.substr(from));
}

bool NetscapeReader::ParsePartOfLine(const std::string& part) {
    // A part holds one entry or list tags, or what could not be parted (an entry without its
    // end tag): read as a line, it is not parted again.
    const bool parting = parting_;
    parting_ = true;
    const bool read = ParseBookmarkLine(part);
    parting_ = parting;
    return read;
}

void NetscapeReader::NoteUnreadAnchor(bool anchor, const std::string& line) {
    // Only lines that become no bookmark are searched: the usual ones cost nothing more.
    if (anchor && FindNoCase(line, "HREF") != std::string::npos) ++unreadAnchorLines_;
}

void NetscapeReader::ListLine(const std::string& line) {
    // The bookmark list is a diagnostic view: bounded like the memo echo.
    if (listedLines_ > kMemoEchoLimit) return;
    builder_.ListLine(listedLines_ < kMemoEchoLimit ? line : std::string("……"));
    ++listedLines_;
}

bool NetscapeReader::ParseAnchor() {
    return AddAnchor(anchor_, anchor_.beforeAnchor, anchor_.otherAttributes);
}

bool NetscapeReader::ParsePlainAnchor(PlainAnchor& anchor) {
    return AddAnchor(anchor.texts, anchor.beforeAnchor, anchor.otherAttributes);
}

bool NetscapeReader::AddAnchor(const EntryViews& fields, std::string_view beforeAnchor,
                               std::string& otherAttributes) {
    if (!EnsureRoot()) return false;
    ++anchorsTaken_;
    if (fields.url == kFolderMarker) {
        NoEntryBefore();
        return LeaveOutFolderMarkerUrl(fields.name);
    }
    if (listedLines_ <= kMemoEchoLimit) {
        ListLine(std::string(beforeAnchor) + " " + std::string(fields.name));
    }
    if (skipDuplicates_ && builder_.HasUrl(fields.url)) {
        // The reading log names skipped duplicates, bounded like the other echoes.
        if (skippedLines_ < kMemoEchoLimit) {
            builder_.Log("重複  " + std::string(fields.name));
        } else if (skippedLines_ == kMemoEchoLimit) {
            builder_.Log("重複  ……");
        }
        ++skippedLines_;
        NoEntryBefore();
        return true;
    }
    const BmLogic::Appended entry =
        builder_.AppendBookmark(level_[static_cast<std::size_t>(depth_)], fields);
    if (!entry.Added()) return StopAtCapacity();
    BeginEntry(entry.index);
    extras_.attributes.swap(otherAttributes);
    // A full table stops the read at the next entry, so that a file that fits exactly is read
    // whole and one that does not is known to be cut.
    return true;
}

bool NetscapeReader::LeaveOutFolderMarkerUrl(std::string_view name) {
    // The table marks folders with this URL: as a bookmark's it would turn it into a folder.
    // The bookmark is left out, said, and the root counts as read only in part.
    MarkPartial();
    if (leftOutLines_ < kMemoEchoLimit) {
        builder_.Warn(std::string(kFolderMarkerUrlMessage) + std::string(name));
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
    builder_.FileHeading(shown);
    // The first heading after a root's title, before its first entry, is the root's: its
    // attributes are kept as written, and its text when it is not the title's (and ends on its
    // line: a heading spread over lines is written as the title, as always).
    if (!hasRoot_ || lastEntry_ != root_ || headingTaken_) return;
    headingTaken_ = true;
    for (const TagAttribute& attribute : attributes.items) {
        AppendKeptAttribute(extras_.headingAttributes, attribute);
    }
    if (end != std::string::npos && shown != builder_.NameOf(root_)) {
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
        std::size_t length = 0;
        const std::size_t end = FindEndTag(rest, "H3", 0, &length);
        name = DecodeCharacterReferences(std::string_view(rest).substr(0, end));
        rest = end == std::string::npos ? std::string() : rest.substr(end + length);
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
    const BmLogic::Appended folder = builder_.AppendFolder(
        level_[static_cast<std::size_t>(depth_)], name, DecodeCharacterReferences(added), rest);
    if (folder.outcome == BmLogic::Outcome::Full) return StopAtCapacity();
    if (!folder.Added()) {
        // The depth limit and what it did to the read, said once by the caller.
        errorText_ = folder.outcome == BmLogic::Outcome::TooDeep
                         ? std::string(kDepthLimitMessage) + "Tree 作成不可"
                         : "Tree 作成不可";
        MarkPartial();
        return false;
    }
    ++depth_;
    level_[static_cast<std::size_t>(depth_)] = folder.index;
    BeginEntry(folder.index);
    extras_.attributes = std::move(otherAttributes);
    return true;
}

}  // namespace pernard
