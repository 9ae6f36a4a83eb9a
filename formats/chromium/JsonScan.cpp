#include "formats/chromium/JsonScan.h"

#include <simdjson.h>

#include <algorithm>
#include <cstring>

namespace pernard {

// Unescapes as the parser that checked the text does, so that a string reads the same either way.
struct JsonScan::Unescaper {
    simdjson::ondemand::parser parser;
    // The unescaping needs the parser's implementation, not room for a document.
    bool ready = parser.allocate(simdjson::SIMDJSON_PADDING) == simdjson::SUCCESS;
};

JsonScan::JsonScan(std::string_view text) : text_(text), unescaper_(new Unescaper) {}

JsonScan::~JsonScan() = default;

std::size_t JsonScan::SkipBlanks(std::size_t at) const {
    while (at < text_.size() &&
           (text_[at] == ' ' || text_[at] == '\n' || text_[at] == '\r' || text_[at] == '\t')) {
        ++at;
    }
    return at;
}

std::size_t JsonScan::StringEnd(std::size_t at) const {
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    const char* p = begin + at + 1;
    while (p < end) {
        const char* quote = static_cast<const char*>(std::memchr(p, '"', end - p));
        if (quote == nullptr) break;
        // A quote after an odd number of backslashes is escaped.
        const char* slashes = quote;
        while (slashes > p && slashes[-1] == '\\') --slashes;
        if ((quote - slashes) % 2 == 0) return static_cast<std::size_t>(quote - begin) + 1;
        p = quote + 1;
    }
    return text_.size();
}

std::size_t JsonScan::KnownEnd(std::size_t at) const {
    const auto known = std::lower_bound(arrayEnds_.begin(), arrayEnds_.end(), at,
                                        [](const std::pair<std::size_t, std::size_t>& entry,
                                           std::size_t start) { return entry.first < start; });
    return known != arrayEnds_.end() && known->first == at ? known->second : 0;
}

std::size_t JsonScan::ContainerEnd(std::size_t at) {
    constexpr std::size_t kNotKept = static_cast<std::size_t>(-1);
    // The arrays met on the way and still open: their places in arrayEnds_.
    std::vector<std::size_t> open;
    int depth = 0;
    while (at < text_.size()) {
        const char c = text_[at];
        if (c == '"') {
            at = StringEnd(at);
            continue;
        }
        if (c == '[') {
            if (const std::size_t end = KnownEnd(at); end != 0) {
                at = end;
                if (depth == 0) return at;
                continue;
            }
            // Kept only in order, which a walk from the top always gives.
            if (arrayEnds_.empty() || arrayEnds_.back().first < at) {
                open.push_back(arrayEnds_.size());
                arrayEnds_.emplace_back(at, 0);
            } else {
                open.push_back(kNotKept);
            }
            ++depth;
        } else if (c == '{') {
            ++depth;
        } else if (c == ']' || c == '}') {
            if (c == ']' && !open.empty()) {
                if (open.back() != kNotKept) arrayEnds_[open.back()].second = at + 1;
                open.pop_back();
            }
            if (--depth == 0) return at + 1;
        }
        ++at;
    }
    return text_.size();
}

std::size_t JsonScan::ValueEnd(std::size_t at) {
    switch (text_[at]) {
        case '"':
            return StringEnd(at);
        case '{':
        case '[':
            return ContainerEnd(at);
        default:
            // A number or a literal runs to the next separator or blank.
            while (at < text_.size() && std::strchr(",]} \n\r\t", text_[at]) == nullptr) ++at;
            return at;
    }
}

bool JsonScan::Next(std::size_t& at) const {
    at = SkipBlanks(at);
    if (at >= text_.size() || text_[at] == '}' || text_[at] == ']') return false;
    if (text_[at] == ',') at = SkipBlanks(at + 1);
    return at < text_.size();
}

bool JsonScan::NextMember(std::size_t& at, std::string_view& key, std::size_t& value) {
    if (!Next(at) || text_[at] != '"') return false;
    const JsonString raw = StringAt(at);
    key = raw.escaped ? Unescaped(raw) : raw.raw;
    at = SkipBlanks(at + raw.raw.size() + 2);
    value = SkipBlanks(at + 1);  // past the colon
    at = ValueEnd(value);
    return true;
}

bool JsonScan::NextItem(std::size_t& at, std::size_t& value) {
    if (!Next(at)) return false;
    value = at;
    at = ValueEnd(value);
    return true;
}

JsonString JsonScan::StringAt(std::size_t at) const {
    const std::size_t end = StringEnd(at);
    JsonString string;
    string.raw = text_.substr(at + 1, end - at - 2);
    string.escaped = string.raw.find('\\') != std::string_view::npos;
    return string;
}

std::string_view JsonScan::Unescaped(const JsonString& string) {
    // The parser reads the raw text up to its closing quote and writes up to its padding past
    // the end of the unescaped text, which is never longer than the raw.
    scratch_.resize(string.raw.size() + simdjson::SIMDJSON_PADDING);
    std::uint8_t* end = reinterpret_cast<std::uint8_t*>(scratch_.data());
    std::string_view text;
    const auto raw = simdjson::ondemand::raw_json_string(
        reinterpret_cast<const std::uint8_t*>(string.raw.data()));
    if (!unescaper_->ready || unescaper_->parser.unescape(raw, end).get(text) != simdjson::SUCCESS)
        return {};
    return text;
}

std::string JsonScan::Text(const JsonString& string) {
    return std::string(string.escaped ? Unescaped(string) : string.raw);
}

}  // namespace pernard
