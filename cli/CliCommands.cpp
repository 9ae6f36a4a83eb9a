#include "cli/CliCommands.h"
#include "commands/FavoritesCommands.h"

#include <filesystem>
#include <system_error>

#include "cli/CliSession.h"
#include "cli/CliUsage.h"
#include "cli/CollectionCommands.h"
#include "cli/SortCommand.h"
#include "commands/SaveCommands.h"
#include "commands/StoreCommands.h"
#include "commands/WriteGate.h"
#include "formats/FavoritesReader.h"
#include "formats/FavoritesWriter.h"
#include "formats/NetscapeWriter.h"
#include "model/BmLogic.h"
#include "model/EntryExtras.h"
#include "util/CodePage.h"

namespace pernard {

namespace {

#undef PERNARD_CLI_SYNOPSIS

void PrintTable(const BmLogic& model, std::ostream& out) {
    // Lines are gathered in one buffer and written in large pieces.
    constexpr std::size_t kPiece = 1 << 20;
    std::string lines;
    lines.reserve(kPiece + 4096);
    for (int i = 0; i < model.glCT; ++i) {
        lines += std::to_string(i);
        lines += '\t';
        lines += std::to_string(model.gloya[i]);
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
    return ok ? 0 : 1;
}

// The index of the root to save: --root N, or the first root.
bool PickRoot(const BmLogic& model, const std::string& text, int& root, std::ostream& err) {
    root = 0;
    if (!text.empty() && !ParseNumber("--root", text, root, err)) return false;
    if (root < 0 || root >= model.glCT || model.gloya[root] != -1) {
        err << "entry " << root << " is not a root\n";
        return false;
    }
    return true;
}

// The Favorites target must be new or empty: the command line never deletes anything.
bool PrepareFavoritesTarget(const std::string& directory, std::ostream& err) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(directory, error))) {
        err << directory << " is a symbolic link\n";
        return false;
    }
    if (fs::exists(directory, error)) {
        if (!fs::is_directory(directory, error) || !fs::is_empty(directory, error)) {
            err << directory << " exists and is not an empty directory\n";
            return false;
        }
        return true;
    }
    if (!fs::create_directories(directory, error)) {
        err << "Cannot create " << directory << '\n';
        return false;
    }
    return true;
}

// Writes a Chromium-family store's root back into the store it was read from.
int SaveToStore(BmLogic& model, int root, bool force, std::ostream& err) {
    if (model.SourceKind(root) != kSourceChromium && model.SourceKind(root) != kSourceFirefox) {
        err << "--to-store writes a root read from a browser's store back to it\n";
        return 2;
    }
    WriteRefusal refusal = WriteRefusal::None;
    if (SaveBrowserStore(model, root, force, &refusal)) return 0;
    SayDeclined(refusal, err);
    return 1;
}

int RunSave(const std::vector<std::string>& arguments, std::ostream& err) {
    CommandLine options;
    const bool valid = ParseCommandLine(
        arguments,
        {{"--to", "--to-favorites", "--root", "--save-encoding"}, {"--force", "--to-store"}},
        options, err);
    const std::string toFile = options.Value("--to");
    const std::string toFavorites = options.Value("--to-favorites");
    const bool toStore = options.Flag("--to-store");
    const int targets = !toFile.empty() + !toFavorites.empty() + toStore;
    if (!valid || targets != 1) {
        if (valid) err << "give exactly one of --to, --to-favorites and --to-store\n";
        err << CliUsage();
        return 2;
    }
    CliSession session(options, err);
    if (!TakeSaveEncoding(options, session, err)) return 2;
    if (!session.Load(options.sources, err)) return 1;
    BmLogic& model = session.Model();
    int root = 0;
    if (!PickRoot(model, options.Value("--root"), root, err)) return 2;
    if (toStore) return SaveToStore(model, root, options.Flag("--force"), err);
    return SaveRootAsAsked(session, options, root, err);
}

}  // namespace

bool TakeSaveEncoding(const CommandLine& options, CliSession& session, std::ostream& err) {
    const std::string saveEncoding = options.Value("--save-encoding");
    if (saveEncoding.empty()) return true;
    if (CanonicalCharset(saveEncoding) != kUtf8) {
        err << "--save-encoding takes UTF-8 (without it, a root is written in its own encoding)\n";
        return false;
    }
    session.SaveInUtf8();
    return true;
}

int SaveRootAsAsked(CliSession& session, const CommandLine& options, int root, std::ostream& err) {
    BmLogic& model = session.Model();
    const std::string toFile = options.Value("--to");
    const std::string toFavorites = options.Value("--to-favorites");
    const WriteRequest request{
        .kind = toFile.empty() ? WriteKind::Favorites : WriteKind::BookmarkFile,
        .target = toFile.empty() ? toFavorites : toFile,
        .roots = {root},
        .force = options.Flag("--force")};
    if (!toFile.empty()) {
        if (WouldReplaceKeptBytes(model, root)) {
            err << "note: bytes that did not decode are written as U+FFFD in this encoding\n";
        }
        WriteRefusal refusal = WriteRefusal::None;
        if (SaveBookmarkFile(model, request, &refusal)) return 0;
        SayDeclined(refusal, err);
        return 1;
    }
    if (!PrepareFavoritesTarget(toFavorites, err)) return 1;
    int notWritten = 0;
    WriteRefusal refusal = WriteRefusal::None;
    const bool saved = SaveFavorites(model, request, &notWritten, &refusal);
    SayDeclined(refusal, err);
    if (!session.CheckLogStatus().empty()) err << session.CheckLogStatus() << '\n';
    return saved ? 0 : 1;
}

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << CliUsage();
        return 2;
    }
    if (arguments[0] == "--help" || arguments[0] == "-h") {
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
    if (arguments[0] == "report") return RunReport(arguments, err);
    if (arguments[0] == "check") return RunCheck(arguments, out, err);
    if (arguments[0] == "sort") return RunSort(arguments, err);
    err << "unknown command: " << arguments[0] << '\n' << CliUsage();
    return 2;
}

}  // namespace pernard
