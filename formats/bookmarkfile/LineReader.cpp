#include "formats/bookmarkfile/LineReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "util/OpenFile.h"
#include "util/Text.h"

namespace pernard {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}  // namespace

LineReader::~LineReader() { Close(); }

bool LineReader::Open(const std::string& path) {
    Close();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    file_ = OpenForReading(path).release();
    if (file_ == nullptr) return false;
    buffer_.resize(kBufferSize);
    position_ = size_ = 0;
    ended_ = false;
    skipLineFeed_ = false;
    cutLines_ = 0;
    lineCut_ = false;
    utf16_ = false;
    undecoded_.clear();
    return true;
}

void LineReader::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

std::string_view LineReader::Head(bool& whole) {
    if (size_ == 0) Fill();
    whole = file_ == nullptr || size_ < buffer_.size() || std::feof(file_) != 0;
    return {buffer_.data(), size_};
}

void LineReader::Skip(std::size_t count) {
    while (count > 0 && (position_ < size_ || Fill())) {
        const std::size_t step = std::min(count, size_ - position_);
        position_ += step;
        count -= step;
    }
}

void LineReader::DecodeUtf16(bool bigEndian) {
    utf16_ = true;
    bigEndian_ = bigEndian;
    undecoded_.assign(Buffered());
    position_ = size_ = 0;
}

bool LineReader::Fill() {
    if (ended_ || failed_ || file_ == nullptr) return false;
    if (utf16_) {
        // Decoded block by block; a unit cut by the block's end, or the first half of a
        // surrogate pair, waits for the bytes after it (or the end of the file).
        std::string text;
        while (text.empty()) {
            const std::size_t had = undecoded_.size();
            undecoded_.resize(had + kBufferSize);
            const std::size_t got = std::fread(undecoded_.data() + had, 1, kBufferSize, file_);
            undecoded_.resize(had + got);
            if (undecoded_.empty()) break;
            std::size_t whole = got == 0 ? undecoded_.size() : undecoded_.size() & ~std::size_t{1};
            if (got > 0 && whole >= 2) {
                const auto high = static_cast<unsigned char>(undecoded_[whole - (bigEndian_ ? 2 : 1)]);
                if (high >= 0xD8 && high < 0xDC) whole -= 2;
            }
            text = pernard::DecodeUtf16(std::string_view(undecoded_).substr(0, whole), bigEndian_);
            undecoded_.erase(0, whole);
            if (got == 0) break;
        }
        if (text.size() > buffer_.size()) buffer_.resize(text.size());
        std::copy(text.begin(), text.end(), buffer_.begin());
        size_ = text.size();
    } else {
        size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    }
    position_ = 0;
    // A read error is no end of the file: the lines after it were never read.
    if (std::ferror(file_) != 0) failed_ = true;
    if (size_ == 0) {
        ended_ = true;
        return false;
    }
    return true;
}

bool LineReader::NextLine(std::string& line) {
    line.clear();
    lineCut_ = false;
    bool any = false;
    for (;;) {
        if (position_ >= size_ && !Fill()) return any;
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (buffer_[position_] == '\n') {
                ++position_;
                continue;
            }
        }
        const char* start = buffer_.data() + position_;
        const std::size_t available = size_ - position_;
        // The first CR or LF: two vectorised searches, the second bounded by the first.
        std::size_t length = available;
        for (const char terminator : {'\n', '\r'}) {
            const void* hit = std::memchr(start, terminator, length);
            if (hit != nullptr)
                length = static_cast<std::size_t>(static_cast<const char*>(hit) - start);
        }
        // Past the limit the rest of the line is read but not kept.
        const std::size_t room = kMaxLineLength - line.size();
        if (length > room && room > 0) {
            ++cutLines_;
            lineCut_ = true;
        }
        line.append(start, std::min(length, room));
        any = true;
        position_ += length;
        if (length == available) continue;  // the line goes on in the next block
        if (buffer_[position_++] == '\r') skipLineFeed_ = true;
        return true;
    }
}

}  // namespace pernard
