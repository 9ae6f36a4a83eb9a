#pragma once
// A reader's one door into the table during a load (model/LoadTransaction.h): it appends the
// collection in reading order, the way a reader meets it — a root, then folders opened and closed
// around bookmarks and separators, or entries appended under a root or folder still open — and
// takes what the reader learns on the way: an entry's extras (model/EntryExtras.h), the root's
// encoding and source, a part of the source left out, and the notes of the read for the reading
// log and the diagnostic views. Separators become extras of the entry after them, or of the folder
// whose end they stand at.

#include <string>
#include <string_view>
#include <vector>

#include "model/BmLogic.h"
#include "model/EntryExtras.h"

namespace pernard {

class EntryBuilder {
public:
    using Outcome = BmLogic::Outcome;

    explicit EntryBuilder(BmLogic& model) : model_(model) {}

    // --- nested, as a store or a directory is walked.

    // A new root at the end of the table, of kind `kind` read from `sourcePath`. All roots one
    // builder adds are one read of one source.
    Outcome AddRoot(const std::string& name, SourceKind kind, const std::string& sourcePath);
    // A folder below the folder open now; it stays open until CloseFolder. A folder that
    // would be too deep is not added: the caller leaves its contents out. Before AddRoot,
    // OpenFolder and AddBookmark add nothing (OutOfOrder).
    Outcome OpenFolder(const std::string& name, const std::string& added, EntryExtras extras);
    void CloseFolder();
    Outcome AddBookmark(const EntryTexts& fields, EntryExtras extras);
    void AddSeparator() { ++pendingSeparators_; }
    // Closes every folder still open.
    void Finish();

    // --- under a parent the reader names (a root or folder on the path to the last entry), as
    // a bookmark file's lists are read. The extras come separately (AddExtras); separators
    // (AddSeparator) go before the next entry, or at the end of the list EndList names.
    BmLogic::Appended AppendFolder(int parent, std::string_view name, std::string_view added,
                                   std::string_view saveUrl);
    BmLogic::Appended AppendBookmark(int parent, const EntryViews& fields);
    // The separators waiting for an entry stand at the end of `folder`'s list.
    void EndList(int folder);

    // --- what a reader learns after an entry or root was appended.

    // The extras of an entry this read appended; the entries of other reads are not its own.
    void SetExtras(int index, const EntryExtras& extras);
    // The same, for extras gathered after the entry was appended: the separators the builder
    // placed around it stay.
    void AddExtras(int index, EntryExtras extras);
    EntryExtras ExtrasOf(int index) const;
    // The encoding of every root this read added.
    void SetCharset(const std::string& charset);
    // What the table keeps of the source of the root added last (its stamp, the store as read,
    // the files of a Favorites directory); nullptr before a root was added.
    RootInfo* SourceInfo();
    // The root added last holds only part of its source: saving it over the source would lose
    // the rest.
    void MarkPartial();

    // --- what the table can tell a reader.
    bool Full() const { return model_.glCT >= model_.glMaxURL; }
    std::string_view NameOf(int index) const { return model_.glName[index]; }
    // Whether a bookmark of `url` would duplicate one in the table; one without a URL
    // (IsNoUrl) duplicates none.
    bool HasUrl(std::string_view url) { return !IsNoUrl(url) && model_.UrlExists(url); }
    // Makes room in the duplicate index for `count` more URLs (a hint for a large read).
    void ExpectUrls(std::size_t count) { model_.ExpectUrls(count); }
    const ReadSettings& Settings() const { return *model_.GetPorts().settings; }

    // --- the notes of a read: the memo's echo of the lines read, the reading log, a warning
    // (the reading log, and the memo), the bookmark list view, the file's comment, title and
    // heading; a notice, which the load says to the user once after the read (a second notice
    // of the same text adds nothing).
    void Echo(const std::string& line) { model_.EchoMemo(line); }
    bool Echoing() const { return model_.EchoingMemo(); }
    void Log(const std::string& text);
    void Warn(const std::string& text);
    void ListLine(const std::string& text);
    void FileComment(const std::string& text);
    void FileTitle(const std::string& text);
    void FileHeading(const std::string& text);
    void Notice(const std::string& text);
    const std::vector<std::string>& Notices() const { return notices_; }

    int Root() const { return root_; }
    // The first row this read appended; -1 before any.
    int FirstRow() const { return firstRow_; }
    int UrlCount() const { return urlCount_; }

private:
    // Stores the extras of the entry just appended, with the separators before it.
    Outcome Appended(const BmLogic::Appended& appended, EntryExtras& extras);
    // The separators waiting go before the entry just appended under a named parent.
    void SeparatorsBefore(int index);

    BmLogic& model_;
    int root_ = -1;
    std::vector<int> roots_;  // every root this read added
    int read_ = 0;            // the number the roots of this read share
    int firstRow_ = -1;       // the first row this read appended
    int urlCount_ = 0;
    int pendingSeparators_ = 0;
    std::vector<int> open_;  // the open folders, the root first
    std::vector<std::string> notices_;
};

}  // namespace pernard
