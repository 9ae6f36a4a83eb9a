// The duplicate check's URL match keys on any bytes. What is checked, for every level and any
// choice of loose rules: a key never changes when it is keyed again (key(key(u)) == key(u):
// the key is a normal form, so whatever matches a URL matches its key); two URLs whose keys
// match at a level match at every looser one; and why they match can always be told.
//
// Input: the first byte switches the six loose rules on and off, the rest is two URLs, one
// per line.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "util/UrlMatchKey.h"

using namespace pernard;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned flags = data[0];
    LooseRules rules;
    rules.fragment = (flags & 1) != 0;
    rules.slash = (flags & 2) != 0;
    rules.index = (flags & 4) != 0;
    rules.tracking = (flags & 8) != 0;
    rules.www = (flags & 16) != 0;
    rules.scheme = (flags & 32) != 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t end = bytes.find('\n');
    const std::string_view a = bytes.substr(0, end);
    const std::string_view b = end == std::string_view::npos ? a : bytes.substr(end + 1);

    const UrlMatch levels[] = {
        {MatchLevel::Exact, rules}, {MatchLevel::SameResource, rules}, {MatchLevel::Loose, rules}};
    bool matched = false;
    for (const UrlMatch& match : levels) {
        const std::string keyA = UrlMatchKey(a, match);
        const std::string keyB = UrlMatchKey(b, match);
        FUZZ_CHECK(UrlMatchKey(keyA, match) == keyA);
        FUZZ_CHECK(UrlMatchKey(keyB, match) == keyB);
        // Matching at a stricter level means matching at this one.
        FUZZ_CHECK(!matched || keyA == keyB);
        matched = keyA == keyB;
        if (matched) FUZZ_CHECK(!MatchRuleText(a, b, match).empty());
    }
    return 0;
}
