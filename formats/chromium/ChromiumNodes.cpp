#include "formats/chromium/ChromiumNodes.h"

#include <functional>

#include "formats/BrowserRead.h"
#include "util/Numbers.h"

namespace pernard {

using simdjson::dom::element;

std::string TextOf(const element& node, const char* key) {
    simdjson::dom::object fields;
    if (node.get(fields) != simdjson::SUCCESS) return {};
    std::string_view text;
    bool found = false;
    for (const auto field : fields) {
        if (field.key != key) continue;
        found = field.value.get(text) == simdjson::SUCCESS;
    }
    return found ? std::string(text) : std::string();
}

std::string DateOf(const element& node, const char* key) {
    return MicrosecondsToSeconds(TextOf(node, key), kSecondsFrom1601To1970);
}

std::string LaterOf(const std::string& a, const std::string& b) {
    long long first = 0;
    long long second = 0;
    if (!ParseWholeNumber(a, first)) return b;
    if (!ParseWholeNumber(b, second)) return a;
    return second > first ? b : a;
}

bool LastMember(const element& node, std::string_view key, element& value) {
    simdjson::dom::object fields;
    if (node.get(fields) != simdjson::SUCCESS) return false;
    bool found = false;
    for (const auto field : fields) {
        if (field.key != key) continue;
        value = field.value;
        found = true;
    }
    return found;
}

std::string ChromiumNodeKeys::Next(std::string_view id, std::string_view guid) {
    const std::size_t place = count_++;
    if (!id.empty()) {
        std::string pair;
        pair.reserve(id.size() + 1 + guid.size());
        pair.append(id).append(1, '\t').append(guid);
        if (seen_.insert(std::hash<std::string>{}(pair)).second) return pair;
    }
    return "#" + std::to_string(place);
}

MetaInfo MetaInfoOf(const element& node) {
    MetaInfo meta;
    element info;
    if (!LastMember(node, "meta_info", info) || !info.is_object()) return meta;
    meta.description = TextOf(info, "Description");
    meta.nickname = TextOf(info, "Nickname");
    meta.lastVisit = DateOf(info, "last_visited_desktop");
    return meta;
}

}  // namespace pernard
