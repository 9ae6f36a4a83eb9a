#include "model/Search.h"

#include <algorithm>

#include "model/EntryExtras.h"
#include "util/CodePage.h"
#include "util/Text.h"
#include "util/TextFold.h"

namespace pernard {

namespace {

// True when `word` occurs in `text` starting where a character starts (in UTF-8 a word that
// starts with a whole character can only match there, but a word is never trusted to).
bool ContainsAtCharacter(std::string_view text, std::string_view word) {
    if (word.empty()) return false;
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        if (!IsContinuationByte(text[at])) return true;
    }
    return false;
}

}  // namespace

SearchQuery MakeSearchQuery(std::string_view keyword, SearchField field, bool fold) {
    SearchQuery query;
    query.field = field;
    query.fold = fold;
    SplitWords(keyword, query.words, kSearchWordLimit);
    if (fold) {
        std::string folded;
        for (std::string& word : query.words) {
            FoldCaseAndWidth(word, folded);
            word = folded;
        }
    }
    return query;
}

std::vector<int> FindEntries(const BmLogic& model, const SearchQuery& query) {
    std::vector<int> hits;
    if (std::none_of(query.words.begin(), query.words.end(),
                     [](const std::string& word) { return !word.empty(); })) {
        return hits;
    }
    const int count = std::min(model.glCT, model.Tree().Count());
    const auto& texts = query.field == SearchField::Title ? model.glName : model.glUrl;
    std::string lowered;
    std::string shown;
    auto contains = [&](std::string_view text) {
        // Bytes kept from the file are searched as they are shown.
        if (HasKeptBytes(text)) {
            shown = ShownText(text);
            text = shown;
        }
        if (query.fold) {
            FoldCaseAndWidth(text, lowered);
        } else {
            LowerAsciiInto(text, lowered);
        }
        return std::any_of(query.words.begin(), query.words.end(), [&](const std::string& word) {
            return ContainsAtCharacter(lowered, word);
        });
    };
    std::string notes;
    for (int i = 0; i < count; ++i) {
        if (contains(texts[i])) {
            hits.push_back(i);
            continue;
        }
        if (!query.notes) continue;
        const std::string_view packed = model.ExtrasOf(i);
        if (packed.empty()) continue;
        notes = NotesText(packed);
        if (contains(notes)) hits.push_back(i);
    }
    return hits;
}

std::string FolderPathOf(const BmLogic& model, int entry, std::string_view separator) {
    if (!model.IsValidIndex(entry)) return {};
    std::vector<int> folders;
    for (int walk = model.gloya[entry]; walk >= 0; walk = model.gloya[walk]) {
        folders.push_back(walk);
    }
    std::string path;
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        if (!path.empty()) path += separator;
        path += model.glName[*folder];
    }
    return path;
}

}  // namespace pernard
