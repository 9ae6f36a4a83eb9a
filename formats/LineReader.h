#pragma once
// Streams a text file line by line without holding it whole in memory. A carriage return, a
// line feed or the pair CR LF each end one line; the byte 26 (Ctrl+Z) ends the file.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace pernard {

class LineReader {
public:
    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool Open(const std::string& path);
    void Close();
    // Skips `count` bytes at the start (a byte order mark). Call right after Open.
    void Skip(std::size_t count);
    // Reads the next line (without its line end) into `line`; false at the end of the file.
    bool NextLine(std::string& line);

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t size_ = 0;
    bool ended_ = false;
    bool skipLineFeed_ = false;  // the previous line ended with CR: a following LF belongs to it
};

}  // namespace pernard
