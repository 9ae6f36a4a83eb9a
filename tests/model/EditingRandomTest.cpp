// Random sequences of edits on random tables, compared step by step with the plain reference,
// with every invariant of the table checked after each step and a save-and-read at the end.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "formats/bookmarkfile/NetscapeWriter.h"
#include "model/EditingReference.h"
#include "model/EntryExtras.h"
#include "model/TableBuilder.h"
#include "model/Tags.h"
#include "support/Doubles.h"
#include "support/Invariants.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

const char* const kNames[] = {"a", "b", "フォルダー", "日本語の名前", "x & y", "<b>", "c d"};
const char* const kUrls[] = {"http://a/", "http://b/", "https://例え.jp/", "http://a/?q=1&r=2",
                             "N/A"};
const char* const kDates[] = {"", "999", "1000", "1001", "946684800"};

const char* const kAttributes[] = {"", " TAGS=\"a,b\"", " FOLDED", " ICON=\"data:x\" ID=\"7\"",
                                   " PERSONAL_TOOLBAR_FOLDER=\"true\" FOLDED"};
const char* const kDescriptions[] = {"", "one line", "two\n  lines &amp; a reference"};

template <typename List>
std::string Pick(std::mt19937& random, const List& list) {
    return list[random() % std::size(list)];
}

EntryTexts RandomFields(std::mt19937& random) {
    return {Pick(random, kNames), Pick(random, kUrls), Pick(random, kDates), Pick(random, kDates),
            Pick(random, kDates)};
}

// Random extras for entry `index` (one in three has none): what a browser's export would carry.
void GiveRandomExtras(BmLogic& model, int index, std::mt19937& random) {
    if (random() % 3 == 0) return;
    EntryExtras extras;
    const bool root = model.gloya[index] < 0;
    if (!root) extras.attributes = Pick(random, kAttributes);
    const std::string description = Pick(random, kDescriptions);
    extras.hasDescription = !description.empty() || random() % 4 == 0;
    extras.description = description;
    if (!root) extras.separatorsBefore = static_cast<int>(random() % 3);
    if (model.IsFolder(index)) extras.separatorsAtEnd = static_cast<int>(random() % 2);
    TableSurgery::SetExtras(model, index, PackExtras(extras));
}

// A random collection: roots with folders and URLs nested up to a few levels, some of them
// near the depth limit; most entries carry extras.
void BuildRandomTable(BmLogic& model, std::mt19937& random) {
    const int roots = 1 + static_cast<int>(random() % 3);
    for (int r = 0; r < roots; ++r) {
        TableBuilder::Root(model, Pick(random, kNames));
        int level = 1;
        const int entries = static_cast<int>(random() % 14);
        const int deepest = random() % 4 == 0 ? 19 : 4;
        for (int k = 0; k < entries; ++k) {
            const int choice = static_cast<int>(random() % 6);
            if (choice == 0 && level > 1) {
                --level;
            } else if (choice <= 2 && level < deepest) {
                // Few folder names, so that folders of the same name meet in one folder.
                TableBuilder::Folder(model, level, kNames[random() % 3]);
                ++level;
            } else {
                const EntryTexts fields = RandomFields(random);
                TableBuilder::Url(model, level, fields);
            }
        }
    }
    for (int i = 0; i < model.glCT; ++i) GiveRandomExtras(model, i, random);
}

void ExpectInvariants(TestModel& t, const std::string& where) {
    BmLogic& m = t.model;
    ASSERT_EQ(BrokenInvariant(m), "") << where;
    const bool changed = m.glChanged;
    TableSurgery::SetChanged(m, true);
    t.settings.debugCheck = true;
    t.diagnostics.memo.clear();
    m.CheckConsistency("random", true);
    TableSurgery::SetChanged(m, changed);
    ASSERT_EQ(t.diagnostics.memo.size(), 1u) << where << ": " << t.diagnostics.memo.back();
}

