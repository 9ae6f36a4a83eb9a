#pragma once
// Whole numbers read from text: the one parser of the program's numeric texts.

#include <charconv>
#include <string_view>

namespace pernard {

// True when `text` is a whole number and nothing else (an optional "-", digits): no blanks, no
// "+", nothing after it, and within the type's range.
template <typename Number>
bool ParseWholeNumber(std::string_view text, Number& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return !text.empty() && error == std::errc() && end == last;
}

}  // namespace pernard
