#pragma once
// Names compared the way a Japanese reader expects, through ICU's collation for the locale "ja"
// with numeric ordering: kana in gojūon order, hiragana, katakana and their half-width and
// full-width forms equal at the first level (hiragana before katakana when nothing else
// differs), ASCII letters without regard to case at the first level (lower case first when
// nothing else differs), runs of digits by their value (第9章 before 第10章). The same order on
// every platform, whatever the machine's locale.

#include <memory>
#include <string>
#include <string_view>

namespace pernard {

class JapaneseCollation {
public:
    JapaneseCollation();
    ~JapaneseCollation();
    JapaneseCollation(const JapaneseCollation&) = delete;
    JapaneseCollation& operator=(const JapaneseCollation&) = delete;

    // False when ICU has no collation data to open (then every key is the text's own bytes).
    bool Usable() const;
    // The sort key of a UTF-8 text: two keys compare bytewise as their texts collate. A byte
    // that is not UTF-8 (kept from a file that did not decode) counts as U+FFFD.
    std::string SortKey(std::string_view text) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pernard
