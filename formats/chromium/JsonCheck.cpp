#include "formats/chromium/JsonCheck.h"

#include <simdjson.h>

#include <memory>

namespace pernard {

namespace {

namespace ondemand = simdjson::ondemand;

// Containers nest as deep as the document parser allows: a container holding something at
// this depth (the outermost is 1) is too deep; an empty one is not counted.
constexpr int kMaxDepth = static_cast<int>(simdjson::DEFAULT_MAX_DEPTH);

// Walks every value once, the way the document parser would take each: strings and keys are
// unescaped (into one scratch buffer, used again for each), numbers and literals parsed.
class JsonCheck {
public:
    JsonCheck(ondemand::parser& parser, std::size_t length)
        : parser_(parser), scratch_(new std::uint8_t[length + simdjson::SIMDJSON_PADDING]) {}

    bool Members(ondemand::object object, int depth) {
        for (auto member : object) {
            ondemand::field field;
            if (depth >= kMaxDepth || std::move(member).get(field) != simdjson::SUCCESS ||
                !Text(field.key()) || !Value(field.value(), depth + 1)) {
                return false;
            }
        }
        return true;
    }

private:
    bool Text(ondemand::raw_json_string raw) {
        std::uint8_t* end = scratch_.get();
        return parser_.unescape(raw, end).error() == simdjson::SUCCESS;
    }

    bool Value(ondemand::value value, int depth) {
        ondemand::json_type type;
        if (value.type().get(type) != simdjson::SUCCESS) return false;
        switch (type) {
            case ondemand::json_type::object: {
                ondemand::object object;
                return value.get_object().get(object) == simdjson::SUCCESS &&
                       Members(object, depth);
            }
            case ondemand::json_type::array: {
                ondemand::array array;
                if (value.get_array().get(array) != simdjson::SUCCESS) return false;
                for (auto item : array) {
                    ondemand::value inner;
                    if (depth >= kMaxDepth || std::move(item).get(inner) != simdjson::SUCCESS ||
                        !Value(inner, depth + 1)) {
                        return false;
                    }
                }
                return true;
            }
            case ondemand::json_type::string: {
                ondemand::raw_json_string raw;
                return value.get_raw_json_string().get(raw) == simdjson::SUCCESS && Text(raw);
            }
            case ondemand::json_type::number:
                return value.get_number().error() == simdjson::SUCCESS;
            case ondemand::json_type::boolean:
                return value.get_bool().error() == simdjson::SUCCESS;
            case ondemand::json_type::null: {
                bool null = false;
                return value.is_null().get(null) == simdjson::SUCCESS && null;
            }
        }
        return false;
    }

    ondemand::parser& parser_;
    // Room for the longest string; only what is written to it is ever touched.
    std::unique_ptr<std::uint8_t[]> scratch_;
};

}  // namespace

bool IsWholeJsonObject(const char* data, std::size_t length, std::size_t capacity) {
    ondemand::parser parser;
    ondemand::document document;
    ondemand::object object;
    if (parser.iterate(data, length, capacity).get(document) != simdjson::SUCCESS ||
        document.get_object().get(object) != simdjson::SUCCESS) {
        return false;
    }
    JsonCheck check(parser, length);
    // The outermost object is at depth 1; nothing may follow it.
    return check.Members(object, 1) &&
           document.current_location().error() == simdjson::OUT_OF_BOUNDS;
}

}  // namespace pernard
