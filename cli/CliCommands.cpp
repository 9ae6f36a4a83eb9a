#include "cli/CliCommands.h"

#include "util/CodePage.h"

#include <charconv>

#include <filesystem>
#include <system_error>

#include "cli/CliPorts.h"
#include "formats/FavoritesReader.h"
#include "formats/FavoritesWriter.h"
#include "formats/NetscapeReader.h"
#include "formats/NetscapeWriter.h"
#include "model/BmLogic.h"

namespace pernard {

namespace {

constexpr const char* kUsage =
    "usage: pernard-cli list [LOAD OPTIONS] SOURCE...\n"
    "       pernard-cli save [LOAD OPTIONS] SOURCE... (--to FILE | --to-favorites DIR) [--root N]\n"
    "LOAD OPTIONS: --max-url N  --encoding NAME  --skip-duplicates  --no-empty-folders\n"
    "A SOURCE is a bookmark file or a Favorites directory.\n";

// The whole help, as the manual page pernard-cli(1) gives it.
constexpr const char* kHelp =
    "pernard-cli: read and write bookmark files and Favorites directories\n"
    "\n"
    "usage: pernard-cli list [LOAD OPTIONS] SOURCE...\n"
    "       pernard-cli save [LOAD OPTIONS] SOURCE... (--to FILE | --to-favorites DIR) [--root N]\n"
    "       pernard-cli --help | --version\n"
    "\n"
    "A SOURCE is a bookmark file or a Favorites directory. The first SOURCE is read as a\n"
    "complete load, every further one as an additional load (a further root).\n"
    "\n"
    "list   prints the entry table, one line per entry, tab-separated: index, parent index,\n"
    "       kind (root, folder, url), name, URL, added date, last visit, last modified.\n"
    "save   writes one root as a bookmark file (--to FILE, replacing FILE only once the new\n"
    "       one is complete) or as a Favorites directory (--to-favorites DIR, which must not\n"
    "       exist yet or be empty).\n"
    "\n"
    "LOAD OPTIONS\n"
    "  --max-url N          room for N entries (default 1000000)\n"
    "  --encoding NAME      the encoding of bookmark files that neither start with a byte\n"
    "                       order mark nor declare a charset: Shift_JIS, UTF-8, EUC-JP, GBK,\n"
    "                       Big5, EUC-KR, Windows-1252, ... (default: UTF-8 when the file is\n"
    "                       valid UTF-8, else Shift_JIS)\n"
    "  --skip-duplicates    leave out a URL that was read before\n"
    "  --no-empty-folders   remove folders with no URL below them after each read\n"
    "SAVE OPTIONS\n"
    "  --to FILE            write a bookmark file\n"
    "  --to-favorites DIR   write a Favorites directory\n"
    "  --root N             the root with entry index N (default: the first root)\n"
    "\n"
    "Exit status: 0 when everything was read and written, 1 when a read failed or stopped\n"
    "early (nothing is saved then) or anything could not be written, 2 for a usage error.\n"
    "Messages go to standard error.\n";

const char* KindOf(const BmLogic& model, int index) {
    const std::size_t i = static_cast<std::size_t>(index);
    if (model.gloya[i] < 0) return "root";
    return model.glUrl[i] == kFolderMarker ? "folder" : "url";
}

struct LoadOptions {
    std::string maxUrl = "1000000";
    bool skipDuplicates = false;
    bool noEmptyFolders = false;
    std::string encoding;
    std::vector<std::string> sources;
    // save only
    std::string toFile;
    std::string toFavorites;
    std::string root;
};

// Takes the value of an option; false when it is missing.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& k, std::string& value,
               std::ostream& err) {
    if (k + 1 >= arguments.size()) {
        err << arguments[k] << " needs a value\n";
        return false;
    }
    value = arguments[++k];
    return true;
}

// Reads the options of a load; false (with a message on `err`) for a usage error.
bool ParseLoadOptions(const std::vector<std::string>& arguments, LoadOptions& options,
                      std::ostream& err) {
    for (std::size_t k = 1; k < arguments.size(); ++k) {
        const std::string& argument = arguments[k];
        const bool saving = arguments[0] == "save";
        if (argument == "--max-url") {
            if (!TakeValue(arguments, k, options.maxUrl, err)) return false;
        } else if (saving && argument == "--to") {
            if (!TakeValue(arguments, k, options.toFile, err)) return false;
        } else if (saving && argument == "--to-favorites") {
            if (!TakeValue(arguments, k, options.toFavorites, err)) return false;
        } else if (saving && argument == "--root") {
            if (!TakeValue(arguments, k, options.root, err)) return false;
        } else if (argument == "--encoding") {
            if (!TakeValue(arguments, k, options.encoding, err)) return false;
            if (CanonicalCharset(options.encoding).empty()) {
                err << "unknown encoding: " << options.encoding << '\n';
                return false;
            }
        } else if (argument == "--skip-duplicates") {
            options.skipDuplicates = true;
        } else if (argument == "--no-empty-folders") {
            options.noEmptyFolders = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            err << "unknown option: " << argument << '\n';
            return false;
        } else {
            options.sources.push_back(argument);
        }
    }
    if (options.sources.empty()) {
        err << "no SOURCE given\n";
        return false;
    }
    return true;
}

void PrintTable(const BmLogic& model, std::ostream& out) {
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        out << i << '\t' << model.gloya[k] << '\t' << KindOf(model, i) << '\t'
            << EscapeField(model.glName[k]) << '\t' << EscapeField(model.glUrl[k]) << '\t'
            << EscapeField(model.glAdd[k]) << '\t' << EscapeField(model.glVisit[k]) << '\t'
            << EscapeField(model.glLast[k]) << '\n';
    }
}

