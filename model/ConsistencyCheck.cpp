// The diagnostic comparison of the entry table with the folder tree.

#include <cstdio>
#include <stdexcept>

#include "model/BmLogic.h"

namespace pernard {

namespace {

std::string Format(const char* format, int a, int b) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

}  // namespace

void BmLogic::CheckConsistency(const std::string& callerText, bool run) {
    SettingsPort& settings = *ports_.settings;
    if (!glChanged || !run || !settings.DebugCheck()) return;
    DiagnosticsPort& memo = *ports_.diagnostics;
    memo.ClearMemo();
    memo.AppendMemo("Check Debug " + callerText);
    bool anomaly = false;
    std::string context;
    try {
        const int nodeCount = tree_.Count();
        if (nodeCount != glCT) {
            memo.AppendMemo(Format("glCT : %d  Count : %d ", glCT, nodeCount));
            context = "Check glCT ";
            anomaly = true;
        }
        for (int i = 0; i < nodeCount; ++i) {
            TreeNode* node = tree_.NodeAt(i);
            if (glNode[i] != node) {
                context = "Check glNode " + std::to_string(i);
                throw std::runtime_error("node out of order");
            }
            if (glUrl[i] == kFolderMarker) {
                // A root shows images 0/1, a folder 4/5.
                const bool top = node->Parent() == nullptr;
                const int wantImage = top ? 0 : 4;
                if (node->ImageIndex() != wantImage || node->SelectedIndex() != wantImage + 1) {
                    context = "Check Folder " + std::to_string(i);
                    memo.AppendMemo("glUrl[" + std::to_string(i) + "] : " + std::string(glUrl[i]) +
                                    "  ImageIndex:" + std::to_string(node->ImageIndex()));
                    anomaly = true;
                }
            }
            if (node->Text() != glName[i]) {
                context = "Check glNode Text " + std::to_string(i);
                memo.AppendMemo("Unmatch text.. " + std::to_string(i) + " : " +
                                std::string(glName[i]) + " ### " + std::string(node->Text()));
                anomaly = true;
            }
        }
        for (int i = 0; i < nodeCount; ++i) {
            const int parent = gloya[i];
            if (parent == -1) continue;
            TreeNode* parentNode = glNode[parent];
            if (!tree_.IsAncestor(parentNode, glNode[i])) {
                context = "Check Folder " + std::to_string(i);
                memo.AppendMemo("Error Parent " + std::to_string(i) + " ");
                anomaly = true;
            }
        }
        if (anomaly) {
            memo.AppendMemo(callerText);
            settings.SetDebugCheck(false);
        }
    } catch (const std::exception&) {
        memo.AppendMemo("ERROR OCCUERD " + context);
        return;
    }
    if (!ParentCheck()) {
        memo.AppendMemo("Error ParentCheck ");
        memo.ShowMemo();
    }
}

bool BmLogic::ParentCheck() {
    bool result = true;
    const int nodeCount = tree_.Count();
    for (int i = 1; i < nodeCount && i < glCT; ++i) {
        const TreeNode* node = tree_.NodeAt(i);
        const TreeNode* parent = node->Parent();
        if (parent == nullptr) continue;
        if (tree_.AbsoluteIndex(parent) != parents_[static_cast<std::size_t>(i)]) {
            ports_.status->SetPanel(0, "Error ParentCheck");
            result = false;
        }
    }
    return result;
}

}  // namespace pernard
