// Writes one collection three ways for the benchmarks of browsers' stores: a Chromium-family
// `Bookmarks` file, a Firefox `places.sqlite` (the documented tables, made here) and the same
// collection as a bookmark file (UTF-8). Japanese and ASCII names, folders nested up to five
// levels, two tags on every tenth bookmark.
//
//   generate-stores URL_COUNT DIRECTORY

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kWords = {"ニュース", "天気予報", "技術情報", "料理", "旅行",
                                         "鉄道",     "Linux",    "Qt",       "Blog", "Docs"};

// One node of the generated tree.
struct Node {
    bool folder = false;
    std::string name, url;
    long long added = 0;  // seconds since 1970
    std::vector<std::string> tags;
    std::vector<Node> children;
};

Node Generate(long count) {
    std::mt19937 random(20261208);
    Node root;
    root.folder = true;
    std::vector<Node*> open{&root};
    long long date = 1500000000;
    for (long i = 0; i < count; ++i) {
        if (i % 50 == 0) {
            while (open.size() > 1 && random() % 3 == 0) open.pop_back();
            if (open.size() < 6) {
                Node folder;
                folder.folder = true;
                folder.name = kWords[random() % kWords.size()] + " " + std::to_string(i);
                folder.added = date;
                open.back()->children.push_back(folder);
                open.push_back(&open.back()->children.back());
            }
        }
        Node bookmark;
        bookmark.name = kWords[random() % kWords.size()] + "の" + kWords[random() % kWords.size()] +
                        " " + std::to_string(i);
        bookmark.url = "https://www.example.jp/" + std::to_string(i) + "/index.html";
        bookmark.added = date += random() % 5000;
        if (i % 10 == 0) bookmark.tags = {kWords[random() % 5], kWords[5 + random() % 5]};
        open.back()->children.push_back(bookmark);
    }
    return root;
}

void WriteJson(std::ostream& out, const Node& node, int depth) {
    const std::string indent(static_cast<std::size_t>(depth) * 3, ' ');
    const std::string time = std::to_string((node.added + 11644473600LL) * 1000000);
    out << indent << "{ \"date_added\": \"" << time << "\", \"name\": \"" << node.name << "\", ";
    if (!node.folder) {
        out << "\"type\": \"url\", \"url\": \"" << node.url << "\" }";
        return;
    }
    out << "\"type\": \"folder\", \"children\": [\n";
    for (std::size_t k = 0; k < node.children.size(); ++k) {
        WriteJson(out, node.children[k], depth + 1);
        out << (k + 1 < node.children.size() ? ",\n" : "\n");
    }
    out << indent << "] }";
}

void WriteHtml(std::ostream& out, const Node& node, int depth) {
    const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
    for (const Node& child : node.children) {
        if (child.folder) {
            out << indent << "<DT><H3 ADD_DATE=\"" << child.added << "\">" << child.name
                << "</H3>\n"
                << indent << "<DL><p>\n";
            WriteHtml(out, child, depth + 1);
            out << indent << "</DL><p>\n";
        } else {
            out << indent << "<DT><A HREF=\"" << child.url << "\" ADD_DATE=\"" << child.added
                << "\">" << child.name << "</A>\n";
        }
    }
}