// Every root written as a bookmark file and read back gives the same entries.
void ExpectSaveAndReadKeepEverything(const BmLogic& model, const std::string& where) {
    TempDir temp;
    for (int root = 0; root < model.glCT; root += model.SubtreeWidth(root)) {
        const std::string path = temp.Write("saved.htm", BookmarkFileText(model, root));
        TestModel reread;
        reread.settings.maxUrl = "100000";
        int urls = 0;
        std::string error;
        ASSERT_TRUE(
            Unpacked(LoadSource(reread.model, true, path, SourceKind::BookmarkFile), urls, error))
            << where << error;
        const int width = model.SubtreeWidth(root);
        ASSERT_EQ(reread.model.glCT, width) << where << " root " << root;
        EXPECT_EQ(reread.model.glName[0], model.glName[root]) << where;
        for (int k = 1; k < width; ++k) {
            const std::size_t mine = static_cast<std::size_t>(root + k);
            const std::size_t theirs = static_cast<std::size_t>(k);
            ASSERT_EQ(reread.model.gloya[theirs] + root, model.gloya[mine]) << where << " " << k;
            EXPECT_EQ(reread.model.glUrl[theirs], model.glUrl[mine]) << where << " " << k;
            EXPECT_EQ(reread.model.glName[theirs], model.glName[mine]) << where << " " << k;
            EXPECT_EQ(reread.model.glAdd[theirs], model.glAdd[mine]) << where << " " << k;
            EXPECT_EQ(reread.model.glVisit[theirs], model.glVisit[mine]) << where << " " << k;
            EXPECT_EQ(reread.model.glLast[theirs], model.glLast[mine]) << where << " " << k;
            // An extra of a folder that moved to be a URL's, or the reverse, reads back the same.
            EXPECT_EQ(reread.model.ExtrasOf(k), model.ExtrasOf(root + k)) << where << " " << k;
        }
    }
}

// The table as undo must give it back: rows, texts, parents, images and the very nodes (an
// entry that comes back is the node it was). Expanded flags are the view's and not edits.
std::string UndoDump(const BmLogic& model) {
    std::string dump;
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const TreeNode* node = model.glNode[k];
        dump += std::to_string(i) + " " + std::to_string(model.gloya[k]) + " " +
                std::string(model.glUrl[k]) + "|" + std::string(model.glName[k]) + "|" +
                std::string(model.glAdd[k]) + "|" + std::string(model.glVisit[k]) + "|" +
                std::string(model.glLast[k]) + " #" + std::to_string(node->Serial()) + " " +
                std::to_string(node->ImageIndex()) + "/" + std::to_string(node->SelectedIndex()) +
                " {" + std::string(model.ExtrasOf(i)) + "}\n";
    }
    return dump;
}

// Undoing every step gives back each earlier table in turn, down to the one loaded, which is
// unchanged again; redoing every step gives back the edited one.
void ExpectUndoAndRedoRetraceTheSteps(TestModel& t, const std::vector<std::string>& states,
                                      const std::string& where) {
    BmLogic& m = t.model;
    for (std::size_t step = states.size() - 1; step > 0; --step) {
        ASSERT_TRUE(m.Undo()) << where << " undo to " << step - 1;
        ASSERT_EQ(UndoDump(m), states[step - 1]) << where << " undo to " << step - 1;
        ExpectInvariants(t, where + " undo");
        if (::testing::Test::HasFatalFailure()) return;
        ASSERT_EQ(m.glChanged, step > 1) << where << " undo to " << step - 1;
    }
    ASSERT_FALSE(m.CanUndo()) << where;
    for (std::size_t step = 1; step < states.size(); ++step) {
        ASSERT_TRUE(m.Redo()) << where << " redo to " << step;
        ASSERT_EQ(UndoDump(m), states[step]) << where << " redo to " << step;
        ExpectInvariants(t, where + " redo");
        if (::testing::Test::HasFatalFailure()) return;
        ASSERT_TRUE(m.glChanged) << where;
    }
    ASSERT_FALSE(m.CanRedo()) << where;
}

}  // namespace

