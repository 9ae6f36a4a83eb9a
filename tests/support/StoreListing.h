#pragma once
// A one-line-per-entry listing of what a read put in the table, extras included, for the tests
// of browsers' own stores.

#include <string>
#include <string_view>

#include "model/BmLogic.h"
#include "model/EntryExtras.h"

namespace pernard::testing {

// One line per entry from row `first` on: parent, kind, name, URL, dates, kept attributes,
// separators and description (its line ends written as \n, so that it stays on its line).
inline std::string StoreListing(const BmLogic& model, int first = 1) {
    auto escaped = [](std::string_view text) {
        std::string out;
        for (const char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
        return out;
    };
    std::string out;
    for (int i = first; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const EntryExtras extras = UnpackExtras(model.ExtrasOf(i));
        out +=
            std::to_string(model.gloya[k] - (first - 1)) + " " + (model.IsFolder(i) ? "F " : "U ") +
            std::string(model.glName[k]) + " " +
            (model.IsFolder(i) ? "" : std::string(model.glUrl[k])) + " " +
            std::string(model.glAdd[k]) + "|" +
            (model.IsFolder(i) ? "" : std::string(model.glVisit[k])) + "|" +
            std::string(model.glLast[k]) + extras.attributes +
            (extras.separatorsBefore > 0 ? " hr" + std::to_string(extras.separatorsBefore) : "") +
            (extras.separatorsAtEnd > 0 ? " end" + std::to_string(extras.separatorsAtEnd) : "") +
            (extras.hasDescription ? " dd:" + escaped(extras.description) : "") + "\n";
    }
    return out;
}

}  // namespace pernard::testing
