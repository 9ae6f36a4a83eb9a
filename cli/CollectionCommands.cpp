#include "cli/CollectionCommands.h"

#include <ctime>

#include "cli/CliSession.h"
#include "cli/CliUsage.h"
#include "model/Search.h"
#include "commands/ReportCommands.h"

namespace pernard {

int RunSearch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CommandLine line;
    if (!ParseCommandLine(arguments, {{"--keyword"}, {"--url", "--fold", "--notes"}}, line, err)) {
        err << CliUsage();
        return 2;
    }
    if (line.Value("--keyword").empty()) {
        err << "give the words to find with --keyword\n" << CliUsage();
        return 2;
    }
    CliSession session(line, err);
    // As grep does: a source that cannot be read is an error, not "nothing found".
    if (!session.Load(line.sources, err)) return 2;
    const BmLogic& model = session.Model();
    SearchQuery query = MakeSearchQuery(line.Value("--keyword"),
                                        line.Flag("--url") ? SearchField::Url : SearchField::Title,
                                        line.Flag("--fold"));
    query.notes = line.Flag("--notes");
    const std::vector<int> hits = FindEntries(model, query);
    for (int entry : hits) {
        const std::size_t k = static_cast<std::size_t>(entry);
        out << entry << '\t' << KindOf(model, entry) << '\t' << EscapeField(model.glName[k]) << '\t'
            << EscapeField(model.glUrl[k]) << '\t' << EscapeField(FolderPathOf(model, entry, " > "))
            << '\n';
    }
    return hits.empty() ? 1 : 0;
}

int RunDuplicates(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CommandLine line;
    UrlMatch match;
    if (!ParseCommandLine(arguments, {{"--match", "--loose-ignore"}, {}}, line, err) ||
        !ParseMatch(line, match, err)) {
        err << CliUsage();
        return 2;
    }
    CliSession session(line, err, &out);
    if (!session.Load(line.sources, err)) return 1;
    const int duplicates = session.Model().CheckDuplicateUrls(match);
    out << "重複有り : " << duplicates << " 件\n";
    return 0;
}

int RunReport(const std::vector<std::string>& arguments, std::ostream& err) {
    CommandLine line;
    if (!ParseCommandLine(arguments, {{"--folder", "--title", "--color", "--to"}, {"--expanded"}},
                          line, err)) {
        err << CliUsage();
        return 2;
    }
    int folder = -1;
    if (line.Value("--to").empty()) {
        err << "give the report's file with --to\n" << CliUsage();
        return 2;
    }
    if (!ParseNumber("--folder", line.Value("--folder"), folder, err)) {
        err << CliUsage();
        return 2;
    }
    CliSession session(line, err);
    if (!session.Load(line.sources, err)) return 1;
    const BmLogic& model = session.Model();
    UrlListPage page;
    const bool isFolder = model.IsValidIndex(folder) && model.IsFolder(folder);
    page.title = line.values.count("--title") > 0 || !isFolder ? line.Value("--title")
                                                               : model.glName[folder];
    page.color = line.values.count("--color") > 0 ? line.Value("--color") : "#000000";
    page.now = static_cast<long long>(std::time(nullptr));
    int written = 0;
    std::string errorText;
    // The command line has no link directory: the file is taken as given.
    if (!SaveUrlListReport(model, folder, line.Flag("--expanded"), line.Value("--to"), page,
                           written, errorText)) {
        // A refusal of the gate was said already.
        if (!errorText.empty()) err << "保存失敗  " << errorText << '\n';
        return 1;
    }
    err << "保存完了 " << written << " 件\n";
    return 0;
}

}  // namespace pernard
