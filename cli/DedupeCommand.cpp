// pernard-cli dedupe: reduces each group of duplicate bookmarks of the root it writes to the
// entry it keeps (or
// moves the others into a folder of their root), merges same-name folders on request, and
// writes the collection as save does.

#include "cli/CliSession.h"
#include "cli/CliUsage.h"
#include "cli/CollectionCommands.h"
#include "model/Duplicates.h"

namespace pernard {

namespace {

bool ParseKeep(const std::string& text, KeepRule& rule, std::ostream& err) {
    if (text.empty() || text == "first") {
        rule = KeepRule::First;
    } else if (text == "oldest") {
        rule = KeepRule::Oldest;
    } else if (text == "newest") {
        rule = KeepRule::Newest;
    } else {
        err << "--keep takes first, oldest or newest\n";
        return false;
    }
    return true;
}

}  // namespace

int RunDedupe(const std::vector<std::string>& arguments, std::ostream& err) {
    VerbOptions verb = SaveOptions();
    verb.valued.insert({"--match", "--loose-ignore", "--keep", "--to-folder"});
    verb.flags.insert("--merge-folders");
    CommandLine line;
    UrlMatch match;
    KeepRule keep = KeepRule::First;
    if (!ParseCommandLine(arguments, verb, line, err) || !ParseMatch(line, match, err) ||
        !ParseKeep(line.Value("--keep"), keep, err)) {
        err << CliUsage();
        return 2;
    }
    DuplicateDisposal disposal;
    disposal.intoFolder = line.values.count("--to-folder") > 0;
    if (disposal.intoFolder) disposal.folder = line.Value("--to-folder");
    if (disposal.intoFolder && disposal.folder.empty()) {
        err << "--to-folder needs a folder name\n" << CliUsage();
        return 2;
    }
    if (!CheckSaveOptions(line, err)) return 2;
    CliSession session(line, err);
    if (!session.Load(line.sources, err)) return 1;
    BmLogic& model = session.Model();
    int root = 0;
    if (!PickRoot(model, line.Value("--root"), root, err)) return 2;
    // Held by its node: the clean-up moves rows.
    const NodeRef written = model.RefOf(root);

    // Only the root written is cleaned up: a group's kept entry in another root would leave
    // the written file without that page.
    if (line.Flag("--merge-folders")) {
        const int merged = model.MergeSameNameFolders(root, true).entries;
        err << "同名フォルダーの統合 : " << merged << " 件\n";
    }
    const std::vector<DuplicateGroup> groups =
        GroupsWithin(model, FindDuplicateGroups(model, match), model.IndexOf(written));
    const CleanupOutcome outcome =
        ResolveDuplicates(model, groups, KeptEntries(model, groups, keep), disposal);
    // A refusal (no room for the folders) was said already.
    if (outcome.refused) return 1;
    err << outcome.summary << '\n';
    return WriteAsTold(session, line, model.IndexOf(written), err);
}

}  // namespace pernard
