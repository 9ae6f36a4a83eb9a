#include "formats/bookmarkfile/BookmarkFileParser.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "formats/ReadMessages.h"
#include "formats/bookmarkfile/EncodingSniffer.h"
#include "formats/bookmarkfile/LineJoiner.h"
#include "formats/bookmarkfile/LineReader.h"
#include "formats/bookmarkfile/NetscapeReader.h"
#include "formats/bookmarkfile/PlainAnchorLine.h"
#include "util/CharsetNames.h"
#include "util/CodePage.h"
#include "util/Text.h"

namespace pernard {

namespace {

// The decoding of a file's lines. The encoding is decided from the first block; a file whose
// first block is all ASCII is decided where its first other bytes come (DecideAt). The memo's
// echo of the usual anchor lines is decoded by a decoder of its own, so that the read's count of
// bytes that did not decode counts each byte once.
class LineDecoder {
public:
    explicit LineDecoder(const std::string& charset) : charset_(charset) {
        if (!charset_.empty()) Use(charset_);
    }

    bool Decided() const { return decoder_.has_value(); }
    const std::string& Charset() const { return charset_; }
    std::size_t Replacements() const { return decoder_ ? decoder_->Replacements() : 0; }
    // The decoder the raw anchor scan decodes names with; nullptr while all is ASCII.
    TextDecoder* Raw() { return decoder_ ? &*decoder_ : nullptr; }

    // Whether the raw bytes of `raw` can be scanned for markup before they are decoded.
    bool ScansRaw(const std::string& raw) const {
        return decoder_ ? markupInRawBytes_ : !HasHighBytes(raw);
    }
    // Decides the encoding at the first line with bytes beyond ASCII (`following`: what the
    // file holds after it); true when it was decided just now.
    bool DecideAt(const std::string& raw, std::string_view following) {
        if (decoder_ || !HasHighBytes(raw)) return false;
        Use(CharsetOfFirstText(raw, following));
        return true;
    }
    void Decode(const std::string& raw, std::string& line) {
        line.clear();
        if (decoder_) {
            decoder_->Decode(raw, line);
        } else {
            line = raw;
        }
    }
    void DecodeEcho(const std::string& raw, std::string& line) {
        line.clear();
        if (!decoder_) {
            line = raw;
            return;
        }
        if (!echoDecoder_) echoDecoder_.emplace(charset_);
        echoDecoder_->Decode(raw, line);
    }

private:
    void Use(const std::string& charset) {
        charset_ = charset;
        decoder_.emplace(charset_);
        markupInRawBytes_ = MarkupFoundInRawBytes(charset_);
    }

    std::string charset_;
    std::optional<TextDecoder> decoder_;
    std::optional<TextDecoder> echoDecoder_;
    bool markupInRawBytes_ = false;
};

class BookmarkFileParser : public SourceParser {
public:
    BookmarkFileParser(std::unique_ptr<LineReader> reader, std::string path)
        : reader_(std::move(reader)), path_(std::move(path)) {}

    const char* ProgressText() const override { return "Bookmark 読込中"; }
    bool Parse(EntryBuilder& builder, std::string& errorText) override;

private:
    // The charset the roots keep. A UTF-16 file's lines come from the line reader as UTF-8;
    // its roots keep UTF-16, and are written back in it.
    std::string SniffCharset(EntryBuilder& builder);
    void ExpectUrls(EntryBuilder& builder) const;
    bool ReadLines(EntryBuilder& builder, LineDecoder& decoder, NetscapeReader& reader);
    // The usual anchor line, read from its raw bytes in one scan. False when the line takes
    // the general way.
    bool TakePlainAnchor(EntryBuilder& builder, LineDecoder& decoder, NetscapeReader& reader,
                         bool& stop);
    void SayWhatWasLost(EntryBuilder& builder, const LineDecoder& decoder) const;
    bool CheckFoundBookmarks(EntryBuilder& builder, NetscapeReader& reader,
                             std::string& errorText) const;

