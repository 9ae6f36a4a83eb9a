#include "cli/CliCommands.h"

#include <algorithm>
#include <charconv>

#include "cli/CliSession.h"
#include "cli/CliUsage.h"
#include "cli/CollectionCommands.h"
#include "cli/HistoryCommand.h"
#include "cli/SyncCommand.h"
#include "cli/SortCommand.h"
#include "model/BmLogic.h"
#include "model/EntryExtras.h"

namespace pernard {

namespace {

#undef PERNARD_CLI_SYNOPSIS

bool AnyRootPartial(const BmLogic& model) {
    for (int i = 0; i < model.glCT; ++i) {
        if (model.gloya[i] == -1 && model.IsRootPartial(i)) return true;
    }
    return false;
}

void AppendNumber(std::string& out, int number) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

void PrintTable(const BmLogic& model, std::ostream& out) {
    // Lines are gathered in one buffer and written in large pieces.
    constexpr std::size_t kPiece = 1 << 20;
    std::string lines;
    lines.reserve(kPiece + 4096);
    for (int i = 0; i < model.glCT; ++i) {
        AppendNumber(lines, i);
        lines += '\t';
        AppendNumber(lines, model.gloya[i]);
        lines += '\t';
        lines += KindOf(model, i);
        for (const auto* column : {&model.glName, &model.glUrl, &model.glAdd, &model.glVisit}) {
            lines += '\t';
            AppendEscapedField(lines, (*column)[i]);
        }
        lines += '\t';
        // A folder's last modification is kept with its tag's attributes, not in the column.
        if (model.gloya[i] >= 0 && model.IsFolder(i)) {
            AppendEscapedField(lines, FolderModifiedText(model.ExtrasOf(i)));
        } else {
            AppendEscapedField(lines, model.glLast[i]);
        }
        lines += '\n';
        if (lines.size() >= kPiece) {
            out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
            lines.clear();
        }
    }
    out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
}

int RunList(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CommandLine options;
    if (!ParseCommandLine(arguments, {}, options, err)) {
        err << CliUsage();
        return 2;
    }
    CliSession session(options, err);
    const bool ok = session.Load(options.sources, err);
    PrintTable(session.Model(), out);
    // A read that left something out (said among its notices) did not read its source whole.
    return ok && !AnyRootPartial(session.Model()) ? 0 : 1;
}

int RunSave(const std::vector<std::string>& arguments, std::ostream& err) {
    CommandLine options;
    if (!ParseCommandLine(arguments, SaveOptions(), options, err)) {
        err << CliUsage();
        return 2;
    }
    if (!CheckSaveOptions(options, err)) return 2;
    CliSession session(options, err);
    if (!session.Load(options.sources, err)) return 1;
    int root = 0;
    if (!PickRoot(session.Model(), options.Value("--root"), root, err)) return 2;
    return WriteAsTold(session, options, root, err);
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << CliUsage();
        return 2;
    }
    // Help asked for after a command (`pernard-cli save --help`), or as a command, is the help.
    const bool help =
        arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help" ||
        std::find(arguments.begin() + 1, arguments.end(), "--help") != arguments.end();
    if (help) {
        out << CliHelp();
        return 0;
    }
    if (arguments[0] == "--version") {
        out << "pernard-cli " << PERNARD_VERSION << '\n';
        return 0;
    }
    if (arguments[0] == "list") return RunList(arguments, out, err);
    if (arguments[0] == "save") return RunSave(arguments, err);
    if (arguments[0] == "search") return RunSearch(arguments, out, err);
    if (arguments[0] == "duplicates") return RunDuplicates(arguments, out, err);
    if (arguments[0] == "dedupe") return RunDedupe(arguments, err);
    if (arguments[0] == "report") return RunReport(arguments, err);
    if (arguments[0] == "check") return RunCheck(arguments, out, err);
    if (arguments[0] == "sort") return RunSort(arguments, err);
    if (arguments[0] == "history") return RunHistory(arguments, out, err);
    if (arguments[0] == "restore") return RunRestore(arguments, err);
    if (arguments[0] == "sync") return RunSyncCommand(arguments, out, err);
    err << "unknown command: " << arguments[0] << '\n' << CliUsage();
    return 2;
}

}  // namespace pernard
