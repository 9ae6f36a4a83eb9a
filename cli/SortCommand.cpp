#include "cli/SortCommand.h"

#include "cli/CliSession.h"
#include "cli/CliUsage.h"
#include "model/Sorting.h"

namespace pernard {

namespace {

// The root above an entry (itself for a root).
int RootOf(const BmLogic& model, int entry) {
    while (!model.IsRoot(entry)) entry = model.ParentOf(entry);
    return entry;
}

}  // namespace

int RunSort(const std::vector<std::string>& arguments, std::ostream& err) {
    CommandLine options;
    VerbOptions verb = SaveOptions();
    verb.valued.insert({"--by", "--folder"});
    verb.flags.insert({"--descending", "--folders-first", "--recursive"});
    const bool valid = ParseCommandLine(arguments, verb, options, err);
    if (!valid) {
        err << CliUsage();
        return 2;
    }
    SortOptions order;
    if (!ParseSortField(options.Value("--by"), order.by)) {
        err << "give the order with --by name, url, added or visited\n" << CliUsage();
        return 2;
    }
    if (!CheckSaveOptions(options, err)) return 2;
    order.descending = options.Flag("--descending");
    order.foldersFirst = options.Flag("--folders-first");
    // Without --folder the whole first root is sorted, every folder in it.
    const bool givenFolder = options.values.count("--folder") > 0;
    order.recursive = options.Flag("--recursive") || !givenFolder;
    int folder = 0;
    if (givenFolder && !ParseNumber("--folder", options.Value("--folder"), folder, err)) {
        err << CliUsage();
        return 2;
    }
    CliSession session(options, err);
    if (!session.Load(options.sources, err)) return 1;
    BmLogic& model = session.Model();
    if (!model.IsValidIndex(folder) || !model.IsFolder(folder)) {
        err << "entry " << folder << " is not a root or folder\n";
        return 2;
    }
    model.SortFolder(folder, order);
    return WriteAsTold(session, options, RootOf(model, folder), err);
}

}  // namespace pernard
