#pragma once
// The small pieces of HTML that bookmark files use: character references and the attributes
// of one tag.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pernard {

// Decodes &amp; &lt; &gt; &quot; &#39; &apos; and numeric references (&#NNN; &#xHH;). A
// reference without its closing ";", an unknown name or an invalid number stays as it is.
std::string DecodeCharacterReferences(std::string_view text);
// The same into `out`, replacing what it held (its storage is reused).
void DecodeCharacterReferencesInto(std::string_view text, std::string& out);

// Escapes "&", "<", ">" and the double quote as &amp; &lt; &gt; &quot;, and CR and LF as
// &#13; and &#10;, so that no text breaks a line or a tag.
std::string EscapeHtml(std::string_view text);
// The same, appended to `out`.
void AppendEscapedHtml(std::string& out, std::string_view text);
// Appends "&#NNN;" for a character the page's encoding cannot hold (a TextEncoder fallback).
void AppendNumericReference(char32_t codePoint, std::string& out);

// One attribute of a tag, as views into the line.
struct TagAttribute {
    std::string_view name;
    std::string_view value;  // raw, without its quotes
    std::string_view text;   // the attribute as written: its name, "=" and quoted value
    char unclosedQuote = 0;  // the quote that opened a value the line never closes
};

// The attributes of one tag, in the order written.
struct TagAttributes {
    std::vector<TagAttribute> items;
    // The raw value of the first attribute named `name` (ASCII letter case ignored).
    bool Find(std::string_view name, std::string_view& value) const;
    // Its decoded value, or an empty text when the attribute is missing.
    std::string Get(std::string_view name) const;
};

// Parses the attributes of the tag whose name ends at `from` in `line` up to the closing ">"
// (the first one outside quotes). Values may be in double quotes, single quotes or unquoted.
// Returns the position just after ">", or npos when the tag does not close on this line.
std::size_t ParseTagAttributes(std::string_view line, std::size_t from, TagAttributes& out);

// Where the end tag `</NAME>` of `text` starts, at or after `from`: its name in any ASCII
// letter case, blanks (spaces, tabs, line ends) allowed before its ">", as browsers take it
// ("</A >"). `length`, when given, receives how many bytes it takes. npos when there is none.
std::size_t FindEndTag(std::string_view text, std::string_view name, std::size_t from = 0,
                       std::size_t* length = nullptr);

}  // namespace pernard