    std::unique_ptr<LineReader> reader_;
    std::string path_;
    std::string rootCharset_;
    std::string raw_;
    std::string line_;
    PlainAnchor plain_;
};

std::string BookmarkFileParser::SniffCharset(EntryBuilder& builder) {
    bool wholeFile = false;
    const std::string_view head = reader_->Head(wholeFile);
    const SniffedEncoding encoding =
        SniffEncoding(head, wholeFile, builder.Settings().FallbackEncoding());
    reader_->Skip(encoding.bomLength);
    rootCharset_ = encoding.charset;
    if (!IsUtf16Charset(encoding.charset)) return encoding.charset;
    reader_->DecodeUtf16(encoding.charset == kUtf16Be);
    return kUtf8;
}

void BookmarkFileParser::ExpectUrls(EntryBuilder& builder) const {
    if (!builder.Settings().SkipDuplicateUrls()) return;
    // Bookmark lines take well over 200 bytes each: size the duplicate index once.
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path_, error);
    if (!error) builder.ExpectUrls(static_cast<std::size_t>(bytes / 256));
}

bool BookmarkFileParser::TakePlainAnchor(EntryBuilder& builder, LineDecoder& decoder,
                                         NetscapeReader& reader, bool& stop) {
    if (!reader.TakesPlainAnchor() || !decoder.ScansRaw(raw_) ||
        !ScanPlainAnchorLine(raw_, decoder.Raw(), plain_)) {
        return false;
    }
    if (builder.Echoing()) {
        decoder.DecodeEcho(raw_, line_);
        builder.Echo(line_);
    }
    stop = !reader.ParsePlainAnchor(plain_);
    return true;
}

bool BookmarkFileParser::ReadLines(EntryBuilder& builder, LineDecoder& decoder,
                                   NetscapeReader& reader) {
    std::size_t cutLines = 0;
    LineJoiner joiner;
    std::string entry;
    bool more = true;
    while (more) {
        more = reader_->NextLine(raw_);
        bool stop = false;
        if (more && !reader_->LineCut() && !joiner.Holding() &&
            TakePlainAnchor(builder, decoder, reader, stop)) {
            if (stop) return false;
            continue;
        }
        bool ready = false;
        if (more) {
            if (decoder.DecideAt(raw_, reader_->Buffered())) reader.SetCharset(decoder.Charset());
            decoder.Decode(raw_, line_);
            builder.Echo(line_);
            // A description's lines are its own, whatever tags they hold: never joined. A line
            // cut at the length limit ends its entry: the tag it was cut in would otherwise take
            // the next entry's line.
            ready =
                joiner.Add(line_, entry, reader.ContinuesDescription(line_), reader_->LineCut());
        } else {
            ready = joiner.Flush(entry);
        }
        if (ready && !reader.ParseBookmarkLine(entry)) return false;
        if (reader_->CutLines() != cutLines) {
            // What the line held beyond the limit is not in the table.
            cutLines = reader_->CutLines();
            reader.MarkPartial();
        }
    }
    return true;
}

void BookmarkFileParser::SayWhatWasLost(EntryBuilder& builder, const LineDecoder& decoder) const {
    if (reader_->CutLines() > 0) {
        builder.Warn("長すぎる行 " + std::to_string(reader_->CutLines()) +
                     " 行の後半を読み飛ばしました");
    }
    if (decoder.Replacements() > 0) {
        builder.Warn(KeptBytesMessage(decoder.Replacements(), decoder.Charset()));
    }
}

bool BookmarkFileParser::CheckFoundBookmarks(EntryBuilder& builder, NetscapeReader& reader,
                                             std::string& errorText) const {
    if (reader.UnreadAnchorLines() > 0 && reader.AnchorsTaken() == 0) {
        // Anchors were there but none could be read: say so rather than pass for empty.
        errorText = kUnreadAnchorsMessage;
        builder.Log(errorText);
        return false;
    }
    if (reader.UnreadAnchorLines() > 0) {
        // Some were read, some not (an anchor outside a list item): a save over the file would
        // lose those, so the root is known to hold only part of it.
        builder.Warn(UnreadAnchorLinesMessage(reader.UnreadAnchorLines()));
        reader.MarkPartial();
    }
    if (!reader.FoundStructure()) {
        // Neither a title nor a folder nor a bookmark: not a bookmark file (a JSON export, a
        // text file). Nothing was added; the read says so instead of passing for an empty one.
        errorText = kNoBookmarksMessage;
        return false;
    }
    return true;
}

bool BookmarkFileParser::Parse(EntryBuilder& builder, std::string& errorText) {
    LineDecoder decoder(SniffCharset(builder));
    ExpectUrls(builder);
    NetscapeReader reader(builder, path_, rootCharset_);
    const bool read = ReadLines(builder, decoder, reader);
    if (!decoder.Decided()) reader.SetCharset(kCp932);  // all ASCII
    reader.Finish();
    SayWhatWasLost(builder, decoder);
    const bool failed = reader_->Failed();
    reader_->Close();
    if (!read) {
        if (!reader.ErrorText().empty()) errorText = reader.ErrorText();
        return false;
    }
    if (failed) {
        // What was read stays, as a root known to hold only part of the file.
        errorText =
            "ファイルを最後まで読めませんでした（読めたところまでを読み込みました） : " + path_;
        return false;
    }
    return CheckFoundBookmarks(builder, reader, errorText);
}

}  // namespace

OpenedSource OpenBookmarkFile(const std::string& path) {
    auto reader = std::make_unique<LineReader>();
    if (!reader->Open(path)) {
        std::error_code missing;
        return OpenedSource::Refused(std::filesystem::exists(path, missing)
                                         ? "ブックマークファイルとして読めません : " + path
                                         : "Not Found Bookmark : " + path);
    }
    return OpenedSource::Opened<BookmarkFileParser>(std::move(reader), path);
}

}  // namespace pernard