class PlacesWriter {
public:
    explicit PlacesWriter(sqlite3* db) : db_(db) {
        sqlite3_prepare_v2(db_, "INSERT INTO moz_places (id, url, title) VALUES (?, ?, ?)", -1,
                           &place_, nullptr);
        sqlite3_prepare_v2(db_,
                           "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, "
                           "dateAdded, lastModified, guid) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           -1, &bookmark_, nullptr);
    }
    ~PlacesWriter() {
        sqlite3_finalize(place_);
        sqlite3_finalize(bookmark_);
    }
    long long Add(int type, long long parent, int position, const std::string& title,
                  long long place, long long added) {
        const long long id = ++nextId_;
        sqlite3_reset(bookmark_);
        sqlite3_bind_int64(bookmark_, 1, id);
        sqlite3_bind_int(bookmark_, 2, type);
        if (place > 0) {
            sqlite3_bind_int64(bookmark_, 3, place);
        } else {
            sqlite3_bind_null(bookmark_, 3);
        }
        sqlite3_bind_int64(bookmark_, 4, parent);
        sqlite3_bind_int(bookmark_, 5, position);
        sqlite3_bind_text(bookmark_, 6, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(bookmark_, 7, added * 1000000);
        sqlite3_bind_int64(bookmark_, 8, added * 1000000);
        const std::string guid = "g" + std::to_string(id);
        sqlite3_bind_text(bookmark_, 9, guid.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(bookmark_);
        return id;
    }
    long long Place(const std::string& url, const std::string& title) {
        const long long id = ++nextPlace_;
        sqlite3_reset(place_);
        sqlite3_bind_int64(place_, 1, id);
        sqlite3_bind_text(place_, 2, url.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(place_, 3, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(place_);
        return id;
    }
    void Write(const Node& folder, long long parent) {
        int position = 0;
        for (const Node& child : folder.children) {
            if (child.folder) {
                Write(child, Add(2, parent, position++, child.name, 0, child.added));
                continue;
            }
            const long long place = Place(child.url, child.name);
            Add(1, parent, position++, child.name, place, child.added);
            for (const std::string& tag : child.tags) {
                auto& tagFolder = tagFolders_[tag];
                if (tagFolder.first == 0) {
                    tagFolder.first =
                        Add(2, kTags, static_cast<int>(tagFolders_.size()), tag, 0, 0);
                }
                Add(1, tagFolder.first, tagFolder.second++, "", place, child.added);
            }
        }
    }
    static constexpr long long kTags = 4;

private:
    sqlite3* db_;
    sqlite3_stmt* place_ = nullptr;
    sqlite3_stmt* bookmark_ = nullptr;
    long long nextId_ = 6;  // after the roots
    long long nextPlace_ = 0;
    std::map<std::string, std::pair<long long, int>> tagFolders_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: generate-stores URL_COUNT DIRECTORY\n";
        return 2;
    }
    const Node root = Generate(std::atol(argv[1]));
    const std::filesystem::path directory = argv[2];
    std::filesystem::create_directories(directory);

    std::ofstream json(directory / "Bookmarks", std::ios::binary);
    json << "{\n \"roots\": {\n  \"bookmark_bar\":\n";
    Node bar = root;
    bar.name = "ブックマーク バー";
    WriteJson(json, bar, 1);
    json << ",\n  \"other\": { \"children\": [], \"name\": \"その他\", \"type\": \"folder\" }\n"
            " },\n \"version\": 1\n}\n";

    std::ofstream html(directory / "bookmarks.htm", std::ios::binary);
    html << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
            "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n"
            "<DL><p>\n    <DT><H3>ブックマーク バー</H3>\n    <DL><p>\n";
    WriteHtml(html, root, 2);
    html << "    </DL><p>\n</DL><p>\n";

    const std::string places = (directory / "places.sqlite").string();
    std::filesystem::remove(places);
    sqlite3* db = nullptr;
    if (sqlite3_open(places.c_str(), &db) != SQLITE_OK) return 1;
    sqlite3_exec(db,
                 "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
                 "LONGVARCHAR, last_visit_date INTEGER, guid TEXT);"
                 "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, "
                 "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
                 "folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT);"
                 "CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);"
                 "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);"
                 "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT "
                 "UNIQUE, place_id INTEGER, post_data TEXT);"
                 "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES "
                 "(1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'), "
                 "(3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'), "
                 "(5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', "
                 "'mobile______');"
                 "BEGIN;",
                 nullptr, nullptr, nullptr);
    {
        PlacesWriter writer(db);
        writer.Write(root, 3);  // the toolbar
    }
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return json && html ? 0 : 1;
}
