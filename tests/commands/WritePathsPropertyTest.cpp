// Random collections (several sources, additional loads, the same file twice, Favorites,
// an odd browser's store, partial reads), random edits, then a random write path; after each write
// every file is checked against what the model holds: nothing that was read is lost, a store
// changes only by its own root's save and then holds that root, and the result says what
// happened. PERNARD_PROPERTY_RUNS runs it longer.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>

#include "commands/FavoritesCommands.h"
#include "commands/ReportCommands.h"
#include "commands/SaveCommands.h"
#include "support/Doubles.h"
#include "support/OddStore.h"
#include "support/Reading.h"
#include "support/TestFiles.h"

using namespace pernard;
using namespace pernard::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* kPartialText = "途中までしか読み込まれていません";

// Answers each question at random and remembers the answers.
class RandomPrompts : public RecordingPrompts {
public:
    explicit RandomPrompts(std::mt19937& random) : random_(random) {}
    Answer Confirm(const std::string& text, Buttons buttons) override {
        RecordingPrompts::Confirm(text, buttons);
        const Answer answer = random_() % 4 == 0 ? Answer::No : Answer::Yes;
        answered.push_back(answer);
        return answer;
    }
    std::vector<Answer> answered;

private:
    std::mt19937& random_;
};

// A test model whose questions are answered at random.
struct Harness {
    explicit Harness(std::mt19937& random) : prompts(random) {
        Ports ports = t.model.GetPorts();
        ports.prompts = &prompts;
        t.model.SetPorts(ports);
    }
    TestModel t;
    RandomPrompts prompts;
    BmLogic& model = t.model;
    ScriptedDialogs& dialogs = t.dialogs;
};

std::string Section(const std::string& title, int urls, bool partial) {
    std::string text =
        "<TITLE>" + title + "</TITLE>\n<DL><p>\n<DT><H3>" + title + " f</H3>\n<DL><p>\n";
    for (int k = 0; k < urls; ++k) {
        text += "<DT><A HREF=\"http://" + title + "/" + std::to_string(k) + "\">" + title +
                std::to_string(k) + "</A>\n";
    }
    if (partial) text += "<DT><A HREF=\"---\">left out</A>\n";
    return text + "</DL><p>\n</DL><p>\n";
}

// Each root of `roots` with everything below it: kind, parent relative to the root, name, URL.
std::string Shape(const BmLogic& model, const std::vector<int>& roots) {
    std::string shape;
    for (int root : roots) {
        const int end = root + model.SubtreeWidth(root);
        for (int i = root; i < end; ++i) {
            shape += std::to_string(i == root ? -1 : model.gloya[i] - root) + " " +
                     std::string(model.glName[i]) + " " + std::string(model.glUrl[i]) + "\n";
        }
    }
    return shape;
}

// The names and URLs of the bookmarks below `root`, in order, whatever folders hold them.
std::string Bookmarks(const BmLogic& model, int root) {
    std::string bookmarks;
    for (int i = root + 1; i < root + model.SubtreeWidth(root); ++i) {
        if (!model.IsFolder(i)) {
            bookmarks += std::string(model.glName[i]) + " " + std::string(model.glUrl[i]) + "\n";
        }
    }
    return bookmarks;
}

// The lines of a text in order.
std::string Sorted(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
        lines.push_back(text.substr(from, end - from));
    }
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (const std::string& line : lines) sorted += line + "\n";
    return sorted;
}

std::vector<int> Roots(const BmLogic& model) {
    std::vector<int> roots;
    for (int i = 0; i < model.glCT; i += model.SubtreeWidth(i)) roots.push_back(i);
    return roots;
}

// What `describe` says of the collection a fresh read of `path` gives.
template <typename Describe>
std::string OfFile(const std::string& path, Describe describe) {
    TestModel fresh;
    int urls = 0;
    std::string error;
    if (!Unpacked(LoadSource(fresh.model, true, path), urls, error)) return "unreadable: " + error;
    return describe(fresh.model);
}

std::string BookmarksOfFile(const std::string& path) {
    return OfFile(path, [](const BmLogic& model) { return Bookmarks(model, 0); });
}

std::string ShapeOfFile(const std::string& path) {
    return OfFile(path, [](const BmLogic& model) { return Shape(model, Roots(model)); });
}

