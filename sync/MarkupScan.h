#pragma once
// A scanner over the tags of a shared file (either form): start tags with their attributes, end
// tags, and what is neither (comments, the doctype, processing instructions), one at a time and
// never looking back, so that any input is read in one pass. Text between tags is read on
// request. A tag the input cuts off ends the input.

#include <cstddef>
#include <string_view>
#include <vector>

namespace pernard::sync {

struct MarkupAttribute {
    std::string_view name;
    std::string_view value;  // raw: quotes removed, character references not decoded
};

enum class TagKind { Start, End, Other, None };

struct MarkupTag {
    TagKind kind = TagKind::None;
    std::string_view name;
    bool selfClosing = false;  // "<x/>"
    std::vector<MarkupAttribute> attributes;

    // Whether the tag is named `tag`: in any ASCII letter case, or exactly.
    bool Is(std::string_view tag, bool ignoreCase) const;
    // The raw value of the first attribute named `attribute`; false when there is none.
    bool Find(std::string_view attribute, bool ignoreCase, std::string_view& value) const;
};

class MarkupScanner {
public:
    explicit MarkupScanner(std::string_view text, std::size_t from = 0) : text_(text), at_(from) {}

    // The next tag; TagKind::None at the end of the input.
    const MarkupTag& Next();
    // The text from here up to the next tag, which Next() then returns.
    std::string_view TextBeforeTag();
    // Reads past the end tag of the element `name` whose start tag was just returned, elements
    // of that name inside it counted (the others need no end tag); false when the input ends
    // first.
    bool SkipElement(std::string_view name, bool ignoreCase);

private:
    std::size_t FindTagStart(std::size_t from) const;
    bool ReadAttributes(std::size_t& at);

    std::string_view text_;
    std::size_t at_;
    MarkupTag tag_;
};

}  // namespace pernard::sync
