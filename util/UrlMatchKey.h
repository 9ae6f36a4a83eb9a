#pragma once
// When two bookmarks point at the same page: a key computed from a URL, equal for two URLs
// exactly when they match at the chosen level. The stored URL is never rewritten; only the key
// is normalized.
//
// - Exact: the key is the URL itself.
// - SameResource: the equivalences every URL of `scheme://authority` form has (scheme and host
//   letter case, the scheme's default port, an empty path as "/", percent-encodings in upper
//   case and encoded unreserved characters decoded, "." and ".." segments removed).
// - Loose: the same, and each switch of LooseRules on top.
//
// A URL that does not parse as an absolute URI with an authority (javascript:, place:,
// mailto:, a bookmarklet, a Windows path, a relative one) is its own key at every level.
// Bytes beyond ASCII are percent-encoded before parsing, so such URLs compare by their bytes.

#include <string>
#include <string_view>

namespace pernard {

enum class MatchLevel { Exact, SameResource, Loose };

// The loose level's rules, each its own switch (all on by default).
struct LooseRules {
    bool fragment = true;  // a #fragment is dropped
    bool slash = true;     // trailing "/" are dropped
    bool index = true;     // a final index.htm or index.html (any letter case) is dropped
    bool tracking = true;  // query parameters utm_*, fbclid, gclid and msclkid are dropped
    bool www = true;       // a leading "www." of the host is dropped
    bool scheme = true;    // http is taken as https
    bool operator==(const LooseRules&) const = default;
};

struct UrlMatch {
    MatchLevel level = MatchLevel::Exact;
    LooseRules loose;  // used at the Loose level only
};

// The key of `url`, written into `key` (whose buffer is reused).
void UrlMatchKeyInto(std::string_view url, const UrlMatch& match, std::string& key);
std::string UrlMatchKey(std::string_view url, const UrlMatch& match);

// Why two URLs whose keys are equal match: "exact" (the same bytes), "same" (the same
// resource), or "loose:" and the loose rules needed, comma-separated ("loose:slash,www").
std::string MatchRuleText(std::string_view a, std::string_view b, const UrlMatch& match);

// The names of the loose rules, as the command line takes them: fragment, slash, index,
// tracking, www, scheme. `text` is a comma-separated list of them, or "all" or "none"; false
// for any other word.
bool ParseLooseRules(std::string_view text, LooseRules& rules);
std::string LooseRuleNames(const LooseRules& rules);

}  // namespace pernard