class RandomSession {
public:
    RandomSession(unsigned seed, const TempDir& temp) : random_(seed), h_(random_) {
        files_ = {temp.Write("single.htm", Section("S", 3, false)),
                  temp.Write("three.htm", Section("A", 2, false) + Section("B", 1, false) +
                                              Section("C", 2, false)),
                  temp.Write("partial.htm", Section("P", 1, false) + Section("Q", 2, true)),
                  temp.Write("Bookmarks", OddStore(seed).Text()),
                  (temp.Path() / "Favorites").string()};
        temp.Write("Favorites/f1.url", "[InternetShortcut]\r\nURL=http://f1/\r\n");
        temp.Write("Favorites/sub/f2.url", "[InternetShortcut]\r\nURL=http://f2/\r\n");
        targets_ = files_;
        targets_.push_back((temp.Path() / "new.htm").string());
        targets_.push_back((temp.Path() / "out" / "Favorites").string());
    }

    void Go(int steps) {
        Load(true);
        for (int extra = Pick(3); extra > 0; --extra) Load(false);
        for (int step = 0; step < steps; ++step) {
            Edit();
            Write();
            if (::testing::Test::HasFatalFailure()) return;
            for (int root : Roots(h_.model)) {
                ASSERT_TRUE(h_.model.IsRoot(root)) << "an entry with no root";
            }
        }
    }

private:
    int Pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }
    int PickRoot() {
        const std::vector<int> roots = Roots(h_.model);
        return roots[static_cast<std::size_t>(Pick(static_cast<int>(roots.size())))];
    }

    void Load(bool complete) {
        int urls = 0;
        std::string error;
        Unpacked(LoadSource(h_.model, complete, files_[static_cast<std::size_t>(Pick(5))]), urls,
                 error);
        if (h_.model.glCT == 0) Unpacked(LoadSource(h_.model, true, files_[0]), urls, error);
    }

    void Edit() {
        for (int edits = Pick(4); edits > 0; --edits) {
            const int entry = Pick(h_.model.glCT);
            TreeNode* node = h_.model.glNode[entry];
            switch (Pick(4)) {
                case 0:
                    h_.model.NewFolder(node, "new" + std::to_string(Pick(100)), false);
                    break;
                case 1:
                    if (!h_.model.IsFolder(entry)) {
                        h_.model.EditUrlEntry(entry, {"renamed", "http://r/", "", "", ""});
                    }
                    break;
                case 2:
                    if (!h_.model.IsRoot(entry)) h_.model.DeleteNode(node, false);
                    break;
                default:
                    h_.model.MoveUpDown(entry, Pick(2) == 0);
            }
        }
    }

    // One of the write paths of the window and the command line, to a random target.
    void Write() {
        std::map<std::string, std::string> before;
        for (const std::string& file : files_) {
            if (fs::is_regular_file(file)) before[file] = ReadBytes(file);
        }
        const std::string target = targets_[static_cast<std::size_t>(Pick(7))];
        const int root = PickRoot();
        const std::string shapeBefore = Shape(h_.model, {root});
        const std::vector<int> fileRoots = RootsReadFrom(target, root);
        const std::vector<int> changedBefore = h_.model.ChangedRoots();
        h_.prompts.answered.clear();
        h_.prompts.questions.clear();
        h_.dialogs.nextFile = Pick(2) == 0 ? targets_[5] : "";
        bool ok = false;
        std::string what;
        switch (Pick(5)) {
            case 0:
                what = "overwrite save";
                ok = SaveRoot(h_.model, root);
                break;
            case 1:
                what = "bookmark file to " + target;
                ok = WriteBookmarkFile(h_.model, target, root);
                break;
            case 2: {
                what = "page to " + target;
                int written = 0;
                std::string error;
                ok = SaveUrlListReport(h_.model, root, true, target, UrlListPage{}, written, error);
                break;
            }
            case 3:
                what = "favorites into " + target;
                ok = fs::is_directory(target) && SaveFavorite(h_.model, target, root);
                break;
            default:
                what = "close";
                ok = true;
                for (int changed : changedBefore) ok = ok && SaveRoot(h_.model, changed);
                if (ok) {
                    EXPECT_TRUE(h_.model.ChangedRoots().empty()) << what;
                }
        }
        Check(what, ok, target, root, shapeBefore, fileRoots, before);
    }

    // The roots read from `path` by the read that gave `root`, else every root read from it.
    std::vector<int> RootsReadFrom(const std::string& path, int root) const {
        std::vector<int> fromFile;
        for (int other : Roots(h_.model)) {
            if (h_.model.SourcePath(other) == path) fromFile.push_back(other);
        }
        std::vector<int> sameRead;
        for (int other : h_.model.RootsOfSameRead(root)) {
            if (h_.model.SourcePath(other) == path) sameRead.push_back(other);
        }
        return sameRead.empty() ? fromFile : sameRead;
    }

    void Check(const std::string& what, bool ok, const std::string& target, int root,
               const std::string& shapeBefore, const std::vector<int>& fileRoots,
               const std::map<std::string, std::string>& before) {
        const bool overSource = !fileRoots.empty() && what.rfind("bookmark file", 0) == 0;
        for (const auto& [path, bytes] : before) {
            const std::string& file = path;
            // A close saves root after root: one may be written before another fails.
            const bool mayChange =
                what == "close" || (ok && (file == target || what == "overwrite save"));
            if (!mayChange) {
                ASSERT_EQ(ReadBytes(file), bytes) << what << ": " << file << " changed";
            } else if (file == files_[3] && ReadBytes(file) != bytes) {
                // A store is written back by its own root's save only, and holds that root's
                // bookmarks (its top folders in the browser's order, whatever the table's).
                ASSERT_TRUE(what == "close" || what == "overwrite save")
                    << what << " wrote a store";
                bool holdsARoot = false;
                for (int other : Roots(h_.model)) {
                    holdsARoot =
                        holdsARoot || (h_.model.SourcePath(other) == file &&
                                       Sorted(Bookmarks(h_.model, other)) ==
                                           Sorted(BookmarksOfFile(file)));
                }
                ASSERT_TRUE(holdsARoot) << what << ": the store lost bookmarks";
            } else if (ReadBytes(file) != bytes && fs::path(file).extension() == ".htm") {
                // A bookmark file that changed holds every root of one read of it, whole: a
                // partial one only after a yes to the question that names the loss.
                const std::string shape = ShapeOfFile(file);
                const std::vector<int> roots = Roots(h_.model);
                bool matchesARead = false;
                for (int other : Roots(h_.model)) {
                    if (h_.model.SourcePath(other) != file) continue;
                    std::vector<int> read;
                    for (int r : h_.model.RootsOfSameRead(other)) {
                        if (h_.model.SourcePath(r) == file) read.push_back(r);
                    }
                    matchesARead = matchesARead || Shape(h_.model, read) == shape;
                }
                if (!matchesARead) {
                    // Written as a new file (or over a file no root came from): the one root.
                    ASSERT_TRUE(fileRoots.empty() || what == "close" || what == "overwrite save")
                        << what << ": " << file << " lost roots:\n"
                        << shape;
                }
                const bool loaded = std::any_of(roots.begin(), roots.end(), [&](int other) {
                    return h_.model.SourcePath(other) == file;
                });
                if (loaded && bytes.find("\"---\"") != std::string::npos) {
                    bool agreed = false;
                    for (std::size_t q = 0; q < h_.prompts.questions.size(); ++q) {
                        agreed = agreed ||
                                 (h_.prompts.questions[q].find(kPartialText) != std::string::npos &&
                                  h_.prompts.answered[q] == Answer::Yes);
                    }
                    ASSERT_TRUE(agreed) << what << ": a partial read went over " << file;
                }
            }
        }
        if (ok && what.rfind("bookmark file", 0) == 0 && !overSource) {
            if (IsBrowserStore(h_.model.SourceKindOf(root))) {
                // Laid out as the browser's own export (the other bookmarks at the top): every
                // bookmark is there.
                ASSERT_EQ(Sorted(BookmarksOfFile(target)), Sorted(Bookmarks(h_.model, root)))
                    << what;
            } else {
                ASSERT_EQ(ShapeOfFile(target), shapeBefore) << what;
            }
        }
        if (ok && overSource) {
            ASSERT_TRUE(std::find(fileRoots.begin(), fileRoots.end(), root) != fileRoots.end())
                << what << ": another source's root went over " << target;
        }
    }

    std::mt19937 random_;
    Harness h_;
    std::vector<std::string> files_;    // single, three, partial, store, Favorites
    std::vector<std::string> targets_;  // the files, a new file, a new Favorites directory
};

}  // namespace

TEST(WritePaths, NothingReadIsLostWhateverIsWrittenWhere) {
    const char* runs = std::getenv("PERNARD_PROPERTY_RUNS");
    const unsigned count = runs != nullptr ? static_cast<unsigned>(std::atoi(runs)) : 60u;
    for (unsigned seed = 1; seed <= count; ++seed) {
        TempDir temp;
        RandomSession run(seed, temp);
        run.Go(6);
        if (::testing::Test::HasFatalFailure()) {
            ADD_FAILURE() << "seed " << seed;
            return;
        }
    }
}
