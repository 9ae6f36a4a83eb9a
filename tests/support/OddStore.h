#pragma once
// Generated Chromium `Bookmarks` files with what odd ones hold (tests/formats/ChromiumOddStoresTest
// and the write paths' property use them).

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace pernard::testing {

// Generated stores with what odd files hold: members in any order and given twice (roots, a
// top folder, a name, a meta_info, a children list), ids missing, numeric, repeated or shared
// with a guid, guids missing, folders without a children list, texts with escapes, and the
// roots past the first 64 KiB of the file.
class OddStore {
public:
    explicit OddStore(unsigned seed) : random_(seed) {}

    std::string Text() {
        std::vector<std::string> members = {
            Member("checksum", Quoted(Pick({"0123456789abcdef0123456789abcdef", "x", "",
                                             "abc-123", "<\\\"x\\\\"}))),
            Member("version", "1"),
            Member("roots", Roots()),
        };
        if (Chance(30)) members.push_back(Member("sync_metadata", Quoted("CioKCgiIgQ==")));
        if (Chance(30)) members.push_back(Member("roots", Roots()));  // the browser reads the last
        if (Chance(30)) {
            members.insert(members.begin(), Member("padding", Quoted(std::string(70000, 'p'))));
        }
        return Object(Shuffled(members));
    }

private:
    bool Chance(int percent) { return static_cast<int>(random_() % 100) < percent; }
    std::string Pick(std::vector<std::string> texts) { return texts[random_() % texts.size()]; }
    static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
    static std::string Member(const std::string& key, const std::string& value) {
        return Quoted(key) + ": " + value;
    }
    static std::string Object(const std::vector<std::string>& members) {
        std::string text = "{";
        for (std::size_t k = 0; k < members.size(); ++k) text += (k > 0 ? ",\n" : "") + members[k];
        return text + "}";
    }
    std::vector<std::string> Shuffled(std::vector<std::string> members) {
        std::shuffle(members.begin(), members.end(), random_);
        return members;
    }

    std::string Roots() {
        std::vector<std::string> members;
        for (const char* key : {"bookmark_bar", "other", "synced"}) {
            if (Chance(85)) members.push_back(Member(key, Node(0, true)));
            if (Chance(10)) members.push_back(Member(key, Node(0, true)));
        }
        return Object(Shuffled(members));
    }

    std::string Id() {
        const int kind = static_cast<int>(random_() % 10);
        if (kind == 0) return "";  // none
        if (kind == 1) return Member("id", std::to_string(++nextId_));  // a number
        if (kind == 2 && nextId_ > 0) return Member("id", Quoted(std::to_string(nextId_)));
        return Member("id", Quoted(std::to_string(++nextId_)));
    }
    std::string Guid() {
        const int kind = static_cast<int>(random_() % 10);
        if (kind == 0) return "";
        if (kind == 1 && !lastGuid_.empty()) return Member("guid", Quoted(lastGuid_));
        lastGuid_ = "00000000-0000-4000-8000-" + std::to_string(100000000000 + random_() % 1000);
        return Member("guid", Quoted(lastGuid_));
    }
    std::string Name() {
        return Quoted(Pick({"ニュース", "a \\\"quoted\\\" name", "caf\\u00e9", "\\ud83d\\ude00 smile",
                            "tab\\there", "", "同じ名前"}));
    }

    std::string Node(int depth, bool folder) {
        std::vector<std::string> members;
        for (std::string member : {Id(), Guid()}) {
            if (!member.empty()) members.push_back(member);
        }
        members.push_back(Member("date_added", Quoted(std::to_string(13300000000000000 + random_() % 1000))));
        if (Chance(10)) members.push_back(Member("name", Name()));  // a first name, read over
        members.push_back(Member("name", Name()));
        if (Chance(30)) members.push_back(Member("meta_info", R"({"Description": "d1", "power_bookmark_meta": ""})"));
        if (Chance(10)) {
            members.push_back(
                Member("meta_info", "{\"Nickname\": " + Quoted(Pick({"n2", "  n  ", "   ", "\\tT\\t"})) + "}"));
        }
        if (Chance(20)) members.push_back(Member("unknown", R"({"a": [1, 2.5, {"b": null}], "c": true})"));
        members.push_back(Member("type", Quoted(folder ? "folder" : "url")));
        if (folder) {
            members.push_back(Member("date_modified", Quoted("0")));
            if (!Chance(10) || depth == 0) {
                if (Chance(5)) members.push_back(Member("children", "[" + Node(depth + 1, false) + "]"));
                members.push_back(Member("children", Children(depth + 1)));
            }
        } else {
            members.push_back(Member("url", Quoted(Pick({"https://example.com/", "http://a.example/?q=1&r=2",
                                                         "javascript:void(0)", "https://例え.jp/"}))));
        }
        return Object(Shuffled(members));
    }

    std::string Children(int depth) {
        std::string text = "[";
        const int count = static_cast<int>(random_() % (depth < 3 ? 5 : 2));
        for (int k = 0; k < count; ++k) {
            text += (k > 0 ? ", " : "") + Node(depth, depth < 3 && Chance(25));
        }
        return text + "]";
    }

    std::mt19937 random_;
    int nextId_ = 0;
    std::string lastGuid_;
};

}  // namespace pernard::testing