// The model of one command line, with the command line's ports.
class CliSession {
public:
    CliSession(const LoadOptions& options, std::ostream& err)
        : prompts_(err), status_(err), diagnostics_(err) {
        settings_.maxUrl = options.maxUrl;
        settings_.skipDuplicates = options.skipDuplicates;
        settings_.noEmptyFolders = options.noEmptyFolders;
        settings_.encoding = options.encoding;
    }
    BmLogic& Model() { return model_; }
    // Entries a save could not write.
    int Failures() const { return diagnostics_.failures; }

    // Reads every source, the first as a complete load; false when any read failed.
    bool Load(const std::vector<std::string>& sources, std::ostream& err) {
        bool ok = true;
        for (std::size_t k = 0; k < sources.size(); ++k) {
            int urlCount = 0;
            std::string errorText;
            std::error_code error;
            const bool isDirectory = std::filesystem::is_directory(sources[k], error);
            const bool read =
                isDirectory ? ReadFavorites(model_, k == 0, sources[k], errorText, urlCount)
                : IsShortcutFileName(sources[k])
                    ? ReadShortcutFile(model_, k == 0, sources[k], errorText, urlCount)
                    : ReadNetscapeFile(model_, k == 0, sources[k], urlCount, errorText);
            if (!read) {
                err << "エラー " << errorText << '\n';
                ok = false;
                if (k == 0 && model_.glCT == 0) break;
            }
        }
        return ok;
    }

private:
    CliPrompts prompts_;
    CliProgress progress_;
    CliStatus status_;
    CliDiagnostics diagnostics_;
    CliSettings settings_;
    NoDialogs dialogs_;
    BmLogic model_{Ports{&prompts_, &progress_, &status_, &diagnostics_, &settings_, &dialogs_}};
};

int RunList(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    LoadOptions options;
    if (!ParseLoadOptions(arguments, options, err)) {
        err << kUsage;
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
    if (!text.empty()) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), root);
        if (error != std::errc() || end != text.data() + text.size()) {
            err << "--root needs an entry index\n";
            return false;
        }
    }
    if (root < 0 || root >= model.glCT || model.gloya[static_cast<std::size_t>(root)] != -1) {
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

int RunSave(const std::vector<std::string>& arguments, std::ostream& err) {
    LoadOptions options;
    const bool valid = ParseLoadOptions(arguments, options, err);
    if (!valid || options.toFile.empty() == options.toFavorites.empty()) {
        if (valid) err << "give exactly one of --to and --to-favorites\n";
        err << kUsage;
        return 2;
    }
    CliSession session(options, err);
    if (!session.Load(options.sources, err)) return 1;
    BmLogic& model = session.Model();
    int root = 0;
    if (!PickRoot(model, options.root, root, err)) return 2;
    if (!options.toFile.empty()) {
        if (WouldReplaceKeptBytes(model, root)) {
            err << "note: bytes that did not decode are written as U+FFFD in this encoding\n";
        }
        return WriteBookmarkFile(model, options.toFile, root) ? 0 : 1;
    }
    if (!PrepareFavoritesTarget(options.toFavorites, err)) return 1;
    SaveFavorite(model, options.toFavorites, root);
    return session.Failures() == 0 ? 0 : 1;
}

}  // namespace

std::string EscapeField(const std::string& text) {
    if (text.find_first_of("\\\t\r\n") == std::string::npos) return text;
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << kUsage;
        return 2;
    }
    if (arguments[0] == "--help" || arguments[0] == "-h") {
        out << kHelp;
        return 0;
    }
    if (arguments[0] == "--version") {
        out << "pernard-cli " << PERNARD_VERSION << '\n';
        return 0;
    }
    if (arguments[0] == "list") return RunList(arguments, out, err);
    if (arguments[0] == "save") return RunSave(arguments, err);
    err << "unknown command: " << arguments[0] << '\n' << kUsage;
    return 2;
}

}  // namespace pernard
