#include "formats/LineReader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "util/OpenFile.h"

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

bool LineReader::Fill() {
    if (ended_ || file_ == nullptr) return false;
    size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    position_ = 0;
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
