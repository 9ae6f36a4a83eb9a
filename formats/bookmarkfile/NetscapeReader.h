#pragma once
// Parses the decoded lines of a Netscape bookmark file into the entry table: one root per file (per
// TITLE line), one folder per H3 heading, one URL entry per anchor. Line-oriented and
// keyword-driven. formats/bookmarkfile/BookmarkFileParser opens, decodes and joins the lines.

#include <array>
#include <string>
#include <string_view>

#include "formats/ReadMessages.h"
#include "formats/bookmarkfile/PlainAnchorLine.h"
#include "model/EntryBuilder.h"
#include "model/EntryExtras.h"
#include "util/FileStamp.h"
#include "util/HtmlText.h"

namespace pernard {

// The fields of one anchor line.
// The entry's texts: url from HREF, added from ADD_DATE, visited from LAST_VISIT, modified
// from LAST_MODIFIED, name from the text after the tag up to "</A>".
struct AnchorFields : EntryTexts {
    std::string beforeAnchor;  // the line before the "<A" tag
    // The tag's other attributes as written, each after a blank (kept as the entry's extras).
    std::string otherAttributes;
};

// Parses the first "<A" tag with an HREF attribute on the line; false when there is none.
// `attributes` is the caller's scratch space for the tag's attributes.
bool ParseHrefLine(std::string_view line, AnchorFields& fields, TagAttributes& attributes);

// Whether `line`, coming after a description that runs over several lines, ends it instead of
// going on with it (it holds a list tag, a heading, a "<DD>", …).
bool LineEndsDescription(std::string_view line);

// The state of one read; ParseBookmarkLine handles one decoded (UTF-8) line.
class NetscapeReader {
public:
    NetscapeReader(EntryBuilder& builder, const std::string& path, const std::string& charset);
    // False stops the read; errorText then says why (it may stay empty).
    bool ParseBookmarkLine(const std::string& line);
    // A line holding several entries (structure after its first entry at `more`): each part
    // read as a line of its own, in order.
    bool ParseEntriesOfLine(const std::string& line, std::size_t more);
    bool ParsePartOfLine(const std::string& part);
    int UrlCount() const { return builder_.UrlCount(); }
    // True once the file showed a title, a folder or a bookmark.
    bool FoundStructure() const { return hasRoot_; }
    // Lines with an <A HREF that gave no bookmark, and anchors taken (skipped duplicates too).
    int UnreadAnchorLines() const { return unreadAnchorLines_; }
    int AnchorsTaken() const { return anchorsTaken_; }
    const std::string& ErrorText() const { return errorText_; }
    // Whether `line` goes on the description of the entry before it: one is open and the line
    // holds no list tag that ends it.
    bool ContinuesDescription(std::string_view line) const;
    // Whether the next line may be a plain anchor line (formats/bookmarkfile/PlainAnchorLine.h): no
    // comment or description goes on over it. ParsePlainAnchor takes what was scanned of such a
    // line as ParseBookmarkLine takes the same line.
    bool TakesPlainAnchor() const { return !inComment_ && !inDescription_; }
    bool ParsePlainAnchor(PlainAnchor& anchor);
    // The read stops early, or lost part of a line: the root keeps only part of the file.
    void MarkPartial();
    // At the end of the file: stores what was gathered for the last entry.
    void Finish();
    // The file's charset, found only now: the roots read so far were read in it too.
    void SetCharset(const std::string& charset);

private:
    bool AddRoot(const std::string& name);
    bool EnsureRoot();
    bool ParseAnchor();
    // Adds the anchor's bookmark; its other attributes become the entry's extras.
    bool AddAnchor(const EntryViews& fields, std::string_view beforeAnchor,
                   std::string& otherAttributes);
    void ListLine(const std::string& line);
    void NoteUnreadAnchor(bool anchor, const std::string& line);
    bool ParseFolder(const std::string& line);
    // An <H1> line: the file's heading, and the root's own when it follows its title.
    void ParseHeading(const std::string& line);
    bool LeaveOutFolderMarkerUrl(std::string_view name);
    bool StopAtCapacity();

    // --- what the table has no column for (model/EntryExtras.h), gathered for the entry read
    // last and stored when the next one begins.
    void BeginEntry(int index);
    void StoreExtras();
    // A bookmark was left out: a description after it belongs to no entry.
    void NoEntryBefore();
    void StartDescription(std::string_view text, bool continues);
    void ContinueDescription(const std::string& line);

    EntryBuilder& builder_;
    std::string path_;
    std::string charset_;
    bool skipDuplicates_ = builder_.Settings().SkipDuplicateUrls();
    // The file as this read found it: a save over it checks that nothing changed it since.
    FileStamp sourceStamp_;
    bool inComment_ = false;
    bool hasRoot_ = false;
    int root_ = -1;
    bool headingTaken_ = false;  // the root read last has its heading
    // The open lists: level_[1] is the root, level_[depth_] the folder entries go into now.
    std::array<int, kLevelSlots> level_{};
    int depth_ = 0;
    int unreadAnchorLines_ = 0;
    int anchorsTaken_ = 0;
    int listedLines_ = 0;
    int skippedLines_ = 0;
    int leftOutLines_ = 0;
    std::string errorText_;
    AnchorFields anchor_;       // reused from line to line
    TagAttributes attributes_;  // reused from line to line
    int lastEntry_ = -1;        // the entry the gathered extras belong to
    EntryExtras extras_;
    bool inDescription_ = false;  // the lines that follow continue the description
    bool parting_ = false;        // a part of a line of several entries is being read
};

}  // namespace pernard
