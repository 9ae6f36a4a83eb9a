#pragma once
// Streams a text file line by line without holding it whole in memory. A carriage return, a
// line feed or the pair CR LF each end one line; every other byte, the byte 26 (Ctrl+Z) that
// old tools wrote at a file's end among them, is the line's own and nothing after it is
// dropped. A line
// longer than kMaxLineLength keeps only its beginning, so that no file can take memory
// without bound; such lines are counted.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace pernard {

inline constexpr std::size_t kMaxLineLength = 16u << 20;

class LineReader {
public:
    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // False for a missing file and for anything that is not a regular file (a directory, a
    // FIFO or a device is never opened).
    bool Open(const std::string& path);
    void Close();
    // The first block of the file, read by the first call; call right after Open. `whole`
    // tells whether it is all of the file.
    std::string_view Head(bool& whole);
    // Skips `count` bytes at the start (a byte order mark). Call right after Open or Head.
    void Skip(std::size_t count);
    // From here on the file is UTF-16 in the byte order given (its byte order mark skipped):
    // the lines, and Buffered, are its text as UTF-8. Call right after Skip.
    void DecodeUtf16(bool bigEndian);
    // The bytes read from the file and not yet returned as lines.
    std::string_view Buffered() const { return {buffer_.data() + position_, size_ - position_}; }
    // Reads the next line (without its line end) into `line`; false at the end of the file.
    bool NextLine(std::string& line);
    // Lines cut at kMaxLineLength so far.
    std::size_t CutLines() const { return cutLines_; }
    // Whether the line NextLine gave last was cut at kMaxLineLength.
    bool LineCut() const { return lineCut_; }
    // The file could not be read to its end (an error of the device or the file system): the
    // lines read stop where it failed.
    bool Failed() const { return failed_; }

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t size_ = 0;
    bool ended_ = false;
    bool skipLineFeed_ = false;  // the previous line ended with CR: a following LF belongs to it
    std::size_t cutLines_ = 0;
    bool lineCut_ = false;
    bool failed_ = false;
    bool utf16_ = false;
    bool bigEndian_ = false;
    std::string undecoded_;  // UTF-16 bytes read but not decoded yet: half a unit or a pair
};

}  // namespace pernard
