#pragma once
// JSON text written the way Chromium writes its `Bookmarks` file: pretty printed with three
// blanks per level (a list's items on the line of its brackets), strings escaped as the browser
// escapes them. Values of keys the program does not know are written back as they were parsed.

#include <simdjson.h>

#include <string>
#include <string_view>
#include <vector>

namespace pernard {

// Appends `text` as a JSON string (quotes included), escaped as the browser escapes it.
void AppendEscaped(std::string& out, std::string_view text);

class ChromiumJson {
public:
    void OpenObject();
    void CloseObject();
    void OpenArray();
    void CloseArray();
    // The key of the next member of the open object.
    void Key(std::string_view key);
    void String(std::string_view text);
    void Number(long long value);
    // Any value as it was parsed.
    void Value(const simdjson::dom::element& value);

    const std::string& Text() const { return text_; }
    std::string Take() { return std::move(text_); }

private:
    struct Open {
        bool object;
        bool empty;
    };
    // What goes before a value: its separator from the one before it in a list.
    void BeforeValue();
    void NewLine(std::size_t depth);

    std::string text_;
    std::vector<Open> open_;
    std::size_t depth_ = 0;  // objects open: a list adds no level of its own
    bool afterKey_ = false;
};

}  // namespace pernard
