// The search's text handling on any bytes: keywords and texts are split, lowered and normalized
// without harm, lowering keeps the length, and a normalized word normalizes to itself.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "model/Search.h"
#include "util/TextFold.h"

using namespace pernard;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first line is the keyword, the rest one text.
    const std::size_t end = bytes.find('\n');
    const std::string_view keyword = bytes.substr(0, end);
    const std::string_view text = end == std::string_view::npos ? "" : bytes.substr(end + 1);
    std::string folded, lowered;
    FoldCaseAndWidth(text, folded);
    LowerAsciiInto(text, lowered);
    FUZZ_CHECK(lowered.size() == text.size());
    for (bool fold : {false, true}) {
        const SearchQuery query = MakeSearchQuery(keyword, SearchField::Title, fold);
        FUZZ_CHECK(query.words.size() <= static_cast<std::size_t>(kSearchWordLimit));
        for (const std::string& word : query.words) {
            std::string again;
            if (fold) {
                FoldCaseAndWidth(word, again);
                // Normalizing twice changes nothing more.
                FUZZ_CHECK(again == word);
            }
        }
    }
    return 0;
}
