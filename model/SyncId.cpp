#include "model/SyncId.h"

#include <algorithm>
#include <charconv>

#include "model/EntryExtras.h"
#include "util/HtmlText.h"
#include "util/Text.h"

namespace pernard {

namespace {

bool IsIdName(std::string_view name) { return EqualsNoCase(name, kSyncIdName); }

}  // namespace

std::int64_t SyncIdOf(std::string_view packedExtras) {
    if (packedExtras.empty()) return 0;
    const std::string text = AttributeText(UnpackExtras(packedExtras).attributes, kSyncIdName);
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || id <= 0) return 0;
    return id;
}

std::string WithSyncId(std::string_view attributes, std::int64_t id) {
    // The attributes were written by a tag: parse them as the rest of one.
    const std::string tag = std::string(attributes) + ">";
    TagAttributes parsed;
    ParseTagAttributes(tag, 0, parsed);
    const auto found = std::find_if(parsed.items.begin(), parsed.items.end(),
                                    [](const TagAttribute& a) { return IsIdName(a.name); });
    const std::string written =
        id > 0 ? std::string(kSyncIdName) + "=\"" + std::to_string(id) + "\"" : std::string();
    if (found == parsed.items.end()) {
        if (written.empty()) return std::string(attributes);
        return std::string(attributes) + " " + written;
    }
    // The attribute's text is a view into `tag`, which starts with the attributes.
    std::size_t start = static_cast<std::size_t>(found->text.data() - tag.data());
    const std::size_t end = start + found->text.size();
    if (written.empty()) {
        while (start > 0 && static_cast<unsigned char>(tag[start - 1]) <= ' ') --start;
    }
    return std::string(attributes.substr(0, start)) + written + std::string(attributes.substr(end));
}

std::string PackedWithoutSyncId(std::string_view packedExtras) {
    if (SyncIdOf(packedExtras) == 0) return std::string(packedExtras);
    EntryExtras extras = UnpackExtras(packedExtras);
    extras.attributes = WithSyncId(extras.attributes, 0);
    return PackExtras(extras);
}

}  // namespace pernard
