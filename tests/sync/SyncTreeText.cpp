#include "SyncTreeText.h"

#include <algorithm>
#include <stdexcept>

namespace pernard::sync {

namespace {

void ParseList(const std::string& text, std::size_t& at, SyncTree& tree, int parent) {
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ') ++at;
        if (at >= text.size() || text[at] == ']') return;
        SyncItem item;
        const char kind = text[at++];
        item.folder = kind == 'F';
        item.localOnly = kind == 'L';
        std::size_t colon = text.find(':', at);
        if (colon != at) item.id = std::stoll(text.substr(at, colon - at));
        at = colon + 1;
        const std::size_t end = text.find_first_of(item.folder ? "[" : "=", at);
        if (end == std::string::npos) throw std::invalid_argument(text);
        item.title = text.substr(at, end - at);
        std::replace(item.title.begin(), item.title.end(), '_', ' ');
        at = end + 1;
        if (item.folder) {
            const int index = tree.Add(parent, item);
            ParseList(text, at, tree, index);
            ++at;  // "]"
        } else {
            const std::size_t stop = std::min(text.find_first_of(" ]", at), text.size());
            item.url = text.substr(at, stop - at);
            at = stop;
            tree.Add(parent, item);
        }
    }
}

void Write(const SyncTree& tree, int index, std::string& out) {
    bool first = true;
    for (int child : tree[index].children) {
        const SyncItem& item = tree[child];
        if (!first) out += ' ';
        first = false;
        out += item.folder ? 'F' : item.localOnly ? 'L' : 'B';
        if (item.id != kNoId) out += std::to_string(item.id);
        std::string title = item.title;
        std::replace(title.begin(), title.end(), ' ', '_');
        out += ':' + title;
        if (item.folder) {
            out += '[';
            Write(tree, child, out);
            out += ']';
        } else {
            out += '=' + item.url;
        }
    }
}

}  // namespace

SyncTree TreeFromText(const std::string& text) {
    SyncTree tree;
    std::size_t at = 0;
    bool highestGiven = false;
    if (!text.empty() && text[0] == '^') {
        const std::size_t blank = text.find(' ');
        tree.highestId = std::stoll(text.substr(1, blank - 1));
        highestGiven = true;
        at = blank == std::string::npos ? text.size() : blank + 1;
    }
    ParseList(text, at, tree, SyncTree::kRoot);
    if (!highestGiven) {
        for (const SyncItem& item : tree.items) tree.highestId = std::max(tree.highestId, item.id);
    }
    return tree;
}

std::string TextOfTree(const SyncTree& tree) {
    std::string out = "^" + std::to_string(tree.highestId) + " ";
    Write(tree, SyncTree::kRoot, out);
    return out;
}

}  // namespace pernard::sync
