// Tags and descriptions as a user edits them, and the change of tags on many entries at once.

#include "model/Tags.h"

#include <algorithm>

#include "model/BmLogic.h"
#include "util/CodePage.h"
#include "util/HtmlText.h"
#include "util/Text.h"

namespace pernard {

namespace {

constexpr std::string_view kTagsName = "TAGS";
constexpr std::string_view kWideComma = "\xEF\xBC\x8C";  // U+FF0C
constexpr std::string_view kWideBlank = "\xE3\x80\x80";  // U+3000

// `text` without half-width or full-width blanks at either end.
std::string_view TrimTyped(std::string_view text) {
    while (true) {
        const std::string_view before = text;
        text = TrimBlanksView(text);
        while (text.substr(0, kWideBlank.size()) == kWideBlank)
            text.remove_prefix(kWideBlank.size());
        while (text.size() >= kWideBlank.size() &&
               text.substr(text.size() - kWideBlank.size()) == kWideBlank) {
            text.remove_suffix(kWideBlank.size());
        }
        if (text == before) return text;
    }
}

bool Holds(const std::vector<std::string>& tags, std::string_view tag) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// A tag of a TAGS value as it is written there, and as it reads.
struct WrittenTag {
    std::string decoded;
    std::string_view written;
};

// The tags of a raw TAGS value, each piece between commas; a piece that could not stand inside
// double quotes is left out (it is written anew, escaped, when kept).
std::vector<WrittenTag> WrittenTags(std::string_view value) {
    std::vector<WrittenTag> tags;
    std::size_t at = 0;
    while (at <= value.size()) {
        std::size_t end = value.find(',', at);
        if (end == std::string_view::npos) end = value.size();
        const std::string_view piece = TrimBlanksView(value.substr(at, end - at));
        if (!piece.empty() && piece.find('"') == std::string_view::npos) {
            tags.push_back({TrimBlanks(DecodeCharacterReferences(piece)), piece});
        }
        at = end + 1;
    }
    return tags;
}

}  // namespace

std::vector<std::string> TagList(std::string_view attributes) {
    std::vector<std::string> tags;
    const std::string text = AttributeText(attributes, kTagsName);
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string_view tag = TrimBlanksView(std::string_view(text).substr(at, end - at));
        if (!tag.empty()) tags.emplace_back(tag);
        at = end + 1;
    }
    return tags;
}

std::string WithTags(std::string_view attributes, const std::vector<std::string>& tags) {
    // The attributes were written by a tag: parse them as the rest of one.
    const std::string tag = std::string(attributes) + ">";
    TagAttributes parsed;
    ParseTagAttributes(tag, 0, parsed);
    const auto found =
        std::find_if(parsed.items.begin(), parsed.items.end(),
                     [](const TagAttribute& a) { return EqualsNoCase(a.name, kTagsName); });
    // A tag that was there before is written as it was (its references, its bytes that did
    // not decode); one that is new, escaped.
    const std::vector<WrittenTag> before =
        found == parsed.items.end() ? std::vector<WrittenTag>() : WrittenTags(found->value);
    std::string value;
    for (const std::string& one : tags) {
        if (!value.empty()) value += ',';
        const auto same = std::find_if(before.begin(), before.end(), [&one](const WrittenTag& w) {
            return w.decoded == one || ShownText(w.decoded) == one;
        });
        if (same != before.end()) {
            value += same->written;
        } else {
            AppendEscapedHtml(value, one);
        }
    }
    std::string written;
    if (!tags.empty()) {
        written = found == parsed.items.end() ? std::string(kTagsName) : std::string(found->name);
        written += "=\"" + value + "\"";
    }
    if (found == parsed.items.end()) {
        return written.empty() ? std::string(attributes) : std::string(attributes) + " " + written;
    }
    // The attribute's text is a view into `tag`, which starts with the attributes.
    std::size_t start = static_cast<std::size_t>(found->text.data() - tag.data());
    const std::size_t end = start + found->text.size();
    if (written.empty()) {
        // Gone with the blanks before it.
        while (start > 0 && static_cast<unsigned char>(tag[start - 1]) <= ' ') --start;
    }
    return std::string(attributes.substr(0, start)) + written + std::string(attributes.substr(end));
}

std::vector<std::string> TagsFromInput(std::string_view text) {
    std::string commas(text);
    std::size_t wide = 0;
    while ((wide = commas.find(kWideComma, wide)) != std::string::npos) {
        commas.replace(wide, kWideComma.size(), ",");
    }
    std::vector<std::string> tags;
    std::size_t at = 0;
    while (at <= commas.size()) {
        std::size_t end = commas.find(',', at);
        if (end == std::string::npos) end = commas.size();
        const std::string_view tag = TrimTyped(std::string_view(commas).substr(at, end - at));
        if (!tag.empty() && !Holds(tags, tag)) tags.emplace_back(tag);
        at = end + 1;
    }
    return tags;
}

std::vector<std::string> TagsAdded(std::vector<std::string> tags,
                                   const std::vector<std::string>& more) {
    for (const std::string& tag : more) {
        if (!Holds(tags, tag)) tags.push_back(tag);
    }
    return tags;
}

std::vector<std::string> TagsRemoved(std::vector<std::string> tags,
                                     const std::vector<std::string>& gone) {
    tags.erase(std::remove_if(tags.begin(), tags.end(),
                              [&gone](const std::string& tag) { return Holds(gone, tag); }),
               tags.end());
    return tags;
}

std::string DescriptionFromText(std::string_view text) {
    std::string description;
    ForEachLine(text, LineEnds::Any, [&description](std::string_view line) {
        const std::string_view trimmed = TrimTyped(line);
        if (trimmed.empty()) return;
        if (!description.empty()) description += '\n';
        AppendEscapedHtml(description, trimmed);
    });
    return description;
}

int BmLogic::ChangeTags(const std::vector<NodeRef>& entries, const std::vector<std::string>& tags,
                        bool add) {
    if (tags.empty()) return 0;
    const char* name = add ? "タグの追加" : "タグの削除";
    StepScope step(*this, name);
    int changed = 0;
    for (const NodeRef& entry : entries) {
        const int index = IndexOf(entry);
        // Tags are a bookmark's.
        if (index < 0 || IsFolder(index)) continue;
        EntryExtras extras = UnpackExtras(ExtrasOf(index));
        const std::vector<std::string> before = TagList(extras.attributes);
        const std::vector<std::string> after =
            add ? TagsAdded(before, tags) : TagsRemoved(before, tags);
        if (after == before) continue;
        extras.attributes = WithTags(extras.attributes, after);
        ChangeExtras(index, PackExtras(extras));
        ++changed;
    }
    if (changed == 0) return 0;
    changed_ = true;
    CheckConsistency(name, true);
    return changed;
}

}  // namespace pernard
