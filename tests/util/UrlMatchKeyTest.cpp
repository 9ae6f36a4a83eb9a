// The match keys of URLs: which pairs match at which level, and by which rule.

#include <gtest/gtest.h>

#include "util/UrlMatchKey.h"

using namespace pernard;

namespace {

struct Pair {
    const char* a;
    const char* b;
    // "exact" and "same": they match from that level on; a loose rule's name: at the loose
    // level with that rule alone, and not without it; "": at no level.
    const char* rule;
};

const Pair kPairs[] = {
    {"http://a.example/x", "http://a.example/x", "exact"},
    {"javascript:alert(1)", "javascript:alert(1)", "exact"},
    // The same resource.
    {"HTTP://Example.COM/a", "http://example.com/a", "same"},
    {"http://a.example:80/x", "http://a.example/x", "same"},
    {"https://a.example:0443/", "https://a.example/", "same"},
    {"ftp://a.example:21/f", "ftp://a.example/f", "same"},
    {"http://a.example:/", "http://a.example/", "same"},
    {"http://a.example", "http://a.example/", "same"},
    {"http://a.example/%7euser", "http://a.example/~user", "same"},
    {"http://a.example/%e3%81%82?q=%5b", "http://a.example/%E3%81%82?q=%5B", "same"},
    {"http://a.example/ü", "http://a.example/%C3%BC", "same"},
    {"http://%41.example/", "http://a.example/", "same"},
    {"http://a.example/a/./b/../c", "http://a.example/a/c", "same"},
    {"http://a.example/a/%2E%2E/c", "http://a.example/c", "same"},
    {"http://[::1]:80/", "http://[::1]/", "same"},
    {"http://U@A.example/#F", "http://U@a.example/#F", "same"},
    // One loose rule each.
    {"http://a.example/x#top", "http://a.example/x", "fragment"},
    {"http://a.example/x/", "http://a.example/x", "slash"},
    {"http://a.example/d/index.html", "http://a.example/d/", "index"},
    {"http://a.example/INDEX.HTM", "http://a.example/", "index"},
    {"http://a.example/x?utm_source=n&id=3&fbclid=z", "http://a.example/x?id=3", "tracking"},
    {"https://a.example/?gclid=1&MSCLKID=2", "https://a.example/", "tracking"},
    {"http://a.example/ü/../x?utm_source=あ", "http://a.example/x", "tracking"},
    {"http://www.a.example/", "http://a.example/", "www"},
    {"http://a.example/", "https://a.example/", "scheme"},
    {"http://a.example:443/", "https://a.example/", "scheme"},
    // Never the same page.
    {"http://a.example/?q=1", "http://a.example/?q=2", ""},
    {"http://a.example/?a=1&b=2", "http://a.example/?b=2&a=1", ""},
    {"http://a.example/Path", "http://a.example/path", ""},
    {"http://a.example:8080/", "http://a.example/", ""},
    {"http://a.example/%2F", "http://a.example//", ""},
    {"http://a.example/?utmost=1", "http://a.example/", ""},
    {"http://user@a.example/", "http://a.example/", ""},
    {"http://www.a.example/", "http://ww.a.example/", ""},
    {"https://a.example:80/", "https://a.example/", ""},
    {"javascript:alert(1)", "JAVASCRIPT:alert(1)", ""},
    {"javascript:void(0)", "javascript:void(0);", ""},
    {"javascript:location.href='http://a.example/'", "javascript:location.href='http://A.example/'",
     ""},
    {"place:sort=8&maxResults=10", "PLACE:sort=8&maxResults=10", ""},
    {"C:\\Users\\a\\page.htm", "c:\\users\\a\\page.htm", ""},
    {"http://a.example/a b", "http://A.example/a b", ""},
    {"mailto:Someone@Example.com", "mailto:someone@example.com", ""},
};

bool Matches(const Pair& pair, const UrlMatch& match) {
    return UrlMatchKey(pair.a, match) == UrlMatchKey(pair.b, match);
}

}  // namespace

TEST(UrlMatchKey, EachPairMatchesFromItsLevelOnAndByItsRule) {
    const UrlMatch exact{MatchLevel::Exact, {}};
    const UrlMatch same{MatchLevel::SameResource, {}};
    const UrlMatch loose{MatchLevel::Loose, {}};
    for (const Pair& pair : kPairs) {
        const std::string rule = pair.rule;
        const std::string what = std::string(pair.a) + " | " + pair.b;
        const bool isLooseRule = rule != "exact" && rule != "same" && !rule.empty();
        EXPECT_EQ(Matches(pair, exact), rule == "exact") << what;
        EXPECT_EQ(Matches(pair, same), rule == "exact" || rule == "same") << what;
        EXPECT_EQ(Matches(pair, loose), !rule.empty()) << what;
        if (!rule.empty()) {
            const std::string expected = isLooseRule ? "loose:" + rule : rule;
            EXPECT_EQ(MatchRuleText(pair.a, pair.b, loose), expected) << what;
            EXPECT_EQ(MatchRuleText(pair.b, pair.a, loose), expected) << what;
        }
        if (isLooseRule) {
            LooseRules alone, none;
            ASSERT_TRUE(ParseLooseRules(rule, alone)) << rule;
            ASSERT_TRUE(ParseLooseRules("none", none));
            // Every rule but this one: the rules are independent switches.
            const LooseRules allBut{!alone.fragment, !alone.slash, !alone.index,
                                    !alone.tracking, !alone.www,   !alone.scheme};
            EXPECT_TRUE(Matches(pair, {MatchLevel::Loose, alone})) << what;
            EXPECT_FALSE(Matches(pair, {MatchLevel::Loose, allBut})) << what;
            EXPECT_FALSE(Matches(pair, {MatchLevel::Loose, none})) << what;
        }
        // A key is its own key, at every level.
        for (const UrlMatch& match : {exact, same, loose}) {
            for (const char* url : {pair.a, pair.b}) {
                const std::string key = UrlMatchKey(url, match);
                EXPECT_EQ(UrlMatchKey(key, match), key) << url;
            }
        }
    }
}

TEST(UrlMatchKey, LooseRulesByName) {
    LooseRules rules;
    ASSERT_TRUE(ParseLooseRules("www,fragment", rules));
    EXPECT_EQ(LooseRuleNames(rules), "fragment,www");
    ASSERT_TRUE(ParseLooseRules("all", rules));
    EXPECT_EQ(LooseRuleNames(rules), "fragment,slash,index,tracking,www,scheme");
    ASSERT_TRUE(ParseLooseRules("none", rules));
    EXPECT_EQ(LooseRuleNames(rules), "none");
    for (const char* wrong : {"", "slash,", "Slash", "fragments", "all,www"}) {
        EXPECT_FALSE(ParseLooseRules(wrong, rules)) << wrong;
    }
}
