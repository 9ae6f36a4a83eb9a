// Character references and tag attributes: any line is parsed without harm, and escaping then
// decoding gives the text back.

#include <string>

#include "formats/bookmarkfile/NetscapeReader.h"
#include "fuzz/FuzzSupport.h"
#include "util/HtmlText.h"
#include "util/Text.h"

using namespace pernard;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)DecodeCharacterReferences(text);
    TagAttributes attributes;
    for (std::size_t from = 0; from < text.size() && from < 64; ++from) {
        (void)ParseTagAttributes(text, from, attributes);
    }
    AnchorFields fields;
    (void)ParseHrefLine(text, fields, attributes);
    if (IsValidUtf8(text)) FUZZ_CHECK(DecodeCharacterReferences(EscapeHtml(text)) == text);
    return 0;
}
