#include "history/VersionCounts.h"

#include <cstring>
#include <vector>

#include "util/OpenFile.h"

namespace pernard {

namespace {

// Counts over a stream of pieces; a tag split between two pieces is counted once, from the
// bytes kept back from the end of the piece before.
class Counter {
public:
    explicit Counter(VersionFormat format) : format_(format) {}

    // Counts what `piece` holds, but for its last few bytes, which start the next call.
    void Feed(std::string_view piece, bool last) {
        carried_.append(piece);
        std::string_view text(carried_);
        const std::size_t keep = last ? 0 : std::min<std::size_t>(kLongest, text.size());
        const std::size_t end = text.size() - keep;
        format_ == VersionFormat::Json ? CountJson(text, end) : CountHtml(text, end);
        carried_.erase(0, end);
    }
    VersionCounts counts;

private:
    static constexpr std::size_t kLongest = 24;  // more than the longest pattern

    // A "<A" or "<H3" begun before `end`: a bookmark or a folder heading.
    void CountHtml(std::string_view text, std::size_t end) {
        for (std::size_t at = 0; at < end;) {
            const void* found = std::memchr(text.data() + at, '<', end - at);
            if (found == nullptr) break;
            at = static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) + 1;
            if (at + 1 >= text.size()) break;
            const char first = text[at];
            const char second = text[at + 1];
            if ((first == 'A' || first == 'a') &&
                (second == ' ' || second == '\t' || second == '\n' || second == '\r')) {
                ++counts.bookmarks;
            } else if ((first == 'H' || first == 'h') && second == '3') {
                ++counts.folders;
            }
        }
    }
    // Each "type": "url" or "type": "folder" (the store's own spelling) begun before `end`.
    void CountJson(std::string_view text, std::size_t end) {
        static constexpr std::string_view kType = "\"type\": \"";
        for (std::size_t at = text.find(kType); at != std::string_view::npos && at < end;
             at = text.find(kType, at + 1)) {
            const std::string_view value = text.substr(at + kType.size());
            if (value.substr(0, 4) == "url\"") ++counts.bookmarks;
            if (value.substr(0, 7) == "folder\"") ++counts.folders;
        }
    }

    VersionFormat format_;
    std::string carried_;
};

}  // namespace

VersionCounts CountBytes(std::string_view bytes, VersionFormat format) {
    Counter counter(format);
    counter.Feed(bytes, true);
    return counter.counts;
}

VersionCounts CountFile(const std::string& path, VersionFormat format) {
    OpenFile file = OpenForReading(path);
    if (!file) return {};
    Counter counter(format);
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (std::ferror(file.get())) return {};
        const bool last = read < buffer.size();
        counter.Feed(std::string_view(buffer.data(), read), last);
        if (last) return counter.counts;
    }
}

}  // namespace pernard
