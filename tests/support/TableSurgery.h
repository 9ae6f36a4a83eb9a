#pragma once
// Writes straight into the entry table, past every operation: for tests that need a table no
// operation makes (a broken parent, a text changed without a step).

#include <string_view>

#include "model/BmLogic.h"

namespace pernard {

struct TableSurgery {
    static void SetParent(BmLogic& model, int row, int parent) {
        model.parents_[static_cast<std::size_t>(row)] = parent;
    }
    static void SetName(BmLogic& model, int row, std::string_view name) {
        model.name_.Set(static_cast<std::size_t>(row), name);
    }
    static void SetVisited(BmLogic& model, int row, std::string_view visited) {
        model.visited_.Set(static_cast<std::size_t>(row), visited);
    }
};

}  // namespace pernard
