#include "formats/chromium/ChromiumJson.h"

namespace pernard {

void AppendEscaped(std::string& out, std::string_view text) {
    static const char kDigits[] = "0123456789ABCDEF";
    out += '"';
    for (std::size_t at = 0; at < text.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '<':
                // The browser writes "<" so, that no "</script>" can appear in its files.
                out += "\\u003C";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kDigits[c >> 4];
                    out += kDigits[c & 0xF];
                } else if (c == 0xE2 && text.substr(at, 2) == "\xE2\x80" && at + 2 < text.size() &&
                           (text[at + 2] == '\xA8' || text[at + 2] == '\xA9')) {
                    // U+2028 and U+2029 end a line in script.
                    out += text[at + 2] == '\xA8' ? "\\u2028" : "\\u2029";
                    at += 2;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}


void ChromiumJson::NewLine(std::size_t depth) {
    text_ += '\n';
    text_.append(depth * 3, ' ');
}

void ChromiumJson::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (open_.empty()) return;
    Open& list = open_.back();
    if (!list.empty) text_ += ", ";
    list.empty = false;
}

void ChromiumJson::OpenObject() {
    BeforeValue();
    text_ += '{';
    open_.push_back(Open{true, true});
    ++depth_;
}

void ChromiumJson::CloseObject() {
    open_.pop_back();
    --depth_;
    NewLine(depth_);
    text_ += '}';
    if (open_.empty()) text_ += '\n';
}

void ChromiumJson::OpenArray() {
    BeforeValue();
    text_ += "[ ";
    open_.push_back(Open{false, true});
}

void ChromiumJson::CloseArray() {
    open_.pop_back();
    text_ += " ]";
}

void ChromiumJson::Key(std::string_view key) {
    Open& object = open_.back();
    if (!object.empty) text_ += ',';
    object.empty = false;
    NewLine(depth_);
    AppendEscaped(text_, key);
    text_ += ": ";
    afterKey_ = true;
}

void ChromiumJson::String(std::string_view text) {
    BeforeValue();
    AppendEscaped(text_, text);
}

void ChromiumJson::Number(long long value) {
    BeforeValue();
    text_ += std::to_string(value);
}

void ChromiumJson::Value(const simdjson::dom::element& value) {
    switch (value.type()) {
        case simdjson::dom::element_type::OBJECT:
            OpenObject();
            for (const auto field : simdjson::dom::object(value)) {
                Key(field.key);
                Value(field.value);
            }
            CloseObject();
            break;
        case simdjson::dom::element_type::ARRAY:
            OpenArray();
            for (const simdjson::dom::element item : simdjson::dom::array(value)) Value(item);
            CloseArray();
            break;
        case simdjson::dom::element_type::STRING:
            String(std::string_view(value));
            break;
        default:
            // Numbers, true, false and null, as the parser gives them back.
            BeforeValue();
            text_ += simdjson::to_string(value);
            break;
    }
}

}  // namespace pernard
