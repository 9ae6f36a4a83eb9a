#pragma once
// Reads the parts it is asked for of a JSON text already found whole
// (formats/chromium/JsonCheck.h), straight from the text: members and items are walked in the order
// written, a string is taken where it stands (unescaped only when it holds an escape), and what is
// not asked for is stepped over. Nothing is built for the rest of the text. An array stepped over
// once is stepped over at once the next time (its end is remembered), so that the folders of a tree
// read from the top are not scanned again for each folder above them.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pernard {

// A string value as written between its quotes.
struct JsonString {
    std::string_view raw;
    bool escaped = false;  // holds a backslash: unescape before use
};

class JsonScan {
public:
    // `text` must be followed by simdjson's padding (zeros) while the scan is used.
    explicit JsonScan(std::string_view text);
    ~JsonScan();

    // Where the outermost value starts.
    std::size_t Top() const { return SkipBlanks(0); }
    // The first character of the value at `at`: '{', '[', '"', a digit, '-', 't', 'f', 'n'.
    char KindAt(std::size_t at) const { return text_[at]; }

    // The walk of an object or an array at `at` (its bracket): pass the position returned to
    // NextMember or NextItem until it returns false.
    std::size_t Enter(std::size_t at) const { return at + 1; }
    // The next member: its key (unescaped; valid until the next call) and where its value
    // starts; `at` moves past the value.
    bool NextMember(std::size_t& at, std::string_view& key, std::size_t& value);
    // The next item: where it starts; `at` moves past it.
    bool NextItem(std::size_t& at, std::size_t& value);

    // The string at `at` (which must start with a quote).
    JsonString StringAt(std::size_t at) const;
    // The text of a string, unescaped.
    std::string Text(const JsonString& string);

private:
    std::size_t SkipBlanks(std::size_t at) const;
    // Where the string whose opening quote is at `at` ends: after its closing quote.
    std::size_t StringEnd(std::size_t at) const;
    // Where the value starting at `at` ends.
    std::size_t ValueEnd(std::size_t at);
    std::size_t ContainerEnd(std::size_t at);
    // Where the array starting at `at` ends, when it was stepped over before; 0 otherwise.
    std::size_t KnownEnd(std::size_t at) const;
    // Past the separator before the next member or item; false at the container's end.
    bool Next(std::size_t& at) const;
    std::string_view Unescaped(const JsonString& string);

    std::string_view text_;
    // The arrays stepped over so far, by where they start (ascending), with where they end.
    std::vector<std::pair<std::size_t, std::size_t>> arrayEnds_;
    std::string scratch_;  // unescaped keys and strings
    struct Unescaper;
    std::unique_ptr<Unescaper> unescaper_;
};

}  // namespace pernard
