#pragma once
// The invariants of the entry table and its tree, checked the same way by the tests and the
// fuzz targets: rows in tree order, parents before children, nodes, labels and images in
// lock-step with the rows, folders within the depth limit, every URL in the URL index.

#include <string>

#include "model/BmLogic.h"

namespace pernard::testing {

// The first invariant that does not hold, as a sentence; empty when all hold.
inline std::string BrokenInvariant(BmLogic& model) {
    if (model.glCT != model.Tree().Count()) return "rows and tree nodes differ in number";
    if (model.glCT > model.glMaxURL) return "more rows than the capacity";
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const std::string row = "row " + std::to_string(i) + ": ";
        const TreeNode* node = model.glNode[k];
        if (node != model.Tree().NodeAt(i)) return row + "not the node at its place in the tree";
        if (node->Text() != model.glName[k]) return row + "label and name differ";
        if (node->Parent() == nullptr) {
            if (model.gloya[k] != -1 || !model.IsFolder(i)) return row + "a top node is no root";
            if (node->ImageIndex() != 0) return row + "a root without the root's image";
            continue;
        }
        if (model.gloya[k] != model.Tree().AbsoluteIndex(node->Parent()) || model.gloya[k] >= i) {
            return row + "parent index and tree differ";
        }
        const int image = model.IsFolder(i) ? 4 : model.UrlImageIndex(i);
        if (node->ImageIndex() != image) return row + "wrong image";
        if (model.IsFolder(i)) {
            int level = 1;
            for (const TreeNode* walk = node->Parent(); walk != nullptr; walk = walk->Parent()) {
                ++level;
            }
            if (level > 19) return row + "a folder deeper than the limit";
        } else if (!model.UrlExists(model.glUrl[k])) {
            return row + "a URL missing from the URL index";
        }
    }
    if (model.UrlExists("http://never-there/")) return "the URL index finds what is not there";
    return {};
}

}  // namespace pernard::testing
