// Writes a realistic bookmark file for the benchmarks: nested folders, Japanese and ASCII
// names, CR LF line ends, Shift_JIS (CP932), about 1% duplicate URLs. With "extras", every
// bookmark also carries what browsers add: tags, an icon, a description, and a separator now
// and then. With "icons" as well, each icon is a real image (one of a thousand 16x16 bitmaps, as
// a site's icon is shared by its pages) that the window decodes and shows.
//
//   generate-bookmarks URL_COUNT OUTPUT_FILE [utf8] [extras] [icons]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "util/CodePage.h"

namespace {

const std::vector<std::string> kJapaneseWords = {
    "ニュース", "天気予報", "技術情報", "料理レシピ", "旅行",      "鉄道", "写真",
    "音楽",     "図書館",   "大学",     "研究室",     "開発日記",  "東京", "大阪",
    "京都",     "北海道",   "銀行",     "買い物",     "地図",      "辞書", "翻訳",
    "健康",     "スポーツ", "映画",     "ゲーム",     "趣味の部屋"};
const std::vector<std::string> kAsciiWords = {
    "Linux",  "Qt",    "C++",     "News",  "Blog",      "Wiki",  "Docs", "Home",
    "Search", "Photo", "Archive", "Tools", "Reference", "Forum", "Mail", "Shop"};
const std::vector<std::string> kHosts = {
    "www.example.jp",  "news.example.co.jp", "blog.example.net",   "docs.example.org",
    "www.example.com", "shop.example.ne.jp", "wiki.example.or.jp", "portal.example.ac.jp"};

std::string Indent(int depth) { return std::string(std::min(4 * (depth + 1), 44), ' '); }

std::string Base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        unsigned value = static_cast<unsigned char>(bytes[at]) << 16;
        if (at + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[at + 1]) << 8;
        if (at + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[at + 2]);
        for (int k = 0; k < 4; ++k) {
            const bool past = at + static_cast<std::size_t>(k) > bytes.size();
            text += past ? '=' : kDigits[(value >> (18 - 6 * k)) & 63];
        }
    }
    return text;
}

// A 16x16 24-bit bitmap of its own colours for each `seed`, as a data URI.
std::string IconUri(unsigned seed) {
    auto little = [](std::string& out, unsigned value, int bytes) {
        for (int k = 0; k < bytes; ++k) out += static_cast<char>((value >> (8 * k)) & 0xFF);
    };
    std::string bmp = "BM";
    little(bmp, 54 + 768, 4);
    little(bmp, 0, 4);
    little(bmp, 54, 4);
    for (unsigned value : {40u, 16u, 16u}) little(bmp, value, 4);
    little(bmp, 1, 2);
    little(bmp, 24, 2);
    for (unsigned value : {0u, 768u, 2835u, 2835u, 0u, 0u}) little(bmp, value, 4);
    for (unsigned y = 0; y < 16; ++y) {
        for (unsigned x = 0; x < 16; ++x) {
            const bool mark = (x + y) % 4 == 0;
            bmp += static_cast<char>(mark ? 255 : seed * 53 % 256);
            bmp += static_cast<char>(mark ? 255 : seed * 91 % 256);
            bmp += static_cast<char>(mark ? 255 : seed * 37 % 256);
        }
    }
    return "data:image/bmp;base64," + Base64(bmp);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: generate-bookmarks URL_COUNT OUTPUT_FILE [utf8] [extras]\n";
        return 2;
    }
    const long urlCount = std::atol(argv[1]);
    bool utf8 = false;
    bool extras = false;
    bool icons = false;
    for (int k = 3; k < argc; ++k) {
        utf8 = utf8 || std::string(argv[k]) == "utf8";
        extras = extras || std::string(argv[k]) == "extras";
        icons = icons || std::string(argv[k]) == "icons";
    }
    std::ofstream out(argv[2], std::ios::binary);
    if (!out) {
        std::cerr << "cannot write " << argv[2] << '\n';
        return 1;
    }
    pernard::TextEncoder encoder(utf8 ? pernard::kUtf8 : pernard::kCp932, nullptr);
    std::mt19937 random(20261208);
    auto pick = [&](const std::vector<std::string>& words) {
        return words[random() % words.size()];
    };
    std::string buffer;
    auto line = [&](const std::string& text) {
        encoder.Encode(text, buffer);
        buffer += "\r\n\r\n";
        if (buffer.size() > (1 << 20)) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    };
    line("<!DOCTYPE NETSCAPE-Bookmark-file-1>");
    line("<!-- This is an automatically generated file. -->");
    line("<TITLE>ベンチマーク用ブックマーク</TITLE>");
    line("<H1>ベンチマーク用ブックマーク</H1>");
    line("<DL><p>");
    int depth = 0;
    std::vector<std::string> earlierUrls;
    long long date = 1100000000;
    for (long i = 0; i < urlCount; ++i) {
        // Open a folder every so often, close one now and then: nesting up to 6 levels.
        if (i % 40 == 0) {
            while (depth > 0 && random() % 3 == 0) {
                --depth;
                line(Indent(depth) + "</DL><p>");
            }
            if (depth < 6) {
                line(Indent(depth) + "<DT><H3 ADD_DATE=\"" + std::to_string(date) + "\">" +
                     pick(kJapaneseWords) + "と" + pick(kAsciiWords) + "</H3>");
                line(Indent(depth) + "<DL><p>");
                ++depth;
            }
        }
        std::string url;
        if (!earlierUrls.empty() && random() % 100 == 0) {
            url = earlierUrls[random() % earlierUrls.size()];
        } else {
            url = "https://" + pick(kHosts) + "/" + pick(kAsciiWords) + "/" + std::to_string(i) +
                  "/index.html?ref=" + std::to_string(random() % 100000);
            if (earlierUrls.size() < 10000) earlierUrls.push_back(url);
        }
        date += random() % 5000;
        const std::string name = pick(kJapaneseWords) + " " + pick(kAsciiWords) + " の" +
                                 pick(kJapaneseWords) + " " + std::to_string(i);
        if (extras && i % 50 == 0) line(Indent(depth) + "<HR>");
        const std::string kept =
            extras ? " ICON=\"" +
                         (icons ? IconUri(static_cast<unsigned>(i % 1000))
                                : std::string(
                                      "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAABAAAAAQ")) +
                         "\" TAGS=\"" + pick(kAsciiWords) + "," + pick(kJapaneseWords) + "\""
                   : "";
        line(Indent(depth) + "<DT><A HREF=\"" + url + "\" ADD_DATE=\"" + std::to_string(date) +
             "\" LAST_VISIT=\"" + std::to_string(date + 86400) + "\" LAST_MODIFIED=\"" +
             std::to_string(date + 3600) + "\"" + kept + ">" + name + "</A>");
        if (extras) {
            line(Indent(depth) + "<DD>" + pick(kJapaneseWords) + "についてのメモ &amp; " +
                 pick(kAsciiWords));
        }
    }
    while (depth > 0) {
        --depth;
        line(Indent(depth) + "</DL><p>");
    }
    encoder.Encode("</DL><p>\r\n", buffer);
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    return out ? 0 : 1;
}
