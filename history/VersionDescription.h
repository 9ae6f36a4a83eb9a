#pragma once
// How a kept version is described beside its bytes (NNNNNN.txt): one line "pernard-version 1",
// then lines of key, a tab and a value. Anything else is no description of this program's.

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "history/KeptVersion.h"

namespace pernard {

std::string Describe(const KeptVersion& version);
// A description as Describe wrote it (the number and the paths in the history left empty);
// nullopt for anything else.
std::optional<KeptVersion> ParseDescription(const std::string& text);
// "000007".
std::string NumberName(int number);
// A whole decimal number and nothing else.
template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace pernard