TEST(EditingRandom, EverySequenceMatchesTheReferenceAndKeepsTheInvariants) {
    std::mt19937 random(7081208);
    int refused = 0, done = 0;
    for (int round = 0; round < 150; ++round) {
        TestModel t;
        t.settings.maxUrl = std::to_string(20 + random() % 40);
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
        BuildRandomTable(t.model, random);
        for (int i = 0; i < t.model.glCT; ++i) {
            if (random() % 2 == 0) t.model.SetExpanded(t.model.glNode[i], true);
        }
        RefTree reference = RefTree::FromTable(t.model);
        reference.maxUrl = t.model.glMaxURL;
        t.prompts.nextAnswer = Answer::Yes;
        std::vector<std::string> states{UndoDump(t.model)};
        for (int step = 0; step < 30 && t.model.glCT > 0; ++step) {
            const int count = t.model.glCT;
            const int a = static_cast<int>(random() % count);
            const int b = static_cast<int>(random() % count);
            TreeNode* nodeA = t.model.glNode[a];
            TreeNode* nodeB = t.model.glNode[b];
            const std::string before = DumpWithState(t.model);
            bool mine = false, theirs = false;
            bool isEdit = true;
            std::string what;
            const std::uint64_t pushes = t.model.HistoryPushCount();
            // A selection of random size (up to every entry), in the order it was made.
            auto chooseSome = [&](std::vector<int>& chosen, std::vector<NodeRef>& held) {
                std::vector<int> all(static_cast<std::size_t>(count));
                std::iota(all.begin(), all.end(), 0);
                std::shuffle(all.begin(), all.end(), random);
                all.resize(1 + random() % static_cast<unsigned>(count));
                for (int i : all) {
                    chosen.push_back(i);
                    held.push_back(t.model.RefOf(i));
                }
            };
            switch (random() % 19) {
                case 0: {
                    const bool shown = random() % 4 != 0;
                    const std::string name = Pick(random, kNames);
                    what = "new folder after " + std::to_string(a);
                    mine = t.model.NewFolder(nodeA, name, shown) >= 0;
                    theirs = reference.NewFolder(a, name, shown);
                    break;
                }
                case 1: {
                    const bool shown = random() % 4 != 0;
                    const EntryTexts fields = RandomFields(random);
                    what = "new url after " + std::to_string(a);
                    mine = t.model.NewUrl(nodeA, fields, shown) >= 0;
                    theirs = reference.NewUrl(a, fields, shown);
                    break;
                }
                case 2: {
                    what = "edit " + std::to_string(a);
                    if (t.model.IsFolder(a)) {
                        const std::string name = Pick(random, kNames);
                        const std::string saveUrl = t.model.IsRoot(a)
                                                        ? std::string(t.model.SourcePath(a))
                                                    : random() % 2 ? ""
                                                                   : "Link.html";
                        mine = t.model.EditFolderEntry(a, name, saveUrl);
                        theirs = reference.EditFolder(a, name, saveUrl);
                    } else {
                        const EntryTexts fields = RandomFields(random);
                        mine = t.model.EditUrlEntry(a, fields);
                        theirs = reference.EditUrl(a, fields);
                    }
                    break;
                }
                case 3:
                    what = "delete " + std::to_string(a);
                    mine = t.model.DeleteNode(nodeA, random() % 2 == 0);
                    theirs = reference.Delete(a);
                    break;
                case 4:
                case 5: {
                    const bool up = random() % 2 == 0;
                    what = std::string("move ") + (up ? "up " : "down ") + std::to_string(a);
                    mine = t.model.MoveUpDown(a, up);
                    theirs = reference.MoveUpDown(a, up);
                    break;
                }
                case 6:
                case 7: {
                    const bool keep = random() % 3 == 0;
                    what = "drop " + std::to_string(a) + " on " + std::to_string(b) +
                           (keep ? " keeping it" : "");
                    const bool may = t.model.CanDrop(nodeA, nodeB);
                    const int landed = t.model.DropMove(nodeA, nodeB, keep);
                    mine = landed >= 0;
                    theirs = reference.Drop(a, b, keep);
                    // What may not land never does; a moved entry lands as itself.
                    if (!may) {
                        ASSERT_FALSE(mine) << what;
                    }
                    if (mine && !keep) {
                        ASSERT_EQ(t.model.glNode[landed], nodeA) << what;
                    }
                    if (mine && keep) {
                        ASSERT_EQ(t.model.glName[landed], std::string(nodeA->Text())) << what;
                    }
                    break;
                }
                case 8: {
                    // Cut or copy, then an edit elsewhere, then paste: the clip follows its node.
                    const bool cut = random() % 2 == 0;
                    what = std::string(cut ? "cut " : "copy ") + std::to_string(a) + " paste on " +
                           std::to_string(b);
                    t.model.MarkClip(a, cut);
                    mine = t.model.PasteClip(b) >= 0;
                    theirs = reference.Paste(a, b, cut);
                    // A paste ends the pending cut or copy; a refused one leaves it pending.
                    EXPECT_EQ(t.model.ClipIndex() < 0, mine) << what;
                    t.model.CancelClip();
                    break;
                }
                case 9: {
                    const bool expanded = random() % 2 == 0;
                    what = "expand " + std::to_string(a);
                    t.model.SetExpanded(nodeA, expanded);
                    reference.SetExpanded(a, expanded);
                    mine = theirs = true;
                    isEdit = false;
                    break;
                }
                case 10: {
                    // Checked on its own elsewhere; here it makes steps of many blocks.
                    what = "delete empty folders";
                    mine = theirs = t.model.DeleteEmptyFolders(false) > 0;
                    if (mine) reference = RefTree::FromTable(t.model);
                    reference.maxUrl = t.model.glMaxURL;
                    break;
                }
                case 11:
                case 12: {
                    // Many entries at once, as the clean-up deletes or moves them.
                    std::vector<int> chosen;
                    std::vector<NodeRef> held;
                    for (int i = 0; i < count; ++i) {
                        if (random() % 4 != 0) continue;
                        chosen.push_back(i);
                        held.push_back(t.model.RefOf(i));
                    }
                    std::shuffle(held.begin(), held.end(), random);
                    if (random() % 2 == 0) {
                        what = "delete " + std::to_string(chosen.size()) + " entries";
                        mine = t.model.DeleteEntries(held, "削除").entries > 0;
                        theirs = reference.DeleteMany(chosen);
                    } else {
                        const std::string folder = Pick(random, kNames);
                        what = "move " + std::to_string(chosen.size()) + " entries into " + folder;
                        mine = t.model.MoveIntoRootFolders(held, folder, "移動").entries > 0;
                        theirs = reference.MoveIntoRootFolders(chosen, folder);
                    }
                    break;
                }
                case 13: {
                    // In a bookmark's folder, so that most tries find folders to merge.
                    const int in = t.model.IsFolder(a) ? a : t.model.ParentOf(a);
                    const bool recursive = random() % 2 == 0;
                    what = "merge same-name folders in " + std::to_string(in) +
                           (recursive ? " recursively" : "");
                    mine = t.model.MergeSameNameFolders(in, recursive).entries > 0;
                    theirs = reference.MergeSameNameFolders(in, recursive);
                    break;
                }
                case 14: {
                    const std::string from =
                        random() % 4 == 0 ? Pick(random, kUrls) : std::string(t.model.glUrl[a]);
                    const std::string to = Pick(random, kUrls);
                    what = "replace the URL of " + std::to_string(a) + " with " + to;
                    mine = t.model.ReplaceUrls({{t.model.RefOf(a), from, to}}, "置換").entries > 0;
                    theirs = reference.ReplaceUrl(a, from, to);
                    break;
                }
                case 15: {
                    SortOptions options;
                    options.by = static_cast<SortField>(random() % 5);
                    options.descending = random() % 2 == 0;
                    options.foldersFirst = random() % 2 == 0;
                    options.recursive = random() % 2 == 0;
                    what = "sort " + std::to_string(a) + " by " +
                           std::to_string(static_cast<int>(options.by)) +
                           (options.descending ? " descending" : "") +
                           (options.foldersFirst ? " folders first" : "") +
                           (options.recursive ? " recursive" : "");
                    mine = t.model.SortFolder(a, options);
                    theirs = reference.Sort(a, options);
                    break;
                }
                case 16: {
                    // A selection moved or copied onto one entry, dropped or cut (copied) and
                    // pasted.
                    std::vector<int> chosen;
                    std::vector<NodeRef> held;
                    chooseSome(chosen, held);
                    const bool keep = random() % 3 == 0;
                    const bool clip = chosen.size() > 1 && random() % 2 == 0;
                    what = std::string(clip ? "paste " : "drop ") + std::to_string(chosen.size()) +
                           " entries on " + std::to_string(b) + (keep ? " keeping them" : "");
                    if (clip) {
                        t.model.MarkClipEntries(held, !keep);
                        mine = t.model.PasteClip(b) >= 0;
                        t.model.CancelClip();
                    } else {
                        mine = t.model.TransferEntries(held, b, keep, "移動") >= 0;
                    }
                    theirs = reference.TransferMany(chosen, b, keep);
                    break;
                }
                case 17: {
                    std::vector<int> chosen;
                    std::vector<NodeRef> held;
                    chooseSome(chosen, held);
                    const bool up = random() % 2 == 0;
                    what = "move " + std::to_string(chosen.size()) + " entries " +
                           (up ? "up" : "down");
                    mine = t.model.MoveEntriesUpDown(held, up);
                    theirs = reference.MoveManyUpDown(chosen, up);
                    break;
                }
                case 18: {
                    // Tags added to or removed from a selection, among those the extras hold.
                    std::vector<int> chosen;
                    std::vector<NodeRef> held;
                    chooseSome(chosen, held);
                    const bool add = random() % 2 == 0;
                    const std::vector<std::string> tags =
                        TagsFromInput(random() % 2 == 0 ? "a" : "b,c");
                    what = std::string(add ? "tag " : "untag ") + std::to_string(chosen.size()) +
                           " entries";
                    mine = t.model.ChangeTags(held, tags, add) > 0;
                    theirs = reference.ChangeTags(chosen, tags, add);
                    break;
                }
            }
            const std::string where = "round " + std::to_string(round) + " step " +
                                      std::to_string(step) + ": " + what + "\n" + before;
            ASSERT_EQ(mine, theirs) << where;
            if (!mine) {
                ++refused;
                ASSERT_EQ(DumpWithState(t.model), before) << where;
            } else {
                ++done;
            }
            ASSERT_EQ(DumpWithState(t.model), reference.Dump()) << where;
            ExpectInvariants(t, where);
            if (::testing::Test::HasFatalFailure()) return;
            // Exactly the edits that changed something can be undone.
            ASSERT_EQ(t.model.HistoryPushCount() != pushes, mine && isEdit) << where;
            if (mine && isEdit) states.push_back(UndoDump(t.model));
        }
        const std::string where = "round " + std::to_string(round);
        ExpectUndoAndRedoRetraceTheSteps(t, states, where);
        if (::testing::Test::HasFatalFailure()) return;
        ExpectSaveAndReadKeepEverything(t.model, where);
    }
    // Both kinds of outcome were exercised.
    EXPECT_GT(refused, 100);
    EXPECT_GT(done, 1000);
}

