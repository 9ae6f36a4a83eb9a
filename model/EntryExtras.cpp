#include "model/EntryExtras.h"

#include "util/HtmlText.h"
#include "util/Numbers.h"
#include "util/Text.h"

namespace pernard {

namespace {

// A packed text is a run of fields: a letter, the length of the value in decimal, ":", the
// value's bytes. Counts are values in decimal.
void PackField(std::string& out, char letter, std::string_view value) {
    out += letter;
    out += std::to_string(value.size());
    out += ':';
    out += value;
}

// The next field of `packed` from `at`; false at the end or on a text that is no field.
bool NextField(std::string_view packed, std::size_t& at, char& letter, std::string_view& value) {
    if (at >= packed.size()) return false;
    letter = packed[at];
    const std::size_t colon = packed.find(':', at + 1);
    if (colon == std::string_view::npos) return false;
    std::size_t length = 0;
    if (!ParseWholeNumber(packed.substr(at + 1, colon - at - 1), length) ||
        length > packed.size() - colon - 1) {
        return false;
    }
    value = packed.substr(colon + 1, length);
    at = colon + 1 + length;
    return true;
}

int CountOf(std::string_view value) {
    int count = 0;
    return ParseWholeNumber(value, count) ? count : 0;
}

}  // namespace

namespace {

// The later attributes whose names the earlier ones lack, appended to them.
std::string UnionOfAttributes(const std::string& earlier, const std::string& later) {
    if (later.empty()) return earlier;
    const std::string earlierTag = earlier + ">";
    const std::string laterTag = later + ">";
    TagAttributes have, add;
    ParseTagAttributes(earlierTag, 0, have);
    ParseTagAttributes(laterTag, 0, add);
    std::string merged = earlier;
    std::string_view unused;
    for (const TagAttribute& attribute : add.items) {
        // A sync id names the folder merged away, which is gone: the kept one keeps its own.
        if (have.Find(attribute.name, unused) || EqualsNoCase(attribute.name, kSyncIdName)) continue;
        merged += ' ';
        merged += attribute.text;
    }
    return merged;
}

// Whether `text` holds `lines` as whole lines of its own (a description merged in before).
bool HoldsLines(const std::string& text, const std::string& lines) {
    return ("\n" + text + "\n").find("\n" + lines + "\n") != std::string::npos;
}

}  // namespace

void MergeFolderExtras(EntryExtras& kept, const EntryExtras& later, EntryExtras* firstMovedIn) {
    kept.attributes = UnionOfAttributes(kept.attributes, later.attributes);
    if (later.hasDescription && (!kept.hasDescription || kept.description.empty())) {
        kept.hasDescription = true;
        kept.description = later.description;
    } else if (later.hasDescription && !later.description.empty() &&
               !HoldsLines(kept.description, later.description)) {
        kept.description += "\n" + later.description;
    }
    if (kept.storeKey.empty()) kept.storeKey = later.storeKey;
    // The separators before the later folder stand where its entries join the first's.
    if (firstMovedIn == nullptr) {
        kept.separatorsAtEnd += later.separatorsBefore + later.separatorsAtEnd;
        return;
    }
    firstMovedIn->separatorsBefore += kept.separatorsAtEnd + later.separatorsBefore;
    kept.separatorsAtEnd = later.separatorsAtEnd;
}

std::string DroppedExtrasMessage(int entries) {
    return "この形式では保存できない追加情報（属性・説明・区切り線・見出し、ショートカットの他の"
           "行）を省きました : " +
           std::to_string(entries) + " 件";
}

std::string PackExtras(const EntryExtras& extras) {
    std::string packed;
    if (!extras.attributes.empty()) PackField(packed, 'A', extras.attributes);
    if (extras.hasDescription) PackField(packed, 'D', extras.description);
    if (extras.separatorsBefore > 0) {
        PackField(packed, 'B', std::to_string(extras.separatorsBefore));
    }
    if (extras.separatorsAtEnd > 0) PackField(packed, 'E', std::to_string(extras.separatorsAtEnd));
    if (extras.hasShortcut) PackField(packed, 'S', extras.shortcut);
    if (!extras.headingAttributes.empty()) PackField(packed, 'G', extras.headingAttributes);
    if (extras.hasHeading) PackField(packed, 'H', extras.heading);
    if (!extras.storeKey.empty()) PackField(packed, 'K', extras.storeKey);
    return packed;
}

EntryExtras UnpackExtras(std::string_view packed) {
    EntryExtras extras;
    std::size_t at = 0;
    char letter = 0;
    std::string_view value;
    while (NextField(packed, at, letter, value)) {
        switch (letter) {
            case 'A':
                extras.attributes = value;
                break;
            case 'D':
                extras.hasDescription = true;
                extras.description = value;
                break;
            case 'B':
                extras.separatorsBefore = CountOf(value);
                break;
            case 'E':
                extras.separatorsAtEnd = CountOf(value);
                break;
            case 'S':
                extras.hasShortcut = true;
                extras.shortcut = value;
                break;
            case 'G':
                extras.headingAttributes = value;
                break;
            case 'H':
                extras.hasHeading = true;
                extras.heading = value;
                break;
            case 'K':
                extras.storeKey = value;
                break;
            default:
                break;
        }
    }
    return extras;
}

std::string DescriptionText(std::string_view description) {
    std::string text;
    ForEachLine(description, LineEnds::LfOnly, [&text](std::string_view line) {
        const std::string trimmed = TrimBlanks(line);
        if (trimmed.empty()) return;
        if (!text.empty()) text += '\n';
        text += DecodeCharacterReferences(trimmed);
    });
    return text;
}

std::string AttributeText(std::string_view attributes, std::string_view name) {
    if (attributes.empty()) return {};
    // The attributes were written by a tag: parse them as the rest of one.
    const std::string tag = std::string(attributes) + ">";
    TagAttributes parsed;
    ParseTagAttributes(tag, 0, parsed);
    std::string_view value;
    return parsed.Find(name, value) ? TrimBlanks(DecodeCharacterReferences(value)) : "";
}

std::string TagsText(std::string_view attributes) { return AttributeText(attributes, "TAGS"); }

std::string FolderModifiedText(std::string_view packed) {
    return packed.empty() ? std::string()
                          : AttributeText(UnpackExtras(packed).attributes, "LAST_MODIFIED");
}

std::string NotesText(std::string_view packed) {
    if (packed.empty()) return {};
    const EntryExtras extras = UnpackExtras(packed);
    std::string notes = extras.hasDescription ? DescriptionText(extras.description) : "";
    const std::string tags = TagsText(extras.attributes);
    if (!tags.empty()) {
        if (!notes.empty()) notes += '\n';
        notes += "タグ: " + tags;
    }
    return notes;
}

}  // namespace pernard
