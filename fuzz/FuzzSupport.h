#pragma once
// What the fuzz targets share: a model with silent ports, a scratch file for inputs that the
// code under test reads from disk, and the table's invariants (a failed one aborts, so that
// libFuzzer reports the input).

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/BmLogic.h"

namespace pernard::fuzz {

class SilentPrompts : public PromptPort {
public:
    void ShowMessage(const std::string&) override {}
    Answer Confirm(const std::string&, Buttons) override { return Answer::No; }
};

class SilentProgress : public ProgressPort {
public:
    void Show(const std::string&) override {}
    void Close() override {}
};

class SilentStatus : public StatusPort {
public:
    void SetPanel(int, const std::string&) override {}
};

class FuzzSettings : public SettingsPort {
public:
    std::string maxUrl = "100000";
    bool skipDuplicates = false;
    bool noEmptyFolders = false;
    std::string MaxUrlText() const override { return maxUrl; }
    bool SkipDuplicateUrls() const override { return skipDuplicates; }
    bool NoEmptyFolders() const override { return noEmptyFolders; }
    bool DebugCheck() const override { return false; }
    void SetDebugCheck(bool) override {}
    bool NoOverwriteQuestion() const override { return true; }
    StartupSource StartupSourceKind() const override { return StartupSource::Netscape; }
    std::string StartupBookmarkFile() const override { return {}; }
    std::string StartupFavoritesDirectory() const override { return {}; }
};

struct FuzzModel {
    SilentPrompts prompts;
    SilentProgress progress;
    SilentStatus status;
    DiagnosticsPort diagnostics;
    FuzzSettings settings;
    BmLogic model{Ports{&prompts, &progress, &status, &diagnostics, &settings}};
};

// A file of this process's own under /dev/shm (or /tmp) holding `bytes`.
inline std::string ScratchFile(std::string_view bytes, const char* suffix) {
    static const std::string base = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/pernard-fuzz-" + std::to_string(getpid());
    }();
    const std::string path = base + suffix;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::abort();
    }
    std::fclose(file);
    return path;
}

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

// Rows in tree order, parents before children, nodes and labels in lock-step with the tree.
inline void CheckInvariants(const BmLogic& model) {
    FUZZ_CHECK(model.glCT == model.Tree().Count());
    FUZZ_CHECK(model.glCT <= model.glMaxURL);
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const TreeNode* node = model.glNode[k];
        FUZZ_CHECK(node == model.Tree().NodeAt(i));
        FUZZ_CHECK(node->Text() == model.glName[k]);
        if (node->Parent() == nullptr) {
            FUZZ_CHECK(model.gloya[k] == -1 && model.IsFolder(i));
        } else {
            FUZZ_CHECK(model.gloya[k] == model.Tree().AbsoluteIndex(node->Parent()));
        }
    }
}

}  // namespace pernard::fuzz