TEST(EditingRandom, MergesOfSameNameFoldersMatchTheReferenceAndUndoExactly) {
    std::mt19937 random(5170623);
    int merged = 0;
    for (int round = 0; round < 300; ++round) {
        TestModel t;
        t.settings.maxUrl = "200";
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
        // Folders of two names only, nested a few levels: most folders have a namesake.
        TableBuilder::Root(t.model, "R");
        int level = 1;
        for (int k = 0; k < 40; ++k) {
            const int choice = static_cast<int>(random() % 5);
            if (choice == 0 && level > 1) {
                --level;
            } else if (choice <= 2 && level < 5) {
                TableBuilder::Folder(t.model, level, kNames[random() % 2]);
                ++level;
            } else {
                TableBuilder::Url(t.model, level, RandomFields(random));
            }
        }
        for (int i = 0; i < t.model.glCT; ++i) GiveRandomExtras(t.model, i, random);
        RefTree reference = RefTree::FromTable(t.model);
        const std::string before = UndoDump(t.model);
        std::vector<int> folders;
        for (int i = 0; i < t.model.glCT; ++i) {
            if (t.model.IsFolder(i)) folders.push_back(i);
        }
        const int in = random() % 3 == 0 ? 0 : folders[random() % folders.size()];
        const bool recursive = random() % 3 != 0;
        const std::string where = "round " + std::to_string(round) + ": merge in " +
                                  std::to_string(in) + (recursive ? " recursively\n" : "\n") +
                                  DumpWithState(t.model);
        const bool mine = t.model.MergeSameNameFolders(in, recursive).entries > 0;
        ASSERT_EQ(mine, reference.MergeSameNameFolders(in, recursive)) << where;
        ASSERT_EQ(DumpWithState(t.model), reference.Dump()) << where;
        ExpectInvariants(t, where);
        if (!mine) continue;
        ++merged;
        const std::string after = UndoDump(t.model);
        ASSERT_TRUE(t.model.Undo()) << where;
        ASSERT_EQ(UndoDump(t.model), before) << where;
        ASSERT_TRUE(t.model.Redo()) << where;
        ASSERT_EQ(UndoDump(t.model), after) << where;
        ExpectInvariants(t, where);
    }
    EXPECT_GT(merged, 100);
}
